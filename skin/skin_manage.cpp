#include "skin/skin_manage.h"

#include <algorithm>

#include "platform/forms/form.h"
#include "platform/forms/screen.h"
#include "platform/user/hooks.h"
#include "platform/user/message_loop.h"
#include "platform/user/window.h"
#include "skin/forms/win_skin_form.h"
#include "skin/menus/win_skin_pop_menu.h"
#include "skin/skin_data.h"

namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return s;
}

std::string ClassOf(HWND window) {
  char name[101] = {};
  GetClassNameA(window, name, 100);
  return name;
}

LONG_PTR Style(HWND w) { return GetWindowLongPtrW(w, GWL_STYLE); }
LONG_PTR ExStyle(HWND w) { return GetWindowLongPtrW(w, GWL_EXSTYLE); }

// The form of the class library behind a window: one of the screen's forms, else the control
// the class library keeps under its atom.
TWinControl* ControlOf(HWND window) {
  if (!window) return nullptr;
  if (Screen)
    for (int i = 0; i < Screen->FormCount(); ++i) {
      TCustomForm* f = Screen->Forms(i);
      if (f && f->HandleAllocated() && f->Handle() == window) return f;
    }
  return FindControl(window);
}

}  // namespace

TSkinManage* SkinManage() { return dynamic_cast<TSkinManage*>(SkinManager()); }

void UseSkinManage() {
  SetSkinManagerFactory([]() -> std::unique_ptr<TSkinManagerLink> { return std::make_unique<TSkinManage>(); });
}

TSkinManage::TSkinManage() : Timer(CreateComponent<TTimer>(nullptr)) {
  Timer->SetEnabled(false);
  Timer->SetInterval(100);
  Timer->SetOnTimer([this](TObject*) { TimerTick(); });
}

TSkinManage::~TSkinManage() {
  State = 4;
  Enabled = false;
  Timer.reset();
  // Every window gets its own procedure back; the last wrappers go first.
  while (!FormList.empty()) {
    std::unique_ptr<TWinSkinForm> f = std::move(FormList.back());
    FormList.pop_back();
    if (f->SkinPhase != 6 && IsWindow(f->Window)) f->Restore();
  }
  PopupMenus.clear();
  skinDatas_.clear();
  if (HookHandle) UnhookWindowsHookEx(HookHandle);
  HookHandle = nullptr;
}

// ---- Components ----

void TSkinManage::AddSkinData(TSkinData* skinData) {
  if (!skinData || std::find(skinDatas_.begin(), skinDatas_.end(), skinData) != skinDatas_.end()) return;
  skinDatas_.push_back(skinData);
  if (!MainSkinData && skinData->SkinFormtype() == sfMainform) MainSkinData = skinData;
}

void TSkinManage::RemoveSkinData(TSkinData* skinData) {
  // Windows that wear this component's skin get their own look back first.
  for (size_t i = FormList.size(); i-- > 0;)
    if (FormList[i]->SkinData == skinData) DetachAndFree(i);
  DropPopupMenus(skinData);
  std::erase(skinDatas_, skinData);
  if (PendingSkinData == skinData) PendingSkinData = nullptr;
  if (MainSkinData == skinData) {
    MainSkinData = nullptr;
    for (TSkinData* sd : skinDatas_)
      if (sd->SkinFormtype() == sfMainform) {
        MainSkinData = sd;
        break;
      }
  }
}

void TSkinManage::ReloadSkinData(TSkinData* skinData) {
  for (auto& f : FormList)
    if (f->SkinData == skinData && f->SkinPhase != 6) f->ReloadSkin();
}

// ---- Hook ----

void TSkinManage::InstallHook() {
  if (HookHandle) return;
  HookHandle = SetWindowsHookExA(WH_CBT, &TSkinManage::CBTHookProc, nullptr, GetCurrentThreadId());
}

