// The class library's streams: an abstract byte stream, a memory stream and a file stream.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/rtl/strings.h"

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
 public:
  virtual ~TStream() = default;
  TStream() = default;
  TStream(const TStream&) = delete;
  TStream& operator=(const TStream&) = delete;

  // Read and Write move at most `count` bytes and return how many moved (0 on failure).
  virtual int64_t Read(void* buffer, int64_t count) = 0;
  virtual int64_t Write(const void* buffer, int64_t count) = 0;
  // Returns the new position.
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
  virtual int64_t Size();
  virtual void SetSize(int64_t size) = 0;
  // The handle of the file the stream reads, for readers that read it where it lies (see
  // platform/rtl/byte_source.h); -1 for a stream of no file.
  virtual int Handle() const { return -1; }

  int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(int64_t pos) { Seek(pos, TSeekOrigin::soBeginning); }

  // Raise EReadError "Stream read error" / EWriteError "Stream write error" when short.
  void ReadBuffer(void* buffer, int64_t count);
  void WriteBuffer(const void* buffer, int64_t count);
  void WriteString(std::string_view bytes) { WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size())); }
  // Reads up to `count` bytes (fewer at the end of the stream).
  std::string ReadString(int64_t count);
  // Everything from the current position to the end.
  std::string ReadToEnd();

  // Copies `count` bytes from source's current position; count 0 copies the whole source from
  // its start (the class library's rule). Returns the number of bytes copied.
  int64_t CopyFrom(TStream& source, int64_t count);
};

class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::string_view bytes);

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return static_cast<int64_t>(data_.size()); }
  void SetSize(int64_t size) override;

  void Clear();
  // Room for `size` bytes in all, so that a writer that knows its size grows the memory once.
  void Reserve(int64_t size);
  uint8_t* Memory() { return data_.data(); }
  const uint8_t* Memory() const { return data_.data(); }
  std::span<const uint8_t> Bytes() const { return data_; }
  std::string_view View() const { return {reinterpret_cast<const char*>(data_.data()), data_.size()}; }
  std::string DataString() const { return std::string(View()); }

  void LoadFromStream(TStream& source);
  void SaveToStream(TStream& target) const;
  void LoadFromFile(const WideString& fileName);
  void SaveToFile(const WideString& fileName) const;

 private:
  std::vector<uint8_t> data_;
  int64_t pos_ = 0;
};

// File modes as the class library numbers them.
inline constexpr uint16_t fmCreate = 0xFF00;
inline constexpr uint16_t fmOpenRead = 0x0000;
inline constexpr uint16_t fmOpenWrite = 0x0001;
inline constexpr uint16_t fmOpenReadWrite = 0x0002;
inline constexpr uint16_t fmShareCompat = 0x0000;
inline constexpr uint16_t fmShareExclusive = 0x0010;
inline constexpr uint16_t fmShareDenyWrite = 0x0020;
inline constexpr uint16_t fmShareDenyRead = 0x0030;
inline constexpr uint16_t fmShareDenyNone = 0x0040;

// A file opened by (wide) name. Share modes have no meaning on Linux and are accepted as given.
// Failures raise EFCreateError 'Cannot create file "<name>". <reason>' or EFOpenError
// 'Cannot open file "<name>". <reason>'.
class TFileStream : public TStream {
 public:
  TFileStream(const WideString& fileName, uint16_t mode);
  ~TFileStream() override;

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  void SetSize(int64_t size) override;
  int Handle() const override { return fd_; }
  const WideString& FileName() const { return fileName_; }

 private:
  int fd_ = -1;
  WideString fileName_;
};

// Whole-file helpers over TFileStream.
std::string ReadFileBytes(const WideString& fileName);
void WriteFileBytes(const WideString& fileName, std::string_view bytes);
