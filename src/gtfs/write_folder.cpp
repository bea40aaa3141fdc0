// Writing the folder: the stations trains call at, the trains in the order of their t.i keys,
// and the tables beyond the record files (t.days, t.more, t.stops, s.more, s.walks, x.feed,
// x.fares), compiled by writeDataFiles.
#include <algorithm>
#include <cstdio>
#include <map>
#include <numeric>

#include "compiler/timetable_source.h"
#include "db/text.h"
#include "gtfs/import_model_p.h"

namespace zelvan::gtfs {
namespace {

// A train number as t.i stores it, a key never shown: single-byte text; a number beyond
// Latin-1 ("752 → Ehningen Bf") by its UTF-8 bytes in hex, which the search reads as shown.
std::string storageKey(const std::string& number) {
    std::u16string wide = fromUtf8(number);
    std::string base;
    bool latin = !wide.empty();
    for (char16_t c : wide) {
        if (c == 0 || c > 0xFF || c == u'\t' || c == u'\n' || c == u'\r' || c == 0x1F)
            latin = false;
        base.push_back(static_cast<char>(c));
    }
    if (!latin) {
        base = "#";
        static const char* kHex = "0123456789ABCDEF";
        for (unsigned char c : number) {
            base.push_back(kHex[c >> 4]);
            base.push_back(kHex[c & 15]);
        }
    }
    return base;
}

// Trains of one number, ordered by their first run: the first keeps the number, the others
// follow it as N\x1F2, N\x1F3 ... (the unit separator sorts before every printable character:
// a number's trains stand together, right after it).
void assignKeys(std::vector<Train>& trains) {
    std::map<std::string, std::vector<int>> byNumber;
    for (std::size_t t = 0; t < trains.size(); ++t)
        byNumber[trains[t].number].push_back(static_cast<int>(t));
    for (auto& [number, list] : byNumber) {
        std::sort(list.begin(), list.end(), [&](int a, int b) {
            const Train& x = trains[static_cast<std::size_t>(a)];
            const Train& y = trains[static_cast<std::size_t>(b)];
            return std::make_pair(x.days.front(), x.stops.front().departure) <
                   std::make_pair(y.days.front(), y.stops.front().departure);
        });
        const std::string base = storageKey(number);
        for (std::size_t k = 0; k < list.size(); ++k) {
            std::string key = base;
            if (k > 0) key += "\x1F" + std::to_string(k + 1);
            trains[static_cast<std::size_t>(list[k])].key = key;
        }
    }
}

// The days from the first run on, four to a hex digit, the lowest bit first.
std::string dayBits(const std::vector<int>& days) {
    const int from = days.front(), until = days.back();
    std::string bits((static_cast<std::size_t>(until - from) + 4) / 4, '0');
    for (int day : days) {
        const std::size_t d = static_cast<std::size_t>(day - from);
        int v = bits[d / 4] <= '9' ? bits[d / 4] - '0' : bits[d / 4] - 'A' + 10;
        v |= 1 << (d % 4);
        bits[d / 4] = "0123456789ABCDEF"[v];
    }
    return bits;
}

// '1', '2' or nothing: where the feed says nothing, nothing is claimed.
std::string access(char value) {
    return value == 0 ? std::string() : std::string(1, value);
}

}  // namespace

void readFeedVersion(FeedReader& reader, Network& network) {
    Table t;
    std::string version;
    const std::string kept = reader.error();
    // A feed_info.txt that does not read gives no version; it is no reason to refuse the feed.
    reader.walk("feed_info.txt", {}, t, [&](const CsvRow& r) {
        const int c = t.column("feed_version");
        if (c >= 0 && version.empty()) version = r.fields[static_cast<std::size_t>(c)];
        return true;
    });
    reader.error() = kept;
    network.feedVersion = clean(version);
}

bool writeFolder(const ImportOptions& options, Network& network, ImportSummary& summary,
                 std::string& error) {
    if (options.progress) options.progress("writing " + options.out.string());
    std::vector<Station>& stations = network.stations;
    std::vector<Train>& trains = network.trains;
    // Stations that some kept run calls at, in feed order.
    std::vector<int> newIndex(stations.size(), -1);
    std::vector<int> kept;
    for (std::size_t s = 0; s < stations.size(); ++s) {
        if (!stations[s].used) {
            summary.warnings["stops.txt: stations no kept train calls at (left out)"] += 1;
            continue;
        }
        newIndex[s] = static_cast<int>(kept.size());
        kept.push_back(static_cast<int>(s));
    }
    // How many stations and trains the record files hold is the compiler's to say.
    if (trains.empty()) {
        error = "the feed has no train that runs in the range";
        return false;
    }
    TimetableSource source;
    for (const std::string& name : shownNames(network, kept)) {
        SourceStation out;
        out.name = fromUtf8(name);
        source.stations.push_back(std::move(out));
    }
    assignKeys(trains);
    std::vector<int> order(trains.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        return trains[static_cast<std::size_t>(a)].key < trains[static_cast<std::size_t>(b)].key;
    });
    std::string days = "train\tfirst\tdays\n";
    std::string more = "train\tnumber\ttype\troute\twheelchair\tbikes\n";
    std::string stopExtras = "train\tstop\tboard\talight\tplatform\tdwell\n";
    int first = INT32_MAX, last = INT32_MIN;
    for (std::size_t index = 0; index < order.size(); ++index) {
        const Train& train = trains[static_cast<std::size_t>(order[index])];
        SourceTrain out;
        for (unsigned char c : train.key) out.name.push_back(c);
        const int from = train.days.front(), until = train.days.back();
        first = std::min(first, from);
        last = std::max(last, until);
        out.validFrom = dateOfDay(from);
        out.validUntil = dateOfDay(until);
        for (std::size_t k = 0; k < train.stops.size(); ++k) {
            const RunStop& s = train.stops[k];
            SourceStop stop;
            stop.station =
                u"#" + fromUtf8(std::to_string(newIndex[static_cast<std::size_t>(s.station)]));
            stop.arrivalHour = s.arrival / 60 % 24;
            stop.arrivalMinute = s.arrival % 60;
            // A longer stand than the record holds: 127 there, the minutes in t.stops.
            const int dwell = s.departure - s.arrival;
            stop.dwellMinutes = std::min(dwell, kMostDwell);
            stop.distanceKm = s.km;
            out.stops.push_back(stop);
            if (!s.board || !s.alight || !s.platform.empty() || dwell > kMostDwell) {
                stopExtras += std::to_string(index) + '\t' + std::to_string(k) + '\t' +
                              (s.board ? '1' : '0') + '\t' + (s.alight ? '1' : '0') + '\t' +
                              clean(s.platform) + '\t' +
                              (dwell > kMostDwell ? std::to_string(dwell) : "") + '\n';
            }
        }
        source.trains.push_back(std::move(out));
        days += std::to_string(index) + '\t' + std::to_string(dateOfDay(from)) + '\t' +
                dayBits(train.days) + '\n';
        const std::string shown = train.key == train.number ? "" : clean(train.number);
        const Route& route = network.routes[static_cast<std::size_t>(train.route)];
        more += std::to_string(index) + '\t' + shown + '\t' + clean(route.type) + '\t' +
                clean(route.id) + '\t' + access(train.wheelchair) + '\t' + access(train.bikes) +
                '\n';
    }
    std::string stationExtras = "station\tid\tlatitude\tlongitude\tchange\tzone\twheelchair\n";
    for (std::size_t s = 0; s < kept.size(); ++s) {
        const Station& station = stations[static_cast<std::size_t>(kept[s])];
        char coordinates[64] = "\t";
        if (station.located) {
            std::snprintf(coordinates, sizeof coordinates, "%.6f\t%.6f", station.lat, station.lon);
        }
        stationExtras += std::to_string(s) + '\t' + clean(station.id) + '\t' + coordinates + '\t' +
                         (station.changeMinutes >= 0 ? std::to_string(station.changeMinutes) : "") +
                         '\t' + clean(station.zone) + '\t' + access(station.wheelchair) + '\n';
    }
    std::string walks = "from\tto\tminutes\n";
    for (const Walk& w : network.walks) {
        const int from = newIndex[static_cast<std::size_t>(w.from)];
        const int to = newIndex[static_cast<std::size_t>(w.to)];
        if (from < 0 || to < 0) continue;
        walks += std::to_string(from) + '\t' + std::to_string(to) + '\t' +
                 std::to_string(w.minutes) + '\n';
    }
    std::string feed = "key\tvalue\n";
    feed += "timezone\t" + network.timeZone + "\n";
    feed += "tariff\tnone\n";
    feed += "source\t" + clean(network.agencyNames) + "\n";
    source.extensions["t.days"] = days;
    source.extensions["t.more"] = more;
    source.extensions["t.stops"] = stopExtras;
    source.extensions["s.more"] = stationExtras;
    source.extensions["s.walks"] = walks;
    source.extensions["x.feed"] = feed;
    if (!network.fareTable.empty()) source.extensions["x.fares"] = network.fareTable;
    // Every train runs on its listed days; the one rule line keeps the record's rule number
    // meaning "daily" for a reader that does not know the days table.
    source.rules = {u"1 1"};
    source.hasRules = true;
    source.hasVersion = true;
    if (!options.version.empty()) {
        source.version = options.version;
    } else if (!network.feedVersion.empty()) {
        source.version = network.feedVersion;
    } else {
        source.version =
            "GTFS " + std::to_string(dateOfDay(first)) + "-" + std::to_string(dateOfDay(last));
    }
    if (source.version.back() != '\n') source.version += '\n';
    summary.stations = static_cast<int>(kept.size());
    summary.trains = static_cast<int>(trains.size());
    for (int s : kept) {
        const std::size_t f = static_cast<std::size_t>(stations[static_cast<std::size_t>(s)].feed);
        if (f < summary.feeds.size()) ++summary.feeds[f].stations;
    }
    for (const Train& train : trains) {
        const std::size_t f = static_cast<std::size_t>(train.feed);
        if (f < summary.feeds.size()) ++summary.feeds[f].trains;
    }
    summary.firstDay = dateOfDay(first);
    summary.lastDay = dateOfDay(last);
    CompileOptions compile;
    compile.pinyinDictionary.clear();
    return writeDataFiles(source, options.out, error, compile);
}

}  // namespace zelvan::gtfs
