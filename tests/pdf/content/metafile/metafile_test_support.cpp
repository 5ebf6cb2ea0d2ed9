#include "tests/pdf/content/metafile/metafile_test_support.h"

#include <bit>
#include <cmath>
#include <cstdlib>
#include <map>

#include "pdf/content/font/pdf_font.h"
#include "pdf/core/api/talvo_pdf.h"
#include "pdf/core/document/pdf_document.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/strings.h"
#include "tests/pdf/support/pdf_test_writer.h"
#include "tests/support/test_support.h"
#include "pdf/content/image_import/pdf_image.h"
#include "pdf/content/metafile/emf_graphic_state.h"
#include "pdf/content/metafile/pdf_metafile.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/render/patterns/pdf_pattern.h"
#include "tests/pdf/render/support/render_test_pdf.h"

namespace mftest {

Record Rec(uint32_t type, const Bytes& params, int64_t sizeOverride) {
  Bytes r;
  r.U32(type).U32(sizeOverride >= 0 ? uint32_t(sizeOverride) : uint32_t(8 + params.b.size())).Raw(params.b);
  return r.b;
}

Record Header(int w, int h) {
  Bytes p;
  p.Rect(0, 0, w - 1, h - 1)                     // bounds, device pixels
      .Rect(0, 0, w * 2540 / 96, h * 2540 / 96)  // frame, hundredths of a millimetre
      .U32(0x464D4520)                           // " EMF"
      .U32(0x10000)                              // version
      .U32(0)                                    // bytes
      .U32(0)                                    // records
      .U16(16)
      .U16(0)  // handles, reserved
      .U32(0)
      .U32(0)
      .U32(0)        // description, palette
      .Pt(960, 960)  // device pixels
      .Pt(254, 254)  // device millimetres: 96 dpi
      .U32(0)
      .U32(0)
      .U32(0)               // pixel format, OpenGL
      .Pt(254000, 254000);  // micrometres
  return Rec(1, p);
}

Record One(uint32_t type, uint32_t v) { return Rec(type, Bytes().U32(v)); }
Record Two(uint32_t type, int32_t a, int32_t b) { return Rec(type, Bytes().I32(a).I32(b)); }
Record Box(uint32_t type, int l, int t, int r, int b) { return Rec(type, Bytes().Rect(l, t, r, b)); }
Record SolidBrush(uint32_t index, uint32_t colorref) { return Rec(39, Bytes().U32(index).U32(0).U32(colorref).U32(0)); }
Record Pen(uint32_t index, uint32_t style, int32_t width, uint32_t colorref) {
  return Rec(38, Bytes().U32(index).U32(style).I32(width).I32(0).U32(colorref));
}
Record Select(uint32_t index) { return Rec(37, Bytes().U32(index)); }
Record Rectangle(int l, int t, int r, int b) { return Rec(43, Bytes().Rect(l, t, r, b)); }
Record Poly(uint32_t type, const std::vector<std::pair<int, int>>& points) {
  Bytes p;
  p.Rect(0, 0, 0, 0).U32(uint32_t(points.size()));
  for (auto [x, y] : points) p.Pt(x, y);
  return Rec(type, p);
}

Converter::Lists::Lists() = default;
Converter::Lists::~Lists() {
  // The converter's fonts are the calling image's, which hands them to its document.
  for (TPDFFont* font : fonts) delete font;
}

Converter::Converter() : store(std::make_unique<TPDFStructure>()), lists(std::make_unique<Lists>()) {
  store->OnMakeIndirect = [this](TPDFObject* obj, int& num, int& gen) {
    num = nextObject++;
    gen = 0;
    indirect[num] = obj;
  };
  converter =
      std::make_unique<TPDFMetafile>(store.get(), &lists->fonts, &lists->images, &lists->states, &lists->patterns);
}

Converter::~Converter() = default;

std::string Converter::Convert(const std::vector<Record>& records, int w, int h, bool withHeader) {
  converter->Begin(w, h);
  if (withHeader) {
    const Record header = Header(w, h);
    converter->HandleRecord({1, header});
  }
  for (const Record& r : records) {
    const uint32_t type = r.size() >= 4 ? uint32_t(r[0] | r[1] << 8 | r[2] << 16 | uint32_t(r[3]) << 24) : 0;
    converter->HandleRecord({type, r});
  }
  return converter->Finish();
}

namespace {

// A stream of the converter's store as a test-document object: its dictionary without its
// length (with some values replaced), and its bytes.
int CopyStream(rendertest::TestPdf& pdf, TPDFDictionary* dict, const std::string& data,
               const std::map<std::string, std::string>& replace = {}) {
  std::string text = "<<";
  for (int i = 0; i < dict->Count(); ++i) {
    const auto pair = dict->GetPair(i);
    const std::string key = pair.first->Name();
    if (key == "Length") continue;
    text += " /" + key + " ";
    std::string value;
    if (auto it = replace.find(key); it != replace.end())
      value = it->second;
    else
      pair.second->WriteToString(value);
    text += value;
  }
  return pdf.AddStream(text + " >>", data);
}

int RefNumber(TPDFIndRef* ref) {
  std::string text;
  ref->WriteToString(text);
  return std::atoi(text.c_str());
}

}  // namespace

testraster::Raster RenderContent(const std::string& content, int w, int h, std::string* error,
                                 const Converter* resources) {
  rendertest::TestPdf pdf;
  std::string xobjects, patterns, states, fonts;
  if (resources) {
    // Fonts by their names alone: the renderer finds the installed faces (Type 3 fonts, whose
    // glyphs are streams of the store, are left out).
    for (const TPDFFont* font : resources->lists->fonts)
      if (font->Kind() != 6)
        fonts += "/" + font->Name() + " << /Type /Font /Subtype /" + (font->Kind() == 1 ? "Type1" : "TrueType") +
                 " /BaseFont /" + font->BaseFont() + " /Encoding /WinAnsiEncoding >> ";
    // Each resource's object, found by the number the converter's store gave it.
    auto objectOf = [&](TPDFIndRef* ref) -> TPDFObject* {
      if (ref == nullptr) return nullptr;
      const auto it = resources->indirect.find(RefNumber(ref));
      return it == resources->indirect.end() ? nullptr : it->second;
    };
    for (const auto& image : resources->lists->images) {
      auto* stream = PDFCast<TPDFStream>(objectOf(image->Ref));
      if (!stream) continue;
      std::map<std::string, std::string> replace;
      // A soft mask is another stream of the store.
      if (auto* smask = PDFCast<TPDFIndRef>(stream->Dictionary()->GetValue("SMask"))) {
        if (auto* mask = PDFCast<TPDFStream>(objectOf(smask)))
          replace["SMask"] = std::to_string(CopyStream(pdf, mask->Dictionary(), mask->Data())) + " 0 R";
      }
      const int n = CopyStream(pdf, stream->Dictionary(), stream->Data(), replace);
      xobjects += "/" + image->Name + " " + std::to_string(n) + " 0 R ";
    }
    for (const auto& pattern : resources->lists->patterns) {
      auto* stream = PDFCast<TPDFStream>(objectOf(pattern->Ref));
      if (!stream) continue;
      const int n = CopyStream(pdf, stream->Dictionary(), stream->Data());
      patterns += "/" + pattern->Name + " " + std::to_string(n) + " 0 R ";
    }
    for (const auto& state : resources->lists->states) {
      TPDFObject* dict = objectOf(state->Reference);
      if (!dict) continue;
      std::string text;
      dict->WriteToString(text);
      states += "/" + state->Name + " " + std::to_string(pdf.Add(text)) + " 0 R ";
    }
  }
  const double pw = w * 0.75, ph = h * 0.75, s = std::min(pw, ph);
  const std::string box = "[0 0 " + std::to_string(pw) + " " + std::to_string(ph) + "]";
  const std::string page = "q " + std::to_string(s) + " 0 0 " + std::to_string(s) + " 0 0 cm\n" + content + "Q\n";
  const int n = pdf.AddPage(
      page, "<< /XObject << " + xobjects + ">> /Pattern << " + patterns + ">> /ExtGState << " + states + ">> /Font << " +
                fonts + ">> >>",
      box);
  if (const char* path = std::getenv("VELMORA_METAFILE_PDF")) pdf.WriteFile(path);
  return rendertest::RenderOurs(pdf, n, error, 96);
}

testraster::Raster Draw(const std::vector<Record>& records, int w, int h, std::string* content) {
  Converter c;
  const std::string text = c.Convert(records, w, h);
  if (content) *content = text;
  return RenderContent(text, w, h, nullptr, &c);
}

testraster::Raster RenderThroughApi(const std::string& file, int dpi, double offset, std::string* message,
                                    const std::string& pdf, int32_t options, const std::string& provider) {
  TOrvanePDFLibrary0915 api;
  api.GDIPlusSettings.LibraryPath =
      Utf8ToWide(provider.empty() ? testsupport::BinaryDir() + "/libvelmora-gdiplus.so" : provider);
  api.SetCoordinateOrigin(1);
  api.SetUnits(0);
  const int32_t handle = api.LoadImageFile(FileNameToWide(file), options);
  if (handle == 0 || api.SetCurrentImage(handle) != 1) return {};
  const int w = api.CurrentImageWidth(), h = api.CurrentImageHeight();
  if (api.SetPageSize(w, h) != 1 || api.PlaceImage(offset, offset, w, h) != 1 || api.SetCurrentPage(1) != 1) return {};
  if (!pdf.empty()) testpdf::WriteDocument(*api.CurrentDocument(), pdf);
  TMemoryStream bmp;
  if (api.RenderPage(dpi, 1, 0, bmp) != 1) return {};
  if (message) *message = api.RenderMessage();
  return testraster::ReadBmp(bmp.DataString());
}

std::string EmfFile(const std::vector<Record>& records, int w, int h, bool eof) {
  std::string file;
  const Record header = Header(w, h);
  file.append(header.begin(), header.end());
  for (const Record& r : records) file.append(r.begin(), r.end());
  if (eof) {
    const Record end = Rec(14, Bytes().U32(0).U32(16).U32(20));
    file.append(end.begin(), end.end());
  }
  return file;
}

std::string WmfFile(const std::vector<WmfRecord>& records, int16_t w, int16_t h, uint16_t inch, uint16_t objects,
                    bool eof) {
  Bytes body;
  uint32_t largest = 3;
  for (const WmfRecord& r : records) {
    const uint32_t size = uint32_t(3 + r.words.size());
    largest = std::max(largest, size);
    body.U32(size).U16(r.function);
    for (uint16_t word : r.words) body.U16(word);
  }
  if (eof) body.U32(3).U16(0);
  Bytes head;
  head.U32(0x9AC6CDD7).U16(0).I16(0).I16(0).I16(w).I16(h).U16(inch).U32(0);
  uint16_t sum = 0;
  for (size_t i = 0; i < 20; i += 2) sum = uint16_t(sum ^ (head.b[i] | head.b[i + 1] << 8));
  head.U16(sum).U16(1).U16(9).U16(0x300).U32(uint32_t(9 + body.b.size() / 2)).U16(objects).U32(largest).U16(0);
  std::string file(head.b.begin(), head.b.end());
  file.append(body.b.begin(), body.b.end());
  return file;
}

std::string QdfText(const std::string& pdf) {
  const std::string qdf = pdf + ".qdf";
  if (testsupport::Run("qpdf --qdf --object-streams=disable '" + pdf + "' '" + qdf + "' 2>&1") != 0) return "";
  return testsupport::ReadFile(qdf);
}

uint32_t Pixel(const testraster::Raster& r, int x, int y) {
  if (x < 0 || y < 0 || x >= r.Width || y >= r.Height) return 0xFFFFFFFF;
  const uint8_t* p = r.At(x, y);
  return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
}

int CountColor(const testraster::Raster& r, int x0, int y0, int x1, int y1, uint32_t rgb, int tolerance) {
  int n = 0;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const uint32_t p = Pixel(r, x, y);
      if (p == 0xFFFFFFFF) continue;
      bool near = true;
      for (int s = 0; s < 24; s += 8)
        near = near && std::abs(int((p >> s) & 0xFF) - int((rgb >> s) & 0xFF)) <= tolerance;
      n += near;
    }
  }
  return n;
}

}  // namespace mftest
