// The header, the chain of image file directories and the tags of each page.
//
// A TIFF file is a web of offsets; every one of them comes from the file. The walk keeps the
// offsets it has seen (a chain that loops ends), reads an entry's values only when they lie
// inside the data, and limits how much value and strip data one file may make it read, so that
// the work stays proportional to the file's size.
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <cmath>
#include <cstring>
#include <unordered_set>

#include "pdf/codecs/tiff/tiff_data.h"
#include "pdf/codecs/tiff/tiff_reader.h"
#include "platform/rtl/numbers.h"

namespace {

constexpr uint8_t kTypeSizes[13] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};

// Photoshop-style APP14 marker: version 100, flags 0x8000 and 0, transform 0 (the samples are
// RGB, not YCbCr).
constexpr char kAdobeRGBMarker[16] = {'\xFF', '\xEE', 0, 0x0E, 'A', 'd', 'o', 'b', 'e', 0, 0x64, '\x80', 0, 0, 0, 0};

// One directory entry with its values. Integer and real values alike are held as doubles
// (every 32-bit integer is exact there); BYTE, SBYTE, UNDEFINED and ASCII data also as bytes.
struct TTIFFEntry {
  uint16_t Tag = 0;
  uint16_t Type = 0;
  uint32_t Count = 0;
  std::vector<double> Values;
  std::string Bytes;

  double Real(size_t i = 0) const { return i < Values.size() ? Values[i] : 0.0; }
  uint32_t Int(size_t i = 0) const {
    const double v = Real(i);
    if (!(v > 0)) return 0;
    return v >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<uint32_t>(v);
  }
};

// Only these tags' values are read; the others are passed over without touching their data.
bool TagWanted(uint16_t tag) {
  switch (tag) {
    case 256: case 257: case 258: case 259: case 262: case 266: case 273: case 277: case 278:
    case 279: case 282: case 283: case 284: case 292: case 296: case 317: case 320: case 322:
    case 323: case 324: case 325: case 338: case 339: case 347: case 519: case 520: case 521:
    case 529: case 530:
      return true;
    default:
      return false;
  }
}

uint8_t CompressionCode(uint32_t value) {
  switch (value) {
    case 1: return kTIFFNone;
    case 3: return kTIFFGroup3OneD;
    case 4: return kTIFFGroup4;
    case 5: return kTIFFLZW;
    case 6: case 7: return kTIFFJPEG;
    case 8: case 32946: return kTIFFDeflate;
    case 32773: return kTIFFPackBits;
    default: return kTIFFNotSupported;
  }
}

uint32_t ClampToUInt32(double v) {
  if (!(v > 0)) return 0;
  return v >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<uint32_t>(v);
}

uint32_t DotsPerInch(double value, uint32_t unit) {
  const double dpi = unit == 3 ? 2.54 * value : value;
  if (!(dpi > 0)) return 0;
  if (dpi >= 2147483647.0) return 2147483647u;
  return static_cast<uint32_t>(RoundHalfEven(dpi));
}

class TDirectoryWalker {
 public:
  TDirectoryWalker(TPDFTIFF& reader, TTIFFData& data) : r_(reader), d_(data) {
    valueBudget_ = 4 * data.size() + (1u << 20);
    stripBudget_ = 2 * data.size() + (64u << 20);
  }

  void Run(int32_t pageIndex);

