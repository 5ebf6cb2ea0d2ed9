#include "skin/controls/skin_discovery.h"

#include <algorithm>

#include "platform/rtl/strings.h"
#include <cctype>

#include "platform/user/styles.h"

namespace {

bool On(TSkinControlTypes gates, TSkinControlType t) { return InSkinControls(gates, t); }

TSkinDecision Skinner(const char* name, bool container = false, int mode = 0) {
  TSkinDecision d;
  d.Skinner = name;
  d.Container = container;
  d.Mode = mode;
  return d;
}

TSkinDecision Walk(int how) {
  TSkinDecision d;
  d.Children = how;
  return d;
}

bool AnyOf(const std::string& s, std::initializer_list<const char*> names) {
  return std::any_of(names.begin(), names.end(), [&](const char* n) { return s == n; });
}

// Radio and check groups: their children first, then the group's frame.
TSkinDecision Group(TSkinControlTypes gates, bool childIsTrz, int trzMode, const char* plain) {
  TSkinDecision d;
  if (On(gates, xcRadioButton)) {
    d.Children = 4;
    d.ChildSkinner = childIsTrz ? "TSkinObjImage" : plain;
    d.ChildMode = childIsTrz ? trzMode : 0;
    d.ChildContainer = childIsTrz;
  }
  if (On(gates, xcGroupBox)) {
    d.Skinner = "TSkinGroupBox";
    d.Container = true;
  }
  return d;
}

}  // namespace

TSkinDecision DecideControl(const TControlFacts& f, TSkinControlTypes gates, bool tabsElement) {
  const std::string& c = f.UpperClass;
  if (AnyOf(c, {"TDBCOMBOBOXEH", "TFRDESIGNERPAGE", "TFRPBOX"})) return {};
  if (c == "TTABSET") return On(gates, xcTab) && tabsElement ? Skinner("TSkinTab31") : TSkinDecision{};
  if (c == "TTABBEDNOTEBOOK") return On(gates, xcTab) && tabsElement ? Skinner("TSkinTab") : TSkinDecision{};
  if (c == "TMVCPANEL") return Walk(2);
  if (f.CustomCheckBox && On(gates, xcCheckBox)) return Skinner("TSkinCheckBox");
  if (AnyOf(c, {"TUPDOWN", "TSPINBUTTON"}) && On(gates, xcSpin)) return Skinner("TSkinUpDown");
  if (c == "TMEDIAPLAYER" && On(gates, xcButton)) return Skinner("TSkinMP");
  if (c == "TDBNAVIGATOR" && On(gates, xcPanel)) {
    TSkinDecision d = Skinner("TSkinBox", true);
    d.Children = 3;
    return d;
  }
  if (AnyOf(c, {"TRZDBCHECKBOX", "TRZCHECKBOX"}) && On(gates, xcCheckBox)) return Skinner("TSkinObjImage", true, 1);
  if (AnyOf(c, {"TRZRADIOBUTTON", "TRZDBRADIOBUTTON"}) && On(gates, xcRadioButton))
    return Skinner("TSkinObjImage", true, 2);
  if (AnyOf(c, {"TCXDBCHECKBOX", "TCXCHECKBOX"}) && On(gates, xcCheckBox)) return Skinner("TSkinObjImage", true, 3);
  if (f.ProgressBar && On(gates, xcProgress)) return Skinner("TSkinProgress");
  if (c == "TXYLCOMBOBOX" && On(gates, xcCombo)) return Skinner("TSkinComBox");
  if (On(gates, xcScrollbar) && AnyOf(c, {"TRICHEDIT", "TWWDBRICHEDIT", "TDXDBMEMO"})) return Skinner("TSkinScrollbar");
  if (f.CustomPanel && On(gates, xcPanel)) {
    TSkinDecision d = Skinner("TSkinBox", true);
    d.Children = 1;
    return d;
  }
  if (AnyOf(c, {"TDXTREELIST", "TDXDBTREELIST", "TDXDBGRID"}) && On(gates, xcScrollbar))
    return Skinner("TSkinScrollbar");
  if (On(gates, xcScrollbar) && f.Windowed && (f.Scrolling || f.ListBox)) return Skinner("TSkinScrollbar");
  if (f.Button && On(gates, xcButton)) return Skinner("TSkinButton");
  if (f.CustomEdit && On(gates, xcEdit)) return Skinner("TSkinEdit");
  if (!AnyOf(c, {"TDCEDIT", "TDCDBEDIT"})) {
    if (!f.CustomForm) return {};
    TSkinDecision d = Skinner("TSkinBox", true);
    d.Embedded = true;
    return d;
  }
  if (f.NumButtons == 1 && On(gates, xcCombo)) return Skinner("TSkinComBox");
  if (f.NumButtons == 0 && On(gates, xcEdit)) {
    TSkinDecision d = Skinner("TSkinEdit");
    d.ByWindow = true;
    return d;
  }
  return {};
}

