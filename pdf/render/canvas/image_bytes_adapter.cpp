#include "pdf/render/canvas/image_bytes_adapter.h"

#include <algorithm>
#include <cstring>
#include <limits>

using namespace gdiplus;

TImageBytesStreamAdapter::TImageBytesStreamAdapter(TStream& stream) : stream_(stream) {}

TImageBytesStreamAdapter::~TImageBytesStreamAdapter() = default;

HRESULT TImageBytesStreamAdapter::QueryInterface(const IID& iid, void** object) {
  if (!object) return E_NOINTERFACE;
  *object = nullptr;
  if (iid == IID_IUnknown || iid == IID_IStream) {
    *object = static_cast<gdiplus::IStream*>(this);
  } else if (iid == IID_IImageBytes) {
    *object = static_cast<gdiplus::IImageBytes*>(&imageBytes_);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

uint32_t TImageBytesStreamAdapter::AddRef() { return ++references_; }

uint32_t TImageBytesStreamAdapter::Release() { return references_ > 1 ? --references_ : 1; }

HRESULT TImageBytesStreamAdapter::ImageBytes::QueryInterface(const IID& iid, void** object) {
  return owner_.QueryInterface(iid, object);
}

HRESULT TImageBytesStreamAdapter::Read(void* buffer, uint32_t count, uint32_t* read) {
  if (!buffer && count) return STG_E_INVALIDFUNCTION;
  const int64_t n = count ? stream_.Read(buffer, count) : 0;
  if (read) *read = uint32_t(n);
  return n == int64_t(count) ? S_OK : S_FALSE;
}

HRESULT TImageBytesStreamAdapter::Write(const void* buffer, uint32_t count, uint32_t* written) {
  if (!buffer && count) return STG_E_INVALIDFUNCTION;
  const int64_t n = count ? stream_.Write(buffer, count) : 0;
  if (written) *written = uint32_t(n);
  return n == int64_t(count) ? S_OK : E_FAIL;
}

HRESULT TImageBytesStreamAdapter::Seek(int64_t move, uint32_t origin, uint64_t* newPosition) {
  TSeekOrigin o;
  switch (origin) {
    case STREAM_SEEK_SET: o = TSeekOrigin::soBeginning; break;
    case STREAM_SEEK_CUR: o = TSeekOrigin::soCurrent; break;
    case STREAM_SEEK_END: o = TSeekOrigin::soEnd; break;
    default: return STG_E_INVALIDFUNCTION;
  }
  const int64_t pos = stream_.Seek(move, o);
  if (pos < 0) return STG_E_INVALIDFUNCTION;
  if (newPosition) *newPosition = uint64_t(pos);
  return S_OK;
}

HRESULT TImageBytesStreamAdapter::SetSize(uint64_t newSize) {
  if (newSize > uint64_t(std::numeric_limits<int64_t>::max())) return STG_E_INVALIDFUNCTION;
  stream_.SetSize(int64_t(newSize));
  return S_OK;
}

HRESULT TImageBytesStreamAdapter::CopyTo(gdiplus::IStream* target, uint64_t count, uint64_t* read,
                                         uint64_t* written) {
  if (!target) return STG_E_INVALIDFUNCTION;
  std::vector<uint8_t> chunk(64 * 1024);
  uint64_t total = 0, totalWritten = 0;
  while (total < count) {
    const uint32_t want = uint32_t(std::min<uint64_t>(chunk.size(), count - total));
    const int64_t got = stream_.Read(chunk.data(), want);
    if (got <= 0) break;
    uint32_t w = 0;
    target->Write(chunk.data(), uint32_t(got), &w);
    total += uint64_t(got);
    totalWritten += w;
    if (w != uint32_t(got)) break;
  }
  if (read) *read = total;
  if (written) *written = totalWritten;
  return S_OK;
}

HRESULT TImageBytesStreamAdapter::Commit(uint32_t) { return S_OK; }
HRESULT TImageBytesStreamAdapter::Revert() { return STG_E_INVALIDFUNCTION; }
HRESULT TImageBytesStreamAdapter::LockRegion(uint64_t, uint64_t, uint32_t) { return STG_E_INVALIDFUNCTION; }
HRESULT TImageBytesStreamAdapter::UnlockRegion(uint64_t, uint64_t, uint32_t) { return STG_E_INVALIDFUNCTION; }

HRESULT TImageBytesStreamAdapter::Stat(STATSTG* stat, uint32_t) {
  if (!stat) return STG_E_INVALIDFUNCTION;
  *stat = STATSTG{};
  stat->type = 2;  // a stream
  stat->cbSize = uint64_t(std::max<int64_t>(0, stream_.Size()));
  return S_OK;
}

HRESULT TImageBytesStreamAdapter::Clone(gdiplus::IStream** copy) {
  if (copy) *copy = nullptr;
  return E_NOTIMPL;
}

HRESULT TImageBytesStreamAdapter::CountBytes(uint32_t* count) {
  if (!count) return STG_E_INVALIDFUNCTION;
  const int64_t size = stream_.Size();
  // The interface counts in 32 bits; a larger stream cannot be offered whole.
  if (size < 0 || size > int64_t(std::numeric_limits<uint32_t>::max())) return E_FAIL;
  *count = uint32_t(size);
  return S_OK;
}

HRESULT TImageBytesStreamAdapter::LockBytes(uint32_t count, uint32_t offset, const void** bytes) {
  if (!bytes) return STG_E_INVALIDFUNCTION;
  *bytes = nullptr;
  const int64_t size = stream_.Size();
  if (int64_t(offset) + int64_t(count) > size) return E_FAIL;
  auto buffer = std::make_unique<std::vector<uint8_t>>(std::max<uint32_t>(count, 1));
  const int64_t saved = stream_.Position();
  stream_.SetPosition(offset);
  const int64_t got = count ? stream_.Read(buffer->data(), count) : 0;
  stream_.SetPosition(saved);
  if (got != int64_t(count)) return E_FAIL;
  *bytes = buffer->data();
  buffers_.push_back(std::move(buffer));
  return S_OK;
}

HRESULT TImageBytesStreamAdapter::UnlockBytes(const void* bytes) {
  auto it = std::find_if(buffers_.begin(), buffers_.end(), [&](const auto& b) { return b->data() == bytes; });
  if (it != buffers_.end()) buffers_.erase(it);
  return S_OK;
}
