// Combo boxes under the skin on the headless screen, drawn with the flat test skin: the wrapper
// each style gets with the wrappers of its list, the frame, button and glyph frames for every
// state probed pixel by pixel, the button at the left mirrored, hover over the button, and the
// drop-down list's skinned scroll bar with its own thumb drag.
#include <gtest/gtest.h>

#include <vector>

#include "platform/forms/application.h"
#include "platform/forms/combo_box.h"
#include "platform/forms/form.h"
#include "platform/forms/win/std_controls.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/user/default_proc.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/metrics.h"
#include "platform/user/painting.h"
#include "platform/user/styles.h"
#include "platform/user/window.h"
#include "skin/controls/skin_combo_box.h"
#include "skin/controls/skin_scroll_bar.h"
#include "skin/forms/win_skin_form.h"
#include "skin/skin_data.h"
#include "skin/skin_manage.h"
#include "tests/skin/flat_skin.h"

using namespace flatskin;

namespace {

const char* const kForm =
    "object ComboForm: TForm\n"
    "  Left = 100\n  Top = 80\n  Caption = 'Combos'\n  ClientHeight = 300\n  ClientWidth = 400\n"
    "  object Push: TButton\n    Left = 250\n    Top = 10\n    Width = 80\n    Height = 26\n    TabOrder = 0\n  end\n"
    "  object Pick: TComboBox\n    Left = 10\n    Top = 10\n    Width = 150\n    Height = 21\n"
    "    Style = csDropDownList\n    TabOrder = 1\n  end\n"
    "  object Typed: TComboBox\n    Left = 10\n    Top = 50\n    Width = 150\n    Height = 21\n    TabOrder = 2\n  end\n"
    "  object Both: TComboBox\n    Left = 10\n    Top = 90\n    Width = 150\n    Height = 120\n"
    "    Style = csSimple\n    TabOrder = 3\n  end\n"
    "end\n";

class SkinnedCombos : public skintest::SkinnedFormFixture {
 protected:
  void SetUp() override {
    SkinnedFormFixture::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    // The class library's combo box is skinned by a line of the list of other classes.
    sd->Skin3rd()->Add("TComboBox=combobox");
    ShowForm(kForm, [](TForm* f) {
      for (const char* name : {"Pick", "Typed", "Both"})
        for (int i = 0; i < 30; ++i)
          dynamic_cast<TComboBox*>(f->FindComponent(name))->Items()->Add("item " + std::to_string(i));
    });
  }
  TComboBox* Combo(const char* name) { return dynamic_cast<TComboBox*>(form->FindComponent(name)); }
  TSkinComBox* SkinOf(const char* name) { return dynamic_cast<TSkinComBox*>(Wrapper()->FindSkinner(Combo(name))); }
  // Drops the combo's list; its window.
  HWND DropList(TComboBox* combo) {
    combo->SetDroppedDown(true);
    Pump();
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    GetComboBoxInfo(combo->Handle(), &info);
    return info.hwndList;
  }
  // A skin whose combo button stands alone (no sunken edge to compose with), drawn framed.
  void OwnButton() {
    TDataSkinBorder* cb = sd->ComboButton.get();
    cb->Bitmap.SetPixelFormat(pf24bit);
    cb->Bitmap.SetSize(4 * kComboButtonW, kComboH);
    for (int f = 0; f < 4; ++f) {
      HBRUSH brush = CreateSolidBrush(ColorToRGB(ComboButtonFrame(f + 1)));
      const RECT r{f * kComboButtonW, 0, (f + 1) * kComboButtonW, kComboH};
      FillRect(cb->Bitmap.Canvas().Handle(), &r, brush);
      DeleteObject(brush);
    }
    cb->LeftWidth = cb->RightWidth = cb->TopHeight = cb->BottomHeight = 0;
    cb->Style = 0;
    sd->SunkEdge.reset();
  }
  TColor At(HWND h, int x, int y) {
    RECT r{};
    GetWindowRect(h, &r);
    return ScreenColor(r.left + x, r.top + y);
  }
};

TEST_F(SkinnedCombos, EachStyleGetsTheWrapperAndItsListsWrappers) {
  ASSERT_NE(Wrapper(), nullptr);
  for (const char* name : {"Pick", "Typed", "Both"}) {
    TSkinComBox* s = SkinOf(name);
    ASSERT_NE(s, nullptr) << name;
    EXPECT_STREQ(s->KindName(), "TSkinComBox");
    const bool simple = std::string(name) == "Both";
    EXPECT_EQ(s->ListSkin != nullptr, simple) << name;
    EXPECT_EQ(s->ListScrollSkin != nullptr, !simple) << name;
  }
  EXPECT_STREQ(SkinOf("Both")->ListSkin->KindName(), "TSkinScrollbarH");
  EXPECT_EQ(SkinOf("Typed")->EditHandle, GetWindow(Combo("Typed")->Handle(), GW_CHILD));
  // A skinned combo answers the query; switched off, its list wrappers go.
  EXPECT_EQ(SendMessageW(Combo("Pick")->Handle(), CM_SKINQUERY, 0, 0), 1);
  SkinOf("Pick")->RestoreColor();
  EXPECT_EQ(SkinOf("Pick")->ListScrollSkin, nullptr);
}

// The skin's frame, button and glyph composed into one image (the usual case): its inner area
// lets the field show through.
TEST_F(SkinnedCombos, EveryStateDrawsItsFrames) {
  TSkinComBox* s = SkinOf("Pick");
  HWND h = Combo("Pick")->Handle();
  const int w = 150, b = GetSystemMetrics(SM_CXHSCROLL) + 2;
  ASSERT_EQ(sd->ComboButton->Style, 2);
  struct Case {
    uint8_t mouse;
    bool enabled;
    int frame;
    const char* what;
  } cases[] = {{0, true, 1, "normal"},
               {kMouseHot, true, 4, "hot"},
               {kMousePressed, true, 2, "pressed"},
               {kMousePressed | kMouseHot, true, 2, "pressed wins"},
               {0, false, 3, "disabled"}};
  for (const Case& c : cases) {
    EnableWindow(h, c.enabled);
    s->MouseState = c.mouse;
    s->Repaint();
    Pump();
    EXPECT_EQ(At(h, 0, 0), SunkFrame(c.frame)) << c.what;
    EXPECT_EQ(At(h, w - 1, 20), ComboButtonFrame(c.frame)) << c.what;
    EXPECT_EQ(At(h, w - b, 1), kComboMark) << c.what;  // the button's left columns
    EXPECT_EQ(At(h, w - b + 9, 10), ExtraFrame(c.frame)) << c.what;  // the glyph, centred
    EXPECT_NE(At(h, 60, 10), skintest::Rgb(255, 0, 255)) << c.what;
  }
  EnableWindow(h, TRUE);
  s->MouseState = 0;
  // Focused without the mouse: the hot look.
  Combo("Pick")->SetFocus();
  Pump();
  EXPECT_EQ(At(h, w - 1, 20), ComboButtonFrame(4));
  EXPECT_TRUE(s->ButtonRect.IsEmpty()) << "the composed image has no button to light";
}

TEST_F(SkinnedCombos, AButtonAtTheLeftIsMirrored) {
  HWND h = Combo("Pick")->Handle();
  dynamic_cast<TWinControl*>(form->FindComponent("Push"))->SetFocus();
  SkinOf("Pick")->MouseState = 0;
  SetWindowLongPtrW(h, GWL_EXSTYLE, GetWindowLongPtrW(h, GWL_EXSTYLE) | WS_EX_LEFTSCROLLBAR);
  SkinOf("Pick")->Repaint();
  Pump();
  const int b = GetSystemMetrics(SM_CXHSCROLL) + 2;
  EXPECT_EQ(At(h, 0, 20), ComboButtonFrame(1));
  EXPECT_EQ(At(h, b - 2, 1), kComboMark);  // the mark now at the button's right
  EXPECT_EQ(At(h, 149, 0), SunkFrame(1));
  // The mirrored image's frames follow the state as the plain one's do.
  SkinOf("Pick")->MouseState = kMousePressed;
  SkinOf("Pick")->Repaint();
  Pump();
  EXPECT_EQ(At(h, 0, 20), ComboButtonFrame(2));
  EXPECT_EQ(At(h, 149, 0), SunkFrame(2));
}

// A skin whose combo button stands alone (no sunken edge to compose with): framed and flat.
TEST_F(SkinnedCombos, AButtonOfItsOwnFramedOrFlat) {
  OwnButton();
  TDataSkinBorder* cb = sd->ComboButton.get();
  TSkinComBox* s = SkinOf("Pick");
  HWND h = Combo("Pick")->Handle();
  const int w = 150, b = GetSystemMetrics(SM_CXHSCROLL);
  s->MouseState = kMouseHot;
  s->Repaint();
  Pump();
  EXPECT_EQ(At(h, w - 1, 0), ComboButtonFrame(4));
  EXPECT_EQ(At(h, w - b - 2, 20), ComboButtonFrame(4));
  EXPECT_EQ(At(h, w - b / 2 - 2, 10), ExtraFrame(4));
  EXPECT_EQ(s->ButtonRect, (RECT{w - b - 2, 0, w, 21}));
  // At the left, the button and the rectangle that lights under the mouse go there too.
  const LONG_PTR ex = GetWindowLongPtrW(h, GWL_EXSTYLE);
  SetWindowLongPtrW(h, GWL_EXSTYLE, ex | WS_EX_LEFTSCROLLBAR);
  s->Repaint();
  Pump();
  EXPECT_EQ(s->ButtonRect, (RECT{0, 0, b + 2, 21}));
  EXPECT_EQ(At(h, 0, 10), ComboButtonFrame(4));
  SetWindowLongPtrW(h, GWL_EXSTYLE, ex);
  // Flat: the shadow colour round the control, the button one frame wide at the right.
  cb->Style = 1;
  s->MouseState = kMousePressed;
  s->Repaint();
  Pump();
  EXPECT_EQ(At(h, 0, 10), kShadow);
  EXPECT_EQ(At(h, w - 3, 10), ComboButtonFrame(2));
  EXPECT_EQ(s->ButtonRect.right, w - 2);
  EXPECT_EQ(s->ButtonRect.right - s->ButtonRect.left, kComboButtonW);
}

// A button of its own lights under the mouse; the composed image, frame and button in one,
// does not.
TEST_F(SkinnedCombos, HoverLightsTheButtonOnly) {
  HWND h = Combo("Typed")->Handle();
  RECT r{};
  GetWindowRect(h, &r);
  screen->MoveMouse(r.right - 5, r.top + 10);
  Pump();
  EXPECT_FALSE(SkinOf("Typed")->MouseState & kMouseHot);
  EXPECT_EQ(At(h, 149, 20), ComboButtonFrame(1));
  EXPECT_EQ(At(h, 0, 0), SunkFrame(1));
  screen->MoveMouse(r.left + 40, r.top + 10);
  Pump();
  OwnButton();
  SkinOf("Typed")->Repaint();
  Pump();
  screen->MoveMouse(r.right - 5, r.top + 10);
  Pump();
  EXPECT_EQ(At(h, 149, 20), ComboButtonFrame(4));
  screen->MoveMouse(r.left + 40, r.top + 10);
  Pump();
  EXPECT_EQ(At(h, 149, 20), ComboButtonFrame(1));
}

TEST_F(SkinnedCombos, TheDroppedListWearsTheSkinnedBarAndDragsItsThumb) {
  TComboBox* pick = Combo("Pick");
  HWND list = DropList(pick);
  EXPECT_TRUE(SkinOf("Pick")->DroppedDown);
  SCROLLBARINFO sb{};
  sb.cbSize = sizeof sb;
  ASSERT_TRUE(GetScrollBarInfo(list, OBJID_VSCROLL, &sb));
  const int x = (sb.rcScrollBar.left + sb.rcScrollBar.right) / 2;
  auto screenAt = [&](int y) { return ScreenColor(x, y); };
  EXPECT_EQ(screenAt(sb.rcScrollBar.top + 2), ScrollFrame(9));
  EXPECT_EQ(screenAt(sb.rcScrollBar.bottom - 3), ScrollFrame(13));
  EXPECT_EQ(screenAt(sb.rcScrollBar.top + (sb.xyThumbTop + sb.xyThumbBottom) / 2), ScrollFrame(20));  // grip
  // Dragging the thumb to the bottom reaches the last rows: thumb-track positions, one
  // thumb-position and an end.
  const int y = sb.rcScrollBar.top + (sb.xyThumbTop + sb.xyThumbBottom) / 2;
  screen->MoveMouse(x, y);
  screen->PressButton(display::MouseButton::Left);
  screen->MoveMouse(x, y + 20);
  screen->MoveMouse(x, y + 400);
  screen->ReleaseButton(display::MouseButton::Left);
  Pump();
  SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(list, SB_VERT, &si);
  EXPECT_EQ(si.nPos, si.nMax - int(si.nPage) + 1);
  EXPECT_EQ(SendMessageW(list, LB_GETTOPINDEX, 0, 0), si.nPos);
  EXPECT_TRUE(pick->DroppedDown());  // still open after the drag
  ASSERT_TRUE(GetScrollBarInfo(list, OBJID_VSCROLL, &sb));
  EXPECT_EQ(screenAt(sb.rcScrollBar.top + (sb.xyThumbTop + sb.xyThumbBottom) / 2), ScrollFrame(20));
  EXPECT_EQ(screenAt(sb.rcScrollBar.top + sb.xyThumbTop - 2), VertTrack(1));
  pick->SetDroppedDown(false);
  Pump();
  EXPECT_FALSE(SkinOf("Pick")->DroppedDown);
}

// A dropped list whose rows all show has no bar, skinned or not: its rows reach its right
// edge. Given more rows than it shows, it gets the skinned bar.
TEST_F(SkinnedCombos, AShortDroppedListShowsNoBarALongOneTheSkinnedOne) {
  TComboBox* pick = Combo("Pick");
  pick->Items()->Clear();
  for (const char* s : {"one", "two", "three"}) pick->Items()->Add(s);
  pick->SetItemIndex(-1);
  HWND list = DropList(pick);
  SCROLLBARINFO sb{};
  sb.cbSize = sizeof sb;
  ASSERT_TRUE(GetScrollBarInfo(list, OBJID_VSCROLL, &sb));
  EXPECT_TRUE(sb.rgstate[0] & STATE_SYSTEM_INVISIBLE);
  RECT lr{}, client{};
  GetWindowRect(list, &lr);
  GetClientRect(list, &client);
  EXPECT_EQ(client.right, lr.right - lr.left - 2);
  const int x = lr.right - 1 - GetSystemMetrics(SM_CXVSCROLL) / 2;
  EXPECT_NE(ScreenColor(x, lr.top + 3), ScrollFrame(9));
  EXPECT_NE(ScreenColor(x, lr.bottom - 4), ScrollFrame(13));
  pick->SetDroppedDown(false);
  Pump();
  for (int i = 0; i < 20; ++i) pick->Items()->Add("more " + std::to_string(i));
  list = DropList(pick);
  ASSERT_TRUE(GetScrollBarInfo(list, OBJID_VSCROLL, &sb));
  EXPECT_FALSE(sb.rgstate[0] & STATE_SYSTEM_INVISIBLE);
  const int bx = (sb.rcScrollBar.left + sb.rcScrollBar.right) / 2;
  EXPECT_EQ(ScreenColor(bx, sb.rcScrollBar.top + 2), ScrollFrame(9));
  EXPECT_EQ(ScreenColor(bx, sb.rcScrollBar.bottom - 3), ScrollFrame(13));
  pick->SetDroppedDown(false);
  Pump();
}

TEST_F(SkinnedCombos, TheListsOwnThumbDragEndsWithOnePositionAndAnEnd) {
  HWND list = DropList(Combo("Pick"));
  // What the list hears, seen over the wrapper's procedure.
  static std::vector<int> codes;
  static WNDPROC below = nullptr;
  codes.clear();
  below = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      list, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_VSCROLL) codes.push_back(LOWORD(wp));
        return CallWindowProcW(below, w, m, wp, lp);
      })));
  SCROLLBARINFO sb{};
  sb.cbSize = sizeof sb;
  ASSERT_TRUE(GetScrollBarInfo(list, OBJID_VSCROLL, &sb));
  const int x = (sb.rcScrollBar.left + sb.rcScrollBar.right) / 2;
  const int y = sb.rcScrollBar.top + (sb.xyThumbTop + sb.xyThumbBottom) / 2;
  screen->MoveMouse(x, y);
  screen->PressButton(display::MouseButton::Left);
  screen->MoveMouse(x, y + 10);
  screen->MoveMouse(x, y + 20);
  screen->ReleaseButton(display::MouseButton::Left);
  Pump();
  SetWindowLongPtrW(list, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(below));
  ASSERT_GE(codes.size(), 3u);
  for (size_t i = 0; i + 2 < codes.size(); ++i) EXPECT_EQ(codes[i], SB_THUMBTRACK) << i;
  EXPECT_EQ(codes[codes.size() - 2], SB_THUMBPOSITION);
  EXPECT_EQ(codes.back(), SB_ENDSCROLL);
  EXPECT_GT(SendMessageW(list, LB_GETTOPINDEX, 0, 0), 0);
}

