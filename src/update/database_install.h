// Putting an unpacked timetable in place of the live one without ever leaving a broken set:
// the new files are checked in a staging folder first, then moved in one rename per file with
// the replaced files kept in a backup folder until the new set has loaded.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zelvan {

// The data files a package may bring, the required ones first (s.i, t.i, S0-S9.dat,
// T0-T19.dat), then t.rule, name.txt, ads.txt, ver.txt and pinyin.txt. Nothing else is ever
// installed.
const std::vector<std::string>& timetableFileNames();
// How many of timetableFileNames() are required.
std::size_t requiredTimetableFileCount();

// True when `folder` holds every required file as a regular file and loads as a timetable.
bool verifyTimetableFolder(const std::filesystem::path& folder);

// True when `a` and `b` name the same existing folder.
bool sameFolder(const std::filesystem::path& a, const std::filesystem::path& b);
// Copies into `staging` each optional timetable file (t.rule, name.txt, ads.txt, ver.txt,
// pinyin.txt) that `staging` lacks and `from` holds. False when a copy fails.
bool carryOverOptionalFiles(const std::filesystem::path& from,
                            const std::filesystem::path& staging);

// Moves every timetable file present in `staging` into `live` (s.i last), each replaced file into
// `backup` (made afresh). On a failure everything moved so far is moved back and false is returned.
// On success the backup stays until `finishInstall` or `rollBackInstall`.
bool installTimetableFiles(const std::filesystem::path& staging, const std::filesystem::path& live,
                           const std::filesystem::path& backup);
// The new set is in use: drops the backup.
void finishInstall(const std::filesystem::path& backup);
// Puts the files of `backup` back into `live` and removes the files that the install added.
bool rollBackInstall(const std::filesystem::path& live, const std::filesystem::path& backup);
// After a crash during an install: completes it when every file had been moved, rolls it back
// otherwise, so `live` holds one whole set. False when a backup was found and could not be
// resolved. Call before loading.
bool recoverInterruptedInstall(const std::filesystem::path& live,
                               const std::filesystem::path& backup);

}  // namespace zelvan
