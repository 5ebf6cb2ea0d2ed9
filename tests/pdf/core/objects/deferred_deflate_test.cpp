// Streams whose samples are deflated only when their bytes are asked for: whatever reads
// them, and the written stream, must see exactly what an immediate deflate stores.
#include <gtest/gtest.h>

#include <zlib.h>

#include "pdf/core/filters/flate.h"
#include "pdf/core/objects/object_import.h"
#include "pdf/core/objects/pdf_objects.h"

namespace {

std::string Text(const TPDFObject* o) {
  std::string s;
  o->WriteToString(s);
  return s;
}

// Samples that deflate to far fewer bytes than they have, with some noise.
std::string Samples(size_t n) {
  std::string s(n, '\0');
  uint32_t x = 12345;
  for (size_t i = 0; i < n; ++i) {
    x = x * 1103515245 + 12345;
    s[i] = char(i % 97 < 60 ? (i / 300) & 0xFF : (x >> 16) & 0xFF);
  }
  return s;
}

// The stream as the image import stored it before deferring: deflated at once.
TPDFStream* Eager(TPDFStructure& st, const std::string& samples) {
  TPDFStream* s = st.NewStream({}, false);
  s->TakeData(FlateCompressString(samples));
  s->Dictionary()->SetValue("Type", st.NewName("XObject"));
  s->Dictionary()->SetValue("Filter", st.NewName("FlateDecode"));
  return s;
}

TPDFStream* Deferred(TPDFStructure& st, std::string samples) {
  TPDFStream* s = st.NewStream({}, false);
  s->TakeDataToDeflate(std::move(samples));
  s->Dictionary()->SetValue("Type", st.NewName("XObject"));
  s->Dictionary()->SetValue("Filter", st.NewName("FlateDecode"));
  return s;
}

// zlib's own inflate, not the library's.
std::string Inflated(const std::string& z, size_t size) {
  std::string out(size, '\0');
  uLongf n = uLongf(size);
  if (uncompress(reinterpret_cast<Bytef*>(out.data()), &n, reinterpret_cast<const Bytef*>(z.data()), uLong(z.size())) !=
      Z_OK)
    return "not a zlib stream";
  out.resize(n);
  return out;
}

}  // namespace

TEST(DeferredDeflate, WrittenAndReadAsAnImmediateDeflate) {
  for (const size_t size : {size_t{1}, size_t{4096}, size_t{300000}}) {
    SCOPED_TRACE(size);
    const std::string samples = Samples(size);
    TPDFStructure st;
    TPDFStream* eager = Eager(st, samples);
    // Written first, read first, decoded first: each must give the same bytes.
    TPDFStream* written = Deferred(st, samples);
    TPDFStream* read = Deferred(st, samples);
    TPDFStream* decoded = Deferred(st, samples);
    ASSERT_NE(written->PendingDeflate(), nullptr);
    EXPECT_EQ(*written->PendingDeflate(), samples);
    EXPECT_EQ(Text(written), Text(eager));
    EXPECT_EQ(written->PendingDeflate(), nullptr);

    EXPECT_EQ(read->Data(), eager->Data());
    EXPECT_EQ(Inflated(read->Data(), size), samples);
    EXPECT_EQ(read->Dictionary()->GetInteger("Length", -1), int(eager->Data().size()));
    EXPECT_EQ(Text(read), Text(eager));

    std::string out;
    EXPECT_TRUE(decoded->Decode(out));
    EXPECT_EQ(out, samples);
    EXPECT_EQ(Text(decoded), Text(eager));
  }
}

TEST(DeferredDeflate, NewDataEndsThePendingDeflate) {
  TPDFStructure st;
  TPDFStream* s = Deferred(st, Samples(1000));
  s->SetData("q Q");
  EXPECT_EQ(s->PendingDeflate(), nullptr);
  EXPECT_EQ(s->Data(), "q Q");
  EXPECT_EQ(s->Dictionary()->GetInteger("Length", -1), 3);

  s->TakeDataToDeflate(Samples(1000));
  s->Compress("abc", false);
  EXPECT_EQ(s->PendingDeflate(), nullptr);
  EXPECT_EQ(s->Data(), "abc");

  // Nothing to deflate stores nothing, as an immediate deflate of nothing does.
  s->TakeDataToDeflate(std::string());
  EXPECT_EQ(s->PendingDeflate(), nullptr);
  EXPECT_EQ(s->Data(), "");
  EXPECT_EQ(s->Dictionary()->GetInteger("Length", -1), 0);
}

TEST(DeferredDeflate, CopiesIntoAnotherStoreCarryTheDeflatedBytes) {
  const std::string samples = Samples(5000);
  TPDFStructure from, to, reference;
  TPDFStream* s = Deferred(from, samples);
  TPDFObject* copy = ImportObject(to, *s);
  auto* stream = PDFCast<TPDFStream>(copy);
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(stream->PendingDeflate(), nullptr);
  EXPECT_EQ(Text(stream), Text(Eager(reference, samples)));
}
