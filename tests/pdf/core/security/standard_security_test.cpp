// The standard security handler: /Encrypt dictionaries classified, object keys, and strings and
// streams of files encrypted by qpdf decrypted to exactly what qpdf shows.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "pdf/core/document/pdf_document.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/core/security/aes_cipher.h"
#include "tests/support/test_support.h"

namespace {

namespace ts = testsupport;

// A plain two-string, one-stream document with a correct cross-reference table.
std::string PlainPdf() {
  const std::string content = "0 0 1 rg 10 10 100 100 re f BT /F1 12 Tf (Hello secret) Tj ET";
  const std::string objects[] = {
      "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
      "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 4 0 R >>",
      "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream",
      "<< /Title (Secret title) /Subject <FEFF004A04160020> /Keywords [(one) (two)] >>"};
  std::string out = "%PDF-1.4\n", xref;
  int number = 1;
  for (const std::string& o : objects) {
    char line[24];
    std::snprintf(line, sizeof line, "%010zu 00000 n \n", out.size());
    xref += line;
    out += std::to_string(number++) + " 0 obj\n" + o + "\nendobj\n";
  }
  const size_t start = out.size();
  out += "xref\n0 6\n0000000000 65535 f \n" + xref +
         "trailer\n<< /Size 6 /Root 1 0 R /Info 5 0 R /ID [<00112233445566778899aabbccddeeff>"
         "<00112233445566778899aabbccddeeff>] >>\nstartxref\n" +
         std::to_string(start) + "\n%%EOF\n";
  return out;
}

// Reads objects of a file qpdf wrote without object streams.
class FileObjects {
 public:
  FileObjects(std::string text, TPDFStructure& st) : text_(std::move(text)), st_(st) {}

  TPDFObject* Trailer() const {
    const size_t at = text_.rfind("trailer");
    return at == std::string::npos ? nullptr : Parse(at + 7);
  }
  TPDFObject* Object(int number) const {
    const std::string head = "\n" + std::to_string(number) + " 0 obj";
    const size_t at = text_.find(head);
    return at == std::string::npos ? nullptr : Parse(at + head.size());
  }

 private:
  TPDFObject* Parse(size_t at) const {
    size_t used = 0;
    TPDFObject* o = st_.ParseObjectAt(std::string_view(text_).substr(at), used);
    auto* dict = PDFCast<TPDFDictionary>(o);
    const size_t keyword = text_.find_first_not_of(" \r\n", at + used);
    if (dict == nullptr || text_.compare(keyword, 6, "stream") != 0) return o;
    size_t data = keyword + 6;
    data += text_[data] == '\r' ? 2 : 1;
    auto* stream = st_.NewStream(text_.substr(data, static_cast<size_t>(dict->GetInteger("Length", 0))), false);
    for (const auto& [key, value] : dict->Pairs())
      if (key->Name() != "Length") stream->Dictionary()->SetValue(key->Name(), value);
    return stream;
  }

