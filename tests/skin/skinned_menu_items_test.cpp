// Menu items drawn by the skin with the flat test skin, probed pixel by pixel: every item kind
// (text, selected, disabled, default, check and radio marks, images, short-cuts, separators)
// with the skin's MenuItem element and in plain colours without it; the measuring handlers;
// and which items get the skin's handlers and get their own back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>

#include "platform/forms/image_list.h"
#include "platform/forms/menus.h"
#include "platform/gdi/colors.h"
#include "platform/gdi/system_metrics.h"
#include "platform/user/input.h"
#include "skin/menus/menu_item_draw.h"
#include "skin/skin_manage.h"
#include "tests/skin/flat_skin.h"

using namespace flatskin;
using skintest::PixelOf;

namespace {

constexpr TColor kGlyph = skintest::Rgb(0x20, 0xA0, 0x40);

class SkinnedMenuItems : public skintest::SkinnedFormFixture {
 protected:
  void SetUp() override {
    SkinnedFormFixture::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    SwitchSkinOn();
    ASSERT_NE(SkinManage(), nullptr);
    menu.reset(CreateComponent<TPopupMenu>(nullptr));
    item = new TMenuItem(menu.get());
    menu->Items()->Add(item);
  }
  void TearDown() override {
    menu.reset();
    images.reset();
    SkinnedFormFixture::TearDown();
  }

  // The item drawn into a bitmap of its own, first filled with white.
  std::unique_ptr<TBitmap> Draw(bool selected, int w = 140, int h = 20) {
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(pf24bit);
    b->SetSize(w, h);
    b->Dib().Fill(ColorToRGB(clWhite));
    TMenuItemLook look{sd.get(), SkinManage(), nullptr, 0};
    DrawSkinMenuItem(look, *item, b->Canvas(), TRect{0, 0, w, h}, selected);
    return b;
  }
  static int Count(const TBitmap& b, TColor c, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += PixelOf(b, x, y) == c;
    return n;
  }
  // Pixels nearer to the ink than to the background (text is drawn smoothed).
  static int Inked(const TBitmap& b, TColor ink, TColor background, int x0, int y0, int x1, int y1) {
    auto distance = [](TColor a, TColor c) {
      int d = 0;
      for (int shift : {0, 8, 16}) d += std::abs(int((a >> shift) & 0xFF) - int((c >> shift) & 0xFF));
      return d;
    };
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += distance(PixelOf(b, x, y), ink) < distance(PixelOf(b, x, y), background);
    return n;
  }
  // One 16 x 16 glyph: a square of kGlyph inside a white (masked) margin of 4.
  void GiveImages() {
    images.reset(CreateComponent<TImageList>(nullptr));
    TBitmap strip;
    strip.SetPixelFormat(pf24bit);
    strip.SetSize(16, 16);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x)
        strip.Dib().SetColor(x, y, x >= 4 && x < 12 && y >= 4 && y < 12 ? ColorToRGB(kGlyph) : RGB(255, 255, 255));
    images->AddMasked(strip, clWhite);
    menu->SetImages(images.get());
    item->SetImageIndex(0);
  }

  TComponentPtr<TPopupMenu> menu;
  TComponentPtr<TImageList> images;
  TMenuItem* item = nullptr;
};

// The glyph box of a 20-high item: one pixel in, after the element's left margin.
constexpr int kBoxX = 1 + kItemMargin, kBoxY = 1, kBox = 16;
constexpr int kTextX = kBoxX + kBox + 3;

