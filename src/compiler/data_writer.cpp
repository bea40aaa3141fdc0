// Writing the binary data files from a checked source: the name lists s.i and t.i, the record
// files (S0-S9.dat and T0-T19.dat, or for a timetable too large for them S.dat and T.dat),
// t.rule, name.txt, ads.txt, ver.txt and pinyin.txt. The layouts are the ones the loader reads
// (docs/formats.md); every number in a record is written in base 128 so that only the byte
// ending a record is 0x80.
#include <algorithm>
#include <climits>
#include <numeric>

#include "compiler/compiler_p.h"
#include "db/text.h"
#include "db/timetable_db.h"

namespace zelvan {
namespace {

using namespace compiler;

constexpr char kRecordEnd = '\x80';

// Two base-128 digits, the high one first (indices, distances).
void putPair(std::string& out, int value) {
    out.push_back(static_cast<char>(value >> 7 & 0x7F));
    out.push_back(static_cast<char>(value & 0x7F));
}

// `digits` base-128 digits, the high one first (an index).
void putIndex(std::string& out, int value, int digits) {
    for (int d = digits - 1; d >= 0; --d) out.push_back(static_cast<char>(value >> (7 * d) & 0x7F));
}

void put32(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
}

// Four base-128 digits, the least significant one first (dates).
void putDate(std::string& out, int value) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>(value & 0x7F));
        value >>= 7;
    }
}

// s.i / t.i: 2 bytes that the loader does not read (we put the entry count there, big-endian,
// clipped to 65535), then per name a 2-byte big-endian length and the bytes, then a
// zero-length entry that ends the list.
std::string nameList(const std::vector<std::string>& names) {
    std::string out;
    const std::size_t count = std::min<std::size_t>(names.size(), 0xFFFF);
    out.push_back(static_cast<char>(count >> 8));
    out.push_back(static_cast<char>(count & 0xFF));
    for (const std::string& name : names) {
        out.push_back(static_cast<char>(name.size() >> 8));
        out.push_back(static_cast<char>(name.size() & 0xFF));
        out += name;
    }
    out.append(2, '\0');
    return out;
}

// Train record: index, kind, factor, valid from, valid until, rule, the stops (station,
// arrival hour, minute, dwell, distance), 0x80. Indices have `digits` digits.
void appendTrainRecord(std::string& out, int trainIndex, const SourceTrain& train,
                       const std::vector<int>& stations, int digits = 2) {
    putIndex(out, trainIndex, digits);
    out.push_back(static_cast<char>(train.kindCode));
    out.push_back(static_cast<char>(train.fareFactor));
    putDate(out, train.validFrom);
    putDate(out, train.validUntil);
    out.push_back(static_cast<char>(train.ruleNumber));
    for (std::size_t k = 0; k < train.stops.size(); ++k) {
        const SourceStop& stop = train.stops[k];
        putIndex(out, stations[k], digits);
        out.push_back(static_cast<char>(stop.arrivalHour));
        out.push_back(static_cast<char>(stop.arrivalMinute));
        out.push_back(static_cast<char>(stop.dwellMinutes));
        putPair(out, stop.distanceKm);
    }
    out.push_back(kRecordEnd);
}

// Station record: index, the trains' indices, 0x80. Indices have `digits` digits.
void appendStationRecord(std::string& out, int stationIndex, const std::vector<int>& trains,
                         int digits = 2) {
    putIndex(out, stationIndex, digits);
    for (int t : trains) putIndex(out, t, digits);
    out.push_back(kRecordEnd);
}

// Where each entry's name bytes begin in the name list nameList writes.
std::vector<std::uint32_t> nameOffsets(const std::vector<std::string>& names) {
    std::vector<std::uint32_t> offsets;
    offsets.reserve(names.size());
    std::uint64_t at = 2;
    for (const std::string& name : names) {
        offsets.push_back(static_cast<std::uint32_t>(at + 2));
        at += 2 + name.size();
    }
    return offsets;
}

// A wide record file: magic, count, record offsets, name offsets, [the stations in name order],
// then the records (db/record_layout.h). False when it would not fit in the 2 GB a data file may
// take.
bool writeWideRecordFile(const std::vector<std::string>& records,
                         const std::vector<std::uint32_t>& names,
                         const std::vector<std::uint32_t>* byName, int digits, std::string& out) {
    const std::uint64_t count = records.size();
    std::uint64_t start = 8 + 4 * (count + 1) + 4 * count + (byName ? 4 * count : 0);
    std::uint64_t total = start;
    for (const std::string& record : records) total += record.size();
    if (total > static_cast<std::uint64_t>(INT32_MAX - 2)) return false;
    out.clear();
    out.reserve(total);
    out.push_back(kRecordEnd);
    out += "ZW";
    out.push_back(static_cast<char>('0' + digits));
    put32(out, static_cast<std::uint32_t>(count));
    for (const std::string& record : records) {
        put32(out, static_cast<std::uint32_t>(start));
        start += record.size();
    }
    put32(out, static_cast<std::uint32_t>(start));
    for (const std::uint32_t offset : names) put32(out, offset);
    if (byName) {
        for (const std::uint32_t station : *byName) put32(out, station);
    }
    for (const std::string& record : records) out += record;
    return true;
}

