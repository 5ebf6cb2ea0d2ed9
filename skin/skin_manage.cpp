#include "skin/skin_manage.h"

#include <algorithm>
#include <array>
#include <utility>

#include "platform/forms/form.h"
#include "platform/forms/screen.h"
#include "platform/user/hooks.h"
#include "platform/user/message_loop.h"
#include "platform/user/scroll.h"
#include "platform/user/window.h"
#include "skin/call_depth.h"
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

// Each manager's hook has a procedure of its own, as each module's manager has in its own
// copy of the engine; these are the procedures the managers of one process can take.
constexpr size_t kHookSlots = 8;

std::array<TSkinManage*, kHookSlots>& HookOwners() {
  static std::array<TSkinManage*, kHookSlots> owners{};
  return owners;
}

template <size_t N>
LRESULT HookSlot(int code, WPARAM wParam, LPARAM lParam) {
  TSkinManage* m = HookOwners()[N];
  return m ? m->CBTHookProc(code, wParam, lParam) : 0;
}

template <size_t... N>
constexpr std::array<HOOKPROC, sizeof...(N)> MakeHookProcs(std::index_sequence<N...>) {
  return {&HookSlot<N>...};
}
constexpr std::array<HOOKPROC, kHookSlots> kHookProcs = MakeHookProcs(std::make_index_sequence<kHookSlots>());

}  // namespace

TSkinManage* SkinManage() { return dynamic_cast<TSkinManage*>(SkinManager()); }

void UseSkinManage() {
  SetSkinManagerFactory([]() -> std::unique_ptr<TSkinManagerLink> { return std::make_unique<TSkinManage>(); });
}

TSkinManageLists::TSkinManageLists() = default;
TSkinManageLists::~TSkinManageLists() = default;

TSkinManage::TSkinManage(bool subManager, HINSTANCE module)
    : Timer(CreateComponent<TTimer>(nullptr)), subManager_(subManager),
      lists_(std::make_shared<TSkinManageLists>()) {
  Timer->SetEnabled(false);
  Timer->SetInterval(100);
  Timer->SetOnTimer([this](TObject*) { TimerTick(); });
  if (subManager) ModuleHandle = module ? module : GetModuleHandleW(nullptr);
}

TSkinManage::~TSkinManage() {
  State = 4;
  Enabled = false;
  Timer.reset();
  if (!subManager_) {
    for (HHOOK h : lists_->Hooks) UnhookWindowsHookEx(h);
    lists_->Hooks.clear();
    // Sub-managers keep their own wrappers; every other window gets its own procedure back.
    for (TSkinManage* sub : std::vector<TSkinManage*>(lists_->SubManagers)) sub->CutLoose();
    lists_->SubManagers.clear();
    while (!lists_->Forms.empty()) {
      std::unique_ptr<TWinSkinForm> f = std::move(lists_->Forms.back());
      lists_->Forms.pop_back();
      if (f->SkinPhase != 6 && IsWindow(f->Window)) f->Restore();
    }
    lists_->Popups.clear();
    lists_->SkinDatas.clear();
  } else if (ParentManager) {
    std::erase(lists_->SubManagers, this);
    DropModuleForms();
  } else {
    DropModuleForms();
  }
  UninstallHook();
}

void TSkinManage::DropModuleForms() {
  WalkForms(true, [this](TWinSkinForm& form) {
    if (form.ModuleHandle != ModuleHandle) return true;
    const std::unique_ptr<TWinSkinForm> f = TakeForm(&form);
    if (f->SkinPhase != 6 && IsWindow(f->Window)) f->Restore();
    return true;
  });
}

void TSkinManage::WalkForms(bool backwards, const std::function<bool(TWinSkinForm&)>& visit) {
  struct Seen {
    const TWinSkinForm* form;
    uint64_t serial;
  };
  std::vector<Seen> seen;
  for (const auto& f : lists_->Forms) seen.push_back({f.get(), f->Serial});
  if (backwards) std::reverse(seen.begin(), seen.end());
  for (const Seen& s : seen) {
    // Still listed, and not a wrapper made since where a freed one was.
    const auto& forms = lists_->Forms;
    const auto it = std::find_if(forms.begin(), forms.end(),
                                 [&s](const auto& f) { return f.get() == s.form && f->Serial == s.serial; });
    if (it != forms.end() && !visit(**it)) break;
  }
}

