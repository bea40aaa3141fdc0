// Which folder the timetable is read from, why, and where an update installs a new one. The
// command line, the application and the updater all ask here, so they agree.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelvan {

// Why a folder was chosen, in the order the candidates are tried.
enum class DataFolderSource : int {
    Option = 0,       // --data DIR
    Environment = 1,  // the environment variable ZELVAN_DATA
    User = 2,         // the user's data folder ($XDG_DATA_HOME/zelvan) holds s.i
    Program = 3,      // the folder beside the program holds s.i (a build tree, a portable copy)
    Installed = 4,    // the timetable installed with the program (<prefix>/share/zelvan/timetable)
};

struct DataFolder {
    std::u16string path;  // the folder to load, no trailing separator
    DataFolderSource source = DataFolderSource::Installed;
    // Where an update installs: the chosen folder itself when it was named or is the user's,
    // otherwise the user's data folder (created by the update). Empty when the user has no home.
    std::u16string updateFolder;
};

// What the choice depends on. dataFolderInputs() reads it from the process; tests fill it in.
struct DataFolderInputs {
    std::optional<std::u16string> option;  // --data
    std::u16string environment;            // ZELVAN_DATA; empty when unset or empty
    std::u16string userFolder;             // "" when there is no home folder
    std::u16string programFolder;          // the folder that holds the program file
    std::u16string installedFolder;
};

// The user's data folder: $XDG_DATA_HOME/zelvan when XDG_DATA_HOME is an absolute path, else
// $HOME/.local/share/zelvan (the password database's home when HOME is unset); "" when neither
// is known.
std::u16string userDataFolder();
// The user's cache folder for Zelvan: $XDG_CACHE_HOME/zelvan when XDG_CACHE_HOME is an absolute
// path, else $HOME/.cache/zelvan; "" when neither is known. Nothing in it is needed: it only
// saves work.
std::u16string userCacheFolder();
// The installed timetable's folder: the data folder of the installation prefix, found from the
// program's folder (bin/ -> share/zelvan/timetable), so a relocated tree still finds its own.
std::u16string installedDataFolder(const std::u16string& programFolder);

// The inputs of this process: `option` (from --data), ZELVAN_DATA, the user's data folder, the
// program's folder and the installed folder.
DataFolderInputs dataFolderInputs(std::optional<std::u16string> option = std::nullopt);
// The first of --data, ZELVAN_DATA, the user's folder holding s.i, the program's folder holding
// s.i, the installed folder.
DataFolder resolveDataFolder(const DataFolderInputs& inputs);
inline DataFolder resolveDataFolder(std::optional<std::u16string> option = std::nullopt) {
    return resolveDataFolder(dataFolderInputs(std::move(option)));
}

// True when `folder` holds an entry named s.i, or when that cannot be ruled out (a folder we may
// not look into): such a folder is chosen and its failure to load reported, never skipped.
bool holdsTimetable(const std::u16string& folder);

// "option", "environment", "user", "program" or "installed".
std::string_view dataSourceName(DataFolderSource source);
// Why the folder was chosen, for a person: "named by --data", ...
std::string_view dataSourceReason(DataFolderSource source);

// The files a load of the narrow form cannot do without, in the order the loader reads them: s.i,
// t.i, S0-S9.dat, T0-T19.dat.
const std::vector<std::string>& requiredDataFiles();
// The same of the wide form (db/record_layout.h): s.i, t.i, S.dat, T.dat.
const std::vector<std::string>& requiredWideDataFiles();
// True when `folder` holds a timetable of the wide form: a T.dat (whatever else it holds).
bool holdsWideTimetable(const std::u16string& folder);
// The files the timetable in `folder` requires, by its form.
const std::vector<std::string>& requiredDataFilesIn(const std::u16string& folder);
// True for the record files of either form: S0-S9.dat, T0-T19.dat, S.dat, T.dat.
bool isRecordFileName(std::string_view name);
// The first required data file of `folder` that is missing or cannot be read, as a phrase
// ("s.i is missing", "T7.dat cannot be read"); empty when every one is a readable file.
std::string loadProblem(const std::u16string& folder);

}  // namespace zelvan
