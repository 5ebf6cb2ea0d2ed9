#include "platform/forms/classes.h"

#include <algorithm>

#include "platform/forms/filer.h"
#include "platform/rtl/strings.h"

// ---- TObject, TPersistent ----

const TClassInfo& TObject::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TObject>("TObject", nullptr).Build();
  return info;
}

const TClassInfo& TPersistent::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TPersistent>("TPersistent", &TObject::StaticClassInfo()).Build();
  return info;
}

void TPersistent::Assign(const TPersistent& source) {
  throw EConvertError("Cannot assign a " + source.ClassName() + " to a " + ClassName());
}

// ---- TComponent ----

const TClassInfo& TComponent::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TComponent>("TComponent", &TPersistent::StaticClassInfo())
          .PropFn<std::string>("Name", [](TComponent& c) { return c.Name(); },
                               [](TComponent& c, std::string v) { c.SetName(v); })
          .PropFn<int64_t>("Tag", [](TComponent& c) { return static_cast<int64_t>(c.Tag()); },
                           [](TComponent& c, int64_t v) { c.SetTag(static_cast<std::intptr_t>(v)); },
                           {.Default = 0})
          .Build();
  return info;
}

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  // Tell everyone who asked; they drop their references (and may ask to be removed again).
  while (!freeNotifies_.empty()) {
    TComponent* other = freeNotifies_.back();
    freeNotifies_.pop_back();
    other->RemoveFreeNotification(this);
    other->Notification(this, opRemove);
  }
  DestroyComponents();
  if (owner_) owner_->RemoveComponent(this);
}

void TComponent::Free() {
  if (!beforeDestructionDone_) {
    beforeDestructionDone_ = true;
    BeforeDestruction();
  }
  delete this;
}

void TComponent::BeforeDestruction() { Destroying(); }

void TComponent::Destroying() {
  if (state_ & csDestroying) return;
  state_ |= csDestroying;
  for (TComponent* c : components_) c->Destroying();
}

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  return components_[static_cast<size_t>(index)];
}

int TComponent::ComponentIndex() const {
  if (!owner_) return -1;
  auto& list = owner_->components_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : components_)
    if (SameTextAscii(c->name_, name)) return c;
  return nullptr;
}

void TComponent::ValidateRename(const std::string& newName) const {
  if (!owner_ || newName.empty() || SameTextAscii(newName, name_)) return;
  if (owner_->FindComponent(newName)) throw EComponentError("A component named " + newName + " already exists");
}

void TComponent::SetName(const std::string& name) {
  if (name == name_) return;
  if (!name.empty() && !IsValidIdent(name))
    throw EComponentError("'" + name + "' is not a valid component name");
  ValidateRename(name);
  name_ = name;
}

void TComponent::InsertComponent(TComponent* c) {
  if (!c || c->owner_ == this) return;
  if (!c->name_.empty() && FindComponent(c->name_))
    throw EComponentError("A component named " + c->name_ + " already exists");
  if (c->owner_) c->owner_->RemoveComponent(c);
  components_.push_back(c);
  c->owner_ = this;
  if (state_ & csDesigning) c->SetDesigning(true);
  Notification(c, opInsert);
}

void TComponent::RemoveComponent(TComponent* c) {
  auto it = std::find(components_.begin(), components_.end(), c);
  if (it == components_.end()) return;
  Notification(c, opRemove);
  // Notification may have changed the list.
  it = std::find(components_.begin(), components_.end(), c);
  if (it != components_.end()) components_.erase(it);
  c->owner_ = nullptr;
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    TComponent* c = components_.back();
    RemoveComponent(c);
    c->Free();
  }
}

void TComponent::SetDesigning(bool value, bool includeOwned) {
  if (value) {
    state_ |= csDesigning;
  } else {
    state_ &= ~csDesigning;
  }
  if (includeOwned)
    for (TComponent* c : components_) c->SetDesigning(value);
}

void TComponent::SetComponentState(TComponentState add, TComponentState remove) {
  state_ = (state_ | add) & ~remove;
}

void TComponent::FreeNotification(TComponent* other) {
  if (!other || other == this) return;
  if (std::find(freeNotifies_.begin(), freeNotifies_.end(), other) == freeNotifies_.end()) {
    freeNotifies_.push_back(other);
    other->FreeNotification(this);  // both directions, so neither keeps a stale pointer
  }
}

