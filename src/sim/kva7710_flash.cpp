// SPDX-License-Identifier: GPL-3.0-or-later
// The sensor's flash: the settings image, its counters and the file that keeps it.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>

#include "app/file_writer.h"
#include "app/hooks.h"
#include "device/register_map.h"
#include "sim/kva7710.h"

namespace kva::sim {
namespace {

constexpr std::array<int, Kva7710::kFlashWords> kImageSlots = {
    XACCL_NULL, YACCL_NULL, ZACCL_NULL, WAKE_TIME, WAKE_DATE, ALM_MAG1, ALM_MAG2,
    ALM_CTRL,   XTRIG_CTRL, CAPT_CFG,   GPIO_CTR,  MISC_CTRL, SMPL_PRD};
constexpr std::array<uint16_t, Kva7710::kFlashWords> kImageMasks = {
    0xFFFF, 0xFFFF, 0xFFFF, 0x3F7F, 0x1F3F, 0xBFFF, 0xBFFF,
    0xFF37, 0xFFFF, 0x00F7, 0x0303, 0xC307, 0xFFFF};
constexpr char kMagic[8] = {'K', 'V', 'A', 'F', 'L', 'A', 'S', 'H'};
constexpr uint16_t kFormatVersion = 1;

uint16_t Sum(const std::array<uint16_t, Kva7710::kFlashWords>& image) {
  uint32_t sum = 0;
  for (uint16_t w : image) sum += w;
  return static_cast<uint16_t>(sum);
}

void PutWord(std::string& out, uint16_t w) {
  out.push_back(static_cast<char>(w & 0xFF));
  out.push_back(static_cast<char>(w >> 8));
}

uint16_t GetWord(const std::string& in, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(in[at]) | static_cast<uint8_t>(in[at + 1])
                                                                  << 8);
}

// The image file's bytes, at most one more than an image holds; nothing when there is no
// file. What cannot be read as a regular file gives an empty text, which is no valid image.
std::optional<std::string> ReadImageFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return errno == ENOENT || errno == ENOTDIR ? std::nullopt : std::optional<std::string>("");
  std::string bytes(Kva7710::kFlashFileBytes + 1, '\0');
  size_t got = 0;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    while (got < bytes.size()) {
      const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) got = 0;
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
  }
  ::close(fd);
  bytes.resize(got);
  return bytes;
}

}  // namespace

std::array<uint16_t, Kva7710::kFlashWords> Kva7710::CurrentImage() const {
  std::array<uint16_t, kFlashWords> image{};
  for (int i = 0; i < kFlashWords; ++i) image[i] = regs_[kImageSlots[i]];
  return image;
}

void Kva7710::LoadFlash() {
  flash_ = CurrentImage();  // the factory image: registers at reset
  endurance_ = 0;
  checksum_ = Sum(flash_);
  if (flashPath_.empty()) return;

  // No file yet is a fresh device; anything else that is not a readable image of the right
  // size (a folder, a device, a FIFO) is a flash we cannot trust.
  const auto bytes = ReadImageFile(flashPath_);
  if (!bytes) return;
  bool valid = bytes->size() == kFlashFileBytes &&
               std::memcmp(bytes->data(), kMagic, sizeof kMagic) == 0 &&
               GetWord(*bytes, 8) == kFormatVersion;
  std::array<uint16_t, kFlashWords> image{};
  if (valid) {
    for (int i = 0; i < kFlashWords; ++i) image[i] = GetWord(*bytes, 12 + 2 * i);
    valid = GetWord(*bytes, 12 + 2 * kFlashWords) == Sum(image);
    for (int i = 0; i < kFlashWords && valid; ++i) valid = (image[i] & ~kImageMasks[i]) == 0;
    valid = valid && image[kFlashWords - 1] >= 7;
  }
  if (!valid) {
    statusLatched_ |= 0x0040;
    return;
  }
  flash_ = image;
  endurance_ = GetWord(*bytes, 10);
  checksum_ = Sum(image);
  for (int i = 0; i < kFlashWords; ++i) regs_[kImageSlots[i]] = image[i];
}

void Kva7710::FlashUpdate() {
  flash_ = CurrentImage();
  if (endurance_ < 0xFFFF) ++endurance_;
  checksum_ = Sum(flash_);
  if (flashPath_.empty()) return;

  std::string bytes(kMagic, sizeof kMagic);
  PutWord(bytes, kFormatVersion);
  PutWord(bytes, endurance_);
  for (uint16_t w : flash_) PutWord(bytes, w);
  PutWord(bytes, checksum_);
  if (const int err = ReplaceFile(flashPath_, bytes); err != 0) {
    flashWriteError_ =
        "The flash image " + flashPath_ + " could not be written: " + std::strerror(err);
    MsgBox(flashWriteError_);
  }
}

}  // namespace kva::sim
