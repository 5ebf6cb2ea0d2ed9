// TPDFRenderer turns one page of a document into one output: a 24-bit bitmap (the road every
// other output starts from), a GDI+ recorded EMF, a caller's device context, EPS text, an HTML
// page whose script draws on a canvas element, or no picture at all (image collection). The page render creates one renderer per render, sets its inputs,
// calls RenderPage, reads the bitmap or the other output and the error text, and frees it.
//
// The renderer interprets content (pages, forms, appearances, pattern cells, glyph
// procedures) through one operator table; nested content re-enters RunContentStream under one
// shared nesting limit.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "pdf/core/document/optional_content.h"
#include "pdf/core/matrix.h"
#include "pdf/fonts/font_collection.h"
#include "pdf/render/canvas/gdiplus_settings.h"
#include "pdf/render/canvas/printer_canvas.h"
#include "pdf/render/functions/pdf_resolve.h"
#include "pdf/render/interpreter/content_run.h"
#include "pdf/render/interpreter/graphics_state.h"
#include "pdf/render/xobjects/image_cache.h"
#include "platform/gdi/gdi_types.h"

class TBitmap;
class TMetafile;
class TMetafileCanvas;
class TStream;
class TPDFDaubrix;
class TPDFEPSExport;
class TPDFArray;
class TPDFDictionary;
class TPDFIndRef;
class TPDFObject;
class TPDFStream;
class TPDFStructure;
class TPDFSimpleColorManager;
class TPDFSeparationColorSpace;
class TPDFLabColorSpace;
class TPDFDeviceNColorSpace;
class TPDFIndexedColorSpace;
class TZRXPattern;
class TPDFImageDecoder;
class TPDFType3Rasterizer;
class TPDFTextFunnel;
struct TTextRun;
struct TShownGlyph;

// Output modes.
enum : uint8_t {
  kRenderBitmap = 0,
  kRenderWMF = 1,
  kRenderEMF = 2,
  kRenderEPS = 3,
  kRenderPrinter = 4,
  kRenderTextExtraction = 5,
  kRenderImageCollection = 6,
  kRenderGDIPlusEMF = 7,
  kRenderDeviceContext = 8,
  kRenderHTML5 = 9,
  kRenderCairoDC = 10,
  kRenderCairoBitmap = 11,
};

// Handles of the renderer's object registry: this base plus an index.
inline constexpr uint32_t kRendererHandleBase = 0x58000000u;
// Depth of nested content (forms, pattern cells, glyph procedures, annotation appearances),
// one limit for all of them.
inline constexpr int32_t kRenderNestingLimit = 32;
// What one render may interpret in all (nested runs included) before it gives up.
inline constexpr int64_t kRenderContentBudget = int64_t(64) << 20;  // bytes of content text
inline constexpr int32_t kRenderRunBudget = 20000;                   // content runs
// Device pixels painted (the bounding boxes of filled or stroked paths and of images): at least
// this many, or the raster fifty times over.
inline constexpr double kRenderPaintBudget = 5e8;
inline constexpr double kRenderPaintBudgetPages = 50;
// Dashes of a stroke count against that budget too, each as this many pixels, up to the dashes
// a back end cuts one stroke into (finer dashing over a longer path it draws solid).
inline constexpr double kRenderDashCost = 8;
inline constexpr double kRenderDashesPerStroke = 1 << 20;

// Error texts of the renderer (the image text is the canvas's, shared with the decoder).
inline constexpr const char* kRenderExceptionText = "Rendering exception: ";
inline constexpr const char* kTokenPositionText = "Token position ";
inline constexpr const char* kNestingErrorText = "Content nested too deeply";
inline constexpr const char* kBudgetErrorText = "Content too complex to render";
inline constexpr const char* kRasterTooLargeText = "Page too large to render";
inline constexpr const char* kModeUnavailableText = "Render output not available: mode ";
inline constexpr const char* kStreamWriteErrorText = "Stream write error";
// sh with a name the resources hold no shading or pattern for; the name follows.
inline constexpr const char* kShadingMissingText = "Shading not found: ";
// A content stream whose filter chain names a filter content cannot be decoded with (an image
// codec, a name no reader knows); the name follows. The stream draws nothing.
inline constexpr const char* kContentFilterText = "Content filter not supported: /";