LRESULT TSkinManage::CBTHookProc(int code, WPARAM wParam, LPARAM lParam) {
  TSkinManage* m = SkinManage();
  HHOOK hook = m ? m->HookHandle : nullptr;
  if (m && m->State != 4) {
    HWND window = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_CREATEWND) {
      const CREATESTRUCTW* cs = reinterpret_cast<CBT_CREATEWND*>(lParam)->lpcs;
      if (cs && !(cs->style & WS_CHILD) && ClassOf(window) == "#32768") m->SkinPopupMenu(window);
      if (cs && (cs->dwExStyle & WS_EX_MDICHILD)) m->SkinWindow(window);
    } else if (code == HCBT_DESTROYWND) {
      m->UnskinPopupMenu(window);
    } else if (code == HCBT_ACTIVATE) {
      if (m->State == 0) m->State = 1;
      m->SkinWindow(window);
    }
  }
  return CallNextHookEx(hook, code, wParam, lParam);
}

// ---- Choosing windows ----

bool TSkinManage::FormFilter(HWND window, const std::string& className) const {
  bool result = true;
  if (!MainSkinData) return result;
  const std::string lname = Lower(className);
  if (!InSkinOptions(MainSkinData->Options(), xoPreview) && lname.find("preview") != std::string::npos)
    result = false;
  if (className == "#32770" && (Style(window) & 0x200)) result = false;
  if (lname == "tpopupdbtreeview") result = false;
  MainSkinData->DoFormSkin(window, className, result);
  return result;
}

TSkinData* TSkinManage::ChooseSkinData(HWND window, const std::string& className) const {
  for (TSkinData* sd : skinDatas_) {
    auto* owner = dynamic_cast<TCustomForm*>(sd->Owner());
    if (sd->SkinFormtype() == sfOnlyThisForm && owner && owner->HandleAllocated() && owner->Handle() == window)
      return sd;
  }
  const std::string lname = Lower(className);
  auto last = [&](TSkinFormType t) -> TSkinData* {
    for (size_t i = skinDatas_.size(); i-- > 0;)
      if (skinDatas_[i]->SkinFormtype() == t) return skinDatas_[i];
    return nullptr;
  };
  if (lname == "tmessageform" || lname == "#32770")
    if (TSkinData* sd = last(sfDialog)) return sd;
  if (TSkinData* sd = last(sfMainform)) return sd;
  return skinDatas_.empty() ? nullptr : skinDatas_.front();
}

bool TSkinManage::SkinWindow(HWND window) {
  if (!Enabled || !IsWindow(window)) return false;
  Sweep();
  if (SendMessageW(window, CM_SKINQUERY, 0, 0) == 1 || FindForm(window)) return false;
  TWinControl* control = ControlOf(window);
  const LONG_PTR style = Style(window), ex = ExStyle(window);
  if (!Scanning && (style & WS_CHILD) && !(ex & WS_EX_MDICHILD)) {
    if (Lower(ClassOf(GetParent(window))) != "mdiclient") return false;
  }
  const std::string className = ClassOf(window);
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWL_HINSTANCE));
  if (!control && instance && instance != GetModuleHandleW(nullptr) && className != "#32770") return false;
  RECT r{};
  GetWindowRect(window, &r);
  if (int64_t(r.right - r.left) * (r.bottom - r.top) == 0 && !(ex & WS_EX_MDICHILD)) return false;
  if (control && control->Tag() == 99) return false;
  if (className.find("TcxPopupEditPopupWindow") != std::string::npos ||
      className.find("TTERenderWindow") != std::string::npos || className == "TApplication")
    return false;
  if (!FormFilter(window, className)) return false;
  TSkinData* sd = ChooseSkinData(window, className);
  if (!sd || !sd->Ready()) return false;

  auto wrapper = std::make_unique<TWinSkinForm>(this);
  wrapper->Window = window;
  wrapper->ModuleHandle = ModuleHandle;
  wrapper->ClassName = className;
  wrapper->RecordedName = className;
  TWinSkinForm* w = wrapper.get();
  FormList.push_back(std::move(wrapper));
  if (auto* form = dynamic_cast<TCustomForm*>(control)) {
    w->AttachForm(sd, form);
  } else {
    w->Attach(sd);
  }
  PostMessageA(window, CM_SKINAPPLY, 0, 1000);
  return true;
}

TWinSkinForm* TSkinManage::FindForm(HWND window) const {
  for (const auto& f : FormList)
    if (f->Window == window && f->SkinPhase != 6) return f.get();
  return nullptr;
}

void TSkinManage::RemoveForm(HWND window) {
  if (State == 4) return;
  for (size_t i = FormList.size(); i-- > 0;)
    if (FormList[i]->Window == window && FormList[i]->Depth == 0) FormList.erase(FormList.begin() + long(i));
}

