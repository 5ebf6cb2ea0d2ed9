// TWinSkinForm: the skinner of one top-level window (a form, a dialog, the message form or an
// MDI child). Once attached it owns the window's non-client area: it replaces the window
// procedure, tells the window how large the skinned frame is, answers hit tests, paints the
// borders, caption and caption buttons from the skin's bitmaps, gives the window a region cut
// from the border bitmaps and drives the caption buttons. Detaching restores what it replaced.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/controls.h"
#include "platform/forms/menus.h"
#include "platform/forms/timer.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/font.h"
#include "skin/forms/nc_objects.h"

class TSkinData;
class TSkinManage;
class TCustomForm;
class TDataSkinBorder;
class TSkinControl;
class TWinSkinMenu;
class TMenuBtn;

// A component, so that the class library's events can name it as their sender; its manager,
// not an owner, keeps it.
class TWinSkinForm : public TComponent {
 public:
  explicit TWinSkinForm(TSkinManage* manager);
  ~TWinSkinForm() override;
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  // ---- Attaching and detaching ----
  void AttachForm(TSkinData* skinData, TCustomForm* form);
  void Attach(TSkinData* skinData);
  // Skin switched off for a living window: the window gets back its own look and size.
  void Restore();
  void DetachOnDestroy();
  void DetachPlain();
  void ApplyColors();
  // CM_SKINAPPLIED to the window, then the component's OnAfterSkinForm.
  void NotifyApplied();
  // Without WS_CLIPCHILDREN while the manager asks for it (top-level skinned frames only).
  void RemoveClipChildren();
  void UpdateRegion();
  void DeleteRegion();
  // The skin model changed: caption buttons and border sizes are made again.
  void ReloadSkin();
  void Repaint();

  // ---- Geometry ----
  void ComputeBorders();
  void FitFrame(bool useClient);
  void MeasureSystemBorders();
  void ReadPlacement();
  POINT ToWindowPoint(POINT screen) const;
  TWinSysButton* FindButton(POINT windowPoint) const;

  // ---- Painting ----
  void PaintFrame(HDC dc = nullptr);
  void PaintBorderPart(int part, const RECT& r, HDC dc);
  void PaintCaption(HDC dc);
  void PaintCaptionText(TCanvas& canvas, const RECT& r);
  void LayoutButtons();
  void PaintButtons(TCanvas& canvas);
  bool ButtonVisible(size_t index);
  void PaintSysButton(TWinSysButton& button, int state);
  void DrawIcon(HDC dc, const RECT& r);

  // ---- Messages ----
  LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void FormWindowProc(TMessage& message);
  // The class library's dialog character (Alt with a key, or a key no control wanted).
  void DialogChar(TMessage& message);
  void ButtonAction(TWinSysButton& button, POINT mouse);
  void ShowSystemMenu(POINT screen);
  // The skinned system menu, made afresh from the window's system menu.
  void BuildSystemMenu();
  // The form's menus drawn by the skin, or by themselves again.
  void SetMenusOwnerDraw(bool on);
  // Closes a menu the window has open and leaves no skin drawing in its menus.
  void CloseMenus();
  // The skinned menu bar: made when the window has a menu, given back on detach.
  void AttachMenuBar();
  void DetachMenuBar();
  // Opens a menu-bar button's menu below it.
  void TrackButtonMenu(TMenuBtn* button);
  // The menu bar under a window point, or nothing.
  TMenuBtn* FindMenuButton(POINT windowPoint) const;
  // The messages of the menu bar and of owner-drawn window menu items.
  bool MenuBarMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  bool OwnerDrawMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  void HoverTimer();
  // ---- MDI frames ----
  // The MDI client's procedure, in place of its own while the frame is skinned.
  LRESULT ClientWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void HookClient();
  void UnhookClient();
  // Whether the frame's active MDI child is maximised (and which child is active).
  bool ActiveChildMaximized(HWND* active = nullptr) const;
  // The frame was given a new menu (WM_MDISETMENU): the bar is built from it.
  void FrameMenuChanged(HMENU menu);
  void SetSysMenuStyle(bool remove);
  void SetHotElement(TNCObject* element);
  void StopHover();
  // A control skinner whose look follows the mouse tells the wrapper it is hot, so that it is
  // told of the mouse leaving should its own notice not come (a window without a form object,
  // or the window turning inactive).
  void SetHotTool(TSkinControl* skinner);
  void ForgetHotTool(const TSkinControl* skinner);
  // The hot tool gets its mouse-leave and is forgotten.
  void DropHotTool();
  // Opens a menu-bar button's menu through a click posted at it.
  void PostMenuButtonDown(const TMenuBtn* button);

