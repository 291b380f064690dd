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

void Forget(QWidget& w) {
  auto& reg = Windows().forms;
  for (auto it = reg.begin(); it != reg.end();) {
    if (it->second == &w || it->second.isNull()) {
      it = reg.erase(it);
    } else {
      ++it;
    }
  }
  if (Windows().activeForm == &w) Windows().activeForm = nullptr;
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
  if (Windows().activeForm == &w) return;
  Windows().activeForm = &w;
  f.Form_Activate();
}

void OnFormHidden(QWidget& w) {
  if (Windows().activeForm == &w) Windows().activeForm = nullptr;
}

bool OnFormClose(QWidget& w, FormEvents& f) {
  if (!AskToUnload(f, UnloadMode::FormControlMenu)) return false;
  Forget(w);
  w.deleteLater();
  return true;
}

QWidget* FindRegistered(std::type_index type) {
  auto& reg = Windows().forms;
  auto it = reg.find(type);
  if (it == reg.end()) return nullptr;
  if (it->second.isNull()) {
    reg.erase(it);
    return nullptr;
  }
  return it->second.data();
}

void Register(std::type_index type, QWidget* w) { Windows().forms[type] = w; }

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
    if (Windows().modal) {
      Windows().modal(*guard);
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

void SetMainWindow(QWidget* w) { Windows().mainWindow = w; }

QWidget* MainWindow() { return Windows().mainWindow.data(); }

void UnloadAllForms() {
  std::vector<QPointer<QWidget>> forms;
  for (auto& [type, w] : Windows().forms) forms.push_back(w);
  Windows().forms.clear();
  Windows().activeForm = nullptr;
  for (auto& w : forms) delete w.data();
}

void SetModalHook(ModalHook hook) { Windows().modal = std::move(hook); }

void SetEndProgramHandler(std::function<void()> handler) {
  Windows().endProgram = std::move(handler);
}

void EndProgram() {
  if (Windows().endProgram) {
    Windows().endProgram();
    return;
  }
  SetProgramEnding(true);
  for (auto& [type, w] : Windows().forms) {
    if (w) w->hide();
  }
  QCoreApplication::exit(0);
}

}  // namespace kva::ui
