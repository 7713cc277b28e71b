// SPDX-License-Identifier: MIT
// What the run needs of its own process: standard streams that are really
// there, and requests to stop that come at the right moment.
#pragma once

// What the process learned of its surroundings while it was prepared.
struct ProcessSetting {
  bool shift_jis_locale = false;  // Linux: the user's locale's character set is Shift_JIS or CP932
};

// Every process-wide setting, made once before any file is opened:
// descriptors 0, 1 and 2 are open (to the null device where they were
// closed), so the font can never be one of them and receive a message; a
// reader that went away is no reason to die (Linux: SIGPIPE ignored), so the
// run's status survives a message that is lost; another process's open that
// breaks the tool's lease does not end it (Linux: SIGIO ignored); and the
// user's locale is asked once, and is then left as "C" so that nothing else
// depends on it. Windows: console events are routed to the hold below.
ProcessSetting prepare_process();

// The program's arguments as the system holds them: on Windows converted from
// UTF-16 to UTF-8, extended to carry a lone surrogate, so every name reaches
// the file named (the narrow vector maps what the ANSI code page lacks to
// look-alikes, and UTF-8 itself has no lone surrogates); on Linux `argv` itself.
char** program_arguments(int& argc, char** argv);

// Whether `argument` is how the platform's programs are asked for their
// usage: --help or -h, and on Windows /? as well.
bool is_help_word(const char* argument);

// From the open for the write until the times are back, a request to stop
// (Linux: SIGINT, SIGTERM, SIGHUP; Windows: a console control event) waits;
// released, a request that came meanwhile ends the process as it would have.
void hold_termination();
void release_termination();

// Sleeps for about `ms` milliseconds: from three quarters of it to five
// quarters, at random, so that runs that collided do not collide again.
void pause_about_ms(int ms);

// During the last wait: Ctrl-C ends the wait as Enter does, and the run's
// status stands.
void let_interrupt_end_wait();
