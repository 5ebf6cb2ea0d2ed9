#include "platform/gdi/metafile/enh_metafile.h"

#include <algorithm>

#include "platform/gdi/dc.h"
#include "platform/gdi/graphics_errors.h"
#include "platform/gdi/metafile/emf_player.h"
#include "platform/gdi/metafile/wmf_translator.h"

namespace {

HENHMETAFILE Register(std::shared_ptr<const EmfDocument> doc) {
  auto object = std::make_shared<GdiEnhMetaFile>();
  object->document = std::move(doc);
  return static_cast<HENHMETAFILE>(RegisterGdiObject(object));
}

}  // namespace

std::shared_ptr<const EmfDocument> EnhMetaFileDocument(HENHMETAFILE metafile) {
  auto object = LookupGdi<GdiEnhMetaFile>(metafile);
  return object ? object->document : nullptr;
}

HENHMETAFILE SetEnhMetaFileBits(UINT size, const BYTE* data) {
  if (!data) return nullptr;
  try {
    return Register(EmfDocument::Parse(std::span<const uint8_t>(data, size)));
  } catch (const EInvalidGraphic&) {
    return nullptr;
  }
}

HENHMETAFILE SetWinMetaFileBits(UINT size, const BYTE* data, HDC, const METAFILEPICT* picture) {
  if (!data) return nullptr;
  const std::span<const uint8_t> wmf(data, size);
  try {
    RECT window = WmfDeclaredWindow(wmf);
    RECT frame;
    if (picture && (picture->mm == MM_ISOTROPIC || picture->mm == MM_ANISOTROPIC) && picture->xExt > 0 &&
        picture->yExt > 0) {
      frame = RECT{0, 0, picture->xExt, picture->yExt};
    } else {
      // The whole reference device, as the platform does without a picture size.
      frame = RECT{0, 0, 50800, 38100};
    }
    if (window.IsEmpty()) window = RECT{0, 0, 1920, 1440};
    const std::vector<uint8_t> emf = TranslateWmf(wmf, window, frame);
    return Register(EmfDocument::Parse(emf));
  } catch (const EInvalidGraphic&) {
    return nullptr;
  }
}

UINT GetEnhMetaFileBits(HENHMETAFILE metafile, UINT size, BYTE* data) {
  auto doc = EnhMetaFileDocument(metafile);
  if (!doc) return 0;
  const auto bytes = doc->Bytes();
  if (!data) return UINT(bytes.size());
  if (size < bytes.size()) return 0;
  std::copy(bytes.begin(), bytes.end(), data);
  return UINT(bytes.size());
}

UINT GetEnhMetaFileHeader(HENHMETAFILE metafile, UINT size, ENHMETAHEADER* header) {
  auto doc = EnhMetaFileDocument(metafile);
  if (!doc) return 0;
  if (!header) return doc->Header().nSize;
  if (size < sizeof(ENHMETAHEADER)) return 0;
  *header = doc->Header();
  return UINT(sizeof(ENHMETAHEADER));
}

bool DeleteEnhMetaFile(HENHMETAFILE metafile) {
  return GetObjectType(metafile) == OBJ_ENHMETAFILE && DeleteObject(metafile);
}

HENHMETAFILE CopyEnhMetaFile(HENHMETAFILE metafile, const char* fileName) {
  auto doc = EnhMetaFileDocument(metafile);
  if (!doc || fileName) return nullptr;
  return Register(doc);
}

bool EnumEnhMetaFile(HDC dc, HENHMETAFILE metafile, ENHMFENUMPROC proc, void* data, const RECT* rect) {
  auto doc = EnhMetaFileDocument(metafile);
  if (!doc || !proc) return false;
  HANDLETABLE table;
  // The header's handle count is at most 65535: the table stays small whatever it says.
  const int handles = std::max<int>(1, doc->Header().nHandles);
  table.objectHandle.assign(size_t(handles), nullptr);
  int saved = 0;
  if (dc) {
    if (!rect) return false;
    saved = SaveDC(dc);
    if (saved == 0) return false;
    table.player = std::make_shared<EmfPlayer>(dc, *doc, *rect, table);
  }
  bool completed = true;
  for (size_t i = 0; i < doc->Records().size(); ++i) {
    const ENHMETARECORD record = doc->Record(i);
    if (proc(dc, &table, &record, handles, data) == 0) {
      completed = false;
      break;
    }
  }
  if (table.player) table.player->Finish();
  table.player.reset();
  if (dc) RestoreDC(dc, saved);
  return completed;
}

namespace {

int PlayProc(HDC dc, HANDLETABLE* table, const ENHMETARECORD* record, int handles, void*) {
  PlayEnhMetaFileRecord(dc, table, record, UINT(handles));
  return 1;
}

}  // namespace

bool PlayEnhMetaFile(HDC dc, HENHMETAFILE metafile, const RECT* rect) {
  if (!dc || !rect) return false;
  return EnumEnhMetaFile(dc, metafile, PlayProc, nullptr, rect);
}

bool PlayEnhMetaFileRecord(HDC dc, HANDLETABLE* table, const ENHMETARECORD* record, UINT) {
  if (!dc || !table || !record || !table->player) return false;
  return table->player->Play(*record);
}
