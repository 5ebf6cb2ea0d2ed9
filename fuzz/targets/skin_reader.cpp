// Fuzz entry point: any bytes as a packed skin. The reader must refuse or read it without
// reading outside what it holds; every entry it lists must come back whole.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "skin/skin_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Stated sizes past 64 KB take no other way through the decoder, only longer; the tests
  // cover the refusal of sizes the data cannot hold.
  if (size >= 4 && (data[3] != 0 || data[2] != 0)) return 0;
  TSkinReader reader;
  reader.OnMessage = [](const std::string&) {};
  TMemoryStream source(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!reader.LoadFromStream(source)) return 0;
  if (reader.Count < 0 || reader.Count > TSkinReader::kMaxEntries || reader.Names.Count() != reader.Count) std::abort();
  uint64_t sum = 0;
  for (int i = 0; i < reader.Count; ++i) sum += reader.Sizes[static_cast<size_t>(i)];
  if (sum > static_cast<uint64_t>(reader.Data.Size())) std::abort();
  TMemoryStream entry;
  for (int i = 0; i < reader.Count; ++i) {
    reader.GetFile(reader.Names.Get(i), entry);
    if (entry.Position() != 0 || static_cast<uint64_t>(entry.Size()) > sum) std::abort();
  }
  std::string found;
  reader.FindFile(".ini", entry, found);
  return 0;
}
