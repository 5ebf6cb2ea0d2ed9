// Date pickers of the class library over "SysDateTimePick32": Date (whole days count, the time
// of day is kept at 0) and OnChange, run when the user changes the date.
#pragma once

#include "platform/forms/controls.h"
#include "platform/rtl/datetime.h"

class TDateTimePicker : public TWinControl {
 public:
  explicit TDateTimePicker(TComponent* owner);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  TDateTime Date() const;
  void SetDate(TDateTime value);
  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void InitializeWnd() override;
  void SaveWndState() override;
  void WndProc(TMessage& message) override;

 private:
  TDateTime date_ = 0;
};
