// Stand-ins for the stream filter chain until the filter library lands: Decode hands back the
// stored bytes unchanged, and compression deflates with zlib's default level.
#include <zlib.h>

#include "pdf/core/objects/pdf_stream.h"
#include "pdf/core/objects/stream_codec.h"

bool TPDFStream::Decode(std::string& out) const {
  out = Data();  // no filters applied yet
  return true;
}

std::string CompressStreamData(std::string_view data) {
  if (data.empty()) return std::string();
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  std::string out(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                static_cast<uLong>(data.size()), Z_DEFAULT_COMPRESSION) != Z_OK)
    return std::string();
  out.resize(size);
  return out;
}
