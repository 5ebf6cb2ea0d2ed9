#include "pdf/fonts/font_collection.h"

#include "pdf/core/wide_file_stream.h"
#include "platform/rtl/strings.h"

TPDFFontCollection::TPDFFontCollection() = default;

TPDFFontCollection::~TPDFFontCollection() {
  current_ = nullptr;
  entries_.clear();
  // Temporary font files live only as long as the render that made them.
  for (int i = 0; i < tempFiles_.Count(); ++i) {
    const std::string& name = tempFiles_[i];
    if (!name.empty()) WideDeleteFile(FileNameToWide(name));
  }
  tempFiles_.Clear();
}
