// Internals shared by the timetable compiler and dumper: the source file names and columns,
// message prefixes, text checks, the resolved (indexed) form of a source and file output.
// Not for use outside src/compiler.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "compiler/timetable_source.h"

namespace zelvan::compiler {

inline constexpr std::string_view kStationsFile = "stations.tsv";
inline constexpr std::string_view kTrainsFile = "trains.tsv";
inline constexpr std::string_view kStopsFile = "stops.tsv";
inline constexpr std::string_view kCodesFile = "codes.tsv";
inline constexpr std::string_view kRulesFile = "rules.txt";
inline constexpr std::string_view kAdsFile = "ads.tsv";
inline constexpr std::string_view kVersionFile = "version.txt";

// Header columns of the .tsv files, in their required order.
inline constexpr std::array<std::string_view, 2> kStationColumns = {"name", "trains"};
inline constexpr std::array<std::string_view, 6> kTrainColumns = {
    "train", "kind", "factor", "valid_from", "valid_until", "rule"};
inline constexpr std::array<std::string_view, 5> kStopColumns = {"train", "station", "arrival",
                                                                 "dwell", "km"};
inline constexpr std::array<std::string_view, 2> kCodeColumns = {"code", "name"};
inline constexpr std::array<std::string_view, 2> kAdColumns = {"title", "link"};

// The `trains` markers of stations.tsv.
inline constexpr std::u16string_view kDerivedMark = u"*";
inline constexpr std::u16string_view kEmptyListMark = u"-";
inline constexpr std::u16string_view kNoRecordMark = u"!";

// "file:line: " or, when the line is unknown (a source built in memory), "file: ".
std::string messageAt(std::string_view file, int line);
// `text` in double quotes for a message: UTF-8, control characters as \xNN, long text cut.
std::string inQuotes(std::u16string_view text);
// Why `text` cannot stand in one field of a source line (a tab, a line break, a NUL, an
// unpaired surrogate); empty when it can.
std::string fieldProblem(std::u16string_view text);
// True when `bytes` is well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool isValidUtf8(std::string_view bytes);

// A source with every name resolved to its index and every limit of the binary files checked.
struct ResolvedTimetable {
    std::vector<const SourceTrain*> trains;      // train index (rank by name) -> train
    std::vector<std::vector<int>> stopStations;  // train index -> station index of each stop
    // station index -> the train indices its record lists; none: the station has no record
    std::vector<std::optional<std::vector<int>>> stationTrains;
    std::vector<std::string> rules;  // rule number -> line of t.rule in GBK, no line break
};
// Checks `source` against the limits of the data files and resolves it; false with a message
// "file:line: what is wrong" for the first thing the files cannot hold.
bool resolveTimetable(const TimetableSource& source, ResolvedTimetable& resolved,
                      std::string& error);

// A word list that gives Chinese words and characters their pinyin (see pinyin_writer.cpp).
class PinyinDictionary {
  public:
    // Reads the list at `path`; false with a message when it cannot be read or holds no word.
    bool read(const std::filesystem::path& path, std::string& error);
    // Adds the entries of a list's text (for tests: a few lines of the same format).
    void add(std::string_view text);
    // The readings of a station name, most used first, syllables separated by spaces; none
    // when a character of the name is not in the list.
    std::vector<std::string> readingsOf(std::u16string_view name) const;

  private:
    struct Reading {
        std::string syllables;
        long weight = 0;
    };
    std::unordered_map<std::u16string, std::vector<Reading>> words_;  // word -> readings
};

// The text of pinyin.txt: one line per station name (first occurrence, station order) that has
// readings, "name<TAB>reading<TAB>reading..." ended by LF.
std::string pinyinFile(const TimetableSource& source, const PinyinDictionary& dictionary);

// One file to write: its name inside the folder and its bytes.
struct OutputFile {
    std::string name;
    std::string bytes;
};
// Creates `folder` if needed and writes every file under a temporary name first; only when all
// were written are they renamed into place and the `stale` files removed. On failure nothing
// of the old contents is touched and the temporary files are gone.
bool replaceFiles(const std::filesystem::path& folder, const std::vector<OutputFile>& files,
                  const std::vector<std::string>& stale, std::string& error);

}  // namespace zelvan::compiler
