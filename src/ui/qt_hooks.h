// SPDX-License-Identifier: GPL-3.0-or-later
// Wires the core's hooks (app/hooks.h) to Qt, and the test hooks that answer message boxes.
//
// InstallQtHooks() makes
//   MsgBox(text, title)  an OK-only message box with that title (the application title
//                        kAppTitle unless the caller gave another), modal to the program;
//   Yield()              one pass of Qt event processing (none once ProgramEnding() is set:
//                        loops that yield must then return);
//   SetBusyPointer(on)   the hourglass (Qt::WaitCursor) over the whole program, or not.
// Call it once after the QApplication exists (the desktop program and every window test).
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "ui/window_state.h"

namespace kva::ui {

void InstallQtHooks();

// Tests: called instead of showing the box. An empty hook restores the real box.
void SetMessageHook(MessageHook hook);

// Records every message box while it lives, answering each with OK at once.
//   MessageRecorder messages;
//   ... run a handler ...
//   EXPECT_EQ(messages.texts(), std::vector<std::string>{"Error getting Board Info"});
struct RecordedMessage {
  std::string text;
  std::string title;
};
class MessageRecorder {
 public:
  MessageRecorder();
  ~MessageRecorder();
  MessageRecorder(const MessageRecorder&) = delete;
  MessageRecorder& operator=(const MessageRecorder&) = delete;

  const std::vector<RecordedMessage>& messages() const { return messages_; }
  std::vector<std::string> texts() const;
  void clear() { messages_.clear(); }

 private:
  std::vector<RecordedMessage> messages_;
};

// Asks for the name of a file to write: a modal save dialog starting in the current folder
// with the suggested name, the filter and a default suffix. Empty when cancelled.
QString SaveFileName(QWidget* parent, const QString& title, const QString& suggested,
                     const QString& filter, const QString& suffix);

// Tests: called instead of the dialog, returns the chosen name (empty: cancelled). An empty
// hook restores the dialog.
void SetSaveFileHook(SaveFileHook hook);

// Whether the hourglass is showing (SetBusyPointer state).
bool BusyPointerShown();

// std::string <-> QString, UTF-8.
inline QString Q(const std::string& s) { return QString::fromStdString(s); }
inline std::string S(const QString& s) { return s.toStdString(); }
// Text with CR LF line ends, as the core writes it, in the form text widgets expect (LF).
QString QLines(const std::string& s);

}  // namespace kva::ui
