// Which skinner each control gets (class-library rules, Skin3rd kinds, raw Win32 windows with
// their gates), and the frame choices of the control wrappers, as tables.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/rtl/string_list.h"
#include "skin/controls/skin_button.h"
#include "skin/controls/skin_check_box.h"
#include "skin/controls/skin_discovery.h"
#include "skin/controls/skin_progress.h"

namespace {

constexpr TSkinControlTypes kAll = 0x3FFFFF;
constexpr TSkinControlTypes Without(TSkinControlType t) { return kAll & ~SkinBit(t); }
std::string Name(const TSkinDecision& d) { return d.Skinner ? d.Skinner : "-"; }

TControlFacts Facts(const char* upper) {
  TControlFacts f;
  f.UpperClass = upper;
  return f;
}

TEST(ControlDiscovery, ClassLibraryControlsFollowTheFirstRuleThatApplies) {
  struct Case {
    const char* line;
    TControlFacts facts;
    TSkinControlTypes gates;
    bool tabs;
    std::string skinner;
    int children;
  };
  auto with = [](const char* c, auto set) {
    TControlFacts f = Facts(c);
    set(f);
    return f;
  };
  const Case cases[] = {
      {"plain button", with("TBUTTON", [](auto& f) { f.Button = true; }), kAll, false, "TSkinButton", 0},
      {"button gate off", with("TBUTTON", [](auto& f) { f.Button = true; }), Without(xcButton), false, "-", 0},
      {"check box", with("TCHECKBOX", [](auto& f) { f.CustomCheckBox = true; }), kAll, false, "TSkinCheckBox", 0},
      {"check box gate off", with("TCHECKBOX", [](auto& f) { f.CustomCheckBox = true; }), Without(xcCheckBox), false,
       "-", 0},
      {"edit", with("TEDIT", [](auto& f) { f.CustomEdit = true; }), kAll, false, "TSkinEdit", 0},
      {"progress", with("TPROGRESSBAR", [](auto& f) { f.ProgressBar = true; }), kAll, false, "TSkinProgress", 0},
      {"progress gate off", with("TPROGRESSBAR", [](auto& f) { f.ProgressBar = true; }), Without(xcProgress), false,
       "-", 0},
      {"panel walks children first", with("TPANEL", [](auto& f) { f.CustomPanel = true; }), kAll, false, "TSkinBox", 1},
      {"tab set needs the tabs element", Facts("TTABSET"), kAll, false, "-", 0},
      {"tab set", Facts("TTABSET"), kAll, true, "TSkinTab31", 0},
      {"tabbed notebook", Facts("TTABBEDNOTEBOOK"), kAll, true, "TSkinTab", 0},
      {"mvc panel only its children", Facts("TMVCPANEL"), kAll, false, "-", 2},
      {"left alone", Facts("TDBCOMBOBOXEH"), kAll, false, "-", 0},
      {"up-down", Facts("TUPDOWN"), kAll, false, "TSkinUpDown", 0},
      {"spin button gate off", Facts("TSPINBUTTON"), Without(xcSpin), false, "-", 0},
      {"media player", Facts("TMEDIAPLAYER"), kAll, false, "TSkinMP", 0},
      {"navigator", Facts("TDBNAVIGATOR"), kAll, false, "TSkinBox", 3},
      {"foreign check box", Facts("TRZCHECKBOX"), kAll, false, "TSkinObjImage", 0},
      {"foreign radio", Facts("TRZDBRADIOBUTTON"), kAll, false, "TSkinObjImage", 0},
      {"xyl combo", Facts("TXYLCOMBOBOX"), kAll, false, "TSkinComBox", 0},
      {"rich edit", Facts("TRICHEDIT"), kAll, false, "TSkinScrollbar", 0},
      {"scrolling window", with("TLISTBOX", [](auto& f) { f.Windowed = f.Scrolling = true; }), kAll, false,
       "TSkinScrollbar", 0},
      {"scrolling window gate off", with("TLISTBOX", [](auto& f) { f.Windowed = f.Scrolling = true; }),
       Without(xcScrollbar), false, "-", 0},
      {"list box whose bar is hidden", with("TLISTBOX", [](auto& f) { f.Windowed = f.ListBox = true; }), kAll, false,
       "TSkinScrollbar", 0},
      {"list box whose bar is hidden, gate off", with("TLISTBOX", [](auto& f) { f.Windowed = f.ListBox = true; }),
       Without(xcScrollbar), false, "-", 0},
      {"list box without a window", with("TLISTBOX", [](auto& f) { f.ListBox = true; }), kAll, false, "-", 0},
      {"embedded form", with("TFORM2", [](auto& f) { f.CustomForm = true; }), kAll, false, "TSkinBox", 0},
      {"unknown class", Facts("TLABEL"), kAll, false, "-", 0},
      {"dc edit with a button", with("TDCEDIT", [](auto& f) { f.NumButtons = 1; }), kAll, false, "TSkinComBox", 0},
      {"dc edit without", with("TDCDBEDIT", [](auto& f) { f.NumButtons = 0; }), kAll, false, "TSkinEdit", 0},
  };
  for (const Case& c : cases) {
    const TSkinDecision d = DecideControl(c.facts, c.gates, c.tabs);
    EXPECT_EQ(Name(d), c.skinner) << c.line;
    EXPECT_EQ(d.Children, c.children) << c.line;
  }
  EXPECT_EQ(DecideControl(Facts("TRZCHECKBOX"), kAll, false).Mode, 1);
  EXPECT_EQ(DecideControl(Facts("TCXCHECKBOX"), kAll, false).Mode, 3);
  EXPECT_TRUE(DecideControl(Facts("TDBNAVIGATOR"), kAll, false).Container);
  EXPECT_TRUE(DecideControl(with("TFORM2", [](auto& f) { f.CustomForm = true; }), kAll, false).Embedded);
  EXPECT_TRUE(DecideControl(with("TDCEDIT", [](auto& f) { f.NumButtons = 0; }), kAll, false).ByWindow);
}

TEST(ControlDiscovery, Skin3rdKindsAndTheirGates) {
  struct Case {
    const char* kind;
    TSkinControlTypes gates;
    std::string skinner;
  };
  const Case cases[] = {
      {"nil", kAll, "-"},
      {"combobox", kAll, "TSkinComBox"},
      {"combobox", Without(xcCombo), "-"},
      {"edit", kAll, "TSkinEdit"},
      {"radiobutton", kAll, "TSkinRadioButton"},
      {"panel", kAll, "TSkinBox"},
      {"trackbar", kAll, "TSkinTrackBar"},
      {"trackbar", Without(xcButton), "-"},
      {"trackbar", Without(xcTrackBar), "TSkinTrackBar"},
      {"button", kAll, "TSkinButton"},
      {"datetimepicker", kAll, "TSkinDateTime"},
      {"mediaplayer", kAll, "TSkinMP"},
      {"bitbtn", kAll, "TSkinBitButton"},
      {"pngbitbtn", kAll, "TSkinBitButton"},
      {"menubtn", kAll, "TSkinMenuButton"},
      {"speedbutton", kAll, "TSkinSpeedButton"},
      {"speedbutton", Without(xcSpeedButton), "-"},
      {"tab", kAll, "TSkinTab"},
      {"progress", kAll, "TSkinProgress"},
      {"scrollbar", kAll, "TSkinScrollbar"},
      {"singlescrollbar", kAll, "TSkinScrollbar"},
      {"embedscrollbar", kAll, "-"},
      {"container", kAll, "-"},
      {"groupbox", kAll, "TSkinGroupBox"},
      {"advpagecontrol", kAll, "TSkinAdvPage"},
      {"radiogroup", kAll, "TSkinGroupBox"},
      {"checkgroup", Without(xcGroupBox), "-"},
      {"checkbox", kAll, "TSkinCheckBox"},
      {"whatever", kAll, "-"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Name(DecideSkin3rd(c.kind, c.gates, true, true, false, false)), c.skinner) << c.kind;
  EXPECT_EQ(Name(DecideSkin3rd("edit", kAll, true, false, false, false)), "-") << "an edit without a border";
  EXPECT_EQ(Name(DecideSkin3rd("tab", kAll, false, true, false, false)), "-") << "no tabs element";
  EXPECT_EQ(Name(DecideSkin3rd("bitbtn", kAll, true, true, true, false)), "TSkinMenuButton");
  EXPECT_EQ(DecideSkin3rd("singlescrollbar", kAll, true, true, false, false).Mode, 1);
  EXPECT_TRUE(DecideSkin3rd("panel", kAll, true, true, false, false).SetTransparent);
  const TSkinDecision radio = DecideSkin3rd("radiogroup", kAll, true, true, false, false);
  EXPECT_EQ(radio.Children, 4);
  EXPECT_EQ(std::string(radio.ChildSkinner), "TSkinRadioButton");
  const TSkinDecision trz = DecideSkin3rd("checkgroup", kAll, true, true, false, true);
  EXPECT_EQ(std::string(trz.ChildSkinner), "TSkinObjImage");
  EXPECT_EQ(trz.ChildMode, 1);
  EXPECT_EQ(DecideSkin3rd("radiogroup", Without(xcRadioButton), true, true, false, false).Children, 0);
  // A group's gate keeps the group and its buttons plain, whatever the buttons' gate says.
  const TSkinDecision ungated = DecideSkin3rd("radiogroup", Without(xcGroupBox), true, true, false, false);
  EXPECT_EQ(Name(ungated), "-");
  EXPECT_EQ(ungated.Children, 0);
  const TSkinDecision noPanel = DecideSkin3rd("checkgroup", Without(xcPanel), true, true, false, false);
  EXPECT_EQ(Name(noPanel), "-");
  EXPECT_EQ(noPanel.Children, 0);
  // A check group without the group-box gate still gives its buttons theirs.
  EXPECT_EQ(DecideSkin3rd("checkgroup", Without(xcGroupBox), true, true, false, false).Children, 4);
  EXPECT_EQ(DecideSkin3rd("embedscrollbar", kAll, true, true, false, false).Children, 5);
}

TEST(ControlDiscovery, Skin3rdLinesMatchFromTheStartCaseInsensitively) {
  TStringList lines;
  lines.Add("TMyEditX=button");
  lines.Add("tmyedit=Edit");
  lines.Add("TMyEdit=nil");
  lines.Add(" TOther=panel");
  lines.Add("TLong=" + std::string(60, 'k') + "=x");
  lines.Add("TEmpty=");
  EXPECT_EQ(FindSkin3rdKind(lines, "TMYEDIT"), "edit");
  EXPECT_EQ(FindSkin3rdKind(lines, "TMyEditX"), "button");
  EXPECT_EQ(FindSkin3rdKind(lines, "TOther"), std::nullopt);
  EXPECT_EQ(FindSkin3rdKind(lines, "TLong"), std::string(50, 'k'));
  EXPECT_EQ(FindSkin3rdKind(lines, "TNone"), std::nullopt);
  // A line with nothing after "=" still names its class: an empty kind, not no line.
  EXPECT_EQ(FindSkin3rdKind(lines, "TEmpty"), "");
  // The shipped defaults name every kind of the table.
  TStringList defaults;
  for (const std::string& l : DefaultSkin3rd()) defaults.Add(l);
  EXPECT_EQ(DefaultSkin3rd().size(), 117u);
  for (int i = 0; i < defaults.Count(); ++i) {
    const std::string line = defaults.Get(i);
    EXPECT_NE(FindSkin3rdKind(defaults, line.substr(0, line.find('='))).value_or(""), "") << line;
  }
}

TEST(ControlDiscovery, RawWindowsByClassAndStyle) {
  struct Case {
    const char* cls;
    uint32_t style;
    TSkinControlTypes gates;
    std::string skinner;
  };
  const Case cases[] = {
      {"button", 0x0, kAll, "TSkinButton"},            // push button
      {"button", 0x1, kAll, "TSkinButton"},            // default push button
      {"button", 0x1, Without(xcButton), "-"},
      {"button", 0x2, kAll, "TSkinCheckBox"},          // check box
      {"button", 0x3, kAll, "TSkinCheckBox"},          // automatic check box
      {"button", 0x6, kAll, "TSkinCheckBox"},          // automatic three-state
      {"button", 0x4, kAll, "TSkinRadioButton"},       // radio button
      {"button", 0x9, kAll, "TSkinRadioButton"},       // automatic radio button
      {"button", 0x9, Without(xcRadioButton), "-"},
      {"button", 0x7, kAll, "-"},                      // group box
      {"button", 0x80, kAll, "-"},
      {"button", 0x0B, kAll, "-"},                     // owner-drawn falls through to the class names
      {"combobox", 0x2, kAll, "TSkinComBox"},
      {"combobox", 0x1, kAll, "-"},                    // simple combo
      {"comboboxex32", 0x0, kAll, "TSkinComBox"},
      {"scrollbar", 0x0, kAll, "TSkinSizer"},
      {"scrollbar", 0x10000, kAll, "-"},
      {"systreeview32", 0x0, kAll, "-"},
      {"#32770", 0x0, kAll, "TSkinBoxH"},
      {"tpanel", 0x0, kAll, "-"},
      {"tcheckbox", 0x0, kAll, "TSkinCheckBox"},
      {"tcombobox", 0x0, kAll, "TSkinComBox"},
      {"tbutton", 0x0, kAll, "TSkinButton"},
      {"tprogressbar", 0x0, 0, "TSkinProgress"},       // no gate
      {"systabcontrol32", 0x0, kAll, "TSkinTab"},
      {"systabcontrol32", 0x2000, kAll, "-"},
      {"toolbarwindow32", 0x0, kAll, "TSkinBoxH"},
      {"edit", 0x0, kAll, "TSkinEdit"},
      {"edit", 0x0, Without(xcEdit), "-"},
      {"static", 0x0, kAll, "-"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Name(DecideWin32(c.cls, c.style, c.gates)), c.skinner) << c.cls << " " << c.style;
  EXPECT_EQ(DecideWin32("comboboxex32", 0, kAll).Children, 4) << "skinned through its inner combo box";
  EXPECT_TRUE(DecideWin32("tpanel", 0, kAll).FaceColor);
}

TEST(ControlFrames, PushButtonStates) {
  struct Case {
    bool focused, isDefault;
    uint8_t mouse;
    bool enabled;
    int state;
  };
  const Case cases[] = {
      {false, false, 0, true, kButtonNormal},
      {true, false, 0, true, kButtonFocused},
      {false, true, 0, true, kButtonFocused},
      {false, false, kMouseHot, true, kButtonHot},
      {true, false, kMouseHot, true, kButtonHot},
      {false, false, kMousePressed, true, kButtonPressed},
      {false, false, kMouseHot | kMousePressed, true, kButtonPressed},
      {true, true, kMouseHot | kMousePressed, false, kButtonDisabled},  // disabled default button
  };
  for (const Case& c : cases)
    EXPECT_EQ(ButtonState(c.focused, c.isDefault, c.mouse, c.enabled), c.state)
        << c.focused << c.isDefault << int(c.mouse) << c.enabled;
}

TEST(ControlFrames, CheckBoxAndRadioFramesByStripLength) {
  struct Case {
    int frames, check;
    bool disabled, indeterminate;
    int frame;
  };
  const Case check[] = {
      {4, 1, false, false, 1}, {4, 2, false, false, 2}, {4, 1, true, false, 3}, {4, 2, true, false, 4},
      {4, 1, false, true, 4},  {4, 1, true, true, 4},   {12, 1, false, false, 1}, {12, 2, false, false, 5},
      {12, 1, true, false, 4}, {12, 2, true, false, 8}, {12, 1, false, true, 9},  {12, 1, true, true, 12},
      // A foreign control's "gray" state is a state of its own, not the window's indeterminate
      // one: the frames of state 4 (and 6 when disabled).
      {4, 4, false, false, 4}, {4, 4, true, false, 6},  {12, 4, false, false, 8}, {12, 4, true, false, 6},
  };
  for (const Case& c : check)
    EXPECT_EQ(CheckBoxFrame(c.frames, c.check, c.disabled, c.indeterminate), c.frame)
        << c.frames << " " << c.check << c.disabled << c.indeterminate;
  const Case radio[] = {
      {4, 1, false, false, 1}, {4, 2, false, false, 2}, {4, 2, true, false, 4},
      {8, 2, false, false, 5}, {8, 1, true, false, 4},  {8, 2, true, false, 8},
  };
  for (const Case& c : radio) EXPECT_EQ(RadioButtonFrame(c.frames, c.check, c.disabled), c.frame);
}

TEST(ControlFrames, ProgressFillUsesTheWholeRange) {
  struct Case {
    int extent, minimum, maximum, position, fill;
  };
  const Case cases[] = {
      {100, 0, 100, 0, 0},    {100, 0, 100, 50, 50},   {100, 0, 100, 100, 100}, {100, 50, 150, 100, 50},
      {100, 50, 150, 50, 0},  {100, 5, 5, 5, 0},       {100, 10, 0, 5, 0},      {100, 0, 100, 150, 100},
      {100, 0, 100, -5, 0},   {200, -100, 100, 0, 100}, {0, 0, 10, 5, 0},
      {1000, INT32_MIN, INT32_MAX, 0, 500}, {3, 0, 2, 1, 2}, {100, 0, 3, 1, 33}, {100, 0, 3, 2, 67},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ProgressFill(c.extent, c.minimum, c.maximum, c.position), c.fill)
        << c.minimum << ".." << c.maximum << " at " << c.position;
}

TEST(ControlFrames, MulDivByZeroIsMinusOne) {
  EXPECT_EQ(SkinMulDiv(10, 3, 0), -1);
  EXPECT_EQ(SkinMulDiv(10, 3, 4), 8);  // 7.5 rounds away from zero
  EXPECT_EQ(SkinMulDiv(-10, 3, 4), -8);
  EXPECT_EQ(SkinMulDiv(INT32_MAX, INT32_MAX, 1), -1);
}

}  // namespace
