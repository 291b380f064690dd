// SPDX-License-Identifier: GPL-3.0-or-later
// SIGTERM, SIGINT and SIGHUP sent to the desktop program mid-datalog: the file keeps the samples
// taken, CommPort.cfg is written, no temporary file is left, the exit status is 128 + the signal.
// Started again with --as-program, this test is the desktop program, starting a long datalog.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTimer>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <thread>

#include "app/desktop_program.h"
#include "datalog/frmDatalog.h"
#include "mainwindow/frmForm1.h"
#include "support/temp_dir.h"
#include "ui/forms.h"

namespace fs = std::filesystem;
using namespace kva;

namespace {

// As a user would: menu "Datalog", two signals, the longest file, "Start Datalog" (the last
// inside the window's modal loop).
void StartLongDatalog() {
  QTimer::singleShot(0, [] {
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

bool HasTemporaryFile(const fs::path& folder) {
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().filename().string().find(".tmp-") != std::string::npos) return true;
  return false;
}

// The programs, started together; any still running when the test ends are killed.
struct Programs {
  int closers[3] = {SIGTERM, SIGINT, SIGHUP};
  pid_t pids[3] = {};
  ~Programs() {
    for (pid_t pid : pids)
      if (pid > 0 && kill(pid, SIGKILL) == 0) waitpid(pid, nullptr, 0);
  }
};

TEST(DesktopSignals, CloseLikeExitKeepingTheDatalog) {
  const kvatest::TempDir temp;
  Programs p;
  for (int i = 0; i < 3; ++i) {
    const fs::path folder = temp.path() / std::to_string(p.closers[i]);
    fs::create_directory(folder);
    kvatest::WriteFileBytes(folder / "CommPort.cfg", "Interface = 2\r\n");
    if ((p.pids[i] = fork()) == 0) {
      if (chdir(folder.c_str()) != 0) _exit(127);
      setenv("QT_QPA_PLATFORM", "offscreen", 1);
      execl(selfPath.c_str(), selfPath.c_str(), "--as-program", "--simulate", nullptr);
      _exit(127);
    }
  }
  // The datalog file is open (its temporary file is there) once the run is under way.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  for (int closer : p.closers) {
    while (!HasTemporaryFile(temp.path() / std::to_string(closer))) {
      ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "no datalog started";
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  for (int i = 0; i < 3; ++i) kill(p.pids[i], p.closers[i]);

  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(strsignal(p.closers[i]));
    const fs::path folder = temp.path() / std::to_string(p.closers[i]);
    int status = 0;
    ASSERT_EQ(waitpid(std::exchange(p.pids[i], 0), &status, 0) > 0 && WIFEXITED(status), true);
    EXPECT_EQ(WEXITSTATUS(status), 128 + p.closers[i]);
    EXPECT_EQ(kvatest::ReadFileBytes(folder / "CommPort.cfg"),
              "Interface =  2 \r\nPort Address =  0 \r\nFactory =  0 \r\n");
    // Whole sample lines from the first, the file closed as a complete one.
    const std::string log = kvatest::ReadFileBytes(folder / "DATALOG_1.csv");
    EXPECT_EQ(log.rfind("File Name,DATALOG_1.csv\r\n", 0), 0u);
    EXPECT_TRUE(log.find("\r\n1,") != std::string::npos && log.ends_with(",\r\n")) << log;
    EXPECT_FALSE(HasTemporaryFile(folder) || fs::exists(folder / "DATALOG_2.csv"));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "--as-program") == 0)
    return RunDesktopProgram(argc - 1, argv + 1, StartLongDatalog);
  selfPath = fs::canonical("/proc/self/exe").string();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
