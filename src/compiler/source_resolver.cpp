// Checking a timetable source against the limits of the data files and resolving its names
// to indices: trains get their rank by number, stops their station index, station lists their
// train indices. Everything the files cannot hold, or that the loader would read back
// differently, is refused here, before any file is written.
#include <algorithm>
#include <unordered_map>

#include "compiler/compiler_p.h"
#include "db/product.h"
#include "db/text.h"
#include "db/wide_space.h"

namespace zelvan::compiler {
namespace {

// Distances are two base-128 digits; indices of trains and stations two in the narrow form and
// up to four in the wide one (db/record_layout.h).
constexpr int kIndexLimit = 128 * 128;
constexpr long long kWideIndexLimit = 128LL * 128 * 128 * 128;
constexpr int kSevenBitMax = 127;
constexpr int kDateMax = 128 * 128 * 128 * 128 - 1;
// The loader converts a station name into 511 UTF-16 units at most.
constexpr std::size_t kStationNameUnits = 511;
// Name-list entries carry a 2-byte length.
constexpr std::size_t kNameBytes = 65535;
// The loader reads t.rule in pieces of 255 bytes: a longer line (with its LF) would split.
constexpr std::size_t kRuleBytes = 254;

struct Checker {
    std::string& error;

    bool fail(std::string_view file, int line, const std::string& what) {
        error = messageAt(file, line) + what;
        return false;
    }
    // `value` within [low, high], else a message "what V is outside low-high".
    bool range(std::string_view file, int line, const std::string& subject, const char* what,
               int value, int low, int high) {
        if (value >= low && value <= high) return true;
        return fail(file, line,
                    subject + what + " " + std::to_string(value) + " is outside " +
                        std::to_string(low) + "-" + std::to_string(high));
    }
};

bool hasWideSpace(std::u16string_view text) {
    return std::any_of(text.begin(), text.end(), isWideSpace);
}

bool checkStations(const TimetableSource& source, Checker& check) {
    for (std::size_t s = 0; s < source.stations.size(); ++s) {
        const SourceStation& station = source.stations[s];
        const std::string subject = "station " + inQuotes(station.name) + ": ";
        if (static_cast<long long>(s) >= kWideIndexLimit) {
            return check.fail(kStationsFile, station.line,
                              subject + "station index " + std::to_string(s) +
                                  " does not fit (at most 268435456 stations)");
        }
        if (station.name.empty())
            return check.fail(kStationsFile, station.line, "empty station name");
        if (std::string problem = fieldProblem(station.name); !problem.empty()) {
            return check.fail(kStationsFile, station.line, subject + "the name " + problem);
        }
        if (station.name.size() > kStationNameUnits) {
            return check.fail(kStationsFile, station.line,
                              subject + "the name is longer than 511 UTF-16 units");
        }
    }
    return true;
}

// Sorts the trains by number (code-unit order) so that t.i is strictly ascending and a
// train's index is its rank, and checks each train's own fields.
bool checkTrains(const TimetableSource& source, ResolvedTimetable& resolved, Checker& check) {
    resolved.trains.clear();
    for (const SourceTrain& train : source.trains) resolved.trains.push_back(&train);
    std::stable_sort(resolved.trains.begin(), resolved.trains.end(),
                     [](const SourceTrain* a, const SourceTrain* b) { return a->name < b->name; });
    for (std::size_t t = 0; t < resolved.trains.size(); ++t) {
        const SourceTrain& train = *resolved.trains[t];
        const int line = train.line;
        const std::string subject = "train " + inQuotes(train.name) + ": ";
        if (train.name.empty()) return check.fail(kTrainsFile, line, "empty train number");
        if (t > 0 && resolved.trains[t - 1]->name == train.name) {
            const int other = resolved.trains[t - 1]->line;
            return check.fail(
                kTrainsFile, line,
                "train " + inQuotes(train.name) + " is listed twice" +
                    (other > 0 ? " (also on line " + std::to_string(other) + ")" : std::string()));
        }
        if (std::string problem = fieldProblem(train.name); !problem.empty()) {
            return check.fail(kTrainsFile, line, subject + "the number " + problem);
        }
        for (char16_t c : train.name) {
            if (c >= 256) {
                return check.fail(kTrainsFile, line,
                                  subject +
                                      "train numbers are single-byte text (characters up to "
                                      "U+00FF only)");
            }
        }
        if (train.name.size() > kNameBytes) {
            return check.fail(kTrainsFile, line, subject + "the number is longer than 65535 bytes");
        }
        if (static_cast<long long>(t) >= kWideIndexLimit) {
            return check.fail(kTrainsFile, line,
                              subject + "train index " + std::to_string(t) +
                                  " does not fit (at most 268435456 trains)");
        }
        if (!check.range(kTrainsFile, line, subject, "kind", train.kindCode, 0, kSevenBitMax) ||
            !check.range(kTrainsFile, line, subject, "factor", train.fareFactor, 0, kSevenBitMax) ||
            !check.range(kTrainsFile, line, subject, "valid_from", train.validFrom, 0, kDateMax) ||
            !check.range(kTrainsFile, line, subject, "valid_until", train.validUntil, 0,
                         kDateMax) ||
            !check.range(kTrainsFile, line, subject, "rule", train.ruleNumber, 0, kSevenBitMax)) {
            return false;
        }
    }
    return true;
}

// Station index of a stop's station: "#N" is index N, anything else the first station of that
// exact name. -1 after a failure.
int stationOfStop(const SourceStop& stop, const std::string& subject,
                  const std::unordered_map<std::u16string, int>& stationByName,
                  std::size_t stationCount, Checker& check) {
    if (!stop.station.empty() && stop.station[0] == u'#') {
        std::u16string_view digits = std::u16string_view(stop.station).substr(1);
        long long n = 0;
        bool number = !digits.empty() && digits.size() <= 9;
        for (char16_t c : digits) {
            number = number && c >= u'0' && c <= u'9';
            if (number) n = n * 10 + (c - u'0');
        }
        if (!number) {
            check.fail(
                kStopsFile, stop.line,
                subject + "station " + inQuotes(stop.station) + " is not #N (a station index)");
            return -1;
        }
        if (n >= static_cast<long long>(stationCount)) {
            check.fail(kStopsFile, stop.line,
                       subject + "station " + inQuotes(stop.station) + " does not exist (" +
                           std::to_string(stationCount) + " stations)");
            return -1;
        }
        return static_cast<int>(n);
    }
    auto found = stationByName.find(stop.station);
    if (found == stationByName.end()) {
        check.fail(kStopsFile, stop.line,
                   subject + "unknown station " + inQuotes(stop.station) + " (not in " +
                       std::string(kStationsFile) + ")");
        return -1;
    }
    return found->second;
}

bool checkStops(const TimetableSource& source, ResolvedTimetable& resolved, Checker& check) {
    std::unordered_map<std::u16string, int> stationByName;
    for (std::size_t s = 0; s < source.stations.size(); ++s) {
        stationByName.emplace(source.stations[s].name, static_cast<int>(s));
    }
    resolved.stopStations.assign(resolved.trains.size(), {});
    for (std::size_t t = 0; t < resolved.trains.size(); ++t) {
        const SourceTrain& train = *resolved.trains[t];
        for (std::size_t k = 0; k < train.stops.size(); ++k) {
            const SourceStop& stop = train.stops[k];
            const std::string subject =
                "train " + inQuotes(train.name) + ", stop " + std::to_string(k + 1) + ": ";
            const int station =
                stationOfStop(stop, subject, stationByName, source.stations.size(), check);
            if (station < 0 ||
                !check.range(kStopsFile, stop.line, subject, "arrival hour", stop.arrivalHour, 0,
                             23) ||
                !check.range(kStopsFile, stop.line, subject, "arrival minute", stop.arrivalMinute,
                             0, 59) ||
                !check.range(kStopsFile, stop.line, subject, "dwell", stop.dwellMinutes, 0,
                             kSevenBitMax) ||
                !check.range(kStopsFile, stop.line, subject, "km", stop.distanceKm, 0,
                             kIndexLimit - 1)) {
                return false;
            }
            resolved.stopStations[t].push_back(station);
        }
    }
    return true;
}

// The record of each station: the derived list holds every train calling there once, in
// train-index order; an explicit list is taken as written.
bool resolveStationLists(const TimetableSource& source, ResolvedTimetable& resolved,
                         Checker& check) {
    std::vector<std::vector<int>> derived(source.stations.size());
    for (std::size_t t = 0; t < resolved.stopStations.size(); ++t) {
        for (int s : resolved.stopStations[t]) {
            std::vector<int>& list = derived[static_cast<std::size_t>(s)];
            if (list.empty() || list.back() != static_cast<int>(t)) {
                list.push_back(static_cast<int>(t));
            }
        }
    }
    std::unordered_map<std::u16string, int> trainByName;
    for (std::size_t t = 0; t < resolved.trains.size(); ++t) {
        trainByName.emplace(resolved.trains[t]->name, static_cast<int>(t));
    }
    resolved.stationTrains.assign(source.stations.size(), std::nullopt);
    for (std::size_t s = 0; s < source.stations.size(); ++s) {
        const SourceStation& station = source.stations[s];
        switch (station.listKind) {
            case StationListKind::Derived:
                resolved.stationTrains[s] = std::move(derived[s]);
                break;
            case StationListKind::NoRecord:
                break;
            case StationListKind::Explicit: {
                std::vector<int> list;
                for (const std::u16string& name : station.trains) {
                    auto found = trainByName.find(name);
                    if (found == trainByName.end()) {
                        return check.fail(kStationsFile, station.line,
                                          "station " + inQuotes(station.name) +
                                              " lists unknown train " + inQuotes(name));
                    }
                    list.push_back(found->second);
                }
                resolved.stationTrains[s] = std::move(list);
                break;
            }
            default:
                return check.fail(kStationsFile, station.line,
                                  "station " + inQuotes(station.name) + ": unknown list kind");
        }
    }
    return true;
}

// name.txt and ads.txt are read as white-space separated tokens taken in pairs: a token must
// be non-empty and hold no white space, or the pairing of everything after it shifts.
bool checkToken(std::string_view file, int line, const std::string& what, std::u16string_view token,
                Checker& check) {
    if (token.empty()) return check.fail(file, line, "empty " + what);
    if (std::string problem = fieldProblem(token); !problem.empty()) {
        return check.fail(file, line, what + " " + inQuotes(token) + " " + problem);
    }
    if (hasWideSpace(token)) {
        return check.fail(file, line, what + " " + inQuotes(token) + " contains white space");
    }
    return true;
}

bool checkCodesAndAds(const TimetableSource& source, Checker& check) {
    for (const SourceCode& code : source.codes) {
        if (!checkToken(kCodesFile, code.line, "code", code.code, check) ||
            !checkToken(kCodesFile, code.line, "station name", code.name, check)) {
            return false;
        }
        // The names of one code are joined by "|" in memory.
        if (code.name.find(u'|') != std::u16string::npos) {
            return check.fail(kCodesFile, code.line,
                              "station name " + inQuotes(code.name) + " contains \"|\"");
        }
    }
    for (const SourceAd& ad : source.ads) {
        if (!checkToken(kAdsFile, ad.line, "title", ad.title, check) ||
            !checkToken(kAdsFile, ad.line, "link", ad.link, check)) {
            return false;
        }
        // The program replaces every link that does not lead into its own site.
        if (ad.link.compare(0, kMobileSiteAddress.size(), kMobileSiteAddress) != 0) {
            return check.fail(
                kAdsFile, ad.line,
                "link " + inQuotes(ad.link) + " must begin with " + toUtf8(kMobileSiteAddress));
        }
    }
    return true;
}

// "period mask": two decimal integers, as the running-day rules read them back exactly.
bool isRuleText(std::string_view text) {
    std::size_t pos = 0;
    auto blanks = [&] {
        std::size_t start = pos;
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
        return pos > start;
    };
    auto number = [&](long long low) {
        std::size_t start = pos;
        long long value = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && pos - start < 11) {
            value = value * 10 + (text[pos++] - '0');
        }
        return pos > start && value >= low && value <= 2147483647LL;
    };
    blanks();
    if (!number(1) || !blanks() || !number(0)) return false;
    blanks();
    return pos == text.size();
}

bool checkRules(const TimetableSource& source, ResolvedTimetable& resolved, Checker& check) {
    resolved.rules.clear();
    for (std::size_t k = 0; k < source.rules.size(); ++k) {
        const std::u16string& rule = source.rules[k];
        const int line = static_cast<int>(k) + 1;  // every line of rules.txt is a rule
        const std::string subject = "rule " + std::to_string(k) + ": ";
        std::string ansi;
        if (!fieldProblem(rule).empty() || !toAnsi(rule, ansi)) {
            return check.fail(kRulesFile, line,
                              subject + inQuotes(rule) + " cannot be stored in GBK");
        }
        if (!isRuleText(ansi)) {
            return check.fail(kRulesFile, line,
                              subject + inQuotes(rule) +
                                  " is not \"period mask\" (period 1-2147483647, mask "
                                  "0-2147483647)");
        }
        if (ansi.size() > kRuleBytes) {
            return check.fail(kRulesFile, line, subject + "longer than 254 bytes");
        }
        resolved.rules.push_back(std::move(ansi));
    }
    return true;
}

}  // namespace

bool resolveTimetable(const TimetableSource& source, ResolvedTimetable& resolved,
                      std::string& error) {
    error.clear();
    Checker check{error};
    return checkStations(source, check) && checkTrains(source, resolved, check) &&
           checkStops(source, resolved, check) && resolveStationLists(source, resolved, check) &&
           checkCodesAndAds(source, check) && checkRules(source, resolved, check);
}

}  // namespace zelvan::compiler
