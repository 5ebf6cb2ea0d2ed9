#include "skin/skin_store.h"

#include "platform/forms/filer.h"

const TClassInfo& TSkinCollectionItem::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TSkinCollectionItem>("TSkinCollectionItem", &TCollectionItem::StaticClassInfo())
          .Prop("Name", &TSkinCollectionItem::Name, &TSkinCollectionItem::SetName)
          .Prop("SkinData", &TSkinCollectionItem::SkinData, &TSkinCollectionItem::SetSkinData, {.Stored = false})
          .Prop("DataSize", &TSkinCollectionItem::DataSize)
          .Build();
  return info;
}

TSkinCollectionItem::TSkinCollectionItem(TCollection* collection)
    : TCollectionItem(collection), name_("SkinItem" + std::to_string(ID())) {}

void TSkinCollectionItem::SetName(const std::string& name) {
  if (name == name_) return;
  if (TCollection* c = Collection()) {
    for (int i = 0; i < c->Count(); ++i) {
      auto* other = dynamic_cast<TSkinCollectionItem*>(c->Items(i));
      if (other && other != this && other->name_ == name) throw Exception("The name " + name + " is already used.");
    }
  }
  name_ = name;
}

void TSkinCollectionItem::Assign(const TPersistent& source) {
  auto* other = dynamic_cast<const TSkinCollectionItem*>(&source);
  if (!other) {
    TCollectionItem::Assign(source);
    return;
  }
  name_ = other->name_;
  data_.Clear();
  std::string_view bytes = other->data_.View();
  if (!bytes.empty()) data_.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

void TSkinCollectionItem::DefineProperties(TFiler& filer) {
  TCollectionItem::DefineProperties(filer);
  filer.DefineBinaryProperty(
      "DataStream",
      [this](TStream& s) {
        data_.Clear();
        s.SetPosition(0);
        data_.CopyFrom(s, 0);
      },
      [this](TStream& s) {
        data_.SetPosition(0);
        std::string_view bytes = data_.View();
        if (!bytes.empty()) s.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
      },
      true);
}

TSkinCollection::TSkinCollection(TPersistent* owner)
    : TOwnedCollection(owner, [](TCollection* c) { return std::make_unique<TSkinCollectionItem>(c); }) {}

const TClassInfo& TSkinCollection::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TSkinCollection>("TSkinCollection", &TOwnedCollection::StaticClassInfo()).Build();
  return info;
}

const TClassInfo& TSkinStore::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TSkinStore>("TSkinStore", &TComponent::StaticClassInfo())
                                     .Prop("Store", &TSkinStore::Store, &TSkinStore::SetStore)
                                     .Creator([](TComponent* o) { return new TSkinStore(o); })
                                     .Build();
  return info;
}

TSkinStore::TSkinStore(TComponent* owner) : TComponent(owner), store_(this) {}

void TSkinStore::SetStore(TSkinCollection* value) {
  if (value && value != &store_) store_.Assign(*value);
}