// name.txt / ads.txt: UTF-16LE with a byte-order mark, one "first<TAB>second" pair a line,
// lines ended by CR LF.
std::string utf16Pairs(const std::vector<std::pair<std::u16string, std::u16string>>& pairs) {
    std::u16string text = u"\uFEFF";
    for (const auto& [first, second] : pairs) text += first + u"\t" + second + u"\r\n";
    std::string out;
    out.reserve(text.size() * 2);
    for (char16_t c : text) {
        out.push_back(static_cast<char>(c & 0xFF));
        out.push_back(static_cast<char>(c >> 8));
    }
    return out;
}

std::string recordFileName(char letter, int number) {
    return std::string(1, letter) + std::to_string(number) + ".dat";
}

// A per-train or per-station table (t.days, t.more, t.stops, s.more) with its lines in the order
// of their first field, a train or station index, stably: a wide timetable's reader finds a line
// by a binary search. The header stays first; a line without a number there sorts first.
std::string sortedTable(const std::string& text) {
    const std::size_t headerEnd = text.find('\n');
    if (headerEnd == std::string::npos) return text;
    std::vector<std::pair<long long, std::string_view>> lines;
    const std::string_view body = std::string_view(text).substr(headerEnd + 1);
    for (std::size_t at = 0; at < body.size();) {
        std::size_t end = body.find('\n', at);
        if (end == std::string_view::npos) end = body.size();
        const std::string_view line = body.substr(at, end - at);
        at = end + 1;
        if (line.empty() || line == "\r") continue;
        long long key = -1;
        const std::size_t tab = line.find('\t');
        const std::string_view first = line.substr(0, tab);
        if (!first.empty() && first.size() < 12 &&
            std::all_of(first.begin(), first.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            key = std::stoll(std::string(first));
        }
        lines.emplace_back(key, line);
    }
    std::stable_sort(lines.begin(), lines.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string out = text.substr(0, headerEnd + 1);
    out.reserve(text.size() + 1);
    for (const auto& [key, line] : lines) {
        out += line;
        out += '\n';
    }
    return out;
}

bool isKeyedTable(const std::string& name) {
    return name == "t.days" || name == "t.more" || name == "t.stops" || name == "s.more";
}

// True when the timetable is too large for the narrow record files.
bool needsWideForm(const TimetableSource& source, const ResolvedTimetable& r) {
    return source.stations.size() > static_cast<std::size_t>(kNarrowIndexLimit) ||
           r.trains.size() > static_cast<std::size_t>(kNarrowIndexLimit);
}

bool dataFiles(const TimetableSource& source, const ResolvedTimetable& r,
               std::vector<OutputFile>& files, std::string& error) {
    std::vector<std::string> stationNames;
    for (const SourceStation& station : source.stations) {
        stationNames.push_back(toUtf8(station.name));
    }
    files.push_back({"s.i", nameList(stationNames)});
    std::vector<std::string> numbers;
    for (const SourceTrain* train : r.trains) {
        // Single-byte text: each code unit (checked below 256) is one byte.
        std::string bytes;
        for (char16_t c : train->name) bytes.push_back(static_cast<char>(c));
        numbers.push_back(std::move(bytes));
    }
    files.push_back({"t.i", nameList(numbers)});

    if (needsWideForm(source, r)) {
        const std::size_t most = std::max(source.stations.size(), r.trains.size());
        const int digits = most <= 128u * 128 * 128 ? 3 : 4;
        std::vector<std::string> records(r.stationTrains.size());
        for (std::size_t s = 0; s < r.stationTrains.size(); ++s) {
            if (r.stationTrains[s]) {
                appendStationRecord(records[s], static_cast<int>(s), *r.stationTrains[s], digits);
            }
        }
        // Stations in the order of their names' bytes, ties by index: a lookup by name is a
        // binary search.
        std::vector<std::uint32_t> byName(source.stations.size());
        std::iota(byName.begin(), byName.end(), 0u);
        std::stable_sort(byName.begin(), byName.end(), [&](std::uint32_t a, std::uint32_t b) {
            return stationNames[a] < stationNames[b];
        });
        std::string stations;
        if (!writeWideRecordFile(records, nameOffsets(stationNames), &byName, digits, stations)) {
            error = "the station records take more than 2 GB";
            return false;
        }
        records.assign(r.trains.size(), std::string());
        for (std::size_t t = 0; t < r.trains.size(); ++t) {
            appendTrainRecord(records[t], static_cast<int>(t), *r.trains[t], r.stopStations[t],
                              digits);
        }
        std::string trains;
        if (!writeWideRecordFile(records, nameOffsets(numbers), nullptr, digits, trains)) {
            error = "the train records take more than 2 GB";
            return false;
        }
        files.push_back({kWideStationFile, std::move(stations)});
        files.push_back({kWideTrainFile, std::move(trains)});
    } else {
        // Records in ascending index within each file: index i goes to file (i + 1) mod count.
        std::vector<std::string> stationFiles(kStationFileCount);
        for (std::size_t s = 0; s < r.stationTrains.size(); ++s) {
            if (!r.stationTrains[s]) continue;
            appendStationRecord(stationFiles[(s + 1) % kStationFileCount], static_cast<int>(s),
                                *r.stationTrains[s]);
        }
        std::vector<std::string> trainFiles(kTrainFileCount);
        for (std::size_t t = 0; t < r.trains.size(); ++t) {
            appendTrainRecord(trainFiles[(t + 1) % kTrainFileCount], static_cast<int>(t),
                              *r.trains[t], r.stopStations[t]);
        }
        for (int i = 0; i < kStationFileCount; ++i) {
            files.push_back({recordFileName('S', i), std::move(stationFiles[i])});
        }
        for (int i = 0; i < kTrainFileCount; ++i) {
            files.push_back({recordFileName('T', i), std::move(trainFiles[i])});
        }
    }

    if (source.hasRules) {
        // The loader reads t.rule in text mode; LF alone ends a line.
        std::string text;
        for (const std::string& rule : r.rules) text += rule + "\n";
        files.push_back({"t.rule", std::move(text)});
    }
    if (source.hasCodes) {
        std::vector<std::pair<std::u16string, std::u16string>> pairs;
        for (const SourceCode& code : source.codes) pairs.emplace_back(code.name, code.code);
        files.push_back({"name.txt", utf16Pairs(pairs)});
    }
    if (source.hasAds) {
        std::vector<std::pair<std::u16string, std::u16string>> pairs;
        for (const SourceAd& ad : source.ads) pairs.emplace_back(ad.title, ad.link);
        files.push_back({"ads.txt", utf16Pairs(pairs)});
    }
    if (source.hasVersion) files.push_back({"ver.txt", source.version});
    const bool wide = needsWideForm(source, r);
    for (const auto& [name, bytes] : source.extensions) {
        files.push_back({name, wide && isKeyedTable(name) ? sortedTable(bytes) : bytes});
    }
    return true;
}

}  // namespace

bool writeDataFiles(const TimetableSource& source, const std::filesystem::path& dataFolder,
                    std::string& error, const CompileOptions& options) {
    ResolvedTimetable resolved;
    if (!resolveTimetable(source, resolved, error)) return false;
    std::vector<OutputFile> files;
    if (!dataFiles(source, resolved, files, error)) return false;
    bool pinyin = false;
    if (options.pinyinSkipped) *options.pinyinSkipped = false;
    if (!options.pinyinDictionary.empty()) {
        PinyinDictionary dictionary;
        std::string problem;
        if (dictionary.read(options.pinyinDictionary, problem)) {
            files.push_back({"pinyin.txt", pinyinFile(source, dictionary)});
            pinyin = true;
        } else if (options.pinyinRequired) {
            error = problem;
            return false;
        } else if (options.pinyinSkipped) {
            *options.pinyinSkipped = true;
        }
    }
    // An optional table that the source does not have must not survive from an older build,
    // nor the record files of the other form.
    std::vector<std::string> stale;
    if (needsWideForm(source, resolved)) {
        for (int i = 0; i < kStationFileCount; ++i) stale.push_back(recordFileName('S', i));
        for (int i = 0; i < kTrainFileCount; ++i) stale.push_back(recordFileName('T', i));
    } else {
        stale.push_back(kWideStationFile);
        stale.push_back(kWideTrainFile);
    }
    if (!source.hasRules) stale.push_back("t.rule");
    if (!source.hasCodes) stale.push_back("name.txt");
    if (!source.hasAds) stale.push_back("ads.txt");
    if (!source.hasVersion) stale.push_back("ver.txt");
    if (!pinyin) stale.push_back("pinyin.txt");
    for (const std::string& name : extensionFileNames()) {
        if (source.extensions.count(name) == 0) stale.push_back(name);
    }
    return replaceFiles(dataFolder, files, stale, error);
}

}  // namespace zelvan
