#include "platform/forms/rtti.h"

#include <cmath>
#include <map>
#include <mutex>

#include "platform/forms/classes.h"
#include "platform/rtl/numbers.h"
#include "platform/rtl/strings.h"

namespace {

bool SameName(std::string_view a, std::string_view b) { return SameTextAscii(a, b); }

}  // namespace

// ---- Enumerations and identifier maps ----

int TEnumInfo::IndexOf(std::string_view ident) const {
  for (size_t i = 0; i < Values.size(); ++i)
    if (SameName(Values[i], ident)) return static_cast<int>(i);
  return -1;
}

std::string TEnumInfo::NameOf(int64_t ordinal) const {
  if (ordinal >= 0 && ordinal < static_cast<int64_t>(Values.size())) return Values[static_cast<size_t>(ordinal)];
  return IntToStr(ordinal);
}

const TEnumInfo& BooleanEnumInfo() {
  static const TEnumInfo info{"Boolean", {"False", "True"}};
  return info;
}

bool TIdentMap::IdentToInt(std::string_view ident, int64_t& value) const {
  for (const auto& [name, v] : Entries) {
    if (SameName(name, ident)) {
      value = v;
      return true;
    }
  }
  return false;
}

bool TIdentMap::IntToIdent(int64_t value, std::string& ident) const {
  for (const auto& [name, v] : Entries) {
    if (v == value) {
      ident = name;
      return true;
    }
  }
  return false;
}

bool TPropInfo::Writable() const {
  switch (Kind) {
    case TTypeKind::tkInteger:
    case TTypeKind::tkEnumeration:
    case TTypeKind::tkSet:
      return static_cast<bool>(SetOrd);
    case TTypeKind::tkFloat:
      return static_cast<bool>(SetFloat);
    case TTypeKind::tkString:
      return static_cast<bool>(SetStr);
    case TTypeKind::tkWString:
      return static_cast<bool>(SetWStr);
    case TTypeKind::tkClass:
      return static_cast<bool>(SetObj);
    case TTypeKind::tkMethod:
      return static_cast<bool>(SetMethod);
    default:
      return false;
  }
}

// ---- Class information ----

bool TClassInfo::InheritsFrom(const TClassInfo& other) const {
  for (const TClassInfo* c = this; c; c = c->Parent)
    if (c == &other) return true;
  return false;
}

bool TClassInfo::InheritsFrom(std::string_view className) const {
  for (const TClassInfo* c = this; c; c = c->Parent)
    if (SameName(c->Name, className)) return true;
  return false;
}

const TPropInfo* TClassInfo::FindProp(std::string_view name) const {
  for (const TClassInfo* c = this; c; c = c->Parent)
    for (const TPropInfo& p : c->Props)
      if (SameName(p.Name, name)) return &p;
  return nullptr;
}

const TMethodEntry* TClassInfo::FindMethod(std::string_view name) const {
  for (const TClassInfo* c = this; c; c = c->Parent)
    for (const TMethodEntry& m : c->Methods)
      if (SameName(m.Name, name)) return &m;
  return nullptr;
}

const TFieldEntry* TClassInfo::FindField(std::string_view name) const {
  for (const TClassInfo* c = this; c; c = c->Parent)
    for (const TFieldEntry& f : c->Fields)
      if (SameName(f.Name, name)) return &f;
  return nullptr;
}

std::vector<const TPropInfo*> TClassInfo::AllProps() const {
  std::vector<const TClassInfo*> chain;
  for (const TClassInfo* c = this; c; c = c->Parent) chain.push_back(c);
  std::vector<const TPropInfo*> out;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    for (const TPropInfo& p : (*it)->Props) {
      // A redeclared property replaces the ancestor's in place.
      bool replaced = false;
      for (auto& q : out) {
        if (SameName(q->Name, p.Name)) {
          q = &p;
          replaced = true;
        }
      }
      if (!replaced) out.push_back(&p);
    }
  }
  return out;
}

TObjectRef::TObjectRef(TObject* o) : Ptr(o), Class(o ? &o->ClassInfo() : nullptr) {}

TObject* TObjectRef::AsTObject() const {
  if (!Ptr || !Class || !Class->DerivesFromTObject) return nullptr;
  return static_cast<TObject*>(Ptr);
}

// ---- Access by name ----

namespace {

bool IsOrdinal(TTypeKind k) {
  return k == TTypeKind::tkInteger || k == TTypeKind::tkEnumeration || k == TTypeKind::tkSet;
}

// The class of an object as passed around: TObject classes know their own.
TObjectRef Refine(void* p, const TClassInfo* declared) {
  if (!p || !declared) return {};
  if (declared->DerivesFromTObject) return TObjectRef(static_cast<TObject*>(p));
  return TObjectRef(p, declared);
}

std::string FloatText(double v) {
  if (std::isfinite(v) && v == std::floor(v) && std::fabs(v) < 1e15) return IntToStr(static_cast<int64_t>(v));
  return FloatToStr(v);
}

}  // namespace

