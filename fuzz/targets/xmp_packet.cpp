// Fuzz entry point: an XMP packet as a document's /Metadata text, then the properties the
// library mirrors into it, then the packet written out again and read back.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "pdf/core/xmp/xmp_packet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  TOrvanePDFLibraryXMP xmp;
  if (!xmp.Available()) std::abort();
  xmp.LoadPacket(text);
  xmp.SetTitle(u"Title");
  xmp.SetAuthor(u"Author");
  xmp.SetDCSubject(u"subject");
  xmp.SetCreationDate(Utf8ToWide(std::string(text.substr(0, 32))));
  xmp.SetProducer(u"Producer");
  if (xmp.SelectText("/x:xmpmeta/rdf:RDF/rdf:Description/pdf:Producer") != "Producer") std::abort();
  const std::string once = xmp.SaveToString();
  TOrvanePDFLibraryXMP again;
  again.LoadPacket(once);
  if (again.SelectText("//dc:title/rdf:Alt/rdf:li") != "Title") std::abort();
  return 0;
}
