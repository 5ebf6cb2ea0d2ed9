// JPEG pages: each strip a self-contained JPEG file.
#include "pdf/codecs/tiff/tiff_piece_rows.h"
#include "pdf/content/image_import/pdf_image.h"
#include "pdf/content/image_import/tiff_page_layout.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/core/pdf_helpers.h"

using tiffpage::TStripWalk;

namespace {

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
