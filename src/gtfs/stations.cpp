// stops.txt: stations and the stop points trains call at, and the names travellers read. A
// parent station with its platforms is one station (the platform's platform_code stays with the
// stop point); stops without a parent that share a name and lie within 150 m of each other are
// one station too (the platforms of one stop place, each keeping its platform_code); any other
// stop without a parent is a station of its own.
#include <algorithm>
#include <map>
#include <numeric>

#include "gtfs/import_model_p.h"
#include "gtfs/spatial_grid_p.h"

namespace zelvan::gtfs {
namespace {

struct Raw {
    std::string id, name, code, description, parent, platform, zone;
    int type = 0;
    double lat = 0, lon = 0;
    bool located = false;
    char wheelchair = 0;
    int line = 0;
};

constexpr double kStopPlaceKm = 0.150;

int find(std::vector<int>& parent, int i) {
    while (parent[static_cast<std::size_t>(i)] != i) {
        parent[static_cast<std::size_t>(i)] =
            parent[static_cast<std::size_t>(parent[static_cast<std::size_t>(i)])];
        i = parent[static_cast<std::size_t>(i)];
    }
    return i;
}

// For each raw stop, the raw stop whose station it joins: itself, or the first in the file of
// the stops without a parent that share its name and lie within 150 m of it (or of one that
// does).
std::vector<int> stopPlaces(const std::vector<Raw>& raws) {
    std::vector<int> parent(raws.size());
    std::iota(parent.begin(), parent.end(), 0);
    SpatialGrid grid(kStopPlaceKm);
    const auto alone = [&](const Raw& r) { return r.type == 0 && r.parent.empty() && r.located; };
    for (std::size_t i = 0; i < raws.size(); ++i) {
        if (alone(raws[i])) grid.add(static_cast<int>(i), raws[i].lat, raws[i].lon);
    }
    for (std::size_t i = 0; i < raws.size(); ++i) {
        const Raw& a = raws[i];
        if (!alone(a)) continue;
        grid.near(a.lat, a.lon, [&](int j) {
            const Raw& b = raws[static_cast<std::size_t>(j)];
            if (j <= static_cast<int>(i) || b.name != a.name ||
                greatCircleKm(a.lat, a.lon, b.lat, b.lon) > kStopPlaceKm) {
                return;
            }
            const int x = find(parent, static_cast<int>(i)), y = find(parent, j);
            // The first in the file stands for the place.
            parent[static_cast<std::size_t>(std::max(x, y))] = std::min(x, y);
        });
    }
    for (std::size_t i = 0; i < raws.size(); ++i) parent[i] = find(parent, static_cast<int>(i));
    return parent;
}

// wheelchair_boarding: 1 and 2 as they are, 0 or empty unknown; anything else unknown too.
char accessOf(std::string_view text) {
    return text == "1" || text == "2" ? text.front() : 0;
}

}  // namespace

bool readStops(FeedReader& reader, ParsedFeed& feed, Network& network) {
    Table t;
    std::vector<Raw> raws;
    long long badPlaces = 0;
    int firstBadLine = 0;
    bool ok = reader.walk("stops.txt", {"stop_id"}, t, [&](const CsvRow& r) {
        Raw raw;
        raw.id = t.field(r, "stop_id");
        raw.name = t.field(r, "stop_name");
        raw.code = t.field(r, "stop_code");
        raw.description = t.field(r, "stop_desc");
        raw.parent = t.field(r, "parent_station");
        raw.platform = t.field(r, "platform_code");
        raw.zone = t.field(r, "zone_id");
        raw.wheelchair = accessOf(t.field(r, "wheelchair_boarding"));
        raw.line = r.line;
        long long type = 0;
        const std::string_view typeText = t.field(r, "location_type");
        if (!typeText.empty() && !parseInteger(typeText, type)) {
            reader.error() = at(t.file, r.line) + "location_type is not a number";
            return false;
        }
        raw.type = static_cast<int>(type);
        if (raw.id.empty()) {
            reader.error() = at(t.file, r.line) + "a stop without a stop_id";
            return false;
        }
        const bool lat = parseCoordinate(t.field(r, "stop_lat"), raw.lat, 90);
        const bool lon = parseCoordinate(t.field(r, "stop_lon"), raw.lon, 180);
        raw.located = lat && lon;
        if ((raw.type == 0 || raw.type == 1) && raw.name.empty()) {
            reader.error() = at(t.file, r.line) + "stop " + raw.id + " has no name";
            return false;
        }
        // Stops and stations need their place; the nodes and boarding areas of a station may
        // go without.
        if (!raw.located && (raw.type == 0 || raw.type == 1)) {
            if (badPlaces++ == 0) firstBadLine = r.line;
        }
        raws.push_back(std::move(raw));
        return true;
    });
    if (!ok) return false;
    if (badPlaces > 0) {
        reader.warn(
            "stops.txt: stops whose latitude or longitude is out of range or not a "
            "number, kept without coordinates (the first: stops.txt:" +
                std::to_string(firstBadLine) + ")",
            badPlaces);
    }
    std::unordered_map<std::string, std::size_t> byId;
    for (std::size_t i = 0; i < raws.size(); ++i) {
        if (!byId.emplace(raws[i].id, i).second) {
            return reader.fail(at(t.file, raws[i].line) + "stop_id " + raws[i].id +
                               " stands twice");
        }
    }
    const std::string& prefix = feed.prefix;
    const auto zone = [&](const std::string& z) { return z.empty() ? z : prefix + z; };
    const std::vector<int> place = stopPlaces(raws);
    std::vector<int> placeSize(raws.size(), 0);
    for (int p : place) ++placeSize[static_cast<std::size_t>(p)];
    // Stations: parent stations, and stops without a parent that stand for their place.
    std::unordered_map<std::string, int> stationOf;
    for (std::size_t i = 0; i < raws.size(); ++i) {
        const Raw& raw = raws[i];
        const bool station = raw.type == 1 || (raw.type == 0 && raw.parent.empty());
        if (!station || place[i] != static_cast<int>(i)) continue;
        stationOf[raw.id] = static_cast<int>(network.stations.size());
        Station s;
        s.id = prefix + raw.id;
        s.name = raw.name;
        s.code = raw.code;
        s.description = raw.description;
        s.zone = zone(raw.zone);
        s.lat = raw.lat;
        s.lon = raw.lon;
        s.located = raw.located;
        s.feed = feed.index;
        s.line = raw.line;
        s.wheelchair = raw.wheelchair;
        network.stations.push_back(std::move(s));
    }
    // Step-free boarding: a parent station that says nothing takes its platforms' word where
    // they agree (a platform that says nothing takes its station's, so the station's word
    // stands); the stops of one place joined here, their word where they agree.
    std::unordered_map<int, char> platformsSay;  // station -> '1', '2', 0 unknown or disagreeing
    for (std::size_t i = 0; i < raws.size(); ++i) {
        const Raw& raw = raws[i];
        if (raw.type == 1) {
            StopPoint point;
            point.station = stationOf[raw.id];
            point.lat = raw.lat;
            point.lon = raw.lon;
            point.located = raw.located;
            point.line = raw.line;
            feed.stopIndex[raw.id] = static_cast<int>(feed.stops.size());
            feed.stops.push_back(std::move(point));
            continue;
        }
        // Entrances, nodes and boarding areas are not called at. A station is, in feeds that
        // call at it rather than at its platforms.
        if (raw.type != 0) continue;
        StopPoint point;
        point.line = raw.line;
        if (raw.parent.empty()) {
            point.station = stationOf[raws[static_cast<std::size_t>(place[i])].id];
            if (placeSize[static_cast<std::size_t>(place[i])] > 1) point.platform = raw.platform;
        } else {
            auto parent = stationOf.find(raw.parent);
            if (parent == stationOf.end()) {
                return reader.fail(at(t.file, raw.line) + "parent_station " + raw.parent +
                                   " is no station of stops.txt");
            }
            point.station = parent->second;
            point.platform = raw.platform;
        }
        Station& station = network.stations[static_cast<std::size_t>(point.station)];
        point.lat = raw.located ? raw.lat : station.lat;
        point.lon = raw.located ? raw.lon : station.lon;
        point.located = raw.located || station.located;
        if (station.zone.empty()) station.zone = zone(raw.zone);
        if (!station.located && raw.located) {
            station.lat = raw.lat;
            station.lon = raw.lon;
            station.located = true;
        }
        const bool joined = raw.parent.empty() && placeSize[static_cast<std::size_t>(place[i])] > 1;
        if (joined || (!raw.parent.empty() && raw.wheelchair != 0)) {
            auto [say, added] = platformsSay.try_emplace(point.station, raw.wheelchair);
            if (!added && say->second != raw.wheelchair) say->second = 0;
        }
        feed.stopIndex[raw.id] = static_cast<int>(feed.stops.size());
        feed.stops.push_back(std::move(point));
    }
    for (const auto& [index, say] : platformsSay) {
        Station& station = network.stations[static_cast<std::size_t>(index)];
        const Raw& own = raws[byId[station.id.substr(prefix.size())]];
        if (own.type == 0) {
            station.wheelchair = say;  // a joined place: its own word is among theirs
        } else if (station.wheelchair == 0) {
            station.wheelchair = say;
        }
    }
    return true;
}

std::vector<std::string> shownNames(const Network& network, const std::vector<int>& kept) {
    const std::vector<Station>& stations = network.stations;
    std::vector<std::string> names(kept.size());
    std::map<std::string, std::vector<std::size_t>> byName;
    for (std::size_t k = 0; k < kept.size(); ++k) {
        names[k] = stations[static_cast<std::size_t>(kept[k])].name;
        byName[names[k]].push_back(k);
    }
    if (std::none_of(byName.begin(), byName.end(),
                     [](const auto& group) { return group.second.size() > 1; })) {
        return names;
    }
    // The nearest kept station of another name, looked for within 2, then 10, then 50 km.
    std::vector<SpatialGrid> grids = {SpatialGrid(2), SpatialGrid(10), SpatialGrid(50)};
    for (SpatialGrid& grid : grids) {
        for (std::size_t k = 0; k < kept.size(); ++k) {
            const Station& s = stations[static_cast<std::size_t>(kept[k])];
            if (s.located) grid.add(static_cast<int>(k), s.lat, s.lon);
        }
    }
    const auto nearest = [&](std::size_t k) -> std::string {
        const Station& s = stations[static_cast<std::size_t>(kept[k])];
        if (!s.located) return {};
        const double reach[] = {2, 10, 50};
        for (std::size_t g = 0; g < grids.size(); ++g) {
            double best = reach[g];
            std::string found;
            grids[g].near(s.lat, s.lon, [&](int other) {
                const Station& o =
                    stations[static_cast<std::size_t>(kept[static_cast<std::size_t>(other)])];
                if (o.name == s.name) return;
                const double km = greatCircleKm(s.lat, s.lon, o.lat, o.lon);
                if (km < best || (km == best && o.name < found)) {
                    best = km;
                    found = o.name;
                }
            });
            if (!found.empty()) return found;
        }
        return {};
    };
    for (const auto& [name, group] : byName) {
        if (group.size() < 2) continue;
        // The feed's description where it tells every one of them apart, else the nearest
        // station of another name.
        std::set<std::string> descriptions;
        for (std::size_t k : group) {
            const std::string& d = stations[static_cast<std::size_t>(kept[k])].description;
            if (!d.empty() && d != name) descriptions.insert(d);
        }
        const bool described = descriptions.size() == group.size();
        for (std::size_t k : group) {
            const std::string by =
                described ? stations[static_cast<std::size_t>(kept[k])].description : nearest(k);
            if (!by.empty()) names[k] = name + " (" + by + ")";
        }
    }
    // Whatever still stands twice is numbered, the first in the feed unnumbered.
    std::map<std::string, int> seen;
    for (std::size_t k = 0; k < kept.size(); ++k) seen[names[k]] = 0;
    std::map<std::string, int> count;
    for (std::size_t k = 0; k < kept.size(); ++k) {
        const int n = ++count[names[k]];
        if (n == 1) continue;
        std::string numbered;
        for (int m = n;; ++m) {
            numbered = names[k] + " " + std::to_string(m);
            if (seen.count(numbered) == 0) break;
        }
        seen[numbered] = 0;
        names[k] = numbered;
    }
    return names;
}

}  // namespace zelvan::gtfs
