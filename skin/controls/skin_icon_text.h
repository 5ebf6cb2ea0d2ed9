// An icon of an image list and a one-line text laid out as one block in a rectangle (tabs and
// header items): left-aligned blocks start 3 pixels in, right-aligned ones end 2 pixels before
// the edge, centred ones sit in the middle; a block that would start within 2 pixels of the left
// edge starts at 1. The icon is dropped when it is wider than the rectangle.
#pragma once

#include <string>

#include "platform/forms/controls.h"
#include "platform/user/image_list.h"

// Where the icon and the text go.
struct TIconTextPlace {
  int IconX = 0, IconY = 0;  // unused without an icon
  bool Icon = false;
  RECT Text{};
};

TIconTextPlace PlaceIconAndText(const RECT& r, SIZE icon, SIZE text, TAlignment alignment);
// Draws them into the DC in its selected font and text colour (clBtnShadow when disabled),
// with a transparent background; `flags` adds DT_RTLREADING where due.
void DrawIconAndText(HDC dc, const RECT& r, const std::u16string& text, HIMAGELIST images, int index,
                     TAlignment alignment, bool enabled, UINT flags);
