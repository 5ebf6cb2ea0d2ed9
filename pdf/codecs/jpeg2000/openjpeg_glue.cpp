#include "pdf/codecs/jpeg2000/openjpeg_glue.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace opjglue {

namespace {

void Quiet(const char*, void*) {}

constexpr OPJ_SIZE_T kReadFailed = OPJ_SIZE_T(-1);

OPJ_SIZE_T ReadInput(void* buffer, OPJ_SIZE_T count, void* user) {
  auto& in = *static_cast<InputBytes*>(user);
  if (in.Position >= in.Data.size()) return kReadFailed;
  const size_t n = size_t(std::min<uint64_t>(count, in.Data.size() - in.Position));
  std::memcpy(buffer, in.Data.data() + in.Position, n);
  in.Position += n;
  return n;
}

OPJ_OFF_T SkipInput(OPJ_OFF_T count, void* user) {
  auto& in = *static_cast<InputBytes*>(user);
  const int64_t size = int64_t(in.Data.size()), at = int64_t(in.Position);
  const int64_t target = count < 0 ? std::max<int64_t>(0, at + std::max<int64_t>(count, -at))
                                   : at + std::min<int64_t>(count, size - std::min(at, size));
  in.Position = uint64_t(target);
  return target - at;
}

OPJ_BOOL SeekInput(OPJ_OFF_T offset, void* user) {
  auto& in = *static_cast<InputBytes*>(user);
  if (offset < 0 || uint64_t(offset) > in.Data.size()) return OPJ_FALSE;
  in.Position = uint64_t(offset);
  return OPJ_TRUE;
}

// Makes room up to `end` (zeros) in the output.
bool Reach(OutputBytes& out, uint64_t end) {
  if (end > out.Data.max_size()) return false;
  if (end > out.Data.size()) out.Data.resize(size_t(end));
  return true;
}

OPJ_SIZE_T WriteOutput(void* buffer, OPJ_SIZE_T count, void* user) {
  auto& out = *static_cast<OutputBytes*>(user);
  try {
    if (!Reach(out, out.Position + count)) return kReadFailed;
  } catch (const std::bad_alloc&) {
    return kReadFailed;
  }
  std::memcpy(out.Data.data() + out.Position, buffer, count);
  out.Position += count;
  return count;
}

OPJ_OFF_T SkipOutput(OPJ_OFF_T count, void* user) {
  auto& out = *static_cast<OutputBytes*>(user);
  if (count < 0 && uint64_t(-count) > out.Position) return -1;
  out.Position = uint64_t(int64_t(out.Position) + count);
  try {
    if (!Reach(out, out.Position)) return -1;
  } catch (const std::bad_alloc&) {
    return -1;
  }
  return count;
}

OPJ_BOOL SeekOutput(OPJ_OFF_T offset, void* user) {
  auto& out = *static_cast<OutputBytes*>(user);
  if (offset < 0) return OPJ_FALSE;
  out.Position = uint64_t(offset);
  try {
    return Reach(out, out.Position) ? OPJ_TRUE : OPJ_FALSE;
  } catch (const std::bad_alloc&) {
    return OPJ_FALSE;
  }
}

}  // namespace

Codec SilentCodec(opj_codec_t* codec) {
  if (codec) {
    opj_set_info_handler(codec, Quiet, nullptr);
    opj_set_warning_handler(codec, Quiet, nullptr);
    opj_set_error_handler(codec, Quiet, nullptr);
  }
  return Codec(codec);
}

Stream InputStream(InputBytes& source) {
  Stream s(opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_TRUE));
  if (!s) return s;
  opj_stream_set_user_data(s.get(), &source, nullptr);
  opj_stream_set_user_data_length(s.get(), source.Data.size());
  opj_stream_set_read_function(s.get(), ReadInput);
  opj_stream_set_skip_function(s.get(), SkipInput);
  opj_stream_set_seek_function(s.get(), SeekInput);
  return s;
}

Stream OutputStream(OutputBytes& target) {
  Stream s(opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_FALSE));
  if (!s) return s;
  opj_stream_set_user_data(s.get(), &target, nullptr);
  opj_stream_set_write_function(s.get(), WriteOutput);
  opj_stream_set_skip_function(s.get(), SkipOutput);
  opj_stream_set_seek_function(s.get(), SeekOutput);
  return s;
}

}  // namespace opjglue
