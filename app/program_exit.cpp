#include "app/program_exit.h"

#include <csignal>

#include "app/config.h"
#include "app/console.h"
#include "platform/forms/application.h"
#include "platform/rtl/end_signals.h"
#include "platform/user/user_display.h"

namespace Tarnwick1 {

int ExitStatus = 0;

namespace {

void KeepFirstStatus(int status) {
  if (ExitStatus == 0) ExitStatus = status;
}

}  // namespace

void FailBatch(const std::string& message, int status) {
  if (!message.empty()) WriteConsoleError(message);
  KeepFirstStatus(status);
  if (Application) Application->Terminate();
}

void SaveConfigOnTheWayOut(const TSorterView& view, bool toPerson) {
  try {
    SaveConfig(view);
  } catch (const std::exception& e) {
    // The failure is the first one even when a signal comes while its dialog is up.
    KeepFirstStatus(kExitConfigError);
    if (toPerson && Application) Application->HandleException(nullptr, e);
    FailBatch(toPerson ? std::string() : std::string(e.what()), kExitConfigError);
  }
}

void NoteEndFromOutside() {
  static bool noted = false;
  if (noted || !EndRequested()) return;
  noted = true;
  const int signal = CaughtEndSignal();
  // A connection to the display that broke under a write raises SIGPIPE too: the display is
  // what went.
  if (signal != 0 && !(signal == SIGPIPE && CurrentDisplay().ConnectionLost())) {
    FailBatch("Velmora ended on " + EndSignalName(signal) + ".", kExitSignalBase + signal);
  } else {
    FailBatch("The connection to the X display was lost: Velmora ended.", kExitDisplayLost);
  }
}

}  // namespace Tarnwick1