std::unique_ptr<TWinSkinForm> TSkinManage::TakeForm(const TWinSkinForm* form) {
  auto& forms = lists_->Forms;
  const auto it = std::find_if(forms.begin(), forms.end(), [form](const auto& f) { return f.get() == form; });
  if (it == forms.end()) return nullptr;
  std::unique_ptr<TWinSkinForm> taken = std::move(*it);
  forms.erase(it);
  return taken;
}

// ---- Sub-managers ----

void TSkinManage::JoinParent(TSkinManage* parent) {
  if (!subManager_ || !parent || parent->subManager_ || ParentManager == parent) return;
  // Wrappers made before joining go into the shared list.
  auto own = std::move(lists_->Forms);
  lists_ = parent->lists_;
  for (auto& f : own) {
    f->Serial = ++lists_->LastSerial;
    lists_->Forms.push_back(std::move(f));
  }
  lists_->SubManagers.push_back(this);
  ParentManager = parent;
  if (!MainSkinData) MainSkinData = parent->MainSkinData;
}

void TSkinManage::CutLoose() {
  auto own = std::make_shared<TSkinManageLists>();
  own->LastSerial = lists_->LastSerial;
  auto& forms = lists_->Forms;
  for (size_t i = 0; i < forms.size();) {
    if (forms[i]->ModuleHandle == ModuleHandle) {
      own->Forms.push_back(std::move(forms[i]));
      forms.erase(forms.begin() + long(i));
    } else {
      ++i;
    }
  }
  lists_ = own;
  ParentManager = nullptr;
  MainSkinData = nullptr;
  PendingSkinData = nullptr;
  Enabled = false;
  UninstallHook();
}

// ---- Hook records ----

void TSkinManage::RegisterHook(HHOOK hook) {
  if (hook && std::find(lists_->Hooks.begin(), lists_->Hooks.end(), hook) == lists_->Hooks.end())
    lists_->Hooks.push_back(hook);
}

void TSkinManage::UnregisterHook(HHOOK hook) { std::erase(lists_->Hooks, hook); }

// ---- Components ----

void TSkinManage::AddSkinData(TSkinData* skinData) {
  auto& datas = lists_->SkinDatas;
  if (!skinData || std::find(datas.begin(), datas.end(), skinData) != datas.end()) return;
  datas.push_back(skinData);
  if (!MainSkinData && skinData->SkinFormtype() == sfMainform) MainSkinData = skinData;
}

void TSkinManage::RemoveSkinData(TSkinData* skinData) {
  // Windows that wear this component's skin get their own look back first.
  WalkForms(true, [this, skinData](TWinSkinForm& f) {
    if (f.SkinData == skinData) DetachAndFree(&f);
    return true;
  });
  DropPopupMenus(skinData);
  std::erase(lists_->SkinDatas, skinData);
  if (PendingSkinData == skinData) PendingSkinData = nullptr;
  if (MainSkinData == skinData) {
    MainSkinData = nullptr;
    for (TSkinData* sd : lists_->SkinDatas)
      if (sd->SkinFormtype() == sfMainform) {
        MainSkinData = sd;
        break;
      }
  }
}

void TSkinManage::ReloadSkinData(TSkinData* skinData) {
  WalkForms(false, [skinData](TWinSkinForm& f) {
    if (f.SkinData == skinData && f.SkinPhase != 6) {
      const TCallDepth busy(f.Depth);
      f.ReloadSkin();
    }
    return true;
  });
}

// ---- Hook ----

void TSkinManage::InstallHook() {
  if (HookHandle) return;
  auto& owners = HookOwners();
  const auto free = std::find(owners.begin(), owners.end(), nullptr);
  if (free == owners.end()) return;  // more managers than procedures: this one sees no windows
  hookSlot_ = int(free - owners.begin());
  *free = this;
  HookHandle = SetWindowsHookExA(WH_CBT, kHookProcs[size_t(hookSlot_)], nullptr, GetCurrentThreadId());
  if (!HookHandle) UninstallHook();
}

void TSkinManage::UninstallHook() {
  if (HookHandle) UnhookWindowsHookEx(HookHandle);
  HookHandle = nullptr;
  if (hookSlot_ >= 0) HookOwners()[size_t(hookSlot_)] = nullptr;
  hookSlot_ = -1;
}

