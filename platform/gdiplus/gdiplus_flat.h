// The GDI+ flat API of our own provider: the types, constants and C entry points that the
// renderer's run-time binding looks up by name in the shared library kGdiplusLibraryName.
//
// The meaning of every function, value and record is the one the Windows GDI+ documentation
// gives it; the layouts follow that documentation so that code written against the flat API
// works unchanged. The drawing is done with cairo, image files are read and written with
// libpng, libjpeg-turbo, libtiff and giflib.
//
// A caller that binds at run time takes its function pointer types from the declarations:
//   using GdipCreatePathFn = decltype(&gdiplus::GdipCreatePath);
//   auto fn = reinterpret_cast<GdipCreatePathFn>(dlsym(module, "GdipCreatePath"));
//
// Device contexts. On this platform an HDC belongs to the graphics layer (platform/gdi), which
// the provider does not link. Before GdipCreateFromHDC (and GdipCreateBitmapFromHBITMAP) can
// work, the process hands the provider a small host table with VelmoraGdiplusSetHost. The host
// maps an HDC (or an HBITMAP) to raw pixels, described by GpRawSurface; see the comments there.
// Without a host GdipCreateFromHDC answers Win32Error and the caller falls back to plain GDI.
//
// EMF+ recording (GdipRecordMetafileStream, GdipRecordMetafileFileName) writes EMF+ records
// only (EmfTypeEmfPlusOnly; the other types answer NotImplemented).
#pragma once

#include <cstddef>
#include <cstdint>

namespace gdiplus {

// The file name of the provider, the value that the settings record holds in place of
// "gdiplus.dll". The library is built next to the program (the build folder); dlopen finds it
// on the library path, and the binding's second try (the program's own folder followed by
// this name) finds it beside the executable.
inline constexpr const char* kGdiplusLibraryName = "libvelmora-gdiplus.so";
inline constexpr const char16_t* kGdiplusLibraryNameW = u"libvelmora-gdiplus.so";

using REAL = float;
using ARGB = uint32_t;  // 0xAARRGGBB
using PROPID = uint32_t;
using WCHAR = char16_t;
using HRESULT = int32_t;
using GpBOOL = int32_t;  // the platform's BOOL: 0 false, anything else true
using ULONG_PTR = uintptr_t;
using GraphicsState = uint32_t;

// Handles of the graphics layer travel as untyped pointers.
using GpHDC = void*;
using GpHBITMAP = void*;
using GpHPALETTE = void*;

struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
using CLSID = GUID;
using IID = GUID;
inline bool operator==(const GUID& a, const GUID& b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i)
    if (a.Data4[i] != b.Data4[i]) return false;
  return true;
}

enum GpStatus : int32_t {
  Ok = 0,
  GenericError = 1,
  InvalidParameter = 2,
  OutOfMemory = 3,
  ObjectBusy = 4,
  InsufficientBuffer = 5,
  NotImplemented = 6,
  Win32Error = 7,
  WrongState = 8,
  Aborted = 9,
  FileNotFound = 10,
  ValueOverflow = 11,
  AccessDenied = 12,
  UnknownImageFormat = 13,
  FontFamilyNotFound = 14,
  FontStyleNotFound = 15,
  NotTrueTypeFont = 16,
  UnsupportedGdiplusVersion = 17,
  GdiplusNotInitialized = 18,
  PropertyNotFound = 19,
  PropertyNotSupported = 20,
  ProfileNotFound = 21,
};

enum GpUnit : int32_t {
  UnitWorld = 0,
  UnitDisplay = 1,
  UnitPixel = 2,
  UnitPoint = 3,
  UnitInch = 4,
  UnitDocument = 5,
  UnitMillimeter = 6,
};

enum GpFillMode : int32_t { FillModeAlternate = 0, FillModeWinding = 1 };

enum SmoothingMode : int32_t {
  SmoothingModeInvalid = -1,
  SmoothingModeDefault = 0,
  SmoothingModeHighSpeed = 1,
  SmoothingModeHighQuality = 2,
  SmoothingModeNone = 3,
  SmoothingModeAntiAlias = 4,
  SmoothingModeAntiAlias8x8 = 5,
};

enum PixelOffsetMode : int32_t {
  PixelOffsetModeInvalid = -1,
  PixelOffsetModeDefault = 0,
  PixelOffsetModeHighSpeed = 1,
  PixelOffsetModeHighQuality = 2,
  PixelOffsetModeNone = 3,
  PixelOffsetModeHalf = 4,
};

