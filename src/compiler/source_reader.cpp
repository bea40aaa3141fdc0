// Reading a timetable source folder: UTF-8 tables with a header line (stations, trains, stops,
// codes, ads), the running rules one per line, and the version file taken byte for byte.
// Only the syntax is checked here; the limits of the data files are checked when they are
// written.
#include <climits>
#include <fstream>
#include <iterator>
#include <unordered_map>

#include "compiler/compiler_p.h"
#include "db/text.h"
#include "db/timetable_extensions.h"

namespace zelvan {
namespace {

using namespace compiler;
namespace fs = std::filesystem;

enum class FileState { Read, Missing, Unreadable };

FileState readFile(const fs::path& path, std::string& bytes) {
    std::error_code ec;
    fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found) return FileState::Missing;
    if (ec || fs::is_directory(status)) return FileState::Unreadable;
    std::ifstream in(path, std::ios::binary);
    if (!in) return FileState::Unreadable;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return in.bad() ? FileState::Unreadable : FileState::Read;
}

// Reads an optional or required file; false with a message when it is required and missing,
// or present and unreadable.
bool readSourceFile(const fs::path& folder, std::string_view file, bool required, bool& present,
                    std::string& bytes, std::string& error) {
    present = false;
    switch (readFile(folder / file, bytes)) {
        case FileState::Read:
            present = true;
            return true;
        case FileState::Missing:
            if (!required) return true;
            error = messageAt(file, 0) + "the file is missing (it is required)";
            return false;
        case FileState::Unreadable:
            break;
    }
    error = messageAt(file, 0) + "the file cannot be read";
    return false;
}

struct Line {
    int number = 0;
    std::u16string text;
};

// The lines of a UTF-8 text: a leading byte-order mark is skipped, a line ends at LF (a CR
// before it is dropped), and a last line without LF still counts.
bool splitLines(std::string_view file, const std::string& bytes, std::vector<Line>& lines,
                std::string& error) {
    std::size_t pos = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    int number = 0;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find('\n', pos);
        if (end == std::string::npos) end = bytes.size();
        std::string_view line(bytes.data() + pos, end - pos);
        pos = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const char* problem = nullptr;
        if (line.find('\r') != std::string_view::npos) problem = "carriage return inside the line";
        if (line.find('\0') != std::string_view::npos) problem = "NUL character in the line";
        if (!isValidUtf8(line)) problem = "the line is not valid UTF-8";
        if (problem) {
            error = messageAt(file, number) + problem;
            return false;
        }
        lines.push_back({number, fromUtf8(line)});
    }
    return true;
}

