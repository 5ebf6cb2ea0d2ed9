// The program's start: the command line, the application object titled "Velmora", the main
// window and the message loop.
#include <string>
#include <vector>

#include "app/console.h"
#include "app/heap_settings.h"
#include "app/program_exit.h"
#include "app/tarnwick1.h"
#include "platform/forms/application.h"
#include "platform/forms/standard_classes.h"
#include "platform/rtl/end_signals.h"
#include "platform/user/user_display.h"
#include "skin/skin_data.h"
#include "skin/skin_manage.h"

namespace Tarnwick1 {

int RunProgram(int argc, char** argv) {
  KeepLargeBuffersInHeap();
  // SIGTERM, SIGHUP, SIGINT and the other signals that end a program end it as closing its
  // window does.
  CatchEndSignals();
  SetCommandLine(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
  ExitStatus = 0;
  // Batch mode needs no screen: it runs on the headless back end even where X is available,
  // so that nothing appears and nothing waits for a person.
  if (ConsoleMode()) {
    display::HeadlessDisplay* headless = UseHeadlessDisplay();
    // The list of a run in clipboard mode still goes to the desktop's clipboard where there
    // is one; the connection is made only when the list is put there.
    if (headless) headless->KeepClipboardOn([] { return display::OpenX11Display(); });
  }
  Application->Initialize();
  Application->SetTitle("Velmora");
  if (!ConsoleMode() && CurrentDisplay().IsHeadless()) {
    WriteConsoleError("Velmora needs an X display for its window (DISPLAY is not set or cannot be opened).\r"
                      "\"velmora X\" runs the saved comparison without one.");
    return kExitNoDisplay;
  }
  RegisterStandardClasses();
  RegisterSkinClasses();
  UseSkinManage();
  RegisterClass(TForm1::StaticClassInfo());
  TForm1* form = nullptr;
  try {
    Application->CreateForm(form);
    Application->Run();
  } catch (const std::exception& e) {
    FailBatch(e.what(), kExitRunError);
  }
  NoteEndFromOutside();
  // The windows get their own procedures back before they go.
  FreeSkinManager();
  DoneApplication();
  // A signal while the settings were saved on the way out (the window's destruction) is told too.
  NoteEndFromOutside();
  return ExitStatus;
}

}  // namespace Tarnwick1
