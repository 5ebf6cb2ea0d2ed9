// Form descriptions read into components and written back: property kinds, sub-objects,
// item lists, collections, binary data a component streams itself, fields and handlers bound
// by name, and the errors of malformed descriptions.
#include <gtest/gtest.h>

#include "platform/forms/classes.h"
#include "platform/forms/filer.h"
#include "platform/forms/idents.h"
#include "platform/rtl/string_list.h"

namespace {

enum TShape { shCircle, shSquare, shTriangle };
const TEnumInfo& ShapeEnum() {
  static const TEnumInfo e{"TShape", {"shCircle", "shSquare", "shTriangle"}};
  return e;
}
const TEnumInfo& OptionEnum() {
  static const TEnumInfo e{"TOption", {"opRed", "opGreen", "opBlue"}};
  return e;
}

class TTestItem : public TCollectionItem {
 public:
  using TCollectionItem::TCollectionItem;
  static const TClassInfo& StaticClassInfo() {
    static const TClassInfo info = TClassBuilder<TTestItem>("TTestItem", &TCollectionItem::StaticClassInfo())
                                       .Prop("Width", &TTestItem::Width, &TTestItem::SetWidth, {.Default = 0})
                                       .Prop("Text", &TTestItem::Text, &TTestItem::SetText)
                                       .Build();
    return info;
  }
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
  int Width() const { return width_; }
  void SetWidth(int w) { width_ = w; }
  std::string Text() const { return text_; }
  void SetText(const std::string& t) { text_ = t; }

 private:
  int width_ = 0;
  std::string text_;
};

// A component with one property of every kind, an item list, a collection and binary data of
// its own (a count followed by bytes, as the skin component stores its skin).
class TWidget : public TComponent {
 public:
  explicit TWidget(TComponent* owner)
      : TComponent(owner), items_([](TCollection* c) { return std::make_unique<TTestItem>(c); }) {}
  static const TClassInfo& StaticClassInfo() {
    static const TClassInfo info =
        TClassBuilder<TWidget>("TWidget", &TComponent::StaticClassInfo())
            .Prop("Count", &TWidget::Count, &TWidget::SetCount, {.Default = 0})
            .Prop("Active", &TWidget::Active, &TWidget::SetActive, {.Default = 0})
            .Prop("Shape", &TWidget::Shape, &TWidget::SetShape, {.Enum = &ShapeEnum(), .Default = 0})
            .Prop("Options", &TWidget::Options, &TWidget::SetOptions, {.Enum = &OptionEnum(), .IsSet = true, .Default = 0})
            .Prop("Color", &TWidget::Color, &TWidget::SetColor, {.Idents = &ColorIdents(), .Default = clBtnFace})
            .Prop("Ratio", &TWidget::Ratio, &TWidget::SetRatio)
            .Prop("Caption", &TWidget::Caption, &TWidget::SetCaption)
            .Prop("WideCaption", &TWidget::WideCaption, &TWidget::SetWideCaption)
            .Prop("Font", &TWidget::Font)
            .Prop("Lines", &TWidget::Lines)
            .Prop("Items", &TWidget::Items)
            .Prop("Buddy", &TWidget::Buddy, &TWidget::SetBuddy)
            .Event("OnChange", &TWidget::OnChange)
            .Event("OnValue", &TWidget::OnValue)
            .Creator([](TComponent* o) { return new TWidget(o); })
            .Build();
    return info;
  }
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  int Count() const { return count_; }
  void SetCount(int v) { count_ = v; }
  bool Active() const { return active_; }
  void SetActive(bool v) { active_ = v; }
  TShape Shape() const { return shape_; }
  void SetShape(TShape s) { shape_ = s; }
  int Options() const { return options_; }
  void SetOptions(int v) { options_ = v; }
  TColor Color() const { return color_; }
  void SetColor(TColor c) { color_ = c; }
  double Ratio() const { return ratio_; }
  void SetRatio(double r) { ratio_ = r; }
  std::string Caption() const { return caption_; }
  void SetCaption(const std::string& c) { caption_ = c; }
  std::u16string WideCaption() const { return wide_; }
  void SetWideCaption(const std::u16string& c) { wide_ = c; }
  TFont* Font() const { return &font_; }
  TStrings* Lines() const { return &lines_; }
  TCollection* Items() const { return &items_; }
  TWidget* Buddy() const { return buddy_; }
  void SetBuddy(TWidget* b) { buddy_ = b; }