// The list's thumb drag on a bar without a page (a square thumb): the thumb's whole room maps
// onto the range, so the end of the track is the range's last position.
TEST_F(SkinnedCombos, TheListsThumbDragWithoutAPageReachesTheLastPosition) {
  static std::vector<int> positions;
  positions.clear();
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    if (m == WM_VSCROLL && LOWORD(wp) != SB_ENDSCROLL) positions.push_back(static_cast<int16_t>(HIWORD(wp)));
    return DefWindowProcW(w, m, wp, lp);
  };
  wc.lpszClassName = u"PagelessList";
  RegisterClassExW(&wc);
  HWND host = CreateWindowExW(0, u"PagelessList", u"", WS_CHILD | WS_VISIBLE | WS_VSCROLL, 200, 60, 120, 200,
                              form->Handle(), nullptr, nullptr, nullptr);
  ASSERT_NE(host, nullptr);
  SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 100, 0, 0, 0};
  SetScrollInfo(host, SB_VERT, &si, TRUE);
  auto owned = std::make_unique<TComboxScrollBar>();
  Wrapper()->ControlSkins.push_back(std::move(owned));
  Wrapper()->ControlSkins.back()->AttachWindow(host, sd.get(), Wrapper(), 0);
  Pump();
  SCROLLBARINFO sb{};
  sb.cbSize = sizeof sb;
  ASSERT_TRUE(GetScrollBarInfo(host, OBJID_VSCROLL, &sb));
  ASSERT_GT(sb.xyThumbBottom, sb.xyThumbTop);
  const int x = (sb.rcScrollBar.left + sb.rcScrollBar.right) / 2;
  const int y = sb.rcScrollBar.top + (sb.xyThumbTop + sb.xyThumbBottom) / 2;
  screen->MoveMouse(x, y);
  screen->PressButton(display::MouseButton::Left);
  screen->MoveMouse(x, y + 60);
  screen->MoveMouse(x, sb.rcScrollBar.bottom + 100);
  screen->ReleaseButton(display::MouseButton::Left);
  Pump();
  ASSERT_GE(positions.size(), 2u);
  EXPECT_EQ(positions.back(), 100) << "the thumb position at the release";
  EXPECT_EQ(positions[positions.size() - 2], 100) << "the last thumb-track position";
  DestroyWindow(host);
  Pump();
}

