// The life of the installed timetable: a new one is installed only after it passes the check,
// the one it replaces is kept for one step back, and an installation cut short by a crash is
// completed or undone before the timetable is next loaded.
//
// Everything happens in a work folder inside the data folder, so that every move is a rename on
// one file system:
//   .update/staging       a timetable about to be installed
//   .update/backup        the journal of an installation under way (database_install.h)
//   .update/previous      the timetable the last update replaced: the step back
//   .update/previous.new  the timetable in use, kept while an update replaces it
//   .update/rolling-back  present while the step back is being taken
//   .update/lock          held while an installation or a recovery runs
//   .update/checked       the stamp of the data files when they last passed the check
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include "db/translation.h"

#include "db/timetable_check.h"

namespace zelvan {

class TimetableDb;

inline constexpr std::u16string_view kTextUpdateBusy =
    ZELVAN_TEXT("zelvan", "另一个更新正在进行，请稍后再试");

// The updater's work folder inside `dataFolder`.
std::filesystem::path workFolderOf(const std::filesystem::path& dataFolder);

// The update lock of a data folder: an exclusive flock on `.update/lock`, so that two updates,
// a step back and a recovery (two windows, the application and the command line) never stage,
// install or mend over each other. Never waits: a lock held elsewhere is `busy`. The lock goes
// with the descriptor, also when a process dies.
class UpdateLock {
  public:
    explicit UpdateLock(const std::filesystem::path& dataFolder);
    ~UpdateLock();
    UpdateLock(const UpdateLock&) = delete;
    UpdateLock& operator=(const UpdateLock&) = delete;

    bool opened() const { return fd_ >= 0; }
    bool busy() const { return busy_; }

  private:
    int fd_ = -1;
    bool busy_ = false;
};

enum class InstallStatus : int {
    Installed = 0,  // the new timetable is in place and loaded
    Damaged = 1,    // it failed the check; nothing was changed
    Failed = 2,     // it could not be put in place; the old timetable is back and loaded
    Nothing = 3,    // (step back) there is no previous timetable
    Busy = 4,       // another update of the data folder is running; nothing was done
};

struct InstallResult {
    InstallStatus status = InstallStatus::Failed;
    CheckReport check;  // why a timetable counts as damaged
};

// Checks the timetable unpacked in `staging` and installs it into `live` through the journal,
// then loads `db` from `live`. The timetable `db` had loaded becomes the previous one of `live`
// when it passed the check itself (a damaged one is no step back). `staging` is used up. Until
// the first file moves, `stop` may end it (Failed, nothing changed). The caller holds the update
// lock of `live` and has mended an interrupted install there.
InstallResult installCheckedTimetable(TimetableDb& db, const std::filesystem::path& staging,
                                      const std::filesystem::path& live,
                                      const std::function<bool()>& stop = {});

// True when an update left a previous timetable in `live`'s work folder.
bool hasPreviousTimetable(const std::filesystem::path& live);

// Puts the previous timetable back in place of the one in use, through the same checked,
// journalled installation, and loads `db` from `live`. The step back is used up: afterwards
// there is no previous timetable. Nothing: no previous timetable; Damaged: it fails the check;
// Busy: an update of `live` is running.
InstallResult rollBackTimetable(TimetableDb& db, const std::filesystem::path& live);

// Before the timetable of `live` is loaded: completes or undoes an installation that a crash
// cut short and clears what it left in the work folder. Does nothing (and writes nothing) when
// there is no work folder, nor while an update of `live` runs. False when the journal could not
// be resolved.
bool recoverDataFolder(const std::filesystem::path& live);
// The same for a caller that holds the update lock of `live`.
bool mendInterruptedInstall(const std::filesystem::path& live);

// The check of the timetable in `live`, remembered: once it passed, it is not read again until
// one of its files is replaced or changed (timetableFilesStamp, kept in `.update/checked` of a
// folder the updater has installed into, else in the user's cache folder, `checked/<hash of the
// folder's path>`; without either, checked every time). Only a pass is remembered, and without
// its warnings.
// `opened`: the files of `live` that a load has just read, as it found them (openedFiles): they
// are not looked at again, and `aboutOpened` (when given) tells whether a pass is known to be
// about exactly those files (none of them changed between the load and the check).
CheckReport checkInstalledTimetable(const std::filesystem::path& live,
                                    const std::map<std::string, FileIdentity>& opened = {},
                                    bool* aboutOpened = nullptr);

// How the user is told about the first error of a check: "数据文件 T3.dat 损坏" ("缺失" when the
// file is missing).
std::u16string damageText(const CheckReport& report);
// What the user is told after a step back: "已恢复上一版时刻表，数据库版本：VERSION" with the
// version now installed (its first line, without the line break), or why nothing changed.
std::u16string rollBackText(const InstallResult& result, const TimetableDb& db);

}  // namespace zelvan
