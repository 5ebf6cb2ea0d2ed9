#include "platform/forms/win/std_controls.h"

#include "platform/forms/win/control_util.h"

void RegisterStandardControls() {
  stdctl::RegisterButtonClass();
  stdctl::RegisterEditClass();
  stdctl::RegisterStaticClass();
  stdctl::RegisterProgressClass();
  stdctl::RegisterListBoxClass();
  stdctl::RegisterScrollBarClass();
  stdctl::RegisterComboBoxClasses();
  stdctl::RegisterListViewClass();
  stdctl::RegisterTabClass();
  stdctl::RegisterUpDownClass();
  stdctl::RegisterTrackBarClass();
  stdctl::RegisterStatusBarClass();
  stdctl::RegisterHeaderClass();
  stdctl::RegisterDateTimeClass();
}
