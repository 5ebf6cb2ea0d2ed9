// The object store: factories, dictionaries, arrays, streams, key names and release rules.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "pdf/core/objects/pdf_objects.h"

namespace {

bool Stored(const TPDFStructure& st, const TPDFObject* o) {
  for (int i = 0; i < st.ObjectCount(); ++i)
    if (st.ObjectAt(i) == o) return true;
  return false;
}

}  // namespace

TEST(PDFStore, FactoriesTagsAndOrder) {
  TPDFStructure st;
  const TPDFObject* made[] = {st.NewName("n"), st.NewDictionary(), st.NewNull(), st.NewBoolean(true),
                              st.NewNumeric(1), st.NewString("s", false), st.NewArray(), st.NewIndRef(1, 0)};
  const char tags[] = "ND0BnsAI";
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(made[i]->Kind(), tags[i]);
    EXPECT_EQ(made[i]->Owner(), &st);
    EXPECT_FALSE(made[i]->HasNumber());
    EXPECT_EQ(st.ObjectAt(i), made[i]);
  }
  TPDFArray* ints = st.NewIntegerArray({4, 5});
  EXPECT_EQ(st.ObjectAt(8), ints->GetItem(0));  // items stand before their array
  EXPECT_EQ(st.ObjectAt(10), ints);
  TPDFStream* s = st.NewStream("abc", false);
  EXPECT_EQ(st.ObjectAt(11), s->Dictionary());  // the dictionary is its own object, made first
  EXPECT_EQ(s->Kind(), 'S');
  EXPECT_EQ(PDFCast<TPDFArray>(static_cast<TPDFObject*>(ints)), ints);
  EXPECT_EQ(PDFCast<TPDFDictionary>(static_cast<TPDFObject*>(ints)), nullptr);
  EXPECT_EQ(PDFCast<TPDFDictionary>(static_cast<TPDFObject*>(nullptr)), nullptr);
  st.Clear();
  EXPECT_EQ(st.ObjectCount(), 0);
}

TEST(PDFStore, ClearRestoresSettings) {
  TPDFStructure st;
  st.Decimals = 8;
  st.NumberFormat = "0.00000000";
  st.MultiLine = false;
  st.NewNull();
  st.Clear();
  EXPECT_EQ(st.Decimals, 4);
  EXPECT_EQ(st.NumberFormat, "0.0000");
  EXPECT_TRUE(st.MultiLine);
  st.Reserve(5000);
  EXPECT_GE(st.SpareCount(), 5000);
}

// Numbers read as integers round halves to even and stay inside the 32-bit range rather than
// wrapping around it.
TEST(PDFStore, NumbersReadAsIntegers) {
  TPDFStructure st;
  const struct {
    double value;
    int32_t integer;
  } cases[] = {{2.5, 2},          {3.5, 4},           {-2.5, -2},         {1e10, 2147483647},
               {-1e10, -2147483647 - 1}, {4294967297.0, 2147483647}, {2147483647.4, 2147483647}};
  for (const auto& c : cases) EXPECT_EQ(st.NewNumeric(c.value)->AsInteger(), c.integer) << c.value;
}

