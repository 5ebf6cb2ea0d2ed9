#include "pdf/core/document/pdf_document.h"

#include <gtest/gtest.h>

#include "pdf/content/font/pdf_font.h"
#include "pdf/core/filters/flate.h"
#include "pdf/core/pagetree/page_tree.h"
#include "pdf/core/xmp/xmp_packet.h"
#include "tests/pdf/support/pdf_test_writer.h"
#include "tests/support/test_support.h"

namespace {

TPDFObject* Obj(TPDFDocument& doc, int number) { return doc.ResolveObject(number); }

TEST(Document, NewDocumentObjects) {
  TPDFDocument doc;
  ASSERT_TRUE(doc.InitNewDocument());
  EXPECT_EQ(doc.Version(), "1.4");
  ASSERT_EQ(doc.SlotCount(), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(doc.Slot(i)->ObjectNumber(), i + 1);
  auto* pages = PDFCast<TPDFDictionary>(Obj(doc, 1));
  auto* page = PDFCast<TPDFDictionary>(Obj(doc, 2));
  auto* catalog = PDFCast<TPDFDictionary>(Obj(doc, 3));
  auto* info = PDFCast<TPDFDictionary>(Obj(doc, 4));
  auto* content = PDFCast<TPDFStream>(Obj(doc, 5));
  ASSERT_TRUE(pages && page && catalog && info && content);
  EXPECT_EQ(pages->ToString().find("/Type /Pages"), pages->ToString().find("/Type"));
  EXPECT_EQ(pages->GetInteger("Count", 0), 1);
  EXPECT_EQ(pages->GetValue("Kids")->ToString(), "[ 2 0 R ]");
  EXPECT_EQ(page->GetType(), "Page");
  EXPECT_EQ(page->GetValue("MediaBox")->ToString(), "[ 0 0 612 792 ]");
  EXPECT_NE(page->GetValue("MediaBox"), page->GetValue("CropBox"));
  EXPECT_EQ(page->GetValue("Contents")->ToString(), "[ 5 0 R ]");
  EXPECT_EQ(PDFCast<TPDFDictionary>(page->GetValue("Resources"))->GetValue("ProcSet")->ToString(),
            "[ /PDF /Text /ImageB /ImageC /ImageI ]");
  EXPECT_EQ(catalog->GetType(), "Catalog");
  EXPECT_EQ(content->Dictionary()->GetValueText("LC"), "iBRL");
  EXPECT_EQ(doc.Trailer()->GetInteger("Size", 0), 6);
  EXPECT_EQ(doc.Trailer()->GetValue("Root")->ToString(), "3 0 R");
  EXPECT_EQ(doc.Trailer()->GetValue("Info")->ToString(), "4 0 R");
  auto* id = PDFCast<TPDFArray>(doc.Trailer()->GetValue("ID"));
  ASSERT_NE(id, nullptr);
  ASSERT_EQ(id->Count(), 2);
  auto* first = PDFCast<TPDFString>(id->GetItem(0));
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->IsHex());
  EXPECT_EQ(first->Value().size(), 16u);
  EXPECT_EQ(id->GetItem(0)->ToString(), id->GetItem(1)->ToString());
  EXPECT_EQ(doc.FindPagesRoot(), pages);
  EXPECT_EQ(doc.PageTree().CurrentPage(), 1);
}

TEST(Document, IndirectObjectNumbersAndLookup) {
  TPDFDocument doc;
  doc.InitNewDocument();
  TPDFDictionary* d = doc.Structure().NewDictionary();
  int num = 0, gen = -1;
  doc.Structure().MakeIndirect(d, num, gen);
  EXPECT_EQ(num, 6);
  EXPECT_EQ(gen, 0);
  EXPECT_EQ(doc.Trailer()->GetInteger("Size", 0), 7);
  EXPECT_EQ(doc.ResolveObject(6), d);
  EXPECT_EQ(doc.ResolveObject(7), nullptr);
  EXPECT_EQ(doc.ResolveObject(0), nullptr);
  EXPECT_EQ(doc.FindIndObj(-5), nullptr);
  TPDFIndRef* ref = doc.Structure().NewIndRef(6, 0);
  EXPECT_EQ(ref->Resolve(), d);
}

TEST(Document, InfoEntriesAsTextStrings) {
  TPDFDocument doc;
  doc.InitNewDocument();
  doc.SetInfoEntry("Title", u"Plain");
  doc.SetInfoEntry("Author", u"\u0416uk");  // needs UTF-16
  doc.SetInfoEntry("Custom", u"x");
  doc.SetInfoEntry("dc:subject", u"tag");
  TPDFDictionary* info = doc.GetInfoDictionary();
  EXPECT_EQ(info->GetValueText("Title"), "Plain");
  EXPECT_EQ(info->GetValueText("Author"), std::string("\xFE\xFF\x04\x16\x00u\x00k", 8));
  EXPECT_EQ(info->GetValueText("Custom"), "x");
  EXPECT_EQ(info->GetValue("dc:subject"), nullptr);
  ASSERT_NE(doc.XMP(), nullptr);
  EXPECT_EQ(doc.XMP()->SelectText("//dc:title/rdf:Alt/rdf:li"), "Plain");
  EXPECT_EQ(doc.XMP()->SelectText("//dc:subject/rdf:Bag/rdf:li"), "tag");
  // A string value is updated in place.
  TPDFObject* before = info->GetValue("Title");
  doc.SetInfoEntry("Title", u"Other");
  EXPECT_EQ(info->GetValue("Title"), before);
  EXPECT_EQ(info->GetValueText("Title"), "Other");
}

TEST(Document, MetadataStreamNeedsTypeAndXmlSubtype) {
  struct Case {
    const char* type;
    const char* subtypeKey;
    const char* subtype;
    bool read;
  } cases[] = {{"Metadata", "Subtype", "XML", true},
               {"Metadata", "SubType", "XML", true},
               {"Other", "Subtype", "XML", false},
               {"Metadata", "Subtype", "Text", false},
               {nullptr, "Subtype", "XML", false}};
  for (const Case& c : cases) {
    TPDFDocument doc;
    doc.InitNewDocument();
    TPDFStream* s = doc.Structure().NewStream("<x:xmpmeta/>", true);
    if (c.type) s->Dictionary()->SetValue("Type", doc.Structure().NewName(c.type));
    s->Dictionary()->SetValue(c.subtypeKey, doc.Structure().NewName(c.subtype));
    doc.GetCatalog()->SetValue("Metadata", s);
    EXPECT_EQ(doc.ReadMetadataStream(), c.read ? "<x:xmpmeta/>" : "") << c.subtypeKey << " " << c.subtype;
  }
}

TEST(Document, StandardFontsByIndex) {
  TPDFDocument doc;
  doc.InitNewDocument();
  for (int bad : {-1, 14, 1000}) EXPECT_EQ(doc.AddStandardFont(bad), nullptr) << bad;
  EXPECT_EQ(doc.FontCount(), 0);
  TPDFFont* f = doc.AddStandardFont(4);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->BaseFont(), "Helvetica");
  EXPECT_EQ(f->Name().rfind("TalvoPDFF", 0), 0u);
  EXPECT_EQ(f->Name().size(), 17u);
  EXPECT_EQ(f->Dict()->GetValueText("BaseFont"), "Helvetica");
  EXPECT_EQ(f->Dict()->GetValueText("Encoding"), "WinAnsiEncoding");
  EXPECT_EQ(doc.ResolveObject(f->Ref()->TargetNumber()), f->Dict());
  TPDFFont* z = doc.AddStandardFont(13);
  EXPECT_EQ(z->BaseFont(), "ZapfDingbats");
  EXPECT_EQ(z->Dict()->GetValue("Encoding"), nullptr);
  EXPECT_TRUE(doc.OwnsFont(f));
  EXPECT_EQ(doc.GetFont(1), z);
  EXPECT_EQ(doc.GetFont(2), nullptr);
}

