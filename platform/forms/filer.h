// Reading and writing components through form descriptions: TFiler with the defined
// properties (data a component streams itself, DefineProperties), TReader, which applies a
// description to a root component (a form) and creates the components inside it by class
// name, and TWriter, which describes a component tree.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/forms/classes.h"
#include "platform/forms/form_text.h"
#include "platform/rtl/streams.h"

class TReader;
class TWriter;
using TReaderProc = std::function<void(TReader&)>;
using TWriterProc = std::function<void(TWriter&)>;
using TStreamProc = std::function<void(TStream&)>;

class TFiler {
 public:
  virtual ~TFiler() = default;
  // A property the component reads and writes itself with the reader's and writer's value
  // calls; hasData says whether the writer stores it.
  virtual void DefineProperty(const std::string& name, TReaderProc readData, TWriterProc writeData,
                              bool hasData) = 0;
  // A property stored as binary data ({ hex } in the text form); the procedures get a stream
  // over exactly that data.
  virtual void DefineBinaryProperty(const std::string& name, TStreamProc readData, TStreamProc writeData,
                                    bool hasData) = 0;
  TComponent* Root() const { return root_; }

 protected:
  TComponent* root_ = nullptr;
};

class TReader : public TFiler {
 public:
  explicit TReader(const TFormObject& description);

  // Reads the description into an existing root: its name and properties, then the components
  // inside it, created by registered class name with the root as owner (and as parent where the
  // description nests controls), each assigned to the root's published field of its name; then
  // component references are resolved and every component read gets Loaded. Errors raise
  // EReadError "Error reading <component>.<property>: <reason> (line <n>)" or EClassNotFound.
  void ReadRootComponent(TComponent* root);

  // Calls for DefineProperty read procedures: each takes the next value.
  int64_t ReadInteger();
  double ReadFloat();
  std::string ReadString();  // UTF-8
  std::u16string ReadWideString();
  bool ReadBoolean();
  std::string ReadIdent();
  void ReadListBegin();
  bool EndOfList();
  void ReadListEnd();
  // The kind of the next value.
  TFormValue::Kind NextValue();

  void DefineProperty(const std::string& name, TReaderProc readData, TWriterProc writeData, bool hasData) override;
  void DefineBinaryProperty(const std::string& name, TStreamProc readData, TStreamProc writeData,
                            bool hasData) override;

 private:
  struct Fixup {
    TObjectRef obj;
    const TPropInfo* prop;
    std::string name;
    std::string context;
  };
  struct Cursor {
    const std::vector<TFormValue>* list;
    size_t index;
  };

  void ReadChild(const TFormObject& desc, TComponent* parent, int depth);
  void ReadProperties(const TObjectRef& obj, const std::vector<TFormProperty>& props, const std::string& owner);
  void ReadProperty(const TObjectRef& obj, const TFormProperty& prop, const std::string& owner);
  void SetValue(const TObjectRef& obj, const TPropInfo& prop, const TFormValue& value, const std::string& context);
  void ReadCollection(TCollection& collection, const TFormValue& value, const std::string& owner);
  bool ReadDefined(const TObjectRef& obj, const std::string& name, const TFormValue& value);
  const TFormValue& Take();
  [[noreturn]] void Invalid() const;

  const TFormObject& desc_;
  std::vector<TComponent*> loaded_;
  std::vector<Fixup> fixups_;
  // The defined property being looked for and its value.
  std::string definedName_;
  const TFormValue* definedValue_ = nullptr;
  bool definedHandled_ = false;
  bool definedTaken_ = false;
  std::vector<Cursor> cursors_;
};

class TWriter : public TFiler {
 public:
  TWriter() = default;
  // Describes a component, its published properties that differ from their defaults, its
  // defined properties and the components written inside it. Event handlers are not written.
  TFormObject WriteRootComponent(TComponent* root);

  void WriteInteger(int64_t value);
  void WriteFloat(double value);
  void WriteString(const std::string& utf8);
  void WriteWideString(const std::u16string& value);
  void WriteBoolean(bool value);
  void WriteIdent(const std::string& ident);
  void WriteListBegin();
  void WriteListEnd();

  void DefineProperty(const std::string& name, TReaderProc readData, TWriterProc writeData, bool hasData) override;
  void DefineBinaryProperty(const std::string& name, TStreamProc readData, TStreamProc writeData,
                            bool hasData) override;

 private:
  TFormObject WriteComponent(TComponent* c);
  void WriteProperties(const TObjectRef& obj, const std::string& prefix, std::vector<TFormProperty>& out, int depth);
  void Put(TFormValue v);

  std::vector<TFormProperty>* defined_ = nullptr;
  std::string definedPrefix_;
  std::vector<TFormValue*> targets_;  // where the next value goes: the open lists, innermost last
  TFormValue pending_;
  bool pendingSet_ = false;
};

// Parses a text description and reads it into the root.
void ReadComponentFromText(TComponent* root, std::string_view text);
// The text description of a component tree.
std::string ComponentToText(TComponent* root);
