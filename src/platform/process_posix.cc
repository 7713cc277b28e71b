// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <langinfo.h>
#include <signal.h>
#include <strings.h>
#include <sys/random.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstring>
#include <ctime>
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

// A random number for the pauses' random part; the clock where the system
// has none to give, which still tells two processes apart.
unsigned random_number() {
  unsigned number = 0;
  if (getrandom(&number, sizeof number, GRND_NONBLOCK) == static_cast<ssize_t>(sizeof number)) return number;
  timespec now{};
  (void)clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<unsigned>(now.tv_nsec) ^ static_cast<unsigned>(getpid());
}

}  // namespace

ProcessSetting prepare_process() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free descriptor is this one. Should the null device be
    // missing, nothing else can be done; the font is then refused further on
    // as no regular file would be had it become one of them.
    const int null_device = open("/dev/null", O_RDWR);
    if (null_device > 2) (void)close(null_device);
  }
  (void)signal(SIGPIPE, SIG_IGN);  // cannot fail for SIGPIPE
  // An open by another process breaks the tool's lease and sends SIGIO, whose
  // default action would end the tool in the middle of a step. The tool has
  // no other use for it; sigaction cannot fail for SIGIO with a valid action.
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  (void)sigaction(SIGIO, &ignore, nullptr);
  ProcessSetting setting;
  if (std::setlocale(LC_CTYPE, "") != nullptr) {
    const char* charset = nl_langinfo(CODESET);
    for (const char* name : {"SHIFT_JIS", "SHIFT_JISX0213", "SJIS", "CP932", "WINDOWS-31J"})
      if (strcasecmp(charset, name) == 0) setting.shift_jis_locale = true;
    (void)std::setlocale(LC_CTYPE, "C");  // "C" always exists
  }
  return setting;
}

char** program_arguments(int&, char** argv) { return argv; }

bool is_help_word(const char* argument) {
  for (const char* word : {"--help", "-h"})
    if (std::strcmp(argument, word) == 0) return true;
  return false;
}

void hold_termination() {
  const sigset_t signals = termination_signals();
  (void)sigprocmask(SIG_BLOCK, &signals, nullptr);  // cannot fail with SIG_BLOCK and a valid set
}

void release_termination() {
  const sigset_t signals = termination_signals();
  (void)sigprocmask(SIG_UNBLOCK, &signals, nullptr);  // a pending signal is delivered here
}

void pause_about_ms(int ms) {
  const long range = ms / 2 + 1;
  const long us = ms * 750L + static_cast<long>(random_number() % static_cast<unsigned>(range * 1000));
  timespec pause{us / 1'000'000, (us % 1'000'000) * 1000};
  while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
  }
}

void let_interrupt_end_wait() {
  struct sigaction interrupt {};
  interrupt.sa_handler = end_wait;  // no SA_RESTART: the read returns
  (void)sigaction(SIGINT, &interrupt, nullptr);
}
