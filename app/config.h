// The configuration file "Velmora.cfg": the window's paths, boxes and numbers from one run to
// the next, one value per line in a fixed order. It lives beside the executable; where that
// folder cannot be written (an installed copy) it lives in $XDG_CONFIG_HOME/velmora/.
#pragma once

#include <memory>
#include <string>
#include <string_view>

class TStringList;
class TStrings;

namespace Tarnwick1 {

class TSorterView;

// Module-level: the executable's folder (with "/"), the configuration file's full name and
// the list used while reading or writing it.
extern std::string ProgramFolder;
extern std::string ConfigFileName;
extern std::unique_ptr<TStringList> ConfigList;
// The configuration file that was there but could not be read this run (empty when none):
// it is never written, so that settings the window never saw are not lost.
extern std::string UnreadConfig;

// Fixes ProgramFolder (the executable's folder, unless one was set before) and ConfigFileName
// for this run.
void InitConfigLocation();
// Where the file goes for a program folder: beside the executable when that folder is
// writable, else in the user's configuration folder (XDG_CONFIG_HOME, else HOME/.config).
std::string ConfigLocationFor(const std::string& programFolder);

// Applies the lines to the window: only the lines present, only ever checking boxes.
void ApplyConfigLines(const TStrings& lines, TSorterView& view);
// The same from the file's bytes (at most the first MiB is read).
void ApplyConfigText(std::string_view text, TSorterView& view);
// Reads the file when it exists. One that exists but cannot be read raises the stream error
// and is remembered in UnreadConfig.
void LoadConfig(TSorterView& view);

// The eight lines the window's state gives.
std::unique_ptr<TStringList> ConfigLines(const TSorterView& view);
// Writes the file, replacing its content as a whole (ReplaceFileContents: through a link to
// the file it names, keeping its mode and owner, never leaving part of it). Raises EFCreateError
// or EWriteError "The settings could not be saved to <file>: <cause>" when it cannot be
// written; writes nothing over a file that could not be read.
void SaveConfig(const TSorterView& view);

}  // namespace Tarnwick1