// Called with a stream and the reference that named it, before and after it is decoded.
using TPDFRenderStreamEvent = TPDFStreamReadEvent;

// One image of an image-collection render (mode 6).
struct TPDFImageRecord {
  uint8_t Kind = 2;  // 1 JPEG data as stored, 3 fax data wrapped as TIFF, 2 other data
  int32_t Width = 0, Height = 0;
  int32_t BitsPerPixel = 0;
  int32_t ColorCode = 2;  // 1 grey, 2 RGB, 3 CMYK
  std::string Data;
  // Device corners of image corners (0,1), (1,1), (0,0), (1,0).
  std::array<TPDFPoint, 4> Corners{};
  TPDFObject* Reference = nullptr;
};

// What a render and the renderers it starts for pattern cells may still spend.
struct TPDFRenderBudget {
  int64_t ContentBytes = kRenderContentBudget;
  int32_t Runs = kRenderRunBudget;
  double PaintedPixels = kRenderPaintBudget;
};

class TPDFRenderer {
 public:
  // The font collection is the caller's.
  explicit TPDFRenderer(TPDFFontCollection* fonts);
  virtual ~TPDFRenderer();
  TPDFRenderer(const TPDFRenderer&) = delete;
  TPDFRenderer& operator=(const TPDFRenderer&) = delete;

  // --- Inputs, set before RenderPage.
  double Resolution = 72;
  TPDFDictionary* Page = nullptr;
  uint8_t Mode = kRenderBitmap;
  TGDIPlusSettings Options;  // initialised by InitDaubrixOptions, replaced whole by the caller
  int32_t PageBoxIndex = 2;  // 1 MediaBox, 2 CropBox, 3 BleedBox, 4 TrimBox, 5 ArtBox
  TPDFOptionalContentStates OptionalContentStates;
  // Resolves references; when empty, a reference resolves through its own store.
  TPDFResolveMethod Resolver;
  TPDFRenderStreamEvent OnBeforeStream, OnAfterStream;
  // Image events: the first before an image XObject is decoded, the second after it; all
  // three are handed to each image decoder.
  TPDFRenderStreamEvent OnBeforeImage, OnAfterImage, OnImageEvent;
  // Printer fitting (mode 4): 0 whole physical page, 1 fit, 2 shrink only.
  uint8_t PrinterFitMode = 0;
  uint8_t PrinterRotateAndCentre = 0;
  // The printer that mode 4 draws on; the caller begins and ends the document.
  TPDFPrinterTarget Printer;

  void SetMetafileStream(TStream* stream) { metafileStream_ = stream; }
  void SetHTML5Stream(TStream* stream) { html5Stream_ = stream; }
  void SetCairoTarget(const WideString& path, HDC dc, uint8_t flag, int32_t first, int32_t second);
  // Mode 8: the device context, whether to clear the rectangle first, and its origin.
  void SetTargetDC(HDC dc, bool clearFirst, int32_t x, int32_t y);

  // --- The render.
  void RenderPage();

  // --- Outputs.
  TBitmap& Bitmap() { return *bitmap_; }
  TMetafile& Metafile() { return *metafile_; }
  // The lines of an EPS render, saved by the caller.
  TPDFEPSExport& EPS() { return *eps_; }
  int32_t RasterWidth = 0, RasterHeight = 0;
  // Empty when the last render succeeded.
  std::string ErrorText;
  // The words of a text-extraction render (mode 5).
  TPDFTextFunnel& TextFunnel() { return *funnel_; }
  // Images found by an image-collection render.
  std::vector<TPDFImageRecord> ImageRecords;