const TPropInfo* GetPropInfo(const TObjectRef& obj, std::string_view name) {
  if (!obj) return nullptr;
  return obj.Class->FindProp(name);
}

bool IsPublishedProp(const TObjectRef& obj, std::string_view name) { return GetPropInfo(obj, name) != nullptr; }

TTypeKind PropType(const TObjectRef& obj, std::string_view name) {
  const TPropInfo* p = GetPropInfo(obj, name);
  return p ? p->Kind : TTypeKind::tkUnknown;
}

int64_t GetOrdProp(const TObjectRef& obj, std::string_view name) {
  const TPropInfo* p = GetPropInfo(obj, name);
  if (!p || !IsOrdinal(p->Kind) || !p->GetOrd) return -1;
  return p->GetOrd(obj.Ptr);
}

bool SetOrdProp(const TObjectRef& obj, std::string_view name, int64_t value) {
  const TPropInfo* p = GetPropInfo(obj, name);
  if (!p || !IsOrdinal(p->Kind) || !p->SetOrd) return false;
  p->SetOrd(obj.Ptr, value);
  return true;
}

std::string GetStrProp(const TObjectRef& obj, std::string_view name) {
  const TPropInfo* p = GetPropInfo(obj, name);
  if (!p) return {};
  if (p->Kind == TTypeKind::tkString && p->GetStr) return p->GetStr(obj.Ptr);
  if (p->Kind == TTypeKind::tkWString && p->GetWStr) return WideToUtf8(p->GetWStr(obj.Ptr));
  return {};
}

bool SetStrProp(const TObjectRef& obj, std::string_view name, const std::string& value) {
  const TPropInfo* p = GetPropInfo(obj, name);
  if (!p) return false;
  if (p->Kind == TTypeKind::tkString && p->SetStr) {
    p->SetStr(obj.Ptr, value);
    return true;
  }
  if (p->Kind == TTypeKind::tkWString && p->SetWStr) {
    p->SetWStr(obj.Ptr, Utf8ToWide(value));
    return true;
  }
  return false;
}

std::u16string GetWideStrProp(const TObjectRef& obj, std::string_view name) {
  const TPropInfo* p = GetPropInfo(obj, name);
  if (!p) return {};
  if (p->Kind == TTypeKind::tkWString && p->GetWStr) return p->GetWStr(obj.Ptr);
  if (p->Kind == TTypeKind::tkString && p->GetStr) return Utf8ToWide(p->GetStr(obj.Ptr));
  return {};
}

bool SetWideStrProp(const TObjectRef& obj, std::string_view name, const std::u16string& value) {
  const TPropInfo* p = GetPropInfo(obj, name);
  if (!p) return false;
  if (p->Kind == TTypeKind::tkWString && p->SetWStr) {
    p->SetWStr(obj.Ptr, value);
    return true;
  }
  if (p->Kind == TTypeKind::tkString && p->SetStr) {
    p->SetStr(obj.Ptr, WideToUtf8(value));
    return true;
  }
  return false;
}

TObjectRef GetObjectProp(const TObjectRef& obj, std::string_view name) {
  const TPropInfo* p = GetPropInfo(obj, name);
  if (!p || p->Kind != TTypeKind::tkClass || !p->GetObj) return {};
  return Refine(p->GetObj(obj.Ptr), p->Class());
}

std::string GetEnumProp(const TObjectRef& obj, std::string_view name) {
  const TPropInfo* p = GetPropInfo(obj, name);
  if (!p || p->Kind != TTypeKind::tkEnumeration || !p->GetOrd || !p->Enum) return {};
  return p->Enum->NameOf(p->GetOrd(obj.Ptr));
}

bool SetEnumProp(const TObjectRef& obj, std::string_view name, std::string_view ident) {
  const TPropInfo* p = GetPropInfo(obj, name);
  if (!p || p->Kind != TTypeKind::tkEnumeration || !p->SetOrd || !p->Enum) return false;
  int i = p->Enum->IndexOf(ident);
  if (i < 0) return false;
  p->SetOrd(obj.Ptr, i);
  return true;
}

std::string SetToString(const TEnumInfo& info, int64_t bits) {
  std::string out = "[";
  bool first = true;
  for (size_t i = 0; i < info.Values.size() && i < 64; ++i) {
    if (!(bits & (int64_t(1) << i))) continue;
    if (!first) out += ',';
    out += info.Values[i];
    first = false;
  }
  return out + "]";
}

