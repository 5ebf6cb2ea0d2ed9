// Progress bars (TProgressBar over "msctls_progress32"): range, position, step, smooth.
#pragma once

#include "platform/forms/controls.h"

enum TProgressBarOrientation { pbHorizontal, pbVertical };
const TEnumInfo& ProgressBarOrientationEnumInfo();

class TProgressBar : public TWinControl {
 public:
  explicit TProgressBar(TComponent* owner);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  int Min() const { return min_; }
  void SetMin(int v);
  int Max() const { return max_; }
  void SetMax(int v);
  // Kept within Min..Max.
  int Position() const;
  void SetPosition(int v);
  int Step() const { return step_; }
  void SetStep(int v);
  void StepIt();
  void StepBy(int delta);
  bool Smooth() const { return smooth_; }
  void SetSmooth(bool v);
  TProgressBarOrientation Orientation() const { return orientation_; }
  void SetOrientation(TProgressBarOrientation o);
  bool CanFocus() const override { return false; }

 protected:
  void CreateParams(TCreateParams& params) override;
  void InitializeWnd() override;

 private:
  void UpdateStyle();
  int min_ = 0, max_ = 100, position_ = 0, step_ = 10;
  bool smooth_ = false;
  TProgressBarOrientation orientation_ = pbHorizontal;
};