  // --- Shared by the renderer's parts and by nested renders.
  TPDFMatrix CurrentMatrix = kIdentityMatrix;  // user space to output coordinates
  TPDFMatrix DeviceMatrix = kIdentityMatrix;   // the page's base matrix
  TPDFStructure* Store = nullptr;              // the store of the content being interpreted
  TPDFDictionary* DefaultResources = nullptr;  // what nested content without resources uses
  TPDFGraphicsState SavedState;                // the state nested content starts from ...
  uint8_t UseSavedState = 0;                   // ... when this is set
  uint8_t InsideAnnotation = 0;
  uint8_t KnockOut = 0;  // the knockout flag of the current transparency group
  // Runs of nested content in progress; a renderer made for a pattern cell starts at its
  // parent's depth, so the one limit holds across renderers.
  int32_t NestingDepth = 0;
  // The budget of the whole render; a renderer made for a pattern cell shares its parent's.
  TPDFRenderBudget* Budget = &ownBudget_;
  TPDFFontCollection* Fonts() const { return fonts_; }
  TPDFSimpleColorManager& ColorManager() { return *colorManager_; }
  TPDFImageCache& ImageCache() { return imageCache_; }

  // Interprets one content stream (a page or Type 3 font dictionary, or a content stream) on
  // the canvas. reference is the stream's reference (or nullptr), directText content given
  // directly. Failures go to ErrorText; nothing is raised. True when the run ended with a path
  // it had not painted (a Type 3 glyph's, for the rendering mode to paint).
  bool RunContentStream(TPDFDaubrix* canvas, TPDFObject* content, TPDFObject* reference,
                        std::string_view directText = {});

  // Key in dict, else in the dictionaries up its "Parent" chain (references resolved; a
  // chain that comes back to a dictionary already seen ends there).
  TPDFObject* GetInheritedAttribute(TPDFDictionary* dict, std::string_view key);
  // The page's box by name with the inheritance and fall-backs of page boxes; false (outputs
  // unchanged) when the value is not an array of at least four numbers.
  bool GetPageBox(std::string_view name, double& x1, double& y1, double& x2, double& y2);
  TPDFObject* ResolveReference(TPDFObject* obj) const { return ResolvePDFObject(Resolver, obj); }
  // The handle of obj in the object registry (appended when new); 0 for nullptr.
  uint32_t RegisterObject(void* obj);
  // The registered object of a handle, or nullptr.
  void* ObjectFromHandle(uint32_t handle) const;
  // p under the current matrix; a coordinate that overflows comes back as 0.
  TPDFPoint TransformPoint(const TPDFPoint& p) const;
  TPDFPoint TransformPoint(double x, double y) const { return TransformPoint(TPDFPoint{x, y}); }

  // Visibility of an optional-content membership dictionary.
  bool IsOptionalContentVisible(TPDFDictionary* membership);
  // The fill colour of text being extracted, when the funnel asks for colours (mode 5 with its
  // colour flag): for a CMYK fill (or a Separation over CMYK) the four inks as two hexadecimal
  // digits each and the inks as components, else "#" with red, green and blue as two digits
  // each and those bytes over 255. Empty text and no components otherwise.
  void TextColorText(const TPDFGraphicsState& state, std::string& text, std::vector<double>& components) const;

  // Objects created while rendering, owned here and freed with the renderer.
  std::vector<std::unique_ptr<TPDFSeparationColorSpace>> SeparationSpaces;
  std::vector<std::unique_ptr<TPDFLabColorSpace>> LabSpaces;
  std::vector<std::unique_ptr<TPDFDeviceNColorSpace>> DeviceNSpaces;
  std::vector<std::unique_ptr<TPDFIndexedColorSpace>> IndexedSpaces;
  std::vector<std::unique_ptr<TZRXPattern>> Patterns;

  using TOperatorHandler = void (TPDFRenderer::*)(TPDFContentRun&);
  // The operator table: the interpreter's dispatch from operator text to handler.
  static const std::unordered_map<std::string_view, TOperatorHandler>& OperatorTable();

