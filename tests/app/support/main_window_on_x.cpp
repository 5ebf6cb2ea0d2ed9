#include "tests/app/support/main_window_on_x.h"

#include "app/config.h"
#include "app/console.h"
#include "platform/forms/application.h"

namespace apptest {

void MainWindowOnX::StartMainWindow(bool packsSkins) {
  StartOnX(packsSkins);
  if (IsSkipped() || HasFatalFailure()) return;
  RegisterClass(TForm1::StaticClassInfo());
  Tarnwick1::SetCommandLine({});
  Tarnwick1::ProgramFolder = dir.path() + "/";
}

void MainWindowOnX::TearDown() {
  if (form) form->Free();
  form = nullptr;
  Pump();
  X11Application::TearDown();
  Tarnwick1::ProgramFolder.clear();
}

void MainWindowOnX::Create(const std::string& config) {
  if (!config.empty()) testsupport::WriteFile(dir.File("Velmora.cfg"), config);
  Application->CreateForm(form);
}

}  // namespace apptest
