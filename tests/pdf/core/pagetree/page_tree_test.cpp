#include "pdf/core/pagetree/page_tree.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "pdf/content/font/pdf_font.h"
#include "pdf/content/painter/pdf_painter.h"
#include "pdf/core/annots/annots.h"
#include "pdf/core/document/pdf_document.h"
#include "pdf/core/filters/flate.h"
#include "pdf/core/objects/pdf_objects.h"

namespace {

// A free-standing store with a resolver over numbered objects, for trees of any shape.
struct Store {
  Store() {
    s.OnResolve = [this](TPDFIndRef&, int num, int) -> TPDFObject* {
      auto it = objects.find(num);
      return it != objects.end() ? it->second : nullptr;
    };
    s.OnMakeIndirect = [this](TPDFObject* obj, int& num, int& gen) {
      num = next++;
      gen = 0;
      obj->SetObjectNumber(num, 0);
      objects[num] = obj;
    };
  }
  TPDFObject* Add(int num, const std::string& text) {
    TPDFObject* obj = s.ParseObject(text);
    obj->SetObjectNumber(num, 0);
    objects[num] = obj;
    if (num >= next) next = num + 1;
    return obj;
  }
  TPDFDictionary* Dict(int num) { return PDFCast<TPDFDictionary>(objects[num]); }
  TPDFStructure s;
  std::map<int, TPDFObject*> objects;
  int next = 1;
};

TEST(PageTree, NewDocumentGetsOneMarkedContentStreamAndReusesIt) {
  TPDFDocument doc;
  doc.InitNewDocument();
  TPDFPageTree& tree = doc.PageTree();
  EXPECT_TRUE(tree.Selected());
  ASSERT_EQ(tree.ContentStreams().size(), 1u);
  TPDFStream* first = tree.ContentStreams()[0];
  EXPECT_EQ(first->ObjectNumber(), 5);
  tree.SelectPage(1);
  ASSERT_EQ(tree.ContentStreams().size(), 1u);
  EXPECT_EQ(tree.ContentStreams()[0], first);
  EXPECT_EQ(doc.Trailer()->GetInteger("Size", 0), 6);
}

// Selecting a page again must keep what was drawn on it.
TEST(PageTree, ReselectingKeepsTheContent) {
  TPDFDocument doc;
  doc.InitNewDocument();
  TPDFPageTree& tree = doc.PageTree();
  tree.Painter().SaveGraphicsState();
  tree.Painter().RestoreGraphicsState();
  tree.SelectPage(1);
  std::string text;
  ASSERT_TRUE(tree.ContentStreams()[0]->Decode(text));
  EXPECT_EQ(text, "q\nQ\n");
  EXPECT_EQ(tree.Painter().GetContent(), "q\nQ\n \n");
  tree.Painter().SaveGraphicsState();
  ASSERT_TRUE(tree.ContentStreams()[0]->Decode(text));
  EXPECT_EQ(text, "q\nQ\n q\n");
  EXPECT_EQ(tree.ContentStreams()[0]->Dictionary()->GetValueText("Filter"), "FlateDecode");
}

TEST(PageTree, ContentsReuseRules) {
  struct Case {
    const char* name;
    std::string contentDict;
    size_t dataSize;
    bool reused;
  } cases[] = {
      {"marked", "<< /LC /iBRL >>", 10, true},
      {"unmarked", "<< >>", 10, false},
      {"other marker", "<< /LC /Other >>", 10, false},
      {"at the limit", "<< /LC /iBRL >>", 500000, true},
      {"too large", "<< /LC /iBRL >>", 500001, false},
  };
  for (const Case& c : cases) {
    Store st;
    st.Add(1, "<< /Type /Pages /Count 1 /Kids [ 2 0 R ] >>");
    st.Add(2, "<< /Type /Page /Parent 1 0 R /Contents 3 0 R >>");
    TPDFStream* s = st.s.NewStream(std::string(c.dataSize, ' '), false);
    s->Dictionary()->ImportFrom(PDFCast<TPDFDictionary>(st.s.ParseObject(c.contentDict)));
    s->SetData(std::string(c.dataSize, ' '));
    s->SetObjectNumber(3, 0);
    st.objects[3] = s;
    st.next = 4;
    TPDFPageTree tree(st.Dict(1));
    ASSERT_TRUE(tree.Selected()) << c.name;
    auto* contents = PDFCast<TPDFArray>(st.Dict(2)->GetValue("Contents"));
    ASSERT_NE(contents, nullptr) << c.name;
    EXPECT_EQ(contents->Count(), c.reused ? 1 : 2) << c.name;
    EXPECT_EQ(tree.ContentStreams().size(), c.reused ? 1u : 2u) << c.name;
    EXPECT_EQ(tree.ContentIndex(), c.reused ? 1 : 2) << c.name;
  }
}

TEST(PageTree, ContentsOfOtherShapes) {
  Store st;
  st.Add(1, "<< /Type /Pages /Count 3 /Kids [ 2 0 R 3 0 R 4 0 R ] >>");
  st.Add(2, "<< /Type /Page /Parent 1 0 R /Contents 5 0 R >>");
  st.Add(3, "<< /Type /Page /Parent 1 0 R /Contents [ 9 0 R 6 0 R ] >>");
  st.Add(4, "<< /Type /Page /Parent 1 0 R /Contents 42 >>");
  st.Add(5, "[ 6 0 R ]");
  TPDFStream* s = st.s.NewStream("0 0 m", false);
  s->SetObjectNumber(6, 0);
  st.objects[6] = s;
  st.next = 10;
  TPDFPageTree tree(st.Dict(1));
  // A reference to an array is replaced by the array; the unmarked stream gets a follower.
  auto* contents = PDFCast<TPDFArray>(st.Dict(2)->GetValue("Contents"));
  ASSERT_NE(contents, nullptr);
  EXPECT_EQ(contents->Count(), 2);
  tree.SelectPage(2);
  contents = PDFCast<TPDFArray>(st.Dict(3)->GetValue("Contents"));
  ASSERT_EQ(contents->Count(), 3);
  // The dangling first element was replaced by a new empty stream.
  EXPECT_NE(contents->GetItem(0)->ToString(), "9 0 R");
  EXPECT_EQ(tree.ContentStreams().size(), 3u);
  EXPECT_TRUE(tree.Selected());
  tree.SelectPage(3);
  EXPECT_EQ(tree.CurrentPage(), 3);
  EXPECT_FALSE(tree.Selected());
  // Drawing now reaches no stream of any page.
  tree.Painter().SaveGraphicsState();
  std::string text;
  ASSERT_TRUE(tree.ContentStreams().empty());
}

TEST(PageTree, NestedTreeFindsPagesInOrder) {
  Store st;
  st.Add(1, "<< /Type /Pages /Count 3 /Kids [ 2 0 R 3 0 R ] >>");
  st.Add(2, "<< /Type /Pages /Count 2 /Kids [ 4 0 R 5 0 R ] /Parent 1 0 R >>");
  st.Add(3, "<< /Count 1 /Kids [ 6 0 R ] /Parent 1 0 R >>");  // no /Type: a node by its /Kids
  for (int n = 4; n <= 6; ++n) st.Add(n, "<< /Type /Page /Tag " + std::to_string(n) + " >>");
  TPDFPageTree tree(st.Dict(1));
  EXPECT_EQ(tree.FindPage(1), st.Dict(4));
  EXPECT_EQ(tree.FindPage(2), st.Dict(5));
  EXPECT_EQ(tree.FindPage(3), st.Dict(6));
  EXPECT_EQ(tree.FindPage(0), nullptr);
  EXPECT_EQ(tree.FindPage(4), nullptr);
  EXPECT_EQ(tree.PageReference(3)->ToString(), "6 0 R");
  TPDFIndRef* ref = st.s.NewIndRef(5, 0);
  EXPECT_EQ(tree.PageNumberOfReference(ref), 0);  // not flat, no callback
  tree.OnPageNumber = [](const TPDFIndRef*) { return 7; };
  EXPECT_EQ(tree.PageNumberOfReference(ref), 7);
}

TEST(PageTree, FlatTreeNumbersByPosition) {
  TPDFDocument doc;
  doc.InitNewDocument();
  TPDFIndRef* ref = doc.Structure().NewIndRef(2, 0);
  EXPECT_EQ(doc.PageTree().PageNumberOfReference(ref), 1);
}

TEST(PageTree, DamagedKidBecomesALetterPage) {
  Store st;
  st.Add(1, "<< /Type /Pages /Count 2 /Kids [ 2 0 R 3 0 R ] >>");
  st.Add(2, "<< /Type /Pages /Count 1 /Kids [ 9 0 R ] >>");  // 9 resolves to nothing
  st.Add(3, "<< /Type /Page >>");
  TPDFPageTree tree(st.Dict(1));
  TPDFDictionary* page = tree.FindPage(1);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->GetType(), "Page");
  EXPECT_EQ(page->GetValue("Parent")->ToString(), "2 0 R");
  EXPECT_EQ(page->GetValue("MediaBox")->ToString(), "[ 0 0 612 792 ]");
  EXPECT_EQ(page->GetInteger("Rotate", -1), 0);
  auto* kids = PDFCast<TPDFArray>(st.Dict(2)->GetValue("Kids"));
  EXPECT_NE(kids->GetItem(0)->ToString(), "9 0 R");
  EXPECT_EQ(tree.FindPage(2), st.Dict(3));
}

