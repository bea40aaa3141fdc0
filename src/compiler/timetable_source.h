// The readable form of a timetable: the tables of the source folder, parsed or to be written.
// The compiler turns it into the binary data files; the dumper rebuilds it from a loaded
// database. The text formats are described in docs/formats.md.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "db/records.h"

namespace zelvan {

class TimetableDb;

// How a station's record in S*.dat is made.
enum class StationListKind : int {
    Derived = 0,   // "*": the trains that call there, in train-index order, each once
    Explicit = 1,  // a list of train numbers, stored as given (may repeat, may be empty)
    NoRecord = 2,  // "!": the station has no record at all
};

struct SourceStation {
    std::u16string name;
    StationListKind listKind = StationListKind::Derived;
    std::vector<std::u16string> trains;  // Explicit only
    int line = 0;                        // source line, for messages
};

struct SourceStop {
    std::u16string station;  // a station name, or "#<index>"
    int arrivalHour = 0;
    int arrivalMinute = 0;
    int dwellMinutes = 0;
    int distanceKm = 0;
    int line = 0;
};

struct SourceTrain {
    std::u16string name;  // single-byte characters only (each unit below 256)
    int kindCode = 0;
    int fareFactor = 0;
    DateKey validFrom = 0;
    DateKey validUntil = 0;
    int ruleNumber = 0;
    std::vector<SourceStop> stops;
    int line = 0;
};

struct SourceCode {
    std::u16string code;
    std::u16string name;
    int line = 0;
};

struct SourceAd {
    std::u16string title;
    std::u16string link;
    int line = 0;
};

struct TimetableSource {
    std::vector<SourceStation> stations;  // station index order
    std::vector<SourceTrain> trains;      // any order; the compiler sorts them
    std::vector<SourceCode> codes;        // name.txt order
    std::vector<std::u16string> rules;    // t.rule lines, without line breaks
    std::vector<SourceAd> ads;            // ads.txt order
    std::string version;                  // ver.txt, verbatim bytes
    bool hasVersion = false;
    bool hasCodes = false;
    bool hasAds = false;
    bool hasRules = false;
    // The optional tables beyond the record files (t.days, t.more, ...: extensionFileNames()),
    // file name -> bytes, the same in the source folder and the data folder.
    std::map<std::string, std::string> extensions;
};

// Reads the source folder. On failure `error` says "file:line: what is wrong".
bool readTimetableSource(const std::filesystem::path& sourceFolder, TimetableSource& source,
                         std::string& error);
// Writes the source folder (canonical form: what readTimetableSource reads back unchanged).
bool writeTimetableSource(const TimetableSource& source, const std::filesystem::path& sourceFolder,
                          std::string& error);

// The word list that gives station names their pinyin when none is named: the simplified
// pinyin dictionary of Debian's rime-data-pinyin-simp (set at build time).
std::filesystem::path defaultPinyinDictionary();

struct CompileOptions {
    // The word list read for pinyin.txt; empty: no pinyin.txt is written.
    std::filesystem::path pinyinDictionary = defaultPinyinDictionary();
    // True: a word list that cannot be read fails the build. False: pinyin.txt is then left out
    // (the timetable works without it) and `pinyinSkipped` is set.
    bool pinyinRequired = false;
    bool* pinyinSkipped = nullptr;
    // The wide form of the record files even for a timetable the narrow form holds (tests and
    // fuzz seeds: a small wide timetable); a larger one is always written wide.
    bool wideRecords = false;
};

// Checks every limit of the binary formats and writes all data files into `dataFolder`.
bool writeDataFiles(const TimetableSource& source, const std::filesystem::path& dataFolder,
                    std::string& error, const CompileOptions& options = {});
// readTimetableSource + writeDataFiles.
bool compileTimetable(const std::filesystem::path& sourceFolder,
                      const std::filesystem::path& dataFolder, std::string& error,
                      const CompileOptions& options = {});

// Rebuilds the source form of a loaded database (its version from ver.txt of its folder).
TimetableSource dumpTimetable(const TimetableDb& db);
// dumpTimetable + writeTimetableSource.
bool dumpTimetableTo(const TimetableDb& db, const std::filesystem::path& sourceFolder,
                     std::string& error);

// For tests: writes `files` (file name -> UTF-8 content) into a temporary source folder,
// compiles it into `dataFolder` and removes the source folder again.
bool compileSourceText(const std::map<std::string, std::string>& files,
                       const std::filesystem::path& dataFolder, std::string& error);

}  // namespace zelvan
