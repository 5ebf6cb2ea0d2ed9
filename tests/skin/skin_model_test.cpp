// The skin model read from the shipped skin (values the skin generator put there, composed
// images checked pixel by pixel against what the generator drew) and from hostile INIs:
// missing sections, absurd numbers, missing or damaged bitmaps.
#include <gtest/gtest.h>

#include "platform/gdi/system_metrics.h"
#include "skin/skin_data.h"
#include "tests/skin/skin_test_support.h"

namespace {

using namespace skintest;

// The generator's palette.
constexpr TColor kFace = Rgb(236, 239, 242), kText = Rgb(33, 47, 61), kTextSoft = Rgb(120, 130, 140),
                 kAccent = Rgb(46, 134, 171), kAccentLight = Rgb(214, 234, 244), kLine = Rgb(171, 181, 191),
                 kLineDark = Rgb(120, 135, 150), kWhite = Rgb(255, 255, 255), kMagenta = Rgb(255, 0, 255);

class ShippedSkin : public SkinFixture {};

TEST_F(ShippedSkin, ColoursAndBorders) {
  REQUIRE_PACKER();
  SkinDataPtr sd = LoadedSkinData(skintest::ShippedSkin());
  ASSERT_TRUE(sd->Ready());
  EXPECT_EQ(sd->SkinName, "Velmora");
  EXPECT_EQ(sd->Colors.ButtonFace, kFace);
  EXPECT_EQ(sd->Colors.Menubar, kFace);
  // A selected menu item: the dark text on the light accent.
  EXPECT_EQ(sd->Colors.Hilight, kAccentLight);
  EXPECT_EQ(sd->Colors.HilightText, kText);
  EXPECT_EQ(sd->Colors.ButtonShadow, kLine);
  EXPECT_EQ(sd->Colors.TitleTextNoActive, kTextSoft);
  EXPECT_EQ(sd->Colours, std::vector<TColor>{kAccent});
  EXPECT_EQ(sd->CustomColors[0], kAccent);
  EXPECT_EQ(sd->CustomColors[1], kAccentLight);
  EXPECT_EQ(sd->CustomColors[9], kWhite);

  const TDataSkinBorder& top = *sd->Top;
  EXPECT_EQ(top.Bitmap.Width(), 60);
  EXPECT_EQ(top.Bitmap.Height(), 56);
  EXPECT_EQ(top.Frame, 2);
  EXPECT_EQ(top.LeftWidth, 0);
  EXPECT_EQ(top.RightWidth, 0);
  EXPECT_EQ(top.TopHeight, 0);
  EXPECT_EQ(top.Tile, 0);
  EXPECT_EQ(top.Trans, 0);
  EXPECT_EQ(PixelOf(top.Bitmap, 10, 2), kAccent);
  // The sides carry the caption's ends and cut the corners.
  EXPECT_EQ(sd->Left->Bitmap.Width(), 8);
  EXPECT_EQ(sd->Left->Frame, 2);
  EXPECT_EQ(sd->Left->Trans, 1);
  EXPECT_EQ(sd->Left->TopHeight, 28);
  EXPECT_EQ(sd->Left->BottomHeight, 4);
  EXPECT_EQ(PixelOf(sd->Left->Bitmap, 0, 0), kMagenta);
  EXPECT_EQ(PixelOf(sd->Left->Bitmap, 2, 2), kAccent);
  EXPECT_EQ(PixelOf(sd->Right->Bitmap, 3, 0), kMagenta);
  EXPECT_EQ(sd->Bottom->Bitmap.Height(), 8);
  // The face colour is the caption's pixel a third of the way in.
  EXPECT_EQ(sd->FaceColor, kFace);
  ASSERT_NE(sd->FaceBrush, nullptr);

  const TDataSkinTitle& title = *sd->Title;
  EXPECT_EQ(title.LeftWidth, 30);
  EXPECT_EQ(title.TopHeight, 2);
  EXPECT_EQ(title.RightWidth, 84);
  EXPECT_EQ(title.FontHeight, 14);
  EXPECT_EQ(title.ActiveText, kText);
  EXPECT_EQ(title.InActiveText, kTextSoft);
  EXPECT_EQ(title.Frame, 2);
  EXPECT_TRUE(title.Bitmap.Empty());
  ASSERT_TRUE(sd->MenuBar);
  EXPECT_EQ(sd->MenuBar->Name, "Personality");
  EXPECT_EQ(sd->MenuBar->Frame, 2);
}

TEST_F(ShippedSkin, ElementsAndFrameCounts) {
  REQUIRE_PACKER();
  SkinDataPtr sd = LoadedSkinData(skintest::ShippedSkin());
  ASSERT_TRUE(sd->Ready());
  const TDataSkinButton& b = *sd->Buttons;
  EXPECT_EQ(b.Frame, 5);
  EXPECT_EQ(b.Bitmap.Width(), 120);
  EXPECT_EQ(b.Trans, 1);
  EXPECT_EQ(b.LeftWidth, 3);
  EXPECT_EQ(b.CheckButtonFrame, 4);
  EXPECT_EQ(b.CheckBitmap.Width(), 52);
  EXPECT_EQ(b.RadioBitmap.Height(), 13);
  EXPECT_TRUE(b.HasNormalColour2 && b.HasMouseOverColour2 && b.HasPressedColour2);
  EXPECT_EQ(b.PressedColour2, kWhite);
  EXPECT_EQ(b.NormalColour, -1);

  struct Expect {
    const char* name;
    const TDataSkinObject* o;
    int frames;
  } elements[] = {
      {"Progress", sd->Progress.get(), 2},          {"Progress.Chunk", sd->ProgressChunk.get(), 1},
      {"GroupBoxEdge", sd->GroupBoxEdge.get(), 2},  {"Tabs", sd->Tabs.get(), 5},
      {"Tab.Pane", sd->TabPane.get(), 1},           {"StatusBarEdges", sd->StatusBarEdges.get(), 3},
      {"ToolBars", sd->ToolBars.get(), 5},          {"ComboButton", sd->ComboButton.get(), 4},
      {"SunkEdge", sd->SunkEdge.get(), 4},          {"ExtraImages", sd->ExtraImages.get(), 5},
      {"Headerbar", sd->Headerbar.get(), 5},        {"MenuItem", sd->MenuItem.get(), 5},
      {"MenuBackground", sd->MenuBackground.get(), 1}, {"Scrollbar", sd->Scrollbar.get(), 23},
      {"HorzScroll", sd->HorzScroll.get(), 4},      {"VertScroll", sd->VertScroll.get(), 4},
      {"HorzScrollThumb", sd->HorzScrollThumb.get(), 3}, {"VertScrollThumb", sd->VertScrollThumb.get(), 3},
      {"Trackbar.ThumbHorz", sd->TrackbarThumbHorz.get(), 5}, {"Trackbar.ThumbVert", sd->TrackbarThumbVert.get(), 5},
      {"UpDown.Horz", sd->UpDownHorz.get(), 8},     {"UpDown.Vert", sd->UpDownVert.get(), 8},
      {"Track", sd->Track.get(), 1},                {"TRACKVERT", sd->TrackVert.get(), 1},
      {"Toolbar", sd->Toolbar.get(), 1},            {"ComboxArrow", sd->ComboxArrow.get(), 4},
  };
  for (const Expect& e : elements) {
    ASSERT_NE(e.o, nullptr) << e.name;
    EXPECT_EQ(e.o->Name, e.name);
    EXPECT_EQ(e.o->Frame, e.frames) << e.name;
    EXPECT_FALSE(e.o->Bitmap.Empty()) << e.name;
  }
  EXPECT_EQ(sd->Scrollbar->Bitmap.Width(), 23 * 16);
  EXPECT_EQ(sd->Tabs->Bitmap2.Width(), 20);
  EXPECT_EQ(sd->UpDownVert->Bitmap2.Width(), 8 * 16);
  EXPECT_EQ(sd->TabPane->LeftWidth, 1);
  // Sections the skin leaves out stay absent.
  EXPECT_EQ(sd->GroupBox, nullptr);
  EXPECT_EQ(sd->TrackbarThumbLeft, nullptr);
  // The track channels come from the engine's resources, with margins of 3.
  EXPECT_EQ(sd->Track->Bitmap.Width(), 16);
  EXPECT_EQ(sd->Track->Bitmap.Height(), 4);
  EXPECT_EQ(sd->Track->LeftWidth, 3);
  EXPECT_EQ(sd->Track->BottomHeight, 3);
  EXPECT_EQ(sd->TrackVert->Bitmap.Width(), 4);
  EXPECT_EQ(sd->TrackVert->Bitmap.Height(), 16);
  // The menu glyphs: restore, maximise, minimise, close.
  EXPECT_EQ(sd->MenuGlyphs->Count(), 4);
}

TEST_F(ShippedSkin, CaptionButtons) {
  REQUIRE_PACKER();
  SkinDataPtr sd = LoadedSkinData(skintest::ShippedSkin());
  ASSERT_TRUE(sd->Ready());
  ASSERT_EQ(sd->SysButtons.size(), 8u);
  const auto& close = *sd->SysButtons[0];
  EXPECT_EQ(close.Name, "Button0");
  EXPECT_EQ(close.Action, 0);
  EXPECT_EQ(close.Align, 1);
  EXPECT_EQ(close.Xcoord, 28);
  EXPECT_EQ(close.Ycoord, 6);
  EXPECT_EQ(close.Frame, 4);
  EXPECT_EQ(close.CombineOp, -1);
  EXPECT_EQ(close.Bitmap.Width(), 88);
  // Restore takes the place of maximise while the window is maximised.
  const auto& restore = *sd->SysButtons[2];
  EXPECT_EQ(restore.Action, 1);
  EXPECT_EQ(restore.Xcoord, 52);
  EXPECT_EQ(restore.Ycoord, 6);
  EXPECT_EQ(restore.Visibility, 1);
  // The window icon: no picture of its own, six frames.
  const auto& icon = *sd->SysButtons[4];
  EXPECT_EQ(icon.Action, 3);
  EXPECT_EQ(icon.Frame, 6);
  EXPECT_TRUE(icon.Bitmap.Empty());
  // The MDI child buttons: a third of the picture each, placed from the right.
  for (int k = 0; k < 3; ++k) {
    const auto& m = *sd->SysButtons[5 + static_cast<size_t>(k)];
    EXPECT_EQ(m.Action, 7 + k);
    EXPECT_EQ(m.Align, 100);
    EXPECT_EQ(m.Visibility, 100);
    EXPECT_EQ(m.Visibility1, 100);
    EXPECT_EQ(m.Frame, 4);
    EXPECT_EQ(m.Bitmap.Width(), 64);
    EXPECT_EQ(m.Bitmap.Height(), 14);
    EXPECT_EQ(m.Xcoord, (16 + 4) * (3 - k));
  }
}

TEST_F(ShippedSkin, ComposedComboAndToolbarImages) {
  REQUIRE_PACKER();
  SkinDataPtr sd = LoadedSkinData(skintest::ShippedSkin());
  ASSERT_TRUE(sd->Ready());
  const int b = GetSystemMetrics(SM_CXHSCROLL) + 2;
  const TBitmap& strip = sd->ComboButton->Bitmap;
  ASSERT_EQ(strip.Width(), 200);
  ASSERT_EQ(strip.Height(), 21);
  EXPECT_EQ(sd->ComboButton->Style, 2);
  EXPECT_EQ(sd->ComboButton->LeftWidth, 2);
  EXPECT_EQ(sd->ComboButton->RightWidth, b + 2);
  EXPECT_EQ(sd->ComboButton->TopHeight, 2);
  EXPECT_EQ(sd->SunkEdge->LeftWidth, b + 2);
  EXPECT_EQ(sd->SunkEdge->RightWidth, 2);
  // Cell 1: the edit frame, its inside keyed out, the button at the right with its separator
  // line and the arrow glyph centred on it.
  const int bx = 50 - b;
  EXPECT_EQ(PixelOf(strip, 0, 10), kLineDark);
  EXPECT_EQ(PixelOf(strip, 1, 10), kWhite);
  EXPECT_EQ(PixelOf(strip, 10, 10), kMagenta);
  EXPECT_EQ(PixelOf(strip, bx - 1, 10), kWhite);
  EXPECT_EQ(PixelOf(strip, bx, 10), kWhite);  // the button's keyed-out edge shows the frame
  EXPECT_EQ(PixelOf(strip, bx + 1, 10), kLine);
  EXPECT_EQ(PixelOf(strip, bx + 3, 3), kFace);
  EXPECT_EQ(PixelOf(strip, 49, 10), kLineDark);
  const int gx = bx + (b - 16) / 2 + 4, gy = (21 - 16) / 2 + 6;
  EXPECT_EQ(PixelOf(strip, gx, gy), kText);
  EXPECT_EQ(PixelOf(strip, gx + 6, gy), kText);
  EXPECT_EQ(PixelOf(strip, gx - 1, gy), kFace);
  EXPECT_EQ(PixelOf(strip, gx + 3, gy + 3), kText);
  // Cell 2 is the pressed look: white arrow on the dark accent.
  EXPECT_EQ(PixelOf(strip, 50 + gx, gy), kWhite);
  // The edit frame is the strip mirrored.
  EXPECT_EQ(PixelOf(sd->SunkEdge->Bitmap, 199, 10), kLineDark);
  EXPECT_EQ(PixelOf(sd->SunkEdge->Bitmap, 199 - gx, gy), kText);
  // The arrow cells: 17 x 17 from (i x 50 - 19, 2) of the strip.
  const TBitmap& arrow = sd->ComboxArrow->Bitmap;
  ASSERT_EQ(arrow.Width(), 68);
  ASSERT_EQ(arrow.Height(), 17);
  for (int i = 1; i <= 4; ++i)
    for (int y = 0; y < 17; ++y)
      for (int x = 0; x < 17; ++x)
        ASSERT_EQ(PixelOf(arrow, (i - 1) * 17 + x, y), PixelOf(strip, i * 50 - 19 + x, 2 + y)) << i << " " << x;
  // The toolbar gradient from the face blended with white to grey blended with the face,
  // 15 % to 85 % (computed by hand).
  const TBitmap& bar = sd->Toolbar->Bitmap;
  ASSERT_EQ(bar.Width(), 10);
  ASSERT_EQ(bar.Height(), 40);
  EXPECT_EQ(PixelOf(bar, 0, 0), Rgb(252, 253, 253));
  EXPECT_EQ(PixelOf(bar, 9, 39), Rgb(220, 222, 225));
  for (int y = 1; y < 40; ++y) EXPECT_LE(PixelOf(bar, 5, y) & 0xFF, PixelOf(bar, 5, y - 1) & 0xFF);
}

// ---- Hostile INIs ----

class HostileSkin : public SkinFixture {
 protected:
  SkinDataPtr With(const std::string& ini) { return LoadedSkinData(ShippedSkinWithIni(ini)); }
};

TEST_F(HostileSkin, AnEmptyIniGivesTheDefaults) {
  REQUIRE_PACKER();
  for (const std::string ini : {"", "garbage without sections\r\n=\r\n[", "[Colours]\r\n[Personality]\r\n"}) {
    SkinDataPtr sd = With(ini);
    ASSERT_TRUE(sd->Ready());
    EXPECT_EQ(sd->SkinName, "");
    EXPECT_EQ(sd->Colors.ButtonFace, clBtnFace);
    EXPECT_EQ(sd->Colors.Menubar, clBtnFace);
    EXPECT_EQ(sd->Colors.WindowText, clWindowText);
    EXPECT_EQ(sd->Colors.TitleTextNoActive, clInactiveCaptionText);
    EXPECT_EQ(sd->FaceColor, clBtnFace);
    EXPECT_TRUE(sd->Top->Bitmap.Empty());
    EXPECT_EQ(sd->Top->Frame, 1);
    EXPECT_EQ(sd->Top->Tile, 1);
    EXPECT_EQ(sd->Top->Trans, 1);
    EXPECT_EQ(sd->Title->ActiveText, clNone);
    EXPECT_EQ(sd->Title->FontHeight, 14);
    EXPECT_EQ(sd->Buttons->Frame, 5);
    EXPECT_EQ(sd->Buttons->CheckButtonFrame, 4);  // an empty picture still counts 4 cells
    EXPECT_EQ(sd->Buttons->NormalColour2, clBtnText);
    EXPECT_EQ(sd->SysButtons.size(), 3u);
    EXPECT_EQ(sd->Progress, nullptr);
    EXPECT_EQ(sd->MenuBar, nullptr);
    EXPECT_EQ(sd->SunkEdge, nullptr);
    EXPECT_EQ(sd->ComboButton, nullptr);
    ASSERT_TRUE(sd->ComboxArrow);
    EXPECT_TRUE(sd->ComboxArrow->Bitmap.Empty());
    EXPECT_EQ(sd->Track->Bitmap.Width(), 16);
    ASSERT_TRUE(sd->Toolbar);
    EXPECT_EQ(sd->Toolbar->Bitmap.Height(), 40);
    // The system's face (240, 240, 240 here) blended 15 % with white at the top; at the bottom
    // the face's bytes (index 15, then zeros) weigh as a colour of saturation value 200, so the
    // face goes 54 % with white (computed by hand).
    EXPECT_EQ(PixelOf(sd->Toolbar->Bitmap, 0, 0), Rgb(253, 253, 253));
    EXPECT_EQ(PixelOf(sd->Toolbar->Bitmap, 9, 39), Rgb(247, 247, 247));
  }
}

TEST_F(HostileSkin, MissingAndDamagedBitmapsAreEmpty) {
  REQUIRE_PACKER();
  // A name not in the archive; names with another extension, a folder part or an upper-case
  // extension; the INI itself named as a bitmap.
  SkinDataPtr sd = With(
      "[Personality]\r\nTop=nothere.bmp\r\nLeft=skins/left.bmp\r\nRight=right.BMP\r\nBottom=bottom\r\n"
      "[Buttons]\r\nBitmap=velmora.ini\r\n[SunkEdge]\r\nImage=top.png\r\n[ComboButton]\r\nImage=combobutton.bmp\r\n");
  ASSERT_TRUE(sd->Ready());
  EXPECT_TRUE(sd->Top->Bitmap.Empty());
  EXPECT_EQ(sd->Left->Bitmap.Width(), 8);  // the folder part is dropped
  EXPECT_TRUE(sd->Right->Bitmap.Empty());
  EXPECT_TRUE(sd->Bottom->Bitmap.Empty());
  EXPECT_TRUE(sd->Buttons->Bitmap.Empty());
  // The edit frame is present with nothing to show; composing over it still gives the strips.
  ASSERT_TRUE(sd->SunkEdge);
  EXPECT_EQ(sd->ComboButton->Bitmap.Width(), 200);
  EXPECT_EQ(sd->SunkEdge->Bitmap.Width(), 200);
  EXPECT_EQ(PixelOf(sd->SunkEdge->Bitmap, 199, 10), kMagenta);
}

TEST_F(HostileSkin, PicturesNamedWithFoldersOrDrivesAreFoundByTheirFileNames) {
  REQUIRE_PACKER();
  // Skins name their pictures as the system they were made on writes paths.
  SkinDataPtr sd = With(
      "[Personality]\r\nTop=skins\\top.bmp\r\nLeft=c:left.bmp\r\nRight=c:\\skins\\sub\\right.bmp\r\n"
      "Bottom=sub.d\\bottom\r\n[Buttons]\r\nBitmap=a.b\\c:\\\r\n");
  ASSERT_TRUE(sd->Ready());
  EXPECT_FALSE(sd->Top->Bitmap.Empty());
  EXPECT_EQ(sd->Left->Bitmap.Width(), 8);
  EXPECT_FALSE(sd->Right->Bitmap.Empty());
  EXPECT_TRUE(sd->Bottom->Bitmap.Empty()) << "the full stop of a folder is no extension";
  EXPECT_TRUE(sd->Buttons->Bitmap.Empty()) << "no file name after the last separator";
}

TEST_F(HostileSkin, DamagedPicturesAreEmptyAndTheRestReads) {
  REQUIRE_PACKER();
  SkinDataPtr sd = LoadedSkinData(PackEntries(
      {{"s.ini", "[TitlebarSkin]\r\nSkinName=x\r\n[Personality]\r\nTop=bad.bmp\r\nLeft=huge.bmp\r\n"},
       {"bad.bmp", "BM\x10\0\0\0garbage"},
       // A header claiming 65536 x 65536 pixels with nothing behind it.
       {"huge.bmp", "BM" + LE32(54) + LE32(0) + LE32(54) + LE32(40) + LE32(65536) + LE32(65536) +
                        std::string("\x01\0\x18\0", 4) + std::string(24, '\0')}}));
  ASSERT_TRUE(sd->Ready());
  EXPECT_EQ(sd->SkinName, "x");
  EXPECT_TRUE(sd->Top->Bitmap.Empty());
  EXPECT_TRUE(sd->Left->Bitmap.Empty());
}

TEST_F(HostileSkin, AbsurdNumbersAreHeldWithinReason) {
  REQUIRE_PACKER();
  SkinDataPtr sd = With(
      "[Personality]\r\nTop=top.bmp\r\nTopFrame=0\r\nTopStretch=7\r\nTopTopHeight=2147483647\r\n"
      "TopBotHeight=-2147483648\r\nLeft=left.bmp\r\nLeftFrame=-5\r\nmenuBar=menubar.bmp\r\nTileMenu=9\r\n"
      "TileLeftMenu=2147483647\r\nTextShift=2147483647\r\nTextRightClip=2147483647\r\n"
      "[Buttons]\r\nBitmap=button.bmp\r\nTile=5\r\nCheckButton=check.bmp\r\nCheckButtonFrame=0\r\n"
      "RadioButton=top.bmp\r\n"
      "[Progress]\r\nBitmap=progress.bmp\r\nStyle=3\r\nTile=4\r\n"
      "[Tab.Pane]\r\nImage=tabpane.bmp\r\nLeftWidth=100\r\nTopHeight=-3\r\n"
      "[HorzScrollThumb]\r\nImage=hthumb.bmp\r\nFrameCount=2147483647\r\n"
      "[Headerbar]\r\nImage=header.bmp\r\nFrame=-1\r\nTile=2\r\n"
      "[SunkEdge]\r\nImage=sunkedge.bmp\r\nLeftWidth=99999\r\nRightWidth=99999\r\n"
      "[ComboButton]\r\nImage=combobutton.bmp\r\nTopHeight=-7\r\n"
      "[MdiControls]\r\nImage=left.bmp\r\n"
      "[Button1]\r\nButtonImage=close.bmp\r\nXcoord=2147483647\r\nframe=-3\r\n"
      "[Colours]\r\nButtonFace=99999999999 -5 x\r\n");
  ASSERT_TRUE(sd->Ready());
  EXPECT_EQ(sd->Top->Frame, 0);
  EXPECT_EQ(sd->Top->Tile, 1);
  EXPECT_EQ(sd->FaceColor, sd->Colors.ButtonFace);  // no frames to sample: the face colour
  EXPECT_EQ(sd->MenuBar->Tile, 1);
  // Margins are held to 65,536 either way, so that the sums the painting makes of them (a
  // margin and a few pixels, two margins and a text's width) stay numbers.
  EXPECT_EQ(sd->Top->LeftWidth, 65536);
  EXPECT_EQ(sd->Top->RightWidth, -65536);
  EXPECT_EQ(sd->MenuBar->LeftWidth, 65536);
  EXPECT_EQ(sd->Title->LeftWidth, 65536);
  EXPECT_EQ(sd->Title->RightWidth, 65536);
  EXPECT_EQ(sd->Buttons->Tile, 0);
  EXPECT_EQ(sd->Buttons->CheckButtonFrame, 4);   // 52 / 13
  EXPECT_EQ(sd->Buttons->RadioButtonFrame, 4);   // 60 / 16 = 3, at least 4
  EXPECT_EQ(sd->Progress->Frame, 1);
  EXPECT_EQ(sd->Progress->Tile, 1);
  EXPECT_EQ(sd->TabPane->LeftWidth, 4);
  EXPECT_EQ(sd->TabPane->TopHeight, -3);
  EXPECT_EQ(sd->HorzScrollThumb->Frame, 2147483647);
  EXPECT_EQ(sd->Headerbar->Frame, -1);
  EXPECT_EQ(sd->Headerbar->Tile, 0);
  EXPECT_EQ(sd->SysButtons[0]->Frame, -3);
  // The MDI picture is too narrow for twelve frames: the buttons get none, but their places
  // (frames of no width and 4 pixels between them).
  for (int k = 0; k < 3; ++k) {
    EXPECT_TRUE(sd->SysButtons[size_t(1 + k)]->Bitmap.Empty());
    EXPECT_EQ(sd->SysButtons[size_t(1 + k)]->Xcoord, 4 * (3 - k));
  }
  EXPECT_EQ(sd->ComboButton->Bitmap.Width(), 200);
}

TEST_F(HostileSkin, CaptionButtonRules) {
  REQUIRE_PACKER();
  SkinDataPtr sd = With(
      "[Button1]\r\nAction=1\r\nVisibility=2\r\nXcoord=40\r\nYcoord=3\r\n"
      "[Button5]\r\nAction=-1\r\n"            // dropped: Action -1 without Visibility 0
      "[Button6]\r\nAction=-1\r\nVisibility=0\r\nButtonImage=top.bmp\r\n"  // kept
      "[Buttons]\r\n[BUTTON]\r\n[button.radio]\r\n[Button.CheckBox]\r\n"     // not caption buttons
      "[ButtonA]\r\nAction=4\r\nXcoord=9\r\n"
      "[ButtonB]\r\nAction=3\r\nButtonImage=restore.bmp\r\n"  // 88 x 18: six frames, icon drops it
      "[ButtonC]\r\nButtonImage=left.bmp\r\n"                // 8 x 30: three frames
      "[ButtonD]\r\nAction=11\r\nframe=2\r\nButtonImage=left.bmp\r\n");  // a frame count keeps it
  ASSERT_TRUE(sd->Ready());
  ASSERT_EQ(sd->SysButtons.size(), 6u + 3u);
  const auto& kept = *sd->SysButtons[1];
  EXPECT_EQ(kept.Name, "Button6");
  EXPECT_EQ(kept.Visibility1, -1);
  EXPECT_EQ(kept.Frame, 6);  // a negative Action always has six
  const auto& restore = *sd->SysButtons[2];
  EXPECT_EQ(restore.Xcoord, 40);
  EXPECT_EQ(restore.Ycoord, 3);
  const auto& icon = *sd->SysButtons[3];
  EXPECT_EQ(icon.Frame, 6);
  EXPECT_TRUE(icon.Bitmap.Empty());
  EXPECT_EQ(sd->SysButtons[4]->Frame, 3);
  EXPECT_EQ(sd->SysButtons[5]->Frame, 2);
  EXPECT_FALSE(sd->SysButtons[5]->Bitmap.Empty());
  EXPECT_EQ(sd->SysButtons[6]->Action, 7);
}

TEST_F(HostileSkin, AButtonWithAction4AndNoEarlierMaximiseKeepsItsPlace) {
  REQUIRE_PACKER();
  SkinDataPtr sd = With("[Button1]\r\nAction=4\r\nXcoord=9\r\nYcoord=8\r\n");
  ASSERT_TRUE(sd->Ready());
  EXPECT_EQ(sd->SysButtons[0]->Xcoord, 9);
  EXPECT_EQ(sd->SysButtons[0]->Ycoord, 8);
}

TEST_F(HostileSkin, ComboButtonWithoutEdgeFrame) {
  REQUIRE_PACKER();
  SkinDataPtr sd = With("[ComboButton]\r\nImage=combobutton.bmp\r\n[Colours]\r\nButtonFace=1 2 3\r\n");
  ASSERT_TRUE(sd->Ready());
  // The button as it is, its magenta turned into the face colour; its mirror image kept.
  const TBitmap& arrow = sd->ComboxArrow->Bitmap;
  ASSERT_EQ(arrow.Width(), 68);
  EXPECT_EQ(sd->ComboxArrow->Frame, 4);
  EXPECT_EQ(PixelOf(arrow, 0, 0), Rgb(1, 2, 3));
  EXPECT_EQ(PixelOf(arrow, 1, 5), kLine);
  EXPECT_EQ(PixelOf(sd->ComboButton->Bitmap2, 66, 5), kLine);
  EXPECT_EQ(sd->ComboButton->Style, 0);
  // Without a face colour in the skin, the screen's face colour (not a system colour's index).
  SkinDataPtr plain = With("[ComboButton]\r\nImage=combobutton.bmp\r\n");
  EXPECT_EQ(PixelOf(plain->ComboxArrow->Bitmap, 0, 0), static_cast<TColor>(ColorToRGB(clBtnFace)));
}

TEST_F(HostileSkin, UnreadablePackedSkinLeavesTheModelAndStaysNotReady) {
  REQUIRE_PACKER();
  SkinDataPtr sd = LoadedSkinData(skintest::ShippedSkin());
  ASSERT_TRUE(sd->Ready());
  sd->PackedSkin().Clear();
  sd->PackedSkin().WriteString(PackRaw(RawArchive(50000, "a\r\n", {5}, "ab")));  // entry beyond the end
  EXPECT_FALSE(sd->LoadSkin());
  EXPECT_FALSE(sd->Ready());
  EXPECT_EQ(sd->SkinName, "Velmora");
}

TEST(SkinColourText, Numbers) {
  struct Case {
    const char* text;
    TColor expected;
  } cases[] = {
      {"233 233 233", Rgb(233, 233, 233)}, {"233,233", Rgb(233, 0, 0)},
      {"233,233,233,", Rgb(233, 233, 233)}, {"  1 2 3  ", Rgb(1, 2, 3)},
      {"1 2 3 4", Rgb(1, 2, 3)},            {"10,20,x", Rgb(10, 20, 0)},
      {"999", Rgb(0, 0, 0)},                {"300 256 257", Rgb(44, 0, 1)},
      {"", Rgb(0, 0, 0)},                   {"a1b2c3", Rgb(1, 2, 3)},
      {"99999999999999999999 7 8", Rgb(255, 7, 8)},  // 10^20 - 1 modulo 256
  };
  for (const Case& c : cases) EXPECT_EQ(ParseSkinColor(c.text), c.expected) << c.text;
}

}  // namespace
