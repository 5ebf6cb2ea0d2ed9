#include "app/info_dialog.h"

#include "app/console.h"

namespace Tarnwick1 {

TSorterView* SorterView = nullptr;

TInfoAnswer ShowInfoDialog(const std::string& text, TInfoButtons buttons, TColor colour) {
  if (ConsoleMode() || SorterView == nullptr) {
    WriteConsoleError(text);
    return TInfoAnswer::Ok;
  }
  return SorterView->InfoDialog(text, buttons, colour);
}

}  // namespace Tarnwick1