// Builds /OCProperties with three groups from PDF text.
TPDFOptionalContentStates StatesFor(const std::string& dText) {
  TPDFDocument doc;
  doc.InitNewDocument();
  TPDFStructure& s = doc.Structure();
  int nums[3];
  for (int i = 0; i < 3; ++i) {
    int gen = 0;
    TPDFObject* g = s.ParseObject("<< /Type /OCG /Name (G" + std::to_string(i) + ") >>");
    doc.MakeIndirect(g, nums[i], gen);
  }
  std::string text = "<< /OCGs [ " + std::to_string(nums[0]) + " 0 R " + std::to_string(nums[1]) + " 0 R " +
                     std::to_string(nums[2]) + " 0 R ]";
  if (!dText.empty()) text += " /D " + dText;
  text += " >>";
  std::string replaced = text;
  for (int i = 0; i < 3; ++i) {
    const std::string key = "@" + std::to_string(i);
    for (size_t p; (p = replaced.find(key)) != std::string::npos;)
      replaced.replace(p, key.size(), std::to_string(nums[i]) + " 0 R");
  }
  doc.GetCatalog()->SetValue("OCProperties", s.ParseObject(replaced));
  return doc.OptionalContentStates();
}

TEST(Document, OptionalContentStates) {
  {
    TPDFDocument doc;
    doc.InitNewDocument();
    EXPECT_TRUE(doc.OptionalContentStates().empty());
  }
  auto visible = [](const TPDFOptionalContentStates& s) {
    std::string v;
    for (const auto& e : s) v += e.Visible ? '1' : '0';
    return v;
  };
  EXPECT_EQ(visible(StatesFor("")), "000") << "no default configuration: nothing shown";
  EXPECT_EQ(visible(StatesFor("<< >>")), "111");
  EXPECT_EQ(visible(StatesFor("<< /OFF [ @1 ] >>")), "101");
  EXPECT_EQ(visible(StatesFor("<< /BaseState /OFF /ON [ @2 ] >>")), "001");
  // A usage application for viewing shows only the groups it names, by their /Name.
  EXPECT_EQ(visible(StatesFor("<< /AS [ << /Event /View /OCGs [ @0 ] >> ] >>")), "100");
  EXPECT_EQ(visible(StatesFor("<< /OFF [ @0 ] /AS [ << /Event /View /OCGs [ @0 @2 ] >> ] >>")), "001");
  EXPECT_EQ(visible(StatesFor("<< /AS [ << /Event /View /OCGs [ @0 @1 ] >> << /Event /View /OCGs [ @1 ] >> ] >>")),
            "010") << "every application must name the group";
  EXPECT_EQ(visible(StatesFor("<< /AS [ << /Event /View /OCGs [ ] >> << /Event /Print /OCGs [ @0 ] >> ] >>")), "111")
      << "empty group lists and other events change nothing";
  // Named by an equal /Name, not by the same object.
  EXPECT_EQ(visible(StatesFor("<< /AS [ << /Event /View /OCGs [ << /Name (G2) >> ] >> ] >>")), "001");
  const auto states = StatesFor("<< >>");
  ASSERT_EQ(states.size(), 3u);
  EXPECT_NE(states[0].Reference, nullptr);
}