TEST(PDFDictionary, SetGetReplaceRemove) {
  TPDFStructure st;
  TPDFDictionary* d = st.NewDictionary();
  TPDFNumeric* one = st.NewNumeric(1);
  d->SetValue("A", one);
  d->SetValue("B", st.NewName("Bee"));
  d->SetValue("A", st.NewNumeric(2.5));  // replaced in place
  ASSERT_EQ(d->Count(), 2);
  EXPECT_EQ(d->GetPair(0).first->Name(), "A");
  EXPECT_EQ(d->GetInteger("A", 7), 2);
  EXPECT_EQ(d->GetInteger("B", 7), 7);
  EXPECT_EQ(d->GetInteger("C", 7), 7);
  EXPECT_EQ(d->GetPair(2), TPDFDictionary::TPair(nullptr, nullptr));
  EXPECT_EQ(d->GetPair(-1).second, nullptr);
  EXPECT_TRUE(Stored(st, one));  // the replaced value stays in the store
  EXPECT_EQ(d->IndexOfKey("B"), 1);
  EXPECT_EQ(d->IndexOfKey("b"), -1);
  EXPECT_EQ(d->GetValueText("B"), "Bee");
  d->SetValue("S", st.NewString("bytes", true));
  d->SetValue("R", st.NewIntegerArray({1, 2}));
  EXPECT_EQ(d->GetValueText("S"), "bytes");
  EXPECT_EQ(d->GetValueText("R"), "[ 1 2 ]");
  EXPECT_EQ(d->GetValueText("A"), "");
  EXPECT_EQ(d->GetType(), "");
  d->SetValue("Type", st.NewName("Page"));
  EXPECT_EQ(d->GetType(), "Page");
  d->RemoveKey("B");
  EXPECT_EQ(d->IndexOfKey("S"), 1);
  EXPECT_EQ(d->Count(), 4);
}

// Large dictionaries are searched through an index of their keys: random settings, overwrites,
// removals, copies and parsed pairs keep every key at the position a list of the pairs in
// insertion order gives it.
TEST(PDFDictionary, LargeDictionariesFindEveryKeyWhereTheListHasIt) {
  TPDFStructure st;
  TPDFDictionary* d = st.NewDictionary();
  std::vector<std::pair<std::string, int>> model;  // key, value in insertion order
  std::mt19937 rng(3);
  auto position = [&](const std::string& key) {
    for (size_t i = 0; i < model.size(); ++i)
      if (model[i].first == key) return int(i);
    return -1;
  };
  for (int step = 0; step < 6000; ++step) {
    const std::string key = "K" + std::to_string(rng() % 300);
    const int op = int(rng() % 10);
    if (op < 6) {
      d->SetValue(key, st.NewNumeric(step));
      const int at = position(key);
      if (at >= 0) model[size_t(at)].second = step;
      else model.emplace_back(key, step);
    } else if (op < 8) {
      d->RemoveKey(key);
      if (const int at = position(key); at >= 0) model.erase(model.begin() + at);
    } else if (op == 8 && step % 50 == 0) {
      TPDFDictionary* copy = st.NewDictionary();
      copy->SetValue("Early", st.NewNull());
      copy->ImportFrom(d);
      d = copy;
    }
    // Several changes may come between two searches.
    if (rng() % 3) continue;
    const std::string probe = "K" + std::to_string(rng() % 320);
    ASSERT_EQ(d->IndexOfKey(probe), position(probe)) << "step " << step << " " << probe;
    ASSERT_EQ(d->Count(), int(model.size()));
  }
  for (size_t i = 0; i < model.size(); ++i) EXPECT_EQ(d->GetInteger(model[i].first, -1), model[i].second);
  // A searched dictionary that takes over other pairs finds them.
  TPDFDictionary* e = st.NewDictionary();
  for (size_t i = 0; i < model.size(); ++i) e->SetValue("E" + std::to_string(i), st.NewNull());
  EXPECT_EQ(e->IndexOfKey("E0"), 0);
  e->ImportFrom(d);
  for (size_t i = 0; i < model.size(); ++i) EXPECT_EQ(e->IndexOfKey(model[i].first), int(i));
  EXPECT_EQ(e->IndexOfKey("E0"), -1);
  // Parsed dictionaries keep the last value of a repeated key at its first place.
  std::string text = "<<";
  for (int i = 0; i < 100; ++i) text += " /P" + std::to_string(i % 70) + " " + std::to_string(i);
  auto* parsed = PDFCast<TPDFDictionary>(st.ParseObject(text + " >>"));
  ASSERT_NE(parsed, nullptr);
  ASSERT_EQ(parsed->Count(), 70);
  EXPECT_EQ(parsed->IndexOfKey("P69"), 69);
  EXPECT_EQ(parsed->GetInteger("P5", -1), 75);
  parsed->SetValue("Q", st.NewNull());
  EXPECT_EQ(parsed->IndexOfKey("Q"), 70);
}