  void DefineProperties(TFiler& filer) override {
    TComponent::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "Blob",
        [this](TStream& s) {
          uint32_t n = 0;
          s.ReadBuffer(&n, 4);
          if (n > s.Size() - s.Position()) throw EReadError("Stream read error");
          blob_ = s.ReadString(n);
        },
        [this](TStream& s) {
          uint32_t n = static_cast<uint32_t>(blob_.size());
          s.WriteBuffer(&n, 4);
          s.WriteString(blob_);
        },
        true);
    filer.DefineProperty(
        "Pairs",
        [this](TReader& r) {
          r.ReadListBegin();
          while (!r.EndOfList()) pairs_.push_back({r.ReadIdent(), r.ReadInteger()});
          r.ReadListEnd();
        },
        [this](TWriter& w) {
          w.WriteListBegin();
          for (auto& [k, v] : pairs_) {
            w.WriteIdent(k);
            w.WriteInteger(v);
          }
          w.WriteListEnd();
        },
        !pairs_.empty());
  }
  void Loaded() override {
    TComponent::Loaded();
    loadedWithBlob = blob_;
    ++loadedCount;
  }

  std::function<void(TObject*)> OnChange;
  std::function<void(TObject*, int&)> OnValue;
  std::string blob_;
  std::vector<std::pair<std::string, int64_t>> pairs_;
  std::string loadedWithBlob;
  int loadedCount = 0;

 private:
  int count_ = 0;
  bool active_ = false;
  TShape shape_ = shCircle;
  int options_ = 0;
  TColor color_ = clBtnFace;
  double ratio_ = 0;
  std::string caption_;
  std::u16string wide_;
  mutable TFont font_;
  mutable TStringList lines_;
  mutable TCollection items_;
  TWidget* buddy_ = nullptr;
};

class TTestRoot : public TComponent {
 public:
  using TComponent::TComponent;
  static const TClassInfo& StaticClassInfo() {
    static const TClassInfo info = TClassBuilder<TTestRoot>("TTestRoot", &TComponent::StaticClassInfo())
                                       .Field("Widget1", &TTestRoot::Widget1)
                                       .Field("Widget2", &TTestRoot::Widget2)
                                       .Method("Widget1Change", &TTestRoot::Widget1Change)
                                       .Method("Widget1Value", &TTestRoot::Widget1Value)
                                       .Build();
    return info;
  }
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
  void Widget1Change(TObject* sender) { changes.push_back(sender); }
  void Widget1Value(TObject*, int& v) { v = 42; }
  TWidget* Widget1 = nullptr;
  TWidget* Widget2 = nullptr;
  std::vector<TObject*> changes;
};

class Filer : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterClass(TWidget::StaticClassInfo());
    RegisterClass(TTestRoot::StaticClassInfo());
  }
};

const char* kFull = R"(object Root1: TTestRoot
  object Widget1: TWidget
    Left = 16
    Top = 24
    Count = -7
    Active = True
    Shape = shTriangle
    Options = [opRed, opBlue]
    Color = clWindowText
    Ratio = 1.5
    Caption = 'It''s a '#13#10'test' +
      ' joined'
    WideCaption = 'a'#1074#1077'b'
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold, fsItalic]
    Font.Color = clNavy
    Lines.Strings = (
      'TCategoryButtons=scrollbar'
      'second line')
    Items = <
      item
        Width = 50
        Text = 'one'
      end
      item
        Text = 'two'
      end>
    Buddy = Widget2
    Blob = {
      05000000 48656C6C6F}
    Pairs = (alpha 1 beta 2)
    OnChange = Widget1Change
    OnValue = Widget1Value
  end
  object Widget2: TWidget
    Color = $00FF8000
    Count = $10
  end
end
)";