 private:
  // Page set-up.
  void RenderToOutput(double w, double h, double x1, double y1, int32_t rotation);
  void RenderToOutputStream(double w, double h, double x1, double y1, int32_t rotation);
  // Modes 1 and 2: the metafile cleared and sized to the raster, and a canvas recording into
  // it with a white background (null, with the error text, when none can be made).
  std::unique_ptr<TMetafileCanvas> BeginMetafile();
  bool SizeRaster(int64_t width, int64_t height);
  TPDFPoint FarCorner;  // the clipped box's upper-right corner
  void PrepareCanvas(TPDFDaubrix& canvas);
  // Mode 4: the raster is the printer's physical page, the target its canvas; false (with the
  // error text) without a printer.
  bool PreparePrinter(TPDFDaubrix& canvas);
  // Mode 4's device matrix: the page placed on the paper by the fit mode, turned a quarter when
  // asked to match the paper; the rotation and the box's sides change with that turn.
  void PrinterDeviceMatrix(double& w, double& h, int32_t& rotation);

  // Interpreter.
  void RunContent(TPDFContentRun& run, TPDFObject* reference, std::string_view directText);
  void RunLoop(TPDFContentRun& run);
  void UnwindSaves(TPDFContentRun& run);
  std::string_view NextToken(TPDFContentRun& run);
  std::string GetContentText(TPDFObject* content, TPDFObject* reference, std::string_view directText);
  std::string DecodeContentStream(TPDFStream* stream, TPDFIndRef* reference);
  TPDFDictionary* ContentResources(TPDFObject* content, std::string_view directText);
  void SaveState(TPDFContentRun& run);
  void RestoreState(TPDFContentRun& run, bool reselectFont);
  void SelectFont(TPDFContentRun& run);
  void ChargeBudget(int64_t bytes);
  // Charges the area of a box of device points (clipped to the raster when there is one).
  void ChargePaint(double minX, double minY, double maxX, double maxY);
  void ChargeDashes(const TPDFContentRun& run);

  // Painting and the hand-over of the state to the canvas.
  void ApplyFillState(TPDFContentRun& run, uint8_t rule);
  void ApplyStrokeState(TPDFContentRun& run);
  void Paint(TPDFContentRun& run, bool fill, bool stroke, uint8_t rule, bool close);
  void PaintEPS(TPDFContentRun& run, bool fill, bool stroke, uint8_t rule, bool close);
  // A point of a path as its target takes it: through the current matrix, or as it stands
  // for EPS output.
  TPDFPoint PathPoint(const TPDFContentRun& run, double x, double y) const;

  // Colour.
  // The space an operand names; for a pattern space with a space under it, that one's name goes
  // to patternBase (emptied otherwise).
  std::string SelectColorSpace(TPDFContentRun& run, std::string_view operand, std::string* patternBase = nullptr);
  std::string SpaceOfValue(TPDFContentRun& run, TPDFObject* value, std::string_view operand,
                           std::string* patternBase);
  // A pattern the colour operator finds is placed on patternBase when given (sh: the current
  // user space), else on the default space of the content.
  void SetFillColor(TPDFContentRun& run, const TPDFMatrix* patternBase = nullptr);
  void SetStrokeColor(TPDFContentRun& run);
  void SetColor(TPDFContentRun& run, bool fill, const TPDFMatrix* patternBase = nullptr);
  void SetColorIn(TPDFContentRun& run, bool fill, const std::string& space, const TPDFMatrix* patternBase);
  // A Separation of the colorant None: what is painted in it leaves no mark.
  bool PaintsNothing(std::string_view space);
  void ApplyExtGState(TPDFContentRun& run, std::string_view name);
  TZRXPattern* PatternForName(TPDFContentRun& run, std::string_view name);
  // A pattern or shading of the content's resources placed by base (its space to the output).
  TZRXPattern* PatternPlaced(TPDFContentRun& run, std::string_view name, const TPDFMatrix& base);
  // Renders one tiling cell into the pattern's cell pixels, for the output scale of base.
  bool RenderTilingPattern(TPDFStream* stream, TZRXPattern& pattern, const TPDFMatrix& base);
  // Renders the cell (x0, y0, width, height of pattern space) into this renderer's bitmap of
  // pixelWidth x pixelHeight, over a backdrop of the grey level given.
  void RenderPatternCell(TPDFStream* stream, int32_t pixelWidth, int32_t pixelHeight, double x0, double y0,
                         double width, double height, uint8_t backdrop = 255);
  template <class T>
  T* SpaceFromName(const std::vector<std::unique_ptr<T>>& list, std::string_view name, std::string_view prefix);
  // The name of the space list keeps for array, made (from made...) the first time.
  template <class T, class... Made>
  std::string KeptSpace(std::vector<std::unique_ptr<T>>& list, std::string_view prefix, TPDFArray* array,
                        std::string_view operand, Made... made);

