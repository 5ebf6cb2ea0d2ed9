#include "pdf/core/byte_buffer.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// Fills a buffer from each kind of source with the same bytes.
struct Source {
  const char* kind;
  std::function<void(TZRXBuffer&, const std::string&)> load;
};

const std::vector<Source>& Sources() {
  static const std::vector<Source> sources = {
      {"string", [](TZRXBuffer& b, const std::string& s) { b.LoadFromString(s); }},
      {"memory", [](TZRXBuffer& b, const std::string& s) { b.LoadFromMemory(s.data(), static_cast<int64_t>(s.size())); }},
      {"bytes", [](TZRXBuffer& b, const std::string& s) { b.LoadFromBytes(TZRXByteArray(s.begin(), s.end())); }},
      {"owned stream", [](TZRXBuffer& b, const std::string& s) { b.LoadFromStream(std::make_unique<TMemoryStream>(s)); }},
  };
  return sources;
}

std::string Sample(size_t n) {
  std::string s(n, 'a');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + i % 7);
  return s;
}

}  // namespace

TEST(ByteBuffer, EverySourceReadsAndSeeksAlike) {
  const std::string data = Sample(300);
  for (const auto& src : Sources()) {
    SCOPED_TRACE(src.kind);
    TZRXBuffer b;
    src.load(b, data);
    EXPECT_EQ(b.Size(), 300);
    EXPECT_EQ(b.Position(), 0);
    TZRXByteArray bytes;
    b.ReadBytes(5, bytes);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "abcde");
    EXPECT_EQ(b.Position(), 5);
    std::string s;
    b.ReadString(3, s);
    EXPECT_EQ(s, "fga");
    b.SetPosition(298);
    b.ReadString(10, s);
    EXPECT_EQ(s, data.substr(298)) << "cut at the end";
    EXPECT_EQ(b.Position(), 300);
    b.ReadString(1, s);
    EXPECT_EQ(s, "");
    b.SetPosition(300);
    EXPECT_EQ(b.Position(), 300) << "Size itself is a valid position";
    b.SetPosition(301);
    EXPECT_EQ(b.Position(), 300) << "beyond Size is ignored";
    b.SetPosition(-1);
    EXPECT_EQ(b.Position(), 300);
    b.SetPosition(10);
    b.ReadString(-4, s);
    EXPECT_EQ(s, "");
    b.ReadBytes(0, bytes);
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(b.Position(), 10);
  }
}

TEST(ByteBuffer, SearchesAnswerOffsetsAndKeepThePosition) {
  std::string data(200000, ' ');
  data[5000] = 'x';
  data[70000] = '%';
  data[150000] = 'q';
  for (const auto& src : Sources()) {
    SCOPED_TRACE(src.kind);
    TZRXBuffer b;
    src.load(b, data);
    EXPECT_EQ(b.FindByte('x'), 5000);
    EXPECT_EQ(b.Position(), 0);
    EXPECT_EQ(b.FindByte('!'), -1);
    EXPECT_EQ(b.FindAnyOf({'%', 'q'}), 70000);
    EXPECT_EQ(b.FindNoneOf({' ', 'x'}), 70000);
    b.SetPosition(70001);
    EXPECT_EQ(b.FindByte('q'), 150000 - 70001) << "offsets count from the position";
    EXPECT_EQ(b.FindByte('x'), -1);
    EXPECT_EQ(b.FindAnyOf({}), -1);
    EXPECT_EQ(b.FindNoneOf({}), 0);
    EXPECT_EQ(b.Position(), 70001);
    b.SetPosition(200000);
    EXPECT_EQ(b.FindNoneOf({}), -1);
  }
}

TEST(ByteBuffer, ClearLeavesAnEmptyByteArraySource) {
  TZRXBuffer b;
  EXPECT_EQ(b.SourceKind(), TZRXBuffer::kSourceBytes);
  b.LoadFromString("abc");
  EXPECT_EQ(b.SourceKind(), TZRXBuffer::kSourceString);
  b.SetPosition(2);
  b.Clear();
  EXPECT_EQ(b.SourceKind(), TZRXBuffer::kSourceBytes);
  EXPECT_EQ(b.Size(), 0);
  EXPECT_EQ(b.Position(), 0);
  EXPECT_EQ(b.FindByte('a'), -1);
  b.LoadFromMemory(nullptr, 100);
  EXPECT_EQ(b.Size(), 0);
  TMemoryStream stream(std::string_view("stream"));
  b.LoadFromStream(stream);  // not owned: the stream outlives the buffer's use
  EXPECT_EQ(b.SourceKind(), TZRXBuffer::kSourceStream);
  EXPECT_EQ(b.FindByte('m'), 5);
  b.Clear();
  EXPECT_EQ(stream.Size(), 6);
}
