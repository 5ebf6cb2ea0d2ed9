// Metafiles (placeable WMF and EMF): a Form XObject the metafile converter fills, or, for
// options -1, the picture drawn into a bitmap.
#include <cmath>
#include <exception>

#include "pdf/content/image_import/pdf_image.h"
#include "pdf/content/metafile/emf_graphic_state.h"
#include "pdf/content/metafile/pdf_metafile.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/render/patterns/pdf_pattern.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/metafile.h"
#include "platform/rtl/numbers.h"

bool TPDFImage::LoadMetafile(TStream& stream, int32_t options) {
  try {
    TMetafile metafile;
    stream.SetPosition(0);
    metafile.LoadFromStream(stream);
    if (options == -1) {
      TBitmap bitmap;
      bitmap.SetPixelFormat(pf24bit);
      bitmap.SetSize(metafile.Width(), metafile.Height());
      if (metafile.MMWidth() != 0 && metafile.MMHeight() != 0) {
        ResolutionX = int32_t(RoundHalfEven(metafile.Width() / (metafile.MMWidth() / 2540.0)));
        ResolutionY = int32_t(RoundHalfEven(metafile.Height() / (metafile.MMHeight() / 2540.0)));
      }
      // The canvas plays the file (frame 1) into the bitmap.
      if (!Rasterise(bitmap, stream, 1)) return false;
      Kind = 2;
      return WriteRasterised(bitmap);
    }
    // A picture without a size in points has no form to fill.
    if (TPDFMetafile::Points(metafile.MMWidth()) <= 0 || TPDFMetafile::Points(metafile.MMHeight()) <= 0) return false;
    Kind = 6;
    return WriteMetafile(metafile, options) && Ref != nullptr;
  } catch (const std::exception&) {
    return false;
  }
}

bool TPDFImage::WriteMetafile(TMetafile& metafile, int32_t options) {
  TPDFStream* form = Owner->NewStream("", false);
  TPDFDictionary* dict = form->Dictionary();
  dict->SetValue("Type", Owner->NewName("XObject"));
  dict->SetValue("Subtype", Owner->NewName("Form"));
  dict->SetValue("FormType", Owner->NewNumeric(1));
  Width = TPDFMetafile::Points(metafile.MMWidth());
  Height = TPDFMetafile::Points(metafile.MMHeight());
  // The shorter side is one unit.
  const double w = Width > 0 ? Width : 1, h = Height > 0 ? Height : 1;
  if (h > w)
    dict->SetValue("BBox", Owner->NewDoubleArray({0, 0, 1, h / w}));
  else
    dict->SetValue("BBox", Owner->NewDoubleArray({0, 0, w / h, 1}));
  dict->SetValue("Matrix", Owner->NewIntegerArray({1, 0, 0, 1, 0, 0}));
  Dict = dict;
  TPDFMetafile converter(Owner, &Fonts, &Images, &GraphicStates, &Patterns);
  // WMF text records carry spacing arrays as EMF ones do (the player lays both out by them).
  converter.AdvanceFlag = true;
  converter.EmbedTrueType = options == 1;
  converter.FontOption = MetafileFontFlag ? 1 : 0;
  converter.NoEmbedFonts = NoEmbedFonts;
  converter.Play(metafile, form);
  // A picture cut short by the converter's budgets would pass for the whole one.
  if (converter.Stopped) return false;
  Finish(form);
  return true;
}