  // XObjects, inline images, text and marked content.
  void DoXObject(TPDFContentRun& run, std::string_view name);
  void RunForm(TPDFContentRun& run, TPDFStream* form, TPDFObject* reference);
  // A form's transparency group: its "Group" when that is a dictionary with /S /Transparency.
  struct TTransparencyGroup {
    bool Present = false;
    std::string ColorSpace;  // "CS" when a name, "DeviceRGB" otherwise
    bool Isolated = false, Knockout = false;
  };
  TTransparencyGroup ReadTransparencyGroup(TPDFDictionary* form);
  // Runs the form's content on the cairo back end inside the group's surfaces.
  void RunGroupContent(TPDFContentRun& run, TPDFStream* form, TPDFObject* reference, const TTransparencyGroup& group);
  void DrawImageXObject(TPDFContentRun& run, TPDFStream* image, TPDFObject* reference);
  void PrepareDecoder(TPDFImageDecoder& decoder, const TPDFContentRun& run);
  void DrawDecodedImage(TPDFContentRun& run, TPDFImageDecoder& decoder);
  // Writes a decoded image to the EPS output under the given identity.
  void WriteEPSImage(TPDFContentRun& run, TPDFImageDecoder& decoder, const std::string& id, bool reusable);
  // EPS pictures: a picture of width x height pixels painted by paint (on GDI+ when asked,
  // else GDI) into the unit square of the EPS output's current matrix; false when it could not
  // be painted. Sizes are reduced to what one picture may have.
  using TEPSPainter = std::function<bool(TPDFDaubrix&)>;
  bool WriteEPSPicture(TPDFContentRun& run, int32_t width, int32_t height, bool gdiplus, const TEPSPainter& paint,
                       const std::string& id, bool reusable, bool imageMask);
  static void FitEPSPicture(int64_t& width, int64_t& height, bool html5 = false);
  // Paints a picture twice (onto white and onto black) and splits the two into straight
  // colours and coverage; masked tells whether any pixel is not fully covered.
  bool PaintPicture(int32_t width, int32_t height, bool gdiplus, const TEPSPainter& paint, TBitmap& colours,
                    TBitmap& coverage, bool& masked);
  static void PictureSize(TPDFImageDecoder& decoder, int64_t& w, int64_t& h, bool html5 = false);
  static TEPSPainter DecoderPainter(TPDFImageDecoder& decoder, int64_t w, int64_t h, COLORREF fill);
  // Images of the HTML5 page: their pixels in the script, drawn onto the placed corners.
  void DrawHTML5Image(TPDFContentRun& run, TPDFImageDecoder& decoder);
  // Pattern and shading fills of EPS and HTML5 output, as pictures cut to the path (or to the
  // clip alone): of the page box for EPS, of the device box reach (left, top, right, bottom) can
  // paint for HTML5.
  void SetEPSBox(double x1, double y1, double x2, double y2);
  static bool PaintsAsPicture(const TZRXPattern* pattern);
  TEPSPainter PatternPainter(TPDFContentRun& run, TZRXPattern& pattern, const TPDFMatrix& toPicture);
  void PaintEPSPattern(TPDFContentRun& run, TZRXPattern& pattern, bool clipToPath, bool evenOdd);
  void PaintHTML5Pattern(TPDFContentRun& run, TZRXPattern& pattern, bool clipToPath,
                         const std::array<double, 4>& reach);
  // The canvas's paint of the pending path, the HTML5 page's pattern fills as pictures.
  void FinishPaint(TPDFContentRun& run, bool fill, bool stroke, const std::array<double, 4>& reach);
  void SkipInlineImage(TPDFContentRun& run);
  void ShowText(TPDFContentRun& run);
  void PaintEPSText(TPDFContentRun& run, bool fill, bool stroke, bool clip);
  void ExtractText(TPDFContentRun& run);
  // Shared by both: the run's set-up, the walk over its strings, and the text matrix's advance.
  bool BeginText(TPDFContentRun& run, TTextRun& t);
  void WalkText(TPDFContentRun& run, TTextRun& t, std::span<const std::string_view> items,
                const std::function<void(const TShownGlyph&)>& onGlyph, const std::function<void()>& onNumber);
  void EndText(TPDFContentRun& run, const TTextRun& t, bool alongLineOnly);
  static size_t ShownItemCount(const TPDFContentRun& run);
  // Runs a Type 3 glyph's procedure; true when it left a path unpainted on the canvas.
  bool RunType3Glyph(TPDFContentRun& run, TPDFType3Rasterizer& font, const std::string& name, double x, double y);
  void BeginOptionalContent(TPDFContentRun& run, std::string_view tag, std::string_view property);
  // Whether a marked-content section of that tag and property shows, taken on its own.
  bool SectionVisible(TPDFContentRun& run, std::string_view tag, std::string_view property);

