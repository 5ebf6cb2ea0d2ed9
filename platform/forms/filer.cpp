#include "platform/forms/filer.h"

#include "platform/forms/foreign_classes.h"
#include "platform/rtl/numbers.h"
#include "platform/rtl/strings.h"

namespace {

// Descriptions nest components no deeper than this (the parser bounds the text already; this
// bounds trees built in code).
constexpr int kMaxComponentDepth = 64;

std::string ComponentLabel(TComponent* c) {
  if (!c) return "?";
  if (!c->Name().empty()) return c->Name();
  return c->ClassName();
}

TObjectRef Refine(void* p, const TClassInfo* declared) {
  if (!p || !declared) return {};
  if (declared->DerivesFromTObject) return TObjectRef(static_cast<TObject*>(p));
  return TObjectRef(p, declared);
}

// A failure that already names its component, property and line.
class EPropertyReadError : public EReadError {
  using EReadError::EReadError;
};

// A readable message for a failure while reading a property.
[[noreturn]] void ReadFailure(const std::string& owner, const std::string& prop, int line, const std::string& reason) {
  throw EPropertyReadError("Error reading " + owner + "." + prop + ": " + reason + " (line " + std::to_string(line) + ")");
}

bool HasWideCharacters(const std::u16string& s) {
  for (char16_t c : s)
    if (c > 0xFF) return true;
  return false;
}

}  // namespace

// ---- TReader ----

TReader::TReader(const TFormObject& description) : desc_(description) {}

void TReader::ReadRootComponent(TComponent* root) {
  root_ = root;
  loaded_.clear();
  fixups_.clear();
  root->SetComponentState(csLoading | csReading, 0);
  if (!desc_.name.empty() && !SameTextAscii(desc_.name, root->Name())) {
    // A second form of the same class gets a numbered name, as the class library does.
    std::string name = desc_.name;
    for (int i = 1;; ++i) {
      try {
        root->SetName(name);
        break;
      } catch (const EComponentError&) {
        if (i > 1000) throw;
        name = desc_.name + "_" + std::to_string(i);
      }
    }
  }
  loaded_.push_back(root);
  ReadProperties(TObjectRef(root), desc_.props, ComponentLabel(root));
  for (const TFormObject& child : desc_.children) ReadChild(child, root, 1);

  for (const Fixup& f : fixups_) {
    TComponent* target = nullptr;
    if (SameTextAscii(f.name, root->Name())) {
      target = root;
    } else {
      target = root->FindComponent(f.name);
    }
    if (!target) throw EReadError("Error reading " + f.context + ": component " + f.name + " not found");
    f.prop->SetObj(f.obj.Ptr, static_cast<TObject*>(target));
  }
  for (TComponent* c : loaded_) c->SetComponentState(0, csReading);
  for (TComponent* c : loaded_) c->Loaded();
  root_ = nullptr;
}

void TReader::ReadChild(const TFormObject& desc, TComponent* parent, int depth) {
  if (depth > kMaxComponentDepth) throw EReadError("Components nested too deeply (line " + std::to_string(desc.line) + ")");
  TComponent* c = nullptr;
  if (desc.kind != TFormObject::Kind::Object && !desc.name.empty()) c = root_->FindComponent(desc.name);
  if (!c) {
    const TClassInfo& info = FindClass(desc.className);
    if (!info.InheritsFrom(TComponent::StaticClassInfo()) || !info.Create)
      throw EReadError("Class " + desc.className + " is not a component (line " + std::to_string(desc.line) + ")");
    c = CreateComponentOf(info, root_);
    c->SetComponentState(csLoading | csReading, 0);
    loaded_.push_back(c);
    try {
      c->SetName(desc.name);
    } catch (const EComponentError& e) {
      throw EReadError(std::string(e.what()) + " (line " + std::to_string(desc.line) + ")");
    }
    if (!desc.name.empty()) {
      if (const TFieldEntry* field = root_->ClassInfo().FindField(desc.name)) {
        if (!field->Set(static_cast<TObject*>(root_), c))
          throw EReadError("Field " + desc.name + " of " + root_->ClassName() + " cannot hold a " + desc.className +
                           " (line " + std::to_string(desc.line) + ")");
      }
    }
  } else {
    c->SetComponentState(csLoading | csReading, 0);
    loaded_.push_back(c);
  }
  c->SetParentComponent(parent);
  ReadProperties(TObjectRef(c), desc.props, ComponentLabel(c));
  for (const TFormObject& child : desc.children) ReadChild(child, c, depth + 1);
}

