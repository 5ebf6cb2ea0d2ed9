// Published properties, methods and fields: the run-time type information through which form
// descriptions are read and written and through which code that does not know a control's
// class reads and writes its properties by name (as the skinning engine does).
//
// Every class that takes part registers one TClassInfo (with TClassBuilder) naming its parent
// class, its published properties with their kinds and accessors, the event-handler methods it
// publishes and the component fields that the form reader fills in by name. Classes derived
// from TObject are passed around as TObject*; a few classes of other layers (TFont, TStrings)
// have class information of their own and are passed as pointers to themselves. TObjectRef
// carries an object together with the class information that describes it.
#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeindex>
#include <utility>
#include <vector>

class TObject;
class TComponent;
class TFiler;

enum class TTypeKind { tkUnknown, tkInteger, tkEnumeration, tkSet, tkFloat, tkString, tkWString, tkClass, tkMethod };

// An enumeration's identifiers by ordinal. Sets store element i as bit i.
struct TEnumInfo {
  std::string Name;
  std::vector<std::string> Values;
  // Case-insensitive; -1 when absent.
  int IndexOf(std::string_view ident) const;
  std::string NameOf(int64_t ordinal) const;  // the decimal number when out of range
};
const TEnumInfo& BooleanEnumInfo();

// Names for values of integer properties (colours, cursors, character sets).
struct TIdentMap {
  std::vector<std::pair<std::string, int64_t>> Entries;
  bool IdentToInt(std::string_view ident, int64_t& value) const;
  bool IntToIdent(int64_t value, std::string& ident) const;
};

struct TClassInfo;

struct TPropInfo {
  std::string Name;
  TTypeKind Kind = TTypeKind::tkUnknown;
  const TEnumInfo* Enum = nullptr;     // tkEnumeration, tkSet (element type)
  const TIdentMap* Idents = nullptr;   // tkInteger with named values
  // tkClass: the declared class of the value (looked up when asked, so that a class can have
  // properties of its own class).
  const TClassInfo& (*ClassFn)() = nullptr;
  const TClassInfo* Class() const { return ClassFn ? &ClassFn() : nullptr; }
  std::type_index MethodType = typeid(void);  // tkMethod: std::function<signature>
  std::optional<int64_t> Default;      // ordinal kinds: not written when equal
  bool Stored = true;
  std::function<bool(void*)> IsStored;  // when set, whether this object's value is written

  // Accessors on an object passed as described in the header comment. Absent setters make the
  // property read-only.
  std::function<int64_t(void*)> GetOrd;
  std::function<void(void*, int64_t)> SetOrd;
  std::function<double(void*)> GetFloat;
  std::function<void(void*, double)> SetFloat;
  std::function<std::string(void*)> GetStr;               // tkString: UTF-8
  std::function<void(void*, const std::string&)> SetStr;
  std::function<std::u16string(void*)> GetWStr;           // tkWString
  std::function<void(void*, const std::u16string&)> SetWStr;
  std::function<void*(void*)> GetObj;                     // tkClass: the object as passed around
  std::function<void(void*, void*)> SetObj;
  std::function<std::any(void*)> GetMethod;               // tkMethod: holds a std::function
  std::function<void(void*, const std::any&)> SetMethod;

  bool Writable() const;
};

// A published method (an event handler of a form class): Bind makes the handler bound to an
// instance, as a std::any holding the std::function of type Type.
struct TMethodEntry {
  std::string Name;
  std::type_index Type = typeid(void);
  std::function<std::any(void*)> Bind;
};

// A published component field of a form class, set by name when the form is read.
struct TFieldEntry {
  std::string Name;
  std::function<bool(void*, TComponent*)> Set;  // false when the component has the wrong class
};

struct TClassInfo {
  std::string Name;
  const TClassInfo* Parent = nullptr;
  bool DerivesFromTObject = true;
  std::vector<TPropInfo> Props;
  std::vector<TMethodEntry> Methods;
  std::vector<TFieldEntry> Fields;
  // Components: creates an instance with an owner (the class library's virtual constructor);
  // the caller completes it with AfterConstruction.
  std::function<TComponent*(TComponent*)> Create;
  // Classes outside TObject: their DefineProperties (objects of TObject classes use theirs).
  std::function<void(void*, TFiler&)> DefineProperties;

