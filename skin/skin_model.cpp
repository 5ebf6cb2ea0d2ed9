// Reading the skin INI into the skin model: the element records with their bitmaps, the
// colours and the caption buttons, then the images composed from them.
#include <algorithm>
#include <cctype>
#include <utility>

#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/system_metrics.h"
#include "platform/rtl/resources.h"
#include "platform/rtl/strings.h"
#include "skin/img_util.h"
#include "skin/quick_ini.h"
#include "skin/skin_data.h"

namespace {

// Elements keep their margins within this many pixels (the largest picture a skin can hold
// is far smaller); so that sums of margins cannot overflow.
constexpr int kMaxMargin = 1 << 16;
int Margin(int v) { return std::clamp(v, -kMaxMargin, kMaxMargin); }

// Combo images: a cell of the composed strip.
constexpr int kComboCellWidth = 50, kComboCellHeight = 21;
constexpr int kArrowCell = 17;

}  // namespace

// "233 233 233": numbers that another character ends are red, green and blue in turn; digits
// at the very end count as blue after exactly two numbers. Missing numbers are 0; each is
// taken modulo 256.
TColor ParseSkinColor(const std::string& text) {
  const std::string trimmed = Trim(text);
  int values[3] = {0, 0, 0};
  int completed = 0;
  int current = 0;
  bool inNumber = false;
  for (const char c : trimmed) {
    if (c >= '0' && c <= '9') {
      current = (current * 10 + (c - '0')) % 256;
      inNumber = true;
      continue;
    }
    if (inNumber) {
      if (completed < 3) values[completed] = current;
      ++completed;
      current = 0;
      inNumber = false;
    }
  }
  if (inNumber && completed == 2) values[2] = current;
  return TColor(values[0] | (values[1] << 8) | (values[2] << 16));
}

namespace {

// The readers of one load: the INI, the archive (through the component) and the colours.
class ModelReader {
 public:
  ModelReader(TSkinData& sd, const TQuickIni& ini) : sd_(sd), ini_(ini) {}

  std::string Str(const std::string& section, const std::string& key) const {
    return ini_.ReadString(section, key, std::string());
  }
  int Int(const std::string& section, const std::string& key, int def) const {
    return ini_.ReadInteger(section, key, def);
  }
  TColor Colour(const std::string& section, const std::string& key, TColor def) const {
    std::string v = Str(section, key);
    return v.empty() ? def : ParseSkinColor(v);
  }
  void Bitmap(TBitmap& bitmap, const std::string& name) { sd_.LoadSkinBitmap(bitmap, name); }

  // Style, margins, transparency, tile and the colour keys of an element's section.
  void Common(TDataSkinObject& o, const std::string& section, bool withFrame) {
    o.Style = Int(section, "Style", 0);
    o.LeftWidth = Margin(Int(section, "LeftWidth", 0));
    o.RightWidth = Margin(Int(section, "RightWidth", 0));
    o.TopHeight = Margin(Int(section, "TopHeight", 0));
    o.BottomHeight = Margin(Int(section, "BottomHeight", 0));
    if (withFrame) o.Frame = Int(section, "Frame", 0);
    o.Trans = Int(section, "Trans", 0);
    o.Tile = Int(section, "Tile", 0);
    if (o.Tile > 1) o.Tile = 0;
    Colours(o, section);
  }
  void Colours(TDataSkinObject& o, const std::string& section) {
    o.NormalColour = Int(section, "NormalColour", -1);
    o.MouseOverColour = Int(section, "MouseOverColour", -1);
    o.PressedColour = Int(section, "PressedColour", -1);
    o.NormalColour2 = Colour(section, "NormalColour2", sd_.Colors.ButtonText);
    o.MouseOverColour2 = Colour(section, "MouseOverColour2", sd_.Colors.ButtonText);
    o.PressedColour2 = Colour(section, "PressedColour2", sd_.Colors.ButtonText);
  }

