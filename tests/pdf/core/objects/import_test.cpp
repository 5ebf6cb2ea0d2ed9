// Taking over a dictionary from the same store or from another one.
#include <gtest/gtest.h>

#include <map>

#include "pdf/core/objects/pdf_objects.h"

namespace {

// A minimal indirect-object table, as a document keeps one, wired to a store's events.
class Table {
 public:
  explicit Table(TPDFStructure& st, int first = 1) : next_(first) {
    st.OnResolve = [this](TPDFIndRef&, int num, int gen) -> TPDFObject* {
      const auto it = objects_.find({num, gen});
      return it == objects_.end() ? nullptr : it->second;
    };
    st.OnMakeIndirect = [this](TPDFObject* obj, int& num, int& gen) { Put(obj, num, gen); };
  }
  void Put(TPDFObject* obj, int& num, int& gen) {
    num = next_++;
    gen = 0;
    obj->SetObjectNumber(num, gen);
    objects_[{num, gen}] = obj;
  }
  TPDFObject* Get(int num) const {
    const auto it = objects_.find({num, 0});
    return it == objects_.end() ? nullptr : it->second;
  }
  size_t Size() const { return objects_.size(); }

 private:
  std::map<std::pair<int, int>, TPDFObject*> objects_;
  int next_;
};

}  // namespace

TEST(PDFImport, SameStoreSharesThePairs) {
  TPDFStructure st;
  TPDFDictionary* a = st.NewDictionary();
  TPDFDictionary* b = st.NewDictionary();
  a->SetValue("Old", st.NewNull());
  TPDFNumeric* n = st.NewNumeric(3);
  b->SetValue("N", n);
  EXPECT_TRUE(a->ImportFrom(b));
  EXPECT_EQ(a->Count(), 1);
  EXPECT_EQ(a->GetValue("N"), n);
  EXPECT_EQ(a->GetPair(0).first, b->GetPair(0).first);
  EXPECT_TRUE(a->ImportFrom(a));
  EXPECT_FALSE(a->ImportFrom(nullptr));
}

TEST(PDFImport, DirectValuesAreCopiedIntoTheTarget) {
  TPDFStructure from, to;
  TPDFDictionary* src = from.NewDictionary();
  src->SetValue("Type", from.NewName("XObject"));
  src->SetValue("BBox", from.NewIntegerArray({0, 0, 10, 20}));
  TPDFDictionary* res = from.NewDictionary();
  res->SetValue("Name", from.NewString("a(b", false));
  src->SetValue("Resources", res);
  TPDFStream* direct = from.NewStream("data", false);
  src->SetValue("S", direct);
  TPDFDictionary* dst = to.NewDictionary();
  ASSERT_TRUE(dst->ImportFrom(src));
  EXPECT_EQ(dst->ToString(), src->ToString());
  for (const auto& [key, value] : dst->Pairs()) {
    EXPECT_EQ(key->Owner(), &to);
    EXPECT_EQ(value->Owner(), &to);
  }
  auto* s = PDFCast<TPDFStream>(dst->GetValue("S"));
  ASSERT_NE(s, nullptr);
  EXPECT_NE(s, direct);
  EXPECT_EQ(s->Data(), "data");
  EXPECT_EQ(s->Dictionary()->Owner(), &to);
}

