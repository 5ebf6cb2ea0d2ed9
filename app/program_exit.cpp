#include "app/program_exit.h"

#include "app/console.h"
#include "platform/forms/application.h"
#include "platform/rtl/end_signals.h"
#include "platform/user/user_display.h"

namespace Tarnwick1 {

int ExitStatus = 0;

void FailBatch(const std::string& message, int status) {
  if (!message.empty()) WriteConsoleError(message);
  if (ExitStatus == 0) ExitStatus = status;
  if (Application) Application->Terminate();
}

void NoteEndFromOutside() {
  static bool noted = false;
  if (noted || !EndRequested()) return;
  noted = true;
  if (const int signal = CaughtEndSignal()) {
    FailBatch("Velmora ended on " + EndSignalName(signal) + ".", kExitSignalBase + signal);
  } else {
    FailBatch("The connection to the X display was lost: Velmora ended.", kExitDisplayLost);
  }
}

}  // namespace Tarnwick1