  template <class T = TDataSkinObject>
  std::unique_ptr<T> Generic(const std::string& section) {
    std::string image = Str(section, "Image");
    if (image.empty()) return nullptr;
    auto o = std::make_unique<T>(section);
    Bitmap(o->Bitmap, image);
    Common(*o, section, true);
    return o;
  }

  std::unique_ptr<TDataSkinBorder> TwoBitmaps(const std::string& section, const std::string& secondKey) {
    std::string image = Str(section, "Image");
    if (image.empty()) return nullptr;
    auto o = std::make_unique<TDataSkinBorder>(section);
    Bitmap(o->Bitmap, image);
    Common(*o, section, false);
    std::string second = Str(section, secondKey);
    if (!second.empty()) Bitmap(o->Bitmap2, second);
    return o;
  }

  std::unique_ptr<TDataSkinBorder> Progress() {
    const std::string section = "Progress";
    std::string image = Str(section, "Bitmap");
    if (image.empty()) return nullptr;
    auto o = std::make_unique<TDataSkinBorder>(section);
    Bitmap(o->Bitmap, image);
    o->Style = Int(section, "Style", 0);
    o->LeftWidth = Margin(Int(section, "LeftWidth", 0));
    o->RightWidth = Margin(Int(section, "RightWidth", 0));
    o->TopHeight = Margin(Int(section, "TopHeight", 0));
    o->BottomHeight = Margin(Int(section, "BottomHeight", 0));
    o->Trans = Int(section, "Trans", 0);
    o->Tile = Int(section, "Tile", 0);
    if (o->Tile > 1) o->Tile = 1;
    return o;
  }

  std::unique_ptr<TDataSkinBoxLabel> BoxLabel(const std::string& section) {
    std::string image = Str(section, "Image");
    if (image.empty()) return nullptr;
    auto o = std::make_unique<TDataSkinBoxLabel>(section);
    Bitmap(o->Bitmap, image);
    Common(*o, section, false);
    o->BackgroundAlignment = Int(section, "BackgroundAlignment", 0);
    o->BackgroundLeftShift = Int(section, "BackgroundLeftShift", 0);
    o->BackgroundRightShift = Int(section, "BackgroundRightShift", 0);
    return o;
  }

  void Border(TDataSkinBorder& o, const std::string& side) {
    const std::string p = "Personality";
    Bitmap(o.Bitmap, Str(p, side));
    o.Frame = Int(p, side + "Frame", 1);
    o.Tile = Int(p, side + "Stretch", 1);
    o.Trans = Int(p, side + "Trans", 1);
    const int first = Margin(Int(p, side + "TopHeight", 0)), second = Margin(Int(p, side + "BotHeight", 0));
    if (side == "Left" || side == "Right") {
      o.TopHeight = first;
      o.BottomHeight = second;
      o.LeftWidth = o.RightWidth = 0;
    } else {
      o.LeftWidth = first;
      o.RightWidth = second;
      o.TopHeight = o.BottomHeight = 0;
    }
    if (o.Tile > 1) o.Tile = 1;
  }

  std::unique_ptr<TDataSkinObject> MenuBar() {
    const std::string p = "Personality";
    std::string image = Str(p, "menuBar");
    if (image.empty()) return nullptr;
    auto o = std::make_unique<TDataSkinObject>(p);
    Bitmap(o->Bitmap, image);
    o->TopHeight = o->BottomHeight = 0;
    o->Tile = Int(p, "TileMenu", 1);
    o->LeftWidth = Margin(Int(p, "TileLeftMenu", 1));
    o->RightWidth = Margin(Int(p, "TileRightMenu", 1));
    if (o->Tile > 1) o->Tile = 1;
    return o;
  }