TEST(PDFImport, ReferencesCarryTheirObjectsAlong) {
  TPDFStructure from, to;
  Table fromTable(from), toTable(to, 1);
  // The target already has unrelated objects 1 and 2.
  int num, gen;
  toTable.Put(to.NewName("Unrelated1"), num, gen);
  toTable.Put(to.NewName("Unrelated2"), num, gen);

  // Source: a page (object 2) whose parent (object 1) lists it among its kids.
  TPDFDictionary* pages = from.NewDictionary();
  TPDFDictionary* page = from.NewDictionary();
  fromTable.Put(pages, num, gen);
  fromTable.Put(page, num, gen);
  pages->SetValue("Kids", from.NewArrayFromObjects({from.NewIndRef(2, 0)}));
  page->SetValue("Parent", from.NewIndRef(1, 0));
  page->SetValue("Missing", from.NewIndRef(99, 0));
  TPDFStream* content = from.NewStream("0 0 m", false);
  fromTable.Put(content, num, gen);
  page->SetValue("Contents", from.NewIndRef(3, 0));
  page->SetValue("Again", from.NewIndRef(3, 0));

  TPDFDictionary* dst = to.NewDictionary();
  ASSERT_TRUE(dst->ImportFrom(page));
  EXPECT_EQ(dst->GetValue("Missing")->Kind(), kPDFKindNull);
  auto* parentRef = PDFCast<TPDFIndRef>(dst->GetValue("Parent"));
  ASSERT_NE(parentRef, nullptr);
  EXPECT_GE(parentRef->TargetNumber(), 3);  // never one of the target's own objects
  auto* parent = PDFCast<TPDFDictionary>(parentRef->Resolve());
  ASSERT_NE(parent, nullptr);
  EXPECT_EQ(parent->Owner(), &to);
  // The kid points back at the page's copy, which is now indirect in the target too.
  auto* kids = PDFCast<TPDFArray>(parent->GetValue("Kids"));
  ASSERT_NE(kids, nullptr);
  auto* kid = PDFCast<TPDFDictionary>(PDFCast<TPDFIndRef>(kids->GetItem(0))->Resolve());
  ASSERT_NE(kid, nullptr);
  EXPECT_EQ(kid->Owner(), &to);
  EXPECT_EQ(PDFCast<TPDFIndRef>(kid->GetValue("Parent"))->TargetNumber(), parentRef->TargetNumber());
  auto* contents = PDFCast<TPDFStream>(dst->GetValue("Contents", true));
  ASSERT_NE(contents, nullptr);
  EXPECT_EQ(contents->Data(), "0 0 m");
  EXPECT_EQ(dst->GetValue("Contents")->ToString(), dst->GetValue("Again")->ToString());
  EXPECT_EQ(toTable.Size(), 5u);  // two old objects, parent, page copy, content
}

TEST(PDFImport, RefusedWhenTheTargetCannotMakeObjectsIndirect) {
  TPDFStructure from, to;
  Table fromTable(from);
  int num, gen;
  fromTable.Put(from.NewNumeric(5), num, gen);
  TPDFDictionary* src = from.NewDictionary();
  src->SetValue("Length", from.NewIndRef(num, gen));
  TPDFDictionary* dst = to.NewDictionary();
  dst->SetValue("Keep", to.NewNull());
  EXPECT_FALSE(dst->ImportFrom(src));
  EXPECT_EQ(dst->Count(), 1);
  EXPECT_EQ(dst->IndexOfKey("Keep"), 0);
  // A source whose references cannot be resolved at all imports them as null.
  from.OnResolve = nullptr;
  EXPECT_TRUE(dst->ImportFrom(src));
  EXPECT_EQ(dst->GetValue("Length")->Kind(), kPDFKindNull);
}

TEST(PDFImport, DeepAndCyclicSourcesEnd) {
  TPDFStructure from, to;
  TPDFDictionary* src = from.NewDictionary();
  TPDFArray* a = from.NewArray();
  src->SetValue("A", a);
  a->Add(a);  // a direct cycle
  TPDFArray* deep = from.NewArray();
  src->SetValue("Deep", deep);
  for (int i = 0; i < 1000; ++i) {
    TPDFArray* next = from.NewArray();
    deep->Add(next);
    deep = next;
  }
  TPDFDictionary* dst = to.NewDictionary();
  ASSERT_TRUE(dst->ImportFrom(src));
  auto* copy = PDFCast<TPDFArray>(dst->GetValue("A"));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->GetItem(0), copy);  // the cycle is kept, not unrolled
  int depth = 0;
  for (TPDFObject* o = dst->GetValue("Deep"); o != nullptr && o->Kind() == kPDFKindArray; ++depth)
    o = static_cast<TPDFArray*>(o)->GetItem(0);
  EXPECT_LT(depth, kPDFMaxNestingDepth);
}

TEST(PDFImport, LongChainsOfReferencesUseNoStack) {
  TPDFStructure from, to;
  Table fromTable(from), toTable(to);
  int num = 0, gen = 0;
  const int n = 50000;
  std::vector<TPDFDictionary*> chain;
  for (int i = 0; i < n; ++i) {
    chain.push_back(from.NewDictionary());
    fromTable.Put(chain.back(), num, gen);
  }
  for (int i = 0; i + 1 < n; ++i) chain[i]->SetValue("Next", from.NewIndRef(i + 2, 0));
  TPDFDictionary* dst = to.NewDictionary();
  ASSERT_TRUE(dst->ImportFrom(chain[0]));
  EXPECT_EQ(toTable.Size(), static_cast<size_t>(n - 1));
}