// Trees that point back at themselves or claim absurd counts end quickly without allocating
// for the claim.
TEST(PageTree, HostileTreesEnd) {
  Store st;
  st.Add(1, "<< /Type /Pages /Count 2147483647 /Kids [ 1 0 R 2 0 R ] >>");
  st.Add(2, "<< /Type /Pages /Count 2147483647 /Kids [ 2 0 R ] >>");
  TPDFPageTree tree(st.Dict(1));
  EXPECT_EQ(tree.ReadPageCount(), 2147483647);
  EXPECT_EQ(tree.FindPage(5), nullptr);
  EXPECT_EQ(tree.FindPage(2147483647), nullptr);
  Store neg;
  neg.Add(1, "<< /Type /Pages /Count -4 /Kids [ ] >>");
  TPDFPageTree negative(neg.Dict(1));
  EXPECT_EQ(negative.ReadPageCount(), 0);
  EXPECT_FALSE(negative.Selected());
}

TEST(PageTree, PageSizeFromInheritedBoxAndDefaults) {
  Store st;
  st.Add(1, "<< /Type /Pages /Count 2 /Kids [ 2 0 R 3 0 R ] /MediaBox [ 0 0 300 400 ] >>");
  st.Add(2, "<< /Type /Page /Parent 1 0 R /MediaBox [ 10 20 612 792 ] >>");
  st.Add(3, "<< /Type /Page /Parent 4 0 R >>");
  st.Add(4, "<< /Type /Pages /Parent 1 0 R >>");
  TPDFPageTree tree(st.Dict(1));
  EXPECT_EQ(tree.GetPageWidth(), 602);
  EXPECT_EQ(tree.GetPageHeight(), 772);
  tree.SetPageWidth(300);
  EXPECT_EQ(st.Dict(2)->GetValue("MediaBox")->ToString(), "[ 0 0 300 772 ]");
  EXPECT_EQ(st.Dict(2)->GetValue("CropBox")->ToString(), "[ 0 0 300 772 ]");
  EXPECT_NE(st.Dict(2)->GetValue("MediaBox"), st.Dict(2)->GetValue("CropBox"));
  tree.SetPageHeight(100.5);
  EXPECT_EQ(st.Dict(2)->GetValue("MediaBox")->ToString(), "[ 0 0 300 100.5 ]");
  tree.SelectPage(2);  // inherits through two /Parent levels
  EXPECT_EQ(tree.GetPageWidth(), 300);
  EXPECT_EQ(tree.GetPageHeight(), 400);
  EXPECT_EQ(st.Dict(3)->GetValue("MediaBox"), nullptr);
}

