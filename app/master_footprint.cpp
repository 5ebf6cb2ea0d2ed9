#include "app/master_footprint.h"

#include "app/console.h"
#include "app/footprint.h"
#include "app/footprint_analysis.h"
#include "app/info_dialog.h"
#include "app/sorter_view.h"
#include "platform/rtl/files.h"
#include "platform/rtl/numbers.h"
#include "platform/rtl/strings.h"

namespace Tarnwick1 {

namespace {

constexpr const char* kAllowedTypes[] = {".TIF", ".TIFF", ".PNG", ".JPG", ".GIF", ".WMF", ".BMP", ".ICO", ".EMF"};

std::string EditText(TSorterEdit edit) { return SorterView ? SorterView->Text(edit) : std::string(); }

// An empty edit gets its default text first.
std::string EditOrDefault(TSorterEdit edit, const char* fallback) {
  if (SorterView && SorterView->Text(edit).empty()) SorterView->SetText(edit, fallback);
  return SorterView ? SorterView->Text(edit) : std::string(fallback);
}

}  // namespace

std::string MasterFileProblem(const std::string& fileName) {
  const WideString name = FileNameToWide(fileName);
  if (!DirectoryExists(ExtractFilePath(name)))
    return "Unknown path for imagefile.\rIt does not exist or is faulty.\rProcess was stopped!";
  if (!FileExists(name)) return "Imagefile not found.\rProcess was stopped!";
  const std::string type = ImageTypeOf(fileName);
  for (const char* allowed : kAllowedTypes) {
    if (type == allowed) return {};
  }
  return "This imagetype is not allowed.\rtif, png, jpg, gif, wmf, bmp\rico and emf can be processed.\rProcess was stopped!";
}

void ReadSquareSettings() {
  PixelsSquare = StrToInt(EditOrDefault(TSorterEdit::EditPix, "4"));
  CellSize = ClampToInt32(RoundHalfEven(PixelsSquare / 4.0));
}

std::string MasterFootprint(const std::string& fileName) {
  Precision = StrToInt(EditOrDefault(TSorterEdit::EditPrec, "75"));
  const std::string problem = MasterFileProblem(fileName);
  if (!problem.empty()) {
    ShowInfoDialog(problem, TInfoButtons::Ok, kInfoRed);
    return {};
  }
  ReadSquareSettings();
  AnalyseFootprint(fileName, MasterPrint, TUnreadable::Raises);
  MasterBounds = ComputeBounds(MasterPrint, Precision);
  const std::string properties = PropertyString(MasterPrint);
  if (ConsoleMode()) {
    WriteConsoleLine("Masterfootprint:");
    WriteConsoleLine(properties);
    WriteConsoleLine(EditText(TSorterEdit::Edit1));
    WriteConsoleLine("Matching footprints:...");
  }
  return properties;
}

}  // namespace Tarnwick1
