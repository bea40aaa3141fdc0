// Turning typed names into stations: exact lookup with one alias, a place name's stop on a
// train through the suffix table, and ranked suggestions from typed codes.
#include <array>
#include <functional>
#include <map>

#include "db/timetable_db.h"

namespace zelvan {
namespace {

// The one alias: users type the city, the station is 宁波东.
constexpr std::u16string_view kAliasFrom = u"宁波";
constexpr std::u16string_view kAliasTo = u"宁波东";

// Tried in this order after a place name to find the train's stop at one of its stations.
constexpr std::array<std::u16string_view, 8> kSuffixes = {
    u"", u"东", u"西", u"南", u"北", u"虹桥", u"新区", u"园区",
};

// Candidate names are built in a buffer of 256 units, terminator included.
constexpr std::size_t kCandidateUnits = 255;
// A code's names are split in a buffer of 2048 units, terminator included.
constexpr std::size_t kNamesUnits = 2047;

}  // namespace

const std::array<std::u16string_view, 8>& stationSuffixes() {
    return kSuffixes;
}

int TimetableDb::stationIndexByName(const std::u16string& name) const {
    const std::u16string& searched = name == kAliasFrom ? std::u16string(kAliasTo) : name;
    if (useIndexes && nameIndexCurrent()) {
        auto it = stationByName_.find(searched);
        return it == stationByName_.end() ? -1 : it->second;
    }
    for (std::size_t i = 0; i < stationNames.size(); ++i) {
        if (stationNames[i] == searched) return static_cast<int>(i);
    }
    return -1;
}

TimetableDb::PlaceStations TimetableDb::placeStations(const std::u16string& place) const {
    PlaceStations found;
    std::u16string candidate;
    for (std::u16string_view suffix : kSuffixes) {
        if (place.size() + suffix.size() > kCandidateUnits) continue;
        candidate.assign(place);
        candidate.append(suffix);
        const int s = stationIndexByName(candidate);
        if (s >= 0) found.stations[static_cast<std::size_t>(found.count++)] = s;
    }
    return found;
}

const StopRecord* TimetableDb::stopForPlace(const PlaceStations& place, const TrainRecord& train) {
    for (int i = 0; i < place.count; ++i) {
        const int s = place.stations[static_cast<std::size_t>(i)];
        for (const StopRecord& stop : train.stops) {
            if (stop.station == s) return &stop;
        }
    }
    return nullptr;
}

std::optional<StopRecord> TimetableDb::findStopForPlace(const std::u16string& place,
                                                        const TrainRecord& train) const {
    if (useIndexes) {
        const StopRecord* stop = stopForPlace(placeStations(place), train);
        return stop ? std::optional<StopRecord>(*stop) : std::nullopt;
    }
    for (std::u16string_view suffix : kSuffixes) {
        if (place.size() + suffix.size() > kCandidateUnits) continue;
        int s = stationIndexByName(place + std::u16string(suffix));
        if (s < 0) continue;
        for (const StopRecord& stop : train.stops) {
            if (stop.station == s) return stop;
        }
    }
    return std::nullopt;
}

void TimetableDb::suggestStations(const std::u16string& typed,
                                  std::vector<std::u16string>& names) const {
    names.clear();
    auto it = stationsByCode.find(typed);
    if (it == stationsByCode.end()) return;
    // The walk ends at the first code after the hit that does not contain the typed text.
    for (; it != stationsByCode.end() && it->first.find(typed) != std::u16string::npos; ++it) {
        std::u16string value = it->second.substr(0, kNamesUnits);
        std::size_t start = 0;
        while (start <= value.size()) {
            std::size_t bar = value.find(u'|', start);
            if (bar == std::u16string::npos) bar = value.size();
            if (bar > start) names.push_back(value.substr(start, bar - start));
            start = bar + 1;
        }
    }

    // Busiest first: the key is the number of trains, bumped up past keys already taken, so on
    // a tie the name ranked later comes first.
    std::map<int, std::u16string, std::greater<int>> ranking;
    std::vector<int> trains;
    const bool cached = useIndexes && stationListsCurrent();
    for (const std::u16string& name : names) {
        std::size_t count = 0;
        if (cached) {
            count = stationList(stationIndexByName(name)).size();
        } else {
            trainsAtStation(name, trains);
            count = trains.size();
        }
        if (count == 0) continue;
        int key = static_cast<int>(count);
        while (ranking.count(key) != 0) ++key;
        ranking.emplace(key, name);
    }
    names.clear();
    for (const auto& entry : ranking) names.push_back(entry.second);
}

}  // namespace zelvan