void TComponent::RemoveFreeNotification(TComponent* other) {
  auto it = std::find(freeNotifies_.begin(), freeNotifies_.end(), other);
  if (it != freeNotifies_.end()) {
    freeNotifies_.erase(it);
    other->RemoveFreeNotification(this);
  }
}

void TComponent::Loaded() { state_ &= ~csLoading; }

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component)
    for (TComponent* c : components_) c->Notification(component, operation);
}

void TComponent::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) {}

void TComponent::DefineProperties(TFiler& filer) {
  // Only components that are not controls keep a design position of their own; controls
  // publish Left and Top as properties, which the reader finds first.
  filer.DefineProperty(
      "Left", [this](TReader& r) { designLeft_ = static_cast<int>(r.ReadInteger()); },
      [this](TWriter& w) { w.WriteInteger(designLeft_); }, designLeft_ != 0 || designTop_ != 0);
  filer.DefineProperty(
      "Top", [this](TReader& r) { designTop_ = static_cast<int>(r.ReadInteger()); },
      [this](TWriter& w) { w.WriteInteger(designTop_); }, designLeft_ != 0 || designTop_ != 0);
}

TComponent* CreateComponentOf(const TClassInfo& info, TComponent* owner) {
  if (!info.Create) throw EClassNotFound("Class " + info.Name + " cannot be created");
  TComponent* c = info.Create(owner);
  CompleteConstruction(c);
  return c;
}

void CompleteConstruction(TComponent* component) {
  try {
    component->AfterConstruction();
  } catch (...) {
    component->Free();
    throw;
  }
}

bool IsValidIdent(std::string_view name) {
  if (name.empty()) return false;
  auto alpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
  if (!alpha(name[0])) return false;
  for (char c : name)
    if (!alpha(c) && !(c >= '0' && c <= '9')) return false;
  return true;
}

// ---- Collections ----

const TClassInfo& TCollectionItem::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TCollectionItem>("TCollectionItem", &TPersistent::StaticClassInfo()).Build();
  return info;
}

TCollectionItem::TCollectionItem(TCollection* collection) : collection_(collection) {
  if (collection_) id_ = collection_->nextId_++;
}

TCollectionItem::~TCollectionItem() = default;

int TCollectionItem::Index() const {
  if (!collection_) return -1;
  for (int i = 0; i < collection_->Count(); ++i)
    if (collection_->items_[static_cast<size_t>(i)].get() == this) return i;
  return -1;
}

void TCollectionItem::SetIndex(int index) {
  int cur = Index();
  if (cur < 0 || index == cur) return;
  auto& items = collection_->items_;
  index = std::clamp(index, 0, static_cast<int>(items.size()) - 1);
  auto item = std::move(items[static_cast<size_t>(cur)]);
  items.erase(items.begin() + cur);
  items.insert(items.begin() + index, std::move(item));
  collection_->Changed();
}

const TClassInfo& TCollection::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TCollection>("TCollection", &TPersistent::StaticClassInfo()).Build();
  return info;
}

TCollection::TCollection(TItemFactory factory) : factory_(std::move(factory)) {}

const TClassInfo& TOwnedCollection::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TOwnedCollection>("TOwnedCollection", &TCollection::StaticClassInfo()).Build();
  return info;
}

TCollection::~TCollection() = default;

TCollectionItem* TCollection::Items(int index) const {
  if (index < 0 || index >= Count()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  return items_[static_cast<size_t>(index)].get();
}

TCollectionItem* TCollection::Add() {
  items_.push_back(factory_ ? factory_(this) : std::make_unique<TCollectionItem>(this));
  Changed();
  return items_.back().get();
}

void TCollection::Delete(int index) {
  Items(index);
  items_.erase(items_.begin() + index);
  Changed();
}

void TCollection::Clear() {
  if (items_.empty()) return;
  items_.clear();
  Changed();
}

void TCollection::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) Changed();
}

void TCollection::Changed() {
  if (updateCount_ == 0 && OnChange) OnChange();
}

void TCollection::Assign(const TPersistent& source) {
  auto* other = dynamic_cast<const TCollection*>(&source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  BeginUpdate();
  Clear();
  for (const auto& item : other->items_) {
    TCollectionItem* mine = Add();
    mine->Assign(*item);
  }
  EndUpdate();
}