enum InterpolationMode : int32_t {
  InterpolationModeInvalid = -1,
  InterpolationModeDefault = 0,
  InterpolationModeLowQuality = 1,
  InterpolationModeHighQuality = 2,
  InterpolationModeBilinear = 3,
  InterpolationModeBicubic = 4,
  InterpolationModeNearestNeighbor = 5,
  InterpolationModeHighQualityBilinear = 6,
  InterpolationModeHighQualityBicubic = 7,
};

enum CompositingMode : int32_t { CompositingModeSourceOver = 0, CompositingModeSourceCopy = 1 };

enum CompositingQuality : int32_t {
  CompositingQualityInvalid = -1,
  CompositingQualityDefault = 0,
  CompositingQualityHighSpeed = 1,
  CompositingQualityHighQuality = 2,
  CompositingQualityGammaCorrected = 3,
  CompositingQualityAssumeLinear = 4,
};

enum CombineMode : int32_t {
  CombineModeReplace = 0,
  CombineModeIntersect = 1,
  CombineModeUnion = 2,
  CombineModeXor = 3,
  CombineModeExclude = 4,
  CombineModeComplement = 5,
};

enum GpMatrixOrder : int32_t { MatrixOrderPrepend = 0, MatrixOrderAppend = 1 };

enum GpDashStyle : int32_t {
  DashStyleSolid = 0,
  DashStyleDash = 1,
  DashStyleDot = 2,
  DashStyleDashDot = 3,
  DashStyleDashDotDot = 4,
  DashStyleCustom = 5,
};

enum GpDashCap : int32_t { DashCapFlat = 0, DashCapRound = 2, DashCapTriangle = 3 };

enum GpLineCap : int32_t {
  LineCapFlat = 0,
  LineCapSquare = 1,
  LineCapRound = 2,
  LineCapTriangle = 3,
  LineCapNoAnchor = 0x10,
  LineCapSquareAnchor = 0x11,
  LineCapRoundAnchor = 0x12,
  LineCapDiamondAnchor = 0x13,
  LineCapArrowAnchor = 0x14,
  LineCapCustom = 0xff,
};

enum GpLineJoin : int32_t {
  LineJoinMiter = 0,
  LineJoinBevel = 1,
  LineJoinRound = 2,
  LineJoinMiterClipped = 3,
};

enum GpWrapMode : int32_t {
  WrapModeTile = 0,
  WrapModeTileFlipX = 1,
  WrapModeTileFlipY = 2,
  WrapModeTileFlipXY = 3,
  WrapModeClamp = 4,
};

enum ColorAdjustType : int32_t {
  ColorAdjustTypeDefault = 0,
  ColorAdjustTypeBitmap = 1,
  ColorAdjustTypeBrush = 2,
  ColorAdjustTypePen = 3,
  ColorAdjustTypeText = 4,
  ColorAdjustTypeCount = 5,
  ColorAdjustTypeAny = 6,
};

enum ColorMatrixFlags : int32_t {
  ColorMatrixFlagsDefault = 0,
  ColorMatrixFlagsSkipGrays = 1,
  ColorMatrixFlagsAltGray = 2,
};

enum EmfType : int32_t { EmfTypeEmfOnly = 3, EmfTypeEmfPlusOnly = 4, EmfTypeEmfPlusDual = 5 };

enum MetafileFrameUnit : int32_t {
  MetafileFrameUnitPixel = 2,
  MetafileFrameUnitPoint = 3,
  MetafileFrameUnitInch = 4,
  MetafileFrameUnitDocument = 5,
  MetafileFrameUnitMillimeter = 6,
  MetafileFrameUnitGdi = 7,
};

enum ImageLockMode : uint32_t {
  ImageLockModeRead = 1,
  ImageLockModeWrite = 2,
  ImageLockModeUserInputBuf = 4,
};

enum ImageType : int32_t { ImageTypeUnknown = 0, ImageTypeBitmap = 1, ImageTypeMetafile = 2 };

enum PathPointType : uint8_t {
  PathPointTypeStart = 0,
  PathPointTypeLine = 1,
  PathPointTypeBezier = 3,
  PathPointTypePathTypeMask = 7,
  PathPointTypeDashMode = 0x10,
  PathPointTypePathMarker = 0x20,
  PathPointTypeCloseSubpath = 0x80,
};

