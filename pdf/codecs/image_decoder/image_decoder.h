// TPDFImageDecoder: turns one PDF image (an image XObject, or an inline image) into something
// a canvas can draw: a bitmap, an encoded data stream (PNG, JPEG or TIFF bytes) and, where the
// image has one, a mask. The renderer creates one decoder per image, hands it the image, and
// then lets it draw itself on a canvas or takes its data. Nothing here raises on bad image
// data: an image that cannot be decoded sets Failed.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "pdf/codecs/jpeg/pdf_jpeg_image.h"
#include "pdf/core/filters/filter_chain.h"
#include "pdf/core/filters/predictors.h"
#include "pdf/render/canvas/gdiplus_settings.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/gdi_types.h"
#include "platform/rtl/streams.h"

class TPDFArray;
class TPDFColorManager;
class TPDFDaubrix;
class TPDFDeviceNColorSpace;
class TPDFDictionary;
class TPDFIndRef;
class TPDFLabColorSpace;
class TPDFObject;
class TPDFSeparationColorSpace;
class TPDFStream;
class TPDFStructure;
namespace imgdec {
struct TColorRows;
}

// The answer to an indirect reference (nullptr when it cannot be resolved).
using TPDFImageResolveEvent = std::function<TPDFObject*(TPDFIndRef& reference)>;
// Called around the decoding of a stream reached through a reference (decryption hooks); the
// reference is the object through which the stream was reached.
using TPDFImageStreamEvent = std::function<void(TPDFStream& stream, TPDFObject* reference)>;

// One inline image as the content parser reads it (BI ... ID ... EI).
struct TPDFInlineImage {
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t BitsPerComponent = 0;
  std::string ColorSpace;
  TPDFObject* ColorSpaceObject = nullptr;  // the resource entry the parser found for the space's name
  std::string Filter;                      // abbreviations expanded
  std::string DecodeParms;                 // always as an array text
  std::string Data;
  int32_t DataStart = 0, DataEnd = 0;  // 1-based positions in the content text
  bool ImageMask = false;
  std::string Decode;
};

// Reads the pairs after "BI", the data after "ID" and moves Position (1-based, just after "BI"
// on entry) past "EI" where the data's end was read from the data (JPEG markers, ASCII85's
// "~>"), and to the "E" of "EI" where it was found by searching. False when the image cannot be
// read.
bool ParseInlineImage(std::string_view Content, int32_t& Position, TPDFInlineImage& Image, TPDFDictionary* Resources,
                      const TPDFImageResolveEvent& Resolver);

// Masks the decoder knows.
enum : uint8_t {
  kMaskNone = 0,
  kMaskStencil = 1,   // the image is a stencil mask (/ImageMask true), painted in the fill colour
  kMaskBitmap = 2,    // MaskBitmap from a /Mask stream or from a colour key
  kMaskSoft = 3,      // MaskBitmap from /SMask
  kMaskColorKey = 4,  // a /Mask array of ranges in ColorKey
};

// What DataStream holds.
enum : uint8_t { kDataNone = 0, kDataJPEG = 1, kDataTIFF = 3, kDataPNG = 4 };

class TPDFImageDecoder {
 public:
  TPDFImageDecoder();
  ~TPDFImageDecoder();
  TPDFImageDecoder(const TPDFImageDecoder&) = delete;
  TPDFImageDecoder& operator=(const TPDFImageDecoder&) = delete;

  // Decodes an image XObject. Sets Failed instead of raising.
  void SetImage(TPDFStream* Stream);
  // Decodes an inline image whose resources belong to Owner. Sets Failed instead of raising.
  void SetInlineImage(const TPDFInlineImage& Image, TPDFStructure* Owner);
  // Frees an owned manager; the new one is used without being owned.
  void SetColorManager(TPDFColorManager* Manager);

  // Draws the decoded image onto the unit square mapped by the matrix (a b c d e f); a stencil
  // mask is painted in FillColor. Nothing happens while nothing was decoded.
  void DrawImage(TPDFDaubrix& Canvas, const std::array<double, 6>& Matrix, COLORREF FillColor);

  // Bytes held for the image (for the renderer's cache accounting).
  int64_t GetDataSize() const;
  // The image holds no picture of its own: each drawing decodes its rows again from the stream
  // (DecodeWhileDrawing), so keeping the decoder saves no work.
  bool RowsWaiting() const { return deferredRows_.has_value(); }
  // The encoded data (from its start), else the bitmap as BMP, else empty.
  void GetData(std::string& Bytes);
  // The bitmap as BMP; empty without one.
  void GetBitmapBytes(std::string& Bytes);