TEST_F(Filer, EveryValueKindReachesItsProperty) {
  TComponentPtr<TTestRoot> root(new TTestRoot(nullptr));
  ReadComponentFromText(root.get(), kFull);
  EXPECT_EQ(root->Name(), "Root1");
  ASSERT_NE(root->Widget1, nullptr);
  ASSERT_NE(root->Widget2, nullptr);
  TWidget& w = *root->Widget1;
  EXPECT_EQ(w.Name(), "Widget1");
  EXPECT_EQ(w.Owner(), root.get());
  EXPECT_EQ(w.DesignLeft(), 16);
  EXPECT_EQ(w.DesignTop(), 24);
  EXPECT_EQ(w.Count(), -7);
  EXPECT_TRUE(w.Active());
  EXPECT_EQ(w.Shape(), shTriangle);
  EXPECT_EQ(w.Options(), 0b101);
  EXPECT_EQ(w.Color(), clWindowText);
  EXPECT_DOUBLE_EQ(w.Ratio(), 1.5);
  EXPECT_EQ(w.Caption(), "It's a \r\ntest joined");
  EXPECT_EQ(w.WideCaption(), u"a\u0432\u0435b");
  EXPECT_EQ(w.Font()->Height(), -11);
  EXPECT_EQ(w.Font()->Name(), "MS Sans Serif");
  EXPECT_EQ(w.Font()->Style(), fsBold | fsItalic);
  EXPECT_EQ(w.Font()->Color(), clNavy);
  ASSERT_EQ(w.Lines()->Count(), 2);
  EXPECT_EQ((*w.Lines())[0], "TCategoryButtons=scrollbar");
  ASSERT_EQ(w.Items()->Count(), 2);
  EXPECT_EQ(static_cast<TTestItem*>(w.Items()->Items(0))->Width(), 50);
  EXPECT_EQ(static_cast<TTestItem*>(w.Items()->Items(1))->Text(), "two");
  EXPECT_EQ(w.Buddy(), root->Widget2);  // a reference to a component read later
  EXPECT_EQ(w.blob_, "Hello");
  EXPECT_EQ(w.loadedWithBlob, "Hello");  // streamed before Loaded
  EXPECT_EQ(w.loadedCount, 1);
  EXPECT_EQ(w.pairs_, (std::vector<std::pair<std::string, int64_t>>{{"alpha", 1}, {"beta", 2}}));
  ASSERT_TRUE(w.OnChange);
  w.OnChange(&w);
  EXPECT_EQ(root->changes, std::vector<TObject*>{&w});
  int v = 0;
  w.OnValue(&w, v);
  EXPECT_EQ(v, 42);
  EXPECT_EQ(root->Widget2->Color(), 0x00FF8000);
  EXPECT_EQ(root->Widget2->Count(), 16);
  EXPECT_FALSE(w.IsLoading());
}

TEST_F(Filer, PropertiesByNameAsForeignCodeReadsThem) {
  TComponentPtr<TTestRoot> root(new TTestRoot(nullptr));
  ReadComponentFromText(root.get(), kFull);
  TObjectRef w(root->Widget1);
  EXPECT_EQ(GetOrdProp(w, "count"), -7);
  EXPECT_EQ(GetOrdProp(w, "Tag"), 0);
  EXPECT_EQ(GetOrdProp(w, "Missing"), -1);
  EXPECT_EQ(GetOrdProp(w, "Caption"), -1);  // not ordinal
  EXPECT_EQ(GetPropValue(w, "Active"), "True");
  EXPECT_EQ(GetPropValue(w, "Shape"), "shTriangle");
  EXPECT_EQ(GetPropValue(w, "Options"), "[opRed,opBlue]");
  EXPECT_EQ(GetPropValue(w, "Color"), "clWindowText");
  EXPECT_EQ(GetPropValue(w, "Ratio"), "1.5");
  EXPECT_EQ(GetPropValue(w, "Font"), "TFont");
  EXPECT_EQ(GetStrProp(w, "WideCaption"), "a\xD0\xB2\xD0\xB5" "b");
  TFont* f = GetObjectPropAs<TFont>(w, "Font");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->Height(), -11);
  EXPECT_EQ(GetObjectPropAs<TStrings>(w, "Font"), nullptr);  // wrong class
  EXPECT_EQ(GetObjectPropAs<TWidget>(w, "Buddy"), root->Widget2);
  EXPECT_EQ(GetOrdProp(GetObjectProp(w, "Font"), "Height"), -11);

  EXPECT_TRUE(SetPropValue(w, "Active", "false"));
  EXPECT_FALSE(root->Widget1->Active());
  EXPECT_TRUE(SetPropValue(w, "Count", "123"));
  EXPECT_FALSE(SetPropValue(w, "Count", "12x"));
  EXPECT_TRUE(SetPropValue(w, "Color", "clRed"));
  EXPECT_EQ(root->Widget1->Color(), clRed);
  EXPECT_TRUE(SetPropValue(w, "Options", "[opGreen]"));
  EXPECT_EQ(root->Widget1->Options(), 2);
  EXPECT_FALSE(SetPropValue(w, "Shape", "shHexagon"));
  EXPECT_FALSE(SetPropValue(w, "Nothing", "1"));
  EXPECT_FALSE(SetPropValue(TObjectRef(), "Count", "1"));
  EXPECT_EQ(GetPropValue(TObjectRef(), "Count"), "");
}

