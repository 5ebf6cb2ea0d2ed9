#include "skin/skin_data.h"

#include <cstddef>

#include "platform/forms/application.h"
#include "platform/forms/filer.h"
#include "platform/forms/form.h"
#include "platform/gdi/font.h"
#include "platform/gdi/system_metrics.h"
#include "platform/rtl/files.h"
#include "platform/rtl/resources.h"
#include "platform/user/icons.h"
#include "platform/user/message_loop.h"
#include "platform/user/system_params.h"
#include "skin/quick_ini.h"
#include "skin/skin_manager_link.h"
#include "skin/skin_reader.h"
#include "skin/skin_services.h"
#include "skin/skin_store.h"

namespace {

constexpr TSkinControlTypes kAllControlTypes = SkinBit(xcFastReport + 1) - 1;

// Every kind from xcMainMenu to xcSystemMenu but xcMenuItem.
constexpr TSkinControlTypes kDefaultSkinControls =
    (SkinBit(xcSystemMenu + 1) - 1) & ~SkinBit(xcMenuItem) & kAllControlTypes;
constexpr TSkinOptions kDefaultOptions = SkinBit(xoPreview) | SkinBit(xoToolbarBK);

bool LoadResourceBitmap(TBitmap& bitmap, const char* name) {
  if (!HasResource(name)) return false;
  auto data = FindResourceData(name);
  TMemoryStream s(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
  bitmap.LoadFromStream(s);
  return true;
}

}  // namespace

const TEnumInfo& SkinControlTypeEnumInfo() {
  static const TEnumInfo info{
      "TSkinControlType",
      {"xcMainMenu", "xcPopupMenu", "xcMenuItem", "xcToolbar", "xcControlbar", "xcCombo", "xcCheckBox",
       "xcRadioButton", "xcProgress", "xcScrollbar", "xcEdit", "xcButton", "xcBitBtn", "xcSpeedButton", "xcSpin",
       "xcPanel", "xcGroupBox", "xcStatusBar", "xcTab", "xcTrackBar", "xcSystemMenu", "xcFastReport"}};
  return info;
}

const TEnumInfo& SkinOptionEnumInfo() {
  static const TEnumInfo info{"TSkinOption",
                              {"xoMDIScrollbar", "xoMenuMerge", "xoTransparent", "xoPreview", "xoParentBackGround",
                               "xoNoFocusRect", "xoToolbarBK", "xoToolbarButton", "xoMDIChildBorder", "xoMenuBG",
                               "xoFormScrollbar"}};
  return info;
}

const TEnumInfo& SkinFormTypeEnumInfo() {
  static const TEnumInfo info{"TSkinFormType", {"sfMainform", "sfOnlyThisForm", "sfDialog", "sfDLL"}};
  return info;
}

const TClassInfo& TSkinData::StaticClassInfo() {
  // Every property is always written (none has a stream default).
  static const TClassInfo info =
      TClassBuilder<TSkinData>("TSkinData", &TComponent::StaticClassInfo())
          .Prop("Active", &TSkinData::Active, &TSkinData::SetActive)
          .Prop("DisableTag", &TSkinData::DisableTag, &TSkinData::SetDisableTag)
          .Prop("SkinControls", &TSkinData::SkinControls, &TSkinData::SetSkinControls,
                {.Enum = &SkinControlTypeEnumInfo(), .IsSet = true})
          .Prop("Options", &TSkinData::Options, &TSkinData::SetOptions,
                {.Enum = &SkinOptionEnumInfo(), .IsSet = true})
          .Prop("Skin3rd", &TSkinData::Skin3rd, &TSkinData::SetSkin3rd)
          .Prop("SkinFile", &TSkinData::SkinFile, &TSkinData::SetSkinFile)
          .Prop("SkinStore", &TSkinData::SkinStore, &TSkinData::SetSkinStore)
          .Prop("SkinFormtype", &TSkinData::SkinFormtype, &TSkinData::SetSkinFormtype,
                {.Enum = &SkinFormTypeEnumInfo()})
          .Prop("Version", &TSkinData::Version, &TSkinData::SetVersion)
          .Prop("MenuUpdate", &TSkinData::MenuUpdate, &TSkinData::SetMenuUpdate)
          .Prop("MenuMerge", &TSkinData::MenuMerge, &TSkinData::SetMenuMerge)
          .Event("OnFormSkin", &TSkinData::OnFormSkin)
          .Event("OnSkinChanged", &TSkinData::OnSkinChanged)
          .Event("OnSkinControl", &TSkinData::OnSkinControl)
          .Event("OnBeforeSkinForm", &TSkinData::OnBeforeSkinForm)
          .Event("OnAfterSkinForm", &TSkinData::OnAfterSkinForm)
          .Creator([](TComponent* o) { return new TSkinData(o); })
          .Build();
  return info;
}

void RegisterSkinClasses() {
  static const bool done = [] {
    RegisterClass(TSkinData::StaticClassInfo());
    RegisterClass(TSkinStore::StaticClassInfo());
    return true;
  }();
  (void)done;
}

TSkinData::TSkinData(TComponent* owner)
    : TComponent(owner), skinControls_(kDefaultSkinControls), options_(kDefaultOptions) {
  for (const std::string& line : DefaultSkin3rd()) skin3rd_.Add(line);
  AppIcon.SetPixelFormat(pf24bit);
  FormBitmap.SetPixelFormat(pf24bit);
  MenuGlyphs.reset(CreateComponent<TImageList>(nullptr));
  TBitmap glyphs;
  if (LoadResourceBitmap(glyphs, "LUMBRELMENU")) MenuGlyphs->AddMasked(glyphs, clWhite);
  MaxWidth = GetSystemMetrics(SM_CXMAXIMIZED);
  MaxHeight = GetSystemMetrics(SM_CYMAXIMIZED);
}

TSkinData::~TSkinData() {
  if (TSkinManagerLink* m = SkinManager()) m->RemoveSkinData(this);
  if (FaceBrush) DeleteObject(FaceBrush);
}

// ---- Properties ----

void TSkinData::SetActive(bool value) {
  if (value == active_) return;
  active_ = value;
  if (IsDesigning() || IsLoading()) return;
  TSkinManagerLink* m = SkinManager();
  if (!m) return;
  switch (skinFormType_) {
    case sfMainform:
      if (value) {
        if (skinNotReady_) return;
        m->SetPendingSkinData(this);
        m->SwitchSkin(1, 250);
        m->MarkStarted();
      } else {
        m->SetPendingSkinData(this);
        m->SwitchSkin(2, 250);
      }
      return;
    case sfOnlyThisForm:
      m->SetPendingSkinData(this);
      if (!value) {
        m->SwitchSkin(2, 250);
      } else if (!skinNotReady_) {
        m->SwitchSkin(1, 250);
      }
      return;
    default:
      return;
  }
}

void TSkinData::SetSkin3rd(TStrings* value) {
  if (value && value != &skin3rd_) skin3rd_.Assign(*value);
}

std::string TSkinData::SkinStore() const {
  return IsDesigning() && packedSkin_.View().size() > 0 ? "(Good)" : "(none)";
}

void TSkinData::SetSkinFile(const std::string& value) {
  skinNotReady_ = true;
  skinFile_ = value;
  if (IsDesigning()) {
    if (!value.empty()) packedSkin_.Clear();
    return;
  }
  const WideString name = FileNameToWide(value);
  if (value.empty() || !FileExists(name)) return;
  packedSkin_.Clear();
  packedSkin_.LoadFromFile(name);
  LoadSkin();
  ApplySkin();
}

void TSkinData::DefineProperties(TFiler& filer) {
  TComponent::DefineProperties(filer);
  filer.DefineBinaryProperty(
      "SkinStream",
      [this](TStream& s) {
        int32_t count = 0;
        s.ReadBuffer(&count, 4);
        if (count < 1) return;
        // The count may not promise more than the description holds.
        if (count > s.Size() - s.Position()) throw EReadError("Stream read error");
        packedSkin_.Clear();
        packedSkin_.SetSize(count);
        packedSkin_.SetPosition(0);
        s.ReadBuffer(packedSkin_.Memory(), count);
        if (!IsDesigning()) LoadSkin();
      },
      [this](TStream& s) {
        uint32_t size = static_cast<uint32_t>(packedSkin_.Size());
        s.WriteBuffer(&size, 4);
        if (size >= 1) s.WriteBuffer(packedSkin_.Memory(), size);
      },
      true);
}

// ---- Loading ----

bool TSkinData::LoadSkin() {
  skinNotReady_ = true;
  if (IsDesigning()) return false;
  TSkinReader reader;
  packedSkin_.SetPosition(0);
  if (!reader.LoadFromStream(packedSkin_)) return false;
  return LoadSkinFrom(reader);
}

bool TSkinData::LoadSkinFrom(TSkinReader& reader) {
  skinNotReady_ = true;
  TMemoryStream scratch;
  TQuickIni ini;
  std::string iniName;
  reader.FindFile(".ini", scratch, iniName);
  scratch.SetPosition(0);
  ini.LoadFromStream(&scratch);
  reader_ = &reader;
  ini_ = &ini;
  const bool read = ReadSkinIniOrKeepModel();
  reader_ = nullptr;
  ini_ = nullptr;
  return read;
}

void TSkinData::LoadSkinBitmap(TBitmap& bitmap, const std::string& name) {
  // The part after the last folder separator; the extension only when it follows that part.
  // Skins name their pictures with the backslash (or a drive's colon) of the system they were
  // made on; the slash is taken too.
  const size_t sep = name.find_last_of("\\:/");
  const std::string file = sep == std::string::npos ? name : name.substr(sep + 1);
  const size_t dot = name.find_last_of('.');
  const bool dotAfterSep = dot != std::string::npos && (sep == std::string::npos || dot > sep);
  const std::string ext = dotAfterSep ? name.substr(dot) : std::string();
  TBitmap empty;
  if (file.empty() || ext != ".bmp" || !reader_) {
    bitmap.Assign(empty);
    return;
  }
  TMemoryStream entry;
  reader_->GetFile(file, entry);
  if (entry.Size() == 0) {
    bitmap.Assign(empty);
    return;
  }
  try {
    bitmap.LoadFromStream(entry);
  } catch (const Exception&) {
    bitmap.Assign(empty);  // a damaged picture counts as a missing one
  }
}

void TSkinData::Loaded() {
  TComponent::Loaded();
  if (IsDesigning()) return;
  // Scroll bars are drawn only where the system tells their parts.
  if (!SkinHasScrollBarInfo()) skinControls_ &= ~SkinBit(xcScrollbar);
  TSkinManagerLink* m = EnsureSkinManager();
  if (m) m->AddSkinData(this);
  MakeCaptionFont();
  if (skinFormType_ != sfMainform) {
    if (m) {
      m->SetEnabled(true);
      m->MarkStarted();
      auto* form = dynamic_cast<TCustomForm*>(Owner());
      if (form && active_) m->SkinWindow(form->Handle());
    }
    return;
  }
  if (m) m->InstallHook();
  if (active_) {
    if (skinNotReady_) {
      active_ = false;
    } else if (m) {
      m->SwitchSkin(1, 250);
    }
  }
  if (InSkinControls(skinControls_, xcMainMenu)) {
    skinControls_ &= ~SkinBit(xcMenuItem);
  } else {
    skinControls_ &= ~SkinBit(xcSystemMenu);
  }
  TakeApplicationIcon();
}

void TSkinData::ApplySkin() {
  if (IsDesigning() || IsLoading()) return;
  if (!SkinManager()) Loaded();
  TSkinManagerLink* m = SkinManager();
  if (!m) return;
  m->SetPendingSkinData(this);
  m->ReloadSkinData(this);
  if (m->Started()) m->SwitchSkin(3, 250);
}

void TSkinData::DoFormSkin(HWND window, const std::string& className, bool& doSkin) {
  lastFormHandle_ = window;
  if (OnFormSkin) {
    OnFormSkin(this, className, doSkin);
    return;
  }
  if (className == "SysMonthCal32") doSkin = false;
  if (InSkinControls(skinControls_, xcFastReport) && className.rfind("Tfr", 0) == 0) doSkin = false;
}

void TSkinData::DoSkinChanged() {
  if (OnSkinChanged) OnSkinChanged(this);
}

void TSkinData::MakeCaptionFont() {
  NONCLIENTMETRICSA ncm{};
  ncm.cbSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);  // the older record
  if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, ncm.cbSize, &ncm, 0)) return;
  HFONT font = CreateFontIndirectA(ncm.lfCaptionFont);
  if (!font) return;
  CaptionFont.SetHandle(font);
  DeleteObject(font);
}

void TSkinData::TakeApplicationIcon() {
  if (!Application) return;
  HWND app = Application->Handle();
  HICON icon = reinterpret_cast<HICON>(SendMessageW(app, WM_GETICON, ICON_SMALL, 0));
  if (!icon) icon = reinterpret_cast<HICON>(SendMessageW(app, WM_GETICON, ICON_BIG, 0));
  if (!icon) return;
  const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
  HICON copy = static_cast<HICON>(CopyImage(icon, IMAGE_ICON, cx, cy, LR_COPYFROMRESOURCE));
  if (!copy) return;
  TBitmap picture;
  picture.SetPixelFormat(pf24bit);
  picture.SetSize(cx, cy);
  picture.Dib().Fill(ColorToRGB(kSkinKeyColor));
  DrawIconEx(picture.Canvas().Handle(), 0, 0, copy, cx, cy, 0, nullptr, DI_NORMAL);
  DestroyIcon(copy);
  AppIcon.Assign(picture);
  AppIcon.SetTransparentColor(kSkinKeyColor);
  AppIcon.SetTransparent(true);
}
