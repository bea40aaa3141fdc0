// Checking that the data files of a folder hold a timetable, not just files that load: every
// name list decodes to its end, every train and station has its record, every record is whole
// and every stop names a station that exists at a time of day that exists. The check reads the
// files itself, one at a time, and shares nothing with a loaded database.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

struct stat;

namespace zelvan {

// The data files of a timetable, the required ones first (s.i, t.i, S0-S9.dat, T0-T19.dat),
// then t.rule, name.txt, ads.txt and ver.txt. Nothing else is ever installed.
const std::vector<std::string>& timetableFileNames();
// How many of timetableFileNames() are required.
std::size_t requiredTimetableFileCount();

// The `what` of a required file that does not exist.
inline constexpr std::string_view kFileMissing = "is missing";

// One thing found wrong with a timetable.
struct CheckFinding {
    std::string file;        // the data file, e.g. "T3.dat"
    std::string what;        // what is wrong, in English, with the record's offset where useful
    std::u16string train;    // the train number concerned; empty when none
    std::u16string station;  // the station name concerned; empty when none
};

struct CheckReport {
    // Errors make the timetable unfit for use; warnings are flaws that the program reads around
    // (real timetables have some). Each list keeps at most kMaxKept findings.
    static constexpr std::size_t kMaxKept = 1000;
    std::vector<CheckFinding> errors;
    std::vector<CheckFinding> warnings;
    long long errorCount = 0;  // every error found, kept or not
    long long warningCount = 0;

    bool passed() const { return errorCount == 0; }
};

// Checks the timetable in `folder` (no trailing separator).
//
// Errors: a required file missing or unreadable; a name list (s.i, t.i) that does not decode
// entry by entry up to its end marker, or train numbers out of order; no stations or no trains;
// a train or station of the name lists without a record, or whose record runs past its file,
// breaks off inside a stop or entry, or holds a byte that is no base-128 digit; a stop at a
// station index beyond the station list, at an hour above 23 or a minute above 59; a station
// record listing a train index beyond the train list.
//
// Warnings: distances that fall along a run; a train calling twice at a station; a station list
// naming a train that does not call there; a rule number past the last line of t.rule; a rule
// line without numbers; validity dates that are not calendar dates; a second record of a train
// or station, or a record no name stands for; a name.txt or ads.txt line with an odd number of
// tokens.
CheckReport checkTimetable(const std::u16string& folder);

// What tells a file replaced or changed: its device, inode, size and modification time.
struct FileIdentity {
    long long device = 0;
    long long inode = 0;
    long long size = 0;
    long long seconds = 0;
    long long nanoseconds = 0;
};

// The identity of a file from what stat() or fstat() gave.
FileIdentity identityOf(const struct stat& st);

// The data files of `folder` as they stand: for each timetable file its size, modification time
// and file identity. A file replaced, changed, added or removed gives another stamp. The files
// in `opened` (by file name, e.g. "T3.dat") are taken as they were when opened, not looked at
// again.
std::string timetableFilesStamp(const std::u16string& folder,
                                const std::map<std::string, FileIdentity>& opened = {});

// "T3.dat: stop 4: hour 25 is above 23 (train K1)" — one line of text for a finding.
std::string describeFinding(const CheckFinding& finding);

}  // namespace zelvan
