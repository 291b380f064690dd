// SPDX-License-Identifier: GPL-3.0-or-later
// The one way this program writes a whole file. What happens depends on what is at the path:
// - nothing, or a regular file: the bytes go to a temporary file beside it, flushed to disk,
//   then renamed over it. A failure at any point never leaves a truncated file, a file that
//   was there stays as it was, and a replaced file keeps its mode (and, where allowed, owner);
// - a regular file in a folder where no file can be created (a folder the user may not write,
//   holding a file the user owns): the file itself is overwritten (truncated, written, flushed
//   to disk) at Commit; until then it stays as it was;
// - a symbolic link: followed, and its final target written by these same rules;
// - a character or block device, a FIFO or a socket: written in place, never replaced (a
//   capture sent to /dev/null must not turn /dev/null into a plain file).
// Temporary files are named ".NAME.tmp-PID-N"; those left by a process of this machine that
// no longer runs (killed before it could clean up) are removed when NAME is next written.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kva {

// A whole-file write in steps, for files whose content is produced over time (a datalog file,
// a bus trace): Open finds out at once whether the path can be written, Write buffers, Commit
// makes the bytes the file's content. Destroyed without a Commit, nothing at the path changes.
class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile() { Abandon(); }
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // 0, or the errno value of the step that failed.
  int Open(const std::filesystem::path& path);
  // Appends bytes; a failure is kept and returned by Commit.
  void Write(std::string_view bytes);
  // 0, or the errno value of the first step that failed (then nothing at the path changed,
  // except for a device or FIFO, which has taken what it took).
  int Commit();
  // Drops what was written.
  void Abandon();
  bool IsOpen() const { return fd_ >= 0; }

 private:
  void Flush();

  int fd_ = -1;
  bool inPlace_ = false;    // written straight to fd_: a device, FIFO, socket or overwritten file
  bool overwrite_ = false;  // a regular file overwritten at Commit, bytes held until then
  int error_ = 0;
  std::string buffer_;
  std::filesystem::path target_, temp_;
};

// Replaces path by bytes. Returns 0, or the errno value of the step that failed.
int ReplaceFile(const std::filesystem::path& path, std::string_view bytes);

// "Could not write NAME: reason".
std::string FileErrorText(const std::filesystem::path& path, int err);

// ReplaceFile with the failure as FileErrorText; nothing on success.
std::optional<std::string> WriteFileAtomically(const std::filesystem::path& path,
                                               std::string_view bytes);

}  // namespace kva