TEST(Document, PageNumberOfReferences) {
  TPDFDocument doc;
  doc.InitNewDocument();
  TPDFIndRef* ref = doc.Structure().NewIndRef(2, 0);
  EXPECT_EQ(doc.PageNumberOf(ref), 1);
  TPDFIndRef* other = doc.Structure().NewIndRef(3, 0);
  EXPECT_EQ(doc.PageNumberOf(other), 0);
  EXPECT_EQ(doc.PageNumberOf(nullptr), 0);
}

TEST(Document, SerialisedNewDocumentPassesQpdf) {
  REQUIRE_TOOL("qpdf");
  TPDFDocument doc;
  doc.InitNewDocument();
  doc.SetInfoEntry("Title", u"Check");
  testsupport::TempDir dir;
  const std::string path = dir.File("new.pdf");
  testpdf::WriteDocument(doc, path);
  std::string out;
  EXPECT_EQ(testsupport::Run("qpdf --check " + path + " 2>&1", &out), 0) << out;
  EXPECT_EQ(out.find("WARNING"), std::string::npos) << out;
}

TEST(Document, SerialisedNewDocumentRendersWhiteLetterPage) {
  REQUIRE_TOOL("pdftoppm");
  TPDFDocument doc;
  doc.InitNewDocument();
  testsupport::TempDir dir;
  testpdf::WriteDocument(doc, dir.File("new.pdf"));
  ASSERT_EQ(testsupport::Run("pdftoppm -r 72 -singlefile " + dir.File("new.pdf") + " " + dir.File("p")), 0);
  const std::string ppm = testsupport::ReadFile(dir.File("p.ppm"));
  ASSERT_EQ(ppm.rfind("P6\n612 792\n255\n", 0), 0u);
  const std::string pixels = ppm.substr(15);
  EXPECT_EQ(pixels.size(), 612u * 792 * 3);
  EXPECT_EQ(pixels.find_first_not_of('\xFF'), std::string::npos);
}

}  // namespace
