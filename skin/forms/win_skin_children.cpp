// The form wrapper's child control discovery: which control gets which skinner, the walks over
// a form's controls and over a dialog's raw child windows.
#include <algorithm>

#include "platform/rtl/strings.h"
#include <cctype>
#include <exception>

#include "platform/forms/form.h"
#include "platform/forms/rtti.h"
#include "platform/user/message_loop.h"
#include "platform/user/styles.h"
#include "platform/user/window.h"
#include "platform/forms/graphic_control.h"
#include "skin/controls/skin_bit_button.h"
#include "skin/controls/skin_control.h"
#include "skin/controls/skin_discovery.h"
#include "skin/controls/skin_factory.h"
#include "skin/controls/skin_scroll_bar.h"
#include "skin/forms/win_skin_form.h"
#include "skin/skin_data.h"
#include "skin/skin_manage.h"

namespace {

bool Inherits(const TControl* c, const char* name) { return c->ClassInfo().InheritsFrom(std::string_view(name)); }

bool Bordered(HWND w) {
  RECT wr{}, cr{};
  GetWindowRect(w, &wr);
  GetClientRect(w, &cr);
  return wr.right - wr.left != cr.right - cr.left || wr.bottom - wr.top != cr.bottom - cr.top;
}

TControlFacts FactsOf(TControl* c) {
  TControlFacts f;
  f.UpperClass = UpperCaseAscii(c->ClassName());
  f.CustomCheckBox = Inherits(c, "TCustomCheckBox");
  f.ProgressBar = Inherits(c, "TProgressBar");
  f.CustomPanel = Inherits(c, "TCustomPanel");
  f.Button = Inherits(c, "TButton");
  f.CustomEdit = Inherits(c, "TCustomEdit");
  f.CustomForm = Inherits(c, "TCustomForm");
  f.ListBox = Inherits(c, "TCustomListBox");
  if (auto* w = dynamic_cast<TWinControl*>(c); w && w->HandleAllocated()) {
    f.Windowed = true;
    f.Scrolling = (GetWindowLongPtrW(w->HandleIfAllocated(), GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL)) != 0;
  }
  const TObjectRef ref(c);
  if (IsPublishedProp(ref, "NumButtons")) f.NumButtons = int(GetOrdProp(ref, "NumButtons"));
  return f;
}

// Where a list of skinners holds the given one (its end when it does not).
template <class List>
auto Place(List& skins, const TSkinControl* skinner) {
  return std::find_if(skins.begin(), skins.end(), [skinner](const auto& s) { return s.get() == skinner; });
}

}  // namespace

bool TWinSkinForm::Lists(const TSkinControl* skinner) const {
  return skinner && Place(ControlSkins, skinner) != ControlSkins.end();
}

bool TWinSkinForm::AddControl(TSkinControl* skinner) {
  if (!skinner) return false;
  if (Lists(skinner)) return true;
  ControlSkins.emplace_back(skinner);
  return false;
}

std::unique_ptr<TSkinControl> TWinSkinForm::RemoveControl(const TSkinControl* skinner) {
  const auto it = Place(ControlSkins, skinner);
  if (it == ControlSkins.end()) return nullptr;
  std::unique_ptr<TSkinControl> gone = std::move(*it);
  ControlSkins.erase(it);
  return gone;
}

TSkinControl* TWinSkinForm::FindSkinner(const TControl* control) const {
  for (const auto& s : ControlSkins)
    if (s->Control == control && s->AttachState != kAttachDestroyed) return s.get();
  return nullptr;
}

TSkinControl* TWinSkinForm::FindSkinner(HWND window) const {
  for (const auto& s : ControlSkins)
    if (s->Handle == window && s->AttachState != kAttachDestroyed) return s.get();
  return nullptr;
}

void TWinSkinForm::PurgeSkinners() {
  LiveHotTool();  // a hot tool about to go is forgotten first
  // One whose procedure is still running goes later, when it returns.
  std::erase_if(ControlSkins, [](const auto& s) { return s->AttachState == kAttachDestroyed && s->Depth == 0; });
}