  std::string text_;
  TPDFStructure& st_;
};

std::string Bytes(const std::string& hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return out;
}

// Strings as literals, so that objects compare by their bytes and not by how they were written.
TPDFObject* Literal(TPDFObject* o) {
  if (auto* s = PDFCast<TPDFString>(o)) s->SetHex(false);
  if (auto* d = PDFCast<TPDFDictionary>(o))
    for (const auto& pair : d->Pairs()) Literal(pair.second);
  if (auto* a = PDFCast<TPDFArray>(o))
    for (TPDFObject* item : a->Items()) Literal(item);
  return o;
}

// Enters obj as the document's object of the given number (the document numbers its slots).
void AddAs(TPDFDocument& doc, int number, TPDFObject* obj) {
  while (doc.NewIndObj(doc.Structure().NewNull(), true)->ObjectNumber() + 1 < number) {
  }
  ASSERT_EQ(doc.NewIndObj(obj, true)->ObjectNumber(), number);
}

struct QpdfCase {
  const char* options;
  int version, revision, keyBits;
  TPDFAESKind kind;
};

class QpdfEncrypted : public testing::TestWithParam<QpdfCase> {};

TEST_P(QpdfEncrypted, DecryptsToWhatQpdfShows) {
  REQUIRE_TOOL("qpdf");
  const QpdfCase& c = GetParam();
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.File("plain.pdf"), PlainPdf());
  const std::string enc = dir.File("enc.pdf");
  ASSERT_EQ(ts::Run("qpdf --object-streams=disable --compress-streams=n --allow-weak-crypto --encrypt u o " +
                std::string(c.options) + " -- " + dir.File("plain.pdf") + " " + enc),
            0);
  std::string shown;
  ASSERT_EQ(ts::Run("qpdf --show-encryption-key --show-encryption --password=u " + enc, &shown), 0);
  std::smatch key;
  ASSERT_TRUE(std::regex_search(shown, key, std::regex("Encryption key = ([0-9a-f]+)")));

  TPDFDocument doc;
  TPDFStructure& st = doc.Structure();
  FileObjects file(testsupport::ReadFile(enc), st);
  auto* trailer = PDFCast<TPDFDictionary>(file.Trailer());
  ASSERT_NE(trailer, nullptr);
  const auto* encryptRef = PDFCast<TPDFIndRef>(trailer->GetValue("Encrypt"));
  ASSERT_NE(encryptRef, nullptr);
  const int encryptNumber = encryptRef->TargetNumber();
  AddAs(doc, encryptNumber, file.Object(encryptNumber));
  doc.Trailer()->SetValue("Encrypt", st.NewIndRef(encryptNumber, 0));

  EXPECT_EQ(doc.EncryptionState(), 1);
  const TPDFSecurityState& s = doc.Security();
  EXPECT_EQ(s.Version, c.version);
  EXPECT_EQ(s.Revision, c.revision);
  EXPECT_EQ(s.KeyLength, c.keyBits);
  EXPECT_EQ(s.AESKind, c.kind);
  EXPECT_EQ(s.EncryptObjectNumber, encryptNumber);
  EXPECT_EQ(s.PermissionFlags[0], 0x0F);  // qpdf's default allows everything
  EXPECT_EQ(s.U.size(), c.version == 5 ? 48u : 32u);
  EXPECT_FALSE(doc.NeedsDecryption()) << "no password was accepted";
  EXPECT_TRUE(doc.ObjectKey(encryptNumber, 0).empty());

  (c.kind == TPDFAESKind::AESV3 ? doc.Security().FileKeyV5 : doc.Security().FileKey) = Bytes(key[1]);
  doc.Security().UserAccepted = true;
  EXPECT_TRUE(doc.NeedsDecryption());

  const auto* info = PDFCast<TPDFIndRef>(trailer->GetValue("Info"));
  ASSERT_NE(info, nullptr);
  for (int number = 1; number < encryptNumber; ++number) {
    SCOPED_TRACE("object " + std::to_string(number));
    TPDFObject* o = file.Object(number);
    ASSERT_NE(o, nullptr);
    doc.DecryptObject(doc.ObjectKey(number, 0), o);
    std::string expected;
    if (auto* stream = PDFCast<TPDFStream>(o)) {
      ASSERT_EQ(ts::Run("qpdf --password=u --raw-stream-data --show-object=" + std::to_string(number) + " " + enc, &expected), 0);
      EXPECT_EQ(stream->Data(), expected);
      EXPECT_EQ(stream->Dictionary()->GetInteger("Length", -1), static_cast<int>(expected.size()));
    } else {
      ASSERT_EQ(ts::Run("qpdf --password=u --show-object=" + std::to_string(number) + " " + enc, &expected), 0);
      EXPECT_EQ(Literal(o)->ToString(), Literal(st.ParseObject(expected))->ToString());
    }
  }
  EXPECT_EQ(s.DecryptionErrors, 0);
  auto* title = PDFCast<TPDFString>(PDFCast<TPDFDictionary>(file.Object(info->TargetNumber()))->GetValue("Title"));
  doc.DecryptObject(doc.ObjectKey(info->TargetNumber(), 0), title);
  EXPECT_EQ(title->Value(), "Secret title");
}

