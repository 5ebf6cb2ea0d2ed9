// What a document knows about the /Encrypt dictionary of its source: filled on first need
// by TPDFDocument::ReadEncryptDictionary.
#pragma once

#include <array>
#include <cstdint>
#include <string>

enum class TPDFAESKind : uint8_t { RC4 = 0, AESV2 = 1, AESV3 = 2 };

struct TPDFSecurityState {
  bool Encrypted = false;
  bool Read = false;
  int32_t KeyLength = 0;  // bits
  int32_t Revision = 0;
  int32_t Version = 0;  // stays 0 for a combination this handler does not support
  std::string O, U;
  std::string OE, UE, Perms;
  int32_t P = 0;
  TPDFAESKind AESKind = TPDFAESKind::RC4;
  int32_t EncryptObjectNumber = 0;  // 0 when /Encrypt is direct
  bool EncryptMetadata = true;
  // Set by password authentication, which this program does not do: without one of them
  // nothing is decrypted.
  bool OwnerAccepted = false;
  bool UserAccepted = false;
  std::string FileKey;    // RC4 and AESV2
  std::string FileKeyV5;  // 32 bytes, AESV3
  int32_t CryptMethod = 0;  // 2 AESV2, 3 AESV3
  // From /P: [0] bit 0 print, bit 1 copy, bit 2 modify, bit 3 annotate; [1] bits 0..3 for
  // the revision 3 bits 9..12.
  std::array<uint8_t, 2> PermissionFlags{};
  bool PBelow0x10000 = false;
  // Strings and streams whose decryption failed (bad padding, cut data); each was emptied.
  int32_t DecryptionErrors = 0;
};
