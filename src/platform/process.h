// SPDX-License-Identifier: MIT
// What the run needs of its own process: standard streams that are really
// there, and requests to stop that come at the right moment.
#pragma once

// Before any file is opened: descriptors 0, 1 and 2 are open (to the null
// device where they were closed), so the font can never be one of them and
// receive a message; and a reader that went away is no reason to die (Linux:
// SIGPIPE ignored), so the run's status survives a message that is lost.
void prepare_process();

// The program's arguments as the system holds them: on Windows converted from
// UTF-16 to UTF-8, so every name reaches the file named (the narrow vector
// maps what the ANSI code page lacks to look-alikes); on Linux `argv` itself.
char** program_arguments(int& argc, char** argv);

// From the write of the zero until its times are back, a request to stop
// (Linux: SIGINT, SIGTERM, SIGHUP; Windows: a console control event) waits;
// released, a request that came meanwhile ends the process as it would have.
void hold_termination();
void release_termination();

// During the last wait: Ctrl-C ends the wait as Enter does, and the run's
// status stands.
void let_interrupt_end_wait();