TEST(PDFDictionary, ResolvingReferences) {
  TPDFStructure st;
  TPDFDictionary* d = st.NewDictionary();
  TPDFIndRef* ref = st.NewIndRef(7, 0);
  d->SetValue("Count", ref);
  EXPECT_EQ(d->GetValue("Count"), ref);
  EXPECT_EQ(d->GetValue("Count", true), nullptr);  // no resolver installed
  EXPECT_EQ(d->GetInteger("Count", -1), -1);
  TPDFNumeric* seven = st.NewNumeric(7.5);
  st.OnResolve = [&](TPDFIndRef& sender, int num, int gen) -> TPDFObject* {
    EXPECT_EQ(&sender, ref);
    return num == 7 && gen == 0 ? seven : nullptr;
  };
  EXPECT_EQ(d->GetValue("Count", true), seven);
  EXPECT_EQ(d->GetInteger("Count", -1), 8);
  TPDFName* typeName = st.NewName("Pages");
  st.OnResolve = [&](TPDFIndRef&, int, int) -> TPDFObject* { return typeName; };
  d->SetValue("Type", st.NewIndRef(1, 0));
  EXPECT_EQ(d->GetType(), "");  // "Type" is read without resolving
  EXPECT_EQ(d->GetValueText("Type"), "Pages");
}

TEST(PDFStore, CommonKeysShareOneName) {
  TPDFStructure st;
  TPDFName* earlier = st.NewName("Type");
  TPDFDictionary* a = st.NewDictionary();
  TPDFDictionary* b = st.NewDictionary();
  a->SetValue("Type", st.NewName("Page"));
  b->SetValue("Type", st.NewName("Pages"));
  a->SetValue("Custom", st.NewNull());
  b->SetValue("Custom", st.NewNull());
  EXPECT_EQ(a->GetPair(0).first, earlier);
  EXPECT_EQ(b->GetPair(0).first, earlier);
  EXPECT_TRUE(earlier->IsKeyName());
  EXPECT_NE(a->GetPair(1).first, b->GetPair(1).first);
  EXPECT_TRUE(a->GetPair(1).first->IsKeyName());
  EXPECT_EQ(st.FindName("Custom"), a->GetPair(1).first);
  EXPECT_EQ(st.FindName("Nope"), nullptr);
  EXPECT_TRUE(IsCommonKey("MediaBox"));
  EXPECT_TRUE(IsCommonKey("TalvoPDF"));
  EXPECT_TRUE(IsCommonKey("Type1"));
  EXPECT_FALSE(IsCommonKey("type"));
  EXPECT_FALSE(IsCommonKey("Image"));
  EXPECT_TRUE(IsCommonKey("Page][Parent"));  // a substring test over the bracketed list
  // Every piece of the list between its brackets, and every piece of each entry: common
  // exactly when "[" + key + "]" occurs in the list.
  const std::string list =
      "[MediaBox][Length][CropBox][Type][Subtype][Name][Pages][Page][Parent][Font][Contents][BaseFont][PDF]"
      "[Text][ImageB][ImageC][ImageI][Resources][ProcSet][ExtGState][Type1][TrueType][WinAnsiEncoding]"
      "[Filter][FlateDecode][Annot][URI][Goto][XYZ][iBRL][TalvoPDF]";
  for (size_t from = 0; from < list.size(); ++from)
    for (size_t to = from; to <= list.size(); ++to) {
      const std::string key = list.substr(from, to - from);
      ASSERT_EQ(IsCommonKey(key), list.find("[" + key + "]") != std::string::npos) << key;
    }
  EXPECT_FALSE(IsCommonKey(""));
  EXPECT_FALSE(IsCommonKey("Types"));
}