  // ---- Set by the caller before decoding ----
  TPDFImageResolveEvent OnResolve;
  TPDFImageStreamEvent OnBeforeDecode;
  TPDFImageStreamEvent OnAfterDecode;
  // Carried for the owner; the decoder itself calls only the two above.
  TPDFImageStreamEvent OnImageEvent;
  // Keep JPEG data undecoded (DataFormat 1) and hand CCITT data on as TIFF (DataFormat 3).
  bool PassThrough = false;
  // With PassThrough: JPEG data stays undecoded only for DeviceRGB.
  bool PassThroughRGBOnly = false;
  // Keep Bitmap after the PNG data stream is made.
  bool KeepBitmap = false;
  // The image is only drawn (the caller renders a bitmap and never takes the data): unpacked
  // samples stay in Bitmap rather than being handed on as PNG data.
  bool DrawOnly = false;
  // With DrawOnly: an image without a mask whose rows become pixels each on its own (see
  // RowsCanWait) keeps no picture of its own;
  // where it is placed pixel for pixel its rows are decoded a band at a time onto the canvas
  // (Bitmap stays empty), elsewhere it is decoded whole when drawn.
  bool DecodeWhileDrawing = false;
  // The placed size in inches, the EPS-output flag and the fill colour, as the renderer knows
  // them when it creates the decoder.
  double TargetWidth = 0, TargetHeight = 0;
  bool EPSOutput = false;
  COLORREF FillColor = 0;
  // Values of the caller's, not interpreted here (the Type 3 rasterizer keeps where its
  // inline image ended).
  void* Tag = nullptr;
  int32_t TextPosition = 0;

  // ---- Results ----
  // The image could not be decoded into something worth drawing.
  bool Failed = false;
  // A decoding path produced output; DrawImage does nothing while it is false.
  bool Decoded = false;
  TPDFStream* Stream = nullptr;
  TPDFStructure* Owner = nullptr;
  int32_t Width = 0, Height = 0;
  int32_t BitsPerComponent = 0;
  std::string ColorSpace;
  std::string Filter;
  std::string IndexedBase;
  std::string Lookup;
  int32_t HiVal = -1;
  // First the encoded stream bytes, then each filter's output in turn.
  std::string Data;
  std::string DecodeParms;
  std::string Decode;
  // 1 when the image is a stencil mask (/ImageMask true).
  uint8_t ImageMask = 0;
  TGDIPlusSettings Settings;
  std::unique_ptr<TBitmap> Bitmap;
  std::unique_ptr<TBitmap> MaskBitmap;
  std::string MaskDecode;
  std::vector<double> ColorKey;
  uint8_t MaskKind = kMaskNone;
  bool IsMaskDecoder = false;
  uint8_t DataFormat = kDataNone;
  std::unique_ptr<TMemoryStream> DataStream;
  std::string ICCProfile;
  std::array<uint8_t, 3> PaletteEntry0{}, PaletteEntry1{};
  bool BitmapFailed = false;
  bool DrawFailed = false;
  TPDFColorManager* ColorManager = nullptr;
  bool OwnsColorManager = false;

  // The colour-space objects of Lab, Separation and DeviceN images (owned).
  struct TColorSpaceRelease {
    void operator()(TPDFLabColorSpace* space) const;
    void operator()(TPDFSeparationColorSpace* space) const;
    void operator()(TPDFDeviceNColorSpace* space) const;
  };
  std::unique_ptr<TPDFLabColorSpace, TColorSpaceRelease> LabSpace;
  std::unique_ptr<TPDFSeparationColorSpace, TColorSpaceRelease> SeparationSpace;
  std::unique_ptr<TPDFDeviceNColorSpace, TColorSpaceRelease> DeviceNSpace;

  // ---- The decoder's stages (public for the tests; callers use the operations above) ----
  void ReadImageDictionary();
  std::string ResolveColorSpace(TPDFObject* Object);
  void ApplyFilters();
  TPDFObject* ResolveReference(TPDFObject* Object);
  // The decode parameters of the image codec as name=value pairs; the values as PDF text.
  std::vector<std::pair<std::string, std::string>> CodecParams;
  int32_t GetIntParam(std::string_view Key, int32_t Default) const;
  std::string GetParam(std::string_view Key) const;

  void UnpackSamples();
  void ConvertLab();
  void ConvertSeparation();
  void ConvertDeviceN();
  void ApplyICCProfile();
  void ExpandIndexedBitmap();
  // The decoder's settings for canvases bound to its own bitmaps.
  TGDIPlusSettings GetCanvasSettings() const;

