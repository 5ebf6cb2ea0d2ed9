// TOrvanePDFLibraryXMP keeps a document's XMP metadata packet as an XML DOM and mirrors the
// document properties into it (title, author, subject, keywords, creator tool, producer, the
// two dates and dc:subject).
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>

#include "platform/rtl/strings.h"

class TXMLDocument;
class TXMLNode;

class TOrvanePDFLibraryXMP {
 public:
  // Builds a new packet. When the DOM cannot be made the object is unavailable and every
  // operation does nothing; no exception leaves the constructor.
  TOrvanePDFLibraryXMP();
  ~TOrvanePDFLibraryXMP();
  TOrvanePDFLibraryXMP(const TOrvanePDFLibraryXMP&) = delete;
  TOrvanePDFLibraryXMP& operator=(const TOrvanePDFLibraryXMP&) = delete;

  // Replaces the packet by the XML bytes when they are not empty and parse as an XMP packet
  // (x:xmpmeta at the top); otherwise the packet stays as it was.
  void LoadPacket(std::string_view xml);

  void SetTitle(const WideString& value);
  void SetAuthor(const WideString& value);
  void SetSubject(const WideString& value);
  void SetKeywords(const WideString& value);
  void SetCreator(const WideString& value);
  void SetProducer(const WideString& value);
  void SetCreationDate(const WideString& value);
  void SetModDate(const WideString& value);
  void SetDCSubject(const WideString& value);

  bool Available() const { return !unavailable_; }
  // The packet as XML text (UTF-8); empty when unavailable.
  std::string SaveToString() const;
  // The text of the first element the XPath expression selects (prefixes x, rdf, xmp, dc, pdf,
  // pdfaid), or empty.
  std::string SelectText(std::string_view xpath) const;

  // Stored values, used to skip unchanged values.
  const WideString& Title() const { return title_; }
  const WideString& Creator() const { return creator_; }
  const WideString& DCSubject() const { return dcSubject_; }

 private:
  void BuildNewPacket();
  void WriteAll();
  TXMLNode RDFNode() const;
  TXMLNode DescriptionFor(std::string_view prefix);
  void SetProperty(std::string_view prefix, std::string_view localName, int form, const WideString& value);
  bool Changed(WideString& stored, const WideString& value);

  std::unique_ptr<TXMLDocument> document_;
  bool unavailable_ = false;
  // Last values set (dc:title, dc:creator, dc:description, pdf:Keywords, xmp:CreatorTool,
  // pdf:Producer, xmp:CreateDate, xmp:ModifyDate, dc:subject).
  WideString title_, creator_, subject_, keywords_, creatorTool_, producer_, createDate_, modifyDate_, dcSubject_;
};

// A PDF date (D:YYYYMMDDHHmmSS followed by Z or a zone such as +02'00') in XMP form
// (2013-10-13T12:00:00+02:00); anything else is returned unchanged.
WideString ConvertPDFDateToXMP(const WideString& value);