void TReader::ReadProperties(const TObjectRef& obj, const std::vector<TFormProperty>& props, const std::string& owner) {
  for (const TFormProperty& p : props) ReadProperty(obj, p, owner);
}

void TReader::ReadProperty(const TObjectRef& obj, const TFormProperty& prop, const std::string& owner) {
  TObjectRef target = obj;
  std::string_view rest = prop.name;
  try {
    for (;;) {
      size_t dot = rest.find('.');
      if (dot == std::string_view::npos) break;
      std::string part(rest.substr(0, dot));
      const TPropInfo* pi = target.Class->FindProp(part);
      if (!pi || pi->Kind != TTypeKind::tkClass || !pi->GetObj) ReadFailure(owner, prop.name, prop.line, "Property " + part + " does not exist");
      target = Refine(pi->GetObj(target.Ptr), pi->Class());
      if (!target) ReadFailure(owner, prop.name, prop.line, "Property " + part + " has no object");
      rest = rest.substr(dot + 1);
    }
    std::string last(rest);
    if (const TPropInfo* pi = target.Class->FindProp(last)) {
      SetValue(target, *pi, prop.value, owner + "." + prop.name);
      return;
    }
    if (!ReadDefined(target, last, prop.value))
      ReadFailure(owner, prop.name, prop.line, "Property " + last + " does not exist");
  } catch (const EPropertyReadError&) {
    throw;
  } catch (const std::exception& e) {
    ReadFailure(owner, prop.name, prop.line, e.what());
  }
}

[[noreturn]] void TReader::Invalid() const { throw EReadError("Invalid property value"); }

void TReader::SetValue(const TObjectRef& obj, const TPropInfo& prop, const TFormValue& value,
                       const std::string& context) {
  using K = TFormValue::Kind;
  if (!prop.Writable() && prop.Kind != TTypeKind::tkClass) throw EReadError("Property " + prop.Name + " is read-only");
  switch (prop.Kind) {
    case TTypeKind::tkInteger: {
      int64_t v = 0;
      if (value.kind == K::Integer) {
        v = value.integer;
      } else if (value.kind == K::Ident && prop.Idents && prop.Idents->IdentToInt(value.text, v)) {
      } else {
        Invalid();
      }
      prop.SetOrd(obj.Ptr, v);
      return;
    }
    case TTypeKind::tkEnumeration: {
      if (value.kind != K::Ident || !prop.Enum) Invalid();
      int i = prop.Enum->IndexOf(value.text);
      if (i < 0) Invalid();
      prop.SetOrd(obj.Ptr, i);
      return;
    }
    case TTypeKind::tkSet: {
      if (value.kind != K::Set || !prop.Enum) Invalid();
      int64_t bits = 0;
      for (const std::string& item : value.items) {
        int i = prop.Enum->IndexOf(item);
        if (i < 0 || i >= 64) Invalid();
        bits |= int64_t(1) << i;
      }
      prop.SetOrd(obj.Ptr, bits);
      return;
    }
    case TTypeKind::tkFloat:
      if (value.kind == K::Float) {
        prop.SetFloat(obj.Ptr, value.number);
      } else if (value.kind == K::Integer) {
        prop.SetFloat(obj.Ptr, static_cast<double>(value.integer));
      } else {
        Invalid();
      }
      return;
    case TTypeKind::tkString:
      if (value.kind != K::String) Invalid();
      prop.SetStr(obj.Ptr, value.text);
      return;
    case TTypeKind::tkWString:
      if (value.kind != K::String) Invalid();
      prop.SetWStr(obj.Ptr, Utf8ToWide(value.text));
      return;
    case TTypeKind::tkClass: {
      if (value.kind == K::Collection) {
        TObjectRef sub = prop.GetObj ? Refine(prop.GetObj(obj.Ptr), prop.Class()) : TObjectRef();
        auto* collection = dynamic_cast<TCollection*>(sub.AsTObject());
        if (!collection) Invalid();
        ReadCollection(*collection, value, context);
        return;
      }
      if (value.kind != K::Ident || !prop.SetObj) Invalid();
      if (SameTextAscii(value.text, "nil")) {
        prop.SetObj(obj.Ptr, nullptr);
        return;
      }
      if (!prop.Class() || !prop.Class()->InheritsFrom(TComponent::StaticClassInfo())) Invalid();
      fixups_.push_back(Fixup{obj, &prop, value.text, context});
      return;
    }
    case TTypeKind::tkMethod: {
      if (value.kind != K::Ident) Invalid();
      if (SameTextAscii(value.text, "nil")) {
        prop.SetMethod(obj.Ptr, std::any());
        return;
      }
      const TMethodEntry* m = root_->ClassInfo().FindMethod(value.text);
      if (!m) throw EReadError("Method " + value.text + " not found in " + root_->ClassName());
      if (m->Type != prop.MethodType)
        throw EReadError("Method " + value.text + " does not fit the event " + prop.Name);
      prop.SetMethod(obj.Ptr, m->Bind(static_cast<TObject*>(root_)));
      return;
    }
    default:
      Invalid();
  }
}

