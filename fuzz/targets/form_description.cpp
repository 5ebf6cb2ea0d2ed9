// Fuzz entry point: form description text through the parser and the text writer (writing
// what was parsed and parsing that again must reach a fixed point after one round), then
// read into a form, creating the standard controls and a component that streams binary data
// of its own, and written back from the components.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/forms/application.h"
#include "platform/forms/filer.h"
#include "platform/forms/form_text.h"
#include "platform/forms/standard_classes.h"

namespace {

class TFuzzWidget : public TComponent {
 public:
  explicit TFuzzWidget(TComponent* owner) : TComponent(owner) {}
  static const TClassInfo& StaticClassInfo() {
    static const TClassInfo info = TClassBuilder<TFuzzWidget>("TFuzzWidget", &TComponent::StaticClassInfo())
                                       .Creator([](TComponent* o) { return new TFuzzWidget(o); })
                                       .Build();
    return info;
  }
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
  void DefineProperties(TFiler& filer) override {
    TComponent::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "Data",
        [this](TStream& s) {
          uint32_t n = 0;
          s.ReadBuffer(&n, 4);
          if (n > s.Size() - s.Position()) throw EReadError("Stream read error");
          data_ = s.ReadString(n);
        },
        [this](TStream& s) {
          uint32_t n = static_cast<uint32_t>(data_.size());
          s.WriteBuffer(&n, 4);
          s.WriteString(data_);
        },
        !data_.empty());
  }

 private:
  std::string data_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool registered = [] {
    RegisterStandardClasses();
    RegisterClass(TFuzzWidget::StaticClassInfo());
    return true;
  }();
  (void)registered;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  TFormObject tree;
  try {
    tree = ParseFormDescription(text);
  } catch (const EParserError&) {
    return 0;
  }
  const std::string once = WriteFormDescription(tree);
  std::string twice;
  try {
    twice = WriteFormDescription(ParseFormDescription(once));
  } catch (const EParserError&) {
    std::abort();  // what the writer wrote must read back
  }
  const std::string thrice = WriteFormDescription(ParseFormDescription(twice));
  if (thrice != twice) std::abort();

  // Read into a form: components are made by class name, nothing is shown.
  TComponentPtr<TForm> form(CreateComponent<TForm>(nullptr));
  try {
    TReader reader(tree);
    reader.ReadRootComponent(form.get());
    (void)ComponentToText(form.get());
  } catch (const std::exception&) {
  }
  return 0;
}
