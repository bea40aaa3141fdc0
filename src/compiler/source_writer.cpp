// Writing a timetable source folder in its canonical form: the header line, one line per
// station, train, stop, code and ad, kind codes as 0xNN, times as HH:MM, LF line ends. What is
// written reads back unchanged; anything that could not (a tab inside a field, a first field
// starting with "#", ...) is refused instead.
#include <cstdio>
#include <unordered_set>

#include "compiler/compiler_p.h"
#include "db/text.h"
#include "db/timetable_extensions.h"

namespace zelvan {
namespace {

using namespace compiler;

template <std::size_t N>
std::string headerLine(const std::array<std::string_view, N>& columns) {
    std::string line;
    for (std::size_t i = 0; i < N; ++i) line += (i ? "\t" : "") + std::string(columns[i]);
    return line + "\n";
}

// Collects the lines of one file and refuses fields that would not read back.
struct TableText {
    std::string_view file;
    std::string& error;
    std::string text;

    // A field of a line; `first` fields must not start with "#" (the line would be a comment).
    bool field(int line, const char* what, std::u16string_view value, bool first) {
        std::string problem = fieldProblem(value);
        if (problem.empty() && first && !value.empty() && value[0] == u'#') {
            problem = "starts with \"#\"";
        }
        if (problem.empty()) {
            text += toUtf8(value);
            return true;
        }
        error = messageAt(file, line) + "cannot write " + what + " " + inQuotes(value) + ": it " +
                problem;
        return false;
    }
    void tab() { text += '\t'; }
    void number(int value) { text += std::to_string(value); }
    void end() { text += '\n'; }
};

// The `trains` field of a station: "*", "!", "-" or the train numbers separated by spaces.
bool stationList(const SourceStation& station, TableText& table) {
    switch (station.listKind) {
        case StationListKind::Derived:
            table.text += toUtf8(kDerivedMark);
            return true;
        case StationListKind::NoRecord:
            table.text += toUtf8(kNoRecordMark);
            return true;
        case StationListKind::Explicit:
            break;
        default:
            table.error = messageAt(table.file, station.line) + "unknown list kind";
            return false;
    }
    if (station.trains.empty()) {
        table.text += toUtf8(kEmptyListMark);
        return true;
    }
    for (std::size_t i = 0; i < station.trains.size(); ++i) {
        const std::u16string& train = station.trains[i];
        bool marker = station.trains.size() == 1 &&
                      (train == kDerivedMark || train == kNoRecordMark || train == kEmptyListMark);
        if (train.empty() || marker || train.find(u' ') != std::u16string::npos) {
            table.error = messageAt(table.file, station.line) + "cannot list train " +
                          inQuotes(train) + " in the trains of station " + inQuotes(station.name);
            return false;
        }
        if (i) table.text += ' ';
        if (!table.field(station.line, "train", train, false)) return false;
    }
    return true;
}

bool stationsText(const TimetableSource& source, std::string& text, std::string& error) {
    TableText table{kStationsFile, error, headerLine(kStationColumns)};
    for (const SourceStation& station : source.stations) {
        if (!table.field(station.line, "station name", station.name, true)) return false;
        table.tab();
        if (!stationList(station, table)) return false;
        table.end();
    }
    text = std::move(table.text);
    return true;
}

bool trainsText(const TimetableSource& source, std::string& text, std::string& error) {
    TableText table{kTrainsFile, error, headerLine(kTrainColumns)};
    std::unordered_set<std::u16string> seen;
    for (const SourceTrain& train : source.trains) {
        // Stops attach to the first train of a number when read back.
        if (!seen.insert(train.name).second) {
            error = messageAt(kTrainsFile, train.line) + "cannot write train " +
                    inQuotes(train.name) + " twice";
            return false;
        }
        if (!table.field(train.line, "train", train.name, true)) return false;
        table.tab();
        if (train.kindCode >= 0) {
            char kind[16];
            std::snprintf(kind, sizeof kind, "0x%02X", static_cast<unsigned>(train.kindCode));
            table.text += kind;
        } else {
            table.number(train.kindCode);
        }
        for (int value : {train.fareFactor, train.validFrom, train.validUntil, train.ruleNumber}) {
            table.tab();
            table.number(value);
        }
        table.end();
    }
    text = std::move(table.text);
    return true;
}

bool stopsText(const TimetableSource& source, std::string& text, std::string& error) {
    TableText table{kStopsFile, error, headerLine(kStopColumns)};
    for (const SourceTrain& train : source.trains) {
        for (const SourceStop& stop : train.stops) {
            if (!table.field(stop.line, "train", train.name, true)) return false;
            table.tab();
            if (!table.field(stop.line, "station", stop.station, false)) return false;
            if (stop.arrivalHour < 0 || stop.arrivalMinute < 0) {
                error = messageAt(kStopsFile, stop.line) + "cannot write a negative arrival time";
                return false;
            }
            char arrival[32];
            std::snprintf(arrival, sizeof arrival, "\t%02d:%02d\t", stop.arrivalHour,
                          stop.arrivalMinute);
            table.text += arrival;
            table.number(stop.dwellMinutes);
            table.tab();
            table.number(stop.distanceKm);
            table.end();
        }
    }
    text = std::move(table.text);
    return true;
}

bool pairsText(std::string_view file, const std::string& header, const char* firstWhat,
               const char* secondWhat,
               const std::vector<std::pair<const std::u16string*, const std::u16string*>>& pairs,
               const std::vector<int>& lines, std::string& text, std::string& error) {
    TableText table{file, error, header};
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        if (!table.field(lines[i], firstWhat, *pairs[i].first, true)) return false;
        table.tab();
        if (!table.field(lines[i], secondWhat, *pairs[i].second, false)) return false;
        table.end();
    }
    text = std::move(table.text);
    return true;
}

bool rulesText(const TimetableSource& source, std::string& text, std::string& error) {
    TableText table{kRulesFile, error, {}};
    for (std::size_t k = 0; k < source.rules.size(); ++k) {
        if (!table.field(static_cast<int>(k) + 1, "rule", source.rules[k], false)) return false;
        table.end();
    }
    text = std::move(table.text);
    return true;
}

}  // namespace

