#include "pdf/core/xmp/xmp_packet.h"

// Bodies follow with the XML DOM.
class TXMLDocument {};

TOrvanePDFLibraryXMP::TOrvanePDFLibraryXMP() : unavailable_(true) {}
TOrvanePDFLibraryXMP::~TOrvanePDFLibraryXMP() = default;
void TOrvanePDFLibraryXMP::LoadPacket(std::string_view) {}
void TOrvanePDFLibraryXMP::SetTitle(const WideString&) {}
void TOrvanePDFLibraryXMP::SetAuthor(const WideString&) {}
void TOrvanePDFLibraryXMP::SetSubject(const WideString&) {}
void TOrvanePDFLibraryXMP::SetKeywords(const WideString&) {}
void TOrvanePDFLibraryXMP::SetCreator(const WideString&) {}
void TOrvanePDFLibraryXMP::SetProducer(const WideString&) {}
void TOrvanePDFLibraryXMP::SetCreationDate(const WideString&) {}
void TOrvanePDFLibraryXMP::SetModDate(const WideString&) {}
void TOrvanePDFLibraryXMP::SetDCSubject(const WideString&) {}
std::string TOrvanePDFLibraryXMP::SaveToString() const { return {}; }
std::string TOrvanePDFLibraryXMP::SelectText(std::string_view) const { return {}; }
WideString ConvertPDFDateToXMP(const WideString& value) { return value; }
