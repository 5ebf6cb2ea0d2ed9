// TSkinStore: several packed skins kept in a form description as a named collection, so that
// a program can carry alternative skins. Nothing reads them at run time; they stream in and out
// faithfully.
#pragma once

#include <string>

#include "platform/forms/classes.h"
#include "platform/rtl/streams.h"

class TSkinCollectionItem : public TCollectionItem {
 public:
  explicit TSkinCollectionItem(TCollection* collection);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  const std::string& Name() const { return name_; }
  // Raises Exception "The name <name> is already used." when another item has it.
  void SetName(const std::string& name);
  std::string SkinData() const { return "Load Skin"; }
  void SetSkinData(const std::string&) {}  // writes are ignored
  int DataSize() const { return static_cast<int>(data_.View().size()); }
  TMemoryStream& Data() { return data_; }
  std::string GetDisplayName() const { return name_; }

  void Assign(const TPersistent& source) override;
  void DefineProperties(TFiler& filer) override;

 private:
  std::string name_;
  TMemoryStream data_;  // the packed skin
};

class TSkinCollection : public TOwnedCollection {
 public:
  explicit TSkinCollection(TPersistent* owner);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
  TSkinCollectionItem* Item(int index) const { return static_cast<TSkinCollectionItem*>(Items(index)); }
};

class TSkinStore : public TComponent {
 public:
  explicit TSkinStore(TComponent* owner);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
  TSkinCollection* Store() const { return &store_; }
  void SetStore(TSkinCollection* value);

 private:
  mutable TSkinCollection store_;
};
