// JPEG files go into the document unchanged, with DCTDecode.
#include "pdf/codecs/jpeg/pdf_jpeg_image.h"
#include "pdf/content/image_import/pdf_image.h"
#include "pdf/core/objects/pdf_objects.h"

bool TPDFImage::LoadJPEG(TStream& stream) {
  stream.SetPosition(0);
  std::string data = stream.ReadToEnd();
  TJPEGHeaderInfo header;
  ParseJPEGHeader(data, header);
  // Refused here, from the header, what the decode would refuse after the page is made.
  if (!JPEGEmbeddable(header) || !JPEGSizeBackedByData(header, int64_t(data.size())) ||
      TPDFJPEGImage::RefusedByHeader(data))
    return false;
  WriteJPEGData(std::move(data), 0, header);
  return Ref != nullptr;
}

void TPDFImage::WriteJPEG(TStream& stream, int32_t skipResolution) {
  stream.SetPosition(0);
  std::string data = stream.ReadToEnd();
  TJPEGHeaderInfo header;
  ParseJPEGHeader(data, header);
  WriteJPEGData(std::move(data), skipResolution, header);
}

void TPDFImage::WriteJPEGData(std::string data, int32_t skipResolution, const TJPEGHeaderInfo& header) {
  if (KeepSource) SourceData = data;
  Kind = 1;
  if (skipResolution == 0) {
    ResolutionUnit = header.Unit + 1;
    ResolutionX = header.XDensity;
    ResolutionY = header.YDensity;
  }
  ColorSpaceName = header.Components == 1 ? "DeviceGray" : header.Components == 4 ? "DeviceCMYK" : "DeviceRGB";
  Width = header.Width;
  Height = header.Height;
  // The file's bytes are the stream's data as they are: no second copy.
  TPDFStream* stream = Owner->NewStream({}, false);
  stream->TakeData(std::move(data));
  TPDFDictionary* d = stream->Dictionary();
  d->SetValue("Type", Owner->NewName("XObject"));
  d->SetValue("Subtype", Owner->NewName("Image"));
  d->SetValue("Width", Owner->NewNumeric(Width));
  d->SetValue("Height", Owner->NewNumeric(Height));
  d->SetValue("ColorSpace", Owner->NewName(ColorSpaceName));
  // CMYK data written by Adobe's applications (which mark them) are stored inverted; other
  // writers (libtiff, ImageMagick) store the inks as they are.
  if (header.Components == 4 && header.Adobe)
    d->SetValue("Decode", Owner->NewIntegerArray({1, 0, 1, 0, 1, 0, 1, 0}));
  d->SetValue("BitsPerComponent", Owner->NewNumeric(8));
  d->SetValue("Filter", Owner->NewName("DCTDecode"));
  Finish(stream);
}
