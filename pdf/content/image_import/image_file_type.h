// Recognising an image file by its first bytes.
#pragma once

#include <string_view>

#include "platform/rtl/streams.h"

enum : int {
  kImageFileUnknown = 0,
  kImageFileJPEG = 1,
  kImageFileBMP = 2,
  kImageFileTIFF = 3,
  kImageFilePNG = 4,
  kImageFileWMF = 5,  // placeable WMF only
  kImageFileEMF = 6,
  kImageFileGIF = 7,
  kImageFileICO = 8,  // icons and cursors
};

// The type of the file whose first bytes are given (up to 100 are looked at).
int DetectImageFileTypeOf(std::string_view head);
// The same for the stream's file; the stream is at position 0 afterwards.
int DetectImageFileType(TStream& stream);