 private:
  bool U16(uint64_t pos, uint32_t& v) const {
    const std::string_view b = d_.View(pos, 2);
    if (b.empty()) return false;
    const auto* p = reinterpret_cast<const uint8_t*>(b.data());
    v = big_ ? (p[0] << 8 | p[1]) : (p[1] << 8 | p[0]);
    return true;
  }
  bool U32(uint64_t pos, uint32_t& v) const {
    const std::string_view b = d_.View(pos, 4);
    if (b.empty()) return false;
    const auto* p = reinterpret_cast<const uint8_t*>(b.data());
    v = big_ ? (uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3])
             : (uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]);
    return true;
  }
  uint64_t U64(uint64_t pos) const {
    uint32_t a = 0, b = 0;
    U32(pos, a);
    U32(pos + 4, b);
    return big_ ? (uint64_t(a) << 32 | b) : (uint64_t(b) << 32 | a);
  }

  std::vector<uint64_t> Chain(uint32_t first, int32_t pageIndex) const;
  TTIFFEntry ReadEntry(uint64_t pos);
  void ReadValues(TTIFFEntry& e, uint64_t where);
  // Parses the directory at offset into a new page record; false when the walk must end.
  bool ParsePage(uint64_t offset);
  void ApplyTag(const TTIFFEntry& e, TPDFTIFFPage& page);
  void Finish(TPDFTIFFPage& page);

  TPDFTIFF& r_;
  TTIFFData& d_;
  bool big_ = false;
  uint64_t valueBudget_;
  // The pieces' bytes are held once, however many pieces point at them; this bounds how many
  // bytes the pieces of one file may make a reader go through.
  uint64_t stripBudget_;
  bool stripBudgetSpent_ = false;

  // Per directory.
  std::vector<uint32_t> offsets_, counts_;
  std::string jpegTables_;
  double resX_ = 0, resY_ = 0;
  bool haveResX_ = false, haveResY_ = false;
  uint32_t resUnit_ = 2;
  bool haveBits_ = false;
  bool haveTileSize_ = false;
};

// The directory offsets in chain order: the chain ends at a next offset of 0, at an offset that
// lies outside the data or was seen before, and after MaxPages directories. With a page index
// the walk need not go beyond that page.
std::vector<uint64_t> TDirectoryWalker::Chain(uint32_t first, int32_t pageIndex) const {
  std::vector<uint64_t> chain;
  std::unordered_set<uint64_t> seen;
  uint64_t off = first;
  while (off != 0 && chain.size() < size_t(TPDFTIFF::MaxPages)) {
    uint32_t n = 0;
    if (!U16(off, n) || !seen.insert(off).second) break;
    chain.push_back(off);
    if (pageIndex >= 0 && chain.size() > size_t(pageIndex)) break;
    if (n == 0) break;  // an empty directory ends the walk
    uint32_t next = 0;
    if (!U32(off + 2 + 12 * uint64_t(n), next)) break;
    off = next;
  }
  return chain;
}

void TDirectoryWalker::Run(int32_t pageIndex) {
  const std::string_view head = d_.View(0, 4);
  if (head.empty()) return;
  if (!((head[0] == 'I' && head[1] == 'I') || (head[0] == 'M' && head[1] == 'M'))) return;
  big_ = head[0] == 'M';
  uint32_t magic = 0;
  U16(2, magic);
  if (magic != 42) return;
  r_.Valid = true;
  r_.FirstIFDFieldOffset = 4;
  uint32_t first = 0;
  if (!U32(4, first)) return;
  r_.IFDOffsetFields.emplace_back(d_.View(4, 4));

  const std::vector<uint64_t> chain = Chain(first, pageIndex);
  if (chain.empty()) return;
  if (pageIndex >= 0) {
    ParsePage(chain[size_t(pageIndex) < chain.size() ? size_t(pageIndex) : 0]);
    return;
  }
  for (uint64_t off : chain)
    if (!ParsePage(off)) break;
}

TTIFFEntry TDirectoryWalker::ReadEntry(uint64_t pos) {
  TTIFFEntry e;
  uint32_t tag = 0, type = 0, count = 0;
  U16(pos, tag);
  U16(pos + 2, type);
  U32(pos + 4, count);
  e.Tag = uint16_t(tag);
  e.Type = uint16_t(type);
  e.Count = count;
  if (count == 0) {
    e.Values.push_back(0);
    return e;
  }
  if (type == 0 || type > 12 || !TagWanted(e.Tag)) return e;
  // More numbers than a page may have strips are of no use to any tag (offsets and counts past
  // that make the page unusable): those past them are not read.
  const bool bytes = type == 1 || type == 2 || type == 6 || type == 7;
  if (!bytes) e.Count = std::min(count, TPDFTIFF::MaxStripsPerPage + 1);
  const uint64_t total = uint64_t(e.Count) * kTypeSizes[type];
  uint64_t where = pos + 8;
  if (total > 4) {
    uint32_t at = 0;
    U32(pos + 8, at);
    where = at;
  }
  // Values that do not lie wholly inside the data, or beyond what this file may make us read,
  // are missing.
  if (where + total > d_.size() || total > valueBudget_) return e;
  valueBudget_ -= total;
  ReadValues(e, where);
  e.Count = count;
  return e;
}

