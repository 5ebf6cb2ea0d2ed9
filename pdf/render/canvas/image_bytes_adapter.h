// The COM stream that GDI+ reads images from and writes encoded images to, over one of our
// own streams (not owned), also offering IImageBytes so that the provider can take the bytes
// in one piece instead of reading them in small chunks.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/rtl/streams.h"

class TImageBytesStreamAdapter : public gdiplus::IStream {
 public:
  explicit TImageBytesStreamAdapter(TStream& stream);
  virtual ~TImageBytesStreamAdapter();
  TImageBytesStreamAdapter(const TImageBytesStreamAdapter&) = delete;
  TImageBytesStreamAdapter& operator=(const TImageBytesStreamAdapter&) = delete;

  TStream& Stream() const { return stream_; }
  // Buffers handed out by LockBytes and not yet unlocked.
  size_t LockedBufferCount() const { return buffers_.size(); }

  // IUnknown. The adapter lives as long as its owner keeps it: the counts are kept for the
  // provider's balance but never free the object.
  gdiplus::HRESULT QueryInterface(const gdiplus::IID& iid, void** object) override;
  uint32_t AddRef() override;
  uint32_t Release() override;
  // ISequentialStream and IStream over the stream.
  gdiplus::HRESULT Read(void* buffer, uint32_t count, uint32_t* read) override;
  gdiplus::HRESULT Write(const void* buffer, uint32_t count, uint32_t* written) override;
  gdiplus::HRESULT Seek(int64_t move, uint32_t origin, uint64_t* newPosition) override;
  gdiplus::HRESULT SetSize(uint64_t newSize) override;
  gdiplus::HRESULT CopyTo(gdiplus::IStream* target, uint64_t count, uint64_t* read, uint64_t* written) override;
  gdiplus::HRESULT Commit(uint32_t flags) override;
  gdiplus::HRESULT Revert() override;
  gdiplus::HRESULT LockRegion(uint64_t offset, uint64_t count, uint32_t lockType) override;
  gdiplus::HRESULT UnlockRegion(uint64_t offset, uint64_t count, uint32_t lockType) override;
  gdiplus::HRESULT Stat(gdiplus::STATSTG* stat, uint32_t flags) override;
  gdiplus::HRESULT Clone(gdiplus::IStream** copy) override;

  // IImageBytes, answered by an inner object that shares this adapter's state.
  gdiplus::HRESULT CountBytes(uint32_t* count);
  // Reads `count` bytes at `offset` into a new buffer that the adapter keeps until unlocked.
  gdiplus::HRESULT LockBytes(uint32_t count, uint32_t offset, const void** bytes);
  gdiplus::HRESULT UnlockBytes(const void* bytes);

 private:
  class ImageBytes : public gdiplus::IImageBytes {
   public:
    explicit ImageBytes(TImageBytesStreamAdapter& owner) : owner_(owner) {}
    gdiplus::HRESULT QueryInterface(const gdiplus::IID& iid, void** object) override;
    uint32_t AddRef() override { return owner_.AddRef(); }
    uint32_t Release() override { return owner_.Release(); }
    gdiplus::HRESULT CountBytes(uint32_t* count) override { return owner_.CountBytes(count); }
    gdiplus::HRESULT LockBytes(uint32_t count, uint32_t offset, const void** bytes) override {
      return owner_.LockBytes(count, offset, bytes);
    }
    gdiplus::HRESULT UnlockBytes(const void* bytes, uint32_t, uint32_t) override { return owner_.UnlockBytes(bytes); }

   private:
    TImageBytesStreamAdapter& owner_;
  };

  TStream& stream_;
  ImageBytes imageBytes_{*this};
  uint32_t references_ = 1;
  std::vector<std::unique_ptr<std::vector<uint8_t>>> buffers_;
};
