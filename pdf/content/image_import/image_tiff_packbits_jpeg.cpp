// PackBits pages (re-packed for RunLengthDecode under Flate) and JPEG pages (each strip a
// self-contained JPEG file).
#include <algorithm>

#include "pdf/codecs/tiff/tiff_bits.h"
#include "pdf/codecs/tiff/tiff_packbits.h"
#include "pdf/codecs/tiff/tiff_piece_rows.h"
#include "pdf/content/image_import/pdf_image.h"
#include "pdf/content/image_import/tiff_page_layout.h"
#include "pdf/core/filters/flate.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/core/pdf_helpers.h"

using tiffpage::TStripWalk;

namespace {

// Re-packed PackBits data go to the deflate in parts of this size.
constexpr size_t kRepackedPart = size_t(1) << 20;

// Makes obj indirect and enters it into the form's resources under a new name.
std::string EnterXObject(TPDFStructure& owner, TPDFObject* obj, TPDFDictionary& xobjects, TPDFIndRef*& ref) {
  int num = 0, gen = 0;
  if (!owner.MakeIndirect(obj, num, gen)) return {};
  ref = owner.NewIndRef(num, gen);
  const std::string name = "TalvoPDFIm" + NewUniqueTag();
  xobjects.SetValue(name, ref);
  return name;
}

TPDFStream* NewForm(TPDFStructure& owner, bool withResources, TPDFDictionary*& xobjects) {
  TPDFStream* form = owner.NewStream({}, false);
  form->Dictionary()->SetValue("Subtype", owner.NewName("Form"));
  form->Dictionary()->SetValue("BBox", owner.NewIntegerArray({0, 0, 1, 1}));
  xobjects = nullptr;
  if (withResources) {
    TPDFDictionary* resources = owner.NewDictionary();
    xobjects = owner.NewDictionary();
    resources->SetValue("XObject", xobjects);
    form->Dictionary()->SetValue("Resources", resources);
  }
  return form;
}

}  // namespace

bool TPDFImage::AddTIFFPackBits(const TPDFTIFFPage& p) {
  const uint64_t columns = p.Tiled ? p.TilesAcross() : 1;
  const uint64_t rows = p.Tiled ? p.TilesDown() : p.Strips.size();
  Kind = 3;
  Width = int32_t(p.Width);
  Height = int32_t(p.Height);
  ResolutionX = int32_t(p.ResolutionX);
  ResolutionY = int32_t(p.ResolutionY);
  ResolutionUnit = 2;
  if (columns == 0 || rows == 0 || (p.Tiled && (p.TileWidth == 0 || p.TileLength == 0))) return false;

  const bool inlineImages = columns > 4;
  TPDFDictionary* xobjects = nullptr;
  TPDFStream* form = columns > 1 || tiffpage::TilesPastPage(p) ? NewForm(*Owner, !inlineImages, xobjects) : nullptr;
  const std::string decode = tiffpage::DecodeText(p);
  const uint32_t pieceWidth = p.Tiled ? p.TileWidth : p.Width;
  const int64_t rowBytes = (int64_t(pieceWidth) * p.BitsPerSample * p.SamplesPerPixel + 7) / 8;
  const uint32_t imageW = pieceWidth;
  // A column of tiles stops where the page does, as a column of strips does.
  const uint64_t imageH = p.Height;
  const uint32_t stripRows = p.RowsPerStrip ? p.RowsPerStrip : p.Height;

  std::string content = tiffpage::FormUnits();
  std::string reversed, part;
  for (uint64_t c = 0; c < columns; ++c) {
    // The column's pieces joined. Each piece is re-packed to exactly the bytes its rows hold,
    // without PackBits' no-op bytes, which RunLengthDecode would read as the end of the data,
    // and deflated a part at a time as it is re-packed: a strip of the whole page is neither
    // copied nor re-packed whole beside the file's bytes.
    // The re-packed data are at most the pieces' bytes and the runs that make up what they lack.
    int64_t pieceBytes = 0;
    for (uint64_t r = 0; r < rows && r * columns + c < p.Strips.size(); ++r)
      pieceBytes += int64_t(p.Strips[size_t(r * columns + c)].size());
    const int64_t samples = int64_t(imageH) * rowBytes;
    TFlateWriter deflated(std::min(samples, pieceBytes) + samples / 64 + 64 * int64_t(rows));
    const auto full = [&](std::string& bytes) {
      deflated.Write(bytes);
      bytes.clear();
    };
    int64_t rowsLeft = p.Height;
    for (uint64_t r = 0; r < rows; ++r) {
      const size_t index = size_t(r * columns + c);
      std::string_view piece = index < p.Strips.size() ? p.Strips[index] : std::string_view();
      if (p.FillOrder == 2) {
        reversed.assign(piece);
        ReverseBitOrder(reversed);
        piece = reversed;
      }
      int64_t pieceRows = std::min<int64_t>(p.Tiled ? p.TileLength : stripRows, rowsLeft);
      rowsLeft -= pieceRows;
      if (pieceRows <= 0) break;
      PackBitsToRunLength(piece, pieceRows * rowBytes, part, kRepackedPart, full);
    }
    part += '\x80';
    full(part);
    std::string data = deflated.Finish();
    if (!inlineImages || columns == 1) {
      TPDFStream* image = Owner->NewStream({}, false);
      image->TakeData(std::move(data));
      TPDFDictionary* d = image->Dictionary();
      d->SetValue("Type", Owner->NewName("XObject"));
      d->SetValue("Subtype", Owner->NewName("Image"));
      d->SetValue("Width", Owner->NewNumeric(imageW));
      d->SetValue("Height", Owner->NewNumeric(double(imageH)));
      d->SetValue("ColorSpace", Owner->ParseObject(tiffpage::ColorSpaceText(p, false)));
      if (!decode.empty()) d->SetValue("Decode", Owner->ParseObject(decode));
      d->SetValue("BitsPerComponent", Owner->NewNumeric(p.BitsPerSample));
      d->SetValue("Filter", Owner->ParseObject("[ /FlateDecode /RunLengthDecode ]"));
      if (form == nullptr) return Finish(image);
      const std::string name = EnterXObject(*Owner, image, *xobjects, Ref);
      if (name.empty()) return false;
      content += tiffpage::Placement(p, c * p.TileWidth, 0, p.TileWidth, imageH) +
                 " /" + name + " Do Q\n";
    } else {
      std::string dict = "/W " + std::to_string(imageW) + " /H " + std::to_string(imageH) + " /CS " +
                         tiffpage::ColorSpaceText(p, true) + " /BPC " + std::to_string(p.BitsPerSample);
      if (!decode.empty()) dict += " /D " + decode;
      dict += " /F [ /Fl /RL ]";
      content += tiffpage::Placement(p, c * p.TileWidth, 0, p.TileWidth, imageH) +
                 "\nBI\n" + dict + "\nID\n" + data + "\nEI\nQ\n";
    }
  }
  form->TakeData(std::move(content));
  return Finish(form);
}