// The list's own thumb drag waits for the mouse between its messages (the program sleeps
// until input comes) rather than asking for messages over and over while none are there.
TEST_F(SkinnedCombos, TheListsThumbDragWaitsForInput) {
  TComboBox* pick = Combo("Pick");
  HWND list = DropList(pick);
  SCROLLBARINFO sb{};
  sb.cbSize = sizeof sb;
  ASSERT_TRUE(GetScrollBarInfo(list, OBJID_VSCROLL, &sb));
  const int x = (sb.rcScrollBar.left + sb.rcScrollBar.right) / 2;
  const int y = sb.rcScrollBar.top + (sb.xyThumbTop + sb.xyThumbBottom) / 2;
  // The button comes up from a timer while the drag runs.
  static display::HeadlessDisplay* input = nullptr;
  input = screen;
  const UINT_PTR timer = SetTimer(nullptr, 0, 60, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    input->ReleaseButton(display::MouseButton::Left);
  });
  ASSERT_NE(timer, 0u);
  // What the list hears, seen over the wrapper's procedure: the drag's end.
  static std::vector<int> codes;
  static WNDPROC below = nullptr;
  codes.clear();
  below = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      list, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_VSCROLL) codes.push_back(LOWORD(wp));
        return CallWindowProcW(below, w, m, wp, lp);
      })));
  screen->MoveMouse(x, y);
  screen->PressButton(display::MouseButton::Left);
  const int waits = screen->WaitCount();
  Pump();
  SetWindowLongPtrW(list, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(below));
  ASSERT_GE(codes.size(), 2u);
  EXPECT_EQ(codes[codes.size() - 2], SB_THUMBPOSITION) << "the drag ran and ended";
  EXPECT_EQ(codes.back(), SB_ENDSCROLL);
  EXPECT_GT(screen->WaitCount(), waits) << "it waited for the button to come up";
  EXPECT_TRUE(pick->DroppedDown());
}

