// SPDX-License-Identifier: GPL-3.0-or-later
// SIGTERM, SIGINT and SIGHUP (a logout, a shutdown, Ctrl+C, a closed terminal) as an orderly
// close: the handler only writes the signal's number into a socket pair; a socket notifier
// reads it on the window thread and calls onSignal there, at the next pass of event
// processing (also inside the yields of a running read loop or datalog). A second signal of
// the same kind, while the close is still under way, ends the process the default way.
#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace kva::ui {

class CloseSignals : public QObject {
 public:
  explicit CloseSignals(std::function<void(int signal)> onSignal);
  ~CloseSignals() override;
  CloseSignals(const CloseSignals&) = delete;
  CloseSignals& operator=(const CloseSignals&) = delete;

  // The first signal received, 0 while none came.
  int received() const { return received_; }

 private:
  void ReadSignals();

  std::function<void(int)> onSignal_;
  QSocketNotifier* notifier_ = nullptr;
  int received_ = 0;
};

}  // namespace kva::ui
