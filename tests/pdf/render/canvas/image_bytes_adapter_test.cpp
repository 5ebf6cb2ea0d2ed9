// The COM stream over our streams: reads, writes and seeks pass through; IImageBytes hands
// out kept copies of byte ranges until they are unlocked.
#include "pdf/render/canvas/image_bytes_adapter.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace gdiplus;

TEST(ImageBytesStreamAdapter, StreamCallsReachTheStream) {
  TMemoryStream s("0123456789");
  TImageBytesStreamAdapter a(s);
  char buf[4] = {};
  uint32_t n = 0;
  EXPECT_EQ(a.Read(buf, 4, &n), S_OK);
  EXPECT_EQ(n, 4u);
  EXPECT_EQ(std::string(buf, 4), "0123");
  uint64_t pos = 0;
  EXPECT_EQ(a.Seek(-2, STREAM_SEEK_END, &pos), S_OK);
  EXPECT_EQ(pos, 8u);
  EXPECT_EQ(a.Read(buf, 4, &n), S_FALSE);  // short read at the end
  EXPECT_EQ(n, 2u);
  EXPECT_EQ(a.Seek(0, 7, &pos), STG_E_INVALIDFUNCTION);
  EXPECT_EQ(a.Seek(0, STREAM_SEEK_SET, nullptr), S_OK);
  EXPECT_EQ(a.Write("ab", 2, &n), S_OK);
  EXPECT_EQ(s.DataString(), "ab23456789");
  STATSTG st{};
  EXPECT_EQ(a.Stat(&st, STATFLAG_NONAME), S_OK);
  EXPECT_EQ(st.cbSize, 10u);
  IStream* clone = reinterpret_cast<IStream*>(1);
  EXPECT_EQ(a.Clone(&clone), E_NOTIMPL);
  EXPECT_EQ(clone, nullptr);
}

TEST(ImageBytesStreamAdapter, ImageBytesLendsCopiesUntilUnlocked) {
  TMemoryStream s("0123456789");
  s.SetPosition(3);
  TImageBytesStreamAdapter a(s);
  void* object = nullptr;
  ASSERT_EQ(a.QueryInterface(IID_IImageBytes, &object), S_OK);
  auto* bytes = static_cast<IImageBytes*>(object);
  uint32_t count = 0;
  EXPECT_EQ(bytes->CountBytes(&count), S_OK);
  EXPECT_EQ(count, 10u);
  const void* p1 = nullptr;
  const void* p2 = nullptr;
  ASSERT_EQ(bytes->LockBytes(4, 2, &p1), S_OK);
  ASSERT_EQ(bytes->LockBytes(3, 7, &p2), S_OK);
  EXPECT_EQ(std::memcmp(p1, "2345", 4), 0);
  EXPECT_EQ(std::memcmp(p2, "789", 3), 0);
  EXPECT_EQ(s.Position(), 3);  // the stream's position is kept
  EXPECT_EQ(a.LockedBufferCount(), 2u);
  const void* p3 = nullptr;
  EXPECT_NE(bytes->LockBytes(4, 8, &p3), S_OK);  // past the end
  EXPECT_EQ(p3, nullptr);
  bytes->UnlockBytes(p1, 4, 2);
  EXPECT_EQ(a.LockedBufferCount(), 1u);
  bytes->UnlockBytes(p2, 3, 7);
  EXPECT_EQ(a.LockedBufferCount(), 0u);
  bytes->Release();

  void* stream = nullptr;
  EXPECT_EQ(a.QueryInterface(IID_IStream, &stream), S_OK);
  EXPECT_EQ(stream, static_cast<IStream*>(&a));
  a.Release();
  const IID other = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  EXPECT_EQ(a.QueryInterface(other, &stream), E_NOINTERFACE);
}