  void DecodeDCT();
  void DecodeCCITT();
  // Fax data that DecodeCCITT hands on as a one-strip TIFF file: passed through (DataFormat
  // kDataTIFF), else converted by the canvas into PNG data.
  void DecodeCCITTThroughTIFF(int32_t K, bool ByteAlign);
  void DecodeJBIG2(TPDFObject* Globals);
  // The colour of entry j of an Indexed space over DeviceGray, DeviceRGB or DeviceCMYK
  // (black when the lookup is short or the base is another space).
  COLORREF IndexedEntryColor(int j);
  void DecodeJPX();
  // Works on a PNG with a two-entry palette held in the stream: "Swap" exchanges the entries,
  // "SetTrans" saves them, puts Color into the non-black one and makes the other
  // transparent, "Reset" writes the saved entries back.
  void PatchPNGPalette(TMemoryStream& Stream, std::string_view Command, COLORREF Color);

  void SaveBitmapToString(std::string& Bytes);
  // The colour-key range (0x00RRGGBB) of a /Mask array drawn by the canvas; false (both 0)
  // when the key does not fit the colour space.
  bool ColorKeyRange(uint32_t& Low, uint32_t& High);
  // The image dictionary's Decode numbers, as the paths keep them before rewriting Decode.
  void SetSourceDecode(std::vector<double> Numbers) { sourceDecode_ = std::move(Numbers); }

 private:
  // Marks the image as not decoded.
  void Fail();
  // ResolveColorSpace with a bound on nested spaces (Indexed over Indexed, cycles).
  std::string ResolveColorSpaceAt(TPDFObject* Object, int Depth);
  // The decoded data of a stream reached through Raw (a reference or the stream itself),
  // with the decode hooks around it when it was a reference.
  bool DecodeReferencedStream(TPDFObject* Raw, TPDFStream& Stream, std::string& Out);
  // Decodes the /SMask or /Mask stream reached through Raw into MaskBitmap.
  bool DecodeMaskStream(TPDFObject* Raw, uint8_t Kind);
  // Creates the Lab, Separation or DeviceN object of a colour-space array; false when it
  // cannot be had.
  bool CreateColorSpaceObject(const std::string& Family, TPDFArray& Array);
  int DeviceNComponents() const;
  // The colour of one DeviceN pixel (tints 0..1) and of one Separation tint.
  COLORREF DeviceNColor(const std::vector<double>& Tints);
  COLORREF SeparationColor(double Tint);
  // Sample unpacking by kind.
  void UnpackStencil(const std::vector<double>& DecodeNumbers);
  void UnpackOneBitGrey(const std::vector<double>& DecodeNumbers);
  void UnpackColor(const std::vector<double>& DecodeNumbers, int Components);
  // Prepares the conversion of raw sample rows of this image's colour space into 24-bit
  // pixels; false for a space that cannot be shown.
  bool PrepareColorRows(const std::vector<double>& DecodeNumbers, int Components, imgdec::TColorRows& Rows);
  // One row of raw samples (Width pixels, or the first Count of them) into blue-green-red pixels.
  void ConvertColorRow(imgdec::TColorRows& Rows, const uint8_t* Samples, uint8_t* Pixels, int64_t Count = -1);
  // Hands the bitmap on as PNG data in DataStream (stored deflate blocks).
  void HandOverAsPNG();
  // Builds DataStream for DrawImage when no path made one.
  void MakeDrawData();
  // The bitmap redrawn by a canvas of the decoder's settings at another size (24 bits).
  void RedrawAtSize(TBitmap& Bitmap, int32_t Width, int32_t Height);