LRESULT TSkinManage::CBTHookProc(int code, WPARAM wParam, LPARAM lParam) {
  const HHOOK hook = HookHandle;
  if (State != 4) {
    HWND window = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_CREATEWND) {
      const CREATESTRUCTW* cs = reinterpret_cast<CBT_CREATEWND*>(lParam)->lpcs;
      if (cs && (cs->style & SBS_SIZEGRIP) && Lower(ClassOf(window)) == "scrollbar")
        if (TWinSkinForm* f = FindForm(cs->hwndParent)) f->SkinWin32Children(window);
      if (cs && !(cs->style & WS_CHILD) && !subManager_ && ClassOf(window) == "#32768") SkinPopupMenu(window);
      if (cs && (cs->dwExStyle & WS_EX_MDICHILD)) SkinWindow(window);
    } else if (code == HCBT_DESTROYWND) {
      UnskinPopupMenu(window);
    } else if (code == HCBT_ACTIVATE) {
      if (State == 0) State = 1;
      SkinWindow(window);
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
  for (TSkinData* sd : lists_->SkinDatas) {
    auto* owner = dynamic_cast<TCustomForm*>(sd->Owner());
    if (sd->SkinFormtype() == sfOnlyThisForm && owner && owner->HandleAllocated() && owner->Handle() == window)
      return sd;
  }
  const std::string lname = Lower(className);
  auto last = [&](TSkinFormType t) -> TSkinData* {
    for (size_t i = lists_->SkinDatas.size(); i-- > 0;)
      if (lists_->SkinDatas[i]->SkinFormtype() == t) return lists_->SkinDatas[i];
    return nullptr;
  };
  if (lname == "tmessageform" || lname == "#32770")
    if (TSkinData* sd = last(sfDialog)) return sd;
  if (TSkinData* sd = last(sfMainform)) return sd;
  return lists_->SkinDatas.empty() ? nullptr : lists_->SkinDatas.front();
}

bool TSkinManage::SkinWindow(HWND window) {
  if (!Enabled || !IsWindow(window)) return false;
  Sweep();
  if (SendMessageW(window, CM_SKINQUERY, 0, 0) == 1 || FindForm(window)) return false;
  TWinControl* control = ControlOfModule(window);
  const LONG_PTR style = Style(window), ex = ExStyle(window);
  if (!Scanning && (style & WS_CHILD) && !(ex & WS_EX_MDICHILD)) {
    if (Lower(ClassOf(GetParent(window))) != "mdiclient") return false;
  }
  const std::string className = ClassOf(window);
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWL_HINSTANCE));
  // The program's windows may carry no instance; another module's carry its own.
  const bool ofModule = subManager_ ? instance == ModuleHandle : !instance || instance == GetModuleHandleW(nullptr);
  if (!control && !ofModule && className != "#32770") return false;
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
  wrapper->Serial = ++lists_->LastSerial;
  TWinSkinForm* w = wrapper.get();
  lists_->Forms.push_back(std::move(wrapper));
  {
    const TCallDepth busy(w->Depth);  // the application's event runs while it attaches
    if (auto* form = dynamic_cast<TCustomForm*>(control)) {
      w->AttachForm(sd, form);
    } else {
      w->Attach(sd);
    }
  }
  PostMessageA(window, CM_SKINAPPLY, 0, 1000);
  return true;
}

TWinControl* TSkinManage::ControlOfModule(HWND window) const {
  // Another module's class library sees only its own windows.
  if (subManager_ && reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWL_HINSTANCE)) != ModuleHandle)
    return nullptr;
  return ControlOf(window);
}

TWinSkinForm* TSkinManage::FindForm(HWND window) const {
  for (const auto& f : lists_->Forms)
    if (f->Window == window && f->SkinPhase != 6) return f.get();
  return nullptr;
}

void TSkinManage::RemoveForm(HWND window) {
  if (State == 4) return;
  for (size_t i = lists_->Forms.size(); i-- > 0;)
    if (lists_->Forms[i]->Window == window && lists_->Forms[i]->Depth == 0) lists_->Forms.erase(lists_->Forms.begin() + long(i));
}

