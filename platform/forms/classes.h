// The class library's object model: TObject, TPersistent, TComponent (owner, name, tag,
// owned components, loading state, free notifications) and TCollection.
//
// Components are created with CreateComponent<T>(owner), which runs the class's
// AfterConstruction step (forms read their description there), and released with Free(),
// which runs BeforeDestruction first. An owner frees the components it owns, the last
// first, when it is freed itself.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/forms/foreign_classes.h"
#include "platform/forms/rtti.h"
#include "platform/rtl/exceptions.h"

class TFiler;

class EComponentError : public Exception { using Exception::Exception; };
class EClassNotFound : public Exception { using Exception::Exception; };
class EFilerError : public Exception { using Exception::Exception; };

class TObject {
 public:
  TObject() = default;
  virtual ~TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;

  static const TClassInfo& StaticClassInfo();
  virtual const TClassInfo& ClassInfo() const { return StaticClassInfo(); }
  const std::string& ClassName() const { return ClassInfo().Name; }
  bool InheritsFrom(const TClassInfo& c) const { return ClassInfo().InheritsFrom(c); }
};

class TPersistent : public TObject {
 public:
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
  // Properties stored in form descriptions besides the published ones.
  virtual void DefineProperties(TFiler& filer) {}
  // Copies another object's state; the default raises EConvertError "Cannot assign a <source
  // class> to a <target class>".
  virtual void Assign(const TPersistent& source);
};

enum TOperation { opInsert, opRemove };

// TComponentState flags.
inline constexpr int csLoading = 0x001, csReading = 0x002, csWriting = 0x004, csDestroying = 0x008,
                     csDesigning = 0x010, csAncestor = 0x020, csUpdating = 0x040, csFixups = 0x080,
                     csFreeNotification = 0x100, csInline = 0x200, csDesignInstance = 0x400;
using TComponentState = int;

class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;

  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  // Runs BeforeDestruction and destroys the component (removing it from its owner).
  void Free();

  TComponent* Owner() const { return owner_; }
  const std::string& Name() const { return name_; }
  // Raises EComponentError for a name that is not an identifier ("A component named X
  // already exists" / "'X' is not a valid component name").
  virtual void SetName(const std::string& name);
  std::intptr_t Tag() const { return tag_; }
  void SetTag(std::intptr_t tag) { tag_ = tag; }

  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const;
  int ComponentIndex() const;
  // The owned component of that name (case-insensitive), or nullptr.
  TComponent* FindComponent(std::string_view name) const;
  void InsertComponent(TComponent* c);
  void RemoveComponent(TComponent* c);
  // Frees every owned component, the last first.
  void DestroyComponents();

  TComponentState ComponentState() const { return state_; }
  bool IsLoading() const { return (state_ & csLoading) != 0; }
  bool IsDesigning() const { return (state_ & csDesigning) != 0; }
  bool IsDestroying() const { return (state_ & csDestroying) != 0; }
  void SetDesigning(bool value, bool includeOwned = true);

  // `other` is told (Notification with opRemove) when this component goes away.
  void FreeNotification(TComponent* other);
  void RemoveFreeNotification(TComponent* other);

  // Creation steps around the constructor: AfterConstruction runs once the object is
  // complete, BeforeDestruction while it still is.
  virtual void AfterConstruction() {}
  virtual void BeforeDestruction();
  // Called once the form description that created the component has been read completely.
  virtual void Loaded();
  virtual void Notification(TComponent* component, TOperation operation);
  // Set by the reader for components read inside another (controls get their parent).
  virtual void SetParentComponent(TComponent* parent) {}
  virtual TComponent* GetParentComponent() const { return nullptr; }
  virtual bool HasParent() const { return false; }
  // The components written inside this one in a form description.
  virtual void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root);

  // Non-visual components keep a design position ("Left" and "Top" in form descriptions).
  void DefineProperties(TFiler& filer) override;
  int DesignLeft() const { return designLeft_; }
  int DesignTop() const { return designTop_; }

  // Used by the reader and writer.
  void SetComponentState(TComponentState add, TComponentState remove);

 protected:
  // Subclasses that need the destroying state before their own destructor body.
  void Destroying();

 private:
  friend class TReader;
  void ValidateRename(const std::string& newName) const;

  TComponent* owner_ = nullptr;
  std::string name_;
  std::intptr_t tag_ = 0;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> freeNotifies_;
  TComponentState state_ = 0;
  int designLeft_ = 0;
  int designTop_ = 0;
  bool beforeDestructionDone_ = false;
};

// Completes a new component (AfterConstruction); if that raises, the component is destroyed
// and the error passes on.
void CompleteConstruction(TComponent* component);
// Creates a component and completes it.
template <class T>
T* CreateComponent(TComponent* owner) {
  T* c = new T(owner);
  CompleteConstruction(c);
  return c;
}
// Creates a component by class information (the form reader's way).
TComponent* CreateComponentOf(const TClassInfo& info, TComponent* owner);

// Frees a component held by unique_ptr.
struct TComponentFree {
  void operator()(TComponent* c) const {
    if (c) c->Free();
  }
};
template <class T>
using TComponentPtr = std::unique_ptr<T, TComponentFree>;

// Identifiers as component names accept: a letter or "_" followed by letters, digits, "_".
bool IsValidIdent(std::string_view name);

// ---- Collections ----

class TCollection;

class TCollectionItem : public TPersistent {
 public:
  explicit TCollectionItem(TCollection* collection);
  ~TCollectionItem() override;
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
  TCollection* Collection() const { return collection_; }
  int Index() const;
  void SetIndex(int index);
  // A number unique in the collection, given when the item is made (0 for the first item a
  // collection ever makes; emptying the collection does not start over).
  int ID() const { return id_; }

 private:
  friend class TCollection;
  TCollection* collection_ = nullptr;
  int id_ = 0;
};

// Items of one class, owned by the collection; the form reader fills collection properties
// from their "<item ... end>" lists.
class TCollection : public TPersistent {
 public:
  using TItemFactory = std::function<std::unique_ptr<TCollectionItem>(TCollection*)>;
  explicit TCollection(TItemFactory factory);
  ~TCollection() override;
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  int Count() const { return static_cast<int>(items_.size()); }
  TCollectionItem* Items(int index) const;
  TCollectionItem* Add();
  void Delete(int index);
  void Clear();
  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();
  void Assign(const TPersistent& source) override;
  std::function<void()> OnChange;

 private:
  friend class TCollectionItem;
  void Changed();
  TItemFactory factory_;
  std::vector<std::unique_ptr<TCollectionItem>> items_;
  int updateCount_ = 0;
  int nextId_ = 0;
};

// A collection that knows the object it belongs to.
class TOwnedCollection : public TCollection {
 public:
  TOwnedCollection(TPersistent* owner, TItemFactory factory) : TCollection(std::move(factory)), owner_(owner) {}
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
  TPersistent* Owner() const { return owner_; }

 private:
  TPersistent* owner_ = nullptr;
};

template <class T>
T* GetObjectPropAs(const TObjectRef& obj, std::string_view name) {
  TObjectRef v = GetObjectProp(obj, name);
  if (!v) return nullptr;
  if constexpr (std::is_base_of_v<TObject, T>) {
    return dynamic_cast<T*>(v.AsTObject());
  } else {
    return v.Class->InheritsFrom(TClassInfoOf<T>::Get()) ? static_cast<T*>(v.Ptr) : nullptr;
  }
}