  // ---- Images only drawn: rows decoded a band at a time onto the page ----
  // How the samples are read when the image is drawn: the stream's bytes as stored, or
  // inflated with a predictor; the stream's samples may still wait for their deflate.
  struct TDeferredRows {
    bool Inflate = false;
    // The inflated bytes are run-length data (Flate, then RunLengthDecode).
    bool RunLength = false;
    FlatePredictorParams Predictor;
    bool PendingSamples = false;
    // The bytes are one LZW stage with these parameters: decoded a piece at a time with the
    // predictor above when LZWPiecewise, else whole (under the decode's ceiling) each time the
    // rows are drawn.
    bool LZW = false;
    bool LZWPiecewise = false;
    StreamFilterParams LZWParams;
    int64_t Ceiling = 0;
    // The bytes are a JPEG picture of the image's size, decoded a band at a time: a colour one,
    // a CMYK one through the colour manager, or a grey or colour one whose rows go through the
    // profile its data carry.
    bool JPEG = false;
    bool JPEGProfile = false;
    TPDFJPEGImage::TPictureKind JPEGKind = TPDFJPEGImage::TPictureKind::Other;
    // The rows come from the stream's sample source while it has one (else from the samples
    // it made: stored, waiting for their deflate, or deflated).
    bool Source = false;
    // The rows are fax rows (faxData_), decoded again as they are drawn, one bit a pixel in two
    // colours.
    bool Fax = false;
  };
  // The conditions of RowsCanWait that do not depend on the colour space: drawn only, without
  // a mask or profile, decoded from a stream without hooks.
  bool RowsCanWaitAtAll() const;
  // DrawRows for fax rows.
  bool DrawFaxRows(TPDFDaubrix& Canvas, double X1, double Y1, double X2);
  // True for an image whose decode can wait for its drawing (set by ApplyFilters when the
  // filters allow it): drawn only, without a mask or profile, in a space whose rows become
  // pixels each on its own (grey above one bit, RGB, CMYK, Indexed over another base than Lab).
  bool RowsCanWait() const;
  // 8-bit DeviceRGB or DeviceGray samples under the identity Decode (what libjpeg's rows are
  // drawn as).
  bool PlainEightBit() const;
  // Bytes of one row of the image's samples.
  int64_t SampleRowBytes() const;
  // Defers the rows of samples still waiting for their deflate, of stored samples, of one
  // inflate of run-length data, of one inflate with the parameters p (whose rows must fit under the decode's ceiling) or of one
  // LZW stage with them.
  bool DeferRowsFor(bool PendingSamples, bool Stored, bool Inflated, bool LZW, bool JPEG, bool RunLength,
                    const StreamFilterParams& P, int64_t Ceiling);
  // Records the deferred rows when they give samples at all; false when they do not (the
  // whole decode then fails as it would).
  bool DeferRows(const TDeferredRows& Rows);
  // The stream's bytes and how to read them for the deferred rows.
  TDeferredRows DeferredSource(std::string_view& Bytes) const;
  // Draws the deferred rows band by band where the placement is pixel for pixel; false when
  // nothing was drawn and the image must be decoded whole.
  bool DrawRows(TPDFDaubrix& Canvas, double X1, double Y1, double X2, double Y2, double X3, double Y3);
  // DrawRows for a JPEG picture: libjpeg's rows go onto the canvas a band at a time.
  bool DrawJPEGRows(TPDFDaubrix& Canvas, std::string_view Bytes, double X1, double Y1, double X2,
                    const TDeferredRows& Rows);
  // Decodes a grey, colour or CMYK JPEG picture (Kind) of the image's size a band at a time
  // into 24-bit bands (see TPDFJPEGImage::DecodeBands; grey rows as blue = green = red), each
  // band turned into sRGB through the profile the data carry when Profile is set, CMYK samples
  // through the image's Decode array and the colour manager as every other CMYK image's. The
  // rows drawn.
  int32_t DecodeJPEGBands(std::string_view Bytes, TPDFJPEGImage::TPictureKind Kind, bool Profile,
                          const std::function<bool(TBitmap& Band, int32_t Top, int32_t Rows)>& Draw);
  // DecodeDCT for a grey, colour or CMYK picture (CMYK in a DeviceCMYK image): the bitmap of
  // the image's size as the canvas would show the picture (grey in all its levels; in sRGB
  // through the profile the data carry when Profile is set); nullptr for a picture the bands do
  // not decode (another size or kind).
  std::unique_ptr<TBitmap> DecodeJPEGPicture(bool Profile);
  // The whole decode of deferred rows into Bitmap.
  void DecodeDeferredRows();

  // The samples of UnpackColor: borrowed_ when it holds them all, else Data made up to size.
  std::string_view SamplesOfRows(int64_t Size);
  // Moves borrowed samples into Data, for the paths that work on Data.
  void TakeBorrowedSamples();

  std::unique_ptr<TPDFColorManager> ownManager_;
  // Samples read where the stream holds them (still waiting for their deflate), instead of a
  // copy in Data; valid while the decoder unpacks.
  std::string_view borrowed_;
  std::optional<TDeferredRows> deferredRows_;
  // Set while deferred rows are decoded whole: ApplyFilters then does not defer again.
  bool decodeWhole_ = false;
  // The Decode text of deferred rows as the image dictionary gave it (Decode itself shows what
  // the whole decode leaves).
  std::string deferredDecode_;
  // Fax data kept for drawing, with their group (the K parameter) and alignment: rows of Width
  // pixels, a set bit taking the second colour.
  std::string faxData_;
  int32_t faxK_ = 0;
  bool faxByteAlign_ = false;
  std::array<COLORREF, 2> faxColours_{};
  // The image dictionary's Decode numbers, before a path rewrote the Decode text.
  std::vector<double> sourceDecode_;
};
