#include "skin/controls/skin_obj_image.h"

#include <algorithm>

#include "platform/forms/foreign_classes.h"
#include "platform/forms/rtti.h"
#include "platform/gdi/blit.h"
#include "skin/forms/skin_draw.h"
#include "skin/skin_data.h"

int ObjImageSlotFrame(int slot, int frames) {
  static const int kFrames[kObjImageSlots] = {1, 2, 5, 1, 2, 5, 3, 4, 5};
  if (slot < 1 || slot > kObjImageSlots) return 0;
  const int f = kFrames[slot - 1];
  return f == 5 && frames < 5 ? 0 : f;
}

void TSkinObjImage::AttachControl(TControl* control, TWinSkinForm* formSkin, TSkinData* skinData, bool setColor,
                                  int attachData) {
  if (Attached) return;
  TSkinControl::AttachControl(control, formSkin, skinData, setColor, attachData);
  HandOver();
}

void TSkinObjImage::ApplyColor() {
  TSkinControl::ApplyColor();
  HandOver();
}

void TSkinObjImage::BuildStrip(TBitmap& out) const {
  out.Assign(TBitmap());
  const TDataSkinButton* e = SkinData ? SkinData->Buttons.get() : nullptr;
  if (!e) return;
  TBitmap& picture = const_cast<TBitmap&>(Mode == 2 ? e->RadioBitmap : e->CheckBitmap);
  const int frames = std::max(Mode == 2 ? e->RadioButtonFrame : e->CheckButtonFrame, 1);
  if (picture.Empty()) return;
  const int w = picture.Width() / frames, h = picture.Height();
  if (w <= 0) return;
  out.SetPixelFormat(pf24bit);
  out.SetSize(w * kObjImageSlots, h);
  // Empty slots stay transparent.
  out.Canvas().Brush().SetColor(kSkinKeyColor);
  out.Canvas().FillRect(RECT{0, 0, out.Width(), h});
  for (int slot = 1; slot <= kObjImageSlots; ++slot)
    if (const int f = ObjImageSlotFrame(slot, frames))
      BitBlt(out.Canvas().Handle(), (slot - 1) * w, 0, w, h, picture.Canvas().Handle(), (f - 1) * w, 0, SRCCOPY);
}

void TSkinObjImage::HandOver() {
  if (!Control) return;
  const TObjectRef ref(Control);
  TBitmap strip;
  BuildStrip(strip);
  if (strip.Empty()) return;
  if (Mode == 3) {
    const TObjectRef properties = GetObjectProp(ref, "Properties");
    if (TBitmap* glyph = GetObjectPropAs<TBitmap>(properties, "Glyph")) glyph->Assign(strip);
    return;
  }
  TBitmap* custom = GetObjectPropAs<TBitmap>(ref, "CustomGlyphs");
  if (!custom) return;
  custom->Assign(strip);
  SetPropValue(MakeObjectRef(custom), "TransparentColor", "16711935");
  // Switching the glyphs off and on makes the control take them anew.
  SetPropValue(ref, "UseCustomGlyphs", "false");
  SetPropValue(ref, "UseCustomGlyphs", "true");
}

void TSkinObjImage::RestoreColor() {
  const TObjectRef ref(Control);
  if (Mode == 1 || Mode == 2) {
    SetPropValue(ref, "UseCustomGlyphs", "false");
  } else if (Mode == 3) {
    const TObjectRef properties = GetObjectProp(ref, "Properties");
    if (TBitmap* glyph = GetObjectPropAs<TBitmap>(properties, "Glyph")) glyph->Assign(TBitmap());
  }
  TSkinControl::RestoreColor();
}
