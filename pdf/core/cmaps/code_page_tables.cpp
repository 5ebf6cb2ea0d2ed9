#include "pdf/core/cmaps/code_page_tables.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "pdf/core/filters/flate.h"
#include "platform/rtl/resources.h"

namespace {

// A CID is 16 bits: a table never holds more than 65,536 values.
constexpr int64_t kMaxTableSize = 2 * 65536;

std::unique_ptr<TZRXWordPairList> BuildTable(int codePage) {
  const auto packed = FindResourceData(kCodePageTableResourceBase + codePage);
  const std::string data = FlateDecompressString(
      std::string_view(reinterpret_cast<const char*>(packed.data()), packed.size()), kMaxTableSize);
  auto table = std::make_unique<TZRXWordPairList>();
  for (size_t i = 0; i + 1 < data.size(); i += 2) {
    const auto value = static_cast<uint16_t>(static_cast<uint8_t>(data[i]) | static_cast<uint8_t>(data[i + 1]) << 8);
    table->Add(static_cast<uint16_t>(i / 2), value);
  }
  table->Sort();
  return table;
}

}  // namespace

TZRXWordPairList* LoadCodePageTable(int codePage) {
  if (codePage != 932 && codePage != 936 && codePage != 949 && codePage != 950) codePage = 932;
  static std::mutex lock;
  static std::map<int, std::unique_ptr<TZRXWordPairList>> cache;
  std::lock_guard<std::mutex> hold(lock);
  auto& table = cache[codePage];
  if (!table) table = BuildTable(codePage);
  return table.get();
}
