// Image import: one image file, given as a stream, becomes one XObject in a document's object
// store. The file type is recognised by its first bytes; JPEG data is embedded unchanged,
// PNG image data unchanged where the PDF predictor can carry it, bitmaps as samples.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/content/image_import/image_file_type.h"
#include "pdf/content/image_import/jpeg_header.h"
#include "pdf/render/canvas/gdiplus_settings.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/metafile.h"
#include "platform/rtl/streams.h"

class TPDFStructure;
class TPDFIndRef;
class TPDFDictionary;
class TPDFStream;
class TPDFFont;
class TPNGReader;
class TEMFGraphicState;
class TPDFPattern;
class TPDFTIFF;
class TPDFSampleSource;
struct TPDFTIFFPage;

// What the bitmap writer needs of a TIFF page that a bitmap was decoded from.
struct TPDFImagePageInfo {
  uint8_t Photometric = 2;  // TIFF photometric interpretation
  bool MinIsBlack = false;
};

class TPDFImage {
 public:
  TPDFImage(TPDFStructure* owner, std::string_view name);
  ~TPDFImage();
  TPDFImage(const TPDFImage&) = delete;
  TPDFImage& operator=(const TPDFImage&) = delete;

  // Detects the type and writes the XObject; true when written. Options: for BMP a negative
  // value rasterises frame -Options; for PNG 0..7 choose the handling of alpha, 16-bit
  // samples and the ICC profile; for an icon the side of the entry read.
  bool LoadFromStream(TStream& stream, int32_t options);

  // Writes the bitmap as an image XObject (page: the TIFF page it came from, or nullptr).
  bool WriteBitmap(TBitmap& bitmap, const TPDFImagePageInfo* page, bool gray, bool flip);
  // Writes the JPEG bytes unchanged with DCTDecode.
  void WriteJPEG(TStream& stream, int32_t skipResolution);
  // Writes the PNG image data, alpha and profile of a reader that has read the file; the
  // reader's data is taken over (moved into the streams).
  void WritePNG(TPNGReader& reader, int mode);
  // Writes a Form XObject (its shorter side one unit) and plays the metafile into it.
  bool WriteMetafile(TMetafile& metafile, int32_t options);  // false when the picture could not be converted whole
  // One page (1-based) of a parsed TIFF file: its strips as they are where a PDF filter can
  // read them, else samples the reader makes of the page's rows when they are needed (or, for
  // the source copy, the page decoded into a bitmap). False when the page cannot be written.
  bool AddTIFFPage(TPDFTIFF& reader, int32_t page);
  // Fax, LZW, Deflate and uncompressed strips: one image, or a form of strip images.
  bool AddTIFFStrips(TPDFTIFF& reader, int32_t page);
  // JPEG pages: each strip a JPEG file of its own.
  bool AddTIFFJPEG(const TPDFTIFFPage& page);
  // Sets /Mask to a colour-key range (components 0..1).
  void SetColorKeyMask(double r1, double g1, double b1, double r2, double g2, double b2);
  // Kind 1 sets /Mask, kind 2 /SMask to a reference; true when set.
  bool SetMaskReference(int objNum, int gen, uint8_t maskKind);
  // 1 stencil mask, 2 plain DeviceGray image, 0 other.
  int GetMaskKind() const;

  // Copy of the source bytes (JPEG data, PNG image data, or the bitmap as a BMP file) when
  // KeepSource is set.
  std::string SourceData;
  TPDFStructure* Owner;
  std::string Name;
  TPDFIndRef* Ref = nullptr;
  // Pixels (points for a metafile form).
  int32_t Width = 0;
  int32_t Height = 0;
  TPDFDictionary* Dict = nullptr;
  // 1 JPEG pass-through, 2 bitmap, 3 TIFF page, 4 PNG, 6 metafile form.
  uint8_t Kind = 0;
  // 1: bitmap samples are Flate-compressed; other values: stored.
  int32_t Compression = 0;
  bool MetafileFontFlag = false;
  bool KeepSource = false;
  int32_t ResolutionX = 0;
  int32_t ResolutionY = 0;
  // 0 unknown, 1 no unit (aspect ratio only), 2 inch, 3 centimetre.
  int32_t ResolutionUnit = 0;
  // 0x00BBGGRR, kept for the caller.
  uint32_t TransparentColor = 0xFFFFFF;
  // Fonts handed to the metafile converter (not owned).
  std::vector<TPDFFont*> Fonts;
  // Images made by the metafile converter (owned).
  std::vector<std::unique_ptr<TPDFImage>> Images;
  // Graphics states and patterns made by the metafile converter (owned).
  std::vector<std::unique_ptr<TEMFGraphicState>> GraphicStates;
  std::vector<std::unique_ptr<TPDFPattern>> Patterns;
  // A PNG was written with 16-bit samples (the document then needs version 1.5).
  bool SixteenBit = false;
  // Colour space name of a JPEG XObject.
  std::string ColorSpaceName;
  // "<ZRXNoEmbedFont>" name "</ZRXNoEmbedFont>" per font the metafile converter must not embed.
  std::string NoEmbedFonts;
  bool InlineStrips = false;
  // Settings handed to the canvas when an image is rasterised.
  TGDIPlusSettings GDIPlusSettings{};

 private:
  bool LoadBMP(TStream& stream, int32_t options);
  // Options: the side of the entry wanted (0 or less: the platform's icon size).
  bool LoadIcon(TStream& stream, int32_t options);
  // Draws frame `frame` of the file in the stream into the bitmap through the canvas.
  bool Rasterise(TBitmap& bitmap, TStream& stream, int32_t frame);
  // WriteBitmap with the samples compressed.
  bool WriteRasterised(TBitmap& bitmap);
  // The same for a picture drawn straight into RGB samples (w x h, rows top to bottom), or
  // by a source that makes them when needed.
  bool WriteRasterisedSamples(std::string rgb, int32_t w, int32_t h);
  bool WriteRasterisedSource(std::unique_ptr<TPDFSampleSource> rgb, int32_t w, int32_t h);
  // The image XObject of samples, deflated when the document is written if compressed.
  bool WriteSamples(std::string data, int32_t w, int32_t h, const std::string& colorSpace, int bits,
                    const std::vector<int>& decode, bool compressed);
  // The same for samples a source makes when they are needed.
  bool WriteSampleSource(std::unique_ptr<TPDFSampleSource> source, int32_t w, int32_t h,
                         const std::string& colorSpace, int bits, const std::vector<int>& decode, bool compressed);
  // The keys of an image XObject of samples, then the object made indirect.
  bool FinishSamples(TPDFStream* stream, int32_t w, int32_t h, const std::string& colorSpace, int bits,
                     const std::vector<int>& decode, bool compressed);
  bool LoadPNG(TStream& stream, int32_t options);
  bool LoadJPEG(TStream& stream);
  bool LoadTIFF(TStream& stream, int32_t options);
  bool LoadGIF(TStream& stream);
  bool LoadMetafile(TStream& stream, int32_t options);
  void WriteJPEGData(std::string data, int32_t skipResolution, const TJPEGHeaderInfo& header);
  // Makes obj indirect in the owner and records Dict and Ref.
  bool Finish(TPDFStream* stream);
};
