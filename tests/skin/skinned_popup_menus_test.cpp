// Popup menus of a skinned form on the headless screen: the popup skinner attached to every
// menu window and detached when it closes, the frame and background it paints, the items drawn
// over that background, submenus tied to their item, the skinned system menu with its paths
// (right click on the caption, Alt+Space) and commands, and no skinner left behind when a menu
// closes inside a handler or its window goes while it is open.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/forms/application.h"
#include "platform/forms/form.h"
#include "platform/forms/menus.h"
#include "platform/gdi/blit.h"
#include "platform/gdi/paint_engine.h"
#include "platform/user/input.h"
#include "platform/user/menus.h"
#include "platform/user/message_loop.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"
#include "skin/forms/win_skin_form.h"
#include "skin/menus/win_skin_pop_menu.h"
#include "skin/skin_manage.h"
#include "tests/skin/flat_skin.h"
#include "tests/skin/skinned_menu_fixture.h"

using namespace flatskin;
using display::MouseButton;
using skintest::OpenPopup;

namespace {

const char* const kFormText =
    "object MenuForm: TForm\n  Left = 100\n  Top = 80\n  Caption = 'Menus'\n  ClientHeight = 200\n"
    "  ClientWidth = 300\nend\n";

class SkinnedPopupMenus : public skintest::SkinnedMenuForm {
 protected:
  void SetUp() override {
    SkinnedMenuForm::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ShowForm(kFormText, [this](TForm* f) {
      popup = CreateComponent<TPopupMenu>(f);
      one = Add(popup->Items(), "&One");
      Add(popup->Items(), "-");
      two = Add(popup->Items(), "&Two");
      three = Add(two, "T&hree");
    });
    ASSERT_NE(SkinManage()->FindForm(form->Handle()), nullptr);
  }

  TMenuItem* Add(TMenuItem* parent, const char* caption) {
    auto* item = new TMenuItem(popup);
    item->SetCaption(caption);
    parent->Add(item);
    return item;
  }
  int ClientWidth(HWND h) {
    RECT r{};
    GetClientRect(h, &r);
    return r.right;
  }
  POINT CaptionPoint() {
    RECT r{};
    GetWindowRect(form->Handle(), &r);
    return POINT{r.left + 60, r.top + kCaption / 2};
  }

