// TSkinData: the component a form carries to be skinned. It holds a packed skin in the form
// description (the binary property "SkinStream"), turns it into the skin model when the form
// has been read (colours, element records, caption buttons), and then starts the skin
// manager's hooks. Its published properties are the switches the painting code obeys.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/controls.h"
#include "platform/forms/image_list.h"
#include "platform/gdi/bitmap.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/string_list.h"
#include "skin/skin_objects.h"

class TSkinReader;
class TQuickIni;

enum TSkinControlType {
  xcMainMenu, xcPopupMenu, xcMenuItem, xcToolbar, xcControlbar, xcCombo, xcCheckBox, xcRadioButton, xcProgress,
  xcScrollbar, xcEdit, xcButton, xcBitBtn, xcSpeedButton, xcSpin, xcPanel, xcGroupBox, xcStatusBar, xcTab,
  xcTrackBar, xcSystemMenu, xcFastReport
};
using TSkinControlTypes = uint32_t;  // bit i: TSkinControlType i
enum TSkinOption {
  xoMDIScrollbar, xoMenuMerge, xoTransparent, xoPreview, xoParentBackGround, xoNoFocusRect, xoToolbarBK,
  xoToolbarButton, xoMDIChildBorder, xoMenuBG, xoFormScrollbar
};
using TSkinOptions = uint16_t;  // bit i: TSkinOption i
enum TSkinFormType { sfMainform, sfOnlyThisForm, sfDialog, sfDLL };

constexpr uint32_t SkinBit(int element) { return uint32_t(1) << element; }
inline bool InSkinControls(TSkinControlTypes set, TSkinControlType t) { return (set & SkinBit(t)) != 0; }
inline bool InSkinOptions(TSkinOptions set, TSkinOption o) { return (set & SkinBit(o)) != 0; }

const TEnumInfo& SkinControlTypeEnumInfo();
const TEnumInfo& SkinOptionEnumInfo();
const TEnumInfo& SkinFormTypeEnumInfo();

class TSkinData;
class TSkinControl;
using TOnFormSkin = std::function<void(TObject* Sender, const std::string& aName, bool& DoSkin)>;
using TOnSkinForm = std::function<void(TObject* Sender, HWND ahwnd, const std::string& aName)>;
using TOnSkinControl = std::function<void(TComponent* Sender, TSkinData* SkinData, TControl* Form, TControl* Control,
                                          const std::string& ControlClass, TSkinControl*& SkinnedControl)>;

// The colours of the skin's [Colours] section (defaults: the system colours).
struct TSkinColors {
  TColor WindowText = clWindowText;
  TColor ButtonFace = clBtnFace;
  TColor Scrollbar = clScrollBar;
  TColor HilightText = clHighlightText;
  TColor Hilight = clHighlight;
  TColor Menubar = clBtnFace;
  TColor Menu = clMenu;
  TColor MenuText = clMenuText;
  TColor ButtonText = clBtnText;
  TColor ButtonHilight = clBtnHighlight;
  TColor Buttonlight = clBtnHighlight;
  TColor ButtonShadow = clBtnShadow;
  TColor ButtonDkShadow = cl3DDkShadow;
  TColor MenuBarText = clMenuText;
  TColor TitleTextActive = clCaptionText;
  TColor TitleTextNoActive = clInactiveCaptionText;
};

// The skin model (read by the painting code): all that the reading of a skin fills in. A new
// skin is read into a fresh model while the previous one is kept aside, to come back should the
// reading fail.
struct TSkinModel {
  TSkinModel() { CustomColors.fill(clWhite); }

  std::string SkinName;
  TSkinColors Colors;
  std::vector<TColor> Colours;           // [Colour0], [Colour1], ... in section order
  std::array<TColor, 10> CustomColors;   // [Customcolors] Color0 .. Color9
  TColor FaceColor = clBtnFace;          // the colour of control faces

  // Frame borders (always present).
  std::unique_ptr<TDataSkinBorder> Left = std::make_unique<TDataSkinBorder>("Left"),
                                   Right = std::make_unique<TDataSkinBorder>("Right"),
                                   Top = std::make_unique<TDataSkinBorder>("Top"),
                                   Bottom = std::make_unique<TDataSkinBorder>("Bottom");
  std::unique_ptr<TDataSkinButton> Buttons = std::make_unique<TDataSkinButton>("Buttons");  // always present
  std::unique_ptr<TDataSkinTitle> Title = std::make_unique<TDataSkinTitle>("Title");        // always present
  // Caption buttons: one per kept [Button...] section, then the three MDI child buttons.
  std::vector<std::unique_ptr<TDataSkinSysButton>> SysButtons;
  // Elements absent (null) when their section names no image.
  std::unique_ptr<TDataSkinBorder> Progress;
  std::unique_ptr<TDataSkinObject> ProgressChunk;
  std::unique_ptr<TDataSkinObject> MenuBar;  // named "Personality"
  std::unique_ptr<TDataSkinObject> GroupBoxEdge;
  std::unique_ptr<TDataSkinBoxLabel> GroupBox;
  std::unique_ptr<TDataSkinBorder> Tabs;
  std::unique_ptr<TDataSkinObject> StatusBarEdges;
  std::unique_ptr<TDataSkinObject> TabPane;
  std::unique_ptr<TDataSkinObject> ToolBars;
  std::unique_ptr<TDataSkinBorder> ComboButton;
  std::unique_ptr<TDataSkinObject> SunkEdge;
  std::unique_ptr<TDataSkinObject> ExtraImages, Headerbar, MenuItem, MenuBackground, Scrollbar, HorzScroll,
      VertScroll, HorzScrollThumb, VertScrollThumb;
  std::unique_ptr<TDataSkinObject> TrackbarThumbHorz, TrackbarThumbVert, TrackbarThumbLeft, TrackbarThumbRight,
      TrackbarThumbUp, TrackbarThumbDown;
  std::unique_ptr<TDataSkinBorder> UpDownHorz, UpDownVert;
  std::unique_ptr<TDataSkinObject> Track, TrackVert;
  std::unique_ptr<TDataSkinObject> ComboxArrow;  // composed
  std::unique_ptr<TDataSkinObject> Toolbar;      // composed gradient
};