void TReader::ReadCollection(TCollection& collection, const TFormValue& value, const std::string& owner) {
  collection.BeginUpdate();
  try {
    collection.Clear();
    for (const auto& item : value.collection) {
      TCollectionItem* ci = collection.Add();
      ReadProperties(TObjectRef(ci), item.props, owner);
    }
  } catch (...) {
    collection.EndUpdate();
    throw;
  }
  collection.EndUpdate();
}

bool TReader::ReadDefined(const TObjectRef& obj, const std::string& name, const TFormValue& value) {
  definedName_ = name;
  definedValue_ = &value;
  definedHandled_ = false;
  definedTaken_ = false;
  cursors_.clear();
  struct Reset {
    TReader* r;
    ~Reset() {
      r->definedName_.clear();
      r->definedValue_ = nullptr;
      r->cursors_.clear();
    }
  } reset{this};
  if (TObject* o = obj.AsTObject()) {
    if (auto* p = dynamic_cast<TPersistent*>(o)) p->DefineProperties(*this);
  } else {
    for (const TClassInfo* c = obj.Class; c; c = c->Parent) {
      if (c->DefineProperties) {
        c->DefineProperties(obj.Ptr, *this);
        break;
      }
    }
  }
  if (definedHandled_ && (!definedTaken_ || !cursors_.empty())) Invalid();
  return definedHandled_;
}

void TReader::DefineProperty(const std::string& name, TReaderProc readData, TWriterProc, bool) {
  if (definedHandled_ || !definedValue_ || !SameTextAscii(name, definedName_) || !readData) return;
  definedHandled_ = true;
  readData(*this);
}

void TReader::DefineBinaryProperty(const std::string& name, TStreamProc readData, TStreamProc, bool) {
  if (definedHandled_ || !definedValue_ || !SameTextAscii(name, definedName_) || !readData) return;
  definedHandled_ = true;
  const TFormValue& v = Take();
  if (v.kind != TFormValue::Kind::Binary) Invalid();
  TMemoryStream data(v.text);
  readData(data);
}

const TFormValue& TReader::Take() {
  if (!cursors_.empty()) {
    Cursor& c = cursors_.back();
    if (c.index >= c.list->size()) Invalid();
    return (*c.list)[c.index++];
  }
  if (!definedValue_ || definedTaken_) Invalid();
  definedTaken_ = true;
  return *definedValue_;
}

TFormValue::Kind TReader::NextValue() {
  if (!cursors_.empty()) {
    const Cursor& c = cursors_.back();
    if (c.index >= c.list->size()) Invalid();
    return (*c.list)[c.index].kind;
  }
  if (!definedValue_ || definedTaken_) Invalid();
  return definedValue_->kind;
}

int64_t TReader::ReadInteger() {
  const TFormValue& v = Take();
  if (v.kind != TFormValue::Kind::Integer) Invalid();
  return v.integer;
}

double TReader::ReadFloat() {
  const TFormValue& v = Take();
  if (v.kind == TFormValue::Kind::Float) return v.number;
  if (v.kind == TFormValue::Kind::Integer) return static_cast<double>(v.integer);
  Invalid();
}

std::string TReader::ReadString() {
  const TFormValue& v = Take();
  if (v.kind != TFormValue::Kind::String) Invalid();
  return v.text;
}

std::u16string TReader::ReadWideString() { return Utf8ToWide(ReadString()); }

bool TReader::ReadBoolean() {
  const TFormValue& v = Take();
  if (v.kind == TFormValue::Kind::Ident) {
    if (SameTextAscii(v.text, "True")) return true;
    if (SameTextAscii(v.text, "False")) return false;
  }
  Invalid();
}

std::string TReader::ReadIdent() {
  const TFormValue& v = Take();
  if (v.kind != TFormValue::Kind::Ident) Invalid();
  return v.text;
}

