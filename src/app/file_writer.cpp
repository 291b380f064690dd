// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/file_writer.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstring>

namespace kva {
namespace {

constexpr size_t kBufferBytes = 64 * 1024;

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

// Where a write lands. st describes what is there after all symbolic links, exists whether
// anything is. A link to a regular file becomes that file's own path, so that the rename
// replaces the file and not the link; a link to nothing becomes the path it names, which is
// then created. 0 or an errno value.
int FinalTarget(std::filesystem::path& path, struct stat& st, bool& exists) {
  exists = ::stat(path.c_str(), &st) == 0;
  if (exists) {
    struct stat link {};
    if (S_ISREG(st.st_mode) && ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
      std::error_code ec;
      path = std::filesystem::canonical(path, ec);
      return ec.value();
    }
    return 0;
  }
  if (errno != ENOENT) return errno;
  for (int hops = 0; hops < 40; ++hops) {
    std::error_code ec;
    const std::filesystem::path link = std::filesystem::read_symlink(path, ec);
    if (ec)
      return ec == std::errc::invalid_argument || ec == std::errc::no_such_file_or_directory
                 ? 0
                 : ec.value();
    path = link.is_absolute() ? link : path.parent_path() / link;
  }
  return ELOOP;
}

int ConnectSocket(const std::filesystem::path& path) {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (path.native().size() >= sizeof addr.sun_path) {
    errno = ENAMETOOLONG;
    return -1;
  }
  std::memcpy(addr.sun_path, path.c_str(), path.native().size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
    const int err = errno;
    ::close(fd);
    errno = err;
    return -1;
  }
  return fd;
}

// ".NAME.tmp-"; long names are cut so that the temporary name stays within NAME_MAX.
std::string TempPrefix(const std::filesystem::path& target) {
  std::string name = target.filename().string();
  if (name.size() > 200) name.resize(200);
  return "." + name + ".tmp-";
}

std::optional<long> Digits(std::string_view text) {
  long value = 0;
  const auto res = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || res.ec != std::errc() || res.ptr != text.data() + text.size() || value < 0)
    return std::nullopt;
  return value;
}

// Removes "PREFIX<pid>-<n>" files of processes that no longer run.
void RemoveStaleTemps(const std::filesystem::path& dir, const std::string& prefix) {
  DIR* d = ::opendir(dir.c_str());
  if (d == nullptr) return;
  while (const dirent* e = ::readdir(d)) {
    std::string_view rest = e->d_name;
    if (!rest.starts_with(prefix)) continue;
    rest.remove_prefix(prefix.size());
    const size_t dash = rest.find('-');
    if (dash == std::string_view::npos) continue;
    const auto pid = Digits(rest.substr(0, dash));
    if (!pid || *pid == 0 || !Digits(rest.substr(dash + 1)) || *pid == ::getpid()) continue;
    if (::kill(static_cast<pid_t>(*pid), 0) == 0 || errno != ESRCH) continue;
    ::unlinkat(::dirfd(d), e->d_name, 0);
  }
  ::closedir(d);
}

// Makes a rename in dir last across a power cut.
void SyncFolder(const std::filesystem::path& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

std::filesystem::path FolderOf(const std::filesystem::path& path) {
  return path.has_parent_path() ? path.parent_path() : ".";
}

}  // namespace

int OutputFile::Open(const std::filesystem::path& path) {
  static std::atomic<unsigned> counter{0};
  Abandon();
  target_ = path;
  struct stat st {};
  bool exists = false;
  if (const int err = FinalTarget(target_, st, exists)) return err;
  if (exists && S_ISDIR(st.st_mode)) return EISDIR;
  if (exists && !S_ISREG(st.st_mode)) {
    inPlace_ = true;
    overwrite_ = false;
    fd_ = S_ISSOCK(st.st_mode) ? ConnectSocket(target_)
                               : ::open(target_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    return fd_ < 0 ? errno : 0;
  }

  inPlace_ = overwrite_ = false;
  const std::filesystem::path dir = FolderOf(target_);
  const std::string prefix = TempPrefix(target_);
  RemoveStaleTemps(dir, prefix);
  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    temp_ = dir / (prefix + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0 && errno != EEXIST) {
      // A folder that takes no new file may still hold a file this process can write.
      const int err = errno;
      if (!exists || (err != EACCES && err != EPERM && err != EROFS)) return err;
      fd_ = ::open(target_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
      if (fd_ < 0) return errno;
      inPlace_ = overwrite_ = true;
      return 0;
    }
  }
  if (fd_ < 0) return EEXIST;
  if (exists) {
    // The replacement keeps the owner where this process may give it, and the mode; set-id
    // bits only together with the owner.
    bool ownerKept = st.st_uid == ::geteuid() && st.st_gid == ::getegid();
    if (!ownerKept) ownerKept = ::fchown(fd_, st.st_uid, st.st_gid) == 0;
    ::fchmod(fd_, st.st_mode & (ownerKept ? 07777 : 0777));
  }
  return 0;
}

void OutputFile::Flush() {
  if (error_ == 0 && !buffer_.empty() && !WriteAll(fd_, buffer_)) error_ = errno;
  buffer_.clear();
}

void OutputFile::Write(std::string_view bytes) {
  if (fd_ < 0 || error_ != 0) return;
  if (overwrite_ || buffer_.size() + bytes.size() < kBufferBytes) {
    buffer_.append(bytes);
    return;
  }
  Flush();
  if (bytes.size() < kBufferBytes) {
    buffer_.append(bytes);
  } else if (error_ == 0 && !WriteAll(fd_, bytes)) {
    error_ = errno;
  }
}

int OutputFile::Commit() {
  if (fd_ < 0) return EBADF;
  if (overwrite_ && ::ftruncate(fd_, 0) != 0) error_ = errno;
  Flush();
  int err = error_;
  if ((!inPlace_ || overwrite_) && err == 0 && ::fsync(fd_) != 0) err = errno;
  if (::close(fd_) != 0 && err == 0) err = errno;
  fd_ = -1;
  error_ = 0;
  if (!inPlace_) {
    if (err == 0 && ::rename(temp_.c_str(), target_.c_str()) != 0) err = errno;
    if (err != 0) {
      ::unlink(temp_.c_str());
    } else {
      SyncFolder(FolderOf(target_));
    }
  }
  return err;
}

void OutputFile::Abandon() {
  buffer_.clear();
  error_ = 0;
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
  if (!inPlace_) ::unlink(temp_.c_str());
}

int ReplaceFile(const std::filesystem::path& path, std::string_view bytes) {
  OutputFile file;
  if (const int err = file.Open(path)) return err;
  file.Write(bytes);
  return file.Commit();
}

std::string FileErrorText(const std::filesystem::path& path, int err) {
  return "Could not write " + path.string() + ": " + std::strerror(err);
}

std::optional<std::string> WriteFileAtomically(const std::filesystem::path& path,
                                               std::string_view bytes) {
  const int err = ReplaceFile(path, bytes);
  if (err == 0) return std::nullopt;
  return FileErrorText(path, err);
}

}  // namespace kva