enum EncoderParameterValueType : uint32_t {
  EncoderParameterValueTypeByte = 1,
  EncoderParameterValueTypeASCII = 2,
  EncoderParameterValueTypeShort = 3,
  EncoderParameterValueTypeLong = 4,
  EncoderParameterValueTypeRational = 5,
  EncoderParameterValueTypeLongRange = 6,
  EncoderParameterValueTypeUndefined = 7,
  EncoderParameterValueTypeRationalRange = 8,
  EncoderParameterValueTypePointer = 9,
};

enum EncoderValue : uint32_t {
  EncoderValueColorTypeCMYK = 0,
  EncoderValueColorTypeYCCK = 1,
  EncoderValueCompressionLZW = 2,
  EncoderValueCompressionCCITT3 = 3,
  EncoderValueCompressionCCITT4 = 4,
  EncoderValueCompressionRle = 5,
  EncoderValueCompressionNone = 6,
  EncoderValueMultiFrame = 18,
  EncoderValueLastFrame = 19,
  EncoderValueFlush = 20,
  EncoderValueFrameDimensionPage = 23,
};

enum ImageCodecFlags : uint32_t {
  ImageCodecFlagsEncoder = 0x1,
  ImageCodecFlagsDecoder = 0x2,
  ImageCodecFlagsSupportBitmap = 0x4,
  ImageCodecFlagsSupportVector = 0x8,
  ImageCodecFlagsSeekableEncode = 0x10,
  ImageCodecFlagsBlockingDecode = 0x20,
  ImageCodecFlagsBuiltin = 0x10000,
  ImageCodecFlagsSystem = 0x20000,
  ImageCodecFlagsUser = 0x40000,
};

using PixelFormat = int32_t;
inline constexpr PixelFormat PixelFormatIndexed = 0x00010000;
inline constexpr PixelFormat PixelFormatGDI = 0x00020000;
inline constexpr PixelFormat PixelFormatAlpha = 0x00040000;
inline constexpr PixelFormat PixelFormatPAlpha = 0x00080000;
inline constexpr PixelFormat PixelFormatExtended = 0x00100000;
inline constexpr PixelFormat PixelFormatCanonical = 0x00200000;
inline constexpr PixelFormat PixelFormatUndefined = 0;
inline constexpr PixelFormat PixelFormat1bppIndexed = 0x00030101;
inline constexpr PixelFormat PixelFormat4bppIndexed = 0x00030402;
inline constexpr PixelFormat PixelFormat8bppIndexed = 0x00030803;
inline constexpr PixelFormat PixelFormat16bppGrayScale = 0x00101004;
inline constexpr PixelFormat PixelFormat16bppRGB555 = 0x00021005;
inline constexpr PixelFormat PixelFormat16bppRGB565 = 0x00021006;
inline constexpr PixelFormat PixelFormat16bppARGB1555 = 0x00061007;
inline constexpr PixelFormat PixelFormat24bppRGB = 0x00021808;
inline constexpr PixelFormat PixelFormat32bppRGB = 0x00022009;
inline constexpr PixelFormat PixelFormat32bppARGB = 0x0026200A;
inline constexpr PixelFormat PixelFormat32bppPARGB = 0x000E200B;
inline constexpr PixelFormat PixelFormat48bppRGB = 0x0010300C;
inline constexpr PixelFormat PixelFormat64bppARGB = 0x0034400D;
inline constexpr PixelFormat PixelFormat64bppPARGB = 0x001A400E;
inline constexpr PixelFormat PixelFormat32bppCMYK = 0x0000200F;
// Bits per pixel of a format (bits 8 to 15 of its value).
constexpr uint32_t GetPixelFormatSize(PixelFormat f) { return (uint32_t(f) >> 8) & 0xff; }

