// Writing the binary data files from a checked source: the name lists s.i and t.i, the record
// files S0-S9.dat and T0-T19.dat, t.rule, name.txt, ads.txt, ver.txt and pinyin.txt. The layouts
// are the ones the loader reads (docs/formats.md); every number in a record is written in base 128
// so that only the byte ending a record is 0x80.
#include <algorithm>

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

// Train record: index, kind, factor, valid from, valid until, rule, 7 bytes per stop, 0x80.
void appendTrainRecord(std::string& out, int trainIndex, const SourceTrain& train,
                       const std::vector<int>& stations) {
    putPair(out, trainIndex);
    out.push_back(static_cast<char>(train.kindCode));
    out.push_back(static_cast<char>(train.fareFactor));
    putDate(out, train.validFrom);
    putDate(out, train.validUntil);
    out.push_back(static_cast<char>(train.ruleNumber));
    for (std::size_t k = 0; k < train.stops.size(); ++k) {
        const SourceStop& stop = train.stops[k];
        putPair(out, stations[k]);
        out.push_back(static_cast<char>(stop.arrivalHour));
        out.push_back(static_cast<char>(stop.arrivalMinute));
        out.push_back(static_cast<char>(stop.dwellMinutes));
        putPair(out, stop.distanceKm);
    }
    out.push_back(kRecordEnd);
}

// Station record: index, 2 bytes per train, 0x80.
void appendStationRecord(std::string& out, int stationIndex, const std::vector<int>& trains) {
    putPair(out, stationIndex);
    for (int t : trains) putPair(out, t);
    out.push_back(kRecordEnd);
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

std::vector<OutputFile> dataFiles(const TimetableSource& source, const ResolvedTimetable& r) {
    std::vector<OutputFile> files;

    std::vector<std::string> names;
    for (const SourceStation& station : source.stations) names.push_back(toUtf8(station.name));
    files.push_back({"s.i", nameList(names)});
    names.clear();
    for (const SourceTrain* train : r.trains) {
        // Single-byte text: each code unit (checked below 256) is one byte.
        std::string bytes;
        for (char16_t c : train->name) bytes.push_back(static_cast<char>(c));
        names.push_back(std::move(bytes));
    }
    files.push_back({"t.i", nameList(names)});

    // Records in ascending index within each file: index i goes to file (i + 1) mod count.
    std::vector<std::string> stationFiles(kStationFileCount);
    for (std::size_t s = 0; s < r.stationTrains.size(); ++s) {
        if (!r.stationTrains[s]) continue;
        appendStationRecord(stationFiles[(s + 1) % kStationFileCount], static_cast<int>(s),
                            *r.stationTrains[s]);
    }
    std::vector<std::string> trainFiles(kTrainFileCount);
    for (std::size_t t = 0; t < r.trains.size(); ++t) {
        appendTrainRecord(trainFiles[(t + 1) % kTrainFileCount], static_cast<int>(t), *r.trains[t],
                          r.stopStations[t]);
    }
    for (int i = 0; i < kStationFileCount; ++i) {
        files.push_back({recordFileName('S', i), std::move(stationFiles[i])});
    }
    for (int i = 0; i < kTrainFileCount; ++i) {
        files.push_back({recordFileName('T', i), std::move(trainFiles[i])});
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
    for (const auto& [name, bytes] : source.extensions) files.push_back({name, bytes});
    return files;
}

}  // namespace

bool writeDataFiles(const TimetableSource& source, const std::filesystem::path& dataFolder,
                    std::string& error, const CompileOptions& options) {
    ResolvedTimetable resolved;
    if (!resolveTimetable(source, resolved, error)) return false;
    std::vector<OutputFile> files = dataFiles(source, resolved);
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
    // An optional table that the source does not have must not survive from an older build.
    std::vector<std::string> stale;
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
