// The signals that ask a program to end: SIGTERM (the session or a supervisor ending it), SIGHUP
// (logout, the terminal gone), SIGINT (Ctrl+C) and SIGPIPE (the reader of its output gone, as
// "| head" leaves it). Their handler only notes the first one and writes a byte into a pipe, so
// that a loop waiting for input wakes and can end in good order.
#pragma once

#include <string>

// Installs the handlers (once). A signal that was ignored when the program started stays
// ignored, as "nohup" and a shell's background jobs expect. A second signal of the same kind
// takes its default action at once: the way out when the orderly end does not come (SIGPIPE
// excepted: it comes again with every write into the closed pipe).
void CatchEndSignals();
// The first of those signals that arrived, 0 while none has.
int CaughtEndSignal();
// Readable while a caught signal is not yet taken note of with CaughtEndSignal (which empties
// the pipe); -1 before CatchEndSignals.
int EndSignalWakeFd();
// "SIGTERM", "SIGHUP", "SIGINT", "SIGPIPE" (else "signal N").
std::string EndSignalName(int signal);
// Forgets a caught signal and puts back the actions that were there before (tests).
void ResetEndSignals();
