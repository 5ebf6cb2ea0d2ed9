// Shared pieces of the EMF fuzz entry points: the input read as an EMF (none when the reader
// refuses it) and a document played onto a device context at the size every entry point uses.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <span>

#include "platform/gdi/metafile/emf_reader.h"
#include "platform/gdi/metafile/enh_metafile.h"

inline std::shared_ptr<const EmfDocument> ParseFuzzEmf(const uint8_t* data, size_t size) {
  try {
    return EmfDocument::Parse(std::span<const uint8_t>(data, size));
  } catch (const std::exception&) {
    return nullptr;
  }
}

inline void PlayFuzzEmf(HDC dc, const EmfDocument& doc) {
  const auto bytes = doc.Bytes();
  HENHMETAFILE h = SetEnhMetaFileBits(UINT(bytes.size()), bytes.data());
  const RECT dest{0, 0, 64, 48};
  PlayEnhMetaFile(dc, h, &dest);
  DeleteEnhMetaFile(h);
}
