#include "update/database_install.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "db/data_folder.h"
#include "db/text.h"
#include "db/timetable_db.h"

namespace fs = std::filesystem;

namespace zelvan {
namespace {

// Journal files in the backup folder. ".added" lists the names that had no earlier version
// (a roll-back deletes them); ".complete" appears once every new file is in place.
constexpr const char* kAddedList = ".added";
constexpr const char* kCompleteMark = ".complete";

std::vector<std::string> makeNames() {
    std::vector<std::string> names = requiredDataFiles();
    for (const char* optional : {"t.rule", "name.txt", "ads.txt", "ver.txt", "pinyin.txt"}) {
        names.push_back(optional);
    }
    return names;
}

enum class Kind { Missing, Regular, Other };

Kind kindOf(const fs::path& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT ? Kind::Missing : Kind::Other;
    return S_ISREG(st.st_mode) ? Kind::Regular : Kind::Other;
}

// Writes `text` to `path` and makes it durable before the moves that it describes.
bool writeDurably(const fs::path& path, const std::string& text) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ok = ::fsync(fd) == 0 && ok;
    return ::close(fd) == 0 && ok;
}

bool readLines(const fs::path& path, std::vector<std::string>& lines) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return errno == ENOENT;
    std::string line;
    int c;
    while ((c = std::fgetc(file)) != EOF) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line.push_back(static_cast<char>(c));
        }
    }
    if (!line.empty()) lines.push_back(line);
    std::fclose(file);
    return true;
}

bool isTimetableName(const std::string& name) {
    for (const std::string& known : timetableFileNames()) {
        if (known == name) return true;
    }
    return false;
}

}  // namespace

const std::vector<std::string>& timetableFileNames() {
    static const std::vector<std::string> names = makeNames();
    return names;
}

std::size_t requiredTimetableFileCount() {
    return requiredDataFiles().size();
}

bool verifyTimetableFolder(const fs::path& folder) {
    const std::vector<std::string>& names = timetableFileNames();
    for (std::size_t i = 0; i < requiredTimetableFileCount(); ++i) {
        if (kindOf(folder / names[i]) != Kind::Regular) return false;
    }
    TimetableDb probe;
    return probe.load(fromUtf8(folder.string()));
}

bool sameFolder(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    return fs::exists(a, ec) && fs::exists(b, ec) && fs::equivalent(a, b, ec);
}

bool carryOverOptionalFiles(const fs::path& from, const fs::path& staging) {
    const std::vector<std::string>& names = timetableFileNames();
    for (std::size_t i = requiredTimetableFileCount(); i < names.size(); ++i) {
        if (kindOf(staging / names[i]) != Kind::Missing) continue;
        if (kindOf(from / names[i]) != Kind::Regular) continue;
        std::error_code ec;
        if (!fs::copy_file(from / names[i], staging / names[i], ec)) return false;
    }
    return true;
}

bool installTimetableFiles(const fs::path& staging, const fs::path& live, const fs::path& backup) {
    std::error_code ec;
    fs::remove_all(backup, ec);
    if (ec || !fs::create_directories(backup, ec)) return false;

    std::vector<std::string> moving;
    std::string added;
    for (const std::string& name : timetableFileNames()) {
        if (kindOf(staging / name) != Kind::Regular) continue;
        Kind old = kindOf(live / name);
        if (old == Kind::Other) {
            // A folder or a link in the way: leave the live set alone.
            fs::remove_all(backup, ec);
            return false;
        }
        if (old == Kind::Missing) added += name + '\n';
        moving.push_back(name);
    }
    // s.i is what makes a folder count as holding a timetable (db/data_folder.h): it goes in
    // last, so that a folder filled for the first time counts only once the set is whole.
    std::stable_partition(moving.begin(), moving.end(),
                          [](const std::string& name) { return name != "s.i"; });
    if (!writeDurably(backup / kAddedList, added)) {
        fs::remove_all(backup, ec);
        return false;
    }
    for (const std::string& name : moving) {
        bool ok = true;
        if (kindOf(live / name) == Kind::Regular) {
            ok = std::rename((live / name).c_str(), (backup / name).c_str()) == 0;
        }
        if (ok) ok = std::rename((staging / name).c_str(), (live / name).c_str()) == 0;
        if (!ok) {
            rollBackInstall(live, backup);
            return false;
        }
    }
    if (!writeDurably(backup / kCompleteMark, {})) {
        rollBackInstall(live, backup);
        return false;
    }
    return true;
}

void finishInstall(const fs::path& backup) {
    std::error_code ec;
    fs::remove_all(backup, ec);
}

bool rollBackInstall(const fs::path& live, const fs::path& backup) {
    std::vector<std::string> added;
    if (!readLines(backup / kAddedList, added)) return false;
    bool ok = true;
    for (const std::string& name : added) {
        if (!isTimetableName(name)) continue;  // never delete anything else
        if (std::remove((live / name).c_str()) != 0 && errno != ENOENT) ok = false;
    }
    for (const std::string& name : timetableFileNames()) {
        if (kindOf(backup / name) != Kind::Regular) continue;
        if (std::rename((backup / name).c_str(), (live / name).c_str()) != 0) ok = false;
    }
    if (ok) finishInstall(backup);
    return ok;
}

bool recoverInterruptedInstall(const fs::path& live, const fs::path& backup) {
    std::error_code ec;
    if (!fs::exists(backup, ec)) return !ec;
    if (fs::exists(backup / kCompleteMark, ec)) {
        finishInstall(backup);
        return true;
    }
    return rollBackInstall(live, backup);
}

}  // namespace zelvan
