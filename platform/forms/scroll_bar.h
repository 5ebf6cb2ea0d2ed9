// Scroll bar controls (TScrollBar over the "ScrollBar" class): kind, range, position, page,
// the steps of a line and a page, and OnChange when the user or the program moves it.
#pragma once

#include "platform/forms/controls.h"

enum TScrollBarKind { sbHorizontal, sbVertical };
const TEnumInfo& ScrollBarKindEnumInfo();

class TScrollBar : public TWinControl {
 public:
  explicit TScrollBar(TComponent* owner);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  TScrollBarKind Kind() const { return kind_; }
  void SetKind(TScrollBarKind k);
  int Min() const { return min_; }
  void SetMin(int v) { SetParams(position_, v, max_); }
  int Max() const { return max_; }
  void SetMax(int v) { SetParams(position_, min_, v); }
  int Position() const { return position_; }
  void SetPosition(int v) { SetParams(v, min_, max_); }
  int PageSize() const { return pageSize_; }
  void SetPageSize(int v);
  int SmallChange() const { return smallChange_; }
  void SetSmallChange(int v) { smallChange_ = v; }
  int LargeChange() const { return largeChange_; }
  void SetLargeChange(int v) { largeChange_ = v; }
  // Range and position at once; the position is kept within the range.
  void SetParams(int position, int min, int max);

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void InitializeWnd() override;
  void WndProc(TMessage& message) override;

 private:
  void Push();
  void Scroll(int code, int thumb);
  TScrollBarKind kind_ = sbHorizontal;
  int min_ = 0, max_ = 100, position_ = 0, pageSize_ = 0, smallChange_ = 1, largeChange_ = 1;
};
