#include "platform/forms/folder_dialog.h"

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

const TClassInfo& TBrowseFolderDialog::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TBrowseFolderDialog>("TBrowseFolderDialog", &TComponent::StaticClassInfo())
          .Prop("Title", &TBrowseFolderDialog::Title, &TBrowseFolderDialog::SetTitle)
          .Prop("Root", &TBrowseFolderDialog::Root, &TBrowseFolderDialog::SetRoot)
          .Prop("Folder", &TBrowseFolderDialog::Folder, &TBrowseFolderDialog::SetFolder)
          .Prop("ShowEditBox", &TBrowseFolderDialog::ShowEditBox, &TBrowseFolderDialog::SetShowEditBox, {.Default = 0})
          .Prop("IncludeFiles", &TBrowseFolderDialog::IncludeFiles, &TBrowseFolderDialog::SetIncludeFiles, {.Default = 0})
          .Prop("AllowNewFolder", &TBrowseFolderDialog::AllowNewFolder, &TBrowseFolderDialog::SetAllowNewFolder, {.Default = 1})
          .Creator([](TComponent* o) { return new TBrowseFolderDialog(o); })
          .Build();
  return info;
}

TBrowseFolderDialog::TBrowseFolderDialog(TComponent* owner) : TComponent(owner) {}

bool TBrowseFolderDialog::Execute() {
  TComponentPtr<TBrowseFolderForm> form(new TBrowseFolderForm(Application, *this));
  form->AfterConstruction();
  form_ = form.get();
  struct Reset {
    TBrowseFolderDialog* d;
    ~Reset() { d->form_ = nullptr; }
  } reset{this};
  if (form->ShowModal() != mrOk || form->Result().empty()) return false;
  folder_ = form->Result();
  return true;
}

const TClassInfo& TBrowseFolderForm::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TBrowseFolderForm>("TBrowseFolderForm", &TForm::StaticClassInfo()).Build();
  return info;
}

TBrowseFolderForm::TBrowseFolderForm(TComponent* owner, TBrowseFolderDialog& dialog) : TForm(owner), dialog_(dialog) {
  SetCreateNew();
  Build();
}

