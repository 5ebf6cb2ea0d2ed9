#include "pdf/core/xmp/xmp_packet.h"

#include <gtest/gtest.h>

#include <string>

#include "pdf/core/xmp/xml_dom.h"

namespace {

int Count(const std::string& s, const std::string& what) {
  int n = 0;
  for (size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + 1)) ++n;
  return n;
}

TEST(XMPPacket, NewPacketShape) {
  TOrvanePDFLibraryXMP xmp;
  ASSERT_TRUE(xmp.Available());
  const std::string xml = xmp.SaveToString();
  EXPECT_EQ(xml.rfind("<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>", 0), 0u) << xml;
  EXPECT_NE(xml.find("<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">"), std::string::npos) << xml;
  EXPECT_NE(xml.find("<?xpacket end=\"w\"?>"), std::string::npos);
  EXPECT_LT(xml.find("</x:xmpmeta>"), xml.find("<?xpacket end"));
  EXPECT_EQ(xmp.SelectText("/x:xmpmeta/rdf:RDF/rdf:Description/dc:format"), "application/pdf");
  // One rdf:Description per schema, each declaring its namespace.
  EXPECT_EQ(Count(xml, "<rdf:Description"), 3) << xml;
  EXPECT_NE(xml.find("xmlns:dc=\"http://purl.org/dc/elements/1.1/\""), std::string::npos);
  EXPECT_NE(xml.find("xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\""), std::string::npos);
  EXPECT_NE(xml.find("xmlns:pdf=\"http://ns.adobe.com/pdf/1.3/\""), std::string::npos);
  EXPECT_NE(xml.find("xml:lang=\"x-default\""), std::string::npos);
}

TEST(XMPPacket, PropertyForms) {
  TOrvanePDFLibraryXMP xmp;
  xmp.SetTitle(u"T & <x>");
  xmp.SetAuthor(u"A");
  xmp.SetSubject(u"S");
  xmp.SetKeywords(u"K");
  xmp.SetCreator(u"C");
  xmp.SetProducer(u"P \u00e9");
  xmp.SetDCSubject(u"D");
  EXPECT_EQ(xmp.SelectText("//dc:title/rdf:Alt/rdf:li[@xml:lang='x-default']"), "T & <x>");
  EXPECT_EQ(xmp.SelectText("//dc:creator/rdf:Seq/rdf:li"), "A");
  EXPECT_EQ(xmp.SelectText("//dc:description/rdf:Alt/rdf:li"), "S");
  EXPECT_EQ(xmp.SelectText("//dc:subject/rdf:Bag/rdf:li"), "D");
  EXPECT_EQ(xmp.SelectText("//pdf:Keywords"), "K");
  EXPECT_EQ(xmp.SelectText("//xmp:CreatorTool"), "C");
  EXPECT_EQ(xmp.SelectText("//pdf:Producer"), "P \xC3\xA9");
  const std::string xml = xmp.SaveToString();
  EXPECT_NE(xml.find("T &amp; &lt;x&gt;"), std::string::npos);
  EXPECT_EQ(Count(xml, "<dc:title>"), 1);
  EXPECT_EQ(Count(xml, "<rdf:Description"), 3);
}

TEST(XMPPacket, SameValueTwiceChangesTheDomOnce) {
  TOrvanePDFLibraryXMP xmp;
  xmp.SetTitle(u"One");
  const std::string once = xmp.SaveToString();
  xmp.SetTitle(u"One");
  EXPECT_EQ(xmp.SaveToString(), once);
  xmp.SetTitle(u"Two");
  EXPECT_NE(xmp.SaveToString(), once);
  EXPECT_EQ(Count(xmp.SaveToString(), "<dc:title>"), 1);
}

TEST(XMPPacket, DateConversion) {
  const struct {
    const char16_t* in;
    const char16_t* out;
  } cases[] = {
      {u"D:20131013120000Z", u"2013-10-13T12:00:00Z"},
      {u"D:20131013120000+02'00'", u"2013-10-13T12:00:00+02:00"},
      {u"D:20131013120000-05'30", u"2013-10-13T12:00:00-05:30"},
      // Anything not of the full form passes unchanged.
      {u"D:2013", u"D:2013"},
      {u"D:", u"D:"},
      {u"D:20131013120000", u"D:20131013120000"},
      {u"D:20131013120000Z00'00'", u"D:20131013120000Z00'00'"},
      {u"D:2013101312000x+02'00'", u"D:2013101312000x+02'00'"},
      {u"D:20131013120000+02'00'junk", u"D:20131013120000+02'00'junk"},
      {u"2013-10-13", u"2013-10-13"},
      {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(ConvertPDFDateToXMP(c.in), c.out) << WideToUtf8(c.in);
  TOrvanePDFLibraryXMP xmp;
  xmp.SetCreationDate(u"D:20131013120000+02'00'");
  xmp.SetModDate(u"D:20");
  EXPECT_EQ(xmp.SelectText("//xmp:CreateDate"), "2013-10-13T12:00:00+02:00");
  EXPECT_EQ(xmp.SelectText("//xmp:ModifyDate"), "D:20");
}

TEST(XMPPacket, LoadPacketTakesCreatorAndSubject) {
  TOrvanePDFLibraryXMP xmp;
  xmp.LoadPacket(
      "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">"
      "<rdf:Description xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
      "xmlns:pdf=\"http://ns.adobe.com/pdf/1.3/\">"
      "<dc:creator><rdf:Bag><rdf:li>Ann</rdf:li></rdf:Bag></dc:creator>"
      "<dc:subject><rdf:Bag><rdf:li>cats</rdf:li></rdf:Bag></dc:subject>"
      "<pdf:Producer>old</pdf:Producer></rdf:Description></rdf:RDF></x:xmpmeta>");
  EXPECT_EQ(xmp.Creator(), u"Ann");
  EXPECT_EQ(xmp.DCSubject(), u"cats");
  const std::string before = xmp.SaveToString();
  xmp.SetAuthor(u"Ann");  // already stored
  EXPECT_EQ(xmp.SaveToString(), before);
  xmp.SetProducer(u"new");
  EXPECT_EQ(xmp.SelectText("//pdf:Producer"), "new");
  EXPECT_EQ(Count(xmp.SaveToString(), "<pdf:Producer>"), 1);
  // The existing Description that declares the schema is reused.
  EXPECT_EQ(Count(xmp.SaveToString(), "<rdf:Description"), 1);
}

// A property is held once in the packet, whichever rdf:Description held it before: the old
// element goes also when another Description than the schema's one held it.
TEST(XMPPacket, APropertyIsWrittenOnceWhicheverDescriptionHeldIt) {
  TOrvanePDFLibraryXMP xmp;
  xmp.LoadPacket(
      "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">"
      "<rdf:Description xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:format>application/pdf</dc:format>"
      "</rdf:Description><rdf:Description><dc:title xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><rdf:Alt>"
      "<rdf:li xml:lang=\"x-default\">Old</rdf:li></rdf:Alt></dc:title></rdf:Description></rdf:RDF></x:xmpmeta>");
  xmp.SetTitle(u"New");
  const std::string xml = xmp.SaveToString();
  EXPECT_EQ(Count(xml, "<dc:title"), 1) << xml;
  EXPECT_EQ(xmp.SelectText("//dc:title/rdf:Alt/rdf:li"), "New");
}

TEST(XMPPacket, LoadPacketCreatesMissingRdf) {
  TOrvanePDFLibraryXMP xmp;
  xmp.LoadPacket("<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"/>");
  xmp.SetTitle(u"t");
  EXPECT_EQ(xmp.SelectText("/x:xmpmeta/rdf:RDF/rdf:Description/dc:title/rdf:Alt/rdf:li"), "t");
}

// Text that is no XMP packet leaves the packet as it was.
TEST(XMPPacket, UnusablePacketsAreIgnored) {
  for (const char* text : {"", "not xml", "<other/>", "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">",
                           "<!DOCTYPE x [<!ENTITY e SYSTEM \"file:///etc/passwd\">]><x>&e;</x>"}) {
    TOrvanePDFLibraryXMP xmp;
    const std::string before = xmp.SaveToString();
    xmp.LoadPacket(text);
    EXPECT_EQ(xmp.SaveToString(), before) << text;
  }
}

// Characters XML cannot carry are left out, so the packet always reads back.
TEST(XMPPacket, ValuesWithControlCharactersStayReadable) {
  TOrvanePDFLibraryXMP xmp;
  xmp.SetTitle(std::u16string(u"a\u0001b\u0000c\tz\uFFFEq", 10));
  TOrvanePDFLibraryXMP again;
  again.LoadPacket(xmp.SaveToString());
  EXPECT_EQ(again.SelectText("//dc:title/rdf:Alt/rdf:li"), "abc\tzq");
}

TEST(XMLDom, ExternalEntitiesAreNotLoaded) {
  TXMLDocument doc;
  ASSERT_TRUE(doc.LoadXML("<!DOCTYPE r [<!ENTITY e SYSTEM \"file:///etc/hostname\">]><r>&e;</r>"));
  EXPECT_EQ(doc.DocumentElement().Text(), "");
}

}  // namespace
