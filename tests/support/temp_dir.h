// SPDX-License-Identifier: GPL-3.0-or-later
// A fresh temporary folder that the test works in; the previous working folder is restored
// and the folder removed afterwards.
#pragma once

#include <fcntl.h>
#include <linux/fs.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace kvatest {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kva-test-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::current_path(previous_, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
  std::filesystem::path previous_;
};

inline std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// While this lives, files of this process and its children cannot grow past bytes: writes
// beyond fail with EFBIG, as on a disk that is full even for root.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &previous_);
    previousSignal_ = signal(SIGXFSZ, SIG_IGN);
    rlimit limit = previous_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &previous_);
    signal(SIGXFSZ, previousSignal_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit previous_{};
  sighandler_t previousSignal_ = SIG_DFL;
};

// While this lives, no new file can be created in the folder but its files stay writable:
// write permission is taken away, and for root the folder is made immutable. held() is false
// where neither works.
class ClosedFolder {
 public:
  explicit ClosedFolder(std::filesystem::path dir) : dir_(std::move(dir)) {
    chmod(dir_.c_str(), 0555);
    if (TakesNewFiles()) immutable_ = SetImmutable(true) && !TakesNewFiles();
  }
  ~ClosedFolder() {
    if (immutable_) SetImmutable(false);
    chmod(dir_.c_str(), 0755);
  }
  ClosedFolder(const ClosedFolder&) = delete;
  ClosedFolder& operator=(const ClosedFolder&) = delete;

  bool held() const { return !TakesNewFiles(); }

 private:
  bool TakesNewFiles() const {
    const auto probe = dir_ / ".probe";
    const int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    close(fd);
    unlink(probe.c_str());
    return true;
  }
  bool SetImmutable(bool on) const {
    const int fd = open(dir_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int flags = 0;
    bool done = fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0) close(fd);
    return done;
  }

  std::filesystem::path dir_;
  bool immutable_ = false;
};

}  // namespace kvatest
