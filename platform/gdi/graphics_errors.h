// Exceptions of the graphics classes.
#pragma once

#include "platform/rtl/exceptions.h"

class EInvalidGraphic : public Exception { using Exception::Exception; };
class EInvalidGraphicOperation : public Exception { using Exception::Exception; };

// The class library's texts for them.
inline constexpr const char* SInvalidBitmap = "Bitmap image is not valid";
inline constexpr const char* SInvalidIcon = "Icon image is not valid";
inline constexpr const char* SScanLine = "Scan line index out of range";
inline constexpr const char* SInvalidPixelFormat = "Invalid pixel format";
inline constexpr const char* SUnknownClipboardFormat = "Unsupported clipboard format";
