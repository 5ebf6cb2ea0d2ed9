// Fuzz entry point: any bytes as a skin INI. Lookups of every section read back a trimmed,
// non-empty value or the default; then the INI describes a skin whose bitmaps are those of
// the program's own skin, and the skin model is read from it with whatever numbers it holds.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/rtl/resources.h"
#include "skin/quick_ini.h"
#include "skin/skin_data.h"
#include "skin/skin_reader.h"

namespace {

// The program's skin, read once.
const TSkinReader& Shipped() {
  static TSkinReader reader;
  static const bool loaded = [] {
    reader.OnMessage = [](const std::string&) {};
    auto bytes = FindResourceData("VelmoraSkin");
    TMemoryStream s(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    return reader.LoadFromStream(s);
  }();
  if (!loaded) std::abort();
  return reader;
}

// The shipped skin's archive with its INI replaced by `ini`, which comes first.
void WithIni(TSkinReader& out, std::string_view ini) {
  const TSkinReader& in = Shipped();
  out.Names.Clear();
  out.Names.Add("fuzz.ini");
  out.Sizes[0] = static_cast<uint32_t>(ini.size());
  out.Data.Clear();
  out.Data.WriteBuffer(ini.data(), static_cast<int64_t>(ini.size()));
  uint64_t offset = 0;
  int n = 1;
  for (int i = 0; i < in.Count && n < TSkinReader::kMaxEntries; ++i) {
    const uint32_t size = in.Sizes[static_cast<size_t>(i)];
    const std::string name = in.Names.Get(i);
    if (name.find(".ini") == std::string::npos) {
      out.Names.Add(name);
      out.Sizes[static_cast<size_t>(n++)] = size;
      out.Data.WriteBuffer(in.Data.Memory() + offset, size);
    }
    offset += size;
  }
  out.Count = n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  TQuickIni ini;
  TMemoryStream s(text);
  ini.LoadFromStream(&s);
  TStringList sections;
  ini.ReadSections(sections);
  for (int i = 0; i < sections.Count() && i < 64; ++i) {
    std::string v = ini.ReadString(sections.Get(i), "Image", "-");
    if (v.empty() || static_cast<unsigned char>(v.front()) <= ' ' || static_cast<unsigned char>(v.back()) <= ' ')
      std::abort();
    ini.ReadInteger(sections.Get(i), "Frame", 0);
  }
  TSkinReader reader;
  WithIni(reader, text);
  TComponentPtr<TSkinData> skin(CreateComponent<TSkinData>(nullptr));
  if (!skin->LoadSkinFrom(reader) || !skin->Ready()) std::abort();
  return 0;
}