std::vector<std::u16string> splitAt(const std::u16string& text, char16_t separator) {
    std::vector<std::u16string> parts;
    std::size_t start = 0;
    while (true) {
        std::size_t end = text.find(separator, start);
        if (end == std::u16string::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

struct Row {
    int line = 0;
    std::vector<std::u16string> fields;
};

std::string columnList(const std::string_view* columns, std::size_t count) {
    std::string list;
    for (std::size_t i = 0; i < count; ++i) list += (i ? ", " : "") + std::string(columns[i]);
    return list;
}

// Reads one table: lines that are empty or start with "#" are skipped, the first other line
// must name exactly `columns`, and every later line must have exactly that many fields.
template <std::size_t N>
bool readTable(const fs::path& folder, std::string_view file,
               const std::array<std::string_view, N>& columns, bool required, bool& present,
               std::vector<Row>& rows, std::string& error) {
    std::string bytes;
    if (!readSourceFile(folder, file, required, present, bytes, error)) return false;
    if (!present) return true;
    std::vector<Line> lines;
    if (!splitLines(file, bytes, lines, error)) return false;
    bool headerSeen = false;
    for (const Line& line : lines) {
        if (line.text.empty() || line.text[0] == u'#') continue;
        std::vector<std::u16string> fields = splitAt(line.text, u'\t');
        if (!headerSeen) {
            bool same = fields.size() == N;
            for (std::size_t i = 0; same && i < N; ++i) same = toUtf8(fields[i]) == columns[i];
            if (!same) {
                error = messageAt(file, line.number) + "the header line must name the columns " +
                        columnList(columns.data(), N) + ", separated by tabs";
                return false;
            }
            headerSeen = true;
            continue;
        }
        if (fields.size() < N) {
            error = messageAt(file, line.number) + "missing column \"" +
                    std::string(columns[fields.size()]) + "\"";
            return false;
        }
        if (fields.size() > N) {
            error = messageAt(file, line.number) + "too many columns: expected " +
                    std::to_string(N) + " (" + columnList(columns.data(), N) + ")";
            return false;
        }
        rows.push_back({line.number, std::move(fields)});
    }
    if (!headerSeen) {
        error = messageAt(file, 0) + "the header line (" + columnList(columns.data(), N) +
                ") is missing";
        return false;
    }
    return true;
}

// A decimal integer with an optional "-" (or, when `hex` is set, "0x" and hex digits).
// "bad" is set when the text is no number, "large" when it does not fit an int.
enum class NumberResult { Ok, Bad, Large };

NumberResult parseNumber(std::u16string_view text, bool hex, int& value) {
    bool negative = false;
    int base = 10;
    if (hex && text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        base = 16;
        text.remove_prefix(2);
    } else if (!text.empty() && text[0] == u'-') {
        negative = true;
        text.remove_prefix(1);
    }
    if (text.empty()) return NumberResult::Bad;
    long long v = 0;
    bool large = false;
    for (char16_t c : text) {
        int digit = -1;
        if (c >= u'0' && c <= u'9') digit = c - u'0';
        if (base == 16 && c >= u'a' && c <= u'f') digit = c - u'a' + 10;
        if (base == 16 && c >= u'A' && c <= u'F') digit = c - u'A' + 10;
        if (digit < 0) return NumberResult::Bad;
        if (!large) v = v * base + digit;
        if (v > INT_MAX) large = true;
    }
    if (large) return NumberResult::Large;
    value = static_cast<int>(negative ? -v : v);
    return NumberResult::Ok;
}

// Parses field `what` of `row` as a number into `value`.
bool numberField(std::string_view file, const Row& row, std::size_t field, std::string_view what,
                 bool hex, int& value, std::string& error) {
    const std::u16string& text = row.fields[field];
    switch (parseNumber(text, hex, value)) {
        case NumberResult::Ok:
            return true;
        case NumberResult::Bad:
            error = messageAt(file, row.line) + std::string(what) + " " + inQuotes(text) +
                    " is not a number";
            return false;
        case NumberResult::Large:
            break;
    }
    error = messageAt(file, row.line) + std::string(what) + " " + inQuotes(text) + " is too large";
    return false;
}

// "HH:MM": digits, a colon, digits (the ranges are checked later).
bool parseArrival(std::string_view file, const Row& row, SourceStop& stop, std::string& error) {
    const std::u16string& text = row.fields[2];
    std::size_t colon = text.find(u':');
    bool ok = colon != std::u16string::npos && colon > 0 && colon + 1 < text.size();
    for (std::size_t i = 0; ok && i < text.size(); ++i) {
        ok = i == colon || (text[i] >= u'0' && text[i] <= u'9');
    }
    ok = ok && parseNumber(std::u16string_view(text).substr(0, colon), false, stop.arrivalHour) ==
                   NumberResult::Ok;
    ok = ok && parseNumber(std::u16string_view(text).substr(colon + 1), false,
                           stop.arrivalMinute) == NumberResult::Ok;
    if (!ok) error = messageAt(file, row.line) + "arrival " + inQuotes(text) + " is not HH:MM";
    return ok;
}

void parseStationList(const std::u16string& field, SourceStation& station) {
    std::vector<std::u16string> trains;
    for (std::u16string& piece : splitAt(field, u' ')) {
        if (!piece.empty()) trains.push_back(std::move(piece));
    }
    station.listKind = StationListKind::Derived;
    if (trains.empty() || (trains.size() == 1 && trains[0] == kDerivedMark)) return;
    if (trains.size() == 1 && trains[0] == kNoRecordMark) {
        station.listKind = StationListKind::NoRecord;
        return;
    }
    station.listKind = StationListKind::Explicit;
    if (trains.size() == 1 && trains[0] == kEmptyListMark) return;
    station.trains = std::move(trains);
}

bool readStations(const fs::path& folder, TimetableSource& source, std::string& error) {
    std::vector<Row> rows;
    bool present = false;
    if (!readTable(folder, kStationsFile, kStationColumns, true, present, rows, error)) {
        return false;
    }
    for (Row& row : rows) {
        SourceStation station;
        station.name = std::move(row.fields[0]);
        station.line = row.line;
        parseStationList(row.fields[1], station);
        source.stations.push_back(std::move(station));
    }
    return true;
}

bool readTrains(const fs::path& folder, TimetableSource& source, std::string& error) {
    std::vector<Row> rows;
    bool present = false;
    if (!readTable(folder, kTrainsFile, kTrainColumns, true, present, rows, error)) return false;
    for (Row& row : rows) {
        SourceTrain train;
        train.name = std::move(row.fields[0]);
        train.line = row.line;
        if (!numberField(kTrainsFile, row, 1, "kind", true, train.kindCode, error) ||
            !numberField(kTrainsFile, row, 2, "factor", false, train.fareFactor, error) ||
            !numberField(kTrainsFile, row, 3, "valid_from", false, train.validFrom, error) ||
            !numberField(kTrainsFile, row, 4, "valid_until", false, train.validUntil, error) ||
            !numberField(kTrainsFile, row, 5, "rule", false, train.ruleNumber, error)) {
            return false;
        }
        source.trains.push_back(std::move(train));
    }
    return true;
}

// Stops go to the first train of their number; a number listed twice is refused later.
bool readStops(const fs::path& folder, TimetableSource& source, std::string& error) {
    std::vector<Row> rows;
    bool present = false;
    if (!readTable(folder, kStopsFile, kStopColumns, true, present, rows, error)) return false;
    std::unordered_map<std::u16string, std::size_t> trainByName;
    for (std::size_t i = 0; i < source.trains.size(); ++i) {
        trainByName.emplace(source.trains[i].name, i);
    }
    for (Row& row : rows) {
        auto train = trainByName.find(row.fields[0]);
        if (train == trainByName.end()) {
            error = messageAt(kStopsFile, row.line) + "unknown train " + inQuotes(row.fields[0]) +
                    " (not in " + std::string(kTrainsFile) + ")";
            return false;
        }
        SourceStop stop;
        stop.station = std::move(row.fields[1]);
        stop.line = row.line;
        if (!parseArrival(kStopsFile, row, stop, error) ||
            !numberField(kStopsFile, row, 3, "dwell", false, stop.dwellMinutes, error) ||
            !numberField(kStopsFile, row, 4, "km", false, stop.distanceKm, error)) {
            return false;
        }
        source.trains[train->second].stops.push_back(std::move(stop));
    }
    return true;
}

bool readCodesAndAds(const fs::path& folder, TimetableSource& source, std::string& error) {
    std::vector<Row> rows;
    if (!readTable(folder, kCodesFile, kCodeColumns, false, source.hasCodes, rows, error)) {
        return false;
    }
    for (Row& row : rows) {
        source.codes.push_back({std::move(row.fields[0]), std::move(row.fields[1]), row.line});
    }
    rows.clear();
    if (!readTable(folder, kAdsFile, kAdColumns, false, source.hasAds, rows, error)) return false;
    for (Row& row : rows) {
        source.ads.push_back({std::move(row.fields[0]), std::move(row.fields[1]), row.line});
    }
    return true;
}

// Every line of rules.txt is a rule: line k + 1 holds rule k, so nothing is skipped.
bool readRules(const fs::path& folder, TimetableSource& source, std::string& error) {
    std::string bytes;
    if (!readSourceFile(folder, kRulesFile, false, source.hasRules, bytes, error)) return false;
    std::vector<Line> lines;
    if (!splitLines(kRulesFile, bytes, lines, error)) return false;
    for (Line& line : lines) source.rules.push_back(std::move(line.text));
    return true;
}

}  // namespace

bool readTimetableSource(const fs::path& sourceFolder, TimetableSource& source,
                         std::string& error) {
    source = TimetableSource{};
    error.clear();
    std::error_code ec;
    if (!fs::is_directory(sourceFolder, ec)) {
        error = "source folder " + sourceFolder.string() + " does not exist";
        return false;
    }
    if (!readStations(sourceFolder, source, error) || !readTrains(sourceFolder, source, error) ||
        !readStops(sourceFolder, source, error) || !readCodesAndAds(sourceFolder, source, error) ||
        !readRules(sourceFolder, source, error)) {
        return false;
    }
    if (!readSourceFile(sourceFolder, kVersionFile, false, source.hasVersion, source.version,
                        error)) {
        return false;
    }
    for (const std::string& name : extensionFileNames()) {
        bool present = false;
        std::string bytes;
        if (!readSourceFile(sourceFolder, name, false, present, bytes, error)) return false;
        if (!present) continue;
        if (!isValidUtf8(bytes)) {
            error = messageAt(name, 0) + "the file is not UTF-8 text";
            return false;
        }
        source.extensions[name] = std::move(bytes);
    }
    return true;
}

}  // namespace zelvan
