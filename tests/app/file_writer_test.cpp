// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/file_writer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace kva {
namespace {

namespace fs = std::filesystem;
using kvatest::ReadFileBytes;
using kvatest::WriteFileBytes;

// The names in the folder that start with "." (temporary files), sorted.
std::vector<std::string> Hidden(const fs::path& dir = ".") {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.path().filename().string()[0] == '.') names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class FileWriter : public ::testing::Test {
 protected:
  kvatest::TempDir dir;
};

TEST_F(FileWriter, RegularFilesAreReplacedKeepingTheirModeAndLinksAreFollowed) {
  WriteFileBytes("private.csv", "old");
  chmod("private.csv", 0600);
  fs::create_directory("sub");
  WriteFileBytes("sub/target.csv", "old");
  fs::create_symlink("sub/target.csv", "link.csv");
  fs::create_symlink("link.csv", "chain.csv");
  fs::create_symlink("made.csv", "dangling.csv");
  const std::string longName(250, 'n');  // legal, though its temporary name would not be
  for (const char* path : {"private.csv", "chain.csv", "dangling.csv", longName.c_str()})
    EXPECT_EQ(ReplaceFile(path, "new"), 0) << path;
  for (const std::string path : {"private.csv", "sub/target.csv", "made.csv", longName.c_str()})
    EXPECT_EQ(ReadFileBytes(path), "new") << path;
  EXPECT_EQ(fs::status("private.csv").permissions(), fs::perms(0600));
  EXPECT_EQ(std::tuple(fs::read_symlink("chain.csv"), fs::read_symlink("link.csv"),
                       fs::is_symlink("dangling.csv")),
            std::tuple(fs::path("link.csv"), fs::path("sub/target.csv"), true));
  EXPECT_TRUE(Hidden().empty() && Hidden("sub").empty());
}

// Refused at open; a failed or uncommitted write leaves the old file whole and no temporary.
TEST_F(FileWriter, FailuresLeaveTheOldFileWhole) {
  WriteFileBytes("plain", "x");
  fs::create_directory("folder");
  fs::create_symlink("loop", "loop");
  const std::pair<std::string, int> refused[] = {{"plain/below.csv", ENOTDIR},
                                                 {"folder", EISDIR},
                                                 {"missing/a.csv", ENOENT},
                                                 {std::string(256, 'n'), ENAMETOOLONG},
                                                 {"loop", ELOOP}};
  for (const auto& [path, err] : refused) {
    OutputFile file;
    EXPECT_EQ(file.Open(path), err) << path;
    EXPECT_FALSE(file.IsOpen()) << path;
  }
  {
    const kvatest::FileSizeLimit full(4096);
    EXPECT_EQ(ReplaceFile("plain", std::string(100000, 'x')), EFBIG);
  }
  {
    OutputFile file;
    ASSERT_EQ(file.Open("plain"), 0);
    file.Write("never committed");
  }
  EXPECT_EQ(ReadFileBytes("plain"), "x");
  EXPECT_TRUE(Hidden().empty());
}

// Closes the folder to new files: without write permission, and for root (whom permissions do
// not stop) with the immutable flag as well. False when neither holds here.
bool CloseFolder(const fs::path& dir, bool close) {
  chmod(dir.c_str(), close ? 0555 : 0755);
  const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  int flags = 0;
  if (fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
    flags = close ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    ioctl(fd, FS_IOC_SETFLAGS, &flags);
  }
  if (fd >= 0) ::close(fd);
  return !close || access(dir.c_str(), W_OK) != 0;
}

TEST_F(FileWriter, AFolderThatTakesNoNewFileHasItsFilesOverwrittenInPlace) {
  WriteFileBytes("own.csv", "the old content, longer");
  chmod("own.csv", 0640);
  struct stat before {
  }, after{};
  stat("own.csv", &before);
  ASSERT_TRUE(CloseFolder(dir.path(), true)) << "no way to close a folder here";
  {  // not committed: the file stays as it was
    OutputFile file;
    EXPECT_EQ(file.Open("own.csv"), 0);
    file.Write("abandoned");
  }
  EXPECT_EQ(ReadFileBytes("own.csv"), "the old content, longer");
  EXPECT_EQ(ReplaceFile("own.csv", "new"), 0);
  stat("own.csv", &after);
  EXPECT_EQ(std::tuple(ReadFileBytes("own.csv"), after.st_ino, after.st_mode & 07777),
            std::tuple(std::string("new"), before.st_ino, 0640u));
  {  // a failing write names the file and the reason
    const kvatest::FileSizeLimit limit(2);
    EXPECT_EQ(WriteFileAtomically("own.csv", "too long"),
              "Could not write own.csv: File too large");
  }
  EXPECT_NE(ReplaceFile("new.csv", "x"), 0);  // nothing to overwrite: refused
  EXPECT_FALSE(fs::exists("new.csv"));
  EXPECT_TRUE(Hidden().empty());
  CloseFolder(dir.path(), false);
}

TEST_F(FileWriter, TemporaryFilesOfEndedProcessesAreRemoved) {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  const std::string dead = std::to_string(child);
  // Its process still runs; another file's (removed when that one is written); not ours.
  std::vector<std::string> kept = {".f.csv.tmp-1-0", ".g.csv.tmp-" + dead + "-0",
                                   ".f.csv.tmp-" + dead + "-x"};
  for (const auto& name : kept) WriteFileBytes(name, "");
  WriteFileBytes(".f.csv.tmp-" + dead + "-7", "");
  ASSERT_EQ(ReplaceFile("f.csv", "new"), 0);
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(Hidden(), kept);
}

}  // namespace
}  // namespace kva