void TDirectoryWalker::ReadValues(TTIFFEntry& e, uint64_t where) {
  const uint32_t n = e.Count;
  // Read once: the values below are read where this leaves them. Values the file no longer
  // holds (it shrank since it was opened) are missing.
  const std::string_view values = d_.View(where, uint64_t(n) * kTypeSizes[e.Type]);
  if (values.empty()) return;
  const auto* p = reinterpret_cast<const uint8_t*>(values.data());
  switch (e.Type) {
    case 2:  // ASCII: the closing NUL dropped
      if (n >= 2) e.Bytes.assign(reinterpret_cast<const char*>(p), n - 1);
      return;
    case 1: case 6: case 7:
      e.Bytes.assign(reinterpret_cast<const char*>(p), n);
      if (e.Type == 7) return;
      e.Values.reserve(n);
      for (uint32_t i = 0; i < n; ++i) e.Values.push_back(e.Type == 6 ? double(int8_t(p[i])) : double(p[i]));
      return;
    default:
      break;
  }
  const uint32_t size = kTypeSizes[e.Type];
  e.Values.reserve(n);
  for (uint32_t i = 0; i < n; ++i) {
    const uint64_t at = where + uint64_t(i) * size;
    uint32_t a = 0, b = 0;
    switch (e.Type) {
      case 3: U16(at, a); e.Values.push_back(a); break;
      case 8: U16(at, a); e.Values.push_back(int16_t(uint16_t(a))); break;
      case 4: case 9: U32(at, a); e.Values.push_back(a); break;
      case 5: U32(at, a); U32(at + 4, b); e.Values.push_back(b == 0 ? 0.0 : double(a) / double(b)); break;
      case 10:
        U32(at, a);
        U32(at + 4, b);
        e.Values.push_back(b == 0 ? 0.0 : double(int32_t(a)) / double(int32_t(b)));
        break;
      case 11: {
        U32(at, a);
        float f;
        std::memcpy(&f, &a, 4);
        e.Values.push_back(f);
        break;
      }
      case 12: {
        const uint64_t bits = U64(at);
        double v;
        std::memcpy(&v, &bits, 8);
        e.Values.push_back(v);
        break;
      }
    }
  }
}

bool TDirectoryWalker::ParsePage(uint64_t offset) {
  TPDFTIFFPage page;
  page.BigEndian = big_;
  // Without the tag the data are uncompressed, as the standard has it.
  page.Compression = kTIFFNone;
  offsets_.clear();
  counts_.clear();
  jpegTables_.clear();
  resX_ = resY_ = 0;
  haveResX_ = haveResY_ = false;
  resUnit_ = 2;
  haveBits_ = false;
  haveTileSize_ = false;

  uint32_t n = 0;
  U16(offset, n);
  // Entries that would lie past the end of the data are not there.
  const uint64_t room = (d_.size() - offset - 2) / 12;
  const uint64_t entries = std::min<uint64_t>(n, room);
  for (uint64_t i = 0; i < entries && r_.Valid; ++i) ApplyTag(ReadEntry(offset + 2 + 12 * i), page);

  if (page.Compression == kTIFFJPEG && page.Photometric == 2)
    jpegTables_.append(kAdobeRGBMarker, sizeof kAdobeRGBMarker);
  bool more = r_.Valid && n != 0;
  if (n != 0) {
    const uint64_t field = offset + 2 + 12 * uint64_t(n);
    if (field + 4 <= d_.size()) r_.IFDOffsetFields.emplace_back(d_.View(field, 4));
  }
  Finish(page);
  r_.Pages.push_back(std::move(page));
  r_.PageCount = uint16_t(r_.Pages.size());
  return more && !stripBudgetSpent_;
}

