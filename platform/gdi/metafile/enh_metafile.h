// Enhanced metafile handles and the platform's functions over them: made from EMF bytes or
// translated from WMF bytes, read back, enumerated record by record and played onto a DC.
#pragma once

#include <memory>

#include "platform/gdi/metafile/emf_reader.h"
#include "platform/gdi/metafile/emf_types.h"

class GdiEnhMetaFile : public GdiObject {
 public:
  uint32_t ObjectType() const override { return OBJ_ENHMETAFILE; }
  std::shared_ptr<const EmfDocument> document;
};

// A handle over EMF bytes (copied); null when they are not an EMF.
HENHMETAFILE SetEnhMetaFileBits(UINT size, const BYTE* data);
// A handle over the EMF that a WMF translates to (the bytes start at the WMF header, without
// a placeable header). `picture` gives the picture's size and mapping as the platform's
// function takes it; null means the whole reference device. Null when the bytes are no WMF.
HENHMETAFILE SetWinMetaFileBits(UINT size, const BYTE* data, HDC reference, const METAFILEPICT* picture);
// The bytes: the size when `data` is null, else the bytes copied (0 when `size` is too small
// or the handle is bad).
UINT GetEnhMetaFileBits(HENHMETAFILE metafile, UINT size, BYTE* data);
// The header record: with null `header` its size, else the ENHMETAHEADER filled (0 for a bad
// handle or a `size` below sizeof(ENHMETAHEADER)).
UINT GetEnhMetaFileHeader(HENHMETAFILE metafile, UINT size, ENHMETAHEADER* header);
bool DeleteEnhMetaFile(HENHMETAFILE metafile);
// A second handle over the same bytes (file names are not supported: must be null).
HENHMETAFILE CopyEnhMetaFile(HENHMETAFILE metafile, const char* fileName);
// The document behind a handle (null for a bad one).
std::shared_ptr<const EmfDocument> EnhMetaFileDocument(HENHMETAFILE metafile);

// Calls `proc` for every record that passed the reader's checks, in order, with a handle table
// of the header's nHandles entries, until it returns 0. With a DC, `rect` (logical units of
// that DC) is where the picture's frame lands and the callback may play records with
// PlayEnhMetaFileRecord; the DC's state is saved before and restored after. Without a DC,
// `rect` is ignored. False for a bad handle or a null procedure, or when `proc` stopped early.
bool EnumEnhMetaFile(HDC dc, HENHMETAFILE metafile, ENHMFENUMPROC proc, void* data, const RECT* rect);
// Draws the whole picture into `rect` (logical units of the DC).
bool PlayEnhMetaFile(HDC dc, HENHMETAFILE metafile, const RECT* rect);
// Draws one record within an enumeration that was given a DC.
bool PlayEnhMetaFileRecord(HDC dc, HANDLETABLE* table, const ENHMETARECORD* record, UINT handles);
