#include "capture/capture_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

#include "app/number_text.h"
#include "capture/capture_readout.h"

namespace kva {
namespace {

std::string Number(double value, char decimalMark) {
  std::string text = GeneralText(value);
  if (decimalMark != '.') std::replace(text.begin(), text.end(), '.', decimalMark);
  return text;
}

std::string WriteError(const std::filesystem::path& path, int err) {
  return "Could not write " + path.string() + ": " + std::strerror(err);
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

char CaptureFileDecimalMark(char separator, char localeMark) {
  return separator == ',' && localeMark == ',' ? '.' : localeMark;
}

std::string CaptureFileText(char separator, char decimalMark) {
  const std::string S(1, separator);
  const auto num = [decimalMark](double v) { return Number(v, decimalMark); };
  const int count = std::min<int>(CaptureEventsStored, CaptureBufferCount);
  const int samples = CaptureEventLength - kCaptureHeaderWords;
  std::string out;
  for (int e = 1; e <= count; ++e) {
    const CaptureHeader& h = CaptureHeaders.at(static_cast<size_t>(e));
    out += "\r\n";
    out += "Event #" + S + "XYZ" + S + "Time" + S + "Date" + S + "Temp" + S + "Voltage" + S + "Aux\r\n";
    out += std::to_string(e) + S + num(h.XYZ) + S + num(h.Time) + S + num(h.Date) + S + num(h.Temp) +
           S + num(h.Voltage) + S + num(h.Aux) + "\r\n";
    out += "Xg" + S + "Yg" + S + "Zg\r\n";
    for (int j = 1; j <= samples; ++j) {
      out += num(CaptureX(e, j)) + S + num(CaptureY(e, j)) + S + num(CaptureZ(e, j)) + "\r\n";
    }
  }
  return out;
}

std::filesystem::path CaptureFilePath(const std::filesystem::path& dir, const std::string& baseName,
                                      const CaptureFileFormat& format) {
  return dir / (baseName + format.extension);
}

std::optional<std::string> WriteCaptureFile(const std::filesystem::path& path, char separator) {
  return WriteFileAtomically(path,
                             CaptureFileText(separator, CaptureFileDecimalMark(separator, LocaleDecimalMark())));
}

std::optional<std::string> WriteFileAtomically(const std::filesystem::path& path,
                                               std::string_view bytes) {
  static std::atomic<unsigned> counter{0};
  const std::filesystem::path dir = path.has_parent_path() ? path.parent_path() : ".";
  std::filesystem::path temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    std::string name = ".";
    name += path.filename().string();
    name += ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    temp = dir / name;
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return WriteError(path, errno);
  }
  if (fd < 0) return WriteError(path, EEXIST);

  int err = 0;
  if (!WriteAll(fd, bytes)) err = errno;
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && ::rename(temp.c_str(), path.c_str()) != 0) err = errno;
  if (err != 0) {
    ::unlink(temp.c_str());
    return WriteError(path, err);
  }
  return std::nullopt;
}

}  // namespace kva