void TWinSkinForm::DropSkinner(TSkinControl* skinner) {
  if (skinner->Depth > 0) {
    // Still running inside its control's procedure: it goes once that returns.
    skinner->Doomed = true;
    skinner->Active = false;
    skinner->AttachState = kAttachDestroyed;
    return;
  }
  if (HotTool == skinner) HotTool = nullptr;
  // Out of the list first: freeing it may free others that are listed.
  RemoveControl(skinner);
}

void TWinSkinForm::ReplaceScrollbar(HWND window) {
  if (!window || !SkinData) return;
  for (size_t i = ControlSkins.size(); i-- > 0;) {
    TSkinControl* old = ControlSkins[i].get();
    if (old->Handle != window) continue;
    const bool listView = dynamic_cast<TSkinListView*>(old) != nullptr;
    // A control freed meanwhile has taken its wrapper with it; this one's control lives.
    TControl* control = old->Control;
    DropSkinner(old);
    if (!control) return;
    auto made = CreateSkinner(listView ? "TSkinListView" : "TSkinScrollbar", 0);
    auto* scroll = static_cast<TSkinScrollbar*>(made.release());
    AddControl(scroll);
    scroll->AttachScroll(control, SkinData, this, 0);
    return;
  }
}

TSkinControl* TWinSkinForm::Adopt(std::unique_ptr<TSkinControl> skinner, TControl* control, bool container) {
  if (!skinner) return nullptr;
  TSkinControl* s = skinner.release();
  AddControl(s);
  // A speed button without a window of its own is attached through its own operation.
  auto* speed = dynamic_cast<TSkinSpeedButton*>(s);
  auto* graphic = dynamic_cast<TGraphicControl*>(control);
  if (speed && graphic) {
    speed->AttachGraphic(graphic, this, SkinData, 0);
  } else {
    s->AttachControl(control, this, SkinData, container, 0);
  }
  return s;
}

void TWinSkinForm::SkinFormChildren() {
  if (!SkinData) return;
  PurgeSkinners();
  if (!Form) {
    WalkWindows(Window);
    return;
  }
  for (int i = 0; i < Form->ComponentCount(); ++i)
    if (auto* c = dynamic_cast<TControl*>(Form->Components(i))) SkinChildren(c, Form);
  std::vector<TWinControl*> order;
  Form->GetTabOrderList(order);
  for (TWinControl* c : order) {
    if (!c->HandleAllocated() || c->Tag() == SkinData->DisableTag()) continue;
    if (SendMessageW(c->HandleIfAllocated(), CM_SKINQUERY, 0, 0) == 1) continue;
    SkinChildren(c, Form);
  }
}

void TWinSkinForm::WalkChildren(TControl* control, TControl* container) {
  auto* w = dynamic_cast<TWinControl*>(control);
  if (!w) return;
  for (int i = 0; i < w->ControlCount(); ++i) SkinChildren(w->Controls(i), container);
}

void TWinSkinForm::WalkWindows(HWND parent) {
  for (HWND child = GetTopWindow(parent); child; child = GetWindow(child, GW_HWNDNEXT))
    if (GetWindowLongPtrW(child, GWL_STYLE) & WS_CHILD) SkinWin32Children(child);
}

void TWinSkinForm::SkinChildren(TControl* control, TControl* container) {
  if (!control || !SkinData) return;
  auto* win = dynamic_cast<TWinControl*>(control);
  if (control->Tag() == SkinData->DisableTag()) {
    const std::string lower = LowerCaseAscii(control->ClassName());
    if (win && (lower.find("radiogroup") != std::string::npos || lower.find("checkgroup") != std::string::npos))
      for (int i = 0; i < win->ControlCount(); ++i) win->Controls(i)->SetTag(SkinData->DisableTag());
    return;
  }
  if (!control->Parent() || FindSkinner(control)) return;
  if (win && win->HandleAllocated() && SendMessageW(win->HandleIfAllocated(), CM_SKINQUERY, 0, 0) == 1) return;
  const std::string upper = UpperCaseAscii(control->ClassName());
  if (win && !win->HandleAllocated()) {
    try {
      win->HandleNeeded();
    } catch (const std::exception&) {
      return;
    }
  }
  if (SkinData->OnSkinControl) {
    TSkinControl* chosen = nullptr;
    SkinData->OnSkinControl(this, SkinData, container, control, upper, chosen);
    if (chosen) {
      if (!AddControl(chosen)) chosen->AttachControl(control, this, SkinData, chosen->IsContainer(), 0);
      if (Inherits(control, "TCustomPanel")) WalkChildren(control, control);
      return;
    }
  }
  if (MapSkin3rd(control->ClassName(), control)) return;
  ApplyDecision(control, DecideControl(FactsOf(control), SkinData->SkinControls(), SkinData->Tabs != nullptr));
}

