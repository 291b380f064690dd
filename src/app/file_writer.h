// The one way this program writes a whole file: into a temporary file beside the target,
// flushed to disk, then renamed over it. A failure at any point never leaves a truncated file,
// and a file that was there stays as it was.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kva {

// Replaces path by bytes. Returns 0, or the errno value of the step that failed.
int ReplaceFile(const std::filesystem::path& path, std::string_view bytes);

// The same, with the failure as a text naming the file and the reason
// ("Could not write NAME: reason"); nothing on success.
std::optional<std::string> WriteFileAtomically(const std::filesystem::path& path,
                                               std::string_view bytes);

}  // namespace kva
