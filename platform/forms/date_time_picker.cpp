#include "platform/forms/date_time_picker.h"

#include <cmath>

#include "platform/forms/win/common_controls.h"
#include "platform/user/message_loop.h"
#include "platform/user/styles.h"
#include "platform/user/window.h"

const TClassInfo& TDateTimePicker::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TDateTimePicker>("TDateTimePicker", &TWinControl::StaticClassInfo())
                                     .Prop("Date", &TDateTimePicker::Date, &TDateTimePicker::SetDate)
                                     .Event("OnChange", &TDateTimePicker::OnChange)
                                     .Creator([](TComponent* o) { return new TDateTimePicker(o); })
                                     .Build();
  return info;
}

TDateTimePicker::TDateTimePicker(TComponent* owner) : TWinControl(owner) {
  width_ = 186;
  height_ = 21;
  color_ = clWindow;
  SetTabStop(true);
}

void TDateTimePicker::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.WinClassName = DATETIMEPICK_CLASS;
  p.SystemClass = true;
  p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TDateTimePicker::InitializeWnd() { SetDate(date_); }

void TDateTimePicker::SaveWndState() { date_ = Date(); }

TDateTime TDateTimePicker::Date() const {
  HWND h = HandleIfAllocated();
  if (!h) return date_;
  SYSTEMTIME st;
  SendMessageW(h, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st));
  return EncodeDateTime(TDateTimeParts{st.wYear, st.wMonth, st.wDay, 0, 0, 0, 0});
}

void TDateTimePicker::SetDate(TDateTime value) {
  if (!std::isfinite(value)) return;
  date_ = std::floor(value);
  HWND h = HandleIfAllocated();
  if (!h) return;
  const TDateTimeParts p = DecodeDateTime(date_);
  SYSTEMTIME st;
  st.wYear = WORD(p.Year);
  st.wMonth = WORD(p.Month);
  st.wDay = WORD(p.Day);
  SendMessageW(h, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
}

void TDateTimePicker::WndProc(TMessage& m) {
  if (m.Msg == CN_NOTIFY && m.LParam && reinterpret_cast<const NMHDR*>(m.LParam)->code == DTN_DATETIMECHANGE) {
    date_ = Date();
    if (OnChange) OnChange(this);
    m.Result = 0;
    return;
  }
  TWinControl::WndProc(m);
}