TEST(PDFArray, AddSetDeleteReserve) {
  TPDFStructure st;
  TPDFArray* a = st.NewArray();
  EXPECT_TRUE(a->AllNumeric());
  a->Reserve(3);
  EXPECT_GE(a->SpareCount(), 3);
  TPDFNumeric* n1 = st.NewNumeric(1);
  a->Add(n1);
  a->Add(st.NewNumeric(2));
  a->Add(st.NewNumeric(3));
  EXPECT_EQ(a->Count(), 3);
  EXPECT_TRUE(a->AllNumeric());
  EXPECT_TRUE(a->ContainsText("2"));
  EXPECT_FALSE(a->ContainsText("4"));
  a->SetItem(0, st.NewName("X"));
  EXPECT_FALSE(a->AllNumeric());
  EXPECT_TRUE(Stored(st, n1));  // still held while it was asked to go
  a->SetItem(3, n1);            // out of range: ignored
  a->Delete(1);
  EXPECT_EQ(a->Count(), 2);
  EXPECT_EQ(a->ToString(), "[ /X 3 ]");
  a->Delete(-1);
  EXPECT_EQ(a->GetItem(2), nullptr);
  EXPECT_EQ(a->GetItem(-1), nullptr);
}

TEST(PDFStream, DataLengthAndFilter) {
  TPDFStructure st;
  TPDFStream* s = st.NewStream("hello", false);
  TPDFDictionary* d = s->Dictionary();
  auto* length = PDFCast<TPDFNumeric>(d->GetValue("Length"));
  ASSERT_NE(length, nullptr);
  EXPECT_EQ(length->AsInteger(), 5);
  s->SetData("hi");
  EXPECT_EQ(length->AsInteger(), 2);  // updated in place
  d->SetValue("Length", st.NewIndRef(9, 0));
  s->SetData("abc");
  EXPECT_EQ(d->GetInteger("Length", 0), 3);  // a reference is replaced by a number
  EXPECT_EQ(s->Tag(), 0);

  s->Compress("aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", true);
  EXPECT_EQ(d->GetValueText("Filter"), "FlateDecode");
  EXPECT_EQ(static_cast<uint8_t>(s->Data()[0]), 0x78);  // a zlib stream
  EXPECT_LT(s->Data().size(), 44u);
  EXPECT_EQ(d->GetInteger("Length", 0), static_cast<int>(s->Data().size()));
  s->Compress("plain", false);
  EXPECT_EQ(d->GetValue("Filter"), nullptr);
  EXPECT_EQ(s->Data(), "plain");
  std::string out;
  EXPECT_TRUE(s->Decode(out));
  EXPECT_EQ(out, "plain");
}

TEST(PDFRelease, FreesOnlyWhatNothingHolds) {
  TPDFStructure st;
  TPDFNumeric* loose = st.NewNumeric(1);
  TPDFNumeric* held = st.NewNumeric(2);
  TPDFArray* a = st.NewArrayFromObjects({held});
  const int before = st.ObjectCount();
  held->Release();
  EXPECT_TRUE(Stored(st, held));
  loose->Release();
  EXPECT_EQ(st.ObjectCount(), before - 1);
  st.ReleaseObject(loose);  // no longer stored: nothing happens, nothing is touched
  TPDFDictionary* d = st.NewDictionary();
  d->SetValue("K", st.NewNull());
  TPDFName* key = d->GetPair(0).first;
  key->Release();
  EXPECT_TRUE(Stored(st, key));  // a key name stays
  // Releasing a container frees the container only; what it held stays until Clear.
  a->Release();
  EXPECT_FALSE(Stored(st, a));
  EXPECT_TRUE(Stored(st, held));
  held->Release();
  EXPECT_FALSE(Stored(st, held));
  TPDFStructure other;
  TPDFNull* foreign = other.NewNull();
  st.ReleaseObject(foreign);
  EXPECT_TRUE(Stored(other, foreign));
  st.ReleaseObject(nullptr);
}

