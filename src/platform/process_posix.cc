// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <initializer_list>

#include "platform/process.h"

namespace {

sigset_t termination_signals() {
  sigset_t signals;
  sigemptyset(&signals);
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&signals, signal_number);
  return signals;
}

void end_wait(int) {}  // only interrupts the read

}  // namespace

void prepare_process() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free descriptor is this one. Should the null device be
    // missing, nothing else can be done; the font is then refused further on
    // as no regular file would be had it become one of them.
    const int null_device = open("/dev/null", O_RDWR);
    if (null_device > 2) (void)close(null_device);
  }
  (void)signal(SIGPIPE, SIG_IGN);  // cannot fail for SIGPIPE
}

char** program_arguments(int&, char** argv) { return argv; }

void hold_termination() {
  const sigset_t signals = termination_signals();
  (void)sigprocmask(SIG_BLOCK, &signals, nullptr);  // cannot fail with SIG_BLOCK and a valid set
}

void release_termination() {
  const sigset_t signals = termination_signals();
  (void)sigprocmask(SIG_UNBLOCK, &signals, nullptr);  // a pending signal is delivered here
}

void let_interrupt_end_wait() {
  struct sigaction interrupt {};
  interrupt.sa_handler = end_wait;  // no SA_RESTART: the read returns
  (void)sigaction(SIGINT, &interrupt, nullptr);
}