bool StringToSet(const TEnumInfo& info, std::string_view text, int64_t& bits) {
  std::string t = Trim(text);
  std::string_view v = t;
  if (!v.empty() && v.front() == '[') {
    if (v.back() != ']') return false;
    v = v.substr(1, v.size() - 2);
  }
  int64_t result = 0;
  size_t pos = 0;
  while (pos <= v.size()) {
    size_t comma = v.find(',', pos);
    std::string item = Trim(v.substr(pos, comma == std::string_view::npos ? std::string_view::npos : comma - pos));
    if (!item.empty()) {
      int i = info.IndexOf(item);
      if (i < 0 || i >= 64) return false;
      result |= int64_t(1) << i;
    } else if (comma != std::string_view::npos) {
      return false;  // an empty element between commas
    }
    if (comma == std::string_view::npos) break;
    pos = comma + 1;
  }
  bits = result;
  return true;
}

std::string GetPropValue(const TObjectRef& obj, std::string_view name) {
  const TPropInfo* p = GetPropInfo(obj, name);
  if (!p) return {};
  switch (p->Kind) {
    case TTypeKind::tkInteger: {
      if (!p->GetOrd) return {};
      int64_t v = p->GetOrd(obj.Ptr);
      std::string ident;
      if (p->Idents && p->Idents->IntToIdent(v, ident)) return ident;
      return IntToStr(v);
    }
    case TTypeKind::tkEnumeration:
      return p->GetOrd && p->Enum ? p->Enum->NameOf(p->GetOrd(obj.Ptr)) : std::string();
    case TTypeKind::tkSet:
      return p->GetOrd && p->Enum ? SetToString(*p->Enum, p->GetOrd(obj.Ptr)) : std::string();
    case TTypeKind::tkFloat:
      return p->GetFloat ? FloatText(p->GetFloat(obj.Ptr)) : std::string();
    case TTypeKind::tkString:
    case TTypeKind::tkWString:
      return GetStrProp(obj, name);
    case TTypeKind::tkClass: {
      TObjectRef v = GetObjectProp(obj, name);
      return v ? v.Class->Name : std::string();
    }
    default:
      return {};
  }
}

bool SetPropValue(const TObjectRef& obj, std::string_view name, std::string_view value) {
  const TPropInfo* p = GetPropInfo(obj, name);
  if (!p) return false;
  switch (p->Kind) {
    case TTypeKind::tkInteger: {
      if (!p->SetOrd) return false;
      int64_t v = 0;
      if (p->Idents && p->Idents->IdentToInt(Trim(value), v)) {
        p->SetOrd(obj.Ptr, v);
        return true;
      }
      try {
        v = StrToInt64(Trim(value));
      } catch (const EConvertError&) {
        return false;
      }
      p->SetOrd(obj.Ptr, v);
      return true;
    }
    case TTypeKind::tkEnumeration: {
      if (!p->SetOrd || !p->Enum) return false;
      int i = p->Enum->IndexOf(Trim(value));
      if (i < 0) return false;
      p->SetOrd(obj.Ptr, i);
      return true;
    }
    case TTypeKind::tkSet: {
      int64_t bits = 0;
      if (!p->SetOrd || !p->Enum || !StringToSet(*p->Enum, value, bits)) return false;
      p->SetOrd(obj.Ptr, bits);
      return true;
    }
    case TTypeKind::tkFloat: {
      if (!p->SetFloat) return false;
      try {
        p->SetFloat(obj.Ptr, StrToFloat(Trim(value)));
      } catch (const EConvertError&) {
        return false;
      }
      return true;
    }
    case TTypeKind::tkString:
    case TTypeKind::tkWString:
      return SetStrProp(obj, name, std::string(value));
    default:
      return false;
  }
}

// ---- Registry ----

namespace {

struct Registry {
  std::map<std::string, const TClassInfo*> byName;  // upper-cased names
};
Registry& Classes() {
  static Registry r;
  return r;
}

}  // namespace

void RegisterClass(const TClassInfo& info) {
  auto& map = Classes().byName;
  std::string key = UpperCaseAscii(info.Name);
  auto it = map.find(key);
  if (it != map.end()) {
    if (it->second == &info) return;
    throw EFilerError("A class named " + info.Name + " already exists");
  }
  map.emplace(key, &info);
}

const TClassInfo* GetClass(std::string_view name) {
  auto& map = Classes().byName;
  auto it = map.find(UpperCaseAscii(name));
  return it == map.end() ? nullptr : it->second;
}

const TClassInfo& FindClass(std::string_view name) {
  const TClassInfo* c = GetClass(name);
  if (!c) throw EClassNotFound("Class " + std::string(name) + " not found");
  return *c;
}