TEST(PageTree, MissingBoxGetsTheDefaultWritten) {
  Store st;
  st.Add(1, "<< /Type /Pages /Count 1 /Kids [ 2 0 R ] >>");
  st.Add(2, "<< /Type /Page /Parent 1 0 R /Parent 2 0 R >>");  // a /Parent loop
  TPDFPageTree tree(st.Dict(1));
  EXPECT_EQ(tree.GetPageHeight(), 792);
  EXPECT_EQ(st.Dict(2)->GetValue("MediaBox")->ToString(), "[ 0 0 612 792 ]");
}

TEST(PageTree, ResourceEntries) {
  TPDFDocument doc;
  doc.InitNewDocument();
  TPDFPageTree& tree = doc.PageTree();
  TPDFStructure& s = doc.Structure();
  tree.AddExtGStateResource("GS1", s.NewIndRef(7, 0));
  tree.AddExtGStateResource("GS1", s.NewIndRef(7, 0));
  auto* gs = PDFCast<TPDFDictionary>(tree.GetResources()->GetValue("ExtGState"));
  ASSERT_NE(gs, nullptr);
  EXPECT_EQ(gs->ToString().find("/GS1 7 0 R"), gs->ToString().rfind("/GS1 7 0 R"));
  tree.AddExtGStateResource("GS1", s.NewIndRef(8, 0));
  EXPECT_EQ(gs->GetValue("GS1")->ToString(), "8 0 R");
  EXPECT_EQ(gs->Count(), 1);
  // A category that is not a dictionary is replaced.
  tree.GetResources()->SetValue("Pattern", s.NewNumeric(3));
  tree.AddPatternResource("P1", s.NewIndRef(9, 0));
  EXPECT_EQ(PDFCast<TPDFDictionary>(tree.GetResources()->GetValue("Pattern"))->GetValue("P1")->ToString(), "9 0 R");
  TPDFFont* font = doc.AddStandardFont(0);
  tree.AddFontResource(*font);
  auto* fonts = PDFCast<TPDFDictionary>(tree.GetResources()->GetValue("Font"));
  EXPECT_EQ(fonts->GetValue(font->Name())->ToString(), font->Ref()->ToString());
}

