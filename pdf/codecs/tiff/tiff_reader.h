// TPDFTIFF: reads a TIFF file. It walks the chain of image file directories (one per page),
// keeps per page the tag values the image import needs and where each page's strip (or tile)
// data lie in the file's bytes, which it holds once (a file too large to hold leaves them
// where they lie, read as they are needed); on request it decodes a page into its bitmap.
// Nothing here raises: problems show in Valid and Unsupported or as missing values.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "pdf/codecs/tiff/tiff_pieces.h"
#include "platform/gdi/bitmap.h"
#include "platform/rtl/streams.h"

class TFileAt;
class TTIFFData;

// The reader's codes for the compression schemes (tag 259 mapped).
enum : uint8_t {
  kTIFFNotSupported = 0,
  kTIFFGroup4 = 1,
  kTIFFNone = 2,
  kTIFFLZW = 3,
  kTIFFGroup3OneD = 4,
  kTIFFGroup3TwoD = 5,
  kTIFFPackBits = 6,
  kTIFFJPEG = 7,
  kTIFFDeflate = 8,
};

// What one directory says about its page. JPEG pages keep their tables once, for PieceData to put
// in front of each piece.
struct TPDFTIFFPage {
  uint32_t Width = 0;
  uint32_t Height = 0;
  uint8_t Compression = kTIFFNotSupported;
  uint8_t Photometric = 0;
  uint32_t ResolutionX = 0;  // dots per inch
  uint32_t ResolutionY = 0;
  // 0 when absent; the whole image when it exceeds the height.
  uint32_t RowsPerStrip = 0;
  bool MinIsBlack = false;
  uint32_t BitsPerSample = 0;
  uint32_t SamplesPerPixel = 1;
  uint32_t ExtraSamples = 0;  // the first value of tag 338 (the kind of the first extra sample)
  uint32_t Predictor = 1;
  uint32_t FillOrder = 0;
  bool Tiled = false;
  uint32_t TileWidth = 0;
  uint32_t TileLength = 0;
  TTIFFPieces Strips;  // one per strip or tile, in file order
  // A JPEG page's tables after a start marker (an RGB page's also say that the samples are
  // RGB), which go before each piece without its own start marker: empty for other pages and
  // for JPEG pages without tables.
  std::string JPEGTables;
  bool T4ByteAligned = false;
  std::vector<uint32_t> ColorMap;  // all reds, then all greens, then all blues (16-bit values)
  bool PlanarSeparate = false;

  // Beyond what the PDF writers read: what the decoder needs to tell layouts apart.
  bool BigEndian = false;           // the file's byte order ("MM"), for 16-bit samples
  uint32_t ExtraSampleCount = 0;    // the number of values of tag 338
  uint32_t SampleFormat = 1;        // tag 339: 1 unsigned integers
  // Tag 262 as written, also values beyond those Photometric takes (CIELab and others).
  uint32_t PhotometricTag = 0;

  // Colour channels the photometric interpretation implies (0 when it names none we know).
  uint32_t ColorChannels() const;
  // Tiles in a row and in a column of the grid that covers the page (0 for tiles of no size).
  uint64_t TilesAcross() const;
  uint64_t TilesDown() const;
  // The pixels the strips or tiles cover: the page, or for tiles the whole grid of tiles.
  uint64_t CoveredPixels() const;
  // Whether the strips or the grid of tiles cover no more pixels than a bitmap may hold.
  // Missing data read as white; how much data there is does not matter here.
  bool PiecesWithinBitmapLimit() const;
  // Piece i's data as its decoder reads them: a JPEG piece of a page with tables a JPEG file
  // of its own, made in `joined` (valid until joined changes); other pieces as they lie. A
  // piece without data is empty.
  std::string_view PieceData(size_t i, std::string& joined) const;
  // The same as two parts read one after the other, without a copy: the page's tables (or
  // nothing) and the piece (without its start marker after tables).
  std::pair<std::string_view, std::string_view> JPEGParts(size_t i) const;
};

class TPDFTIFF {
 public:
  TPDFTIFF();
  ~TPDFTIFF();
  TPDFTIFF(const TPDFTIFF&) = delete;
  TPDFTIFF& operator=(const TPDFTIFF&) = delete;
  TPDFTIFF(TPDFTIFF&&) = default;
  TPDFTIFF& operator=(TPDFTIFF&&) = default;

  // Reads the stream from position 0 and parses it (see ParseDirectory). A file past 64 MB is
  // not read whole: its directories are read where they lie, and its pages' pieces are left in
  // the file (LoadFromFile).
  void LoadFromStream(TStream& Stream, int32_t PageIndex);
  // Parses the first Size bytes of the file where they lie (see ParseDirectory), leaving the
  // pages' pieces in the file, read as they are needed (TTIFFPieces::InFile).
  void LoadFromFile(std::shared_ptr<const TFileAt> File, int64_t Size, int32_t PageIndex);
  // PageIndex -1 parses every page; 0 or more parses only that page (0-based) into record 1,
  // or the first page when the chain is shorter. The bytes the pieces cover are copied: Data
  // need not outlive the reader.
  void ParseDirectory(std::string_view Data, int32_t PageIndex);
  // Copies page record Index (1-based); other indexes copy nothing.
  void GetTag(int32_t Index, TPDFTIFFPage& Record) const;
  // The record itself, without a copy; nullptr for other indexes.
  const TPDFTIFFPage* Page(int32_t Index) const;

  // Decode page record Index (1-based) into Bitmap: uncompressed pages, LZW pages. False, with
  // Bitmap left empty, when the page's layout or data cannot be decoded.
  bool ReadUncompressedPage(int32_t Index);
  bool ReadCompressedPage(int32_t Index);
  // Decodes any page whose compression the reader can undo itself (none, LZW, Deflate,
  // PackBits; JPEG through libjpeg where the data hold the page's samples) into Bitmap: 1-bit for bilevel pages, 8-bit grey, 24-bit colour (palette pages
  // expanded), or 32-bit for CMYK (each pixel's C, M, Y, K stored last to first). Extra samples
  // are dropped and 16-bit samples keep their high byte.
  bool DecodePage(int32_t Index);

  bool Valid = false;
  uint16_t PageCount = 0;
  std::vector<TPDFTIFFPage> Pages;
  std::unique_ptr<TBitmap> Bitmap;
  uint32_t FirstIFDFieldOffset = 4;
  // The raw bytes of the first-IFD offset field and of each parsed directory's next-IFD field.
  std::vector<std::string> IFDOffsetFields;
  bool Unsupported = false;

  // A chain longer than this is cut.
  static constexpr int32_t MaxPages = 65535;
  // More strips or tiles than this on one page make it unusable (no strips are kept).
  static constexpr uint32_t MaxStripsPerPage = 1u << 21;

 private:
  // Walks the directories, noting where each page's pieces lie in Data.
  void Parse(TTIFFData& Data, int32_t PageIndex);
  // The stretches of the file the pieces of every page cover.
  std::vector<TTIFFSpan> PieceSpans() const;
  // Points every page's pieces at bytes holding the file's `spans` one after another (or the
  // whole file, for empty spans; `fileCopy`: the copy the reader read it into).
  void HoldPieces(std::shared_ptr<const char[]> bytes, int64_t size, const std::vector<TTIFFSpan>& spans,
                  bool fileCopy);
  // Points every page's pieces at a copy of the file's `spans` (its bytes from its start, which
  // hold every span), made for them alone.
  void HoldCopiedSpans(std::string_view file, const std::vector<TTIFFSpan>& spans);

};
