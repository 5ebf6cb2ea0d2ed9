// The folder dialog (TBrowseFolderDialog): a modal form of our own, captioned "Browse For
// Folder", with the caller's title text above the current folder, the list of its
// subfolders (and files, with IncludeFiles) and OK / Cancel and, with AllowNewFolder,
// "Make New Folder". The result is the folder selected in the list, else the current folder;
// with ShowEditBox the folder may be typed. Keyboard: Tab, arrows in the list, Right or a
// double click enters the selected folder, Left or Backspace goes up, Enter is OK, Escape
// cancels. Navigation stays within Root when one is given.
#pragma once

#include <string>
#include <vector>

#include "platform/forms/folder_listing.h"
#include "platform/forms/form.h"

class TEdit;
class TListBox;
class TButton;
class TLabel;
class TBrowseFolderForm;

class TBrowseFolderDialog : public TComponent {
 public:
  explicit TBrowseFolderDialog(TComponent* owner);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  // The text above the folder (the caller's question).
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& v) { title_ = v; }
  // The topmost folder that can be reached; empty for the whole file system.
  const std::string& Root() const { return root_; }
  void SetRoot(const std::string& v) { root_ = v; }
  // In: the folder to start in (when it exists). Out: the chosen folder or file, without a
  // trailing "/" (except for "/").
  const std::string& Folder() const { return folder_; }
  void SetFolder(const std::string& v) { folder_ = v; }
  bool ShowEditBox() const { return showEditBox_; }
  void SetShowEditBox(bool v) { showEditBox_ = v; }
  bool IncludeFiles() const { return includeFiles_; }
  void SetIncludeFiles(bool v) { includeFiles_ = v; }
  bool AllowNewFolder() const { return allowNewFolder_; }
  void SetAllowNewFolder(bool v) { allowNewFolder_ = v; }

  bool Execute();
  TBrowseFolderForm* DialogForm() const { return form_; }

 private:
  std::string title_;
  std::string root_;
  std::string folder_;
  bool showEditBox_ = false;
  bool includeFiles_ = false;
  bool allowNewFolder_ = true;
  TBrowseFolderForm* form_ = nullptr;
};

class TBrowseFolderForm : public TForm {
 public:
  TBrowseFolderForm(TComponent* owner, TBrowseFolderDialog& dialog);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  const std::string& Folder() const { return folder_; }
  void Navigate(const std::string& folder);
  const std::vector<std::string>& Shown() const { return view_.Shown(); }
  const std::string& Result() const { return result_; }
  // Creates "New Folder" (numbered when taken) in the current folder and selects it.
  void MakeNewFolder();

  TLabel* TitleLabel = nullptr;
  TEdit* PathEdit = nullptr;
  TListBox* FolderList = nullptr;
  TButton* NewFolderButton = nullptr;
  TButton* OKButton = nullptr;
  TButton* CancelButton = nullptr;

 private:
  void Build();
  void Refresh();
  void Accept();
  void Enter(int index);
  void Up();
  bool WithinRoot(const std::string& folder) const;

  TBrowseFolderDialog& dialog_;
  std::string root_;
  std::string folder_;
  TFolderView view_;
  std::string result_;
};
