#include "app/program_exit.h"

#include "app/console.h"
#include "platform/forms/application.h"

namespace Tarnwick1 {

int ExitStatus = 0;

void FailBatch(const std::string& message, int status) {
  if (!message.empty()) WriteConsoleError(message);
  if (ExitStatus == 0) ExitStatus = status;
  if (Application) Application->Terminate();
}

}  // namespace Tarnwick1