void TReader::ReadListBegin() {
  const TFormValue& v = Take();
  if (v.kind != TFormValue::Kind::List) Invalid();
  cursors_.push_back(Cursor{&v.list, 0});
}

bool TReader::EndOfList() {
  if (cursors_.empty()) Invalid();
  const Cursor& c = cursors_.back();
  return c.index >= c.list->size();
}

void TReader::ReadListEnd() {
  if (!EndOfList()) Invalid();
  cursors_.pop_back();
}

// ---- TWriter ----

TFormObject TWriter::WriteRootComponent(TComponent* root) {
  root_ = root;
  TFormObject obj = WriteComponent(root);
  root_ = nullptr;
  return obj;
}

TFormObject TWriter::WriteComponent(TComponent* c) {
  TFormObject obj;
  obj.name = c->Name();
  obj.className = c->ClassName();
  c->SetComponentState(csWriting, 0);
  WriteProperties(TObjectRef(c), "", obj.props, 0);
  c->SetComponentState(0, csWriting);
  int depth = 0;
  for (TComponent* p = c; p && p != root_; p = p->GetParentComponent()) ++depth;
  if (depth <= kMaxComponentDepth) {
    c->GetChildren([&](TComponent* child) { obj.children.push_back(WriteComponent(child)); }, root_);
  }
  return obj;
}

void TWriter::WriteProperties(const TObjectRef& obj, const std::string& prefix, std::vector<TFormProperty>& out,
                              int depth) {
  if (depth > 8) return;
  for (const TPropInfo* p : obj.Class->AllProps()) {
    // A component's name is written in its object line; other objects' names are properties.
    if (!p->Stored || (p->IsStored && !p->IsStored(obj.Ptr)) ||
        (SameTextAscii(p->Name, "Name") && dynamic_cast<TComponent*>(obj.AsTObject())))
      continue;
    TFormProperty fp;
    fp.name = prefix + p->Name;
    TFormValue& v = fp.value;
    switch (p->Kind) {
      case TTypeKind::tkInteger: {
        if (!p->GetOrd || !p->SetOrd) continue;
        int64_t x = p->GetOrd(obj.Ptr);
        if (p->Default && *p->Default == x) continue;
        std::string ident;
        if (p->Idents && p->Idents->IntToIdent(x, ident)) {
          v.kind = TFormValue::Kind::Ident;
          v.text = ident;
        } else {
          v.kind = TFormValue::Kind::Integer;
          v.integer = x;
        }
        break;
      }
      case TTypeKind::tkEnumeration: {
        if (!p->GetOrd || !p->SetOrd || !p->Enum) continue;
        int64_t x = p->GetOrd(obj.Ptr);
        if (p->Default && *p->Default == x) continue;
        v.kind = TFormValue::Kind::Ident;
        v.text = p->Enum->NameOf(x);
        break;
      }
      case TTypeKind::tkSet: {
        if (!p->GetOrd || !p->SetOrd || !p->Enum) continue;
        int64_t x = p->GetOrd(obj.Ptr);
        if (p->Default && *p->Default == x) continue;
        v.kind = TFormValue::Kind::Set;
        for (size_t i = 0; i < p->Enum->Values.size() && i < 64; ++i)
          if (x & (int64_t(1) << i)) v.items.push_back(p->Enum->Values[i]);
        break;
      }
      case TTypeKind::tkFloat:
        if (!p->GetFloat || !p->SetFloat) continue;
        v.kind = TFormValue::Kind::Float;
        v.number = p->GetFloat(obj.Ptr);
        break;
      case TTypeKind::tkString: {
        if (!p->GetStr || !p->SetStr) continue;
        std::string s = p->GetStr(obj.Ptr);
        if (s.empty()) continue;
        v.kind = TFormValue::Kind::String;
        v.text = s;
        break;
      }
      case TTypeKind::tkWString: {
        if (!p->GetWStr || !p->SetWStr) continue;
        std::u16string s = p->GetWStr(obj.Ptr);
        if (s.empty()) continue;
        v.kind = TFormValue::Kind::String;
        v.text = WideToUtf8(s);
        v.wide = HasWideCharacters(s);
        break;
      }
      case TTypeKind::tkClass: {
        if (!p->GetObj) continue;
        TObjectRef sub = Refine(p->GetObj(obj.Ptr), p->Class());
        if (!sub) continue;
        if (auto* comp = dynamic_cast<TComponent*>(sub.AsTObject())) {
          if (!p->SetObj || comp->Name().empty()) continue;
          v.kind = TFormValue::Kind::Ident;
          v.text = comp->Name();
          break;
        }
        if (auto* coll = dynamic_cast<TCollection*>(sub.AsTObject())) {
          v.kind = TFormValue::Kind::Collection;
          for (int i = 0; i < coll->Count(); ++i) {
            TFormValue::Item item;
            WriteProperties(TObjectRef(coll->Items(i)), "", item.props, depth + 1);
            v.collection.push_back(std::move(item));
          }
          if (v.collection.empty()) continue;
          break;
        }
        WriteProperties(sub, fp.name + ".", out, depth + 1);
        continue;
      }
      default:
        continue;
    }
    out.push_back(std::move(fp));
  }
  // Then what the object streams itself.
  std::vector<TFormProperty>* savedDefined = defined_;
  std::string savedPrefix = definedPrefix_;
  defined_ = &out;
  definedPrefix_ = prefix;
  if (TObject* o = obj.AsTObject()) {
    if (auto* persistent = dynamic_cast<TPersistent*>(o)) persistent->DefineProperties(*this);
  } else {
    for (const TClassInfo* c = obj.Class; c; c = c->Parent) {
      if (c->DefineProperties) {
        c->DefineProperties(obj.Ptr, *this);
        break;
      }
    }
  }
  defined_ = savedDefined;
  definedPrefix_ = savedPrefix;
}

