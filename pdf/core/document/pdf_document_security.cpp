// The standard security handler's side of the document: reading /Encrypt, object keys and
// the decryption of a loaded object's strings and streams.
#include <algorithm>
#include <cmath>

#include "pdf/core/document/pdf_document.h"
#include "pdf/core/md5.h"
#include "pdf/core/security/aes_cipher.h"
#include "pdf/core/security/rc4_cipher.h"
#include "platform/rtl/numbers.h"

namespace {

std::string StringValue(const TPDFDictionary& dict, std::string_view key) {
  const auto* s = PDFCast<TPDFString>(dict.GetValue(key, true));
  return s != nullptr ? s->Value() : std::string();
}

std::string NameValue(const TPDFDictionary& dict, std::string_view key) {
  const auto* n = PDFCast<TPDFName>(dict.GetValue(key, true));
  return n != nullptr ? n->Name() : std::string();
}

// A number rounded (halves to even) to a 32-bit integer, keeping its low 32 bits: /P is often
// written unsigned (4294963392 for -3904). A value beyond 64 bits gives 0.
int32_t IntegerValue(const TPDFDictionary& dict, std::string_view key) {
  const auto* n = PDFCast<TPDFNumeric>(dict.GetValue(key, true));
  if (n == nullptr || !std::isfinite(n->Value()) || std::fabs(n->Value()) >= 9223372036854775808.0) return 0;
  return static_cast<int32_t>(static_cast<uint32_t>(RoundHalfEven(n->Value())));
}

std::array<uint8_t, 2> PermissionFlags(uint32_t p) {
  std::array<uint8_t, 2> f{};
  if (p & 4) f[0] |= 1;   // print
  if (p & 8) f[0] |= 4;   // modify
  if (p & 16) f[0] |= 2;  // copy
  if (p & 32) f[0] |= 8;  // annotate
  for (int bit = 0; bit < 4; ++bit)
    if (p & (0x100u << bit)) f[1] |= static_cast<uint8_t>(1 << bit);
  return f;
}

}  // namespace

void TPDFDocument::ReadEncryptDictionary() {
  const int32_t errors = security_.DecryptionErrors;
  const bool owner = security_.OwnerAccepted, user = security_.UserAccepted;
  std::string fileKey = std::move(security_.FileKey), fileKeyV5 = std::move(security_.FileKeyV5);
  security_ = TPDFSecurityState{};
  // What password authentication set survives a re-read.
  security_.OwnerAccepted = owner;
  security_.UserAccepted = user;
  security_.FileKey = std::move(fileKey);
  security_.FileKeyV5 = std::move(fileKeyV5);
  security_.DecryptionErrors = errors;
  security_.Read = true;

  TPDFObject* value = trailer_->GetValue("Encrypt");
  security_.Encrypted = value != nullptr;
  if (auto* ref = PDFCast<TPDFIndRef>(value)) {
    security_.EncryptObjectNumber = ref->TargetNumber();
    value = ref->Resolve();
  }
  const auto* encrypt = PDFCast<TPDFDictionary>(value);
  if (encrypt == nullptr) return;
  const int v = IntegerValue(*encrypt, "V"), r = IntegerValue(*encrypt, "R");
  security_.P = IntegerValue(*encrypt, "P");
  const auto p = static_cast<uint32_t>(security_.P);
  security_.PermissionFlags = PermissionFlags(p);
  security_.PBelow0x10000 = p < 0x10000;
  if (NameValue(*encrypt, "Filter") == "Standard") ReadStandardFilter(*encrypt, v, r);
}

void TPDFDocument::ReadStandardFilter(const TPDFDictionary& encrypt, int v, int r) {
  auto take = [&] {
    security_.Revision = r;
    security_.Version = v;
    security_.O = StringValue(encrypt, "O");
    security_.U = StringValue(encrypt, "U");
  };
  if ((v == 1 || v == 2) && (r == 2 || r == 3)) {
    take();
    const int length = IntegerValue(encrypt, "Length");
    security_.KeyLength = (v == 2 || r == 3) && length > 0 ? length : 40;
    return;
  }
  // Only the crypt-filter handlers (V 4 and 5) read /EncryptMetadata.
  const bool cryptFilters = (v == 4 && r == 4) || (v == 5 && (r == 5 || r == 6));
  if (const auto* meta = PDFCast<TPDFBoolean>(encrypt.GetValue("EncryptMetadata", true)); meta && cryptFilters)
    security_.EncryptMetadata = meta->Value();
  if (v == 4 && r == 4) {
    if (ReadCryptFilter(encrypt, "AESV2", 128)) {
      security_.AESKind = TPDFAESKind::AESV2;
      security_.CryptMethod = 2;
    } else if (!ReadCryptFilter(encrypt, "V2", 40)) {
      return;
    }
    take();
  } else if (v == 5 && (r == 5 || r == 6) && ReadCryptFilter(encrypt, "AESV3", 256)) {
    take();
    security_.OE = StringValue(encrypt, "OE");
    security_.UE = StringValue(encrypt, "UE");
    security_.Perms = StringValue(encrypt, "Perms");
    security_.AESKind = TPDFAESKind::AESV3;
    security_.CryptMethod = 3;
  }
}

