#include "platform/forms/open_dialog.h"

#include <algorithm>

#include "platform/forms/application.h"
#include "platform/forms/button.h"
#include "platform/forms/edit.h"
#include "platform/forms/folder_listing.h"
#include "platform/forms/label.h"
#include "platform/forms/list_box.h"
#include "platform/forms/message_dialog.h"
#include "platform/rtl/files.h"
#include "platform/rtl/strings.h"
#include "platform/user/input.h"
#include "platform/user/messages.h"
#include "platform/user/wintypes.h"

const TEnumInfo& OpenOptionEnumInfo() {
  static const TEnumInfo e{
      "TOpenOption",
      {"ofReadOnly", "ofOverwritePrompt", "ofHideReadOnly", "ofNoChangeDir", "ofShowHelp", "ofNoValidate",
       "ofAllowMultiSelect", "ofExtensionDifferent", "ofPathMustExist", "ofFileMustExist", "ofCreatePrompt",
       "ofShareAware", "ofNoReadOnlyReturn", "ofNoTestFileCreate", "ofNoNetworkButton", "ofNoLongNames",
       "ofOldStyleDialog", "ofNoDereferenceLinks", "ofEnableIncludeNotify", "ofEnableSizing", "ofDontAddToRecent",
       "ofForceShowHidden"}};
  return e;
}

const TClassInfo& TCommonDialog::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TCommonDialog>("TCommonDialog", &TComponent::StaticClassInfo())
                                     .Event("OnShow", &TCommonDialog::OnShow)
                                     .Event("OnClose", &TCommonDialog::OnClose)
                                     .Build();
  return info;
}

TCommonDialog::TCommonDialog(TComponent* owner) : TComponent(owner) {}

const TClassInfo& TOpenDialog::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TOpenDialog>("TOpenDialog", &TCommonDialog::StaticClassInfo())
          .Prop("DefaultExt", &TOpenDialog::DefaultExt, &TOpenDialog::SetDefaultExt)
          .Prop("FileName", &TOpenDialog::FileName, &TOpenDialog::SetFileName)
          .Prop("Filter", &TOpenDialog::Filter, &TOpenDialog::SetFilter)
          .Prop("FilterIndex", &TOpenDialog::FilterIndex, &TOpenDialog::SetFilterIndex, {.Default = 1})
          .Prop("InitialDir", &TOpenDialog::InitialDir, &TOpenDialog::SetInitialDir)
          .Prop("Options", &TOpenDialog::Options, &TOpenDialog::SetOptions,
                {.Enum = &OpenOptionEnumInfo(), .IsSet = true,
                 .Default = OpenOption(ofHideReadOnly) | OpenOption(ofEnableSizing)})
          .Prop("Title", &TOpenDialog::Title, &TOpenDialog::SetTitle)
          .Creator([](TComponent* o) { return new TOpenDialog(o); })
          .Build();
  return info;
}

TOpenDialog::TOpenDialog(TComponent* owner) : TCommonDialog(owner) {}

TOpenDialog::~TOpenDialog() = default;

bool TOpenDialog::Execute() {
  TComponentPtr<TOpenDialogForm> form(new TOpenDialogForm(Application, *this));
  form->AfterConstruction();
  form_ = form.get();
  struct Reset {
    TOpenDialog* d;
    ~Reset() { d->form_ = nullptr; }
  } reset{this};
  if (OnShow) OnShow(this);
  TModalResult r = form->ShowModal();
  if (OnClose) OnClose(this);
  if (r != mrOk || form->Result().empty()) return false;
  fileName_ = form->Result();
  files_.Clear();
  files_.Add(fileName_);
  return true;
}

// ---- The dialog's form ----

const TClassInfo& TOpenDialogForm::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TOpenDialogForm>("TOpenDialogForm", &TForm::StaticClassInfo()).Build();
  return info;
}

TOpenDialogForm::TOpenDialogForm(TComponent* owner, TOpenDialog& dialog) : TForm(owner), dialog_(dialog) {
  SetCreateNew();
  Build();
}

namespace {

bool HasWildcard(const std::string& s) { return s.find_first_of("*?") != std::string::npos; }

// The dialog's client size as it opens, and the least it can be sized to.
constexpr int kClientWidth = 420, kClientHeight = 286;

}  // namespace

