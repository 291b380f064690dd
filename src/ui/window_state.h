// SPDX-License-Identifier: GPL-3.0-or-later
// The windows' own state: which forms are loaded, the main and the active window, and the
// hooks through which tests answer modal windows, message boxes, save dialogs and printers.
// Like the core's ProgramState, a reset is the assignment of a fresh record (after the forms
// have been unloaded).
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <typeindex>

class QPrinter;

namespace kva::ui {

// The test hooks; each is described with its setter (ui/forms.h, ui/qt_hooks.h,
// ui/print_window.h).
using ModalHook = std::function<void(QWidget& form)>;
using MessageHook = std::function<void(const std::string& text, const std::string& title)>;
using SaveFileHook = std::function<QString(const QString& title, const QString& suggested)>;
using PrinterHook = std::function<bool(QPrinter& printer)>;

struct WindowState {
  std::map<std::type_index, QPointer<QWidget>> forms;  // the loaded instance of each form class
  QPointer<QWidget> mainWindow;
  // The window of ours that last became active; Form_Activate runs only on a change, so the
  // synchronous call from ShowForm and the platform's later activation event do not both run it.
  QPointer<QWidget> activeForm;
  std::function<void()> endProgram;
  ModalHook modal;
  MessageHook message;
  SaveFileHook saveFile;
  PrinterHook printer;
  bool busyShown = false;
  std::optional<double> dpiOverride;
};

namespace detail {
inline WindowState windowState;
}

inline WindowState& Windows() { return detail::windowState; }

}  // namespace kva::ui
