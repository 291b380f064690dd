// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/user_folders.h"

#include <cstdlib>

namespace kva {

std::filesystem::path UserFolder(const char* variable, const char* homeFallback) {
  std::filesystem::path base;
  const char* xdg = std::getenv(variable);
  if (xdg != nullptr && xdg[0] == '/') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
    base = std::filesystem::path(home) / homeFallback;
  } else {
    return {};
  }
  return base / "kva7710";
}

}  // namespace kva
