// Fuzz entry point: an /Encrypt dictionary, a file key and an object, through the standard
// security handler: classification, object keys and decryption of every string and stream.
// Input: the dictionary's text, a line break, the key bytes, a line break, the object's text.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "pdf/core/document/pdf_document.h"
#include "pdf/core/objects/pdf_objects.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  auto cut = [&text] {
    const size_t at = text.find('\n');
    const std::string_view head = text.substr(0, at);
    text = at == std::string_view::npos ? std::string_view() : text.substr(at + 1);
    return head;
  };
  const std::string_view encrypt = cut(), key = cut();
  TPDFDocument doc;
  TPDFStructure& st = doc.Structure();
  doc.Trailer()->SetValue("Encrypt", st.ParseObject(encrypt));
  const int state = doc.EncryptionState();
  if (state < 0 || state > 2) std::abort();
  doc.Security().FileKey = std::string(key.substr(0, 32));
  doc.Security().FileKeyV5 = std::string(key);
  doc.Security().UserAccepted = true;
  TPDFObject* object = st.ParseObject(text);
  const std::string objectKey = doc.ObjectKey(static_cast<int>(size), static_cast<int>(key.size()));
  if (doc.Security().AESKind != TPDFAESKind::AESV3 && objectKey.size() > 16) std::abort();
  doc.DecryptObject(objectKey, object);
  // A stream with binary data the parser does not make; decrypt one built from the bytes.
  doc.DecryptObject(objectKey, st.NewStream(text, false));
  return 0;
}