  bool InheritsFrom(const TClassInfo& other) const;
  bool InheritsFrom(std::string_view className) const;
  // Searched from this class up to the root; names compare case-insensitively.
  const TPropInfo* FindProp(std::string_view name) const;
  const TMethodEntry* FindMethod(std::string_view name) const;
  const TFieldEntry* FindField(std::string_view name) const;
  // All published properties, the root class's first.
  std::vector<const TPropInfo*> AllProps() const;
};

// Class information for classes that keep it elsewhere (TFont, TStrings): specialised below.
template <class T>
struct TClassInfoOf {
  static const TClassInfo& Get() { return T::StaticClassInfo(); }
};

// An object with the class information that describes it.
struct TObjectRef {
  void* Ptr = nullptr;
  const TClassInfo* Class = nullptr;
  TObjectRef() = default;
  TObjectRef(void* p, const TClassInfo* c) : Ptr(p), Class(c) {}
  TObjectRef(TObject* o);  // NOLINT: the class comes from the object itself
  explicit operator bool() const { return Ptr != nullptr && Class != nullptr; }
  // The TObject behind the reference, or nullptr for objects of other classes.
  TObject* AsTObject() const;
};
// A reference to an object of a class with static class information.
template <class T>
TObjectRef MakeObjectRef(T* p) {
  if constexpr (std::is_base_of_v<TObject, T>) {
    return TObjectRef(static_cast<TObject*>(p));
  } else {
    return TObjectRef(static_cast<void*>(p), p ? &TClassInfoOf<T>::Get() : nullptr);
  }
}

// ---- Access by name (tolerant: a null object or a missing property gives a default) ----

const TPropInfo* GetPropInfo(const TObjectRef& obj, std::string_view name);
bool IsPublishedProp(const TObjectRef& obj, std::string_view name);
TTypeKind PropType(const TObjectRef& obj, std::string_view name);
// Ordinal kinds (integer, enumeration, set); -1 when missing or not ordinal.
int64_t GetOrdProp(const TObjectRef& obj, std::string_view name);
bool SetOrdProp(const TObjectRef& obj, std::string_view name, int64_t value);
// String kinds (UTF-8 for both); empty when missing.
std::string GetStrProp(const TObjectRef& obj, std::string_view name);
bool SetStrProp(const TObjectRef& obj, std::string_view name, const std::string& value);
std::u16string GetWideStrProp(const TObjectRef& obj, std::string_view name);
bool SetWideStrProp(const TObjectRef& obj, std::string_view name, const std::u16string& value);
// The object of a class property; empty when missing.
TObjectRef GetObjectProp(const TObjectRef& obj, std::string_view name);
// The object when it is of class T (or derived from it), else nullptr.
template <class T>
T* GetObjectPropAs(const TObjectRef& obj, std::string_view name);
// Enumeration by identifier.
std::string GetEnumProp(const TObjectRef& obj, std::string_view name);
bool SetEnumProp(const TObjectRef& obj, std::string_view name, std::string_view ident);
// The value as text: integers in decimal (or their identifier), enumerations by identifier,
// sets as "[a,b]", strings as they are, floats in the shortest form, objects by class name;
// empty when missing.
std::string GetPropValue(const TObjectRef& obj, std::string_view name);
// Sets from text: enumeration by identifier, integer from decimal text (or an identifier of
// its map), sets from "[a,b]", strings as given, floats from decimal text; other kinds ignored.
// False when the property is missing or the text does not fit.
bool SetPropValue(const TObjectRef& obj, std::string_view name, std::string_view value);

// Set text and bits.
std::string SetToString(const TEnumInfo& info, int64_t bits);
bool StringToSet(const TEnumInfo& info, std::string_view text, int64_t& bits);

// ---- Building class information ----

