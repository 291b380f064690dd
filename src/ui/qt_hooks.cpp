// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qt_hooks.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <utility>

#include "app/hooks.h"
#include "app/run_mode.h"

namespace kva::ui {
namespace {

void ShowMessageBox(const std::string& text, const std::string& title) {
  if (Windows().message) {
    Windows().message(text, title);
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, Q(title), QLines(text), QMessageBox::Ok,
                  QApplication::activeWindow());
  box.setWindowModality(Qt::ApplicationModal);
  // The hourglass belongs to the work, not to the question.
  const bool wasBusy = Windows().busyShown;
  if (wasBusy) QApplication::restoreOverrideCursor();
  box.exec();
  if (wasBusy) QApplication::setOverrideCursor(Qt::WaitCursor);
}

void YieldOnce() {
  // Once the program is ending no handler may run any more; the loop that yields is expected
  // to see ProgramEnding() and return.
  if (ProgramEnding()) return;
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void SetBusy(bool on) {
  if (on == Windows().busyShown) return;
  Windows().busyShown = on;
  if (on) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

}  // namespace

void InstallQtHooks() {
  SetMsgBoxHandler(&ShowMessageBox);
  SetYieldHandler(&YieldOnce);
  SetBusyPointerHandler(&SetBusy);
}

void SetMessageHook(MessageHook hook) { Windows().message = std::move(hook); }

MessageRecorder::MessageRecorder() {
  SetMessageHook([this](const std::string& text, const std::string& title) {
    messages_.push_back({text, title});
  });
}

MessageRecorder::~MessageRecorder() { SetMessageHook(nullptr); }

std::vector<std::string> MessageRecorder::texts() const {
  std::vector<std::string> out;
  out.reserve(messages_.size());
  for (const auto& m : messages_) out.push_back(m.text);
  return out;
}

QString SaveFileName(QWidget* parent, const QString& title, const QString& suggested,
                     const QString& filter, const QString& suffix) {
  if (Windows().saveFile) return Windows().saveFile(title, suggested);
  QFileDialog dialog(parent, title, QDir::current().filePath(suggested), filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(suffix);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}

void SetSaveFileHook(SaveFileHook hook) { Windows().saveFile = std::move(hook); }

bool BusyPointerShown() { return Windows().busyShown; }

QString QLines(const std::string& s) {
  QString q = Q(s);
  q.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return q;
}

}  // namespace kva::ui
