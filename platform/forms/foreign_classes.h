// Class information for classes of the layers below that take part in form descriptions and
// published properties: TFont (of the graphics layer) and TStrings (of the run-time layer).
#pragma once

#include "platform/forms/rtti.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/canvas.h"
#include "platform/rtl/string_list.h"

template <>
struct TClassInfoOf<TFont> {
  // Charset, Color, Height, Name, Pitch, Size (not stored), Style.
  static const TClassInfo& Get();
};

template <>
struct TClassInfoOf<TStrings> {
  // No published properties; the lines are the defined property "Strings", a list of strings.
  static const TClassInfo& Get();
};

inline const TEnumInfo& FontStyleEnumInfo() {
  static const TEnumInfo info{"TFontStyle", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}};
  return info;
}

template <>
struct TClassInfoOf<TBitmap> {
  // Height, TransparentColor, Width.
  static const TClassInfo& Get();
};
