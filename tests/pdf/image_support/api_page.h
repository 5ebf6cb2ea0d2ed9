// The program's road through the library's API: an image loaded into a new document and placed
// at full size on a page of its own size, at (1, 1) from the top left, ready to be rendered or
// written.
#pragma once

#include <string>

#include "pdf/core/api/talvo_pdf.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/strings.h"

namespace imagetest {

// Places the image of the handle (0: nothing loaded) as the program does; false without one.
inline bool PlaceLoaded(TOrvanePDFLibrary0915& api, int32_t handle) {
  if (handle == 0) return false;
  api.SetCurrentImage(handle);
  const int w = api.CurrentImageWidth(), h = api.CurrentImageHeight();
  api.SetPageSize(w, h);
  api.PlaceImage(1, 1, w, h);
  api.SetCurrentPage(1);
  return true;
}

// The API set up as the program sets it up.
inline void SetUpLikeTheProgram(TOrvanePDFLibrary0915& api) {
  api.SetCoordinateOrigin(1);
  api.SetUnits(0);
}

// The file loaded with the options and placed.
inline bool PlaceFile(TOrvanePDFLibrary0915& api, const std::string& file, int options) {
  SetUpLikeTheProgram(api);
  return PlaceLoaded(api, api.LoadImageFile(FileNameToWide(file), options));
}

}  // namespace imagetest
