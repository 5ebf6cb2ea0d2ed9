// The main window on an X server of the test's own, the program's folder a folder of the
// test's own (where its configuration is written).
#pragma once

#include <string>

#include "app/tarnwick1.h"
#include "tests/skin/skinned_x11_fixture.h"
#include "tests/support/test_support.h"

namespace apptest {

class MainWindowOnX : public skintest::X11Application {
 protected:
  // The application on X with the main window's class registered and no command line
  // arguments; skips the test as StartOnX does.
  void StartMainWindow(bool packsSkins);
  void TearDown() override;
  // The main window made (not shown), after the configuration when one is given.
  void Create(const std::string& config);

  testsupport::TempDir dir;
  TForm1* form = nullptr;
};

}  // namespace apptest