void TDirectoryWalker::ApplyTag(const TTIFFEntry& e, TPDFTIFFPage& page) {
  auto all = [&](std::vector<uint32_t>& to) {
    to.clear();
    if (e.Values.size() > TPDFTIFF::MaxStripsPerPage) return;
    to.reserve(e.Values.size());
    for (double v : e.Values) to.push_back(ClampToUInt32(v));
  };
  switch (e.Tag) {
    case 256: page.Width = e.Int(); break;
    case 257: page.Height = e.Int(); break;
    case 258:
      page.BitsPerSample = e.Int();
      haveBits_ = true;
      break;
    case 259: page.Compression = CompressionCode(e.Int()); break;
    case 262:
      page.PhotometricTag = e.Int();
      if (!e.Values.empty() && e.Int() <= 7) {
        page.Photometric = uint8_t(e.Int());
        page.MinIsBlack = page.Photometric == 1;
      }
      break;
    case 266: page.FillOrder = e.Int(); break;
    case 273:
    case 279:
      if (page.Tiled)
        r_.Valid = false;
      else
        all(e.Tag == 273 ? offsets_ : counts_);
      break;
    case 277: page.SamplesPerPixel = e.Int(); break;
    case 278:
      if (page.Tiled) {
        r_.Valid = false;
      } else {
        page.RowsPerStrip = e.Int();
        if (offsets_.size() == 1 && page.RowsPerStrip < 2) page.RowsPerStrip = page.Height;
      }
      break;
    case 282: resX_ = e.Real(); haveResX_ = true; break;
    case 283: resY_ = e.Real(); haveResY_ = true; break;
    case 284: page.PlanarSeparate = e.Int() == 2; break;
    case 292:
      if (page.Compression == kTIFFGroup3OneD) {
        if (e.Int() & 1) page.Compression = kTIFFGroup3TwoD;
        page.T4ByteAligned = (e.Int() & 4) != 0;
      }
      break;
    case 296: resUnit_ = e.Int(); break;
    case 317: page.Predictor = e.Int(); break;
    case 320: all(page.ColorMap); break;
    case 322: page.TileWidth = e.Int(); haveTileSize_ = true; break;
    case 323: page.TileLength = e.Int(); haveTileSize_ = true; break;
    case 324:
    case 325: {
      std::vector<uint32_t>& to = e.Tag == 324 ? offsets_ : counts_;
      if (to.empty()) {
        page.Tiled = true;
        all(to);
      } else {
        r_.Valid = false;
      }
      break;
    }
    case 338:
      page.ExtraSamples = e.Int();
      page.ExtraSampleCount = e.Values.empty() ? 0 : e.Count;
      break;
    case 339: page.SampleFormat = e.Int(); break;
    case 347: {
      std::string_view t = e.Bytes;
      if (t.size() < 3) {
        r_.Unsupported = true;
        break;
      }
      if (t.size() >= 2 && uint8_t(t[0]) == 0xFF && uint8_t(t[1]) == 0xD8) t.remove_prefix(2);
      if (t.size() >= 2 && uint8_t(t[t.size() - 2]) == 0xFF && uint8_t(t.back()) == 0xD9) t.remove_suffix(2);
      jpegTables_.append(t);
      break;
    }
    case 519: case 520: case 521: r_.Unsupported = true; break;
    case 529: {
      static constexpr double kExpected[3] = {0.2989, 0.5867, 0.1144};
      bool ok = e.Values.size() == 3;
      for (size_t i = 0; ok && i < 3; ++i) ok = std::fabs(e.Values[i] - kExpected[i]) <= 1e-12 * kExpected[i];
      if (!ok) r_.Unsupported = true;
      break;
    }
    case 530: {
      bool ok = e.Values.size() == 2;
      for (size_t i = 0; ok && i < 2; ++i) ok = e.Values[i] == 1 || e.Values[i] == 2;
      if (!ok) r_.Unsupported = true;
      break;
    }
    default:
      break;
  }
}