class TSkinData : public TComponent, public TSkinModel {
 public:
  explicit TSkinData(TComponent* owner);
  ~TSkinData() override;
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  // ---- Published properties ----
  bool Active() const { return active_; }
  void SetActive(bool value);
  int DisableTag() const { return disableTag_; }
  void SetDisableTag(int value) { disableTag_ = value; }
  TSkinControlTypes SkinControls() const { return skinControls_; }
  void SetSkinControls(TSkinControlTypes value) { skinControls_ = value; }
  TSkinOptions Options() const { return options_; }
  void SetOptions(TSkinOptions value) { options_ = value; }
  TStrings* Skin3rd() const { return &skin3rd_; }
  void SetSkin3rd(TStrings* value);
  std::string SkinFile() const { return skinFile_; }
  void SetSkinFile(const std::string& value);
  std::string SkinStore() const;
  void SetSkinStore(const std::string&) {}  // writes are ignored
  TSkinFormType SkinFormtype() const { return skinFormType_; }
  void SetSkinFormtype(TSkinFormType value) { skinFormType_ = value; }
  std::string Version() const { return "4.83.05.18"; }
  void SetVersion(const std::string&) {}  // writes are ignored
  bool MenuUpdate() const { return menuUpdate_; }
  void SetMenuUpdate(bool value) { menuUpdate_ = value; }
  bool MenuMerge() const { return menuMerge_; }
  void SetMenuMerge(bool value) { menuMerge_ = value; }
  TOnFormSkin OnFormSkin;
  TNotifyEvent OnSkinChanged;
  TOnSkinControl OnSkinControl;
  TOnSkinForm OnBeforeSkinForm;
  TOnSkinForm OnAfterSkinForm;

  // ---- Component life ----
  void DefineProperties(TFiler& filer) override;
  // Starts the engine once the form description has been read (nothing at design time).
  void Loaded() override;
  // Reads the held packed skin into the model; false when the skin could not be read (the
  // model stays as it was and the component stays not ready).
  bool LoadSkin();
  // The same from an archive already read.
  bool LoadSkinFrom(TSkinReader& reader);
  // Fills the model from the skin INI of the skin being loaded.
  void ReadSkinIni();
  // Fills a bitmap from the archive entry an INI value names (empty when there is none).
  void LoadSkinBitmap(TBitmap& bitmap, const std::string& name);
  // The veto asked for every top-level window the manager would skin.
  void DoFormSkin(HWND window, const std::string& className, bool& doSkin);
  void DoSkinChanged();
  // Makes the windows that use this component take its new skin.
  void ApplySkin();

  // True once a skin has been read completely; no window is skinned with this component before.
  bool Ready() const { return !skinNotReady_; }
  TMemoryStream& PackedSkin() { return packedSkin_; }
  HWND LastFormHandle() const { return lastFormHandle_; }

  // ---- Other state used by the wrappers ----
  HBRUSH FaceBrush = nullptr;  // a solid brush of "ButtonFace"

  // Off while a window's menu changes: skinned frames are not painted meanwhile.
  bool NonClientPaint = true;
  TFont CaptionFont;         // the system's caption font
  TComponentPtr<TImageList> MenuGlyphs;  // 16 x 16: restore, maximise, minimise, close
  TBitmap AppIcon;           // the application's small icon on magenta, transparent
  TBitmap FormBitmap;        // kept for the form wrapper
  int MaxWidth = 0, MaxHeight = 0;  // the maximised-window size when created

 private:
  void MakeCaptionFont();
  void TakeApplicationIcon();
  // ReadSkinIni into a fresh model; false, with the previous model back, when it fails.
  bool ReadSkinIniOrKeepModel();
  // Images composed after reading.
  void ComposeComboImages();
  void ComposeComboArrow();
  void FixFaceColor();
  void ComposeToolbar();

  bool active_ = false;
  int disableTag_ = 99;
  TSkinControlTypes skinControls_;
  TSkinOptions options_;
  mutable TStringList skin3rd_;
  std::string skinFile_;
  TSkinFormType skinFormType_ = sfMainform;
  bool menuUpdate_ = true;
  bool menuMerge_ = false;

  TMemoryStream packedSkin_;
  bool skinNotReady_ = true;
  HWND lastFormHandle_ = nullptr;
  // While a skin is being read.
  TSkinReader* reader_ = nullptr;
  TQuickIni* ini_ = nullptr;
};

// A colour of the skin INI: "red green blue" as decimal numbers between any separators.
TColor ParseSkinColor(const std::string& text);

// The 117 default lines ClassName=kind of Skin3rd.
const std::vector<std::string>& DefaultSkin3rd();
// Registers TSkinData and TSkinStore for form descriptions (idempotent).
void RegisterSkinClasses();
