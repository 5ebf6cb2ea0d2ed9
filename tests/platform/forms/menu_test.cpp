// Menus of the class library as a skinning engine uses them: an owner-drawn popup menu built
// from a window's system menu, measured, drawn and chosen by keys; item trees; the items' own
// look; short-cut texts.
#include <gmock/gmock.h>

#include "platform/forms/image_list.h"
#include "platform/forms/menus.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/colors.h"
#include "platform/user/input.h"
#include "platform/user/menus.h"
#include "platform/user/messages.h"
#include "tests/platform/forms/forms_test_support.h"

namespace formstest {
namespace {

// Four 16 x 16 glyphs side by side, each a square of its own colour inside a white margin of
// four pixels (white is the mask colour).
constexpr COLORREF kGlyphColours[4] = {RGB(200, 0, 0), RGB(0, 160, 0), RGB(0, 0, 190), RGB(120, 60, 0)};
void FillStrip(TBitmap& strip) {
  strip.SetPixelFormat(pf24bit);
  strip.SetSize(64, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 64; ++x) {
      int gx = x % 16;
      bool inside = gx >= 4 && gx < 12 && y >= 4 && y < 12;
      strip.Dib().SetColor(x, y, inside ? kGlyphColours[x / 16] : RGB(255, 255, 255));
    }
}

TEST(MenuTexts, ShortCutsAsTheMenusShowThem) {
  struct Case {
    TShortCut key;
    const char* text;
  };
  const Case cases[] = {{0, ""},
                        {static_cast<TShortCut>('S' | scCtrl), "Ctrl+S"},
                        {static_cast<TShortCut>(VK_F4 | scAlt), "Alt+F4"},
                        {static_cast<TShortCut>(VK_DELETE | scShift), "Shift+Del"},
                        {static_cast<TShortCut>('7' | scShift | scCtrl | scAlt), "Shift+Ctrl+Alt+7"},
                        {static_cast<TShortCut>(VK_RETURN), "Enter"},
                        {static_cast<TShortCut>(0xE7 | scCtrl), ""}};
  for (const Case& c : cases) EXPECT_EQ(ShortCutToText(c.key), c.text) << c.key;
}

TEST_F(FormsTest, MenuItemTreesOwnTheirItems) {
  TComponentPtr<TPopupMenu> menu(new TPopupMenu(nullptr));
  auto* file = new TMenuItem(menu.get());
  auto* open = new TMenuItem(menu.get());
  auto* close = new TMenuItem(nullptr);
  menu->Items()->Add(file);
  file->Add(open);
  file->Insert(0, close);
  EXPECT_EQ(file->Count(), 2);
  EXPECT_EQ(file->IndexOf(close), 0);
  EXPECT_EQ(open->Parent(), file);
  EXPECT_EQ(open->GetParentMenu(), menu.get());
  EXPECT_EQ(menu->FindItem(open->Command()), open);
  EXPECT_NE(open->Command(), close->Command());
  EXPECT_THROW(open->Add(file), EInvalidOperation);  // no cycles
  file->Remove(close);
  EXPECT_EQ(close->Parent(), nullptr);
  close->Free();
  // Freeing an item frees what it holds and takes it out of its parent.
  file->Free();
  EXPECT_EQ(menu->Items()->Count(), 0);
  EXPECT_EQ(menu->ComponentCount(), 1);  // only the root item is left
}

TEST_F(FormsTest, ItemsDrawTheirOwnLookWhenNoEventDrawsThem) {
  TComponentPtr<TPopupMenu> menu(new TPopupMenu(nullptr));
  auto* item = new TMenuItem(menu.get());
  item->SetCaption("Close");
  item->SetChecked(true);
  item->SetShortCut(static_cast<TShortCut>(VK_F4 | scAlt));
  menu->Items()->Add(item);
  auto* line = new TMenuItem(menu.get());
  line->SetCaption("-");
  menu->Items()->Add(line);
  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.SetSize(160, 20);
  item->DrawItem(target.Canvas(), TRect{0, 0, 160, 20}, true);
  const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
  auto inked = [&](int from, int to) {
    int n = 0;
    for (int y = 0; y < 20; ++y)
      for (int x = from; x < to; ++x) n += target.Dib().GetColor(x, y) != highlight;
    return n;
  };
  EXPECT_EQ(target.Dib().GetColor(80, 1), highlight);
  EXPECT_GT(inked(1, 17), 10);    // the check mark
  EXPECT_GT(inked(20, 60), 15);   // the caption
  EXPECT_GT(inked(100, 149), 10);  // "Alt+F4" right-aligned before the end
  EXPECT_EQ(inked(150, 160), 0);
  int width = 0, height = 0;
  item->MeasureItem(target.Canvas(), width, height);
  EXPECT_GT(width, 16 + target.Canvas().TextWidth("Close") + target.Canvas().TextWidth("Alt+F4"));
  EXPECT_GE(height, 16);
  // A separator: an etched line across the middle on the menu colour.
  line->DrawItem(target.Canvas(), TRect{0, 0, 160, 8}, true);
  EXPECT_EQ(target.Dib().GetColor(80, 0), GetSysColor(COLOR_MENU));
  EXPECT_EQ(target.Dib().GetColor(80, 3), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(target.Dib().GetColor(80, 4), GetSysColor(COLOR_BTNHIGHLIGHT));
  line->MeasureItem(target.Canvas(), width, height);
  EXPECT_GT(height, 0);
  EXPECT_LT(height, 16);

  // With the menu's images the item's glyph takes the check mark's place; a freed list is
  // forgotten.
  TComponentPtr<TImageList> images(new TImageList(nullptr));
  TBitmap strip;
  FillStrip(strip);
  images->AddMasked(strip, clWhite);
  menu->SetImages(images.get());
  item->SetImageIndex(2);
  EXPECT_EQ(item->GetImageList(), images.get());
  item->DrawItem(target.Canvas(), TRect{0, 0, 160, 20}, false);
  EXPECT_EQ(target.Dib().GetColor(1 + 8, 2 + 8), kGlyphColours[2]);
  EXPECT_EQ(target.Dib().GetColor(1 + 1, 2 + 1), GetSysColor(COLOR_MENU));
  images.reset();
  EXPECT_EQ(menu->Images(), nullptr);
  EXPECT_EQ(item->GetImageList(), nullptr);
}

// The system menu of a window rebuilt as an owner-drawn popup menu, as a skin shows it:
// every item measured and drawn through the events, the choice made by keys reaching OnClick.
TEST_F(FormsTest, OwnerDrawnPopupMenuFromTheSystemMenuIsChosenByKeys) {
  TComponentPtr<TTestForm> f(MakeTestForm(nullptr));
  f->Show();
  Pump();
  HMENU system = GetSystemMenu(f->Handle(), FALSE);
  ASSERT_NE(system, nullptr);
  auto* popup = new TPopupMenu(f.get());
  popup->SetTag(33333);
  popup->SetOwnerDraw(true);
  std::vector<std::string> measured, drawn, clicked;
  for (int i = 0; i < GetMenuItemCount(system); ++i) {
    char text[80] = {};
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_STATE | MIIM_ID | MIIM_STRING;
    mii.dwTypeData = text;
    mii.cch = sizeof text - 1;
    ASSERT_TRUE(GetMenuItemInfoA(system, static_cast<UINT>(i), TRUE, &mii));
    auto* item = new TMenuItem(popup);
    item->SetCaption(text[0] ? text : "-");
    item->SetTag(static_cast<std::intptr_t>(mii.wID));
    item->SetEnabled(!(mii.fState & (MFS_GRAYED | MFS_DISABLED)));
    item->OnMeasureItem = [&measured](TObject* s, TCanvas* c, int& w, int& h) {
      // The item's own measure with the event taken away for the call, then a margin.
      auto* it = static_cast<TMenuItem*>(s);
      TMenuMeasureItemEvent saved = it->OnMeasureItem;
      it->OnMeasureItem = nullptr;
      it->MeasureItem(*c, w, h);
      it->OnMeasureItem = saved;
      w += 35;
      measured.push_back(it->Caption());
    };
    item->OnDrawItem = [&drawn](TObject* s, TCanvas* c, TRect r, bool selected) {
      auto* it = static_cast<TMenuItem*>(s);
      EXPECT_NE(c->Handle(), nullptr);
      EXPECT_GT(r.right - r.left, 35);
      if (selected) drawn.push_back(it->Caption());
    };
    item->OnClick = [&clicked](TObject* s) {
      clicked.push_back(std::to_string(static_cast<TMenuItem*>(s)->Tag()));
    };
    popup->Items()->Add(item);
  }
  // Up from nothing selects the last item, "Close".
  screen->TypeKey(VK_UP);
  screen->TypeKey(VK_RETURN, U'\r');
  TPoint at = f->ClientToScreen(TPoint{0, 0});
  popup->Popup(at.x, at.y);
  EXPECT_GE(measured.size(), static_cast<size_t>(GetMenuItemCount(system)));
  EXPECT_THAT(drawn, ::testing::Contains(::testing::HasSubstr("Close")));
  EXPECT_THAT(clicked, ::testing::ElementsAre(std::to_string(SC_CLOSE)));
  // Escape chooses nothing.
  clicked.clear();
  screen->TypeKey(VK_ESCAPE);
  popup->Popup(at.x, at.y);
  EXPECT_TRUE(clicked.empty());
}

}  // namespace
}  // namespace formstest
