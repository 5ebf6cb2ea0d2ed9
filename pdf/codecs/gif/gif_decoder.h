// TPDFGIFDecoder: reads a GIF file (87a or 89a) into a list of frames and paints all frames, in
// file order, into one 24-bit bitmap of the logical screen's size. Extensions are skipped,
// except the graphic control extension, whose values are kept per frame but not applied.
// Nothing is raised; a malformed file ends the reading early.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi/bitmap.h"
#include "platform/rtl/streams.h"

// The values of a graphic control extension, which belong to the frame that follows it.
struct TPDFGIFGraphicControl {
  bool HasGraphicControl = false;
  uint32_t DisposalMethod = 0;
  bool UserInput = false;
  bool HasTransparency = false;
  uint16_t DelayTime = 0;
  uint8_t TransparentIndex = 0;
};

struct TPDFGIFFrame : TPDFGIFGraphicControl {
  uint16_t Left = 0, Top = 0, Width = 0, Height = 0;
  bool HasLocalColorTable = false;
  bool Interlaced = false;
  bool Sorted = false;
  uint16_t LocalColorTableSize = 0;
  std::vector<uint8_t> LocalColorTable;  // 3 bytes (red, green, blue) per entry
  uint8_t LZWMinimumCodeSize = 0;
  // The data sub-blocks joined, where they lie in the decoder's copy of the file
  // (TPDFGIFDecoder::ImageData).
  size_t DataOffset = 0, DataSize = 0;
};

class TPDFGIFDecoder {
 public:
  // Reads the file from the stream's position.
  void LoadFromStream(TStream& Stream);
  // Paints every frame into Bitmap (24 bit, the screen's size). False, with Bitmap emptied to
  // 0 by 0, when there is nothing to show: an invalid file, a screen of 0 by 0 or larger than a
  // bitmap may hold, or no frame that can be painted.
  bool GetFrameBitmap(TBitmap& Bitmap);
  // The same picture as RGB samples, three bytes a pixel, rows top to bottom without padding;
  // false, with Samples empty, where GetFrameBitmap gives none.
  bool GetFrameSamples(std::string& Samples) const;

  // Whether the picture can be painted a row at a time (TPDFGIFScreenRows): paintable, and
  // the readers of the frames that share a screen row holding together no more than what one
  // picture at the size cap leaves beside the screen's, between MinRowsHeldBytes and
  // MaxRowsHeldBytes (RowsHeldBytes: the most they hold on any row).
  bool PaintableInRows() const;
  int64_t RowsHeldBytes() const;
  // The bytes of the file the decoder holds.
  size_t HeldBytes() const { return data_.size(); }

  // The colour indexes of one frame, Width x Height bytes in file order (interlaced frames
  // still interlaced); shorter when the data end early. Empty for a frame that is skipped.
  std::string DecodeLZW(const TPDFGIFFrame& Frame) const;
  // The colour of every index of a frame, three bytes each (red first when RGB, else blue):
  // the frame's table, else the screen's; an index beyond the table in use is black, and
  // without any table the index is a grey level.
  std::array<std::array<uint8_t, 3>, 256> FrameColours(const TPDFGIFFrame& Frame, bool RGB) const;
  // A frame's LZW data (valid while the decoder lives and reads nothing else).
  std::string_view ImageData(const TPDFGIFFrame& Frame) const;
  // Whether a frame is painted at all: a size above 0 by 0, a minimum code size of 2 to 8 and
  // no more pixels than a bitmap may hold.
  static bool FrameUsable(const TPDFGIFFrame& Frame);
  // The bitmap row of the k-th row of a frame's data.
  static uint32_t TargetRow(const TPDFGIFFrame& Frame, uint32_t k);
  // The frames painted, in file order: the usable ones within the decode budget.
  std::vector<const TPDFGIFFrame*> PaintedFrames() const;
  // Whether any of a frame lies on the screen.
  bool OnScreen(const TPDFGIFFrame& Frame) const;
  // Paints Have indexes of a frame's row onto the screen row they land on (three bytes a pixel
  // in the colours given), clipped to the screen.
  void PaintRow(const TPDFGIFFrame& Frame, const std::array<std::array<uint8_t, 3>, 256>& Colours,
                const uint8_t* Indexes, int64_t Have, uint8_t* ScreenRow) const;

  TStream* Stream = nullptr;
  std::string Version;
  bool Valid = false;
  uint16_t ScreenWidth = 0, ScreenHeight = 0;
  bool HasGlobalColorTable = false;
  uint16_t ColorResolution = 0;
  bool SortFlag = false;
  uint16_t GlobalColorTableSize = 0;
  uint8_t BackgroundIndex = 0;
  double AspectRatio = 1.0;
  std::vector<uint8_t> GlobalColorTable;
  std::vector<TPDFGIFFrame> Frames;
  bool Stop = false;
  // The pending graphic control values, copied into the next frame.
  TPDFGIFGraphicControl PendingControl;

  // All frames together decode at most this many pixels; later frames are not painted.
  static constexpr int64_t MaxDecodedPixels = int64_t(1) << 30;
  // Frames painted a row at a time each keep a decoder while their rows are read: together
  // they may hold this much.
  static constexpr int64_t MaxRowsHeldBytes = int64_t(192) << 20;
  static constexpr int64_t MinRowsHeldBytes = int64_t(16) << 20;

 private:
  void ReadHeader();
  void ReadScreenDescriptor();
  void ReadGlobalColorTable();
  void ReadExtension();
  void ReadGraphicControlExtension();
  void ReadCommentExtension();
  void ReadApplicationExtension();
  void ReadPlainTextExtension();
  void ReadImage();
  // Reads data sub-blocks up to a size byte 0. With Frame, their bytes are joined where they
  // lie (each moves down over the size bytes before it) and the frame told where they are.
  void ReadSubBlocks(TPDFGIFFrame* Frame);
  void ClearGraphicControl();
  // Where frames are painted: three bytes a pixel, blue first unless RGB.
  struct TScreen {
    std::function<uint8_t*(int64_t)> Row;
    bool RGB = false;
  };
  bool Paintable() const;
  void PaintFrames(const TScreen& Screen) const;

  uint8_t ReadByte();
  uint16_t ReadWord();
  std::string ReadBytes(size_t Count);
  uint8_t ReadBlockIntroducer();

  std::string data_;
  size_t pos_ = 0;
};
