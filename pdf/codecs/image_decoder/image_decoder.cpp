// The decoder object, the reading of an image dictionary and its colour space, and the
// results other code reads.
#include "pdf/codecs/image_decoder/image_decoder.h"

#include <new>

#include "pdf/codecs/image_decoder/decoder_internal.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/render/colour/color_manager.h"

namespace {

// Nested colour spaces (an Indexed base, a chain of references) end here.
constexpr int kMaxColorSpaceDepth = 8;

std::string TextOf(const TPDFObject* o) {
  std::string s;
  if (o) o->WriteToString(s);
  return s;
}

}  // namespace

TPDFImageDecoder::TPDFImageDecoder() : ownManager_(std::make_unique<TPDFSimpleColorManager>()) {
  InitDaubrixOptions(Settings);
  ColorManager = ownManager_.get();
  OwnsColorManager = true;
  Bitmap = std::make_unique<TBitmap>();
}

TPDFImageDecoder::~TPDFImageDecoder() = default;

void TPDFImageDecoder::SetColorManager(TPDFColorManager* manager) {
  // Without a manager the decoder keeps (or gets back) one of its own.
  if (!manager) {
    if (!ownManager_) ownManager_ = std::make_unique<TPDFSimpleColorManager>();
    ColorManager = ownManager_.get();
    OwnsColorManager = true;
    return;
  }
  ownManager_.reset();
  ColorManager = manager;
  OwnsColorManager = false;
}

void TPDFImageDecoder::Fail() {
  Decoded = false;
  Failed = true;
}

void TPDFImageDecoder::SetImage(TPDFStream* stream) {
  Stream = stream;
  Owner = stream ? stream->Owner() : nullptr;
  if (!stream || !stream->Dictionary()) return Fail();
  // Whatever goes wrong below (memory, a conversion the canvas could not make) ends this image
  // only; the renderer goes on with the next one.
  try {
    ReadImageDictionary();
  } catch (const std::exception&) {
    Fail();
  }
  if (!Decoded || BitmapFailed) Fail();
}

TPDFObject* TPDFImageDecoder::ResolveReference(TPDFObject* object) {
  // A chain of references resolves a few steps at most; a cycle gives nothing.
  for (int i = 0; i < kMaxColorSpaceDepth; ++i) {
    auto* ref = PDFCast<TPDFIndRef>(object);
    if (!ref) return object;
    object = OnResolve ? OnResolve(*ref) : ref->Resolve();
  }
  return PDFCast<TPDFIndRef>(object) ? nullptr : object;
}

bool TPDFImageDecoder::DecodeReferencedStream(TPDFObject* raw, TPDFStream& stream, std::string& out) {
  const bool viaReference = PDFCast<TPDFIndRef>(raw) != nullptr;
  if (viaReference && OnBeforeDecode) OnBeforeDecode(stream, raw);
  const bool ok = stream.Decode(out);
  if (viaReference && OnAfterDecode) OnAfterDecode(stream, raw);
  return ok;
}

void TPDFImageDecoder::ReadImageDictionary() {
  TPDFDictionary& d = *Stream->Dictionary();
  auto value = [&](std::string_view key) { return ResolveReference(d.GetValue(key)); };
  auto integer = [&](std::string_view key) {
    const auto* n = PDFCast<TPDFNumeric>(value(key));
    return n ? n->AsInteger() : 0;
  };

  Width = integer("Width");
  Height = integer("Height");
  TPDFObject* decode = value("Decode");
  Decode = PDFCast<TPDFArray>(decode) ? TextOf(decode) : std::string();
  TPDFObject* parms = value("DecodeParms");
  if (PDFCast<TPDFDictionary>(parms))
    DecodeParms = "[ " + TextOf(parms) + " ]";
  else if (PDFCast<TPDFArray>(parms))
    DecodeParms = TextOf(parms);
  else
    DecodeParms.clear();
  ColorSpace = ResolveColorSpace(d.GetValue("ColorSpace"));
  BitsPerComponent = integer("BitsPerComponent");

  const auto* imageMask = PDFCast<TPDFBoolean>(d.GetValue("ImageMask"));
  if (imageMask && imageMask->Value()) {
    if (BitsPerComponent == 0) BitsPerComponent = 1;
    if (IsMaskDecoder) {
      // A stencil used as another image's mask: its painted samples become opaque.
      ColorSpace = "DeviceGray";
      Decode = imgdec::DecodeStartsInverted(Decode) ? std::string() : std::string("[ 1 0 ]");
    } else {
      MaskKind = kMaskStencil;
      ImageMask = 1;
    }
  }

  TPDFObject* filter = value("Filter");
  Filter = filter ? TextOf(filter) : std::string();
  // The stream's bytes are read where the stream holds them (ApplyFilters).

  if (!IsMaskDecoder && MaskKind == kMaskNone) {
    TPDFObject* smask = d.GetValue("SMask");
    if (PDFCast<TPDFStream>(ResolveReference(smask))) DecodeMaskStream(smask, kMaskSoft);
    if (MaskKind == kMaskNone) {
      TPDFObject* maskRaw = d.GetValue("Mask");
      TPDFObject* mask = ResolveReference(maskRaw);
      if (PDFCast<TPDFStream>(mask)) {
        DecodeMaskStream(maskRaw, kMaskBitmap);
      } else if (const auto* keys = PDFCast<TPDFArray>(mask)) {
        ColorKey.assign(size_t(keys->Count()), 0.0);
        for (int i = 0; i < keys->Count(); ++i)
          if (const auto* n = PDFCast<TPDFNumeric>(ResolveReference(keys->GetItem(i))))
            ColorKey[size_t(i)] = n->AsDouble();
        MaskKind = kMaskColorKey;
      }
    }
  }

  ApplyFilters();
}