TEST(PageTree, ResourcesFromParentOrMadeNew) {
  Store st;
  st.Add(1, "<< /Type /Pages /Count 2 /Kids [ 2 0 R 3 0 R ] /Resources << /Font << >> >> >>");
  st.Add(2, "<< /Type /Page /Parent 1 0 R >>");
  st.Add(3, "<< /Type /Page /Parent 1 0 R /Resources 5 >>");
  TPDFPageTree tree(st.Dict(1));
  EXPECT_EQ(tree.GetResources(), st.Dict(1)->GetValue("Resources"));
  tree.SelectPage(2);
  TPDFDictionary* made = tree.GetResources();
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(st.Dict(3)->GetValue("Resources"), made);
  EXPECT_EQ(made->Count(), 0);
}

// A page selected again from the page cache takes its resources from its own parent node, not
// from the node where the page found last hung.
TEST(PageTree, CachedPageKeepsItsOwnParent) {
  Store st;
  st.Add(1, "<< /Type /Pages /Count 2 /Kids [ 4 0 R 5 0 R ] >>");
  st.Add(4, "<< /Type /Pages /Count 1 /Kids [ 2 0 R ] /Resources << /Font << /FA 9 0 R >> >> >>");
  st.Add(5, "<< /Type /Pages /Count 1 /Kids [ 3 0 R ] /Resources << /Font << /FB 9 0 R >> >> >>");
  st.Add(2, "<< /Type /Page /Parent 4 0 R >>");
  st.Add(3, "<< /Type /Page /Parent 5 0 R >>");
  TPDFPageTree tree(st.Dict(1));
  EXPECT_EQ(tree.GetResources(), st.Dict(4)->GetValue("Resources"));
  tree.SelectPage(2);
  EXPECT_EQ(tree.GetResources(), st.Dict(5)->GetValue("Resources"));
  tree.SelectPage(1);
  ASSERT_EQ(tree.Page(), st.Dict(2));
  EXPECT_EQ(tree.GetResources(), st.Dict(4)->GetValue("Resources"));
}

TEST(PageTree, AnnotationsAttachedOnSelection) {
  Store st;
  st.Add(1, "<< /Type /Pages /Count 2 /Kids [ 2 0 R 3 0 R ] >>");
  st.Add(2, "<< /Type /Page /Annots [ 10 0 R ] >>");
  st.Add(3, "<< /Type /Page /Annots 7 >>");
  TPDFPageTree tree(st.Dict(1));
  ASSERT_NE(tree.Annots().Array(), nullptr);
  EXPECT_EQ(tree.Annots().Array()->Count(), 1);
  tree.SelectPage(2);
  EXPECT_EQ(tree.Annots().Array(), nullptr);
  EXPECT_EQ(tree.Annots().CurrentIndex(), -1);
}

TEST(PageTree, SelectionCallbackAndOutOfRangeKeepsPage) {
  TPDFDocument doc;
  doc.InitNewDocument();
  TPDFPageTree& tree = doc.PageTree();
  int calls = 0;
  TPDFDictionary* last = nullptr;
  tree.OnPageSelected = [&](TPDFDictionary* page) {
    ++calls;
    last = page;
  };
  tree.SelectPage(5);
  EXPECT_EQ(tree.CurrentPage(), 1);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(last, tree.Page());
}

}  // namespace
