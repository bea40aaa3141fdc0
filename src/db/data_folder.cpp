#include "db/data_folder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "db/record_layout.h"
#include "db/text.h"
#include "db/timetable_db.h"

#ifndef ZELVAN_INSTALLED_DATA_RELATIVE
#define ZELVAN_INSTALLED_DATA_RELATIVE "../share/zelvan/timetable"
#endif

namespace zelvan {
namespace {

std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// "dir///" -> "dir"; "/" stays "/".
std::u16string withoutTrailingSeparators(std::u16string folder) {
    while (folder.size() > 1 && folder.back() == u'/') folder.pop_back();
    return folder;
}

std::string homeFolder() {
    std::string home = environmentValue("HOME");
    if (!home.empty() && home.front() == '/') return home;
    // No usable HOME (a service, `env -i`): the account's home, as the login would set it.
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::string buffer(size > 0 ? static_cast<std::size_t>(size) : 16384, '\0');
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir && found->pw_dir[0] == '/') {
        return found->pw_dir;
    }
    return {};
}

// Zelvan's folder in one of the XDG base directories: $VARIABLE/zelvan, else
// $HOME<fallback>/zelvan. The XDG rules: a relative value is invalid and ignored.
std::u16string xdgFolder(const char* variable, const char* fallback) {
    std::string base = environmentValue(variable);
    if (base.empty() || base.front() != '/') {
        std::string home = homeFolder();
        if (home.empty()) return {};
        base = home + fallback;
    }
    return withoutTrailingSeparators(fromUtf8(base)) + u"/zelvan";
}

// The name and the reason of each DataFolderSource, by its value.
struct SourceText {
    std::string_view name;
    std::string_view reason;
};
constexpr SourceText kSourceTexts[] = {
    {"option", "named by --data"},
    {"environment", "named by ZELVAN_DATA"},
    {"user", "the user's data folder holds a timetable (s.i)"},
    {"program", "the folder beside the program holds a timetable (s.i)"},
    {"installed",
     "the installed timetable (no s.i in the user's data folder or beside the program)"},
};

std::vector<std::string> makeRequiredFiles() {
    std::vector<std::string> files = {"s.i", "t.i"};
    for (int i = 0; i < kStationFileCount; ++i) files.push_back("S" + std::to_string(i) + ".dat");
    for (int i = 0; i < kTrainFileCount; ++i) files.push_back("T" + std::to_string(i) + ".dat");
    return files;
}

}  // namespace

std::u16string userDataFolder() {
    return xdgFolder("XDG_DATA_HOME", "/.local/share");
}

std::u16string userCacheFolder() {
    return xdgFolder("XDG_CACHE_HOME", "/.cache");
}

std::u16string installedDataFolder(const std::u16string& programFolder) {
    if (programFolder.empty()) return {};
    std::filesystem::path path =
        std::filesystem::path(toUtf8(programFolder)) / ZELVAN_INSTALLED_DATA_RELATIVE;
    return withoutTrailingSeparators(fromUtf8(path.lexically_normal().string()));
}

DataFolderInputs dataFolderInputs(std::optional<std::u16string> option) {
    DataFolderInputs inputs;
    inputs.option = std::move(option);
    inputs.environment = fromUtf8(environmentValue("ZELVAN_DATA"));
    inputs.userFolder = userDataFolder();
    inputs.programFolder = TimetableDb::programFolder();
    inputs.installedFolder = installedDataFolder(inputs.programFolder);
    return inputs;
}

DataFolder resolveDataFolder(const DataFolderInputs& inputs) {
    DataFolder chosen;
    chosen.updateFolder = inputs.userFolder;
    if (inputs.option) {
        chosen.path = withoutTrailingSeparators(*inputs.option);
        chosen.source = DataFolderSource::Option;
    } else if (!inputs.environment.empty()) {
        chosen.path = withoutTrailingSeparators(inputs.environment);
        chosen.source = DataFolderSource::Environment;
    } else if (!inputs.userFolder.empty() && holdsTimetable(inputs.userFolder)) {
        chosen.path = inputs.userFolder;
        chosen.source = DataFolderSource::User;
    } else if (!inputs.programFolder.empty() && holdsTimetable(inputs.programFolder)) {
        chosen.path = inputs.programFolder;
        chosen.source = DataFolderSource::Program;
    } else {
        chosen.path = inputs.installedFolder;
        chosen.source = DataFolderSource::Installed;
    }
    // A folder the user named, or the user's own, is updated where it is; the program's folder
    // and the installed timetable are never written to.
    if (chosen.source == DataFolderSource::Option ||
        chosen.source == DataFolderSource::Environment) {
        chosen.updateFolder = chosen.path;
    }
    return chosen;
}

bool holdsTimetable(const std::u16string& folder) {
    // lstat: a link to nowhere is still an s.i that somebody put there.
    struct stat st;
    if (::lstat((toUtf8(folder) + "/s.i").c_str(), &st) == 0) return true;
    return errno != ENOENT && errno != ENOTDIR;
}

std::string_view dataSourceName(DataFolderSource source) {
    return kSourceTexts[static_cast<int>(source)].name;
}

std::string_view dataSourceReason(DataFolderSource source) {
    return kSourceTexts[static_cast<int>(source)].reason;
}

const std::vector<std::string>& requiredDataFiles() {
    static const std::vector<std::string> files = makeRequiredFiles();
    return files;
}

const std::vector<std::string>& requiredWideDataFiles() {
    static const std::vector<std::string> files = {"s.i", "t.i", kWideStationFile, kWideTrainFile};
    return files;
}

bool holdsWideTimetable(const std::u16string& folder) {
    struct stat st;
    return ::lstat((toUtf8(folder) + "/" + kWideTrainFile).c_str(), &st) == 0;
}

const std::vector<std::string>& requiredDataFilesIn(const std::u16string& folder) {
    return holdsWideTimetable(folder) ? requiredWideDataFiles() : requiredDataFiles();
}

bool isRecordFileName(std::string_view name) {
    if (name == kWideStationFile || name == kWideTrainFile) return true;
    const std::vector<std::string>& narrow = requiredDataFiles();
    return std::find(narrow.begin() + 2, narrow.end(), name) != narrow.end();
}

std::string loadProblem(const std::u16string& folder) {
    const std::string where = toUtf8(folder);
    for (const std::string& file : requiredDataFilesIn(folder)) {
        const std::string path = where + "/" + file;
        struct stat st;
        if (::stat(path.c_str(), &st) != 0) {
            if (errno == ENOENT || errno == ENOTDIR) return file + " is missing";
            return file + " cannot be read";
        }
        if (!S_ISREG(st.st_mode)) return file + " is not a file";
        std::FILE* probe = std::fopen(path.c_str(), "rb");
        if (!probe) return file + " cannot be read";
        std::fclose(probe);
    }
    return {};
}

}  // namespace zelvan
