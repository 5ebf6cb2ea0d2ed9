// TSkinManage: the one skin manager of the program. A window-creation (CBT) hook of the
// user-interface thread sees every window being created, activated and destroyed; the manager
// decides which top-level windows get a form wrapper, keeps the wrappers and the registered
// skin components, and carries out switching skinning on, off and to a new skin through a
// timer, so that a switch never runs inside the message that asked for it.
//
// Lifetimes are explicit: the manager owns its wrappers; a wrapper whose window is gone (or
// that is not inside one of its own window procedures any more) is freed by the sweep.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/timer.h"
#include "skin/menus/menu_text.h"
#include "skin/skin_manager_link.h"

class TWinSkinForm;
class TWinSkinPopMenu;
class TSkinData;
class TCustomForm;
class TWinControl;
class TSkinManage;

// Private window messages of the engine.
inline constexpr UINT CM_SKINAPPLY = 0x3503;
inline constexpr UINT CM_SKINSWITCH = 0x3506;
inline constexpr UINT CM_SKINAPPLIED = 0x3507;
inline constexpr UINT CM_SKINPAINTFRAME = 0x3514;
inline constexpr UINT CM_SKINREPAINT = 0x3515;
inline constexpr UINT CM_SKINMDIREDRAW = 0x3516;
inline constexpr UINT CM_SKINRESCROLL = 0x3517;
inline constexpr UINT CM_SKINMENUHIT = 0x3518;
inline constexpr UINT CM_SKINPROBE = 0x3519;
inline constexpr UINT CM_SKINBUTTONVISIBLE = 0x3520;
inline constexpr UINT CM_SKINBUTTONCLICK = 0x3521;
inline constexpr UINT CM_SKINQUERY = 0x3523;
inline constexpr UINT CM_SKINCOLORS = 0x3401;
inline constexpr LPARAM kSkinMagic = 0x41A2;

// The lists a manager keeps; a sub-manager shares those of the manager it is joined to.
struct TSkinManageLists {
  TSkinManageLists();
  ~TSkinManageLists();
  std::vector<std::unique_ptr<TWinSkinForm>> Forms;
  std::vector<std::unique_ptr<TWinSkinPopMenu>> Popups;
  std::vector<TSkinData*> SkinDatas;
  std::vector<HHOOK> Hooks;  // hooks the form wrappers registered
  std::vector<TSkinManage*> SubManagers;
  // Numbers the wrappers as they are listed, so that a walk knows one made meanwhile in the
  // place of one it remembers.
  uint64_t LastSerial = 0;
};

class TSkinManage : public TSkinManagerLink {
 public:
  // The program's own manager; or, with `subManager`, the manager of another module (a shared
  // library linking the engine, whose instance handle is `module`) that shares the lists of the
  // manager it is joined to and leaves popup menus to it.
  explicit TSkinManage(bool subManager = false, HINSTANCE module = nullptr);
  ~TSkinManage() override;
  TSkinManage(const TSkinManage&) = delete;
  TSkinManage& operator=(const TSkinManage&) = delete;

  // ---- TSkinManagerLink ----
  void AddSkinData(TSkinData* skinData) override;
  void RemoveSkinData(TSkinData* skinData) override;
  void InstallHook() override;
  void SwitchSkin(int mode, int interval) override;
  bool SkinWindow(HWND window) override;
  void SetPendingSkinData(TSkinData* skinData) override { PendingSkinData = skinData; }
  void SetEnabled(bool enabled) override { Enabled = enabled; }
  void MarkStarted() override {
    if (State == 0) State = 1;
  }
  bool Started() const override { return State != 0; }
  void ReloadSkinData(TSkinData* skinData) override;

  // Attach and detach the skinner of a popup menu window ("#32768").
  bool SkinPopupMenu(HWND window);
  void UnskinPopupMenu(HWND window);
  TWinSkinPopMenu* FindPopupMenu(HWND window) const;
  // Frees the popup skinners that have detached or whose window is gone.
  void SweepPopupMenus();
  // Popup bookkeeping of the menu bar and the item drawing.
  void MarkPopupsFromBar();
  void SetPopupOwnerKey(ULONG_PTR key);
  TWinSkinPopMenu* FindPopupByOwnerKey(ULONG_PTR key) const;
  void RepaintPopups();
  // Detaches the popup skinners that use a component (all of them for nullptr).
  void DropPopupMenus(TSkinData* skinData);
  const std::vector<std::unique_ptr<TWinSkinPopMenu>>& Popups() const { return lists_->Popups; }
  // Carries out the pending switch (the timer's handler).
  void TimerTick();
  TWinSkinForm* FindForm(HWND window) const;
  // Drops the wrapper of a window from the list, freeing it (ignored while the manager ends).
  void RemoveForm(HWND window);
  // Frees wrappers whose window is gone; never one whose window procedure is running.
  void Sweep();
  // Re-skins one window at the next tick (mode 7).
  void ReskinWindow(HWND window, int interval);