struct TPropOptions {
  const TEnumInfo* Enum = nullptr;
  const TIdentMap* Idents = nullptr;
  bool IsSet = false;
  std::optional<int64_t> Default{};
  bool Stored = true;
};

template <class T>
class TClassBuilder {
 public:
  TClassBuilder(std::string name, const TClassInfo* parent) {
    info_.Name = std::move(name);
    info_.Parent = parent;
    info_.DerivesFromTObject = std::is_base_of_v<TObject, T>;
  }

  // A property with a getter and a setter on T or one of its bases.
  template <class C, class R, class A>
  TClassBuilder& Prop(const char* name, R (C::*get)() const, void (C::*set)(A), TPropOptions opts = {}) {
    using V = std::remove_cvref_t<R>;
    return Add<V>(name, [get](void* p) -> V { return (Self<C>(p).*get)(); },
                  [set](void* p, V v) { (Self<C>(p).*set)(std::move(v)); }, opts);
  }
  // A read-only property.
  template <class C, class R>
  TClassBuilder& Prop(const char* name, R (C::*get)() const, TPropOptions opts = {}) {
    using V = std::remove_cvref_t<R>;
    return Add<V>(name, [get](void* p) -> V { return (Self<C>(p).*get)(); }, nullptr, opts);
  }
  // A property given by two functions on T.
  template <class V>
  TClassBuilder& PropFn(const char* name, std::function<V(T&)> get, std::function<void(T&, V)> set,
                        TPropOptions opts = {}) {
    return Add<V>(name, [get](void* p) -> V { return get(Self<T>(p)); },
                  set ? std::function<void(void*, V)>([set](void* p, V v) { set(Self<T>(p), std::move(v)); })
                      : std::function<void(void*, V)>(),
                  opts);
  }
  // An event: a public std::function member of T or one of its bases.
  template <class C, class Sig>
  TClassBuilder& Event(const char* name, std::function<Sig> C::*member) {
    TPropInfo p;
    p.Name = name;
    p.Kind = TTypeKind::tkMethod;
    p.MethodType = typeid(std::function<Sig>);
    p.GetMethod = [member](void* o) { return std::any(Self<C>(o).*member); };
    p.SetMethod = [member](void* o, const std::any& v) {
      Self<C>(o).*member = v.has_value() ? std::any_cast<std::function<Sig>>(v) : std::function<Sig>();
    };
    info_.Props.push_back(std::move(p));
    return *this;
  }
  // A published method usable as an event handler of the matching signature.
  template <class... Args>
  TClassBuilder& Method(const char* name, void (T::*method)(Args...)) {
    TMethodEntry m;
    m.Name = name;
    m.Type = typeid(std::function<void(Args...)>);
    m.Bind = [method](void* o) {
      T* self = &Self<T>(o);
      return std::any(std::function<void(Args...)>([self, method](Args... a) { (self->*method)(a...); }));
    };
    info_.Methods.push_back(std::move(m));
    return *this;
  }
  // A published component field, filled in by name when a form description is read.
  template <class F>
  TClassBuilder& Field(const char* name, F* T::*member) {
    TFieldEntry f;
    f.Name = name;
    f.Set = [member](void* o, TComponent* c) {
      F* typed = dynamic_cast<F*>(c);
      if (c && !typed) return false;
      Self<T>(o).*member = typed;
      return true;
    };
    info_.Fields.push_back(std::move(f));
    return *this;
  }
  // The property added last is written only for objects whose `stored` answers true.
  template <class C>
  TClassBuilder& StoredIf(bool (C::*stored)() const) {
    if (!info_.Props.empty()) info_.Props.back().IsStored = [stored](void* p) { return (Self<C>(p).*stored)(); };
    return *this;
  }
  TClassBuilder& Creator(std::function<TComponent*(TComponent*)> create) {
    info_.Create = std::move(create);
    return *this;
  }
  TClassBuilder& Define(std::function<void(T&, TFiler&)> define) {
    info_.DefineProperties = [define](void* p, TFiler& f) { define(Self<T>(p), f); };
    return *this;
  }
  TClassInfo Build() { return std::move(info_); }