TSkinDecision DecideSkin3rd(const std::string& kind, TSkinControlTypes gates, bool tabsElement, bool bordered,
                            bool cxDropDown, bool childIsTrz) {
  struct Row {
    const char* kind;
    TSkinControlType gate;
    const char* skinner;
    bool container;
  };
  static const Row kSimple[] = {
      {"combobox", xcCombo, "TSkinComBox", false},       {"radiobutton", xcRadioButton, "TSkinRadioButton", false},
      {"button", xcButton, "TSkinButton", false},          {"datetimepicker", xcCombo, "TSkinDateTime", false},
      {"mediaplayer", xcButton, "TSkinMP", false},         {"menubtn", xcButton, "TSkinMenuButton", false},
      {"speedbutton", xcSpeedButton, "TSkinSpeedButton", false}, {"progress", xcProgress, "TSkinProgress", false},
      {"groupbox", xcGroupBox, "TSkinGroupBox", true},     {"checkbox", xcCheckBox, "TSkinCheckBox", false},
  };
  for (const Row& r : kSimple)
    if (kind == r.kind) return On(gates, r.gate) ? Skinner(r.skinner, r.container) : TSkinDecision{};
  if (kind == "edit") return On(gates, xcEdit) && bordered ? Skinner("TSkinEdit") : TSkinDecision{};
  if (kind == "panel" || kind == "trackbar") {
    if (!On(gates, kind == "panel" ? xcPanel : xcButton)) return {};
    TSkinDecision d = kind == "panel" ? Skinner("TSkinBox", true) : Skinner("TSkinTrackBar");
    d.SetTransparent = true;
    return d;
  }
  if (kind == "bitbtn")
    return On(gates, xcButton) ? Skinner(cxDropDown ? "TSkinMenuButton" : "TSkinBitButton") : TSkinDecision{};
  if (kind == "pngbitbtn") return On(gates, xcButton) ? Skinner("TSkinBitButton", false, 1) : TSkinDecision{};
  if (kind == "tab") return On(gates, xcTab) && tabsElement ? Skinner("TSkinTab") : TSkinDecision{};
  if (kind == "advpagecontrol") return On(gates, xcTab) ? Skinner("TSkinAdvPage", true, 4) : TSkinDecision{};
  if (kind == "scrollbar" || kind == "singlescrollbar") {
    if (!On(gates, xcScrollbar)) return {};
    TSkinDecision d = Skinner("TSkinScrollbar", false, kind == "singlescrollbar" ? 1 : 0);
    if (kind == "scrollbar") d.Children = 2;
    return d;
  }
  if (kind == "embedscrollbar") {
    if (!On(gates, xcScrollbar)) return {};
    TSkinDecision d = Walk(5);
    d.ChildSkinner = "TSkinScrollbar";
    return d;
  }
  if (kind == "container") return Walk(2);
  // A group's own gate decides for the group and its buttons alike.
  if (kind == "radiogroup")
    return On(gates, xcGroupBox) ? Group(gates, childIsTrz, 2, "TSkinRadioButton") : TSkinDecision{};
  if (kind == "checkgroup") return On(gates, xcPanel) ? Group(gates, childIsTrz, 1, "TSkinCheckBox") : TSkinDecision{};
  return {};  // "nil" and kinds no rule names
}

std::optional<std::string> FindSkin3rdKind(const TStrings& lines, const std::string& className) {
  const std::string key = LowerCaseAscii(className) + "=";
  for (int i = 0; i < lines.Count(); ++i) {
    const std::string line = LowerCaseAscii(lines.Get(i));
    if (line.compare(0, key.size(), key) != 0) continue;
    return line.substr(key.size(), 50);
  }
  return std::nullopt;
}

TSkinDecision DecideWin32(const std::string& c, uint32_t style, TSkinControlTypes gates) {
  auto all = [style](uint32_t bits) { return (style & bits) == bits; };
  auto gated = [gates](TSkinControlType t, const char* name) { return On(gates, t) ? Skinner(name) : TSkinDecision{}; };
  if (c == "button" && !all(0x0B)) {
    if (all(7) || (style & 0x80)) return {};
    if (!all(3) && !all(2) && !all(5)) {
      if (!all(9) && !(style & 4)) return gated(xcButton, "TSkinButton");
      return gated(xcRadioButton, "TSkinRadioButton");
    }
    return gated(xcCheckBox, "TSkinCheckBox");
  }
  if (c == "combobox") return (style & 3) == 1 ? TSkinDecision{} : gated(xcCombo, "TSkinComBox");
  if (c == "comboboxex32") {
    TSkinDecision d = gated(xcCombo, "TSkinComBox");
    d.Children = d.Skinner ? 4 : 0;  // the skinner goes on the first child window
    return d;
  }
  if (c == "scrollbar") return (style & WS_TABSTOP) ? TSkinDecision{} : Skinner("TSkinSizer");
  if (c == "#32770") {
    if (style & WS_TABSTOP) return {};
    TSkinDecision d = Skinner("TSkinBoxH");
    d.Children = 1;
    return d;
  }
  if (AnyOf(c, {"tpanel", "txylpanel.unicodeclass", "txylsilentpaintpanel.unicodeclass", "tsilentpaintpanel"})) {
    TSkinDecision d;
    d.FaceColor = true;
    d.Children = c == "tsilentpaintpanel" ? 0 : 1;
    return d;
  }
  if (c == "tcheckbox") return gated(xcCheckBox, "TSkinCheckBox");
  if (c == "tcombobox") return gated(xcCombo, "TSkinComBox");
  if (c == "tbutton") return gated(xcButton, "TSkinButton");
  if (c == "tprogressbar") return Skinner("TSkinProgress");
  if (c == "systabcontrol32") return (style & 0x2000) ? TSkinDecision{} : gated(xcTab, "TSkinTab");
  if (c == "toolbarwindow32") return Skinner("TSkinBoxH");
  if (c == "edit") return gated(xcEdit, "TSkinEdit");
  return {};  // "systreeview32" and classes no rule names
}