INSTANTIATE_TEST_SUITE_P(Handlers, QpdfEncrypted,
                         testing::Values(QpdfCase{"40", 1, 2, 40, TPDFAESKind::RC4},
                                         QpdfCase{"128 --use-aes=n", 2, 3, 128, TPDFAESKind::RC4},
                                         QpdfCase{"128 --use-aes=y", 4, 4, 128, TPDFAESKind::AESV2},
                                         QpdfCase{"256 --force-R5", 5, 5, 256, TPDFAESKind::AESV3},
                                         QpdfCase{"256", 5, 6, 256, TPDFAESKind::AESV3}));

struct DictCase {
  const char* what;
  const char* encrypt;  // nullptr: no /Encrypt
  int state, version, keyBits;
  TPDFAESKind kind;
};

TEST(StandardSecurity, ClassifiesEncryptDictionaries) {
  const DictCase cases[] = {
      {"no /Encrypt", nullptr, 0, 0, 0, TPDFAESKind::RC4},
      {"not a dictionary", "null", 2, 0, 0, TPDFAESKind::RC4},
      {"another handler", "<< /Filter /Other /V 2 /R 3 >>", 2, 0, 0, TPDFAESKind::RC4},
      {"V1 R2 ignores /Length", "<< /Filter /Standard /V 1 /R 2 /Length 128 >>", 1, 1, 40, TPDFAESKind::RC4},
      {"V2 R3 /Length 128", "<< /Filter /Standard /V 2 /R 3 /Length 128 >>", 1, 2, 128, TPDFAESKind::RC4},
      {"V2 R3 without /Length", "<< /Filter /Standard /V 2 /R 3 >>", 1, 2, 40, TPDFAESKind::RC4},
      // A length of no bits makes no key: the default stands.
      {"V2 R3 /Length -40", "<< /Filter /Standard /V 2 /R 3 /Length -40 >>", 1, 2, 40, TPDFAESKind::RC4},
      {"V1 R3 /Length 56", "<< /Filter /Standard /V 1 /R 3 /Length 56 >>", 1, 1, 56, TPDFAESKind::RC4},
      {"V2 R4", "<< /Filter /Standard /V 2 /R 4 >>", 2, 0, 0, TPDFAESKind::RC4},
      {"numbers rounded, halves to even", "<< /Filter /Standard /V 2.5 /R 1.6 /Length 128 >>", 1, 2, 128,
       TPDFAESKind::RC4},
      {"AESV2 /Length 16", "<< /Filter /Standard /V 4 /R 4 /StrF /StdCF /StmF /StdCF "
       "/CF << /StdCF << /CFM /AESV2 /Length 16 >> >> >>", 1, 4, 128, TPDFAESKind::AESV2},
      {"AESV2 /Length in bits", "<< /Filter /Standard /V 4 /R 4 /StrF /StdCF /StmF /StdCF "
       "/CF << /StdCF << /CFM /AESV2 /Length 128 >> >> >>", 1, 4, 128, TPDFAESKind::AESV2},
      {"AESV2 without /Length", "<< /Filter /Standard /V 4 /R 4 /StrF /StdCF /StmF /StdCF "
       "/CF << /StdCF << /CFM /AESV2 >> >> >>", 1, 4, 128, TPDFAESKind::AESV2},
      {"AESV2 /Length 0", "<< /Filter /Standard /V 4 /R 4 /StrF /StdCF /StmF /StdCF "
       "/CF << /StdCF << /CFM /AESV2 /Length 0 >> >> >>", 1, 4, 128, TPDFAESKind::AESV2},
      {"crypt filter V2 /Length -5", "<< /Filter /Standard /V 4 /R 4 /StrF /StdCF /StmF /StdCF "
       "/CF << /StdCF << /CFM /V2 /Length -5 >> >> >>", 1, 4, 40, TPDFAESKind::RC4},
      {"crypt filter V2", "<< /Filter /Standard /V 4 /R 4 /StrF /StdCF /StmF /StdCF "
       "/CF << /StdCF << /CFM /V2 /Length 5 >> >> >>", 1, 4, 40, TPDFAESKind::RC4},
      {"Identity strings", "<< /Filter /Standard /V 4 /R 4 /StrF /Identity /StmF /StdCF "
       "/CF << /StdCF << /CFM /AESV2 >> >> >>", 2, 0, 0, TPDFAESKind::RC4},
      {"no /CF", "<< /Filter /Standard /V 4 /R 4 /StrF /StdCF /StmF /StdCF >>", 2, 0, 0, TPDFAESKind::RC4},
      {"AESV3 without /Length", "<< /Filter /Standard /V 5 /R 6 /StrF /StdCF /StmF /StdCF "
       "/CF << /StdCF << /CFM /AESV3 >> >> >>", 1, 5, 256, TPDFAESKind::AESV3},
      {"AESV3 /Length 32", "<< /Filter /Standard /V 5 /R 5 /StrF /StdCF /StmF /StdCF "
       "/CF << /StdCF << /CFM /AESV3 /Length 32 >> >> >>", 1, 5, 256, TPDFAESKind::AESV3},
      {"V5 with AESV2", "<< /Filter /Standard /V 5 /R 6 /StrF /StdCF /StmF /StdCF "
       "/CF << /StdCF << /CFM /AESV2 >> >> >>", 2, 0, 0, TPDFAESKind::RC4},
  };
  for (const DictCase& c : cases) {
    TPDFDocument doc;
    if (c.encrypt != nullptr) doc.Trailer()->SetValue("Encrypt", doc.Structure().ParseObject(c.encrypt));
    EXPECT_EQ(doc.EncryptionState(), c.state) << c.what;
    EXPECT_EQ(doc.Security().Version, c.version) << c.what;
    EXPECT_EQ(doc.Security().KeyLength, c.keyBits) << c.what;
    EXPECT_EQ(doc.Security().AESKind, c.kind) << c.what;
  }
}