// A raw combo window (no class-library control): its frame is drawn, its list left alone.
TEST_F(SkinnedCombos, ARawComboWindowIsFramedWithoutListWrappers) {
  RegisterStandardControls();
  HWND raw = CreateWindowExW(0, WC_COMBOBOX, u"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, 180, 60, 150, 21,
                             form->Handle(), nullptr, nullptr, nullptr);
  ASSERT_NE(raw, nullptr);
  auto owned = std::make_unique<TSkinComBox>();
  TSkinComBox* s = owned.get();
  Wrapper()->ControlSkins.push_back(std::move(owned));
  s->AttachWindow(raw, sd.get(), Wrapper(), 0);
  InvalidateRect(raw, nullptr, TRUE);
  Pump();
  EXPECT_EQ(s->ListScrollSkin, nullptr);
  EXPECT_EQ(s->ListSkin, nullptr);
  EXPECT_EQ(At(raw, 0, 0), SunkFrame(1));
  EXPECT_EQ(At(raw, 149, 20), ComboButtonFrame(1));
  DestroyWindow(raw);
  Pump();
}

// The drop-down button of an editable combo is lit under the mouse and goes out when the mouse
// moves on into the edit part (a window of its own inside the combo).
TEST_F(SkinnedCombos, TheButtonGoesOutWhenTheMouseMovesIntoTheEdit) {
  OwnButton();
  TComboBox* typed = Combo("Typed");
  HWND h = typed->Handle();
  SkinOf("Typed")->Repaint();
  Pump();
  RECT r{};
  GetWindowRect(h, &r);
  screen->MoveMouse(r.right - 5, r.top + 10);
  Pump();
  ASSERT_TRUE(SkinOf("Typed")->MouseState & kMouseHot);
  EXPECT_EQ(At(h, 149, 20), ComboButtonFrame(4));
  screen->MoveMouse(r.left + 30, r.top + 10);
  Pump();
  EXPECT_FALSE(SkinOf("Typed")->MouseState & kMouseHot);
  EXPECT_EQ(At(h, 149, 20), ComboButtonFrame(1));
}

}  // namespace
