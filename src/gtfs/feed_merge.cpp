// Several feeds into one timetable, once all are read: a trip that two feeds both publish (the
// same number and times, at the same stations or stations within 100 m, or of the same name
// where neither has coordinates, on a shared day) is kept once on the union of its days; stations
// of different feeds within 400 m of each other are joined by walks. Each feed's times are its own
// local times: feeds of different time zones are never joined by walks.
#include <algorithm>
#include <cmath>
#include <iterator>

#include "gtfs/import_model_p.h"
#include "gtfs/spatial_grid_p.h"

namespace zelvan::gtfs {
namespace {

constexpr double kSamePlaceKm = 0.100;
constexpr double kWalkKm = 0.400;
constexpr double kWalkMetresPerSecond = 1.2;
constexpr int kLeastWalkMinutes = 2;

bool samePlace(const Network& network, int a, int b) {
    if (a == b) return true;
    const Station& x = network.stations[static_cast<std::size_t>(a)];
    const Station& y = network.stations[static_cast<std::size_t>(b)];
    // Without coordinates, the same name is all that tells.
    if (!x.located && !y.located) return x.name == y.name;
    return x.located && y.located && greatCircleKm(x.lat, x.lon, y.lat, y.lon) <= kSamePlaceKm;
}

bool sameRun(const Network& network, const Train& a, const Train& b) {
    if (a.stops.size() != b.stops.size()) return false;
    for (std::size_t k = 0; k < a.stops.size(); ++k) {
        if (!samePlace(network, a.stops[k].station, b.stops[k].station)) return false;
    }
    std::vector<int> shared;
    std::set_intersection(a.days.begin(), a.days.end(), b.days.begin(), b.days.end(),
                          std::back_inserter(shared));
    return !shared.empty();
}

// The number and every time: trains that share it are candidates.
std::string timesKey(const Train& train) {
    std::string key = train.number;
    key.push_back('\0');
    for (const RunStop& s : train.stops) {
        const int times[] = {s.arrival, s.departure};
        key.append(reinterpret_cast<const char*>(times), sizeof times);
    }
    return key;
}

}  // namespace

void mergeSharedTrips(Network& network, ImportSummary& summary) {
    network.trainOfKey = {};
    if (network.feeds.size() < 2) return;
    std::unordered_map<std::string, std::vector<int>> byTimes;
    std::vector<char> gone(network.trains.size(), 0);
    for (std::size_t t = 0; t < network.trains.size(); ++t) {
        Train& train = network.trains[t];
        std::vector<int>& candidates = byTimes[timesKey(train)];
        for (int c : candidates) {
            Train& kept = network.trains[static_cast<std::size_t>(c)];
            if (kept.feed == train.feed || !sameRun(network, kept, train)) continue;
            std::vector<int> days;
            std::set_union(kept.days.begin(), kept.days.end(), train.days.begin(), train.days.end(),
                           std::back_inserter(days));
            kept.days = std::move(days);
            if (kept.wheelchair != train.wheelchair) kept.wheelchair = 0;
            if (kept.bikes != train.bikes) kept.bikes = 0;
            gone[t] = 1;
            ++summary.tripsPublishedTwice;
            break;
        }
        if (!gone[t]) candidates.push_back(static_cast<int>(t));
    }
    std::vector<Train> trains;
    trains.reserve(network.trains.size());
    for (std::size_t t = 0; t < network.trains.size(); ++t) {
        if (!gone[t]) trains.push_back(std::move(network.trains[t]));
    }
    network.trains = std::move(trains);
    // A station only the trains kept once called at is called at no more.
    for (Station& s : network.stations) s.used = false;
    for (const Train& t : network.trains) {
        for (const RunStop& s : t.stops)
            network.stations[static_cast<std::size_t>(s.station)].used = true;
    }
}

bool linkFeeds(Network& network, ImportSummary& summary, std::string& error) {
    if (network.feeds.size() < 2) return true;
    const auto zoneOf = [&](const Station& s) -> const std::string& {
        return network.feeds[static_cast<std::size_t>(s.feed)].timeZone;
    };
    // A zone's stations are looked at only where trains of two feeds call in it.
    std::vector<char> calledAt(network.feeds.size(), 0);
    for (const Station& s : network.stations) {
        if (s.used) calledAt[static_cast<std::size_t>(s.feed)] = 1;
    }
    std::map<std::string, int> feedsInZone;
    for (std::size_t f = 0; f < network.feeds.size(); ++f) {
        if (calledAt[f]) ++feedsInZone[network.feeds[f].timeZone];
    }
    SpatialGrid grid(kWalkKm);
    for (std::size_t i = 0; i < network.stations.size(); ++i) {
        const Station& s = network.stations[i];
        if (!s.used || feedsInZone[zoneOf(s)] < 2) continue;
        if (!s.located) {
            error = network.feeds[static_cast<std::size_t>(s.feed)].name + ": " +
                    at("stops.txt", s.line) + "station " + s.name +
                    ": its latitude or longitude is out of range or not a number, and the walks "
                    "to the other feeds' stations are made from them";
            return false;
        }
        grid.add(static_cast<int>(i), s.lat, s.lon);
    }
    const std::size_t own = network.walks.size();
    for (std::size_t i = 0; i < network.stations.size(); ++i) {
        const Station& a = network.stations[i];
        if (!a.used || !a.located || feedsInZone[zoneOf(a)] < 2) continue;
        grid.near(a.lat, a.lon, [&](int j) {
            const Station& b = network.stations[static_cast<std::size_t>(j)];
            if (j <= static_cast<int>(i) || b.feed == a.feed || zoneOf(b) != zoneOf(a)) return;
            const double km = greatCircleKm(a.lat, a.lon, b.lat, b.lon);
            if (km > kWalkKm) return;
            const int minutes =
                std::max(kLeastWalkMinutes,
                         static_cast<int>(std::ceil(km * 1000 / kWalkMetresPerSecond / 60 - 1e-9)));
            network.walks.push_back({static_cast<int>(i), j, minutes});
            network.walks.push_back({j, static_cast<int>(i), minutes});
        });
    }
    summary.walksMade = static_cast<long long>(network.walks.size() - own);
    return true;
}

}  // namespace zelvan::gtfs
