// SPDX-License-Identifier: GPL-3.0-or-later
// The program's folders in the user's home, after the XDG base directory rules.
#pragma once

#include <filesystem>

namespace kva {

// <$variable>/kva7710, or ~/<homeFallback>/kva7710 when the variable is unset or not absolute;
// empty when neither gives a folder. For example ("XDG_CONFIG_HOME", ".config").
std::filesystem::path UserFolder(const char* variable, const char* homeFallback);

}  // namespace kva