void TOpenDialogForm::Build() {
  // Sizable with ofEnableSizing, as the platform's dialog: a frame to drag and no minimise or
  // maximise box.
  const bool sizable = (dialog_.Options() & OpenOption(ofEnableSizing)) != 0;
  SetBorderStyle(sizable ? bsSizeable : bsDialog);
  if (sizable) SetBorderIcons(biSystemMenu);
  SetPosition(poScreenCenter);
  SetCaption(dialog_.Title().empty() ? "Open" : dialog_.Title());
  SetClientWidth(kClientWidth);
  SetClientHeight(kClientHeight);

  auto* lookInLabel = AddControl<TLabel>(this, "LookInLabel", 8, 12, 60, 13);
  lookInLabel->SetCaption("Look &in:");
  // The controls that follow the dialog's size are placed by Layout, for the size it opens at too.
  PathEdit = AddControl<TEdit>(this, "PathEdit", 0, 0, 0, 0);
  FileList = AddControl<TListBox>(this, "FileList", 0, 0, 0, 0);
  fileNameLabel_ = AddControl<TLabel>(this, "FileNameLabel", 0, 0, 0, 0);
  fileNameLabel_->SetCaption("File &name:");
  FileNameEdit = AddControl<TEdit>(this, "FileNameEdit", 0, 0, 0, 0);
  OpenButton = AddControl<TButton>(this, "OpenButton", 0, 0, 0, 0);
  OpenButton->SetCaption("&Open");
  OpenButton->SetDefault(true);
  typeLabel_ = AddControl<TLabel>(this, "TypeLabel", 0, 0, 0, 0);
  typeLabel_->SetCaption("Files of &type:");
  TypeList = AddControl<TListBox>(this, "TypeList", 0, 0, 0, 0);
  CancelButton = AddControl<TButton>(this, "CancelButton", 0, 0, 0, 0);
  CancelButton->SetCaption("Cancel");
  CancelButton->SetCancel(true);
  CancelButton->SetModalResult(mrCancel);
  // A label's access key goes to the control it names.
  lookInLabel->SetFocusControl(PathEdit);
  fileNameLabel_->SetFocusControl(FileNameEdit);
  typeLabel_->SetFocusControl(TypeList);
  Layout();
  // Tab order: the file name first, as the platform's dialog has it.
  FileNameEdit->SetTabOrder(0);
  OpenButton->SetTabOrder(1);
  TypeList->SetTabOrder(2);
  CancelButton->SetTabOrder(3);
  FileList->SetTabOrder(4);
  PathEdit->SetTabOrder(5);

  filters_ = ParseFilter(dialog_.Filter());
  TypeList->Items()->BeginUpdate();
  for (const auto& f : filters_) TypeList->Items()->Add(f.first);
  TypeList->Items()->EndUpdate();
  if (!filters_.empty()) TypeList->SetItemIndex(std::clamp(dialog_.FilterIndex(), 1, static_cast<int>(filters_.size())) - 1);

  OnResize = [this](TObject*) { Layout(); };
  OpenButton->OnClick = [this](TObject*) { Accept(); };
  FileList->OnClick = [this](TObject* s) { ListSelected(s); };
  FileList->OnDblClick = [this](TObject*) { EnterEntry(FileList->ItemIndex()); };
  FileList->OnKeyDown = [this](TObject* s, WORD& key, TShiftState shift) { ListKeyDown(s, key, shift); };
  TypeList->OnClick = [this](TObject*) {
    customMask_.clear();
    Refresh();
  };

  std::string start;
  std::string initial = dialog_.InitialDir();
  std::string fileFolder = WideToFileName(ExtractFilePath(FileNameToWide(dialog_.FileName())));
  if (!initial.empty() && DirectoryExists(FileNameToWide(initial))) {
    start = initial;
  } else if (!fileFolder.empty() && DirectoryExists(FileNameToWide(fileFolder))) {
    start = fileFolder;
  } else {
    start = WideToFileName(GetCurrentDir());
  }
  FileNameEdit->SetWideText(ExtractFileName(FileNameToWide(dialog_.FileName())));
  SetActiveControl(FileNameEdit);
  Navigate(start);
}

std::vector<std::string> TOpenDialogForm::CurrentMasks() const {
  if (!customMask_.empty()) return SplitMasks(customMask_);
  int i = TypeList ? TypeList->ItemIndex() : -1;
  if (i < 0 || i >= static_cast<int>(filters_.size())) return {"*"};
  return SplitMasks(filters_[static_cast<size_t>(i)].second);
}

void TOpenDialogForm::Navigate(const std::string& folder) {
  folder_ = NormalizeFolder(folder);
  PathEdit->SetWideText(FileNameToWide(folder_));
  Refresh();
}