  // Annotations of the page being run: highlights before its content, the others after.
  void DrawAnnotations(TPDFContentRun& run, bool before);
  void DrawAnnotation(TPDFContentRun& run, TPDFDictionary* annot);
  TPDFObject* AppearanceReference(TPDFDictionary* annot);
  void ClipToBox(TPDFContentRun& run, double left, double bottom, double right, double top);
  void DrawWithoutAppearance(TPDFContentRun& run, TPDFDictionary* annot);
  void DrawLinkBorder(TPDFContentRun& run, TPDFDictionary* annot, const double* rect);
  bool LinkBorderColour(TPDFContentRun& run, TPDFDictionary* annot);
  void DrawStamp(TPDFContentRun& run, TPDFDictionary* annot, const double* rect);

  // Operator handlers.
  void OpMoveTo(TPDFContentRun& run);
  void OpLineTo(TPDFContentRun& run);
  void OpCurveTo(TPDFContentRun& run);
  void OpCurveToV(TPDFContentRun& run);
  void OpCurveToY(TPDFContentRun& run);
  void OpRectangle(TPDFContentRun& run);
  void OpClosePath(TPDFContentRun& run);
  void OpEndPath(TPDFContentRun& run);
  void OpFill(TPDFContentRun& run);
  void OpFillEvenOdd(TPDFContentRun& run);
  void OpStroke(TPDFContentRun& run);
  void OpCloseStroke(TPDFContentRun& run);
  void OpFillStroke(TPDFContentRun& run);
  void OpFillStrokeEvenOdd(TPDFContentRun& run);
  void OpCloseFillStroke(TPDFContentRun& run);
  void OpCloseFillStrokeEvenOdd(TPDFContentRun& run);
  void OpClip(TPDFContentRun& run);
  void OpClipEvenOdd(TPDFContentRun& run);
  void OpSave(TPDFContentRun& run);
  void OpRestore(TPDFContentRun& run);
  void OpConcat(TPDFContentRun& run);
  void OpLineWidth(TPDFContentRun& run);
  void OpLineCap(TPDFContentRun& run);
  void OpLineJoin(TPDFContentRun& run);
  void OpMiterLimit(TPDFContentRun& run);
  void OpDash(TPDFContentRun& run);
  void OpGlyphMetrics(TPDFContentRun& run);
  void OpExtGState(TPDFContentRun& run);
  void OpFillSpace(TPDFContentRun& run);
  void OpStrokeSpace(TPDFContentRun& run);
  void OpFillGray(TPDFContentRun& run);
  void OpFillRGB(TPDFContentRun& run);
  void OpFillCMYK(TPDFContentRun& run);
  void OpStrokeGray(TPDFContentRun& run);
  void OpStrokeRGB(TPDFContentRun& run);
  void OpStrokeCMYK(TPDFContentRun& run);
  void OpFillColor(TPDFContentRun& run);
  void OpStrokeColor(TPDFContentRun& run);
  void OpFillColorN(TPDFContentRun& run);
  void OpStrokeColorN(TPDFContentRun& run);
  void OpShading(TPDFContentRun& run);
  void PaintShading(TPDFContentRun& run);
  void OpInlineImage(TPDFContentRun& run);
  void OpXObject(TPDFContentRun& run);
  void OpBeginText(TPDFContentRun& run);
  void OpEndText(TPDFContentRun& run);
  void OpFont(TPDFContentRun& run);
  void OpTextMatrix(TPDFContentRun& run);
  void OpTextMove(TPDFContentRun& run);
  void OpTextMoveLeading(TPDFContentRun& run);
  void OpNextLine(TPDFContentRun& run);
  void OpCharSpacing(TPDFContentRun& run);
  void OpWordSpacing(TPDFContentRun& run);
  void OpHorizontalScaling(TPDFContentRun& run);
  void OpLeading(TPDFContentRun& run);
  void OpTextRise(TPDFContentRun& run);
  void OpRenderMode(TPDFContentRun& run);
  void OpShowText(TPDFContentRun& run);
  void OpShowArray(TPDFContentRun& run);
  void OpNextLineShow(TPDFContentRun& run);
  void OpSpacingShow(TPDFContentRun& run);
  void OpArray(TPDFContentRun& run);
  void OpBeginMarked(TPDFContentRun& run);
  void OpBeginMarkedNoProperties(TPDFContentRun& run);
  void OpEndMarked(TPDFContentRun& run);

