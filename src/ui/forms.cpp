// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/forms.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QHideEvent>
#include <map>
#include <utility>
#include <vector>

#include "app/run_mode.h"

namespace kva::ui {
namespace {

std::map<std::type_index, QPointer<QWidget>>& Registry() {
  static std::map<std::type_index, QPointer<QWidget>> registry;
  return registry;
}

// The window of ours that last became active; Form_Activate runs only on a change, so the
// synchronous call from ShowForm and the platform's later activation event do not both run it.
QPointer<QWidget>& MainWindowPointer() {
  static QPointer<QWidget> main;
  return main;
}

QPointer<QWidget>& ActiveForm() {
  static QPointer<QWidget> active;
  return active;
}

ModalHook& TheModalHook() {
  static ModalHook hook;
  return hook;
}

std::function<void()>& EndHandler() {
  static std::function<void()> handler;
  return handler;
}

void Forget(QWidget& w) {
  auto& reg = Registry();
  for (auto it = reg.begin(); it != reg.end();) {
    if (it->second == &w || it->second.isNull()) {
      it = reg.erase(it);
    } else {
      ++it;
    }
  }
  if (ActiveForm() == &w) ActiveForm() = nullptr;
}

bool AskToUnload(FormEvents& f, UnloadMode mode) {
  int cancel = 0;
  f.Form_QueryUnload(cancel, mode);
  if (cancel != 0) return false;
  f.Form_Unload(cancel);
  return cancel == 0;
}

// Ends a modal loop when its window is hidden; destruction ends it through destroyed().
class HideWatcher : public QObject {
 public:
  explicit HideWatcher(QEventLoop& loop) : loop_(loop) {}
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::Hide) {
      auto* w = static_cast<QWidget*>(watched);
      if (!w->isVisible()) loop_.quit();
    }
    return false;
  }

 private:
  QEventLoop& loop_;
};

void Raise(QWidget& w) {
  w.show();
  // Offscreen platforms (tests) cannot raise and say so on every call.
  static const bool canRaise = QGuiApplication::platformName() != QLatin1String("offscreen") &&
                               QGuiApplication::platformName() != QLatin1String("minimal");
  if (canRaise) w.raise();
  w.activateWindow();
}

}  // namespace

namespace detail {

void InitForm(QWidget& w) { w.setWindowFlag(Qt::Window, true); }

void OnFormActivated(QWidget& w, FormEvents& f) {
  if (ActiveForm() == &w) return;
  ActiveForm() = &w;
  f.Form_Activate();
}

void OnFormHidden(QWidget& w) {
  if (ActiveForm() == &w) ActiveForm() = nullptr;
}

bool OnFormClose(QWidget& w, FormEvents& f) {
  if (!AskToUnload(f, UnloadMode::FormControlMenu)) return false;
  Forget(w);
  w.deleteLater();
  return true;
}

QWidget* FindRegistered(std::type_index type) {
  auto& reg = Registry();
  auto it = reg.find(type);
  if (it == reg.end()) return nullptr;
  if (it->second.isNull()) {
    reg.erase(it);
    return nullptr;
  }
  return it->second.data();
}

void Register(std::type_index type, QWidget* w) { Registry()[type] = w; }

void Show(QWidget& w, FormEvents& f, ShowMode mode) {
  if (mode == ShowMode::Modeless) {
    Raise(w);
    OnFormActivated(w, f);
    return;
  }
  QPointer<QWidget> guard(&w);
  // Modality can only change while the window is hidden.
  if (w.isVisible()) w.hide();
  w.setWindowModality(Qt::ApplicationModal);
  Raise(w);
  OnFormActivated(w, f);
  if (guard && guard->isVisible() && !ProgramEnding()) {
    if (TheModalHook()) {
      TheModalHook()(*guard);
      if (guard && guard->isVisible()) guard->hide();
    } else {
      QEventLoop loop;
      HideWatcher watcher(loop);
      guard->installEventFilter(&watcher);
      QObject::connect(guard.data(), &QObject::destroyed, &loop, &QEventLoop::quit);
      loop.exec(QEventLoop::DialogExec);
      if (guard) guard->removeEventFilter(&watcher);
    }
  }
  if (guard) guard->setWindowModality(Qt::NonModal);
}

bool Unload(QWidget& w, FormEvents& f, UnloadMode mode) {
  if (!AskToUnload(f, mode)) return false;
  Forget(w);
  w.hide();
  w.deleteLater();
  return true;
}

}  // namespace detail

bool UnloadThis(QWidget& w, UnloadMode mode) {
  auto* f = dynamic_cast<FormEvents*>(&w);
  if (f == nullptr) {
    w.hide();
    w.deleteLater();
    return true;
  }
  return detail::Unload(w, *f, mode);
}

void SetMainWindow(QWidget* w) { MainWindowPointer() = w; }

QWidget* MainWindow() { return MainWindowPointer().data(); }

void UnloadAllForms() {
  std::vector<QPointer<QWidget>> forms;
  for (auto& [type, w] : Registry()) forms.push_back(w);
  Registry().clear();
  ActiveForm() = nullptr;
  for (auto& w : forms) delete w.data();
}

void SetModalHook(ModalHook hook) { TheModalHook() = std::move(hook); }

void SetEndProgramHandler(std::function<void()> handler) { EndHandler() = std::move(handler); }

void EndProgram() {
  if (EndHandler()) {
    EndHandler()();
    return;
  }
  SetProgramEnding(true);
  for (auto& [type, w] : Registry()) {
    if (w) w->hide();
  }
  QCoreApplication::exit(0);
}

}  // namespace kva::ui
