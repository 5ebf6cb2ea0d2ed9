#include "platform/gdi/metafile/emf_types.h"

bool CombineTransform(XFORM* out, const XFORM* a, const XFORM* b) {
  if (!out || !a || !b) return false;
  // Row vectors: p * A * B.
  XFORM r;
  r.eM11 = a->eM11 * b->eM11 + a->eM12 * b->eM21;
  r.eM12 = a->eM11 * b->eM12 + a->eM12 * b->eM22;
  r.eM21 = a->eM21 * b->eM11 + a->eM22 * b->eM21;
  r.eM22 = a->eM21 * b->eM12 + a->eM22 * b->eM22;
  r.eDx = a->eDx * b->eM11 + a->eDy * b->eM21 + b->eDx;
  r.eDy = a->eDx * b->eM12 + a->eDy * b->eM22 + b->eDy;
  *out = r;
  return true;
}