  // This manager's window-creation hook (each manager has one of its own).
  LRESULT CBTHookProc(int code, WPARAM wParam, LPARAM lParam);

  // ---- Sub-managers ----
  bool IsSubManager() const { return subManager_; }
  // A sub-manager takes the lists of `parent` (the program's manager) and is listed there.
  void JoinParent(TSkinManage* parent);
  const std::vector<TSkinManage*>& SubManagers() const { return lists_->SubManagers; }
  TSkinManage* ParentManager = nullptr;

  // ---- Hook records of the form wrappers (unhooked when the program's manager ends) ----
  void RegisterHook(HHOOK hook);
  void UnregisterHook(HHOOK hook);
  const std::vector<HHOOK>& Hooks() const { return lists_->Hooks; }

  // The form filter and the choice of component, for one candidate window.
  bool FormFilter(HWND window, const std::string& className) const;
  TSkinData* ChooseSkinData(HWND window, const std::string& className) const;

  const std::vector<std::unique_ptr<TWinSkinForm>>& Forms() const { return lists_->Forms; }
  const std::vector<TSkinData*>& SkinDatas() const { return lists_->SkinDatas; }
  bool TimerEnabled() const { return Timer && Timer->Enabled(); }
  HHOOK Hook() const { return HookHandle; }

  // Fields read and set by the form wrappers.
  bool Enabled = false;
  bool Scanning = false;
  int State = 0;  // 0 not started, 1 started, 4 ending
  int MenuKind = 0;
  bool MenuFromBar = false;
  bool MDIMaximized = false;
  bool FormAttached = false;
  bool ClipChildrenOff = false;
  bool WasHidden = false;
  int PendingMode = 0;
  TSkinData* PendingSkinData = nullptr;
  TSkinData* MainSkinData = nullptr;
  HINSTANCE ModuleHandle = nullptr;
  HWND MDIClient = nullptr;
  TCustomForm* MDIFrameForm = nullptr;  // the form of the MDI frame that MDIClient belongs to
  HWND ReskinTarget = nullptr;
  // The menu font and the extents of menu texts, for the skinned menus.
  TMenuText MenuTexts;
  void SetMDIMaximized(bool value);

 private:
  void SwitchOn(TSkinData* sd);
  void SwitchOff(TSkinData* sd);
  void Refresh(TSkinData* sd);
  void FreeReleased();
  // Gives the window back its own look and frees the wrapper (unless a call of it is under way).
  void DetachAndFree(TWinSkinForm* form);
  // Calls `visit` for each wrapper listed when the walk begins (last first when `backwards`),
  // as long as it is still listed, until `visit` answers false. What the wrappers do may reach
  // application code and messages that make or free windows, and so wrappers: those made
  // meanwhile are left out, those freed are passed over.
  void WalkForms(bool backwards, const std::function<bool(TWinSkinForm&)>& visit);
  // Takes a wrapper out of the list (nothing when it is not listed); freed by the caller, after
  // the list is whole again.
  std::unique_ptr<TWinSkinForm> TakeForm(const TWinSkinForm* form);
  // The window's class-library control, when the window is of this manager's module.
  TWinControl* ControlOfModule(HWND window) const;
  // Gives back and frees the wrappers of this module.
  void DropModuleForms();
  // The parent ends: this sub-manager keeps its own wrappers in lists of its own and stops
  // seeing windows.
  void CutLoose();
  void UninstallHook();

  TComponentPtr<TTimer> Timer;
  HHOOK HookHandle = nullptr;
  int hookSlot_ = -1;
  bool subManager_ = false;
  std::shared_ptr<TSkinManageLists> lists_;
};

// The manager of the program, when it is a TSkinManage.
TSkinManage* SkinManage();
// Makes EnsureSkinManager create a TSkinManage (the program does this at start).
void UseSkinManage();