TEST(StandardSecurity, PermissionFlagsFromP) {
  struct Case {
    const char* p;
    uint8_t first, second;
    bool below;
  } cases[] = {{"-4", 0x0F, 0x0F, false},          {"4294963392", 0x00, 0x00, false},  // -3904
               {"4", 0x01, 0x00, true},            {"8", 0x04, 0x00, true},
               {"16", 0x02, 0x00, true},           {"32", 0x08, 0x00, true},
               {"3840", 0x00, 0x0F, true},         {"1024", 0x00, 0x04, true},
               {"-1", 0x0F, 0x0F, false},          {"1e30", 0x00, 0x00, true},
               {"4294967300", 0x01, 0x00, true}};  // the low 32 bits: 4
  for (const Case& c : cases) {
    TPDFDocument doc;
    doc.Trailer()->SetValue("Encrypt", doc.Structure().ParseObject(
                                           std::string("<< /Filter /Standard /V 2 /R 3 /P ") + c.p + " >>"));
    doc.ReadEncryptDictionary();
    EXPECT_EQ(doc.Security().PermissionFlags[0], c.first) << c.p;
    EXPECT_EQ(doc.Security().PermissionFlags[1], c.second) << c.p;
    EXPECT_EQ(doc.Security().PBelow0x10000, c.below) << c.p;
  }
}

