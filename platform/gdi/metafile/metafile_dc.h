// Metafile device contexts: a DC whose drawing calls are recorded into an enhanced metafile
// instead of painted, closed into a metafile handle.
#pragma once

#include <memory>

#include "platform/gdi/gdi_types.h"
#include "platform/gdi/metafile/emf_types.h"

class GdiBitmap;

// A recording DC for a picture of `frame` (hundredths of a millimetre; its left and top are
// the origin), measured in the pixels of the reference device (the screen when null). Only
// in-memory metafiles: `fileName` must be null. Null for a bad or empty frame.
HDC CreateEnhMetaFileA(HDC reference, const char* fileName, const RECT* frame, const char* description);
// Ends the recording and deletes the DC; the metafile's handle (null for a DC that does not
// record).
HENHMETAFILE CloseEnhMetaFile(HDC dc);
// Whether the DC records into a metafile.
bool IsMetafileDC(HDC dc);
// The bitmap a metafile DC keeps for pixels painted straight into it, to be painted only
// within `area` (device pixels); GetDCBitmap hands it out for painting anywhere. Null for a
// DC that does not record.
std::shared_ptr<GdiBitmap> GetMetafileLayer(HDC dc, const RECT& area);