TEST_F(Filer, WrittenDescriptionReadsBackTheSame) {
  TComponentPtr<TTestRoot> root(new TTestRoot(nullptr));
  ReadComponentFromText(root.get(), kFull);
  // The writer finds children through GetChildren; a root lists its owned components here.
  struct TListingRoot : TTestRoot {
    using TTestRoot::TTestRoot;
    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent*) override {
      for (int i = 0; i < ComponentCount(); ++i) proc(Components(i));
    }
  };
  TComponentPtr<TListingRoot> source(new TListingRoot(nullptr));
  ReadComponentFromText(source.get(), kFull);
  std::string text = ComponentToText(source.get());
  TComponentPtr<TListingRoot> copy(new TListingRoot(nullptr));
  ReadComponentFromText(copy.get(), text);
  EXPECT_EQ(ComponentToText(copy.get()), text);
  TWidget& w = *copy->Widget1;
  EXPECT_EQ(w.Caption(), "It's a \r\ntest joined");
  EXPECT_EQ(w.WideCaption(), u"a\u0432\u0435b");
  EXPECT_EQ(w.blob_, "Hello");
  EXPECT_EQ(w.Lines()->Count(), 2);
  EXPECT_EQ(w.Items()->Count(), 2);
  EXPECT_EQ(w.Buddy(), copy->Widget2);
  EXPECT_EQ(w.pairs_.size(), 2u);
  EXPECT_NE(text.find("Blob = {\n"), std::string::npos);
  EXPECT_NE(text.find("Color = clWindowText"), std::string::npos);
  EXPECT_EQ(text.find("Count = 0"), std::string::npos);  // defaults are left out
  // Names of objects that are not components are properties like the others.
  EXPECT_NE(text.find("Font.Name = 'MS Sans Serif'"), std::string::npos);
  EXPECT_EQ(text.find("Name = 'Widget1'"), std::string::npos);
}

TEST_F(Filer, CollectionItemsAreNumberedOnceEach) {
  TCollection items([](TCollection* c) { return std::make_unique<TTestItem>(c); });
  EXPECT_EQ(items.Add()->ID(), 0);
  EXPECT_EQ(items.Add()->ID(), 1);
  items.Delete(0);
  EXPECT_EQ(items.Items(0)->ID(), 1);
  items.Clear();
  EXPECT_EQ(items.Add()->ID(), 2);
  TTestRoot owner(nullptr);
  TOwnedCollection owned(&owner, nullptr);
  EXPECT_EQ(owned.Owner(), &owner);
  EXPECT_EQ(owned.Add()->ID(), 0);
}

TEST_F(Filer, MalformedDescriptionsRaiseWithTheirLine) {
  struct Case {
    const char* text;
    const char* fragment;
  } cases[] = {
      {"object A: TTestRoot\n  object W: TWidget\n    Count = 'x'\n  end\nend", "Error reading W.Count: Invalid property value (line 3)"},
      {"object A: TTestRoot\n  object W: TWidget\n    Nope = 1\n  end\nend", "Property Nope does not exist"},
      {"object A: TTestRoot\n  object W: TNoSuchClass\n  end\nend", "Class TNoSuchClass not found"},
      {"object A: TTestRoot\n  object W: TWidget\n    OnChange = Missing\n  end\nend", "Method Missing not found"},
      {"object A: TTestRoot\n  object W: TWidget\n    OnChange = Widget1Value\n  end\nend", "does not fit the event"},
      {"object A: TTestRoot\n  object W: TWidget\n    Buddy = Nobody\n  end\nend", "component Nobody not found"},
      {"object A: TTestRoot\n  object W: TWidget\n    Shape = shOval\n  end\nend", "Invalid property value"},
      {"object A: TTestRoot\n  object W: TWidget\n    Options = [opRed, opPink]\n  end\nend", "Invalid property value"},
      {"object A: TTestRoot\n  object W: TWidget\n    Blob = {0500000041}\n  end\nend", "Stream read error"},
      {"object A: TTestRoot\n  object W: TWidget\n  end\n  object W: TWidget\n  end\nend", "A component named W already exists"},
      {"object A: TTestRoot\n  object Widget1: TTestRoot\n  end\nend", "is not a component"},
  };
  for (const auto& c : cases) {
    TComponentPtr<TTestRoot> root(new TTestRoot(nullptr));
    try {
      ReadComponentFromText(root.get(), c.text);
      ADD_FAILURE() << "no error for " << c.text;
    } catch (const std::exception& e) {
      EXPECT_NE(std::string(e.what()).find(c.fragment), std::string::npos) << e.what();
    }
  }
}