 private:
  template <class C>
  static C& Self(void* p) {
    if constexpr (std::is_base_of_v<TObject, T>) {
      return *static_cast<C*>(static_cast<T*>(static_cast<TObject*>(p)));
    } else {
      return *static_cast<C*>(static_cast<T*>(p));
    }
  }

  template <class V>
  TClassBuilder& Add(const char* name, std::function<V(void*)> get, std::function<void(void*, V)> set,
                     const TPropOptions& opts) {
    TPropInfo p;
    p.Name = name;
    p.Default = opts.Default;
    p.Stored = opts.Stored;
    p.Idents = opts.Idents;
    if constexpr (std::is_same_v<V, bool>) {
      p.Kind = TTypeKind::tkEnumeration;
      p.Enum = &BooleanEnumInfo();
      p.GetOrd = [get](void* o) -> int64_t { return get(o) ? 1 : 0; };
      if (set) p.SetOrd = [set](void* o, int64_t v) { set(o, v != 0); };
    } else if constexpr (std::is_enum_v<V> || std::is_integral_v<V>) {
      p.Enum = opts.Enum;
      if (opts.IsSet) {
        p.Kind = TTypeKind::tkSet;
      } else if (opts.Enum) {
        p.Kind = TTypeKind::tkEnumeration;
      } else {
        p.Kind = TTypeKind::tkInteger;
      }
      p.GetOrd = [get](void* o) -> int64_t { return static_cast<int64_t>(get(o)); };
      if (set) p.SetOrd = [set](void* o, int64_t v) { set(o, static_cast<V>(v)); };
    } else if constexpr (std::is_floating_point_v<V>) {
      p.Kind = TTypeKind::tkFloat;
      p.GetFloat = [get](void* o) -> double { return static_cast<double>(get(o)); };
      if (set) p.SetFloat = [set](void* o, double v) { set(o, static_cast<V>(v)); };
    } else if constexpr (std::is_same_v<V, std::string>) {
      p.Kind = TTypeKind::tkString;
      p.GetStr = get;
      if (set) p.SetStr = [set](void* o, const std::string& v) { set(o, v); };
    } else if constexpr (std::is_same_v<V, std::u16string>) {
      p.Kind = TTypeKind::tkWString;
      p.GetWStr = get;
      if (set) p.SetWStr = [set](void* o, const std::u16string& v) { set(o, v); };
    } else if constexpr (std::is_pointer_v<V>) {
      using U = std::remove_cv_t<std::remove_pointer_t<V>>;
      p.Kind = TTypeKind::tkClass;
      p.ClassFn = &TClassInfoOf<U>::Get;
      p.GetObj = [get](void* o) -> void* { return ToPassed<U>(get(o)); };
      if (set) p.SetObj = [set](void* o, void* v) { set(o, FromPassed<U>(v)); };
    } else {
      static_assert(sizeof(V) == 0, "property type not supported");
    }
    info_.Props.push_back(std::move(p));
    return *this;
  }

  template <class U>
  static void* ToPassed(U* p) {
    if constexpr (std::is_base_of_v<TObject, U>) {
      return static_cast<TObject*>(p);
    } else {
      return static_cast<void*>(p);
    }
  }
  template <class U>
  static U* FromPassed(void* p) {
    if constexpr (std::is_base_of_v<TObject, U>) {
      return dynamic_cast<U*>(static_cast<TObject*>(p));
    } else {
      return static_cast<U*>(p);
    }
  }

  TClassInfo info_;
};

// ---- The class registry (the class library's RegisterClass / FindClass) ----

// Registers a class so that form descriptions can create it by name. Registering the same
// class information again is harmless; another class under a taken name raises EFilerError.
void RegisterClass(const TClassInfo& info);
// nullptr when unknown (GetClass); FindClass raises EClassNotFound "Class <name> not found".
const TClassInfo* GetClass(std::string_view name);
const TClassInfo& FindClass(std::string_view name);