void TSkinManage::Sweep() {
  if (State == 4) return;
  WalkForms(true, [this](TWinSkinForm& f) {
    const bool released = f.SkinPhase == 6 || !IsWindow(f.Window);
    if (!released || f.Depth != 0 || f.ModuleHandle != ModuleHandle) return true;
    if (f.SkinPhase != 6) {
      const TCallDepth busy(f.Depth);
      f.DetachOnDestroy();
    }
    if (f.Depth == 0) TakeForm(&f);
    return true;
  });
}

void TSkinManage::DetachAndFree(TWinSkinForm* f) {
  if (f->SkinPhase != 6 && IsWindow(f->Window)) {
    const TCallDepth busy(f->Depth);
    f->Restore();
    f->Repaint();
  }
  f->SkinPhase = 6;
  if (f->Depth == 0) TakeForm(f);
}

void TSkinManage::SetMDIMaximized(bool value) {
  if (value == MDIMaximized) return;
  MDIMaximized = value;
  if (MainSkinData && InSkinOptions(MainSkinData->Options(), xoMDIChildBorder)) return;
  WalkForms(false, [](TWinSkinForm& f) {
    if (f.FormKind == 2 && f.SkinPhase != 6) {
      const TCallDepth busy(f.Depth);
      f.FitFrame(true);
    }
    return true;
  });
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
  // The program's manager takes its sub-managers along.
  if (!subManager_)
    for (TSkinManage* sub : std::vector<TSkinManage*>(lists_->SubManagers)) {
      sub->PendingSkinData = PendingSkinData;
      if (mode == 1) {
        sub->Enabled = true;
        sub->SwitchSkin(1, 300);
      } else if (mode == 2) {
        sub->Enabled = false;
      }
    }
  Timer->SetEnabled(true);
}

void TSkinManage::ReskinWindow(HWND window, int interval) {
  ReskinTarget = window;
  SwitchSkin(7, interval);
}

void TSkinManage::TimerTick() {
  Timer->SetEnabled(false);
  TSkinData* sd = PendingSkinData;
  if (!sd) return;
  switch (PendingMode) {
    case 1:
      SwitchOn(sd);
      if (!subManager_)
        for (TSkinManage* sub : std::vector<TSkinManage*>(lists_->SubManagers)) {
          sub->PendingSkinData = sd;
          sub->Enabled = true;
          sub->SwitchSkin(1, 300);
        }
      break;
    case 2:
      SwitchOff(sd);
      if (!subManager_)
        for (TSkinManage* sub : lists_->SubManagers) sub->Enabled = false;
      break;
    case 3: Refresh(sd); break;
    case 6: FreeReleased(); break;
    case 7:
      if (TWinSkinForm* f = FindForm(ReskinTarget)) {
        {
          const TCallDepth busy(f->Depth);
          f->Restore();
        }
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
      // Skinning a form runs the application's events, which may close forms.
      if (i >= Screen->FormCount()) continue;
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
  WalkForms(true, [this, sd, onlyThis](TWinSkinForm& f) {
    if (onlyThis && f.SkinData != sd) return true;
    DetachAndFree(&f);
    return !onlyThis;
  });
}

void TSkinManage::Refresh(TSkinData* sd) {
  Sweep();
  // A wrapper its window has let go of is left out, also one the sweep could not free yet
  // because its procedure is still running: its borders are the old skin's, and fitting the
  // window to them would take the new wrapper's client area.
  auto takesPart = [sd](const TWinSkinForm& f) { return f.SkinData == sd && f.SkinPhase != 6; };
  // The application's events and the windows' own messages run inside both walks: forms they
  // open are skinned with the new skin as they come, so only those listed now are renewed.
  WalkForms(false, [&](TWinSkinForm& f) {
    if (!takesPart(f)) return true;
    const TCallDepth busy(f.Depth);
    f.ReloadSkin();
    f.UpdateRegion();
    f.Repaint();
    return sd->SkinFormtype() != sfOnlyThisForm;
  });
  WalkForms(false, [&](TWinSkinForm& f) {
    if (!takesPart(f)) return true;
    const TCallDepth busy(f.Depth);
    f.ApplyColors();
    return sd->SkinFormtype() != sfOnlyThisForm;
  });
}

void TSkinManage::FreeReleased() {
  WalkForms(true, [this](TWinSkinForm& f) {
    if (f.SkinPhase == 6 && f.Depth == 0) TakeForm(&f);
    return true;
  });
}
