#include "pdf/core/xmp/xmp_packet.h"

#include <algorithm>
#include <new>

#include "pdf/core/xmp/xml_dom.h"

namespace {

constexpr const char* kNsMeta = "adobe:ns:meta/";
constexpr const char* kNsRDF = "http://www.w3.org/1999/02/22-rdf-syntax-ns#";
constexpr const char* kNsDC = "http://purl.org/dc/elements/1.1/";
constexpr const char* kNsXMP = "http://ns.adobe.com/xap/1.0/";
constexpr const char* kNsPDF = "http://ns.adobe.com/pdf/1.3/";
constexpr const char* kNsPDFAId = "http://www.aiim.org/pdfa/ns/id/";

// The packet header's data: begin="<U+FEFF>" id="W5M0MpCehiHzreSzNTczkc9d".
constexpr const char* kPacketBegin = "begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"";

const TXMLDocument::TNamespaces& SelectionNamespaces() {
  static const TXMLDocument::TNamespaces ns = {{"x", kNsMeta}, {"rdf", kNsRDF}, {"xmp", kNsXMP},
                                               {"dc", kNsDC},  {"pdf", kNsPDF}, {"pdfaid", kNsPDFAId}};
  return ns;
}

// Property forms.
enum Form { fText, fAlt, fSeq, fBag };

std::string_view SchemaURI(std::string_view prefix) {
  if (prefix == "dc") return kNsDC;
  if (prefix == "xmp") return kNsXMP;
  return kNsPDF;
}

}  // namespace

TOrvanePDFLibraryXMP::TOrvanePDFLibraryXMP() {
  try {
    document_ = std::make_unique<TXMLDocument>();
    BuildNewPacket();
    WriteAll();
  } catch (...) {
    document_.reset();
    unavailable_ = true;
  }
}

TOrvanePDFLibraryXMP::~TOrvanePDFLibraryXMP() = default;

void TOrvanePDFLibraryXMP::BuildNewPacket() {
  TXMLNode meta = document_->CreateDocumentElement(kNsMeta, "x:xmpmeta");
  meta.AppendElement(kNsRDF, "rdf:RDF");
  document_->AddProcessingInstruction("xpacket", kPacketBegin, true);
  document_->AddProcessingInstruction("xpacket", "end=\"w\"", false);
}

void TOrvanePDFLibraryXMP::WriteAll() {
  SetProperty("dc", "format", fText, u"application/pdf");
  SetProperty("dc", "title", fAlt, title_);
  SetProperty("dc", "creator", fSeq, creator_);
  SetProperty("dc", "description", fAlt, subject_);
  SetProperty("pdf", "Keywords", fText, keywords_);
  SetProperty("xmp", "CreatorTool", fText, creatorTool_);
  SetProperty("pdf", "Producer", fText, producer_);
  SetProperty("xmp", "CreateDate", fText, createDate_);
  SetProperty("xmp", "ModifyDate", fText, modifyDate_);
}

TXMLNode TOrvanePDFLibraryXMP::RDFNode() const {
  TXMLNode meta = document_->DocumentElement();
  return meta.FirstChildElement(kNsRDF, "RDF");
}

// The rdf:Description that holds the schema: one that declares its namespace or already holds
// one of its properties; otherwise a new one.
TXMLNode TOrvanePDFLibraryXMP::DescriptionFor(std::string_view prefix) {
  const std::string_view uri = SchemaURI(prefix);
  TXMLNode rdf = RDFNode();
  for (const TXMLNode& d : rdf.ChildElements()) {
    if (d.LocalName() != "Description" || d.NamespaceURI() != kNsRDF) continue;
    if (d.DeclaresNamespace(uri)) return d;
    for (const TXMLNode& p : d.ChildElements())
      if (p.NamespaceURI() == uri) return d;
  }
  TXMLNode d = rdf.AppendElement(kNsRDF, "rdf:Description");
  d.DeclareNamespace(prefix, uri);
  return d;
}

void TOrvanePDFLibraryXMP::SetProperty(std::string_view prefix, std::string_view localName, int form,
                                       const WideString& value) {
  const std::string_view uri = SchemaURI(prefix);
  // One element per property in the whole packet.
  for (const TXMLNode& d : RDFNode().ChildElements()) {
    for (TXMLNode p : d.ChildElements())
      if (p.LocalName() == localName && p.NamespaceURI() == uri) p.Remove();
  }
  TXMLNode description = DescriptionFor(prefix);
  TXMLNode element = description.AppendElement(uri, std::string(prefix) + ":" + std::string(localName));
  const std::string text = WideToUtf8(value);
  switch (form) {
    case fAlt: {
      TXMLNode li = element.AppendElement(kNsRDF, "rdf:Alt").AppendElement(kNsRDF, "rdf:li");
      li.SetLang("x-default");
      li.SetText(text);
      break;
    }
    case fSeq: element.AppendElement(kNsRDF, "rdf:Seq").AppendElement(kNsRDF, "rdf:li").SetText(text); break;
    case fBag: element.AppendElement(kNsRDF, "rdf:Bag").AppendElement(kNsRDF, "rdf:li").SetText(text); break;
    default: element.SetText(text); break;
  }
}