bool TPDFImage::AddTIFFJPEG(const TPDFTIFFPage& p) {
  TStripWalk walk(p);
  if (walk.Count() == 0) return false;
  // Every strip is a JPEG picture of its own: one that names no picture a DCTDecode image can
  // be (a missing strip, a frame without a size) would be an image of nothing in the page, and
  // one larger than its strip or tile (a frame of 16000 x 16000 in a page of 16) would make
  // whoever draws the page decode far more than it shows. A single picture the size of the
  // page is the page; any other (a tile reaching past the page, a frame of another size) is
  // drawn into its piece's place in a form that the page cuts.
  bool pictureIsPage = walk.Count() == 1;
  std::string joined;
  for (TStripWalk placed(p); placed.Next();) {
    TJPEGHeaderInfo header;
    ParseJPEGHeader(p.PieceData(placed.Index(), joined), header);
    if (!JPEGEmbeddable(header) ||
        !JPEGFrameFitsPiece(uint64_t(header.Width), uint64_t(header.Height), placed.StripWidth(), placed.StripHeight()))
      return false;
    pictureIsPage = pictureIsPage && uint32_t(header.Width) == p.Width && uint32_t(header.Height) == p.Height;
  }
  const bool inlineImages =
      walk.Count() >= 5 && (uint64_t(walk.StripWidth()) * walk.StripHeight() <= 4096 || InlineStrips);
  if (pictureIsPage && !inlineImages) {
    TMemoryStream strip(p.PieceData(0, joined));
    std::string().swap(joined);  // the page's picture is not held a third time while it is written
    WriteJPEG(strip, 1);
    return Dict != nullptr;
  }
  TPDFDictionary* xobjects = nullptr;
  TPDFStream* form = NewForm(*Owner, !inlineImages, xobjects);
  std::string content = tiffpage::FormUnits();
  while (walk.Next()) {
    const std::string_view strip = p.PieceData(walk.Index(), joined);
    content += tiffpage::Placement(p, walk.Left(), walk.Top(), walk.W(), walk.WholeH());
    TMemoryStream stream(strip);
    if (inlineImages) {
      TJPEGHeaderInfo header;
      ReadJPEGHeader(stream, header);
      const char* space = header.Components == 1 ? " /CS /G"
                          : header.Components != 4 ? " /CS /RGB"
                          : header.Adobe           ? " /CS /CMYK /D [ 1 0 1 0 1 0 1 0 ]"
                                                   : " /CS /CMYK";
      content += "\nBI\n/W " + std::to_string(header.Width) + " /H " + std::to_string(header.Height) + space +
                 " /BPC 8 /F /DCT\nID\n";
      content += strip;
      content += "\nEI\nQ\n";
    } else {
      WriteJPEG(stream, 1);
      if (Dict == nullptr) return false;
      const std::string name = "TalvoPDFIm" + NewUniqueTag();
      xobjects->SetValue(name, Ref);
      content += " /" + name + " Do Q\n";
    }
  }
  Kind = 3;
  Width = int32_t(p.Width);
  Height = int32_t(p.Height);
  form->TakeData(std::move(content));
  return Finish(form);
}