void TSkinManage::Sweep() {
  if (State == 4) return;
  for (size_t i = FormList.size(); i-- > 0;) {
    TWinSkinForm* f = FormList[i].get();
    const bool released = f->SkinPhase == 6 || !IsWindow(f->Window);
    if (released && f->Depth == 0 && f->ModuleHandle == ModuleHandle) {
      if (f->SkinPhase != 6) f->DetachOnDestroy();
      FormList.erase(FormList.begin() + long(i));
    }
  }
}

void TSkinManage::DetachAndFree(size_t index) {
  TWinSkinForm* f = FormList[index].get();
  if (f->SkinPhase != 6 && IsWindow(f->Window)) {
    f->Restore();
    f->Repaint();
  }
  f->SkinPhase = 6;
  if (f->Depth == 0) FormList.erase(FormList.begin() + long(index));
}

void TSkinManage::SetMDIMaximized(bool value) {
  if (value == MDIMaximized) return;
  MDIMaximized = value;
  if (MainSkinData && InSkinOptions(MainSkinData->Options(), xoMDIChildBorder)) return;
  for (auto& f : FormList)
    if (f->FormKind == 2 && f->SkinPhase != 6) f->FitFrame(true);
}

// ---- Switching ----

void TSkinManage::SwitchSkin(int mode, int interval) {
  PendingMode = mode;
  Timer->SetInterval(interval);
  if (State == 0) {
    if (mode == 1) Enabled = true;
    if (mode == 2) Enabled = false;
    return;
  }
  if (mode == 2) Enabled = false;
  Timer->SetEnabled(true);
}

void TSkinManage::ReskinWindow(HWND window, int interval) {
  ReskinTarget = window;
  SwitchSkin(7, interval);
}

void TSkinManage::TimerTick() {
  Timer->SetEnabled(false);
  TSkinData* sd = PendingSkinData;
  if (!sd && PendingMode == 7 && MainSkinData) sd = MainSkinData;
  if (!sd) return;
  switch (PendingMode) {
    case 1: SwitchOn(sd); break;
    case 2: SwitchOff(sd); break;
    case 3: Refresh(sd); break;
    case 6: FreeReleased(); break;
    case 7:
      if (TWinSkinForm* f = FindForm(ReskinTarget)) {
        f->Restore();
        f->SkinPhase = 6;
      }
      Sweep();
      SkinWindow(ReskinTarget);
      return;
    default: break;
  }
  sd->DoSkinChanged();
  PendingSkinData = nullptr;
}

void TSkinManage::SwitchOn(TSkinData* sd) {
  Enabled = true;
  FormAttached = false;
  Scanning = true;
  Sweep();
  if (Screen)
    for (int i = Screen->FormCount(); i-- > 0;) {
      TCustomForm* f = Screen->Forms(i);
      if (!f || !f->HandleAllocated()) continue;
      if (sd->SkinFormtype() == sfOnlyThisForm && f != sd->Owner()) continue;
      HWND h = f->Handle();
      if (IsWindowVisible(h) && !(Style(h) & WS_CHILD)) SkinWindow(h);
      if (sd->SkinFormtype() == sfOnlyThisForm) break;
    }
  Scanning = false;
}

void TSkinManage::SwitchOff(TSkinData* sd) {
  Enabled = false;
  Sweep();
  const bool onlyThis = sd->SkinFormtype() == sfOnlyThisForm;
  for (size_t i = FormList.size(); i-- > 0;) {
    if (onlyThis && FormList[i]->SkinData != sd) continue;
    DetachAndFree(i);
    if (onlyThis) break;
  }
}

void TSkinManage::Refresh(TSkinData* sd) {
  Sweep();
  for (auto& f : FormList) {
    if (f->SkinData != sd) continue;
    f->ReloadSkin();
    f->UpdateRegion();
    f->Repaint();
    if (sd->SkinFormtype() == sfOnlyThisForm) break;
  }
  for (auto& f : FormList)
    if (f->SkinData == sd) f->ApplyColors();
}

void TSkinManage::FreeReleased() {
  for (size_t i = FormList.size(); i-- > 0;)
    if (FormList[i]->SkinPhase == 6 && FormList[i]->Depth == 0) FormList.erase(FormList.begin() + long(i));
}
