// Turning typed names into stations: exact lookup with one alias, a place name's stop on a
// train through the suffix table, and ranked suggestions from typed codes.
#include <array>
#include <functional>
#include <map>

#include "db/text.h"
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

bool isPlainName(std::u16string_view name) {
    if (name.size() >= kWideBufferUnits - 1) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char16_t c = name[i];
        if (c == 0 || c == 0xFFFD) return false;
        if (c < 0xD800 || c > 0xDFFF) continue;
        if (c > 0xDBFF || i + 1 == name.size() || name[i + 1] < 0xDC00 || name[i + 1] > 0xDFFF) {
            return false;
        }
        ++i;
    }
    return true;
}

// The UTF-8 form of a plain name into `out` (room for three bytes a unit; a surrogate pair
// gives four for two); its length. Written out here because a lookup by name is mostly this
// and a hash: the general converters check what isPlainName already has.
std::size_t plainNameUtf8(std::u16string_view name, char* out) {
    char* p = out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        char32_t c = name[i];
        if (c < 0x80) {
            *p++ = static_cast<char>(c);
        } else if (c < 0x800) {
            *p++ = static_cast<char>(0xC0 | c >> 6);
            *p++ = static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0xD800 || c > 0xDBFF) {
            *p++ = static_cast<char>(0xE0 | c >> 12);
            *p++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
            *p++ = static_cast<char>(0x80 | (c & 0x3F));
        } else {
            c = 0x10000 + ((c - 0xD800) << 10) + (name[++i] - 0xDC00);
            *p++ = static_cast<char>(0xF0 | c >> 18);
            *p++ = static_cast<char>(0x80 | (c >> 12 & 0x3F));
            *p++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
            *p++ = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return static_cast<std::size_t>(p - out);
}

}  // namespace

const std::array<std::u16string_view, 8>& stationSuffixes() {
    return kSuffixes;
}

int TimetableDb::stationIndexByName(const std::u16string& name) const {
    const std::u16string_view searched = name == kAliasFrom ? kAliasTo : std::u16string_view(name);
    // A plain name (no NUL, no U+FFFD, no lone surrogate, shorter than the 511 units a stored
    // name keeps) is the converted name of exactly those stored names whose bytes up to a NUL
    // are its UTF-8 form: any ill-formed byte would have given a U+FFFD. So the table of stored
    // bytes finds it without converting a name; other names are compared one by one.
    if (useIndexes && isPlainName(searched)) {
        char bytes[3 * kWideBufferUnits];
        const std::string_view key(bytes, plainNameUtf8(searched, bytes));
        // A wide timetable keeps its stations in the order of their names' bytes: a binary
        // search there touches a few pages instead of a table built from every name.
        if (const WideRecordFile wide = wideRecordFile(stationFiles, true);
            wide.valid() && stationNames.fromFile() && wide.count() == stationNames.size()) {
            std::string_view stored;
            std::uint32_t lo = 0, hi = wide.count();
            const auto nameAt = [&](std::uint32_t rank, std::uint32_t& station) {
                station = wide.stationByName(rank);
                if (station >= wide.count()) return false;
                return stationNames.storedBytes(station, stored);
            };
            while (lo < hi) {
                const std::uint32_t mid = lo + (hi - lo) / 2;
                std::uint32_t station = 0;
                if (!nameAt(mid, station) || stored < key) {
                    lo = mid + 1;
                } else {
                    hi = mid;
                }
            }
            std::uint32_t station = 0;
            if (lo < wide.count() && nameAt(lo, station) && stored == key) {
                return static_cast<int>(station);
            }
            return -1;
        }
        if (stationSlotsVersion_ != stationNames.version()) indexStationNames();
        const std::uint32_t hash = stationNameHash(key);
        const std::size_t mask = stationSlots_.size() - 1;
        std::string buffer;
        for (std::size_t slot = hash & mask; stationSlots_[slot].second >= 0;
             slot = (slot + 1) & mask) {
            const auto [slotHash, station] = stationSlots_[slot];
            if (slotHash != hash) continue;
            const std::size_t i = static_cast<std::size_t>(station);
            if (stationNames.fromFile() ? stationNames.storedBytesAre(i, key)
                                        : stationNameKey(i, buffer) == key) {
                return station;
            }
        }
        return -1;
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
    // An imported timetable has no codes: its names themselves are matched (findStations).
    if (stationsByCode.empty() && extensions.present()) {
        findStations(typed, names, 20);
        return;
    }
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
    const bool cached = useIndexes;
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