  void Title(TDataSkinTitle& t) {
    const std::string p = "Personality";
    Bitmap(t.Bitmap, Str(p, "TextBack"));
    t.LeftWidth = Margin(Int(p, "TextShift", 0));
    t.TopHeight = Margin(Int(p, "TextShiftVert", 0));
    t.RightWidth = Margin(Int(p, "TextRightClip", 0));
    t.BottomHeight = 0;
    t.TextAlignment = Int(p, "TextAlignment", 0);
    t.Textbackground = Int(p, "Textbackground", 0);
    t.TXTBackleft = Int(p, "TXTBackleft", 0);
    t.TXTBackRight = Int(p, "TXTBackRight", 0);
    t.FontHeight = Int("Fonts", "FontHeight", 14);
    t.ActiveText = Rgb3(p, "ActiveText");
    t.InActiveText = Rgb3(p, "InActiveText");
  }
  TColor Rgb3(const std::string& section, const std::string& prefix) const {
    const int r = Int(section, prefix + "R", -1), g = Int(section, prefix + "G", -1), b = Int(section, prefix + "B", -1);
    if (r < 0 || g < 0 || b < 0) return clNone;
    return TColor((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
  }

  void ButtonsSection(TDataSkinButton& o) {
    const std::string s = "Buttons";
    o.LeftWidth = Margin(Int(s, "LeftWidth", 0));
    o.RightWidth = Margin(Int(s, "RightWidth", 0));
    o.TopHeight = Margin(Int(s, "TopHeight", 0));
    o.BottomHeight = Margin(Int(s, "BottomHeight", 0));
    o.Trans = Int(s, "Trans", 0);
    o.Tile = Int(s, "Tile", 0);
    if (o.Tile > 1) o.Tile = 0;
    Bitmap(o.Bitmap, Str(s, "Bitmap"));
    Bitmap(o.CheckBitmap, Str(s, "CheckButton"));
    Bitmap(o.RadioBitmap, Str(s, "RadioButton"));
    o.RadioButtonFrame = Int(s, "RadioButtonFrame", 0);
    o.CheckButtonFrame = Int(s, "CheckButtonFrame", 0);
    o.HasNormalColour2 = !Str(s, "NormalColour2").empty();
    o.HasMouseOverColour2 = !Str(s, "MouseOverColour2").empty();
    o.HasPressedColour2 = !Str(s, "PressedColour2").empty();
    Colours(o, s);
  }

  void ColourTable(const std::vector<std::string>& sections) {
    const std::string c = "Colours";
    TSkinColors& t = sd_.Colors;
    t.WindowText = Colour(c, "WindowText", clWindowText);
    t.ButtonFace = Colour(c, "ButtonFace", clBtnFace);
    t.Scrollbar = Colour(c, "Scrollbar", clScrollBar);
    t.HilightText = Colour(c, "HilightText", clHighlightText);
    t.Hilight = Colour(c, "Hilight", clHighlight);
    t.Menubar = Colour(c, "Menubar", t.ButtonFace);
    t.Menu = Colour(c, "Menu", clMenu);
    t.MenuText = Colour(c, "MenuText", clMenuText);
    t.ButtonText = Colour(c, "ButtonText", clBtnText);
    t.ButtonHilight = Colour(c, "ButtonHilight", clBtnHighlight);
    t.Buttonlight = Colour(c, "Buttonlight", clBtnHighlight);
    t.ButtonShadow = Colour(c, "ButtonShadow", clBtnShadow);
    t.ButtonDkShadow = Colour(c, "ButtonDkShadow", cl3DDkShadow);
    t.MenuBarText = Colour(c, "MenuBarText", clMenuText);
    t.TitleTextActive = Colour(c, "TitleTextActive", clCaptionText);
    t.TitleTextNoActive = Colour(c, "TitleTextNoActive", clInactiveCaptionText);
    sd_.Colours.clear();
    for (const std::string& s : sections) {
      std::string u = UpperCaseAscii(s);
      if (u.rfind("COLOUR", 0) == 0 && u != "COLOURS") sd_.Colours.push_back(Colour(s, "color", clWindowText));
    }
    for (int i = 0; i < 10; ++i)
      sd_.CustomColors[static_cast<size_t>(i)] = Colour("Customcolors", "Color" + std::to_string(i), clWhite);
  }

  void CaptionButtons(const std::vector<std::string>& sections) {
    std::vector<std::string> kept;
    for (const std::string& s : sections) {
      std::string u = UpperCaseAscii(s);
      if (u.rfind("BUTTON", 0) != 0 || u == "BUTTONS" || u == "BUTTON.RADIO" || u == "BUTTON.CHECKBOX" ||
          u == "BUTTON")
        continue;
      if (Int(s, "Action", 0) == -1 && Int(s, "Visibility", -1) != 0) continue;
      kept.push_back(s);
    }
    auto& out = sd_.SysButtons;
    out.clear();
    bool remembered = false;
    int rx = 0, ry = 0;
    for (const std::string& s : kept) {
      auto b = std::make_unique<TDataSkinSysButton>(s);
      b->Action = Int(s, "Action", 0);
      b->Align = Int(s, "Align", 0);
      b->Xcoord = Margin(Int(s, "Xcoord", 0));
      b->Ycoord = Margin(Int(s, "Ycoord", 0));
      b->Visibility = Int(s, "Visibility", 0);
      b->Visibility1 = Int(s, "Visibility1", b->Action == -1 ? -1 : 0);
      b->CombineOp = Int(s, "CombineOp", -1);
      b->Frame = Int(s, "frame", 0);
      Bitmap(b->Bitmap, Str(s, "ButtonImage"));
      if (b->Action == 1 && b->Visibility == 2) {
        remembered = true;
        rx = b->Xcoord;
        ry = b->Ycoord;
      } else if (b->Action == 4 && remembered) {
        b->Xcoord = rx;
        b->Ycoord = ry;
      }
      if (b->Frame == 0) {
        b->Frame = 6;
        const TBitmap& bm = b->Bitmap;
        if (!bm.Empty() && double(bm.Width()) / bm.Height() <= 3.8) b->Frame = 3;
        if (b->Action < 0) b->Frame = 6;
        if (b->Action == 3 || b->Action == 11) b->Bitmap.Assign(TBitmap());
      }
      out.push_back(std::move(b));
    }
    TBitmap mdi;
    Bitmap(mdi, Str("MdiControls", "Image"));
    const int third = mdi.Width() / 12;
    for (int k = 0; k < 3; ++k) {
      auto b = std::make_unique<TDataSkinSysButton>();
      b->Action = 7 + k;
      b->Align = 100;
      b->Visibility = 100;
      b->Visibility1 = 100;
      b->Frame = 4;
      // A picture narrower than twelve frames gives the buttons their places but no frames.
      if (!mdi.Empty()) b->Xcoord = (third + 4) * (3 - k);
      if (third > 0) {
        b->Bitmap.SetPixelFormat(pf24bit);
        b->Bitmap.SetSize(4 * third, mdi.Height());
        BitBlt(b->Bitmap.Canvas().Handle(), 0, 0, 4 * third, mdi.Height(), mdi.Canvas().Handle(), k * 4 * third, 0,
               SRCCOPY);
      }
      out.push_back(std::move(b));
    }
  }

  std::unique_ptr<TDataSkinObject> TrackElement(const std::string& section, const char* resource) {
    auto o = Generic(section);
    if (o) return o;
    o = std::make_unique<TDataSkinObject>(section);
    if (HasResource(resource)) {
      auto data = FindResourceData(resource);
      TMemoryStream s(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
      o->Bitmap.LoadFromStream(s);
    }
    o->LeftWidth = o->TopHeight = o->RightWidth = o->BottomHeight = 3;
    o->Tile = 0;
    o->Frame = 1;
    return o;
  }

 private:
  TSkinData& sd_;
  const TQuickIni& ini_;
};

void SetFrames(TDataSkinObject* o, int frames) {
  if (o) o->Frame = frames;
}

// Buttons' check and radio pictures: without a count, as many cells as fit (13 pixels for
// pictures under 16 high, else 16), at least 4.
int CellFrames(const TBitmap& b, int frames) {
  if (frames != 0) return frames;
  const int cell = b.Height() < 16 ? 13 : 16;
  return std::max(b.Width() / cell, 4);
}

}  // namespace

void TSkinData::ReadSkinIni() {
  if (!ini_) return;
  ModelReader r(*this, *ini_);
  TStringList sectionList;
  ini_->ReadSections(sectionList);
  std::vector<std::string> sections;
  for (int i = 0; i < sectionList.Count(); ++i) sections.push_back(sectionList.Get(i));
  SkinName = r.Str("TitlebarSkin", "SkinName");

  r.Border(*Left, "Left");
  r.Border(*Right, "Right");
  r.Border(*Top, "Top");
  r.Border(*Bottom, "Bottom");
  r.ColourTable(sections);
  r.CaptionButtons(sections);
  r.ButtonsSection(*Buttons);
  r.Title(*Title);
  Progress = r.Progress();
  ProgressChunk = r.Generic("Progress.Chunk");
  MenuBar = r.MenuBar();
  GroupBoxEdge = r.Generic("GroupBoxEdge");
  GroupBox = r.BoxLabel("GroupBox");
  Tabs = r.TwoBitmaps("Tabs", "Border");
  StatusBarEdges = r.Generic("StatusBarEdges");
  TabPane = r.Generic("Tab.Pane");
  if (TabPane) {
    TabPane->LeftWidth = std::min(TabPane->LeftWidth, 4);
    TabPane->TopHeight = std::min(TabPane->TopHeight, 4);
    TabPane->RightWidth = std::min(TabPane->RightWidth, 4);
    TabPane->BottomHeight = std::min(TabPane->BottomHeight, 4);
  }
  ToolBars = r.Generic("ToolBars");
  ComboButton = r.TwoBitmaps("ComboButton", "****");
  SunkEdge = r.Generic("SunkEdge");
  if (ComboButton && !ComboButton->Bitmap.Empty()) {
    ComboButton->Bitmap2.Assign(ComboButton->Bitmap);
    ComboButton->Bitmap2.SetPixelFormat(pf24bit);
    MirrorBitmap(ComboButton->Bitmap2);
  }

  ExtraImages = r.Generic("ExtraImages");
  Headerbar = r.Generic("Headerbar");
  MenuItem = r.Generic("MenuItem");
  MenuBackground = r.Generic("MenuBackground");
  Scrollbar = r.Generic("Scrollbar");
  HorzScroll = r.Generic("HorzScroll");
  VertScroll = r.Generic("VertScroll");
  HorzScrollThumb = r.Generic("HorzScrollThumb");
  VertScrollThumb = r.Generic("VertScrollThumb");
  TrackbarThumbHorz = r.Generic("Trackbar.ThumbHorz");
  TrackbarThumbVert = r.Generic("Trackbar.ThumbVert");
  TrackbarThumbLeft = r.Generic("Trackbar.ThumbLeft");
  TrackbarThumbRight = r.Generic("Trackbar.ThumbRight");
  TrackbarThumbUp = r.Generic("Trackbar.ThumbUp");
  TrackbarThumbDown = r.Generic("Trackbar.ThumbDown");
  UpDownHorz = r.TwoBitmaps("UpDown.Horz", "GlyphImage");
  UpDownVert = r.TwoBitmaps("UpDown.Vert", "GlyphImage");
  Track = r.TrackElement("Track", "TRACK");
  TrackVert = r.TrackElement("TRACKVERT", "TRACKVERT");

  // Frame counts the elements are drawn with, whatever their sections said.
  SetFrames(Buttons.get(), 5);
  SetFrames(Title.get(), 2);
  if (Progress) Progress->Frame = Progress->Style != 0 ? 1 : 2;
  SetFrames(MenuBar.get(), 2);
  SetFrames(GroupBoxEdge.get(), 2);
  SetFrames(ToolBars.get(), 5);
  SetFrames(Tabs.get(), 5);
  SetFrames(TabPane.get(), 1);
  SetFrames(StatusBarEdges.get(), 3);
  SetFrames(GroupBox.get(), 1);
  SetFrames(ComboButton.get(), 4);
  SetFrames(SunkEdge.get(), 4);
  SetFrames(ExtraImages.get(), 5);
  if (Headerbar && Headerbar->Frame == 0) Headerbar->Frame = 5;
  SetFrames(MenuItem.get(), 5);
  SetFrames(MenuBackground.get(), 1);
  SetFrames(Scrollbar.get(), 23);
  SetFrames(HorzScroll.get(), 4);
  SetFrames(VertScroll.get(), 4);
  SetFrames(UpDownHorz.get(), 8);
  SetFrames(UpDownVert.get(), 8);
  for (TDataSkinObject* t : {TrackbarThumbHorz.get(), TrackbarThumbVert.get(), TrackbarThumbLeft.get(),
                             TrackbarThumbRight.get(), TrackbarThumbUp.get(), TrackbarThumbDown.get()})
    SetFrames(t, 5);
  SetFrames(HorzScrollThumb.get(), r.Int("HorzScrollThumb", "FrameCount", 3));
  SetFrames(VertScrollThumb.get(), r.Int("VertScrollThumb", "FrameCount", 3));
  Buttons->CheckButtonFrame = CellFrames(Buttons->CheckBitmap, Buttons->CheckButtonFrame);
  Buttons->RadioButtonFrame = CellFrames(Buttons->RadioBitmap, Buttons->RadioButtonFrame);

  ComposeComboImages();
  ComposeComboArrow();
  FixFaceColor();
  ComposeToolbar();
  if (FaceBrush) DeleteObject(FaceBrush);
  FaceBrush = CreateSolidBrush(ColorToRGB(Colors.ButtonFace));
  skinNotReady_ = false;
}

void TSkinData::ComposeComboImages() {
  if (!SunkEdge || !ComboButton) return;
  const int F = SunkEdge->Frame;
  const int b = GetSystemMetrics(SM_CXHSCROLL) + 2;
  TBitmap strip;
  strip.SetPixelFormat(pf24bit);
  strip.SetSize(kComboCellWidth * F, kComboCellHeight);
  strip.Dib().Fill(ColorToRGB(kSkinKeyColor));
  const HBRUSH key = CreateSolidBrush(ColorToRGB(kSkinKeyColor));
  for (int i = 1; i <= F; ++i) {
    TBitmap cell;
    cell.SetPixelFormat(pf24bit);
    cell.SetSize(kComboCellWidth, kComboCellHeight);
    cell.Dib().Fill(ColorToRGB(kSkinKeyColor));
    HDC dc = cell.Canvas().Handle();
    const TRect whole{0, 0, kComboCellWidth, kComboCellHeight};
    const TRect button{kComboCellWidth - b, 0, kComboCellWidth, kComboCellHeight};
    if (!SunkEdge->Bitmap.Empty())
      DrawSkinElement(dc, whole, SunkEdge->Bitmap, false, SunkEdge->Tile != 0, SunkEdge->Trans == 1, F, i,
                      SunkEdge->Margins());
    if (!ComboButton->Bitmap.Empty())
      DrawSkinElement(dc, button, ComboButton->Bitmap, false, ComboButton->Tile != 0, true, ComboButton->Frame, i,
                      ComboButton->Margins());
    if (ExtraImages && !ExtraImages->Bitmap.Empty())
      DrawSkinFrameCentred(dc, button, ExtraImages->Bitmap, true, ExtraImages->Frame, i);
    const TRect inner{2, 2, kComboCellWidth - 1 - b, kComboCellHeight - 3};
    FillRect(dc, &inner, key);
    BitBlt(strip.Canvas().Handle(), (i - 1) * kComboCellWidth, 0, kComboCellWidth, kComboCellHeight, dc, 0, 0,
           SRCCOPY);
  }
  DeleteObject(key);
  ComboButton->Style = 2;
  ComboButton->TopHeight = SunkEdge->TopHeight;
  ComboButton->BottomHeight = SunkEdge->BottomHeight;
  ComboButton->LeftWidth = 2;
  ComboButton->RightWidth = b + 2;
  ComboButton->Bitmap.Assign(strip);
  MirrorBitmap(strip);
  SunkEdge->Bitmap.Assign(strip);
  SunkEdge->LeftWidth = b + 2;
  SunkEdge->RightWidth = 2;
}

void TSkinData::ComposeComboArrow() {
  ComboxArrow = std::make_unique<TDataSkinObject>("ComboxArrow");
  if (!ComboButton) return;
  if (SunkEdge) {
    if (ComboButton->Style != 2) return;
    const int F = ComboButton->Frame;
    const int w = ComboButton->Bitmap.Width() / std::max(F, 1);
    ComboxArrow->Bitmap.SetPixelFormat(pf24bit);
    ComboxArrow->Bitmap.SetSize(kArrowCell * F, kArrowCell);
    for (int i = 1; i <= F; ++i)
      BitBlt(ComboxArrow->Bitmap.Canvas().Handle(), (i - 1) * kArrowCell, 0, kArrowCell, kArrowCell,
             ComboButton->Bitmap.Canvas().Handle(), i * w - 19, 2, SRCCOPY);
    ComboxArrow->Frame = F;
    return;
  }
  ComboxArrow->Bitmap.Assign(ComboButton->Bitmap);
  // The face colour as the screen shows it, not a system colour's index.
  ReplaceMagenta(ComboxArrow->Bitmap, static_cast<TColor>(ColorToRGB(Colors.ButtonFace)));
  ComboxArrow->Frame = ComboButton->Frame;
}

void TSkinData::FixFaceColor() {
  FaceColor = Colors.ButtonFace;
  const TBitmap& top = Top->Bitmap;
  if (top.Empty() || Top->Frame <= 0) return;
  const int x = top.Width() / 3, y = (top.Height() / Top->Frame) / 3;
  FaceColor = static_cast<TColor>(top.Dib().GetColor(x, y) & 0xFFFFFF);
}

void TSkinData::ComposeToolbar() {
  Toolbar = std::make_unique<TDataSkinObject>("Toolbar");
  // The face's saturation is judged from its bytes as they stand, a system colour's too; the
  // blends resolve it.
  const TColor c1 = BlendColors(Colors.ButtonFace, clWhite, 150);
  TColor c2 = BlendColors(0x808080, FaceColor, 150);
  const int s = ColorToHue(FaceColor).first;
  if (s > 110) c2 = BlendColors(FaceColor, clWhite, (225 - s) * 25 / 140 + 50);
  TBitmap& b = Toolbar->Bitmap;
  b.SetPixelFormat(pf24bit);
  b.SetSize(10, 40);
  GradientFillRect(b.Canvas().Handle(), TRect{0, 0, 10, 40}, c1, true, c2);
  Toolbar->Frame = 1;
}

bool TSkinData::ReadSkinIniOrKeepModel() {
  // The new skin is read into a fresh model; the previous one is kept aside until it stands.
  TSkinModel previous;
  std::swap(static_cast<TSkinModel&>(*this), previous);
  try {
    ReadSkinIni();
  } catch (const std::exception&) {
    // A skin that cannot be read whole leaves the previous model (and the component not ready).
    std::swap(static_cast<TSkinModel&>(*this), previous);
    skinNotReady_ = true;
    return false;
  }
  return true;
}
