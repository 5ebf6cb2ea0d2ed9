// Which skinner a child control gets: the rules for class-library controls (by class name and
// class), for the kinds of the skin's Skin3rd lines, and for raw Win32 child windows (by window
// class and style), each gated by the skin's SkinControls set. Pure decisions: the form
// wrapper looks the facts up, asks here, and then creates and attaches what was decided.
#pragma once

#include <optional>
#include <string>

#include "platform/user/wintypes.h"
#include "skin/skin_data.h"

// What to do with one control.
struct TSkinDecision {
  const char* Skinner = nullptr;  // the skinner's class name; nullptr: none
  bool Container = false;         // attached with the container flag
  int Mode = 0;                   // TSkinObjImage's mode; 1 for a single scroll bar
  // Children: 0 not walked, 1 walked before attaching, 2 walked after, 3 walked as controls of no
  // container, 4 each child (of the kinds below) gets ChildSkinner, 5 each scrolling child gets it;
  // 4 and 5 happen before the control's own skinner is attached.
  int Children = 0;
  const char* ChildSkinner = nullptr;
  int ChildMode = 0;
  bool ChildContainer = false;
  bool SetTransparent = false;  // the control's "Transparent" property is set to "True" first
  bool ByWindow = false;        // attached to the control's window handle
  bool FaceColor = false;       // a raw panel: its control takes the face colour, no skinner
  bool Embedded = false;        // an embedded form: its components are walked
};

// The facts of a class-library control the built-in rules look at.
struct TControlFacts {
  std::string UpperClass;
  bool CustomCheckBox = false, ProgressBar = false, CustomPanel = false, Button = false, CustomEdit = false,
       CustomForm = false, Windowed = false, Scrolling = false;  // Scrolling: WS_HSCROLL or WS_VSCROLL
  // A list box: its vertical bar comes and goes with its rows, so one that fits when the skin
  // comes has no bar yet but must be covered once it overflows.
  bool ListBox = false;
  int NumButtons = -1;  // "NumButtons", -1 when missing
};

// The built-in rules (after the user event and the Skin3rd list).
TSkinDecision DecideControl(const TControlFacts& f, TSkinControlTypes gates, bool tabsElement);
// A Skin3rd line's kind (lower case). `bordered`: the control's window and client rectangles
// differ in size; `cxDropDown`: the line's key is "tcxbutton=" with Kind "cxbkDropDownButton".
TSkinDecision DecideSkin3rd(const std::string& kind, TSkinControlTypes gates, bool tabsElement, bool bordered,
                            bool cxDropDown, bool childIsTrz);
// The kind the first Skin3rd line names for a class (nothing when no line names it): the text
// after its first "=", at most 50 characters, lower case; a line may name the empty kind.
std::optional<std::string> FindSkin3rdKind(const TStrings& lines, const std::string& className);
// A raw Win32 child window by its lower-case class name and style.
TSkinDecision DecideWin32(const std::string& lowerClass, uint32_t style, TSkinControlTypes gates);
