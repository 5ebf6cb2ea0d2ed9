#include "pdf/core/filters/flate.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <exception>

#include "platform/rtl/exceptions.h"

namespace {

// zlib counts in uInt; larger inputs and outputs are handed over in slices.
constexpr int64_t kMaxSlice = UINT_MAX;
constexpr int64_t kInflateMinStep = 8192;
constexpr size_t kMaxStoredBlock = 65535;

class DeflateStream {
 public:
  explicit DeflateStream(int level) { ZlibCompressCheck(deflateInit(&zs_, level)); }
  ~DeflateStream() { deflateEnd(&zs_); }
  DeflateStream(const DeflateStream&) = delete;
  DeflateStream& operator=(const DeflateStream&) = delete;
  z_stream* operator->() { return &zs_; }
  z_stream* get() { return &zs_; }

 private:
  z_stream zs_{};
};

// Hands zlib the next slice of input when its current one is used up.
void FeedInput(z_stream* zs, std::string_view input, int64_t& consumed) {
  if (zs->avail_in != 0) return;
  const int64_t left = static_cast<int64_t>(input.size()) - consumed;
  const int64_t slice = std::min(left, kMaxSlice);
  zs->next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data() + consumed));
  zs->avail_in = static_cast<uInt>(slice);
  consumed += slice;
}

void PointOutput(z_stream* zs, std::string& out, int64_t written) {
  zs->next_out = reinterpret_cast<Bytef*>(out.data() + written);
  zs->avail_out = static_cast<uInt>(std::min(static_cast<int64_t>(out.size()) - written, kMaxSlice));
}

int ZlibLevel(int level) {
  switch (level) {
    case 0: return Z_NO_COMPRESSION;
    case 1: return Z_BEST_SPEED;
    case 3: return Z_BEST_COMPRESSION;
    default: return Z_DEFAULT_COMPRESSION;
  }
}

void AppendBigEndian32(std::string& s, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) s.push_back(static_cast<char>(v >> shift));
}

}  // namespace

void ZlibCompressCheck(int code) {
  if (code < 0) throw Exception("");
}

void ZlibDecompressCheck(int code) {
  if (code < 0) throw Exception("");
}

void ZlibInflateCheck(int code) {
  if (code < 0 && code != Z_DATA_ERROR && code != Z_BUF_ERROR) throw Exception("");
}

void FlateCompressBuffer(std::string_view input, std::string& output, int zlibLevel) {
  DeflateStream zs(zlibLevel);
  output.assign(deflateBound(zs.get(), static_cast<uLong>(input.size())) + 64, '\0');
  int64_t consumed = 0;
  int64_t written = 0;
  for (;;) {
    FeedInput(zs.get(), input, consumed);
    if (written == static_cast<int64_t>(output.size())) output.resize(output.size() + output.size() / 2 + 256);
    PointOutput(zs.get(), output, written);
    const uInt room = zs->avail_out;
    const bool last = consumed == static_cast<int64_t>(input.size());
    const int rc = deflate(zs.get(), last ? Z_FINISH : Z_NO_FLUSH);
    if (rc != Z_BUF_ERROR) ZlibCompressCheck(rc);
    written += room - zs->avail_out;
    if (rc == Z_STREAM_END) break;
  }
  ZlibCompressCheck(deflateEnd(zs.get()));
  output.resize(static_cast<size_t>(written));
}

FlateEnd FlateDecompressBuffer(std::string_view input, std::string& output, int64_t outEstimate,
                               int64_t maxOutput) {
  TFlateReader reader(input, maxOutput);
  const int64_t step = std::max(kInflateMinStep, (static_cast<int64_t>(input.size()) + 255) / 256 * 256);
  maxOutput = std::max<int64_t>(maxOutput, 0);
  output.assign(static_cast<size_t>(std::min(outEstimate > 0 ? outEstimate : step, maxOutput)), '\0');
  int64_t written = 0;
  FlateEnd end = FlateEnd::Truncated;
  for (;;) {
    const int64_t size = static_cast<int64_t>(output.size());
    if (written == size) {
      if (size >= maxOutput) {
        end = reader.Exhausted() ? reader.End() : FlateEnd::OutputLimit;
        break;
      }
      output.resize(static_cast<size_t>(std::min(maxOutput, size + std::max(step, size / 2))));
    }
    const int64_t room = static_cast<int64_t>(output.size()) - written;
    const int64_t got = reader.Read(reinterpret_cast<uint8_t*>(output.data() + written), room);
    written += got;
    if (got < room) {
      end = reader.End();
      break;
    }
  }
  if (reader.Failed()) throw Exception("");
  output.resize(static_cast<size_t>(written));
  return end;
}