namespace {

// A chosen path as the platform's folder call gives it: no trailing "/" except the root's.
std::string WithoutTrailingSlash(std::string s) {
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

}  // namespace

void TBrowseFolderForm::Build() {
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetCaption("Browse For Folder");
  SetClientWidth(360);
  SetClientHeight(330);

  TitleLabel = AddControl<TLabel>(this, "TitleLabel", 8, 8, 344, 28);
  TitleLabel->SetAutoSize(false);
  TitleLabel->SetWordWrap(true);
  TitleLabel->SetShowAccelChar(false);
  TitleLabel->SetCaption(dialog_.Title());
  PathEdit = AddControl<TEdit>(this, "PathEdit", 8, 40, 344, 21);
  PathEdit->SetReadOnly(!dialog_.ShowEditBox());
  PathEdit->SetTabStop(dialog_.ShowEditBox());
  FolderList = AddControl<TListBox>(this, "FolderList", 8, 68, 344, 220);
  if (dialog_.AllowNewFolder()) {
    NewFolderButton = AddControl<TButton>(this, "NewFolderButton", 8, 298, 110, 23);
    NewFolderButton->SetCaption("&Make New Folder");
    NewFolderButton->OnClick = [this](TObject*) { MakeNewFolder(); };
  }
  OKButton = AddControl<TButton>(this, "OKButton", 196, 298, 75, 23);
  OKButton->SetCaption("OK");
  OKButton->SetDefault(true);
  OKButton->OnClick = [this](TObject*) { Accept(); };
  CancelButton = AddControl<TButton>(this, "CancelButton", 277, 298, 75, 23);
  CancelButton->SetCaption("Cancel");
  CancelButton->SetCancel(true);
  CancelButton->SetModalResult(mrCancel);
  FolderList->SetTabOrder(0);

  FolderList->OnDblClick = [this](TObject*) { Enter(FolderList->ItemIndex()); };
  FolderList->OnKeyDown = [this](TObject*, WORD& key, TShiftState) {
    if (key == VK_RIGHT) {
      Enter(FolderList->ItemIndex());
      key = 0;
    } else if (key == VK_LEFT || key == VK_BACK) {
      Up();
      key = 0;
    }
  };

  if (!dialog_.Root().empty() && DirectoryExists(FileNameToWide(dialog_.Root()))) root_ = NormalizeFolder(dialog_.Root());
  std::string start;
  if (!dialog_.Folder().empty() && DirectoryExists(FileNameToWide(dialog_.Folder())) &&
      WithinRoot(NormalizeFolder(dialog_.Folder()))) {
    start = dialog_.Folder();
  } else if (!root_.empty()) {
    start = root_;
  } else {
    start = HomeFolder();
  }
  SetActiveControl(FolderList);
  Navigate(start);
}

bool TBrowseFolderForm::WithinRoot(const std::string& folder) const {
  return root_.empty() || folder.compare(0, root_.size(), root_) == 0;
}

void TBrowseFolderForm::Navigate(const std::string& folder) {
  std::string f = NormalizeFolder(folder);
  if (!WithinRoot(f)) f = root_;
  folder_ = f;
  PathEdit->SetWideText(FileNameToWide(WithoutTrailingSlash(folder_)));
  Refresh();
}

void TBrowseFolderForm::Refresh() {
  TFolderListingOptions options;
  options.includeFiles = dialog_.IncludeFiles();
  options.masks = {"*"};
  view_.Load(folder_, folder_ != "/" && folder_ != root_, options, FolderList->Items());
}

void TBrowseFolderForm::Enter(int index) {
  if (!view_.IsFolder(index)) return;
  const std::string& name = *view_.Name(index);
  if (name.empty()) {
    Up();
    return;
  }
  Navigate(folder_ + name);
}

void TBrowseFolderForm::Up() {
  if (folder_ == "/" || folder_ == root_) return;
  std::string from = WithoutTrailingSlash(folder_);
  Navigate(ParentFolder(folder_));
  // Keep the folder we came from selected.
  int i = view_.Find(from.substr(from.rfind('/') + 1));
  if (i >= 0) FolderList->SetItemIndex(i);
}

void TBrowseFolderForm::MakeNewFolder() {
  std::string name = "New Folder";
  for (int n = 2; n < 1000 && (DirectoryExists(FileNameToWide(folder_ + name)) || FileExists(FileNameToWide(folder_ + name))); ++n)
    name = "New Folder (" + std::to_string(n) + ")";
  if (!CreateDir(FileNameToWide(folder_ + name))) {
    MessageDlg("Unable to create the folder '" + name + "'.", mtError, MsgDlgButton(mbOK));
    return;
  }
  Refresh();
  int i = view_.Find(name);
  if (i >= 0) FolderList->SetItemIndex(i);
}

void TBrowseFolderForm::Accept() {
  std::string chosen;
  std::string typed = WideToFileName(TrimWide(PathEdit->WideText()));
  if (dialog_.ShowEditBox() && typed != WithoutTrailingSlash(folder_)) {
    std::string full = !typed.empty() && typed[0] == '/' ? typed : folder_ + typed;
    bool ok = DirectoryExists(FileNameToWide(full)) || (dialog_.IncludeFiles() && FileExists(FileNameToWide(full)));
    if (!ok || !WithinRoot(NormalizeFolder(full))) {
      MessageDlg("The folder '" + WideToUtf8(PathEdit->WideText()) + "' isn't accessible.", mtError, MsgDlgButton(mbOK));
      return;
    }
    chosen = WideToFileName(ExpandFileName(FileNameToWide(full)));
  } else {
    const std::string* name = view_.Name(FolderList->ItemIndex());
    if (name && !name->empty()) {
      chosen = folder_ + *name;
    } else {
      chosen = folder_;
    }
  }
  result_ = WithoutTrailingSlash(chosen);
  SetModalResult(mrOk);
}