bool writeTimetableSource(const TimetableSource& source, const std::filesystem::path& sourceFolder,
                          std::string& error) {
    error.clear();
    std::vector<OutputFile> files(3);
    files[0].name = kStationsFile;
    files[1].name = kTrainsFile;
    files[2].name = kStopsFile;
    if (!stationsText(source, files[0].bytes, error) ||
        !trainsText(source, files[1].bytes, error) || !stopsText(source, files[2].bytes, error)) {
        return false;
    }
    std::vector<std::string> stale;
    auto optional = [&](bool present, std::string_view name) {
        if (present) {
            files.push_back({std::string(name), {}});
        } else {
            stale.emplace_back(name);
        }
        return present;
    };
    if (optional(source.hasCodes, kCodesFile)) {
        std::vector<std::pair<const std::u16string*, const std::u16string*>> pairs;
        std::vector<int> lines;
        for (const SourceCode& code : source.codes) {
            pairs.emplace_back(&code.code, &code.name);
            lines.push_back(code.line);
        }
        if (!pairsText(kCodesFile, headerLine(kCodeColumns), "code", "station name", pairs, lines,
                       files.back().bytes, error)) {
            return false;
        }
    }
    if (optional(source.hasRules, kRulesFile) && !rulesText(source, files.back().bytes, error)) {
        return false;
    }
    if (optional(source.hasAds, kAdsFile)) {
        std::vector<std::pair<const std::u16string*, const std::u16string*>> pairs;
        std::vector<int> lines;
        for (const SourceAd& ad : source.ads) {
            pairs.emplace_back(&ad.title, &ad.link);
            lines.push_back(ad.line);
        }
        if (!pairsText(kAdsFile, headerLine(kAdColumns), "title", "link", pairs, lines,
                       files.back().bytes, error)) {
            return false;
        }
    }
    if (optional(source.hasVersion, kVersionFile)) files.back().bytes = source.version;
    for (const std::string& name : extensionFileNames()) {
        auto it = source.extensions.find(name);
        if (optional(it != source.extensions.end(), name)) files.back().bytes = it->second;
    }
    return replaceFiles(sourceFolder, files, stale, error);
}

}  // namespace zelvan
