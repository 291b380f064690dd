// SPDX-License-Identifier: GPL-3.0-or-later
// The calibrated delay count, cached per machine for a day so that a command does not spend
// seconds calibrating every time it runs.
#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>

namespace kva::ctl {

inline constexpr std::time_t kDelayCacheLifetime = 24 * 60 * 60;

// $XDG_CACHE_HOME/kva7710/delay-<host>, or ~/.cache/... when XDG_CACHE_HOME is unset or not
// absolute. Empty when neither gives a folder.
std::filesystem::path DelayCachePath();

// The count stored at path when it was calibrated less than a day before now.
std::optional<int32_t> ReadDelayCache(const std::filesystem::path& path, std::time_t now);

// Stores the count (creating the folder); false when it could not be stored.
bool WriteDelayCache(const std::filesystem::path& path, int32_t count, std::time_t now);

// Makes the delay ready: the cached count when there is a fresh one (and not forced) and, with
// checkAgainstClock, it still holds against the clock; else a calibration whose count is then
// cached.
void PrepareDelay(bool forceCalibration, bool checkAgainstClock = true);

}  // namespace kva::ctl
