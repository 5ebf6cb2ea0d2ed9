#include "platform/gdi/graphic.h"

#include <string>

#include "platform/gdi/graphics_errors.h"
#include "platform/rtl/exceptions.h"

void TGraphic::LoadFromFile(const WideString& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(stream);
}

void TGraphic::SaveToFile(const WideString& fileName) {
  TFileStream stream(fileName, fmCreate);
  SaveToStream(stream);
}

void TGraphic::Assign(const TGraphic& source) {
  throw EConvertError(std::string("Cannot assign a ") + source.ClassName() + " to a " + ClassName());
}

void TGraphic::LoadFromClipboardFormat(UINT, HANDLE, HPALETTE) { throw EInvalidGraphic(SUnknownClipboardFormat); }

void TGraphic::SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) {
  format = 0;
  data = nullptr;
  palette = nullptr;
}
