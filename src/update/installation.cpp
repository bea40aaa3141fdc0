#include "update/installation.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>

#include "db/data_folder.h"
#include "db/text.h"
#include "db/timetable_db.h"
#include "update/database_install.h"

namespace fs = std::filesystem;

namespace zelvan {
namespace {

struct WorkPaths {
    explicit WorkPaths(const fs::path& live)
        : work(workFolderOf(live)),
          staging(work / "staging"),
          backup(work / "backup"),
          previous(work / "previous"),
          keeping(work / "previous.new"),
          rollingBack(work / "rolling-back"),
          checked(work / "checked") {}
    fs::path work, staging, backup, previous, keeping, rollingBack, checked;
};

void removeAll(const fs::path& path) {
    std::error_code ec;
    fs::remove_all(path, ec);
}

bool present(const fs::path& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

// Makes `to` a fresh folder holding the timetable files of `from`. Hard links cost nothing and
// stay valid because nothing ever writes a data file in place (every install renames whole
// files); where a link cannot be made the file is copied.
bool linkTimetable(const fs::path& from, const fs::path& to) {
    removeAll(to);
    std::error_code ec;
    fs::create_directories(to, ec);
    if (ec) return false;
    for (const std::string& name : timetableFileNames()) {
        if (!isRegularFile(from / name)) continue;
        if (::link((from / name).c_str(), (to / name).c_str()) == 0) continue;
        if (!fs::copy_file(from / name, to / name, ec)) return false;
    }
    installStep();
    return true;
}

// Recovery under the lock; see recoverDataFolder.
bool recoverLocked(const WorkPaths& paths, const fs::path& live) {
    const bool journal = present(paths.backup);
    const bool completed = journal && installCompleted(paths.backup);
    if (journal && !recoverInterruptedInstall(live, paths.backup)) return false;
    if (completed) {
        if (present(paths.rollingBack)) {
            removeAll(paths.previous);  // the step back was taken: it is used up
        } else if (present(paths.keeping)) {
            // An update went through: what it replaced is the new step back.
            removeAll(paths.previous);
            std::error_code ec;
            fs::rename(paths.keeping, paths.previous, ec);
        }
    }
    removeAll(paths.keeping);
    removeAll(paths.staging);
    removeAll(paths.rollingBack);
    return true;
}

// The files are in place: loads them, or puts the old ones back and loads the timetable that
// was loaded before (`previous`) again.
bool loadOrUndo(TimetableDb& db, const fs::path& live, const fs::path& backup,
                const std::u16string& previous) {
    if (db.load(fromUtf8(live.string()))) return true;
    // The set passed the check a moment ago, so only a disk that changed under us gets here.
    rollBackInstall(live, backup);
    db.load(previous);
    return false;
}

}  // namespace

fs::path workFolderOf(const fs::path& dataFolder) {
    return dataFolder / ".update";
}

UpdateLock::UpdateLock(const fs::path& dataFolder) {
    const fs::path file = workFolderOf(dataFolder) / "lock";
    fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) return;
    int result;
    while ((result = ::flock(fd_, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    // A file system without locks still gets its update, as before there were any.
    busy_ = result != 0 && errno == EWOULDBLOCK;
}

UpdateLock::~UpdateLock() {
    if (fd_ >= 0) ::close(fd_);
}

InstallResult installCheckedTimetable(TimetableDb& db, const fs::path& staging,
                                      const fs::path& live, const std::function<bool()>& stop) {
    const WorkPaths paths(live);
    InstallResult result;
    result.check = verifyTimetableFolder(staging);
    if (!result.check.passed()) {
        result.status = InstallStatus::Damaged;
        return result;
    }
    // The timetable in use becomes the step back: hard links to its files (copies where it lies
    // on another file system, as the installed timetable may).
    const std::u16string loaded = db.folder;
    const bool keep = checkInstalledTimetable(fs::path(toUtf8(loaded))).passed() &&
                      linkTimetable(fs::path(toUtf8(loaded)), paths.keeping);
    if (!keep) removeAll(paths.keeping);
    if ((stop && stop()) || !installTimetableFiles(staging, live, paths.backup)) {
        removeAll(paths.keeping);  // the old files are back, as the database has them
        return result;
    }
    if (!loadOrUndo(db, live, paths.backup, loaded)) {
        removeAll(paths.keeping);
        return result;
    }
    if (keep) {
        removeAll(paths.previous);
        installStep();
        std::error_code ec;
        fs::rename(paths.keeping, paths.previous, ec);
        installStep();
    }
    finishInstall(paths.backup);
    result.status = InstallStatus::Installed;
    return result;
}

bool hasPreviousTimetable(const fs::path& live) {
    return present(WorkPaths(live).previous);
}

InstallResult rollBackTimetable(TimetableDb& db, const fs::path& live) {
    const WorkPaths paths(live);
    InstallResult result;
    if (!present(paths.work)) {
        result.status = InstallStatus::Nothing;
        return result;
    }
    UpdateLock lock(live);
    if (lock.busy()) {
        result.status = InstallStatus::Busy;
        return result;
    }
    if (!recoverLocked(paths, live)) return result;
    if (!present(paths.previous)) {
        result.status = InstallStatus::Nothing;
        return result;
    }
    result.check = verifyTimetableFolder(paths.previous);
    if (!result.check.passed()) {
        result.status = InstallStatus::Damaged;
        return result;
    }
    // The previous timetable is installed from links to it, so it stays whole until the step
    // back has taken effect; the mark tells recovery which of the two happened.
    if (!writeDurably(paths.rollingBack, {})) return result;
    installStep();
    bool ok = linkTimetable(paths.previous, paths.staging) &&
              installTimetableFiles(paths.staging, live, paths.backup, true);
    const std::u16string loaded = db.folder;
    if (ok) ok = loadOrUndo(db, live, paths.backup, loaded);
    if (ok) {
        removeAll(paths.previous);
        installStep();
        finishInstall(paths.backup);
        result.status = InstallStatus::Installed;
    }
    removeAll(paths.staging);
    removeAll(paths.rollingBack);
    return result;
}

bool recoverDataFolder(const fs::path& live) {
    const WorkPaths paths(live);
    if (!present(paths.work)) return true;
    UpdateLock lock(live);
    if (lock.busy()) return true;  // its files are not ours to touch
    return recoverLocked(paths, live);
}

bool mendInterruptedInstall(const fs::path& live) {
    return recoverLocked(WorkPaths(live), live);
}

// Where a pass of the check of `live` is remembered. In the work folder once the updater has
// installed into it; else in the user's cache, a file per folder named by a hash of the folder's
// path, so that the installed timetable and a --data folder are not read whole before every
// question either and nothing is written into them. The stamp names each file by device and
// inode, so two folders whose paths share a hash never share a pass. Empty: not remembered.
static fs::path rememberedCheckFile(const fs::path& live, const WorkPaths& paths) {
    if (present(paths.work)) return paths.checked;
    const std::u16string cache = userCacheFolder();
    std::error_code ec;
    const fs::path absolute = fs::absolute(live, ec);
    if (cache.empty() || ec) return {};
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a, stable from build to build
    for (unsigned char c : absolute.lexically_normal().string()) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char name[17];
    std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(hash));
    return fs::path(toUtf8(cache)) / "checked" / name;
}

// True when no timetable file of `folder` changed in the last two seconds. A file's time stamp
// moves in clock ticks of a few milliseconds: a file rewritten to the same length within the
// tick in which it was checked would keep its stamp, so a pass is remembered only for files
// that have settled.
static bool filesSettled(const fs::path& folder) {
    const auto now = fs::file_time_type::clock::now();
    for (const std::string& name : timetableFileNames()) {
        std::error_code ec;
        const auto written = fs::last_write_time(folder / name, ec);
        if (!ec && written > now - std::chrono::seconds(2)) return false;
    }
    return true;
}

CheckReport checkInstalledTimetable(const fs::path& live,
                                    const std::map<std::string, FileIdentity>& opened,
                                    bool* aboutOpened) {
    bool about = false;
    if (!aboutOpened) aboutOpened = &about;
    *aboutOpened = false;
    const WorkPaths paths(live);
    const std::u16string folder = fromUtf8(live.string());
    const fs::path remembered = rememberedCheckFile(live, paths);
    const std::string stamp = timetableFilesStamp(folder, opened);
    std::error_code ec;
    if (!remembered.empty() && fs::file_size(remembered, ec) == stamp.size() && !ec) {
        std::FILE* file = std::fopen(remembered.c_str(), "rb");
        std::string kept(stamp.size(), '\0');
        const bool read = file && std::fread(kept.data(), 1, kept.size(), file) == stamp.size();
        if (file) std::fclose(file);
        if (read && kept == stamp) {
            *aboutOpened = !opened.empty();
            return {};
        }
    }
    CheckReport report = checkTimetable(folder);
    // Remembered only when no file changed while it was read; written whole, then renamed.
    const bool unchanged =
        report.passed() && timetableFilesStamp(folder) == stamp && filesSettled(live);
    *aboutOpened = unchanged && !opened.empty();
    if (unchanged && !remembered.empty()) {
        fs::create_directories(remembered.parent_path(), ec);
        fs::path partial = remembered;
        partial += ".part";
        std::FILE* file = std::fopen(partial.c_str(), "wb");
        if (file) {
            const bool written = std::fwrite(stamp.data(), 1, stamp.size(), file) == stamp.size();
            if (std::fclose(file) == 0 && written) fs::rename(partial, remembered, ec);
        }
    }
    return report;
}

std::u16string damageText(const CheckReport& report) {
    if (report.errors.empty()) return {};
    const CheckFinding& first = report.errors.front();
    return translatedPattern(first.what == kFileMissing ? ZELVAN_TEXT("zelvan", "数据文件 %1 缺失")
                                                        : ZELVAN_TEXT("zelvan", "数据文件 %1 损坏"),
                             {fromUtf8(first.file)});
}

std::u16string rollBackText(const InstallResult& result, const TimetableDb& db) {
    switch (result.status) {
        case InstallStatus::Installed: {
            std::u16string version;
            db.readDatabaseVersion(version);
            while (!version.empty() && (version.back() == u'\n' || version.back() == u'\r')) {
                version.pop_back();
            }
            return translatedPattern(ZELVAN_TEXT("zelvan", "已恢复上一版时刻表，数据库版本：%1"),
                                     {version});
        }
        case InstallStatus::Nothing:
            return translated(ZELVAN_TEXT("zelvan", "没有可以恢复的上一版时刻表"));
        case InstallStatus::Damaged:
            return translatedPattern(
                ZELVAN_TEXT("zelvan", "恢复失败：上一版时刻表的%1，现有数据未改变"),
                {damageText(result.check)});
        case InstallStatus::Busy:
            return translated(kTextUpdateBusy);
        case InstallStatus::Failed:
            break;
    }
    return translated(ZELVAN_TEXT("zelvan", "恢复失败，现有数据未改变"));
}

}  // namespace zelvan