TEST_F(Filer, ParserRejectsBrokenSyntax) {
  const char* bad[] = {
      "",
      "object",
      "object A: TTestRoot",
      "object A: TTestRoot\n  Caption = 'open\nend",
      "object A: TTestRoot\n  X = {0}\nend",
      "object A: TTestRoot\n  X = {0G}\nend",
      "object A: TTestRoot\n  X = (1 2\nend",
      "object A: TTestRoot\n  X = <item end\nend",
      "object A: TTestRoot\n  X = #\nend",
      "object A: TTestRoot\n  X = #1114112\nend",
      "object A: TTestRoot\n  X = 99999999999999999999\nend",
      "object A: TTestRoot\n  X = $12345678901234567\nend",
      "object A: TTestRoot\n  X = 'a' +\nend",
      "object A: TTestRoot\nend\ngarbage",
      "thing A: TTestRoot\nend",
  };
  for (const char* text : bad) EXPECT_THROW(ParseFormDescription(text), EParserError) << text;
  std::string deep = "object A: TX\n";
  for (int i = 0; i < 100; ++i) deep += "object B" + std::to_string(i) + ": TX\n";
  for (int i = 0; i < 101; ++i) deep += "end\n";
  EXPECT_THROW(ParseFormDescription(deep), EParserError);
  std::string lists = "object A: TX\n X = ";
  for (int i = 0; i < 100; ++i) lists += "(";
  EXPECT_THROW(ParseFormDescription(lists), EParserError);
}

TEST_F(Filer, ParserKeepsEveryValueForm) {
  TFormObject o = ParseFormDescription(
      "inherited Form1: TForm1 [2]\n"
      "  A = -$10\n  B = 1.25E2\n  C = #$41#66'c'\n  D = []\n  E = ()\n  F = <>\n  G = {}\n"
      "  H = Form2.Button1\n  I = 3.5s\n"
      "  object TNoName\n  end\nend");
  EXPECT_EQ(o.kind, TFormObject::Kind::Inherited);
  EXPECT_EQ(o.index, 2);
  ASSERT_EQ(o.props.size(), 9u);
  EXPECT_EQ(o.props[0].value.integer, -16);
  EXPECT_DOUBLE_EQ(o.props[1].value.number, 125.0);
  EXPECT_EQ(o.props[2].value.text, "ABc");
  EXPECT_EQ(o.props[3].value.kind, TFormValue::Kind::Set);
  EXPECT_EQ(o.props[4].value.kind, TFormValue::Kind::List);
  EXPECT_EQ(o.props[5].value.kind, TFormValue::Kind::Collection);
  EXPECT_EQ(o.props[6].value.kind, TFormValue::Kind::Binary);
  EXPECT_EQ(o.props[7].value.text, "Form2.Button1");
  EXPECT_DOUBLE_EQ(o.props[8].value.number, 3.5);
  ASSERT_EQ(o.children.size(), 1u);
  EXPECT_EQ(o.children[0].className, "TNoName");
  EXPECT_EQ(o.children[0].name, "");
  EXPECT_EQ(QuoteFormString("it's\t\xC3\xA9", false), "'it''s'#9'\xC3\xA9'");
  EXPECT_EQ(QuoteFormString("\xC3\xA9", true), "#233");
  EXPECT_EQ(QuoteFormString("", false), "''");
}

TEST_F(Filer, OwnerFreesItsComponentsAndNotifiesFreeNotifications) {
  TComponentPtr<TTestRoot> root(new TTestRoot(nullptr));
  ReadComponentFromText(root.get(), kFull);
  struct TWatcher : TComponent {
    using TComponent::TComponent;
    void Notification(TComponent* c, TOperation op) override {
      if (op == opRemove) removed.push_back(c->Name());
      TComponent::Notification(c, op);
    }
    std::vector<std::string> removed;
  };
  TComponentPtr<TWatcher> watcher(new TWatcher(nullptr));
  root->Widget2->FreeNotification(watcher.get());
  root->Widget2->Free();
  EXPECT_EQ(watcher->removed, std::vector<std::string>{"Widget2"});
  EXPECT_EQ(root->ComponentCount(), 1);
  EXPECT_EQ(root->FindComponent("widget1"), root->Widget1);
  EXPECT_THROW(root->Widget1->SetName("1bad"), EComponentError);
  root.reset();
}

}  // namespace
