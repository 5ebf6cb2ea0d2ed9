#include "platform/forms/list_view.h"

#include "platform/forms/win/std_controls.h"
#include "platform/rtl/strings.h"
#include "platform/user/message_loop.h"
#include "platform/user/window.h"

const TEnumInfo& ViewStyleEnumInfo() {
  static const TEnumInfo e{"TViewStyle", {"vsIcon", "vsSmallIcon", "vsList", "vsReport"}};
  return e;
}

const TClassInfo& TListColumn::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TListColumn>("TListColumn", &TCollectionItem::StaticClassInfo())
                                     .Prop("Caption", &TListColumn::Caption, &TListColumn::SetCaption)
                                     .Prop("Width", &TListColumn::Width, &TListColumn::SetWidth, {.Default = 50})
                                     .Build();
  return info;
}

void TListColumn::Touched() {
  if (Collection() && Collection()->OnChange) Collection()->OnChange();
}

void TListColumn::SetCaption(const std::string& v) {
  caption_ = v;
  Touched();
}

void TListColumn::SetWidth(int v) {
  width_ = v;
  Touched();
}

const TClassInfo& TListView::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TListView>("TListView", &TWinControl::StaticClassInfo())
          .Prop("Columns", &TListView::Columns, &TListView::SetColumns)
          .Prop("ViewStyle", &TListView::ViewStyle, &TListView::SetViewStyle,
                {.Enum = &ViewStyleEnumInfo(), .Default = vsIcon})
          .Creator([](TComponent* o) { return new TListView(o); })
          .Build();
  return info;
}

TListView::TListView(TComponent* owner)
    : TWinControl(owner), columns_([](TCollection* c) { return std::make_unique<TListColumn>(c); }) {
  width_ = 250;
  height_ = 150;
  color_ = clWindow;
  SetTabStop(true);
  columns_.OnChange = [this] { PushColumns(); };
}

void TListView::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.WinClassName = WC_LISTVIEW;
  p.SystemClass = true;
  static const DWORD kStyles[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
  p.Style |= kStyles[viewStyle_] | LVS_SINGLESEL | LVS_SHOWSELALWAYS;
  p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TListView::PushColumns() {
  HWND h = HandleIfAllocated();
  if (!h) return;
  while (SendMessageW(h, LVM_DELETECOLUMN, 0, 0)) {
  }
  for (int i = 0; i < columns_.Count(); ++i) {
    const auto* c = static_cast<TListColumn*>(columns_.Items(i));
    std::u16string text = Utf8ToWide(c->Caption());
    LVCOLUMNW col;
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.cx = c->Width();
    col.pszText = text.data();
    SendMessageW(h, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&col));
  }
}

void TListView::PushItem(int index) {
  HWND h = HandleIfAllocated();
  if (!h) return;
  const auto& texts = items_[size_t(index)];
  for (size_t k = 0; k < texts.size(); ++k) {
    std::u16string w = Utf8ToWide(texts[k]);
    LVITEMW it;
    it.mask = LVIF_TEXT;
    it.iItem = index;
    it.iSubItem = static_cast<int>(k);
    it.pszText = w.data();
    if (k == 0)
      SendMessageW(h, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&it));
    else
      SendMessageW(h, LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&it));
  }
}

void TListView::InitializeWnd() {
  PushColumns();
  for (int i = 0; i < ItemCount(); ++i) PushItem(i);
  if (itemIndex_ >= 0) SetItemIndex(itemIndex_);
}

void TListView::SaveWndState() { itemIndex_ = ItemIndex(); }

void TListView::SetColumns(TCollection* c) {
  if (c && c != &columns_) columns_.Assign(*c);
}

void TListView::SetViewStyle(TViewStyle v) {
  if (v == viewStyle_) return;
  viewStyle_ = v;
  RecreateWnd();
}

int TListView::AddItem(const std::string& caption, const std::vector<std::string>& subItems) {
  std::vector<std::string> texts{caption};
  texts.insert(texts.end(), subItems.begin(), subItems.end());
  items_.push_back(std::move(texts));
  PushItem(ItemCount() - 1);
  return ItemCount() - 1;
}

void TListView::ClearItems() {
  items_.clear();
  itemIndex_ = -1;
  if (HWND h = HandleIfAllocated()) SendMessageW(h, LVM_DELETEALLITEMS, 0, 0);
}

int TListView::ItemIndex() const {
  HWND h = HandleIfAllocated();
  if (!h) return itemIndex_;
  return static_cast<int>(SendMessageW(h, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void TListView::SetItemIndex(int index) {
  itemIndex_ = index;
  HWND h = HandleIfAllocated();
  if (!h) return;
  LVITEMW it;
  it.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  it.state = 0;
  SendMessageW(h, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&it));
  if (index < 0) return;
  it.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(h, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&it));
  SendMessageW(h, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), 0);
}

int TListView::TopIndex() const {
  HWND h = HandleIfAllocated();
  return h ? static_cast<int>(SendMessageW(h, LVM_GETTOPINDEX, 0, 0)) : 0;
}
