#include "app/master_footprint.h"

#include "app/config.h"
#include "app/console.h"
#include "app/footprint.h"
#include "app/file_stamp.h"
#include "app/footprint_analysis.h"
#include "app/info_dialog.h"
#include "app/sorter_view.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/files.h"
#include "platform/rtl/numbers.h"
#include "platform/rtl/strings.h"

namespace Tarnwick1 {

namespace {

constexpr const char* kAllowedTypes[] = {".TIF", ".TIFF", ".PNG", ".JPG", ".JPEG", ".GIF", ".WMF", ".BMP", ".ICO", ".EMF"};

std::string EditText(TSorterEdit edit) { return SorterView ? SorterView->Text(edit) : std::string(); }

// An empty edit gets its default text first.
std::string EditOrDefault(TSorterEdit edit, const char* fallback) {
  if (SorterView && SorterView->Text(edit).empty()) SorterView->SetText(edit, fallback);
  return SorterView ? SorterView->Text(edit) : std::string(fallback);
}

// The number in a setting's edit. One that is no number names the setting by its label, and in
// batch mode the file it came from: the value alone leaves the person guessing where it is.
int32_t SettingValue(TSorterEdit edit, const char* fallback, const char* label) {
  const std::string text = EditOrDefault(edit, fallback);
  try {
    return StrToInt(text);
  } catch (const EConvertError& e) {
    throw EConvertError(std::string("The setting \"") + label + "\"" +
                        (ConsoleMode() ? " in " + ConfigFileName : std::string()) + " cannot be read: " + e.what());
  }
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

namespace {

// The master file the bounds in memory come from, empty while they are no master's (before the
// first analysis, and from the start of one until it got through). Only an analysis sets the
// precision, so while this names a master the precision is the one its bounds were made with.
std::string AnalysedMaster;
// The file as it was when its analysis began: a file written or replaced since is another
// picture under the same name.
TFileStamp AnalysedStamp;

// Without its GDI+ provider (a program copied alone) the library draws with plain GDI, and
// metafiles get other footprints: the first analysis says so, once, on standard error and on
// the window.
bool ProviderChecked = false;

void TellOnceWithoutProvider() {
  if (ProviderChecked) return;
  ProviderChecked = true;
  const std::string message = MissingProviderMessage();
  if (message.empty()) return;
  WriteConsoleError(message);
  if (!ConsoleMode() && SorterView) SorterView->InfoDialog(message, TInfoButtons::Ok, kInfoRed);
}

}  // namespace

bool MasterIsAnalysed(const std::string& fileName, const std::string& precisionText) {
  int32_t precision = 0;
  TFileStamp now;
  return !AnalysedMaster.empty() && AnalysedMaster == fileName && ReadFileStamp(fileName, now) &&
         now == AnalysedStamp &&
         TryStrToInt(precisionText.empty() ? std::string_view("75") : std::string_view(precisionText), precision) &&
         precision == Precision;
}

void ReadSquareSettings() {
  PixelsSquare = SettingValue(TSorterEdit::EditPix, "4", "pixels square");
  CellSize = ClampToInt32(RoundHalfEven(PixelsSquare / 4.0));
}

std::string MasterFootprint(const std::string& fileName) {
  // From here on the bounds in memory are no master's until this analysis gets through.
  AnalysedMaster.clear();
  Precision = SettingValue(TSorterEdit::EditPrec, "75", "precision of result");
  const std::string problem = MasterFileProblem(fileName);
  if (!problem.empty()) {
    ShowInfoDialog(problem, TInfoButtons::Ok, kInfoRed);
    return {};
  }
  ReadSquareSettings();
  TellOnceWithoutProvider();
  TFileStamp stamp;
  ReadFileStamp(fileName, stamp);
  AnalyseFootprint(fileName, MasterPrint, TUnreadable::Raises);
  AnalysedStamp = stamp;
  MasterBounds = ComputeBounds(MasterPrint, Precision);
  AnalysedMaster = fileName;
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