void TOpenDialogForm::Layout() {
  // The rows below the list keep their distance from the bottom, the buttons from the right.
  const int w = std::max(ClientWidth(), kClientWidth), h = std::max(ClientHeight(), kClientHeight);
  const int fieldWidth = w - 184, buttonLeft = w - 88;
  PathEdit->SetBounds(72, 8, w - 80, 21);
  FileList->SetBounds(8, 36, w - 16, h - 138);
  // The labels keep the size their text gave them.
  fileNameLabel_->SetBounds(8, h - 90, fileNameLabel_->Width(), fileNameLabel_->Height());
  FileNameEdit->SetBounds(88, h - 94, fieldWidth, 21);
  OpenButton->SetBounds(buttonLeft, h - 95, 80, 23);
  typeLabel_->SetBounds(8, h - 62, typeLabel_->Width(), typeLabel_->Height());
  TypeList->SetBounds(88, h - 66, fieldWidth, 58);
  CancelButton->SetBounds(buttonLeft, h - 66, 80, 23);
}

void TOpenDialogForm::WndProc(TMessage& m) {
  TForm::WndProc(m);
  if (m.Msg == WM_GETMINMAXINFO && m.LParam) {
    auto* mmi = reinterpret_cast<MINMAXINFO*>(m.LParam);
    mmi->ptMinTrackSize.x = std::max<LONG>(mmi->ptMinTrackSize.x, kClientWidth + Width() - ClientWidth());
    mmi->ptMinTrackSize.y = std::max<LONG>(mmi->ptMinTrackSize.y, kClientHeight + Height() - ClientHeight());
  }
}

void TOpenDialogForm::Refresh() {
  TFolderListingOptions options;
  options.masks = CurrentMasks();
  options.showHidden = (dialog_.Options() & OpenOption(ofForceShowHidden)) != 0;
  view_.Load(folder_, folder_ != "/", options, FileList->Items());
  // A name longer than the list is wide can be scrolled to; the rows keep a 2-pixel margin.
  FileList->SetScrollWidth(view_.ShownWidth(*FileList->Font()) + 4);
}

void TOpenDialogForm::ListSelected(TObject*) {
  int i = FileList->ItemIndex();
  if (view_.Name(i) && !view_.IsFolder(i)) FileNameEdit->SetWideText(FileNameToWide(*view_.Name(i)));
}

void TOpenDialogForm::EnterEntry(int index) {
  const std::string* entry = view_.Name(index);
  if (!entry) return;
  if (!view_.IsFolder(index)) {
    FileNameEdit->SetWideText(FileNameToWide(*entry));
    Accept();
    return;
  }
  const std::string& name = *entry;
  Navigate(name.empty() ? ParentFolder(folder_) : folder_ + name);
  if (FileList->Items()->Count() > 0) FileList->SetItemIndex(0);
}

void TOpenDialogForm::ListKeyDown(TObject*, WORD& key, TShiftState) {
  if (key == VK_BACK) {
    Navigate(ParentFolder(folder_));
    if (FileList->Items()->Count() > 0) FileList->SetItemIndex(0);
    key = 0;
  }
}

void TOpenDialogForm::Accept() {
  if (ActiveControl() == FileList) {
    int i = FileList->ItemIndex();
    if (view_.IsFolder(i)) {
      EnterEntry(i);
      return;
    }
  }
  if (ActiveControl() == PathEdit) {
    std::string typed = WideToFileName(PathEdit->WideText());
    if (DirectoryExists(FileNameToWide(typed))) {
      Navigate(typed);
    } else {
      MessageDlg(WideToUtf8(PathEdit->WideText()) + "\rPath does not exist.", mtWarning, MsgDlgButton(mbOK));
    }
    return;
  }
  std::string typed = WideToFileName(TrimWide(FileNameEdit->WideText()));
  if (typed.empty()) return;
  if (HasWildcard(typed)) {
    customMask_ = typed;
    Refresh();
    return;
  }
  std::string full = typed[0] == '/' ? typed : folder_ + typed;
  if (DirectoryExists(FileNameToWide(full))) {
    Navigate(full);
    FileNameEdit->SetText("");
    return;
  }
  std::string dir = WideToFileName(ExtractFilePath(FileNameToWide(full)));
  if ((dialog_.Options() & OpenOption(ofPathMustExist)) && !DirectoryExists(FileNameToWide(dir))) {
    MessageDlg(typed + "\rPath does not exist.\rCheck the path and try again.", mtWarning, MsgDlgButton(mbOK));
    return;
  }
  if (!dialog_.DefaultExt().empty() && ExtractFileExt(FileNameToWide(full)).empty() &&
      !FileExists(FileNameToWide(full)))
    full += "." + dialog_.DefaultExt();
  if ((dialog_.Options() & OpenOption(ofFileMustExist)) && !FileExists(FileNameToWide(full))) {
    MessageDlg(typed + "\rFile not found.\rCheck the file name and try again.", mtWarning, MsgDlgButton(mbOK));
    return;
  }
  result_ = WideToFileName(ExpandFileName(FileNameToWide(full)));
  SetModalResult(mrOk);
}