// /EncryptMetadata belongs to the crypt-filter handlers; other dictionaries leave the default.
TEST(StandardSecurity, EncryptMetadataOnlyWithCryptFilters) {
  const struct {
    const char* encrypt;
    bool encryptMetadata;
  } cases[] = {
      {"<< /Filter /Standard /V 2 /R 3 /EncryptMetadata false >>", true},
      {"<< /Filter /Standard /V 2 /R 4 /EncryptMetadata false >>", true},
      {"<< /Filter /Standard /V 4 /R 4 /EncryptMetadata false /StrF /StdCF /StmF /StdCF "
       "/CF << /StdCF << /CFM /AESV2 >> >> >>", false},
      {"<< /Filter /Standard /V 5 /R 6 /EncryptMetadata false /StrF /StdCF /StmF /StdCF "
       "/CF << /StdCF << /CFM /AESV3 >> >> >>", false},
  };
  for (const auto& c : cases) {
    TPDFDocument doc;
    doc.Trailer()->SetValue("Encrypt", doc.Structure().ParseObject(c.encrypt));
    doc.ReadEncryptDictionary();
    EXPECT_EQ(doc.Security().EncryptMetadata, c.encryptMetadata) << c.encrypt;
  }
}

TEST(StandardSecurity, ObjectKeysAndGuardedDecryption) {
  TPDFDocument doc;
  TPDFStructure& st = doc.Structure();
  doc.Trailer()->SetValue("Encrypt", st.ParseObject("<< /Filter /Standard /V 1 /R 2 >>"));
  ASSERT_EQ(doc.EncryptionState(), 1);
  doc.Security().FileKey = std::string(5, '\x11');
  EXPECT_EQ(doc.ObjectKey(7, 0).size(), 10u);
  EXPECT_NE(doc.ObjectKey(7, 0), doc.ObjectKey(7, 1));
  EXPECT_NE(doc.ObjectKey(7, 0), doc.ObjectKey(0x10007, 0)) << "three bytes of the number";
  EXPECT_EQ(doc.ObjectKey(7, 0), doc.ObjectKey(0x2000007, 0)) << "only three bytes of the number";
  doc.Security().FileKey = std::string(16, '\x22');
  EXPECT_EQ(doc.ObjectKey(7, 0).size(), 16u);

  auto* s = st.NewString("secret", false);
  doc.DecryptObject(doc.ObjectKey(7, 0), s);
  EXPECT_EQ(s->Value(), "secret") << "no password accepted";
  doc.Security().OwnerAccepted = true;
  doc.DecryptObject("", s);
  EXPECT_EQ(s->Value(), "secret") << "an empty key skips the object";
  doc.DecryptObject(doc.ObjectKey(7, 0), s);
  EXPECT_NE(s->Value(), "secret");
  doc.DecryptObject(doc.ObjectKey(7, 0), s);
  EXPECT_EQ(s->Value(), "secret") << "RC4 twice gives the data back";
}

TEST(StandardSecurity, AesDataThatDoesNotDecryptIsEmptiedAndCounted) {
  TPDFDocument doc;
  TPDFStructure& st = doc.Structure();
  doc.Trailer()->SetValue("Encrypt", st.ParseObject("<< /Filter /Standard /V 4 /R 4 /StrF /StdCF /StmF /StdCF "
                                                    "/CF << /StdCF << /CFM /AESV2 >> >> >>"));
  ASSERT_EQ(doc.EncryptionState(), 1);
  doc.Security().FileKey = std::string(16, '\x33');
  doc.Security().UserAccepted = true;
  auto* stream = st.NewStream(std::string(16 + 5, 'x'), false);  // cut ciphertext
  auto* array = st.NewArray();
  array->Add(st.NewString("short", false));
  array->Add(stream);
  doc.DecryptObject(doc.ObjectKey(3, 0), array);
  EXPECT_EQ(PDFCast<TPDFString>(array->GetItem(0))->Value(), "");
  EXPECT_EQ(stream->Data(), "");
  EXPECT_EQ(stream->Dictionary()->GetInteger("Length", -1), 0);
  EXPECT_EQ(doc.Security().DecryptionErrors, 2);
}

}  // namespace