bool TPDFImageDecoder::DecodeMaskStream(TPDFObject* raw, uint8_t kind) {
  auto* stream = PDFCast<TPDFStream>(ResolveReference(raw));
  if (!stream) return false;
  TPDFImageDecoder mask;
  // The mask stream needs the same resolver and decryption hooks as the image itself.
  mask.OnResolve = OnResolve;
  mask.OnBeforeDecode = OnBeforeDecode;
  mask.OnAfterDecode = OnAfterDecode;
  mask.Settings = Settings;
  mask.IsMaskDecoder = true;
  const bool viaReference = PDFCast<TPDFIndRef>(raw) != nullptr;
  if (viaReference && OnBeforeDecode) OnBeforeDecode(*stream, raw);
  mask.SetImage(stream);
  if (viaReference && OnAfterDecode) OnAfterDecode(*stream, raw);
  if (mask.Failed || !mask.Bitmap || mask.Bitmap->Empty()) return false;
  // The mask decoder goes away here: its bitmap is taken over, not copied.
  MaskBitmap = std::move(mask.Bitmap);
  MaskDecode = mask.Decode;
  MaskKind = kind;
  return true;
}

std::string TPDFImageDecoder::ResolveColorSpace(TPDFObject* object) { return ResolveColorSpaceAt(object, 0); }

std::string TPDFImageDecoder::ResolveColorSpaceAt(TPDFObject* object, int depth) {
  if (depth > kMaxColorSpaceDepth) return {};
  object = ResolveReference(object);
  if (const auto* name = PDFCast<TPDFName>(object)) return name->Name();
  auto* array = PDFCast<TPDFArray>(object);
  if (!array) return {};
  const auto* family = PDFCast<TPDFName>(ResolveReference(array->GetItem(0)));
  if (!family) return {};
  const std::string& f = family->Name();
  if (f == "DeviceGray" || f == "CalGray") return "DeviceGray";
  if (f == "DeviceRGB" || f == "CalRGB") return "DeviceRGB";
  if (f == "DeviceCMYK") return "DeviceCMYK";
  if (f == "Indexed") {
    IndexedBase = ResolveColorSpaceAt(array->GetItem(1), depth + 1);
    const auto* hival = PDFCast<TPDFNumeric>(ResolveReference(array->GetItem(2)));
    HiVal = hival ? hival->AsInteger() : -1;
    TPDFObject* lookupRaw = array->GetItem(3);
    TPDFObject* lookup = ResolveReference(lookupRaw);
    if (const auto* s = PDFCast<TPDFString>(lookup)) {
      Lookup = s->Value();
    } else if (auto* stream = PDFCast<TPDFStream>(lookup)) {
      DecodeReferencedStream(lookupRaw, *stream, Lookup);
    }
    return "Indexed";
  }
  if (f == "ICCBased") {
    if (array->Count() < 2) return {};
    TPDFObject* profileRaw = array->GetItem(1);
    auto* profile = PDFCast<TPDFStream>(ResolveReference(profileRaw));
    if (!profile) return {};
    DecodeReferencedStream(profileRaw, *profile, ICCProfile);
    if (TPDFDictionary* pd = profile->Dictionary()) {
      if (const auto* alternate = PDFCast<TPDFName>(ResolveReference(pd->GetValue("Alternate"))))
        return alternate->Name();
      const auto* n = PDFCast<TPDFNumeric>(ResolveReference(pd->GetValue("N")));
      switch (n ? n->AsInteger() : 0) {
        case 1:
          return "DeviceGray";
        case 3:
          return "DeviceRGB";
        case 4:
          return "DeviceCMYK";
        default:
          return {};
      }
    }
    return {};
  }
  if (f == "Lab" || f == "Separation" || f == "DeviceN") return CreateColorSpaceObject(f, *array) ? f : std::string();
  return {};
}

int64_t TPDFImageDecoder::GetDataSize() const {
  if (DataStream) return DataStream->Size();
  if (!Data.empty()) return int64_t(Data.size());
  // The samples are gone once unpacked: what the decoder holds is its bitmaps.
  int64_t size = 0;
  for (const TBitmap* b : {Bitmap.get(), MaskBitmap.get()})
    if (b && !b->Empty()) size += b->Dib().Stride() * b->Height();
  return size;
}

void TPDFImageDecoder::GetData(std::string& bytes) {
  bytes.clear();
  DecodeDeferredRows();
  if (DataStream) {
    bytes.assign(DataStream->View());
    return;
  }
  SaveBitmapToString(bytes);
}

void TPDFImageDecoder::GetBitmapBytes(std::string& bytes) { SaveBitmapToString(bytes); }

void TPDFImageDecoder::SaveBitmapToString(std::string& bytes) {
  bytes.clear();
  DecodeDeferredRows();
  if (!Bitmap || Bitmap->Empty()) return;
  TMemoryStream s;
  Bitmap->SaveToStream(s);
  bytes.assign(s.View());
}