void TWriter::DefineProperty(const std::string& name, TReaderProc, TWriterProc writeData, bool hasData) {
  if (!hasData || !writeData || !defined_) return;
  // Published properties of the same name were written already (controls' Left and Top).
  for (const TFormProperty& p : *defined_)
    if (SameTextAscii(p.name, definedPrefix_ + name)) return;
  targets_.clear();
  pendingSet_ = false;
  writeData(*this);
  if (!pendingSet_) return;
  TFormProperty fp;
  fp.name = definedPrefix_ + name;
  fp.value = std::move(pending_);
  pendingSet_ = false;
  defined_->push_back(std::move(fp));
}

void TWriter::DefineBinaryProperty(const std::string& name, TStreamProc, TStreamProc writeData, bool hasData) {
  if (!hasData || !writeData || !defined_) return;
  TMemoryStream data;
  writeData(data);
  TFormProperty fp;
  fp.name = definedPrefix_ + name;
  fp.value.kind = TFormValue::Kind::Binary;
  fp.value.text = data.DataString();
  defined_->push_back(std::move(fp));
}

void TWriter::Put(TFormValue v) {
  if (!targets_.empty()) {
    targets_.back()->list.push_back(std::move(v));
    return;
  }
  if (pendingSet_) throw EWriteError("A defined property writes one value");
  pending_ = std::move(v);
  pendingSet_ = true;
}

void TWriter::WriteInteger(int64_t value) {
  TFormValue v;
  v.kind = TFormValue::Kind::Integer;
  v.integer = value;
  Put(std::move(v));
}

void TWriter::WriteFloat(double value) {
  TFormValue v;
  v.kind = TFormValue::Kind::Float;
  v.number = value;
  Put(std::move(v));
}

void TWriter::WriteString(const std::string& utf8) {
  TFormValue v;
  v.kind = TFormValue::Kind::String;
  v.text = utf8;
  Put(std::move(v));
}

void TWriter::WriteWideString(const std::u16string& value) {
  TFormValue v;
  v.kind = TFormValue::Kind::String;
  v.text = WideToUtf8(value);
  v.wide = HasWideCharacters(value);
  Put(std::move(v));
}

void TWriter::WriteBoolean(bool value) { WriteIdent(value ? "True" : "False"); }

void TWriter::WriteIdent(const std::string& ident) {
  TFormValue v;
  v.kind = TFormValue::Kind::Ident;
  v.text = ident;
  Put(std::move(v));
}

void TWriter::WriteListBegin() {
  TFormValue v;
  v.kind = TFormValue::Kind::List;
  Put(std::move(v));
  // The list just put is the last value of the innermost target, or the pending value.
  targets_.push_back(targets_.empty() ? &pending_ : &targets_.back()->list.back());
}

void TWriter::WriteListEnd() {
  if (targets_.empty()) throw EWriteError("List end without a list");
  targets_.pop_back();
}

// ---- Text helpers ----

void ReadComponentFromText(TComponent* root, std::string_view text) {
  TFormObject desc = ParseFormDescription(text);
  TReader reader(desc);
  reader.ReadRootComponent(root);
}

std::string ComponentToText(TComponent* root) {
  TWriter writer;
  return WriteFormDescription(writer.WriteRootComponent(root));
}
