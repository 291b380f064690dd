// SPDX-License-Identifier: GPL-3.0-or-later
// SIGTERM, SIGINT and SIGHUP sent to the running desktop program (on the simulated board,
// offscreen) in the middle of a datalog: the file keeps the samples taken, CommPort.cfg is
// written, no temporary file is left, and the exit status is 128 + the signal.
//
// This program is the test and, started again with --as-program, the desktop program itself,
// which opens the Datalog window and starts a long run once its main window is up.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTimer>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/desktop_program.h"
#include "datalog/frmDatalog.h"
#include "mainwindow/frmForm1.h"
#include "support/temp_dir.h"
#include "ui/forms.h"

namespace fs = std::filesystem;
using namespace kva;

namespace {

// As a user would: menu "Datalog", two signals, the longest file, "Start Datalog".
void StartLongDatalog() {
  QTimer::singleShot(0, [] {
    // Runs inside the Datalog window's modal loop.
    QTimer::singleShot(0, [] {
      auto* w = ui::FindForm<frmDatalog>();
      w->CheckReg[1]->setChecked(true);
      w->CheckReg[2]->setChecked(true);
      w->txtSamplesPerFile->setText("65526");
      w->cmdStartDatalog->click();
    });
    ui::FindForm<frmForm1>()->mnuDatalog->trigger();
  });
}

std::string selfPath;

pid_t StartProgram(const fs::path& folder) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(folder.c_str()) != 0) _exit(127);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    execl(selfPath.c_str(), selfPath.c_str(), "--as-program", "--simulate", nullptr);
    _exit(127);
  }
  return pid;
}

bool HasTemporaryFile(const fs::path& folder) {
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().filename().string().find(".tmp-") != std::string::npos) return true;
  }
  return false;
}

// The number of data lines after the title line, or -1 unless they run 1, 2, ... with both
// signals' two columns each and end in CR LF.
int CountSamples(const std::string& text) {
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line) && line.rfind("Sample #,", 0) != 0) {
  }
  int n = 0;
  while (std::getline(in, line)) {
    const std::string expected = std::to_string(n + 1) + ",";
    if (line.rfind(expected, 0) != 0 || line.back() != '\r' ||
        std::count(line.begin(), line.end(), ',') != 5) {
      return -1;
    }
    ++n;
  }
  return n;
}

// A program still running when the test fails is not left behind.
struct Reaper {
  std::vector<pid_t> pids;
  ~Reaper() {
    for (pid_t pid : pids) {
      if (pid > 0 && kill(pid, SIGKILL) == 0) waitpid(pid, nullptr, 0);
    }
  }
};

TEST(DesktopSignals, CloseLikeExitKeepingTheDatalog) {
  const std::vector<int> closers = {SIGTERM, SIGINT, SIGHUP};
  const kvatest::TempDir temp;
  std::vector<fs::path> folders;
  Reaper started;
  std::vector<pid_t>& pids = started.pids;
  for (int signal : closers) {
    folders.push_back(temp.path() / std::to_string(signal));
    fs::create_directory(folders.back());
    // On the simulated adapter; written back in the program's own form.
    kvatest::WriteFileBytes(folders.back() / "CommPort.cfg", "Interface = 2\r\n");
    pids.push_back(StartProgram(folders.back()));
  }
  // The datalog file is open (its temporary file is there) once the run is under way.
  for (size_t i = 0; i < closers.size(); ++i) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (!HasTemporaryFile(folders[i]) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(HasTemporaryFile(folders[i])) << "no datalog started";
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  for (size_t i = 0; i < closers.size(); ++i) kill(pids[i], closers[i]);

  for (size_t i = 0; i < closers.size(); ++i) {
    SCOPED_TRACE(strsignal(closers[i]));
    int status = 0;
    ASSERT_EQ(waitpid(pids[i], &status, 0), pids[i]);
    pids[i] = 0;
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 128 + closers[i]);

    const fs::path& folder = folders[i];
    EXPECT_EQ(kvatest::ReadFileBytes(folder / "CommPort.cfg"),
              "Interface =  2 \r\nPort Address =  0 \r\nFactory =  0 \r\n");
    const std::string log = kvatest::ReadFileBytes(folder / "DATALOG_1.csv");
    EXPECT_EQ(log.rfind("File Name,DATALOG_1.csv\r\n", 0), 0u);
    const int samples = CountSamples(log);
    EXPECT_GT(samples, 0);
    EXPECT_LT(samples, 65526);
    EXPECT_FALSE(HasTemporaryFile(folder));
    EXPECT_FALSE(fs::exists(folder / "DATALOG_2.csv"));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "--as-program") == 0) {
    return RunDesktopProgram(argc - 1, argv + 1, StartLongDatalog);
  }
  selfPath = fs::canonical("/proc/self/exe").string();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
