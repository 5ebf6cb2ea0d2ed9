// Single-line edits (TEdit over the "Edit" class): text, selection, clipboard, read-only,
// maximum length, character case, automatic selection on entry, OnChange.
#pragma once

#include "platform/forms/controls.h"

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
enum TBorderStyle { bsNoBorder, bsSingleBorder };  // written "bsNone" and "bsSingle"
const TEnumInfo& EditCharCaseEnumInfo();
const TEnumInfo& BorderStyleEnumInfo();

class TCustomEdit : public TWinControl {
 public:
  explicit TCustomEdit(TComponent* owner);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  bool AutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool v) { autoSelect_ = v; }
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle s);
  TEditCharCase CharCase() const { return charCase_; }
  void SetCharCase(TEditCharCase c);
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int n);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v);
  bool HideSelection() const { return hideSelection_; }
  void SetHideSelection(bool v) { hideSelection_ = v; }
  bool Modified() const;
  void SetModified(bool v);

  // Selection in characters (UTF-16 units), 0-based.
  int SelStart() const;
  void SetSelStart(int v);
  int SelLength() const;
  void SetSelLength(int v);
  std::string SelText() const;
  void SetSelText(const std::string& v);
  void SelectAll();
  void ClearSelection();
  void Clear() { SetText(""); }
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  bool CanUndo() const;
  void Undo();

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void InitializeWnd() override;
  void WndProc(TMessage& message) override;
  void DoEnter() override;
  virtual void Change();

 private:
  bool autoSelect_ = true;
  TBorderStyle borderStyle_ = bsSingleBorder;
  TEditCharCase charCase_ = ecNormal;
  int maxLength_ = 0;
  bool readOnly_ = false;
  bool hideSelection_ = true;
  bool clicking_ = false;
};

class TEdit : public TCustomEdit {
 public:
  explicit TEdit(TComponent* owner);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
};
