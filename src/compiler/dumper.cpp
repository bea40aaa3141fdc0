// Rebuilding the source form of a loaded database: trains in index order with their decoded
// stops, stations with the list their record holds ("*" when it is the derived one), the code
// map, the rules, the ads and the version bytes.
#include <algorithm>
#include <unordered_map>

#include "compiler/compiler_p.h"
#include "db/text.h"
#include "db/timetable_db.h"

namespace zelvan {
namespace {

using namespace compiler;

bool fileExists(const TimetableDb& db, std::u16string_view name) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::path(toUtf8(db.pathOf(name))), ec);
}

void dumpTrainsAndStations(const TimetableDb& db, TimetableSource& source) {
    const std::vector<std::u16string>& names = db.stationNames;
    std::unordered_map<std::u16string, int> nameCount;
    for (const std::u16string& name : names) ++nameCount[name];
    auto stationRef = [&](int s) {
        bool unique = s >= 0 && static_cast<std::size_t>(s) < names.size() &&
                      nameCount[names[static_cast<std::size_t>(s)]] == 1;
        return unique ? names[static_cast<std::size_t>(s)] : u"#" + fromUtf8(std::to_string(s));
    };

    std::vector<std::pair<int, const std::u16string*>> trains;
    for (const auto& [name, index] : db.trainIndex) trains.emplace_back(index, &name);
    std::sort(trains.begin(), trains.end());
    // A train index's number as stored; past the last, the last one's (as trainNameByIndex).
    auto storedNumber = [&](int t) -> std::u16string {
        if (trains.empty()) return {};
        const auto it = std::lower_bound(trains.begin(), trains.end(), t,
                                         [](const auto& entry, int v) { return entry.first < v; });
        return it != trains.end() && it->first == t ? *it->second : *trains.back().second;
    };

    std::vector<std::vector<int>> derived(names.size());
    int stopLine = 2;
    for (const auto& [index, name] : trains) {
        TrainRecord record;
        db.decodeTrain(index, record);
        SourceTrain train;
        train.name = *name;
        train.kindCode = record.kindCode;
        train.fareFactor = record.fareFactor;
        train.validFrom = record.validFrom;
        train.validUntil = record.validUntil;
        train.ruleNumber = record.ruleNumber;
        train.line = static_cast<int>(source.trains.size()) + 2;
        for (const StopRecord& stop : record.stops) {
            train.stops.push_back({stationRef(stop.station), stop.arrivalHour, stop.arrivalMinute,
                                   stop.dwellMinutes, stop.distanceKm, stopLine++});
            if (stop.station >= 0 && static_cast<std::size_t>(stop.station) < names.size()) {
                std::vector<int>& list = derived[static_cast<std::size_t>(stop.station)];
                if (list.empty() || list.back() != index) list.push_back(index);
            }
        }
        source.trains.push_back(std::move(train));
    }

    for (std::size_t s = 0; s < names.size(); ++s) {
        SourceStation station;
        station.name = names[s];
        station.line = static_cast<int>(s) + 2;
        std::optional<std::vector<int>> stored = db.storedTrainList(static_cast<int>(s));
        if (!stored) {
            station.listKind = StationListKind::NoRecord;
        } else if (*stored == derived[s]) {
            station.listKind = StationListKind::Derived;
        } else {
            station.listKind = StationListKind::Explicit;
            // The stored number (t.i), not the one shown: an imported timetable shows several
            // trains under one number, and the list must name each again.
            for (int t : *stored) station.trains.push_back(storedNumber(t));
        }
        source.stations.push_back(std::move(station));
    }
}

void dumpTables(const TimetableDb& db, TimetableSource& source) {
    int line = 2;
    for (const auto& [code, joined] : db.stationsByCode) {
        std::size_t start = 0;
        while (start <= joined.size()) {
            std::size_t end = std::min(joined.find(u'|', start), joined.size());
            if (end > start)
                source.codes.push_back({code, joined.substr(start, end - start), line++});
            start = end + 1;
        }
    }
    source.hasCodes = !source.codes.empty() || fileExists(db, u"name.txt");

    for (const std::u16string& rule : db.runningRules) {
        std::u16string text = rule;
        while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r')) text.pop_back();
        source.rules.push_back(std::move(text));
    }
    source.hasRules = !source.rules.empty() || fileExists(db, u"t.rule");

    line = 2;
    for (std::size_t i = 0; i < db.adTitles.size() && i < db.adLinks.size(); ++i) {
        source.ads.push_back({db.adTitles[i], db.adLinks[i], line++});
    }
    source.hasAds = !source.ads.empty() || fileExists(db, u"ads.txt");

    for (const std::string& name : extensionFileNames()) {
        ByteSpan bytes;
        if (TimetableDb::readWholeFile(db.pathOf(fromUtf8(name)), bytes)) {
            source.extensions[name].assign(reinterpret_cast<const char*>(bytes.data.get()),
                                           static_cast<std::size_t>(bytes.length));
        }
    }

    ByteSpan version;
    if (TimetableDb::readWholeFile(db.pathOf(u"ver.txt"), version)) {
        source.hasVersion = true;
        source.version.assign(reinterpret_cast<const char*>(version.data.get()),
                              static_cast<std::size_t>(version.length));
    }
}

}  // namespace

TimetableSource dumpTimetable(const TimetableDb& db) {
    TimetableSource source;
    dumpTrainsAndStations(db, source);
    dumpTables(db, source);
    return source;
}

bool dumpTimetableTo(const TimetableDb& db, const std::filesystem::path& sourceFolder,
                     std::string& error) {
    return writeTimetableSource(dumpTimetable(db), sourceFolder, error);
}

}  // namespace zelvan