void TOrvanePDFLibraryXMP::LoadPacket(std::string_view xml) {
  if (unavailable_ || xml.empty()) return;
  auto loaded = std::make_unique<TXMLDocument>();
  if (!loaded->LoadXML(xml)) return;
  // Only a packet whose root is x:xmpmeta is taken; anything else keeps the packet as it is.
  TXMLNode meta = loaded->DocumentElement();
  if (meta.LocalName() != "xmpmeta" || meta.NamespaceURI() != kNsMeta) return;
  if (!meta.FirstChildElement(kNsRDF, "RDF")) meta.AppendElement(kNsRDF, "rdf:RDF");
  document_ = std::move(loaded);
  TXMLNode creator = document_->SelectSingleNode(
      "/x:xmpmeta/rdf:RDF/rdf:Description/dc:creator/rdf:Bag/rdf:li | "
      "/x:xmpmeta/rdf:RDF/rdf:Description/dc:creator/rdf:Seq/rdf:li",
      SelectionNamespaces());
  if (creator) creator_ = Utf8ToWide(creator.Text());
  TXMLNode subject =
      document_->SelectSingleNode("/x:xmpmeta/rdf:RDF/rdf:Description/dc:subject/rdf:Bag/rdf:li", SelectionNamespaces());
  if (subject) dcSubject_ = Utf8ToWide(subject.Text());
}

bool TOrvanePDFLibraryXMP::Changed(WideString& stored, const WideString& value) {
  if (unavailable_ || stored == value) return false;
  stored = value;
  return true;
}

void TOrvanePDFLibraryXMP::SetTitle(const WideString& value) {
  if (Changed(title_, value)) SetProperty("dc", "title", fAlt, value);
}

void TOrvanePDFLibraryXMP::SetAuthor(const WideString& value) {
  if (Changed(creator_, value)) SetProperty("dc", "creator", fSeq, value);
}

void TOrvanePDFLibraryXMP::SetSubject(const WideString& value) {
  if (Changed(subject_, value)) SetProperty("dc", "description", fAlt, value);
}

void TOrvanePDFLibraryXMP::SetKeywords(const WideString& value) {
  if (Changed(keywords_, value)) SetProperty("pdf", "Keywords", fText, value);
}

void TOrvanePDFLibraryXMP::SetCreator(const WideString& value) {
  if (Changed(creatorTool_, value)) SetProperty("xmp", "CreatorTool", fText, value);
}

void TOrvanePDFLibraryXMP::SetProducer(const WideString& value) {
  if (Changed(producer_, value)) SetProperty("pdf", "Producer", fText, value);
}

void TOrvanePDFLibraryXMP::SetCreationDate(const WideString& value) {
  if (Changed(createDate_, value)) SetProperty("xmp", "CreateDate", fText, ConvertPDFDateToXMP(value));
}

void TOrvanePDFLibraryXMP::SetModDate(const WideString& value) {
  if (Changed(modifyDate_, value)) SetProperty("xmp", "ModifyDate", fText, ConvertPDFDateToXMP(value));
}

void TOrvanePDFLibraryXMP::SetDCSubject(const WideString& value) {
  if (Changed(dcSubject_, value)) SetProperty("dc", "subject", fBag, value);
}

std::string TOrvanePDFLibraryXMP::SaveToString() const { return unavailable_ ? std::string() : document_->SaveToString(); }

std::string TOrvanePDFLibraryXMP::SelectText(std::string_view xpath) const {
  if (unavailable_) return {};
  TXMLNode node = document_->SelectSingleNode(xpath, SelectionNamespaces());
  return node ? node.Text() : std::string();
}

namespace {

bool IsDigits(const WideString& s, size_t from, size_t count) {
  if (from + count > s.size()) return false;
  for (size_t i = from; i < from + count; ++i)
    if (s[i] < u'0' || s[i] > u'9') return false;
  return true;
}

// D:YYYYMMDDHHmmSS followed by Z, or by a sign, HH'mm and an optional closing apostrophe.
bool IsFullPDFDate(const WideString& v) {
  if (v.size() < 17 || v[0] != u'D' || v[1] != u':' || !IsDigits(v, 2, 14)) return false;
  if (v[16] == u'Z') return v.size() == 17;
  if (v[16] != u'+' && v[16] != u'-') return false;
  if (v.size() != 22 && v.size() != 23) return false;
  if (!IsDigits(v, 17, 2) || v[19] != u'\'' || !IsDigits(v, 20, 2)) return false;
  return v.size() == 22 || v[22] == u'\'';
}

}  // namespace

WideString ConvertPDFDateToXMP(const WideString& value) {
  if (!IsFullPDFDate(value)) return value;
  auto part = [&value](size_t pos1, size_t count) { return value.substr(pos1 - 1, count); };
  WideString r = part(3, 4) + u"-" + part(7, 2) + u"-" + part(9, 2) + u"T" + part(11, 2) + u":" + part(13, 2) + u":" +
                 part(15, std::min<size_t>(5, value.size() - 14)) + u":" +
                 (value.size() >= 21 ? part(21, std::min<size_t>(2, value.size() - 20)) : WideString());
  if (r.size() >= 2 && r.substr(r.size() - 2) == u"Z:") r.pop_back();
  return r;
}