struct TFlateWriter::TState {
  DeflateStream zs{Z_DEFAULT_COMPRESSION};
  std::string out;
};

TFlateWriter::TFlateWriter(int64_t expected) : state_(std::make_unique<TState>()) {
  // Room that is never written stays untouched: the deflated data cost what they hold. Room
  // that cannot be had is left to grow as the data come.
  try {
    if (expected > 0) state_->out.reserve(size_t(deflateBound(state_->zs.get(), uLong(expected))));
  } catch (const std::exception&) {
  }
}

TFlateWriter::~TFlateWriter() = default;

void TFlateWriter::Write(std::string_view data) {
  if (!data.empty()) Deflate(data, false);
}

std::string TFlateWriter::Finish() {
  Deflate({}, true);
  std::string out = std::move(state_->out);
  // Room far beyond what the data took is given back.
  if (out.capacity() > 2 * out.size() + 65536) out.shrink_to_fit();
  return out;
}

void TFlateWriter::Deflate(std::string_view data, bool last) {
  z_stream* zs = state_->zs.get();
  char chunk[1 << 16];
  int64_t consumed = 0;
  zs->avail_in = 0;
  for (;;) {
    FeedInput(zs, data, consumed);
    zs->next_out = reinterpret_cast<Bytef*>(chunk);
    zs->avail_out = sizeof chunk;
    const bool end = last && consumed == static_cast<int64_t>(data.size());
    const int rc = deflate(zs, end ? Z_FINISH : Z_NO_FLUSH);
    if (rc != Z_BUF_ERROR) ZlibCompressCheck(rc);
    state_->out.append(chunk, sizeof chunk - zs->avail_out);
    if (rc == Z_STREAM_END) return;
    // Without the end, zlib keeps what it has not yet written until more comes.
    if (!end && zs->avail_in == 0 && consumed == static_cast<int64_t>(data.size()) && zs->avail_out != 0) return;
  }
}

std::string FlateCompressString(std::string_view data) { return FlateCompressToString(data, 2); }

std::string FlateCompressToString(std::string_view data, int level) {
  if (data.empty()) return {};
  try {
    std::string out;
    FlateCompressBuffer(data, out, ZlibLevel(level));
    return out;
  } catch (...) {
    return {};
  }
}

std::string FlateDecompressString(std::string_view data, int64_t maxOutput) {
  if (data.empty()) return {};
  try {
    std::string out;
    FlateDecompressBuffer(data, out, 0, maxOutput);
    return out;
  } catch (...) {
    return {};
  }
}

std::string FlateStoreString(std::string_view data) {
  if (data.empty()) return {};
  if (data.size() > kMaxStoredBlock) return FlateCompressToString(data, 0);
  const auto len = static_cast<uint16_t>(data.size());
  const auto nlen = static_cast<uint16_t>(~len);
  std::string out = {'\x78', '\x01', '\x01'};
  out.push_back(static_cast<char>(len & 0xFF));
  out.push_back(static_cast<char>(len >> 8));
  out.push_back(static_cast<char>(nlen & 0xFF));
  out.push_back(static_cast<char>(nlen >> 8));
  out.append(data);
  const uLong check = adler32(adler32(0, nullptr, 0), reinterpret_cast<const Bytef*>(data.data()),
                              static_cast<uInt>(data.size()));
  AppendBigEndian32(out, static_cast<uint32_t>(check));
  return out;
}

std::string FlatePredictorDecode(std::string_view data, const FlatePredictorParams& params,
                                 int64_t maxOutput) {
  std::string out = FlateDecompressString(data, maxOutput);
  UndoPredictorInPlace(out, params, maxOutput);
  return out;
}