  // ---- Child controls ----
  // Walks the form's controls (or, without a form, its raw child windows) and skins them.
  void SkinFormChildren();
  void SkinChildren(TControl* control, TControl* container);
  bool MapSkin3rd(const std::string& className, TControl* control);
  void SkinWin32Children(HWND window);
  // Lists a control skinner, which the wrapper then owns, unless it is listed already; answers
  // whether it was.
  bool AddControl(TSkinControl* skinner);
  // Takes a control skinner off the list and hands it over (nothing when it was not listed).
  std::unique_ptr<TSkinControl> RemoveControl(const TSkinControl* skinner);
  // Whether the skinner is one of this wrapper's.
  bool Lists(const TSkinControl* skinner) const;
  TSkinControl* FindSkinner(const TControl* control) const;
  TSkinControl* FindSkinner(HWND window) const;
  // Frees the control wrappers whose windows are gone.
  void PurgeSkinners();
  // Frees a control wrapper (it is no longer listed); one whose procedure is running is only
  // marked dead, and goes once the procedure returns.
  void DropSkinner(TSkinControl* skinner);
  // CM_SKINRESCROLL: the scroll-bar wrapper of a window made again is replaced by a new one of
  // its family on the control's new window.
  void ReplaceScrollbar(HWND window);

  // ---- State ----
  TSkinManage* Manager;
  HWND Window = nullptr;
  TCustomForm* Form = nullptr;
  TSkinData* SkinData = nullptr;
  HINSTANCE ModuleHandle = nullptr;
  std::string ClassName;
  std::string RecordedName;
  int SkinPhase = 0;  // 0 attached, 1 normal, 3 colours, 4 detaching, 5 fitting, 6 destroyed
  int FormKind = 0;   // 0 plain, 1 MDI frame, 2 MDI child
  int BorderKind = 0; // 0 sizeable, 1 single, 2 none, 3 dialog
  int BorderIcons = 0;
  int WindowState = 0;  // 0 normal, 1 maximised, 2 minimised
  bool Active = true;
  bool Applied = false;
  bool FrameSkinned = false;
  bool RightToLeft = false, ThickFrame = false, DialogClass = false, ChildWindow = false;
  int LeftWidth = 0, CaptionHeight = 0, RightWidth = 0, BottomHeight = 0, MenuBarHeight = 0;
  RECT SystemNC{0, 0, 0, 0};
  RECT ClientRectLast{0, 0, 0, 0};
  RECT WindowRectLast{0, 0, 0, 0};
  RECT CaptionTextRect{0, 0, 0, 0};
  int WindowWidth = 0, WindowHeight = 0;
  int ButtonReserve = 0;
  HMENU SystemMenu = nullptr;
  TComponentPtr<TPopupMenu> SystemPopup;
  TComponentPtr<TWinSkinMenu> MenuBar;
  HWND OwnerWindow = nullptr;
  HWND MDIClient = nullptr;
  DWORD LastSysMenuTime = 0;
  UINT DoubleClickTime = 0;
  bool MenuTracking = false;
  bool HasRegion = false;
  SIZE RegionSize{0, 0};
  TNCObject* HotElement = nullptr;
  TSkinControl* HotTool = nullptr;
  std::vector<std::unique_ptr<TWinSysButton>> CaptionButtons;
  std::vector<std::unique_ptr<TSkinControl>> ControlSkins;
  TFont CaptionFont;
  TBitmap CaptionBuffer;
  TBitmap IconBitmap;
  TComponentPtr<TTimer> Hover;
  // Calls of the window procedure under way: a wrapper is never freed inside one.
  int Depth = 0;
  // Given by the manager when it lists the wrapper.
  uint64_t Serial = 0;

 private:
  LRESULT Previous(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  bool Stage1(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  bool Stage2(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  LRESULT Stage3(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void HandleApply();
  LRESULT NcCalcSize(HWND hwnd, WPARAM wParam, LPARAM lParam);
  LRESULT NcHitTest(HWND hwnd, WPARAM wParam, LPARAM lParam);
  LRESULT NcActivate(HWND hwnd, WPARAM wParam, LPARAM lParam);
  LRESULT NcMouseMove(HWND hwnd, WPARAM wParam, LPARAM lParam);
  LRESULT NcButtonDown(HWND hwnd, WPARAM wParam, LPARAM lParam);
  LRESULT NcButtonUp(HWND hwnd, WPARAM wParam, LPARAM lParam);
  LRESULT NcDoubleClick(HWND hwnd, WPARAM wParam, LPARAM lParam);
  void TrackSysCommand(WPARAM wParam);
  void RestoreProcedures();
  // The hot tool while it is still one of this wrapper's skinners.
  TSkinControl* LiveHotTool();
  TSkinControl* Adopt(std::unique_ptr<TSkinControl> skinner, TControl* control, bool container);
  void ApplyDecision(TControl* control, const struct TSkinDecision& d);
  void WalkChildren(TControl* control, TControl* container);
  void WalkWindows(HWND parent);
  HBITMAP RenderIcon();
  const TDataSkinBorder* Border(int part) const;
  std::u16string CaptionText() const;

  // What the window procedure instance calls: this wrapper while it is attached, else the
  // previous procedure.
  struct Link {
    TWinSkinForm* self = nullptr;
    WNDPROC previous = nullptr;
  };
  std::shared_ptr<Link> link_;
  bool chained_ = false;
  WNDPROC previousProc_ = nullptr;
  WNDPROC instance_ = nullptr;
  TWndMethod savedWindowProc_;
  bool formHooked_ = false;
  TColor savedColor_ = clBtnFace;
  std::shared_ptr<Link> clientLink_;
  WNDPROC clientInstance_ = nullptr;
  bool savedMenuUpdate_ = false;
};

// Frame parts of PaintBorderPart.
inline constexpr int kPartLeft = 1, kPartRight = 2, kPartTop = 3, kPartBottom = 4;