  TPDFFontCollection* fonts_;
  std::unique_ptr<TBitmap> bitmap_;
  std::unique_ptr<TMetafile> metafile_;
  std::unique_ptr<TPDFEPSExport> eps_;
  std::array<double, 4> epsBox_{};
  TPDFMatrix epsDevice_ = kIdentityMatrix;  // the page's default space onto a pattern picture
  int32_t epsPictureWidth_ = 1, epsPictureHeight_ = 1;
  int32_t epsPictures_ = 0;
  std::unique_ptr<TPDFSimpleColorManager> colorManager_;
  std::unique_ptr<TPDFTextFunnel> funnel_;
  TPDFImageCache imageCache_;
  std::vector<void*> registry_;  // not owning
  TPDFRenderBudget ownBudget_;

  TStream* metafileStream_ = nullptr;
  TStream* html5Stream_ = nullptr;
  HDC targetDC_ = nullptr;
  bool clearFirst_ = false;
  int32_t targetX_ = 0, targetY_ = 0;
  WideString cairoPath_;
  HDC cairoDC_ = nullptr;
  uint8_t cairoFlag_ = 0;
  int32_t cairoFirst_ = 0, cairoSecond_ = 0;

  // The forms being run, so that a form drawing itself stops at once.
  std::vector<const TPDFStream*> activeForms_;
  // The Type 3 glyphs being run (font, glyph name), so that a glyph showing itself stops.
  std::vector<std::pair<const void*, std::string>> activeGlyphs_;
};
