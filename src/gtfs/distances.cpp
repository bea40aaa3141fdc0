// Distances: shapes.txt, the unit of shape_dist_traveled, and each trip's distance to each of
// its stops (the feed's own where every stop has one, else along the trip's shape, else the
// great circles between the stops' coordinates).
#include <algorithm>
#include <cmath>
#include <tuple>

#include "gtfs/import_model_p.h"

namespace zelvan::gtfs {
namespace {

// The distance along `shape` of each stop, nearest point first, never falling: each stop is
// looked for on the segments from the previous stop's on. Empty when a stop has no coordinates
// or the shape has fewer than two points.
std::vector<double> alongShape(const ParsedFeed& feed, const Shape& shape, std::size_t begin,
                               std::size_t n) {
    std::vector<double> km;
    if (shape.points.size() < 2) return km;
    std::size_t segment = 0;
    double previous = 0;
    for (std::size_t k = 0; k < n; ++k) {
        const StopPoint& p = feed.stops[static_cast<std::size_t>(feed.times[begin + k].stop)];
        if (!p.located) return {};
        const double scale = std::cos(p.lat * 3.14159265358979323846 / 180.0);
        double best = 1e18, at = previous;
        std::size_t bestSegment = segment;
        for (std::size_t s = segment; s + 1 < shape.points.size(); ++s) {
            const auto [lat1, lon1] = shape.points[s];
            const auto [lat2, lon2] = shape.points[s + 1];
            const double ax = (lon1 - p.lon) * scale, ay = lat1 - p.lat;
            const double bx = (lon2 - p.lon) * scale, by = lat2 - p.lat;
            const double dx = bx - ax, dy = by - ay;
            const double length = dx * dx + dy * dy;
            double u = length > 0 ? -(ax * dx + ay * dy) / length : 0;
            u = std::clamp(u, 0.0, 1.0);
            const double x = ax + u * dx, y = ay + u * dy;
            const double d = x * x + y * y;
            if (d < best) {
                best = d;
                bestSegment = s;
                at = shape.km[s] + u * (shape.km[s + 1] - shape.km[s]);
            }
        }
        segment = bestSegment;
        previous = std::max(previous, at);
        km.push_back(previous);
    }
    return km;
}

std::string stopList(const ParsedFeed& feed, std::size_t begin, std::size_t n) {
    std::string list;
    for (std::size_t k = 0; k < n; ++k) list += std::to_string(feed.times[begin + k].stop) + ',';
    return list;
}

}  // namespace

bool readShapes(FeedReader& reader, ParsedFeed& feed) {
    if (!reader.has("shapes.txt")) return true;
    reader.tell("reading shapes.txt");
    Table t;
    std::unordered_map<std::string, int> ids;
    std::vector<std::vector<std::tuple<long long, double, double>>> raw;
    bool ok = reader.walk(
        "shapes.txt", {"shape_id", "shape_pt_lat", "shape_pt_lon", "shape_pt_sequence"}, t,
        [&](const CsvRow& r) {
            double lat = 0, lon = 0;
            long long sequence = 0;
            if (!parseCoordinate(r.fields[t.column("shape_pt_lat")], lat, 90) ||
                !parseCoordinate(r.fields[t.column("shape_pt_lon")], lon, 180) ||
                !parseInteger(r.fields[t.column("shape_pt_sequence")], sequence)) {
                reader.error() = at(t.file, r.line) + "a shape point that is not valid";
                return false;
            }
            auto [it, added] = ids.try_emplace(std::string(r.fields[t.column("shape_id")]),
                                               static_cast<int>(raw.size()));
            if (added) raw.emplace_back();
            raw[static_cast<std::size_t>(it->second)].emplace_back(sequence, lat, lon);
            return true;
        });
    if (!ok) return false;
    feed.shapes.resize(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        std::sort(raw[i].begin(), raw[i].end());
        Shape& shape = feed.shapes[i];
        for (const auto& [sequence, lat, lon] : raw[i]) {
            shape.km.push_back(shape.points.empty()
                                   ? 0.0
                                   : shape.km.back() + greatCircleKm(shape.points.back().first,
                                                                     shape.points.back().second,
                                                                     lat, lon));
            shape.points.emplace_back(lat, lon);
        }
    }
    feed.shapeIds = std::move(ids);
    return true;
}

// The feed does not state the unit: whichever of km, metres, miles and feet lies nearest (by
// ratio) to what the stops' coordinates say, in the median of the trips that have both; metres
// when none has. Km per unit.
double distanceUnit(const ParsedFeed& feed) {
    const std::vector<StopTime>& times = feed.times;
    std::vector<double> ratios;
    for (std::size_t i = 0; i < times.size() && ratios.size() < 5000;) {
        std::size_t j = i;
        double straight = 0;
        bool usable = true;
        while (j < times.size() && times[j].trip == times[i].trip) {
            const StopTime& st = times[j];
            usable = usable && st.shapeDistance >= 0 &&
                     feed.stops[static_cast<std::size_t>(st.stop)].located;
            if (j > i && usable) {
                const StopPoint& a = feed.stops[static_cast<std::size_t>(times[j - 1].stop)];
                const StopPoint& b = feed.stops[static_cast<std::size_t>(st.stop)];
                straight += greatCircleKm(a.lat, a.lon, b.lat, b.lon);
            }
            ++j;
        }
        const double given = times[j - 1].shapeDistance - times[i].shapeDistance;
        if (usable && straight > 1 && given > 0) ratios.push_back(given / straight);
        i = j;
    }
    if (ratios.empty()) return 0.001;
    std::nth_element(ratios.begin(),
                     ratios.begin() + static_cast<std::ptrdiff_t>(ratios.size() / 2), ratios.end());
    // A line runs longer than the straight line, by about a sixth on railways.
    const double ratio = ratios[ratios.size() / 2] / 1.15;
    // Units per km.
    constexpr double kUnits[] = {1.0, 1000.0, 0.621371, 3280.84};
    double best = kUnits[1];
    for (const double units : kUnits) {
        if (std::abs(std::log(ratio / units)) < std::abs(std::log(ratio / best))) best = units;
    }
    return 1 / best;
}

bool tripDistances(FeedReader& reader, ParsedFeed& feed, const Trip& trip, std::size_t begin,
                   std::size_t n, double kmPerUnit, std::vector<double>& km) {
    const std::vector<StopTime>& times = feed.times;
    km.assign(n, 0);
    // The feed's own distances where every stop has one and they never fall.
    bool given = true;
    for (std::size_t k = 0; k < n && given; ++k) {
        given = times[begin + k].shapeDistance >= 0 &&
                (k == 0 || times[begin + k].shapeDistance >= times[begin + k - 1].shapeDistance);
    }
    if (given) {
        for (std::size_t k = 0; k < n; ++k) {
            km[k] =
                (static_cast<double>(times[begin + k].shapeDistance) - times[begin].shapeDistance) *
                kmPerUnit;
        }
        return true;
    }
    // Else along the trip's shape where it has one that the stops lie on.
    if (trip.shape >= 0) {
        const std::string key = std::to_string(trip.shape) + ':' + stopList(feed, begin, n);
        auto cached = feed.shapeKm.find(key);
        if (cached == feed.shapeKm.end()) {
            const Shape& shape = feed.shapes[static_cast<std::size_t>(trip.shape)];
            cached = feed.shapeKm.emplace(key, alongShape(feed, shape, begin, n)).first;
        }
        if (cached->second.size() == n) {
            km = cached->second;
            for (double& d : km) d -= cached->second.front();
            return true;
        }
    }
    // Else great circle by great circle, which needs every stop's place.
    for (std::size_t k = 0; k < n; ++k) {
        const StopPoint& b = feed.stops[static_cast<std::size_t>(times[begin + k].stop)];
        if (!b.located) {
            return reader.fail(at("stops.txt", b.line) +
                               "the stop's latitude or longitude is out of range or not a number, "
                               "and trip " +
                               trip.id +
                               " needs it for its distances (no shape_dist_traveled, no shape "
                               "its stops lie on)");
        }
        if (k == 0) continue;
        const StopPoint& a = feed.stops[static_cast<std::size_t>(times[begin + k - 1].stop)];
        km[k] = km[k - 1] + greatCircleKm(a.lat, a.lon, b.lat, b.lon);
    }
    return true;
}

}  // namespace zelvan::gtfs
