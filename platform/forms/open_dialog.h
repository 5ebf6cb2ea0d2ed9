// The open-file dialog (TOpenDialog): a modal form of our own with the folder being looked
// in, the list of its folders and of its files that match the chosen filter (sorted, folders
// first), the file name, the filter list ("Files of type") and Open / Cancel. Keyboard: Tab
// between the parts, arrows in the lists, Enter opens (a folder in the list is entered),
// Backspace in the list goes up a folder, Escape cancels; the labels' and Open's underlined
// letters with Alt (alone where the focus is on a button) go to their controls.
#pragma once

#include <string>
#include <vector>

#include "platform/forms/folder_listing.h"
#include "platform/forms/form.h"
#include "platform/rtl/string_list.h"

// TOpenOptions: a set of these bits.
enum TOpenOption {
  ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate, ofAllowMultiSelect,
  ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt, ofShareAware, ofNoReadOnlyReturn,
  ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames, ofOldStyleDialog, ofNoDereferenceLinks,
  ofEnableIncludeNotify, ofEnableSizing, ofDontAddToRecent, ofForceShowHidden
};
using TOpenOptions = int;
constexpr TOpenOptions OpenOption(TOpenOption o) { return 1 << o; }
const TEnumInfo& OpenOptionEnumInfo();

class TCommonDialog : public TComponent {
 public:
  explicit TCommonDialog(TComponent* owner);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
  virtual bool Execute() = 0;
  TNotifyEvent OnShow;
  TNotifyEvent OnClose;
};

class TOpenDialogForm;

class TOpenDialog : public TCommonDialog {
 public:
  explicit TOpenDialog(TComponent* owner);
  ~TOpenDialog() override;
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  // File names are file-name bytes (UTF-8 for text).
  const std::string& FileName() const { return fileName_; }
  void SetFileName(const std::string& v) { fileName_ = v; }
  TStrings* Files() const { return &files_; }
  const std::string& Filter() const { return filter_; }
  void SetFilter(const std::string& v) { filter_ = v; }
  // 1-based index into the filter's pairs.
  int FilterIndex() const { return filterIndex_; }
  void SetFilterIndex(int v) { filterIndex_ = v; }
  const std::string& InitialDir() const { return initialDir_; }
  void SetInitialDir(const std::string& v) { initialDir_ = v; }
  const std::string& DefaultExt() const { return defaultExt_; }
  void SetDefaultExt(const std::string& v) { defaultExt_ = v; }
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& v) { title_ = v; }
  TOpenOptions Options() const { return options_; }
  void SetOptions(TOpenOptions v) { options_ = v; }

  // Shows the dialog; true with FileName (the full path) and Files set when a file was chosen.
  bool Execute() override;
  // The dialog's form while Execute runs (for tests and for code that restyles it).
  TOpenDialogForm* DialogForm() const { return form_; }

 private:
  std::string fileName_;
  mutable TStringList files_;
  std::string filter_;
  int filterIndex_ = 1;
  std::string initialDir_;
  std::string defaultExt_;
  std::string title_;
  TOpenOptions options_ = OpenOption(ofHideReadOnly) | OpenOption(ofEnableSizing);
  TOpenDialogForm* form_ = nullptr;
};

class TEdit;
class TListBox;
class TButton;
class TLabel;

// The form the open dialog shows.
class TOpenDialogForm : public TForm {
 public:
  TOpenDialogForm(TComponent* owner, TOpenDialog& dialog);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  const std::string& Folder() const { return folder_; }
  void Navigate(const std::string& folder);
  // The entries shown, in the list's order (a "../" entry first below the root).
  const std::vector<std::string>& Shown() const { return view_.Shown(); }
  const std::string& Result() const { return result_; }

  TEdit* PathEdit = nullptr;
  TListBox* FileList = nullptr;
  TEdit* FileNameEdit = nullptr;
  TListBox* TypeList = nullptr;
  TButton* OpenButton = nullptr;
  TButton* CancelButton = nullptr;

 protected:
  void WndProc(TMessage& message) override;

 private:
  void Build();
  // Places the controls for the client size: the list takes what the dialog grows by.
  void Layout();
  void Refresh();
  void Accept();
  void EnterEntry(int index);
  void ListSelected(TObject*);
  void ListKeyDown(TObject*, WORD& key, TShiftState shift);
  std::vector<std::string> CurrentMasks() const;

  TLabel* fileNameLabel_ = nullptr;
  TLabel* typeLabel_ = nullptr;
  TOpenDialog& dialog_;
  std::string folder_;
  std::string customMask_;
  TFolderView view_;
  std::vector<std::pair<std::string, std::string>> filters_;
  std::string result_;
};
