// List views (TListView over "SysListView32") in report and list styles: the columns (a
// collection of captions and widths, read from form descriptions) and the items, each a caption
// with its sub-items, kept by the control so that a new window gets them again.
#pragma once

#include <string>
#include <vector>

#include "platform/forms/classes.h"
#include "platform/forms/controls.h"

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
const TEnumInfo& ViewStyleEnumInfo();

class TListColumn : public TCollectionItem {
 public:
  explicit TListColumn(TCollection* collection) : TCollectionItem(collection) {}
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& v);
  int Width() const { return width_; }
  void SetWidth(int v);

 private:
  void Touched();
  std::string caption_;
  int width_ = 50;
};

class TListView : public TWinControl {
 public:
  explicit TListView(TComponent* owner);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  TCollection* Columns() const { return &columns_; }
  void SetColumns(TCollection* c);
  TViewStyle ViewStyle() const { return viewStyle_; }
  void SetViewStyle(TViewStyle v);
  // Appends an item; its index.
  int AddItem(const std::string& caption, const std::vector<std::string>& subItems = {});
  int ItemCount() const { return static_cast<int>(items_.size()); }
  void ClearItems();
  int ItemIndex() const;
  void SetItemIndex(int index);
  int TopIndex() const;

 protected:
  void CreateParams(TCreateParams& params) override;
  void InitializeWnd() override;
  void SaveWndState() override;

 private:
  void PushColumns();
  void PushItem(int index);
  mutable TCollection columns_;
  std::vector<std::vector<std::string>> items_;
  TViewStyle viewStyle_ = vsIcon;
  int itemIndex_ = -1;
};
