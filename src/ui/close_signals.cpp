// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/close_signals.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <csignal>
#include <utility>

namespace kva::ui {
namespace {

constexpr std::array<int, 3> kCloseSignals = {SIGTERM, SIGINT, SIGHUP};

// [0] written by the handler, [1] read by the notifier.
int signalPipe[2] = {-1, -1};
struct sigaction previous[kCloseSignals.size()];

void OnCloseSignal(int signal) {
  const int savedErrno = errno;
  const unsigned char number = static_cast<unsigned char>(signal);
  // A full socket already holds a signal that will be served; nothing is lost by dropping this.
  [[maybe_unused]] const ssize_t n = ::write(signalPipe[0], &number, 1);
  errno = savedErrno;
}

}  // namespace

CloseSignals::CloseSignals(std::function<void(int signal)> onSignal)
    : onSignal_(std::move(onSignal)) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalPipe) != 0) {
    signalPipe[0] = signalPipe[1] = -1;
    return;  // the signals keep their default action
  }
  notifier_ = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &CloseSignals::ReadSignals);
  struct sigaction sa {};
  sa.sa_handler = &OnCloseSignal;
  sigemptyset(&sa.sa_mask);
  // SA_RESETHAND: the second signal of a kind ends a close that hangs (a stuck transfer).
  sa.sa_flags = SA_RESTART | SA_RESETHAND;
  for (size_t i = 0; i < kCloseSignals.size(); ++i) sigaction(kCloseSignals[i], &sa, &previous[i]);
}

CloseSignals::~CloseSignals() {
  if (notifier_ == nullptr) return;
  for (size_t i = 0; i < kCloseSignals.size(); ++i) {
    sigaction(kCloseSignals[i], &previous[i], nullptr);
  }
  delete notifier_;
  ::close(signalPipe[0]);
  ::close(signalPipe[1]);
  signalPipe[0] = signalPipe[1] = -1;
}

void CloseSignals::ReadSignals() {
  unsigned char number = 0;
  while (::read(signalPipe[1], &number, 1) == 1) {
    if (received_ != 0) continue;  // the close is under way already
    received_ = number;
    if (onSignal_) onSignal_(number);
  }
}

}  // namespace kva::ui