// The /StdCF crypt filter with the given method, used for strings and streams alike; its
// /Length sets the key length (bytes, or bits when above 32).
bool TPDFDocument::ReadCryptFilter(const TPDFDictionary& encrypt, std::string_view method, int defaultBits) {
  if (NameValue(encrypt, "StrF") != "StdCF" || NameValue(encrypt, "StmF") != "StdCF") return false;
  const auto* filters = PDFCast<TPDFDictionary>(encrypt.GetValue("CF", true));
  const auto* std = filters != nullptr ? PDFCast<TPDFDictionary>(filters->GetValue("StdCF", true)) : nullptr;
  if (std == nullptr || NameValue(*std, "CFM") != method) return false;
  const int length = IntegerValue(*std, "Length");
  security_.KeyLength = length <= 0 ? defaultBits : length > 32 ? length : length * 8;
  return true;
}

int TPDFDocument::EncryptionState() {
  if (!security_.Read) ReadEncryptDictionary();
  if (!security_.Encrypted) return 0;
  return security_.Version != 0 ? 1 : 2;
}

bool TPDFDocument::NeedsDecryption() {
  return EncryptionState() == 1 && (security_.OwnerAccepted || security_.UserAccepted);
}

std::string TPDFDocument::ObjectKey(int objectNumber, int generation) {
  if (security_.EncryptObjectNumber != 0 && objectNumber == security_.EncryptObjectNumber) return {};
  if (security_.AESKind == TPDFAESKind::AESV3) return security_.FileKeyV5;
  std::string material = security_.FileKey;
  const auto n = static_cast<uint32_t>(objectNumber), g = static_cast<uint32_t>(generation);
  for (int i = 0; i < 3; ++i) material.push_back(static_cast<char>((n >> (8 * i)) & 0xFF));
  for (int i = 0; i < 2; ++i) material.push_back(static_cast<char>((g >> (8 * i)) & 0xFF));
  if (security_.AESKind == TPDFAESKind::AESV2) material += "sAlT";
  TMD5Digest digest;
  MD5String(material, digest);
  const size_t length = std::min<size_t>(security_.FileKey.size() + 5, 16);
  return std::string(reinterpret_cast<const char*>(digest.data()), length);
}

void TPDFDocument::DecryptObject(std::string_view key, TPDFObject* object) {
  if (!(security_.OwnerAccepted || security_.UserAccepted) || key.empty()) return;
  DecryptValue(key, object, 0);
}

void TPDFDocument::DecryptValue(std::string_view key, TPDFObject* object, int depth) {
  // References are not followed: each indirect object is decrypted with its own key.
  if (object == nullptr || depth > kPDFMaxNestingDepth) return;
  if (auto* s = PDFCast<TPDFString>(object)) {
    s->SetValue(DecryptBytes(key, s->Value()));
  } else if (auto* dict = PDFCast<TPDFDictionary>(object)) {
    for (const auto& pair : dict->Pairs()) DecryptValue(key, pair.second, depth + 1);
  } else if (auto* array = PDFCast<TPDFArray>(object)) {
    for (TPDFObject* item : array->Items()) DecryptValue(key, item, depth + 1);
  } else if (auto* stream = PDFCast<TPDFStream>(object)) {
    stream->TakeData(DecryptBytes(key, stream->Data()));
    DecryptValue(key, stream->Dictionary(), depth + 1);
  }
}

std::string TPDFDocument::DecryptBytes(std::string_view key, std::string_view data) {
  if (security_.AESKind == TPDFAESKind::RC4) return RC4Crypt(key, data);
  bool ok = false;
  std::string plain = AESDecryptWithIV(key, data, &ok);
  if (!ok) ++security_.DecryptionErrors;
  return plain;
}
