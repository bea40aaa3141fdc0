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

enum class Kind { Missing, Regular, Other };

Kind kindOf(const fs::path& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT ? Kind::Missing : Kind::Other;
    return S_ISREG(st.st_mode) ? Kind::Regular : Kind::Other;
}

bool durable = true;  // flush journal entries and renames to the disk

// Makes the renames into and out of `folder` durable before the journal says they happened.
void syncFolder(const fs::path& folder) {
    if (!durable) return;
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

bool moveFile(const fs::path& from, const fs::path& to) {
    bool ok = std::rename(from.c_str(), to.c_str()) == 0;
    installStep();
    return ok;
}

InstallStepHook stepHook = nullptr;
int stepCount = 0;

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

bool isRegularFile(const fs::path& path) {
    return kindOf(path) == Kind::Regular;
}

CheckReport verifyTimetableFolder(const fs::path& folder) {
    for (const std::string& name : requiredDataFilesIn(fromUtf8(folder.string()))) {
        Kind kind = kindOf(folder / name);
        if (kind == Kind::Regular) continue;
        CheckReport report;
        report.errors.push_back(
            {name,
             kind == Kind::Missing ? std::string(kFileMissing) : "is not a regular file",
             {},
             {}});
        report.errorCount = 1;
        return report;
    }
    return checkTimetable(fromUtf8(folder.string()));
}

bool sameFolder(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    return fs::exists(a, ec) && fs::exists(b, ec) && fs::equivalent(a, b, ec);
}

bool carryOverOptionalFiles(const fs::path& from, const fs::path& staging) {
    const std::vector<std::string>& names = timetableFileNames();
    for (std::size_t i = requiredTimetableFileCount(); i < names.size(); ++i) {
        // Record files are the timetable's own: never taken from another (of the other form).
        if (isRecordFileName(names[i])) continue;
        if (kindOf(staging / names[i]) != Kind::Missing) continue;
        if (kindOf(from / names[i]) != Kind::Regular) continue;
        std::error_code ec;
        if (!fs::copy_file(from / names[i], staging / names[i], ec)) return false;
    }
    return true;
}

bool installTimetableFiles(const fs::path& staging, const fs::path& live, const fs::path& backup,
                           bool wholeSet) {
    std::error_code ec;
    fs::remove_all(backup, ec);
    if (ec || !fs::create_directories(backup, ec)) return false;
    installStep();

    std::vector<std::string> moving;
    std::vector<std::string> leaving;  // in `live` but not in the staged whole set
    std::string added;
    for (const std::string& name : timetableFileNames()) {
        Kind old = kindOf(live / name);
        if (old == Kind::Other) {
            // A folder or a link in the way: leave the live set alone.
            fs::remove_all(backup, ec);
            return false;
        }
        if (kindOf(staging / name) != Kind::Regular) {
            // A staged timetable has every record file of its form: those it lacks are of the
            // other form and must not stay beside it.
            if ((wholeSet || isRecordFileName(name)) && old == Kind::Regular) {
                leaving.push_back(name);
            }
            continue;
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
    installStep();
    for (const std::string& name : leaving) {
        if (!moveFile(live / name, backup / name)) {
            rollBackInstall(live, backup);
            return false;
        }
    }
    for (const std::string& name : moving) {
        bool ok = true;
        if (kindOf(live / name) == Kind::Regular) ok = moveFile(live / name, backup / name);
        if (ok) ok = moveFile(staging / name, live / name);
        if (!ok) {
            rollBackInstall(live, backup);
            return false;
        }
    }
    syncFolder(live);
    syncFolder(backup);
    if (!writeDurably(backup / kCompleteMark, {})) {
        rollBackInstall(live, backup);
        return false;
    }
    installStep();
    return true;
}

void finishInstall(const fs::path& backup) {
    // The completion mark goes last: until it is gone, a crash leaves an install that recovery
    // completes, never a half-emptied backup that it would roll back with.
    std::error_code ec;
    std::vector<fs::path> journal;
    for (auto it = fs::directory_iterator(backup, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        if (it->path().filename() != kCompleteMark) journal.push_back(it->path());
    }
    for (const fs::path& path : journal) fs::remove_all(path, ec);
    installStep();
    fs::remove_all(backup, ec);
    installStep();
}

bool rollBackInstall(const fs::path& live, const fs::path& backup) {
    // First of all the install must stop counting as complete: a crash during the roll-back
    // then resumes the roll-back instead of keeping a mixture.
    if (std::remove((backup / kCompleteMark).c_str()) != 0 && errno != ENOENT) return false;
    syncFolder(backup);
    std::vector<std::string> added;
    if (!readLines(backup / kAddedList, added)) return false;
    bool ok = true;
    for (const std::string& name : added) {
        if (!isTimetableName(name)) continue;  // never delete anything else
        if (std::remove((live / name).c_str()) != 0 && errno != ENOENT) ok = false;
        installStep();
    }
    for (const std::string& name : timetableFileNames()) {
        if (kindOf(backup / name) != Kind::Regular) continue;
        if (!moveFile(backup / name, live / name)) ok = false;
    }
    syncFolder(live);
    if (ok) finishInstall(backup);
    return ok;
}

bool installCompleted(const fs::path& backup) {
    std::error_code ec;
    return fs::exists(backup / kCompleteMark, ec);
}

bool recoverInterruptedInstall(const fs::path& live, const fs::path& backup) {
    std::error_code ec;
    if (!fs::exists(backup, ec)) return !ec;
    if (installCompleted(backup)) {
        finishInstall(backup);
        return true;
    }
    return rollBackInstall(live, backup);
}

void setDurableWrites(bool on) {
    durable = on;
}

bool writeDurably(const fs::path& path, const std::string& text) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ok = (!durable || ::fsync(fd) == 0) && ok;
    return ::close(fd) == 0 && ok;
}

void setInstallStepHook(InstallStepHook hook) {
    stepHook = hook;
    stepCount = 0;
}

void installStep() {
    if (stepHook) stepHook(stepCount++);
}

}  // namespace zelvan