TEST(PDFRelease, AStreamKeepsItsDictionary) {
  TPDFStructure st;
  TPDFStream* s = st.NewStream("x", false);
  TPDFDictionary* d = s->Dictionary();
  st.ReleaseObject(d);
  ASSERT_TRUE(Stored(st, d));
  EXPECT_EQ(s->ToString(), "<<\n/Length 1\n>>\nstream\nx\nendstream");
  TPDFArray* holder = st.NewArrayFromObjects({s});
  s->Release();
  EXPECT_TRUE(Stored(st, s));  // held by the array, and so is its dictionary
  EXPECT_TRUE(Stored(st, d));
  holder->Release();
  s->Release();
  EXPECT_FALSE(Stored(st, s));
  // The dictionary was asked to go while the stream still held it: like the items of a released
  // container it stays until the store is cleared, and can then be released on its own.
  EXPECT_TRUE(Stored(st, d));
  st.ReleaseObject(d);
  EXPECT_FALSE(Stored(st, d));
  TPDFStream* shared = st.NewStream("y", false);
  TPDFDictionary* other = st.NewDictionary();
  other->SetValue("D", shared->Dictionary());
  TPDFDictionary* sharedDict = shared->Dictionary();
  shared->Release();
  EXPECT_FALSE(Stored(st, shared));
  EXPECT_TRUE(Stored(st, sharedDict));
}

TEST(PDFRelease, NumberedObjectsStayForTheDocumentTable) {
  TPDFStructure st;
  TPDFDictionary* page = st.NewDictionary();
  page->SetObjectNumber(2, 0);
  page->Release();
  EXPECT_TRUE(Stored(st, page));
  EXPECT_EQ(page->ObjectNumber(), 2);
  page->ClearObjectNumber();
  page->Release();
  EXPECT_FALSE(Stored(st, page));
}

TEST(PDFRelease, DeleteKeyAndCycles) {
  TPDFStructure st;
  TPDFDictionary* d = st.NewDictionary();
  TPDFArray* a = st.NewArray();
  d->SetValue("Kids", a);
  d->SetValue("Own", st.NewNull());
  TPDFName* ownKey = d->GetPair(1).first;
  a->Add(d);  // a cycle: d holds a, a holds d
  d->DeleteKey("Kids");
  EXPECT_EQ(d->IndexOfKey("Kids"), -1);
  EXPECT_TRUE(Stored(st, a));  // it was still held when it was asked to go
  d->DeleteKey("Own");
  EXPECT_TRUE(Stored(st, ownKey));  // key names made by SetValue are never freed
  d->DeleteKey("Absent");
  d->SetValue("Back", a);
  d->Release();  // must end despite the cycle; each still holds the other
  a->Release();
  EXPECT_TRUE(Stored(st, d));
  EXPECT_TRUE(Stored(st, a));
  d->RemoveKey("Back");
  a->Release();
  EXPECT_FALSE(Stored(st, a));
  d->Release();
  EXPECT_FALSE(Stored(st, d));
}

TEST(PDFRenumber, ShiftsReferencesInside) {
  TPDFStructure st;
  TPDFIndRef* r1 = st.NewIndRef(1, 0);
  TPDFIndRef* r2 = st.NewIndRef(2, 0);
  TPDFDictionary* d = st.NewDictionary();
  d->SetValue("A", r1);
  d->SetValue("B", st.NewArrayFromObjects({r2}));
  TPDFStream* s = st.NewStream("", false);
  s->Dictionary()->SetValue("D", d);
  s->Renumber(10);
  EXPECT_EQ(r1->TargetNumber(), 11);
  EXPECT_EQ(r2->TargetNumber(), 12);
  EXPECT_EQ(r1->ToString(), "11 0 R");
  st.NewNumeric(1)->Renumber(5);
}