void TWinSkinForm::ApplyDecision(TControl* control, const TSkinDecision& d) {
  auto* win = dynamic_cast<TWinControl*>(control);
  if (d.SetTransparent) SetPropValue(TObjectRef(control), "Transparent", "True");
  if (d.Children == 1) WalkChildren(control, control);
  // A group's buttons get theirs before the group's frame is attached.
  if ((d.Children == 4 || d.Children == 5) && win && d.ChildSkinner) {
    for (int i = 0; i < win->ControlCount(); ++i) {
      TControl* child = win->Controls(i);
      if (FindSkinner(child)) continue;
      if (d.Children == 5) {
        auto* cw = dynamic_cast<TWinControl*>(child);
        if (!cw || !(GetWindowLongPtrW(cw->Handle(), GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL))) continue;
      }
      Adopt(CreateSkinner(d.ChildSkinner, d.ChildMode), child, d.ChildContainer);
    }
  }
  if (d.Skinner) {
    auto skinner = CreateSkinner(d.Skinner, d.Mode);
    if (skinner && d.ByWindow && win) {
      TSkinControl* s = skinner.release();
      AddControl(s);
      s->AttachWindow(win->Handle(), SkinData, this, 0);
    } else {
      Adopt(std::move(skinner), control, d.Container);
    }
  }
  if (d.Children == 2) WalkChildren(control, control);
  if (d.Children == 3) WalkChildren(control, nullptr);
  if (d.Embedded)
    if (auto* form = dynamic_cast<TCustomForm*>(control))
      for (int i = 0; i < form->ComponentCount(); ++i)
        if (auto* c = dynamic_cast<TControl*>(form->Components(i))) SkinChildren(c, form);
}

bool TWinSkinForm::MapSkin3rd(const std::string& className, TControl* control) {
  // A line naming the class answers for it, even with a kind no rule knows (or none at all).
  const std::optional<std::string> kind = FindSkin3rdKind(*SkinData->Skin3rd(), className);
  if (!kind) return false;
  const TObjectRef ref(control);
  auto* win = dynamic_cast<TWinControl*>(control);
  const bool bordered = win && Bordered(win->Handle());
  const bool cxDropDown =
      LowerCaseAscii(className) == "tcxbutton" && GetPropValue(ref, "Kind") == "cxbkDropDownButton";
  bool childIsTrz = UpperCaseAscii(className).find("TRZ") != std::string::npos;
  ApplyDecision(control, DecideSkin3rd(*kind, SkinData->SkinControls(), SkinData->Tabs != nullptr, bordered,
                                       cxDropDown, childIsTrz));
  return true;
}

void TWinSkinForm::SkinWin32Children(HWND window) {
  if (!window || !SkinData || FindSkinner(window)) return;
  char name[101] = {};
  GetClassNameA(window, name, 100);
  const auto style = uint32_t(GetWindowLongPtrW(window, GWL_STYLE));
  const TSkinDecision d = DecideWin32(LowerCaseAscii(name), style, SkinData->SkinControls());
  if (d.Children == 1) WalkWindows(window);
  if (d.FaceColor)
    if (TWinControl* c = FindControl(window)) c->SetColor(SkinData->Colors.ButtonFace);
  if (!d.Skinner) return;
  HWND target = window;
  if (d.Children == 4) {
    target = GetWindow(window, GW_CHILD);
    if (!target) return;
  }
  TSkinControl* s = CreateSkinner(d.Skinner, d.Mode).release();
  if (!s) return;
  AddControl(s);
  s->AttachWindow(target, SkinData, this, 0);
}