TEST_F(SkinnedMenuItems, EveryItemKindWithTheSkinsElement) {
  struct Case {
    const char* name;
    std::function<void(TMenuItem&)> setup;
    bool selected;
    std::function<void(const TBitmap&)> expect;
  };
  const int w = 140, h = 20;
  const Case cases[] = {
      {"plain text", [](TMenuItem&) {}, false,
       [&](const TBitmap& b) {
         // Frame 1 is all magenta: the background (here the Menu colour) shows through.
         EXPECT_EQ(PixelOf(b, w - 3, h / 2), kMenuColour);
         EXPECT_EQ(PixelOf(b, 0, 0), kMenuColour);
         EXPECT_GT(Inked(b, kMenuText, kMenuColour, kTextX, 0, w, h), 20);
         EXPECT_EQ(Inked(b, kMenuText, kMenuColour, 0, 0, kTextX - 1, h), 0);
       }},
      {"selected", [](TMenuItem&) {}, true,
       [&](const TBitmap& b) {
         EXPECT_EQ(PixelOf(b, w - 3, h / 2), kItemSelected);
         EXPECT_EQ(PixelOf(b, 0, 0), kItemSelected);
         EXPECT_GT(Inked(b, kHilightText, kItemSelected, kTextX, 0, w, h), 20);
         EXPECT_EQ(Count(b, kMenuText, 0, 0, w, h), 0);
       }},
      {"disabled", [](TMenuItem& i) { i.SetEnabled(false); }, false,
       [&](const TBitmap& b) {
         EXPECT_GT(Inked(b, kShadow, kMenuColour, kTextX, 0, w, h), 20);
         EXPECT_EQ(Count(b, kMenuText, 0, 0, w, h), 0);
       }},
      {"checked", [](TMenuItem& i) { i.SetChecked(true); }, false,
       [&](const TBitmap& b) {
         // The check mark: two strokes of three rows, 3 and 4 columns long.
         EXPECT_EQ(Count(b, kMenuText, kBoxX, kBoxY, kBoxX + kBox, kBoxY + kBox), 21);
       }},
      {"radio", [](TMenuItem& i) { i.SetChecked(true); i.SetRadioItem(true); }, false,
       [&](const TBitmap& b) {
         // The same check mark as any checked item, never the system's bullet (37 pixels).
         EXPECT_EQ(Count(b, kMenuText, kBoxX, kBoxY, kBoxX + kBox, kBoxY + kBox), 21);
       }},
      {"unchecked radio", [](TMenuItem& i) { i.SetRadioItem(true); }, false,
       [&](const TBitmap& b) { EXPECT_EQ(Count(b, kMenuText, kBoxX, kBoxY, kBoxX + kBox, kBoxY + kBox), 0); }},
      {"short-cut", [](TMenuItem& i) { i.SetShortCut(TShortCut('O' | scCtrl)); }, false,
       [&](const TBitmap& b) {
         // "Ctrl+O" ends 11 pixels before the right edge.
         EXPECT_GT(Inked(b, kMenuText, kMenuColour, w - 40, 0, w - 11, h), 20);
         EXPECT_EQ(Inked(b, kMenuText, kMenuColour, w - 11, 0, w, h), 0);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    item->SetCaption("&Open");
    item->SetEnabled(true);
    item->SetChecked(false);
    item->SetRadioItem(false);
    item->SetShortCut(0);
    c.setup(*item);
    c.expect(*Draw(c.selected, w, h));
  }
}

TEST_F(SkinnedMenuItems, DefaultItemsAreBoldAndDisabledTextAvoidsTheTextColour) {
  item->SetCaption("Open file");
  const int plain = Inked(*Draw(false), kMenuText, kMenuColour, 0, 0, 140, 20);
  item->SetDefault(true);
  EXPECT_GT(Inked(*Draw(false), kMenuText, kMenuColour, 0, 0, 140, 20), plain + 10);
  // A skin whose ButtonShadow is its MenuText shows disabled items in the system's shadow.
  item->SetDefault(false);
  item->SetEnabled(false);
  sd->Colors.ButtonShadow = kMenuText;
  auto b = Draw(false);
  EXPECT_EQ(Count(*b, kMenuText, 0, 0, 140, 20), 0);
  EXPECT_GT(Inked(*b, TColor(GetSysColor(COLOR_BTNSHADOW)), kMenuColour, kTextX, 0, 140, 20), 20);
}

TEST_F(SkinnedMenuItems, ImagesTakeTheGlyphBoxAndACheckedImageSitsSunken) {
  item->SetCaption("Save");
  GiveImages();
  auto b = Draw(false);
  EXPECT_EQ(PixelOf(*b, kBoxX + 8, 10), kGlyph);
  EXPECT_EQ(PixelOf(*b, kBoxX + 1, 10), kMenuColour);  // the mask lets the background through
  item->SetChecked(true);
  b = Draw(false);
  EXPECT_EQ(PixelOf(*b, kBoxX + 8, 10), kGlyph);
  // The sunken edge: shadow on top and left, highlight on the bottom and right.
  EXPECT_EQ(PixelOf(*b, kBoxX + 8, kBoxY), TColor(GetSysColor(COLOR_BTNSHADOW)));
  EXPECT_EQ(PixelOf(*b, kBoxX, kBoxY + 8), TColor(GetSysColor(COLOR_BTNSHADOW)));
  EXPECT_EQ(PixelOf(*b, kBoxX + 8, kBoxY + kBox - 1), TColor(GetSysColor(COLOR_BTNHIGHLIGHT)));
  EXPECT_EQ(Count(*b, kMenuText, kBoxX, kBoxY, kBoxX + kBox, kBoxY + kBox), 0);  // no check mark
}

TEST_F(SkinnedMenuItems, SeparatorsAreTheElementsSecondFrameFromItsBottomRows) {
  item->SetCaption("-");
  const int w = 60;
  struct Case {
    int height;
    int line;  // the item row of the frame's line
  };
  // A 9-row item takes the frame's bottom 9 rows (11 to 19); a 30-row item takes all 20.
  for (const Case c : {Case{9, kSeparatorRow - 11}, Case{30, kSeparatorRow}}) {
    SCOPED_TRACE(c.height);
    auto b = Draw(true, w, c.height);  // a separator never looks selected
    for (int row : {c.line, c.line + 1}) {
      EXPECT_EQ(PixelOf(*b, 0, row), kSeparatorEnd);
      EXPECT_EQ(PixelOf(*b, kItemMargin - 1, row), kSeparatorEnd);
      EXPECT_EQ(PixelOf(*b, kItemMargin, row), kSeparator);
      EXPECT_EQ(PixelOf(*b, w / 2, row), kSeparator);
      EXPECT_EQ(PixelOf(*b, w - kItemMargin - 1, row), kSeparator);
      EXPECT_EQ(PixelOf(*b, w - 1, row), kSeparatorEnd);
    }
    EXPECT_EQ(PixelOf(*b, w / 2, c.line - 1), kMenuColour);
    EXPECT_EQ(PixelOf(*b, w / 2, c.line + 2), kMenuColour);
  }
}

// The program's own skin: a separator item, as high as the menu makes it, shows one line of
// the element across it between the margins.
TEST_F(SkinnedMenuItems, TheShippedSkinsSeparatorShowsItsLine) {
  skintest::SkinDataPtr shipped = skintest::LoadedSkinData(skintest::ShippedSkin());
  ASSERT_TRUE(shipped->Ready());
  ASSERT_NE(shipped->MenuItem, nullptr);
  item->SetCaption("-");
  const int w = 80;
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(w, 40);
  int width = 0, height = 0;
  item->DefaultMeasure(b->Canvas(), width, height);
  ASSERT_EQ(height, GetSystemMetrics(SM_CYMENU) / 2);
  b->SetSize(w, height);
  const TColor menu = TColor(ColorToRGB(shipped->Colors.Menu));
  b->Dib().Fill(ColorToRGB(menu));
  TMenuItemLook look{shipped.get(), SkinManage(), nullptr, 0};
  DrawSkinMenuItem(look, *item, b->Canvas(), TRect{0, 0, w, height}, false);
  std::vector<int> lines;
  for (int y = 0; y < height; ++y)
    if (PixelOf(*b, w / 2, y) != menu) lines.push_back(y);
  ASSERT_EQ(lines.size(), 1u);
  const int y = lines[0];
  const TColor line = PixelOf(*b, w / 2, y);
  const int left = shipped->MenuItem->LeftWidth, right = shipped->MenuItem->RightWidth;
  for (int x = left; x < w - right; ++x) EXPECT_EQ(PixelOf(*b, x, y), line) << x;
  // Not squeezed against either edge of the item.
  EXPECT_GT(y, 0);
  EXPECT_LT(y, height - 1);
}

TEST_F(SkinnedMenuItems, WithoutTheElementItemsWearThePlainColours) {
  sd->MenuItem.reset();
  item->SetCaption("Open");
  auto b = Draw(false);
  EXPECT_EQ(PixelOf(*b, 137, 10), kMenuColour);
  EXPECT_GT(Inked(*b, kMenuText, kMenuColour, kTextX - kItemMargin, 0, 140, 20), 20);
  b = Draw(true);
  EXPECT_EQ(PixelOf(*b, 137, 10), kHilight);
  EXPECT_GT(Inked(*b, kHilightText, kHilight, 0, 0, 140, 20), 20);
  // A separator is an etched line four rows down.
  item->SetCaption("-");
  b = Draw(false, 60, 10);
  EXPECT_EQ(PixelOf(*b, 30, 3), kMenuColour);
  EXPECT_EQ(PixelOf(*b, 30, 4), TColor(GetSysColor(COLOR_BTNSHADOW)));
  EXPECT_EQ(PixelOf(*b, 30, 5), TColor(GetSysColor(COLOR_BTNHIGHLIGHT)));
  EXPECT_EQ(PixelOf(*b, 30, 6), kMenuColour);
}

TEST_F(SkinnedMenuItems, MeasuringWidensTheItemsOwnSizeForTheGlyphColumn) {
  item->SetCaption("Open the file");
  TBitmap scratch;
  scratch.SetSize(4, 4);
  int ownW = 0, ownH = 0;
  item->DefaultMeasure(scratch.Canvas(), ownW, ownH);
  ASSERT_GT(ownW, 20);
  auto measured = [&] {
    int w = 0, h = 0;
    item->MeasureItem(scratch.Canvas(), w, h);
    EXPECT_EQ(h, ownH);
    return w;
  };
  SetPopupMenuOwnerDraw(sd.get(), *menu, nullptr, true);
  EXPECT_TRUE(menu->OwnerDraw());
  EXPECT_EQ(measured(), ownW + kItemMargin + 35);  // form measure, no images
  // The main menus' measure, for an item below the top level.
  SetPopupMenuOwnerDraw(sd.get(), *menu, nullptr, false);
  EXPECT_FALSE(menu->OwnerDraw());
  EXPECT_EQ(measured(), ownW);
  auto* sub = new TMenuItem(menu.get());
  item->Add(sub);
  sub->SetCaption("Open the file");
  SetMainMenuOwnerDraw(sd.get(), *menu, true);
  int w = 0, h = 0;
  sub->MeasureItem(scratch.Canvas(), w, h);
  EXPECT_EQ(w, ownW + kItemMargin + 35);
  EXPECT_EQ(measured(), ownW);  // top-level items are the menu bar's
  // With images: 12 for popup menus, 10 for main menus.
  GiveImages();
  int imgW = 0, imgH = 0;
  sub->DefaultMeasure(scratch.Canvas(), imgW, imgH);
  w = 0;
  sub->MeasureItem(scratch.Canvas(), w, h);
  EXPECT_EQ(w, imgW + kItemMargin + 10);
  SetMainMenuOwnerDraw(sd.get(), *menu, false);
  SetPopupMenuOwnerDraw(sd.get(), *menu, nullptr, true);
  w = 0;
  sub->MeasureItem(scratch.Canvas(), w, h);
  EXPECT_EQ(w, imgW + kItemMargin + 12);
  // Every drawing of an item measures its caption, a changed one as it is now.
  const int before = SkinManage()->MenuTexts.Measures();
  for (int i = 0; i < 3; ++i) Draw(false);
  EXPECT_EQ(SkinManage()->MenuTexts.Measures(), before + 3);
  item->SetCaption("Another text");
  for (int i = 0; i < 3; ++i) Draw(i == 1);
  EXPECT_EQ(SkinManage()->MenuTexts.Measures(), before + 6);
}

TEST_F(SkinnedMenuItems, HandlersOfTheApplicationAreKeptOrGivenBack) {
  auto* sub = new TMenuItem(menu.get());
  auto* own = new TMenuItem(menu.get());
  item->Add(sub);
  item->Add(own);
  std::vector<std::string> log;
  own->OnDrawItem = [&](TObject*, TCanvas*, TRect, bool) { log.push_back("own draw"); };
  own->OnMeasureItem = [&](TObject*, TCanvas*, int&, int&) { log.push_back("own measure"); };
  auto skinDraws = [](TMenuItem* i) { return i->OnDrawItem.target<TSkinMenuItemDraw>() != nullptr; };
  auto skinMeasures = [](TMenuItem* i) { return i->OnMeasureItem.target<TSkinMenuItemMeasure>() != nullptr; };

  // Main menus: the top level is the bar's; an item that draws itself keeps its drawing.
  SetMainMenuOwnerDraw(sd.get(), *menu, true);
  EXPECT_FALSE(skinDraws(item));
  EXPECT_TRUE(skinDraws(sub));
  EXPECT_TRUE(skinMeasures(sub));
  EXPECT_FALSE(skinDraws(own));
  EXPECT_FALSE(skinMeasures(own));
  SetMainMenuOwnerDraw(sd.get(), *menu, false);
  EXPECT_FALSE(sub->OnDrawItem);
  EXPECT_FALSE(sub->OnMeasureItem);
  ASSERT_TRUE(own->OnDrawItem);

  // Popup menus: every item is drawn by the skin, an own measure stays; off gives the own
  // drawing back.
  SetPopupMenuOwnerDraw(sd.get(), *menu, nullptr, true);
  SetPopupMenuOwnerDraw(sd.get(), *menu, nullptr, true);  // twice changes nothing
  EXPECT_TRUE(skinDraws(item));
  EXPECT_TRUE(skinDraws(own));
  EXPECT_FALSE(skinMeasures(own));
  SetPopupMenuOwnerDraw(sd.get(), *menu, nullptr, false);
  EXPECT_FALSE(item->OnDrawItem);
  ASSERT_TRUE(own->OnDrawItem);
  ASSERT_TRUE(own->OnMeasureItem);
  TBitmap scratch;
  scratch.SetSize(4, 4);
  own->DrawItem(scratch.Canvas(), TRect{0, 0, 4, 4}, false);
  int w = 0, h = 0;
  own->MeasureItem(scratch.Canvas(), w, h);
  EXPECT_EQ(log, (std::vector<std::string>{"own draw", "own measure"}));
}

}  // namespace
