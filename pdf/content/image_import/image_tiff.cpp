// TIFF files: one page chosen by the options, written through the PDF filters where its
// strips can go as they are (and are not too many, and lie in memory), else made into samples
// by the reader's rows when they are needed.
#include <exception>

#include "pdf/codecs/tiff/tiff_piece_rows.h"
#include "pdf/codecs/tiff/tiff_reader.h"
#include "pdf/content/image_import/pdf_image.h"
#include "pdf/content/image_import/tiff_page_layout.h"
#include "pdf/content/image_import/tiff_page_samples.h"

namespace {

// The most strips or tiles of a page that the filters read as they are, each its own image.
constexpr size_t kMostPieceImages = 1024;

// Every strip or tile of a JPEG page is a sequential 8-bit JPEG picture of the page's samples
// that fits its piece: libjpeg gives the samples the page holds, and no piece makes whoever
// draws the page decode far more than it shows (as for the pages embedded as DCTDecode images).
bool JPEGPiecesHoldSamples(const TPDFTIFFPage& p) {
  std::string joined;
  for (tiffpage::TStripWalk walk(p); walk.Next();) {
    TJPEGHeaderInfo header;
    ParseJPEGHeader(p.PieceData(walk.Index(), joined), header);
    if (header.Width <= 0 || header.Height <= 0 || header.Precision != 8 || header.Frame > 0xC1 ||
        uint32_t(header.Components) != p.SamplesPerPixel ||
        !JPEGFrameFitsPiece(uint64_t(header.Width), uint64_t(header.Height), walk.StripWidth(), walk.StripHeight()))
      return false;
  }
  return true;
}

// Whether a page's pieces can each be an image of the page's form: not too many, and none
// sharing bytes with another.
bool PieceImagesFit(const TPDFTIFFPage& p) { return p.Strips.size() <= kMostPieceImages && !p.Strips.Overlapping(); }

// The compressions whose rows the reader makes as the bytes of their pieces come.
bool RowsAsBytesCome(uint8_t compression) {
  return compression == kTIFFNone || compression == kTIFFLZW || compression == kTIFFDeflate ||
         compression == kTIFFPackBits;
}

}  // namespace

bool TPDFImage::LoadTIFF(TStream& stream, int32_t options) {
  TPDFTIFF reader;
  if (options <= -1) {
    // Page -options drawn by the canvas's own TIFF decoder into a bitmap of its size.
    reader.LoadFromStream(stream, -1);
    const TPDFTIFFPage* p = reader.Page(-options);
    if (p == nullptr || !tiffpage::PageAcceptable(*p)) return false;
    try {
      TBitmap bitmap;
      bitmap.SetPixelFormat(pf24bit);
      bitmap.SetSize(int(p->Width), int(p->Height));
      if (!Rasterise(bitmap, stream, -options)) return false;
      return WriteRasterised(bitmap);
    } catch (const std::exception&) {
      return false;
    }
  }
  const int32_t page = options < 1 ? 1 : options;
  reader.LoadFromStream(stream, page - 1);
  const bool usable = reader.Valid && reader.PageCount > 0 && !reader.Unsupported;
  if (!usable) return false;
  const TPDFTIFFPage& p = reader.Pages[0];
  ResolutionX = int32_t(p.ResolutionX);
  ResolutionY = int32_t(p.ResolutionY);
  ResolutionUnit = 2;
  if (p.PlanarSeparate && p.SamplesPerPixel != 1) return false;
  return AddTIFFPage(reader, 1);
}

bool TPDFImage::AddTIFFPage(TPDFTIFF& reader, int32_t page) {
  const TPDFTIFFPage* rec = reader.Page(page);
  if (rec == nullptr || !tiffpage::PageAcceptable(*rec)) return false;
  const TPDFTIFFPage& p = *rec;
  // A large file's pages leave their pieces in the file: the samples are made from rows read
  // from it as they are needed, never from the file held whole. Pieces handed on as they are
  // (fax, JPEG) or kept with the source copy are read into memory.
  const bool fromFile = p.Strips.InFile() && !KeepSource && RowsAsBytesCome(p.Compression);
  if (p.Strips.InFile() && !fromFile) reader.Pages[size_t(page - 1)].Strips.ReadIn();
  switch (p.Compression) {
    case kTIFFGroup4:
    case kTIFFGroup3OneD:
    case kTIFFGroup3TwoD:
      if (p.BitsPerSample != 1 || p.SamplesPerPixel != 1 || (p.Photometric != 0 && p.Photometric != 1)) return false;
      return AddTIFFStrips(reader, page);
    case kTIFFNone:
    case kTIFFLZW:
    case kTIFFDeflate:
      // A page of more pieces is one image of its samples, made from the pieces when needed:
      // an image each would cost about a kilobyte of objects a piece (a page at the size cap in
      // one-row strips, as libtiff's and netpbm's tools write it, 20 MB beside its picture).
      // So is a page whose pieces share bytes, which an image each would copy as often.
      if (!fromFile && tiffpage::SamplesExpressible(p) && (KeepSource || PieceImagesFit(p)))
        return AddTIFFStrips(reader, page);
      break;
    case kTIFFPackBits:
      // Unpacked as the rows are read, as the pages the reader decodes are: re-packed for
      // RunLengthDecode and deflated, a photograph cost 45 times Pillow's decode.
      break;
    case kTIFFJPEG:
      // A JPEG picture of grey or colour with extra samples is no DCTDecode image of the page's
      // colour (two components name no colour space; RGB with alpha would be read as CMYK):
      // those pages are decoded as the other pages with extra samples are, and so are pages of
      // grey or colour pieces too many (or too shared) to be an image each.
      if (p.ColorChannels() == 0 || p.SamplesPerPixel <= p.ColorChannels()) {
        if (KeepSource || PieceImagesFit(p) || p.Photometric == 5 || p.SamplesPerPixel != p.ColorChannels() ||
            !JPEGPiecesHoldSamples(p))
          return AddTIFFJPEG(p);
        break;
      }
      if (!JPEGPiecesHoldSamples(p)) return false;
      break;
    default:
      return false;
  }
  // Extra samples, 16-bit little-endian samples, predictors PDF cannot undo on these samples,
  // PackBits, JPEG with extra samples, pages of many pieces, pages in a large file: the reader
  // decodes the page and its samples are written instead.
  if (KeepSource) {
    // The source copy is the page as a BMP file, which needs the whole bitmap.
    if (!reader.DecodePage(page)) return false;
    const TPDFImagePageInfo info{p.Photometric, p.MinIsBlack};
    return WriteBitmap(*reader.Bitmap, &info, reader.Bitmap->PixelFormat() == pf8bit, false);
  }
  // The samples are made from the strips when they are needed: the page's record (and its
  // strips, the file's bytes) goes over to them.
  const int32_t w = int32_t(p.Width), h = int32_t(p.Height);
  std::unique_ptr<TTIFFPageSamples> samples = TTIFFPageSamples::Make(std::move(reader.Pages[size_t(page - 1)]));
  if (!samples) return false;
  Kind = 3;
  Width = w;
  Height = h;
  const TBitmapSamples layout = samples->Layout();
  return WriteSampleSource(std::move(samples), w, h, layout.ColorSpace(), layout.Bits(), layout.Decode(),
                           Compression == 1);
}