// Well-known identifiers, with the values the platform documents.
inline constexpr GUID ImageFormatMemoryBMP = {0xb96b3caa, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
inline constexpr GUID ImageFormatBMP = {0xb96b3cab, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
inline constexpr GUID ImageFormatEMF = {0xb96b3cac, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
inline constexpr GUID ImageFormatWMF = {0xb96b3cad, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
inline constexpr GUID ImageFormatJPEG = {0xb96b3cae, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
inline constexpr GUID ImageFormatPNG = {0xb96b3caf, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
inline constexpr GUID ImageFormatGIF = {0xb96b3cb0, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
inline constexpr GUID ImageFormatTIFF = {0xb96b3cb1, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};

inline constexpr GUID FrameDimensionTime = {0x6aedbd6d, 0x3fb5, 0x418a, {0x83, 0xa6, 0x7f, 0x45, 0x22, 0x9d, 0xc8, 0x72}};
inline constexpr GUID FrameDimensionResolution = {0x84236f7b, 0x3bd3, 0x428f, {0x8d, 0xab, 0x4e, 0xa1, 0x43, 0x9c, 0xa3, 0x15}};
inline constexpr GUID FrameDimensionPage = {0x7462dc86, 0x6180, 0x4c7e, {0x8e, 0x3f, 0xee, 0x73, 0x33, 0xa7, 0xa4, 0x83}};

inline constexpr GUID EncoderCompression = {0xe09d739d, 0xccd4, 0x44ee, {0x8e, 0xba, 0x3f, 0xbf, 0x8b, 0xe4, 0xfc, 0x58}};
inline constexpr GUID EncoderColorDepth = {0x66087055, 0xad66, 0x4c7c, {0x9a, 0x18, 0x38, 0xa2, 0x31, 0x0b, 0x83, 0x37}};
inline constexpr GUID EncoderSaveFlag = {0x292266fc, 0xac40, 0x47bf, {0x8c, 0xfc, 0xa8, 0x5b, 0x89, 0xa6, 0x55, 0xde}};
inline constexpr GUID EncoderQuality = {0x1d5be4b5, 0xfa4a, 0x452d, {0x9c, 0xdd, 0x5d, 0xb3, 0x51, 0x05, 0xe7, 0xeb}};

inline constexpr CLSID EncoderClsidBMP = {0x557cf400, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
inline constexpr CLSID EncoderClsidTIFF = {0x557cf405, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
inline constexpr CLSID EncoderClsidPNG = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};

inline constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IStream = {0x0000000c, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IImageBytes = {0x025d1823, 0x6c7d, 0x447b, {0xbb, 0xdb, 0xa3, 0xcb, 0xc3, 0xdf, 0xa2, 0xfc}};

// Records.
struct GpPointF {
  REAL X, Y;
};
struct GpPoint {
  int32_t X, Y;
};
struct GpRectF {
  REAL X, Y, Width, Height;
};
struct GpRect {
  int32_t X, Y, Width, Height;
};

struct ColorMatrix {
  REAL m[5][5];
};

struct BitmapData {
  uint32_t Width;
  uint32_t Height;
  int32_t Stride;
  int32_t PixelFormat;  // a PixelFormat value
  void* Scan0;
  uintptr_t Reserved;
};

struct EncoderParameter {
  GUID Guid;
  uint32_t NumberOfValues;
  uint32_t Type;  // EncoderParameterValueType
  void* Value;
};
struct EncoderParameters {
  uint32_t Count;
  EncoderParameter Parameter[1];  // Count entries
};

struct ImageCodecInfo {
  CLSID Clsid;
  GUID FormatID;
  const WCHAR* CodecName;
  const WCHAR* DllName;
  const WCHAR* FormatDescription;
  const WCHAR* FilenameExtension;
  const WCHAR* MimeType;
  uint32_t Flags;
  uint32_t Version;
  uint32_t SigCount;
  uint32_t SigSize;
  const uint8_t* SigPattern;
  const uint8_t* SigMask;
};

struct PropertyItem {
  PROPID id;
  uint32_t length;  // bytes of value
  uint16_t type;
  void* value;
};

// Start-up.
using DebugEventProc = void (*)(int32_t level, char* message);
using NotificationHookProc = GpStatus (*)(ULONG_PTR* token);
using NotificationUnhookProc = void (*)(ULONG_PTR token);
struct GdiplusStartupInput {
  uint32_t GdiplusVersion;  // 1
  DebugEventProc DebugEventCallback;
  GpBOOL SuppressBackgroundThread;
  GpBOOL SuppressExternalCodecs;
};
struct GdiplusStartupOutput {
  NotificationHookProc NotificationHook;
  NotificationUnhookProc NotificationUnhook;
};

// COM streams, laid out as the platform lays them out (the interface pointer addresses an
// object whose first word is its table of methods, in this order). A caller implements
// IStream over its own stream class; the provider calls Read, Seek, Stat and Write, and asks
// QueryInterface for IID_IImageBytes, which it prefers when offered. HRESULT 0 is success.
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = int32_t(0x80004001);
inline constexpr HRESULT E_NOINTERFACE = int32_t(0x80004002);
inline constexpr HRESULT E_FAIL = int32_t(0x80004005);
inline constexpr HRESULT STG_E_INVALIDFUNCTION = int32_t(0x80030001);
inline constexpr uint32_t STREAM_SEEK_SET = 0, STREAM_SEEK_CUR = 1, STREAM_SEEK_END = 2;
inline constexpr uint32_t STATFLAG_NONAME = 1;

struct FILETIME {
  uint32_t dwLowDateTime, dwHighDateTime;
};
struct STATSTG {
  WCHAR* pwcsName;
  uint32_t type;
  uint64_t cbSize;
  FILETIME mtime, ctime, atime;
  uint32_t grfMode;
  uint32_t grfLocksSupported;
  CLSID clsid;
  uint32_t grfStateBits;
  uint32_t reserved;
};

struct IUnknown {
  virtual HRESULT QueryInterface(const IID& riid, void** object) = 0;
  virtual uint32_t AddRef() = 0;
  virtual uint32_t Release() = 0;
};
struct ISequentialStream : IUnknown {
  virtual HRESULT Read(void* buffer, uint32_t count, uint32_t* read) = 0;
  virtual HRESULT Write(const void* buffer, uint32_t count, uint32_t* written) = 0;
};
struct IStream : ISequentialStream {
  virtual HRESULT Seek(int64_t move, uint32_t origin, uint64_t* newPosition) = 0;
  virtual HRESULT SetSize(uint64_t newSize) = 0;
  virtual HRESULT CopyTo(IStream* target, uint64_t count, uint64_t* read, uint64_t* written) = 0;
  virtual HRESULT Commit(uint32_t flags) = 0;
  virtual HRESULT Revert() = 0;
  virtual HRESULT LockRegion(uint64_t offset, uint64_t count, uint32_t lockType) = 0;
  virtual HRESULT UnlockRegion(uint64_t offset, uint64_t count, uint32_t lockType) = 0;
  virtual HRESULT Stat(STATSTG* stat, uint32_t flags) = 0;
  virtual HRESULT Clone(IStream** copy) = 0;
};
// Direct access to the bytes behind a stream; offsets count from the stream's start.
struct IImageBytes : IUnknown {
  virtual HRESULT CountBytes(uint32_t* count) = 0;
  virtual HRESULT LockBytes(uint32_t count, uint32_t offset, const void** bytes) = 0;
  virtual HRESULT UnlockBytes(const void* bytes, uint32_t count, uint32_t offset) = 0;
};

// Raw pixels that the host hands out for a device context or a bitmap handle.
//   scan0:    the first byte of the top row (row 0 as the picture shows it);
//   stride:   bytes from one row to the row below it; negative when the rows are stored
//             bottom-up (then scan0 points at the last row in memory). Rows start on 4-byte
//             boundaries as DIB rows do.
//   bitsPerPixel: 24 (bytes B, G, R) or 32 (B, G, R, X; the fourth byte is alpha when
//             hasAlpha is set). For a bitmap handle also 1, 4 and 8 with a palette.
//   palette:  for 1, 4 and 8 bits, paletteSize entries of 0x00RRGGBB.
//   release:  called once with context when the provider is done with the pixels (when the
//             Graphics is deleted, or at once after a bitmap handle has been copied); modified
//             tells whether the provider wrote to them. A host whose device context is not 24
//             or 32 bits can hand out a 32-bit buffer of its own and map it back here.
// Drawing writes straight into scan0 while the Graphics lives: each operation reads the
// affected rectangle, composes it with cairo and writes it back, so GDI calls on the same
// pixels between two GDI+ calls are seen and kept.
struct GpRawSurface {
  uint8_t* scan0;
  int32_t stride;
  int32_t width;
  int32_t height;
  int32_t bitsPerPixel;
  int32_t hasAlpha;
  const uint32_t* palette;
  uint32_t paletteSize;
  float dpiX, dpiY;  // 0 means 96
  void* context;
  void (*release)(void* context, int32_t modified);
};

// What the host provides; either entry may be null. Each fills *surface and answers Ok, or
// answers a failure status (the GDI+ call then fails with it).
struct GpHostTable {
  uint32_t size;  // sizeof(GpHostTable)
  GpStatus (*LockDC)(GpHDC hdc, GpRawSurface* surface);
  GpStatus (*LockBitmap)(GpHBITMAP bitmap, GpRawSurface* surface);
};

// Opaque objects.
struct GpGraphics;
struct GpPath;
struct GpRegion;
struct GpMatrix;
struct GpPen;
struct GpBrush;
struct GpSolidFill;
struct GpLineGradient;
struct GpTexture;
struct GpImage;
struct GpBitmap;
struct GpMetafile;
struct GpImageAttributes;

using DrawImageAbort = GpBOOL (*)(void* data);

extern "C" {

// Our own addition: the host table (copied). Null removes the host.
GpStatus VelmoraGdiplusSetHost(const GpHostTable* host);

GpStatus GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output);
void GdiplusShutdown(ULONG_PTR token);

// Graphics.
GpStatus GdipCreateFromHDC(GpHDC hdc, GpGraphics** graphics);
GpStatus GdipDeleteGraphics(GpGraphics* graphics);
GpStatus GdipGetImageGraphicsContext(GpImage* image, GpGraphics** graphics);
GpStatus GdipSetSmoothingMode(GpGraphics* graphics, SmoothingMode mode);
GpStatus GdipSetPixelOffsetMode(GpGraphics* graphics, PixelOffsetMode mode);
GpStatus GdipSetInterpolationMode(GpGraphics* graphics, InterpolationMode mode);
GpStatus GdipSetCompositingMode(GpGraphics* graphics, CompositingMode mode);
GpStatus GdipSetCompositingQuality(GpGraphics* graphics, CompositingQuality quality);
GpStatus GdipSetPageUnit(GpGraphics* graphics, GpUnit unit);
GpStatus GdipSetWorldTransform(GpGraphics* graphics, GpMatrix* matrix);
GpStatus GdipResetWorldTransform(GpGraphics* graphics);
GpStatus GdipGetWorldTransform(GpGraphics* graphics, GpMatrix* matrix);
GpStatus GdipGraphicsClear(GpGraphics* graphics, ARGB color);
GpStatus GdipSaveGraphics(GpGraphics* graphics, GraphicsState* state);
GpStatus GdipRestoreGraphics(GpGraphics* graphics, GraphicsState state);

// Regions and clipping.
GpStatus GdipCreateRegion(GpRegion** region);
GpStatus GdipDeleteRegion(GpRegion* region);
GpStatus GdipGetClip(GpGraphics* graphics, GpRegion* region);
GpStatus GdipSetClipRegion(GpGraphics* graphics, GpRegion* region, CombineMode mode);
GpStatus GdipSetClipPath(GpGraphics* graphics, GpPath* path, CombineMode mode);
GpStatus GdipSetClipRect(GpGraphics* graphics, REAL x, REAL y, REAL width, REAL height, CombineMode mode);
GpStatus GdipResetClip(GpGraphics* graphics);
GpStatus GdipGetVisibleClipBounds(GpGraphics* graphics, GpRectF* rect);

// Paths.
GpStatus GdipCreatePath(GpFillMode mode, GpPath** path);
GpStatus GdipDeletePath(GpPath* path);
GpStatus GdipAddPathLine(GpPath* path, REAL x1, REAL y1, REAL x2, REAL y2);
GpStatus GdipAddPathBezier(GpPath* path, REAL x1, REAL y1, REAL x2, REAL y2, REAL x3, REAL y3, REAL x4, REAL y4);
GpStatus GdipClosePathFigure(GpPath* path);
GpStatus GdipStartPathFigure(GpPath* path);
GpStatus GdipSetPathFillMode(GpPath* path, GpFillMode mode);
GpStatus GdipGetPointCount(GpPath* path, int32_t* count);
// The path's points and point types into arrays of count items (InsufficientBuffer when the
// path has more).
GpStatus GdipGetPathPoints(GpPath* path, GpPointF* points, int32_t count);
GpStatus GdipGetPathTypes(GpPath* path, uint8_t* types, int32_t count);
GpStatus GdipFillPath(GpGraphics* graphics, GpBrush* brush, GpPath* path);
GpStatus GdipDrawPath(GpGraphics* graphics, GpPen* pen, GpPath* path);

// Brushes.
GpStatus GdipCreateSolidFill(ARGB color, GpSolidFill** brush);
GpStatus GdipCreateLineBrush(const GpPointF* point1, const GpPointF* point2, ARGB color1, ARGB color2,
                             GpWrapMode wrap, GpLineGradient** brush);
GpStatus GdipSetLinePresetBlend(GpLineGradient* brush, const ARGB* colors, const REAL* positions, int32_t count);
GpStatus GdipSetLineTransform(GpLineGradient* brush, const GpMatrix* matrix);
GpStatus GdipCreateTexture2(GpImage* image, GpWrapMode wrap, REAL x, REAL y, REAL width, REAL height,
                            GpTexture** texture);
GpStatus GdipSetTextureTransform(GpTexture* brush, const GpMatrix* matrix);
GpStatus GdipScaleTextureTransform(GpTexture* brush, REAL sx, REAL sy, GpMatrixOrder order);
GpStatus GdipDeleteBrush(GpBrush* brush);

// Pens.
GpStatus GdipCreatePen1(ARGB color, REAL width, GpUnit unit, GpPen** pen);
GpStatus GdipDeletePen(GpPen* pen);
GpStatus GdipSetPenDashArray(GpPen* pen, const REAL* dashes, int32_t count);
GpStatus GdipSetPenDashOffset(GpPen* pen, REAL offset);
GpStatus GdipSetPenLineJoin(GpPen* pen, GpLineJoin join);
GpStatus GdipSetPenStartCap(GpPen* pen, GpLineCap cap);
GpStatus GdipSetPenEndCap(GpPen* pen, GpLineCap cap);
GpStatus GdipSetPenMiterLimit(GpPen* pen, REAL limit);
GpStatus GdipSetPenDashCap197819(GpPen* pen, GpDashCap cap);
GpStatus GdipSetPenTransform(GpPen* pen, GpMatrix* matrix);

// Matrices: (m11, m12, m21, m22, dx, dy); a point (x, y) maps to
// (m11 x + m21 y + dx, m12 x + m22 y + dy).
GpStatus GdipCreateMatrix2(REAL m11, REAL m12, REAL m21, REAL m22, REAL dx, REAL dy, GpMatrix** matrix);
GpStatus GdipDeleteMatrix(GpMatrix* matrix);
GpStatus GdipInvertMatrix(GpMatrix* matrix);
GpStatus GdipGetMatrixElements(const GpMatrix* matrix, REAL* elements);

// Images.
GpStatus GdipLoadImageFromStream(IStream* stream, GpImage** image);
GpStatus GdipLoadImageFromStreamICM(IStream* stream, GpImage** image);
GpStatus GdipLoadImageFromFile(const WCHAR* fileName, GpImage** image);
GpStatus GdipSaveImageToStream(GpImage* image, IStream* stream, const CLSID* encoder, const EncoderParameters* params);
GpStatus GdipSaveImageToFile(GpImage* image, const WCHAR* fileName, const CLSID* encoder, const EncoderParameters* params);
GpStatus GdipDisposeImage(GpImage* image);
GpStatus GdipGetImageDimension(GpImage* image, REAL* width, REAL* height);
GpStatus GdipGetImageWidth(GpImage* image, uint32_t* width);
GpStatus GdipGetImageHeight(GpImage* image, uint32_t* height);
GpStatus GdipGetImageHorizontalResolution(GpImage* image, REAL* resolution);
GpStatus GdipGetImageVerticalResolution(GpImage* image, REAL* resolution);
GpStatus GdipGetImagePixelFormat(GpImage* image, PixelFormat* format);
GpStatus GdipImageGetFrameDimensionsCount(GpImage* image, uint32_t* count);
GpStatus GdipImageGetFrameDimensionsList(GpImage* image, GUID* dimensions, uint32_t count);
GpStatus GdipImageGetFrameCount(GpImage* image, const GUID* dimension, uint32_t* count);
GpStatus GdipImageSelectActiveFrame(GpImage* image, const GUID* dimension, uint32_t index);
GpStatus GdipGetPropertyCount(GpImage* image, uint32_t* count);
GpStatus GdipGetPropertyItem(GpImage* image, PROPID id, uint32_t size, PropertyItem* buffer);
GpStatus GdipSetPropertyItem(GpImage* image, const PropertyItem* item);
GpStatus GdipGetAllPropertyItems(GpImage* image, uint32_t totalSize, uint32_t count, PropertyItem* items);

GpStatus GdipCreateBitmapFromScan0(int32_t width, int32_t height, int32_t stride, PixelFormat format, uint8_t* scan0,
                                   GpBitmap** bitmap);
GpStatus GdipCreateBitmapFromGraphics(int32_t width, int32_t height, GpGraphics* target, GpBitmap** bitmap);
// info: a BITMAPINFOHEADER (40 bytes) followed by its colour table, as the platform lays it out.
GpStatus GdipCreateBitmapFromGdiDib(const void* info, void* bits, GpBitmap** bitmap);
GpStatus GdipCreateBitmapFromHBITMAP(GpHBITMAP hbitmap, GpHPALETTE palette, GpBitmap** bitmap);
GpStatus GdipBitmapSetResolution(GpBitmap* bitmap, REAL dpiX, REAL dpiY);
GpStatus GdipBitmapLockBits(GpBitmap* bitmap, const GpRect* rect, uint32_t flags, PixelFormat format, BitmapData* data);
GpStatus GdipBitmapUnlockBits(GpBitmap* bitmap, BitmapData* data);

// Drawing images.
GpStatus GdipDrawImageI(GpGraphics* graphics, GpImage* image, int32_t x, int32_t y);
GpStatus GdipDrawImageRect(GpGraphics* graphics, GpImage* image, REAL x, REAL y, REAL width, REAL height);
GpStatus GdipDrawImageRectI(GpGraphics* graphics, GpImage* image, int32_t x, int32_t y, int32_t width, int32_t height);
GpStatus GdipDrawImagePoints(GpGraphics* graphics, GpImage* image, const GpPointF* points, int32_t count);
GpStatus GdipDrawImagePointRectI(GpGraphics* graphics, GpImage* image, int32_t x, int32_t y, int32_t srcx,
                                 int32_t srcy, int32_t srcwidth, int32_t srcheight, GpUnit srcUnit);
GpStatus GdipDrawImagePointsRect(GpGraphics* graphics, GpImage* image, const GpPointF* points, int32_t count,
                                 REAL srcx, REAL srcy, REAL srcwidth, REAL srcheight, GpUnit srcUnit,
                                 const GpImageAttributes* attributes, DrawImageAbort callback, void* callbackData);
GpStatus GdipDrawImageRectRect(GpGraphics* graphics, GpImage* image, REAL dstx, REAL dsty, REAL dstwidth,
                               REAL dstheight, REAL srcx, REAL srcy, REAL srcwidth, REAL srcheight, GpUnit srcUnit,
                               const GpImageAttributes* attributes, DrawImageAbort callback, void* callbackData);

// Image attributes.
GpStatus GdipCreateImageAttributes(GpImageAttributes** attributes);
GpStatus GdipDisposeImageAttributes(GpImageAttributes* attributes);
GpStatus GdipSetImageAttributesColorKeys(GpImageAttributes* attributes, ColorAdjustType type, GpBOOL enable,
                                         ARGB low, ARGB high);
GpStatus GdipSetImageAttributesColorMatrix(GpImageAttributes* attributes, ColorAdjustType type, GpBOOL enable,
                                           const ColorMatrix* colorMatrix, const ColorMatrix* grayMatrix,
                                           ColorMatrixFlags flags);

// Encoders.
GpStatus GdipGetImageEncodersSize(uint32_t* count, uint32_t* size);
GpStatus GdipGetImageEncoders(uint32_t count, uint32_t size, ImageCodecInfo* encoders);
GpStatus GdipGetEncoderParameterListSize(GpImage* image, const CLSID* encoder, uint32_t* size);
GpStatus GdipGetEncoderParameterList(GpImage* image, const CLSID* encoder, uint32_t size, EncoderParameters* buffer);

// Metafile recording, EMF+ records only: into the stream, or into the file (created at once,
// written when the metafile is disposed of).
GpStatus GdipRecordMetafileFileName(const WCHAR* fileName, GpHDC referenceHdc, EmfType type, const GpRectF* frame,
                                    MetafileFrameUnit unit, const WCHAR* description, GpMetafile** metafile);
GpStatus GdipRecordMetafileStream(IStream* stream, GpHDC referenceHdc, EmfType type, const GpRectF* frame,
                                  MetafileFrameUnit unit, const WCHAR* description, GpMetafile** metafile);

}  // extern "C"

}  // namespace gdiplus
