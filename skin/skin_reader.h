// Packed skins: a 32-bit unpacked size followed by an LZHUF stream of the skin archive, which
// holds a 16-byte header, a version block, the entry names (one per line), a 32-bit size per
// entry and the entries' data (BMP files and one skin INI), back to back.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/rtl/streams.h"
#include "platform/rtl/string_list.h"

struct TSkinFileHeader {
  uint32_t Version = 0;       // 20000, 30000, 40000 or 50000
  uint32_t NameListSize = 0;  // bytes of the entry name list
  uint32_t Unused1 = 0;
  uint32_t Unused2 = 0;
};

class TSkinReader {
 public:
  static constexpr int kMaxEntries = 1001;
  // No archive unpacks to more than this (the skins made so far are well under a megabyte).
  static constexpr uint32_t kMaxUnpackedSize = 64u << 20;
  // Each LZHUF symbol takes at least one bit and yields at most 60 bytes.
  static constexpr uint64_t kMaxExpansion = 8 * 60;

  TSkinReader();

  // Unpacks and parses the packed skin held in `source` (from its start). False, with the
  // reader's lists as they were, for an archive it does not understand: an unknown version or
  // more entries than the size table holds (both also tell the user through OnMessage), or an
  // archive whose parts do not fit in it.
  bool LoadFromStream(TStream& source);
  // Decodes the packed skin in `source` (from its start) into `dest` (from its start). False,
  // with nothing decoded, when the stated size is more than the data can hold.
  static bool Unpack(TStream& source, TStream& dest);
  // The entry of that name (compared lower-cased), or nothing: `dest` is cleared first and left
  // at position 0.
  void GetFile(const std::string& name, TMemoryStream& dest) const;
  // The first entry whose (lower-cased) name contains `text`; `foundName` becomes that name
  // and is left alone when nothing matches.
  void FindFile(const std::string& text, TMemoryStream& dest, std::string& foundName) const;

  TStringList Names;  // the entry names, lower-cased
  int32_t Count = 0;
  std::array<uint32_t, kMaxEntries> Sizes{};
  TMemoryStream Data;  // the entries' data, back to back
  TSkinFileHeader Header;
  // How an archive of another version is reported (the framework's message box by default).
  std::function<void(const std::string&)> OnMessage;

 private:
  // Copies entry `index`, which starts at `offset` in Data.
  void CopyEntry(int index, uint64_t offset, TMemoryStream& dest) const;
};

// The version block that follows the header: its size for a known version, -1 otherwise.
int SkinVersionBlockSize(uint32_t version);
