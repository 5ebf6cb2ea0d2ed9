// The signals that ask a program to end: every signal whose default action ends a program and
// that comes from outside it. SIGTERM (the session or a supervisor ending it), SIGHUP (logout,
// the terminal gone), SIGINT (Ctrl+C), SIGQUIT (Ctrl+\), SIGPIPE (the reader of its output gone,
// as "| head" leaves it), SIGALRM, SIGUSR1, SIGUSR2, SIGVTALRM, SIGPROF, SIGXCPU, SIGIO, SIGPWR,
// SIGSTKFLT and the real-time signals. Their handler only notes the first one and writes a byte
// into a pipe, so that a loop waiting for input wakes and can end in good order.
// The signals of a program's own fault (SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGTRAP,
// SIGSYS) are left alone: a program in that state cannot save anything safely. SIGXFSZ (a file
// past the size limit) only makes the write fail with EFBIG, as a full disk does.
#pragma once

#include <string>

// Installs the handlers (once). A signal that was ignored when the program started stays
// ignored, as "nohup" and a shell's background jobs expect. A second signal of the same kind
// ends the program at once with the signal's default action (the way out when the orderly end
// does not come), after taking away the scratch file below (SIGPIPE excepted: it comes again
// with every write into the closed pipe).
void CatchEndSignals();
// The first of those signals that arrived, 0 while none has.
int CaughtEndSignal();
// Readable while a caught signal is not yet taken note of with CaughtEndSignal (which empties
// the pipe); -1 before CatchEndSignals.
int EndSignalWakeFd();
// "SIGTERM", "SIGQUIT", "SIGRTMIN+3" ... (else "signal N").
std::string EndSignalName(int signal);
// Forgets a caught signal and puts back the actions that were there before (tests).
void ResetEndSignals();

// A file the program is writing that is of no use unless it is finished (a copy on its way, the
// settings' new content): an end at once removes it, so that nothing half-written stays behind.
// One at a time; a path longer than the system's limit is not kept.
void SetScratchFile(const std::string& path);
// The file is finished (or gone): an end at once leaves it.
void ClearScratchFile();
