// Putting an unpacked timetable in place of the live one without ever leaving a broken set:
// the new files are checked in a staging folder first, then moved in one rename per file with
// the replaced files kept in a backup folder until the new set has loaded.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "db/timetable_check.h"

namespace zelvan {

// True when `path` is a regular file itself (not a link, a folder or anything else).
bool isRegularFile(const std::filesystem::path& path);

// Checks a timetable about to be installed: every required file must be a regular file and the
// timetable must pass checkTimetable. The report's first error names what is wrong.
CheckReport verifyTimetableFolder(const std::filesystem::path& folder);

// True when `a` and `b` name the same existing folder.
bool sameFolder(const std::filesystem::path& a, const std::filesystem::path& b);
// Copies into `staging` each optional timetable file (t.rule, name.txt, ads.txt, ver.txt,
// pinyin.txt) that `staging` lacks and `from` holds. False when a copy fails.
bool carryOverOptionalFiles(const std::filesystem::path& from,
                            const std::filesystem::path& staging);

// Moves every timetable file present in `staging` into `live` (s.i last), each replaced file into
// `backup` (made afresh). With `wholeSet` the staged files are the whole new timetable: a
// timetable file of `live` that `staging` lacks goes into `backup` as well, so that `live` ends
// up holding exactly the staged set. On a failure everything moved so far is moved back and false
// is returned. On success the backup stays until `finishInstall` or `rollBackInstall`.
bool installTimetableFiles(const std::filesystem::path& staging, const std::filesystem::path& live,
                           const std::filesystem::path& backup, bool wholeSet = false);
// The new set is in use: drops the backup.
void finishInstall(const std::filesystem::path& backup);
// Puts the files of `backup` back into `live` and removes the files that the install added.
bool rollBackInstall(const std::filesystem::path& live, const std::filesystem::path& backup);
// True when the install journalled in `backup` had moved every file.
bool installCompleted(const std::filesystem::path& backup);
// After a crash during an install: completes it when every file had been moved, rolls it back
// otherwise, so `live` holds one whole set. False when a backup was found and could not be
// resolved. Call before loading.
bool recoverInterruptedInstall(const std::filesystem::path& live,
                               const std::filesystem::path& backup);

// Writes `text` to `path`, flushed to the disk before it returns (a journal entry must be there
// before the moves it describes).
bool writeDurably(const std::filesystem::path& path, const std::string& text);
// For tests that kill installations rather than machines: skips the flushes to the disk.
void setDurableWrites(bool on);

// For tests of interrupted installations: called with a running number at every step after
// which the files on disk are in a new state (each move, each journal entry). Null: none.
using InstallStepHook = void (*)(int step);
void setInstallStepHook(InstallStepHook hook);
// Reports one step to the hook.
void installStep();

}  // namespace zelvan