  TPopupMenu* popup = nullptr;
  TMenuItem *one = nullptr, *two = nullptr, *three = nullptr;
};

TEST_F(SkinnedPopupMenus, ThePopupWearsTheSkinAndItsSkinnerGoesWithIt) {
  HWND menuWindow = nullptr, subWindow = nullptr;
  TColor edge = 0, inside = 0, selected = 0, unselected = 0;
  Schedule({
      [&] {
        ASSERT_EQ(SkinManage()->Popups().size(), 1u);
        menuWindow = OpenPopup();
        EXPECT_EQ(SendMessageW(menuWindow, CM_SKINQUERY, 0, 0), 1);
        edge = WindowAt(menuWindow, 1, 1);
        // The first item's normal frame is transparent: the popup's background shows.
        inside = ClientAt(menuWindow, ClientWidth(menuWindow) - 6, 3);
        screen->TypeKey(VK_DOWN);
      },
      [&] {
        selected = ClientAt(menuWindow, ClientWidth(menuWindow) - 6, 3);
        screen->TypeKey(VK_DOWN);  // over the separator to "Two"
      },
      [&] {
        unselected = ClientAt(menuWindow, ClientWidth(menuWindow) - 6, 3);
        screen->TypeKey(VK_RIGHT);  // opens "Two"'s submenu
      },
      [&] {
        ASSERT_EQ(SkinManage()->Popups().size(), 2u);
        subWindow = OpenPopup(1);
        // The submenu's items tied it to "Two": its background is found by that key.
        TWinSkinPopMenu* owner = SkinManage()->FindPopupByOwnerKey(reinterpret_cast<ULONG_PTR>(two->Handle()));
        ASSERT_NE(owner, nullptr);
        EXPECT_EQ(owner->Window, subWindow);
        EXPECT_EQ(WindowAt(subWindow, 1, 1), kMenuEdge);
        screen->TypeKey(VK_ESCAPE);
      },
      [&] {
        EXPECT_EQ(SkinManage()->Popups().size(), 1u);
        EXPECT_FALSE(IsWindow(subWindow));
        screen->TypeKey(VK_ESCAPE);
      },
  });
  popup->Popup(400, 300);
  EXPECT_TRUE(AllStepsRan());
  EXPECT_EQ(edge, kMenuEdge);
  EXPECT_EQ(inside, kMenuInside);
  EXPECT_EQ(selected, kItemSelected);
  EXPECT_EQ(unselected, kMenuInside);
  EXPECT_TRUE(SkinManage()->Popups().empty());
  EXPECT_FALSE(IsWindow(menuWindow));
  EXPECT_EQ(SkinManage()->MenuKind, 0);
  EXPECT_TRUE(popup->OwnerDraw());
}

// The frame is painted where the message says: within its region (screen coordinates), or all
// of it for region 1.
TEST_F(SkinnedPopupMenus, TheFrameIsPaintedWithinTheRegionTheMessageNames) {
  HWND menuWindow = nullptr;
  int w = 0, h = 0;
  TColor top = 0, bottomOutside = 0, bottomWhole = 0;
  Schedule({
      [&] {
        menuWindow = OpenPopup();
        ASSERT_NE(menuWindow, nullptr);
        RECT wr{};
        GetWindowRect(menuWindow, &wr);
        w = wr.right - wr.left;
        h = wr.bottom - wr.top;
        HDC dc = GetWindowDC(menuWindow);
        PatBlt(dc, 0, 0, w, h, BLACKNESS);
        ReleaseDC(menuWindow, dc);
        HRGN band = CreateRectRgn(wr.left, wr.top, wr.right, wr.top + 3);
        SendMessageW(menuWindow, WM_NCPAINT, reinterpret_cast<WPARAM>(band), 0);
        DeleteObject(band);
      },
      [&] {
        top = WindowAt(menuWindow, w / 2, 1);
        bottomOutside = WindowAt(menuWindow, w / 2, h - 2);
        SendMessageW(menuWindow, WM_NCPAINT, 1, 0);
      },
      [&] {
        bottomWhole = WindowAt(menuWindow, w / 2, h - 2);
        screen->TypeKey(VK_ESCAPE);
      },
  });
  popup->Popup(400, 300);
  EXPECT_TRUE(AllStepsRan());
  EXPECT_EQ(top, kMenuEdge);
  EXPECT_EQ(bottomOutside, TColor(0));
  EXPECT_EQ(bottomWhole, kMenuEdge);
}

TEST_F(SkinnedPopupMenus, PrintingPutsTheBackgroundUnderTheItems) {
  TBitmap printed;
  printed.SetPixelFormat(pf24bit);
  Schedule({[&] {
    HWND w = OpenPopup();
    RECT r{};
    GetWindowRect(w, &r);
    printed.SetSize(r.right - r.left, r.bottom - r.top);
    printed.Dib().Fill(RGB(255, 255, 255));
    SendMessageW(w, WM_PRINT, reinterpret_cast<WPARAM>(printed.Canvas().Handle()), PRF_CLIENT | PRF_NONCLIENT);
    screen->TypeKey(VK_ESCAPE);
  }});
  popup->Popup(400, 300);
  ASSERT_TRUE(AllStepsRan());
  EXPECT_EQ(skintest::PixelOf(printed, 1, 1), kMenuEdge);
  EXPECT_EQ(skintest::PixelOf(printed, printed.Width() - 2, printed.Height() - 2), kMenuEdge);
  EXPECT_EQ(skintest::PixelOf(printed, printed.Width() / 2, printed.Height() - 5), kMenuInside);
}

TEST_F(SkinnedPopupMenus, ASkinWithoutMenuBackgroundLeavesTheSystemsLook) {
  sd->MenuBackground.reset();
  TColor edge = 0;
  LRESULT query = 0;
  Schedule({[&] {
    query = SendMessageW(OpenPopup(), CM_SKINQUERY, 0, 0);
    edge = WindowAt(OpenPopup(), 1, 1);
    screen->TypeKey(VK_ESCAPE);
  }});
  popup->Popup(400, 300);
  ASSERT_TRUE(AllStepsRan());
  EXPECT_EQ(query, 1);
  EXPECT_NE(edge, kMenuEdge);
}

TEST_F(SkinnedPopupMenus, ErasingFollowsTheMenuBackgroundOptionAndSkinningOffPassesAllOn) {
  struct Case {
    const char* name;
    bool menuBG;
    bool enabled;
    bool erased;     // the class brush filled the client area
    bool skinned;    // WM_PRINT put the skin's frame under the items
  };
  const Case cases[] = {{"plain", false, true, true, true},
                        {"xoMenuBG", true, true, false, true},
                        {"skinning off", false, false, true, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sd->SetOptions(c.menuBG ? TSkinOptions(sd->Options() | SkinBit(xoMenuBG))
                            : TSkinOptions(sd->Options() & ~SkinBit(xoMenuBG)));
    TBitmap target;
    target.SetPixelFormat(pf24bit);
    target.SetSize(8, 8);
    LRESULT erase = 0, query = 0;
    TBitmap printed;
    printed.SetPixelFormat(pf24bit);
    Schedule({[&] {
      HWND w = OpenPopup();
      SkinManage()->Enabled = c.enabled;
      target.Dib().Fill(RGB(1, 2, 3));
      erase = SendMessageW(w, WM_ERASEBKGND, reinterpret_cast<WPARAM>(target.Canvas().Handle()), 0);
      query = SendMessageW(w, CM_SKINQUERY, 0, 0);
      RECT r{};
      GetWindowRect(w, &r);
      printed.SetSize(r.right - r.left, r.bottom - r.top);
      printed.Dib().Fill(RGB(255, 255, 255));
      SendMessageW(w, WM_PRINT, reinterpret_cast<WPARAM>(printed.Canvas().Handle()), PRF_CLIENT | PRF_NONCLIENT);
      SkinManage()->Enabled = true;
      screen->TypeKey(VK_ESCAPE);
    }});
    popup->Popup(400, 300);
    ASSERT_TRUE(AllStepsRan());
    EXPECT_EQ(erase, 1);
    EXPECT_EQ(query, 1);
    EXPECT_EQ(skintest::PixelOf(target, 4, 4) != skintest::Rgb(1, 2, 3), c.erased);
    EXPECT_EQ(skintest::PixelOf(printed, 1, 1) == kMenuEdge, c.skinned);
  }
}

TEST_F(SkinnedPopupMenus, AMenuClosedInsideItsOwnPaintingLeavesNoSkinner) {
  // The item's drawing (inside the skinned menu window's own procedure) destroys the window.
  TMenuDrawItemEvent skinDraw = one->OnDrawItem;
  ASSERT_TRUE(skinDraw);
  bool destroyed = false;
  one->OnDrawItem = [&](TObject* s, TCanvas* c, TRect r, bool selected) {
    skinDraw(s, c, r, selected);
    if (destroyed) return;
    destroyed = true;
    EndMenu();
    DestroyWindow(WindowFromDC(c->Handle()));
  };
  popup->Popup(400, 300);
  EXPECT_TRUE(destroyed);
  Pump();
  EXPECT_TRUE(SkinManage()->Popups().empty());
  EXPECT_EQ(SkinManage()->MenuKind, 0);
}

TEST_F(SkinnedPopupMenus, AFormFreedWithItsPopupOpenLeavesNoSkinner) {
  Schedule({[&] {
    ASSERT_EQ(SkinManage()->Popups().size(), 1u);
    form->Free();  // frees the popup menu component too
    form = nullptr;
  }});
  popup->Popup(400, 300);
  EXPECT_TRUE(AllStepsRan());
  Pump();
  EXPECT_TRUE(SkinManage()->Popups().empty());
}

TEST_F(SkinnedPopupMenus, ARightClickOnTheCaptionOpensTheSkinnedSystemMenu) {
  int kind = -1;
  TColor edge = 0;
  POINT origin{};
  std::vector<std::string> captions, minimised;
  auto items = [&] {
    std::vector<std::string> v;
    TWinSkinForm* wrapper = SkinManage()->FindForm(form->Handle());
    for (int i = 0; i < wrapper->SystemPopup->Items()->Count(); ++i) {
      TMenuItem* item = wrapper->SystemPopup->Items()->Items(i);
      v.push_back(item->Caption() + (item->Enabled() ? "" : " (off)") + " " + std::to_string(item->ImageIndex()));
    }
    return v;
  };
  Schedule({[&] {
    kind = SkinManage()->MenuKind;
    HWND w = OpenPopup();
    ASSERT_NE(w, nullptr);
    edge = WindowAt(w, 1, 1);
    RECT r{};
    GetWindowRect(w, &r);
    origin = POINT{r.left, r.top};
    captions = items();
    screen->TypeKey('N', U'n');  // Mi&nimize
  }});
  const POINT at = CaptionPoint();
  screen->Click(at.x, at.y, MouseButton::Right);
  Pump();
  ASSERT_TRUE(AllStepsRan());
  EXPECT_EQ(kind, 2);
  EXPECT_EQ(edge, kMenuEdge);
  EXPECT_EQ(origin.x, at.x);
  EXPECT_EQ(origin.y, at.y);
  EXPECT_EQ(captions, (std::vector<std::string>{"&Restore (off) 0", "&Move -1", "&Size -1", "Mi&nimize 2",
                                                "Ma&ximize 1", "- -1", "&Close\tAlt+F4 3"}));
  Pump();
  EXPECT_TRUE(IsIconic(form->Handle()));
  EXPECT_TRUE(SkinManage()->Popups().empty());

  // Restore from the skinned system menu of the minimised window, with the mouse; neither Move
  // nor Size is offered there.
  Schedule({[&] {
    minimised = items();
    POINT item{8, 4};
    ClientToScreen(OpenPopup(), &item);
    screen->Click(item.x, item.y);
  }});
  SkinManage()->FindForm(form->Handle())->LastSysMenuTime = 0;
  SkinManage()->FindForm(form->Handle())->ShowSystemMenu(POINT{10, 10});
  Pump();
  EXPECT_FALSE(IsIconic(form->Handle()));
  EXPECT_EQ(minimised, (std::vector<std::string>{"&Restore 0", "&Move (off) -1", "&Size (off) -1", "Mi&nimize (off) 2",
                                                 "Ma&ximize 1", "- -1", "&Close\tAlt+F4 3"}));
}

TEST_F(SkinnedPopupMenus, AltSpaceOpensTheSystemMenuAtTheClientOriginAndCloseCloses) {
  POINT origin{};
  Schedule({[&] {
    RECT r{};
    GetWindowRect(OpenPopup(), &r);
    origin = POINT{r.left, r.top};
    screen->TypeKey('C', U'c');  // &Close
  }});
  bool closed = false;
  form->OnClose = [&](TObject*, TCloseAction&) { closed = true; };
  SetFocus(form->Handle());
  screen->PressKey(VK_MENU);
  screen->TypeKey(VK_SPACE, U' ');
  screen->ReleaseKey(VK_MENU);
  Pump();
  ASSERT_TRUE(AllStepsRan());
  POINT client{0, 0};
  ClientToScreen(form->Handle(), &client);
  EXPECT_EQ(origin.x, client.x);
  EXPECT_EQ(origin.y, client.y);
  Pump();
  EXPECT_TRUE(closed);
}

// Alt+Space opens the skinned system menu and nothing after it: dismissed, no menu of the
// window's own follows.
TEST_F(SkinnedPopupMenus, AltSpaceOpensOneMenuOnly) {
  int menus = 0;
  auto dismiss = [&] {
    if (!FindWindowExW(nullptr, nullptr, u"#32768", nullptr)) return;
    ++menus;
    screen->TypeKey(VK_ESCAPE);
  };
  Schedule({dismiss, dismiss});
  SetFocus(form->Handle());
  screen->PressKey(VK_MENU);
  screen->TypeKey(VK_SPACE, U' ');
  screen->ReleaseKey(VK_MENU);
  Pump();
  EXPECT_EQ(menus, 1);
  EXPECT_EQ(FindWindowExW(nullptr, nullptr, u"#32768", nullptr), nullptr);
}

// Asked for again while it is open (here by the application's own code running in the menu
// loop, long after the first opening), the system menu stays open as it is.
TEST_F(SkinnedPopupMenus, TheOpenSystemMenuIsNotMadeAgainUnderItself) {
  TWinSkinForm* wrapper = SkinManage()->FindForm(form->Handle());
  const TPopupMenu* shown = nullptr;
  HWND menuWindow = nullptr;
  bool stillOpen = false, samePopup = false;
  Schedule({[&] {
              shown = wrapper->SystemPopup.get();
              menuWindow = OpenPopup();
              wrapper->LastSysMenuTime = 0;  // as if the double-click time had passed
              const POINT at = CaptionPoint();
              SendMessageW(form->Handle(), WM_NCRBUTTONDOWN, HTCAPTION, MAKELPARAM(at.x, at.y));
              samePopup = wrapper->SystemPopup.get() == shown;
            },
            [&] {
              // The menu loop still runs: this step comes from it.
              stillOpen = IsWindow(menuWindow) && IsWindowVisible(menuWindow);
              screen->TypeKey(VK_ESCAPE);
            }});
  const POINT at = CaptionPoint();
  screen->Click(at.x, at.y, MouseButton::Right);
  Pump();
  ASSERT_NE(menuWindow, nullptr);
  EXPECT_TRUE(samePopup) << "the open menu's popup was made again";
  EXPECT_TRUE(stillOpen) << "the open menu closed";
  EXPECT_TRUE(SkinManage()->Popups().empty());
}

TEST_F(SkinnedPopupMenus, AWindowDestroyedWithItsSystemMenuOpenTakesTheMenuAlong) {
  HWND menuWindow = nullptr;
  Schedule({[&] {
    menuWindow = OpenPopup();
    DestroyWindow(form->Handle());
  }});
  const POINT at = CaptionPoint();
  screen->Click(at.x, at.y, MouseButton::Right);
  Pump();
  ASSERT_TRUE(AllStepsRan());
  EXPECT_NE(menuWindow, nullptr);
  EXPECT_FALSE(IsWindow(menuWindow));
  EXPECT_TRUE(SkinManage()->Popups().empty());
  EXPECT_EQ(SkinManage()->MenuKind, 0);
}

}  // namespace