void TDirectoryWalker::Finish(TPDFTIFFPage& page) {
  // A page with a tile size is tiled, as libtiff reads it, also where its tiles' offsets and
  // byte counts stand under the strip tags (libtiff's own quad-tile.tif): read as strips, its
  // tiles were drawn as rows squeezed into bands.
  if (haveTileSize_ && !offsets_.empty()) page.Tiled = true;
  counts_.resize(std::max(counts_.size(), offsets_.size()), 0);
  for (size_t i = 0; i < offsets_.size(); ++i) {
    // A strip is clipped to the data; one that starts beyond it is empty.
    const uint64_t off = offsets_[i];
    uint64_t len = off < d_.size() ? std::min<uint64_t>(counts_[i], d_.size() - off) : 0;
    if (len > stripBudget_) {
      len = stripBudget_;
      stripBudgetSpent_ = true;
    }
    stripBudget_ -= len;
    page.Strips.Append(off, len);
  }
  if (page.Compression == kTIFFJPEG && !jpegTables_.empty()) page.JPEGTables = "\xFF\xD8" + jpegTables_;

  page.ResolutionX = haveResX_ ? DotsPerInch(resX_, resUnit_) : 0;
  page.ResolutionY = haveResY_ ? DotsPerInch(resY_, resUnit_) : 0;
  const bool fax = page.Compression == kTIFFGroup4 || page.Compression == kTIFFGroup3OneD ||
                   page.Compression == kTIFFGroup3TwoD;
  // Without the tag a sample is one bit, as the standard has it (bilevel writers leave it out);
  // a written 0 is taken as the usual depth of the compression.
  if (!haveBits_) page.BitsPerSample = 1;
  if (page.BitsPerSample == 0) page.BitsPerSample = fax ? 1 : 8;
  if (offsets_.size() == 1) {
    if (page.Tiled) {
      if (page.TileLength < 2) page.TileLength = page.Height;
      if (page.TileWidth < 2) page.TileWidth = page.Width;
    } else if (page.RowsPerStrip < 2) {
      page.RowsPerStrip = page.Height;
    }
  }
  // Absent rows per strip, or more than the image has (the standard's 2^32 - 1 included), mean
  // one strip of the whole image.
  if (page.RowsPerStrip == 0 || page.RowsPerStrip > page.Height) page.RowsPerStrip = page.Height;
  if (page.BitsPerSample > 32) page.BitsPerSample = 0;
  if (page.BitsPerSample == 0 && page.Compression == kTIFFPackBits) page.BitsPerSample = 1;
}

}  // namespace

uint32_t TPDFTIFFPage::ColorChannels() const {
  switch (Photometric) {
    case 0: case 1: case 3: case 4: return 1;
    case 2: case 6: return 3;
    case 5: return 4;
    default: return 0;
  }
}

TPDFTIFF::TPDFTIFF() : Bitmap(std::make_unique<TBitmap>()) {}

TPDFTIFF::~TPDFTIFF() = default;

void TPDFTIFF::Parse(TTIFFData& Data, int32_t PageIndex) {
  Valid = false;
  PageCount = 0;
  Pages.clear();
  IFDOffsetFields.clear();
  Unsupported = false;
  TDirectoryWalker(*this, Data).Run(PageIndex < 0 ? -1 : PageIndex);
}

std::pair<std::string_view, std::string_view> TPDFTIFFPage::JPEGParts(size_t i) const {
  std::string_view piece = Strips[i];
  if (JPEGTables.empty() || piece.empty()) return {{}, piece};
  if (piece.size() >= 2 && uint8_t(piece[0]) == 0xFF && uint8_t(piece[1]) == 0xD8) piece.remove_prefix(2);
  return {JPEGTables, piece};
}

std::string_view TPDFTIFFPage::PieceData(size_t i, std::string& joined) const {
  const auto [tables, piece] = JPEGParts(i);
  if (tables.empty()) return piece;
  joined.reserve(tables.size() + piece.size());
  joined.assign(tables).append(piece);
  return joined;
}

void TPDFTIFF::GetTag(int32_t Index, TPDFTIFFPage& Record) const {
  if (const TPDFTIFFPage* p = Page(Index)) Record = *p;
}

const TPDFTIFFPage* TPDFTIFF::Page(int32_t Index) const {
  if (Index < 1 || Index > int32_t(Pages.size())) return nullptr;
  return &Pages[size_t(Index - 1)];
}
