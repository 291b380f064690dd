// SPDX-License-Identifier: GPL-3.0-or-later
// Windows that follow the program's own window events, and the registry that keeps one
// instance of each window per run.
//
// A window derives from kva::ui::Form (a top-level QWidget) or kva::ui::MainForm (a
// QMainWindow) and overrides the events it handles:
//
//   class frmPort : public kva::ui::Form {
//     Q_OBJECT
//    public:
//     frmPort();                        // builds the controls only
//    protected:
//     void Form_Load() override;        // once, right after construction by the registry
//     void Form_Activate() override;    // each time the window becomes the active window
//   };
//
// Windows are reached through the registry, never constructed by hand:
//   LoadForm<T>()     the loaded instance, constructed and Form_Load run on first use
//   FindForm<T>()     the loaded instance or nullptr, never loads
//   ShowForm<T>(m)    loads if needed and shows; ShowMode::Modal blocks until the window is
//                     hidden or unloaded (in tests the modal hook runs instead of blocking)
//   UnloadForm<T>()   Form_QueryUnload / Form_Unload with UnloadMode::FormCode, then the
//                     window is destroyed; the next LoadForm builds it afresh
//   hide()            plain QWidget::hide: the window stays loaded and keeps its state
//
// Closing a window with its title bar (or QWidget::close) runs Form_QueryUnload
// (UnloadMode::FormControlMenu) and Form_Unload; either may set cancel to keep the window. An
// accepted close unloads it. Code that means "unload" calls UnloadForm/UnloadThis instead.
//
// Form_Activate runs when a window becomes the active window of this program: synchronously
// when ShowForm shows it, and again when the user switches back to it from another of our
// windows. Switching to another program and back does not run it.
#pragma once

#include <QCloseEvent>
#include <QEvent>
#include <QMainWindow>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <typeindex>

#include "ui/window_state.h"

namespace kva::ui {

// Why a window is being unloaded (passed to Form_QueryUnload).
enum class UnloadMode {
  FormControlMenu = 0,  // the user closed it (title bar, window menu)
  FormCode = 1,         // UnloadForm from code
  AppWindows = 2,       // the session is ending
  AppTaskManager = 3,   // the program is being ended from outside
};

enum class ShowMode { Modeless, Modal };

// The window events a form may handle. All default to doing nothing.
class FormEvents {
 public:
  virtual ~FormEvents() = default;
  virtual void Form_Load() {}
  virtual void Form_Activate() {}
  // Set cancel to non-zero to keep the window loaded.
  virtual void Form_QueryUnload(int& cancel, UnloadMode mode) {
    (void)cancel;
    (void)mode;
  }
  virtual void Form_Unload(int& cancel) { (void)cancel; }
  virtual void Form_Resize() {}
  // After the window itself has painted. Draw into PictureBoxes here; move or resize widgets
  // through a queued call, not directly.
  virtual void Form_Paint() {}
};

namespace detail {
// Shared by every FormT instantiation; defined in forms.cpp.
void OnFormActivated(QWidget& w, FormEvents& f);
void OnFormHidden(QWidget& w);
// Returns true when the close is accepted (the window is then unloaded).
bool OnFormClose(QWidget& w, FormEvents& f);
void InitForm(QWidget& w);
}  // namespace detail

template <class Base>
class FormT : public Base, public FormEvents {
 public:
  explicit FormT(QWidget* parent = nullptr) : Base(parent) { detail::InitForm(*this); }

 protected:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::WindowActivate) detail::OnFormActivated(*this, *this);
    return Base::event(e);
  }
  // Code unloads through UnloadForm/UnloadThis, so a close event is the user's.
  void closeEvent(QCloseEvent* e) override {
    if (detail::OnFormClose(*this, *this)) {
      e->accept();
    } else {
      e->ignore();
    }
  }
  void hideEvent(QHideEvent* e) override {
    Base::hideEvent(e);
    detail::OnFormHidden(*this);
  }
  void resizeEvent(QResizeEvent* e) override {
    Base::resizeEvent(e);
    Form_Resize();
  }
  // Maximising or restoring is a resize too, even where the size happens not to change.
  void changeEvent(QEvent* e) override {
    Base::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange) Form_Resize();
  }
  void paintEvent(QPaintEvent* e) override {
    Base::paintEvent(e);
    Form_Paint();
  }
};

using Form = FormT<QWidget>;
using MainForm = FormT<QMainWindow>;

// ---- registry ----

namespace detail {
QWidget* FindRegistered(std::type_index type);
void Register(std::type_index type, QWidget* w);
void Show(QWidget& w, FormEvents& f, ShowMode mode);
bool Unload(QWidget& w, FormEvents& f, UnloadMode mode);
}  // namespace detail

template <class T>
T* FindForm() {
  return static_cast<T*>(detail::FindRegistered(std::type_index(typeid(T))));
}

template <class T>
T& LoadForm() {
  if (T* existing = FindForm<T>()) return *existing;
  T* form = new T();
  detail::Register(std::type_index(typeid(T)), form);
  static_cast<FormEvents*>(form)->Form_Load();  // handlers may be protected in T
  return *form;
}

template <class T>
T& ShowForm(ShowMode mode = ShowMode::Modeless) {
  T& form = LoadForm<T>();
  detail::Show(form, form, mode);
  return form;
}

// Returns false when the window refused (its Form_QueryUnload or Form_Unload cancelled).
template <class T>
bool UnloadForm() {
  T* form = FindForm<T>();
  return form == nullptr || detail::Unload(*form, *form, UnloadMode::FormCode);
}

// Unload a window given by reference, e.g. a window unloading itself from one of its own
// handlers. Destruction is deferred to the event loop, so the calling handler may finish.
bool UnloadThis(QWidget& w, UnloadMode mode = UnloadMode::FormCode);

// The main window, for the windows that place themselves relative to it: the main window
// registers itself when it is built; nullptr before that and after it is gone.
void SetMainWindow(QWidget* w);
QWidget* MainWindow();

// Destroys every loaded window without asking them (end of program, test teardown).
void UnloadAllForms();

// Tests: called instead of blocking when a window is shown modal. The window is visible and
// activated when the hook runs; the modal call returns when the hook returns (a window the
// hook left visible is hidden then). An empty hook restores the real modal loop.
void SetModalHook(ModalHook hook);

// Ends the program: marks it ending (kva::ProgramEnding), hides every window and leaves the
// event loops; the program ends when the running handler returns to the event loop (a loop
// inside a handler returns as soon as it sees ProgramEnding()). Tests replace it with a
// recorder; an empty handler restores the default.
void EndProgram();
void SetEndProgramHandler(std::function<void()> handler);

}  // namespace kva::ui
