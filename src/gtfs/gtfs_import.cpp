#include "gtfs/gtfs_import.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <set>
#include <tuple>
#include <unordered_map>

#include "compiler/timetable_source.h"
#include "db/running_days.h"
#include "db/text.h"
#include "db/timetable_extensions.h"
#include "gtfs/csv_reader.h"
#include "gtfs/feed_files.h"

namespace zelvan::gtfs {
namespace {

constexpr int kMostStations = 16384;
constexpr int kMostTrains = 16384;
constexpr int kMostDwell = 127;  // a record's dwell; longer ones go to t.stops
constexpr int kMostStand = 1439;
constexpr int kMostKm = 16383;
constexpr int kNoTime = -1;

// Read piece by piece rather than whole: the files that make a feed large.
const std::vector<std::string> kStreamedFiles = {"stop_times.txt", "shapes.txt"};

const std::vector<std::string> kFeedFiles = {
    "agency.txt",   "stops.txt",           "routes.txt",      "trips.txt",     "stop_times.txt",
    "calendar.txt", "calendar_dates.txt",  "frequencies.txt", "transfers.txt", "feed_info.txt",
    "shapes.txt",   "fare_attributes.txt", "fare_rules.txt"};

std::string at(const std::string& file, int line) {
    return file + ":" + std::to_string(line) + ": ";
}

// Days since 1970-01-01.
int dayNumberOf(DateKey date) {
    return daysBetween(19700101, date);
}
DateKey dateOfDay(int day) {
    return addDays(19700101, day);
}

// YYYYMMDD as GTFS writes dates; false unless it is a calendar date.
bool parseGtfsDate(std::string_view text, DateKey& date) {
    if (text.size() != 8) return false;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (!isCalendarDate(value)) return false;
    date = value;
    return true;
}

// H:MM:SS or HH:MM:SS (hours may pass 24) as seconds; false when malformed.
bool parseTime(std::string_view text, int& seconds) {
    const std::size_t first = text.find(':');
    if (first == std::string_view::npos || first == 0 || first > 3) return false;
    if (text.size() != first + 6 || text[first + 3] != ':') return false;
    int h = 0;
    for (std::size_t i = 0; i < first; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        h = h * 10 + (text[i] - '0');
    }
    auto two = [&](std::size_t i, int& v) {
        if (text[i] < '0' || text[i] > '9' || text[i + 1] < '0' || text[i + 1] > '9') return false;
        v = (text[i] - '0') * 10 + (text[i + 1] - '0');
        return v < 60;
    };
    int m = 0, s = 0;
    if (!two(first + 1, m) || !two(first + 4, s)) return false;
    seconds = h * 3600 + m * 60 + s;
    return true;
}

bool parseInteger(std::string_view text, long long& value) {
    if (text.empty() || text.size() > 15) return false;
    long long v = 0;
    std::size_t i = text.front() == '-' ? 1 : 0;
    if (i == text.size()) return false;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        v = v * 10 + (text[i] - '0');
    }
    value = text.front() == '-' ? -v : v;
    return true;
}

// A decimal within ±limit; the C library's strtod would read by the user's locale (a comma
// for the point), from_chars never does.
bool parseCoordinate(std::string_view text, double& value, double limit) {
    if (text.empty() || text.size() > 32) return false;
    const auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), value);
    return problem == std::errc() && end == text.data() + text.size() && std::isfinite(value) &&
           std::fabs(value) <= limit;
}

double greatCircleKm(double lat1, double lon1, double lat2, double lon2) {
    constexpr double kRadius = 6371.0088;
    constexpr double kRad = 3.14159265358979323846 / 180.0;
    const double dLat = (lat2 - lat1) * kRad;
    const double dLon = (lon2 - lon1) * kRad;
    const double a =
        std::sin(dLat / 2) * std::sin(dLat / 2) +
        std::cos(lat1 * kRad) * std::cos(lat2 * kRad) * std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2 * kRadius * std::asin(std::min(1.0, std::sqrt(a)));
}

// A table of one feed file, its columns by name.
// Ids to indices, found by a view of the row's field: a million lookups make no strings.
struct IdHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view id) const { return std::hash<std::string_view>{}(id); }
};
using IdMap = std::unordered_map<std::string, int, IdHash, std::equal_to<>>;

struct Table {
    std::string file;
    std::vector<std::string_view> header;
    int column(std::string_view name) const { return columnOf(header, name); }
};

struct Station {
    std::string id;
    std::string name;
    std::string code;
    std::string zone;  // fare zone: the station's own, else its first platform's
    double lat = 0, lon = 0;
    bool located = false;
    int changeMinutes = -1;
    bool used = false;
};

struct StopPoint {
    int station = -1;
    std::string platform;
    double lat = 0, lon = 0;
    bool located = false;
};

struct Route {
    std::string id;
    std::string agency;
    std::string type;  // the text shown: short name, else long name
    std::string shortName;
    bool kept = true;
};

struct Trip {
    std::string id;
    int route = -1;
    int service = -1;
    std::string number;
    int shape = -1;  // index in shapes_, -1 none
    int line = 0;
};

// A shape: its points and the distance along it to each, in km.
struct Shape {
    std::vector<std::pair<double, double>> points;  // latitude, longitude
    std::vector<double> km;
};

// A million of these for a national feed: 28 bytes each.
struct StopTime {
    int trip = 0;
    int sequence = 0;
    int stop = 0;
    int arrival = kNoTime;  // seconds from the service day's noon less 12 h
    int departure = kNoTime;
    float shapeDistance = -1;  // shape_dist_traveled in the feed's unit, -1: not given
    int line : 30 = 0;
    bool board : 1 = true;
    bool alight : 1 = true;
};
static_assert(sizeof(StopTime) == 28);

// One run of a train as it will be stored: minutes from its run day's midnight.
struct RunStop {
    int station = 0;
    int arrival = 0;
    int departure = 0;
    int km = 0;
    bool board = true;
    bool alight = true;
    std::string platform;
};

struct Train {
    std::string number;
    int route = -1;
    std::vector<RunStop> stops;
    std::vector<int> days;  // run days (day numbers), ascending: a set's nodes took 40 bytes a day
    std::string key;        // t.i key
};

class Importer {
  public:
    Importer(const ImportOptions& options, ImportSummary& summary, std::string& error)
        : options_(options), summary_(summary), error_(error) {}

    bool run() {
        tell("reading " + options_.feed.string());
        if (!readFeedFiles(options_.feed, kFeedFiles, files_, error_, 4ULL << 30, kStreamedFiles)) {
            return false;
        }
        for (const char* required :
             {"agency.txt", "stops.txt", "routes.txt", "trips.txt", "stop_times.txt"}) {
            if (files_.count(required) == 0) return fail(std::string(required) + ": missing");
        }
        if (files_.count("calendar.txt") == 0 && files_.count("calendar_dates.txt") == 0) {
            return fail("calendar.txt and calendar_dates.txt: both missing (one is required)");
        }
        return readAgencies() && readCalendars() && readStops() && readRoutes() && readShapes() &&
               readTrips() && readStopTimes() && buildRuns() && readTransfers() && readFares() &&
               write();
    }

  private:
    bool fail(std::string message) {
        error_ = std::move(message);
        return false;
    }
    void warn(const std::string& what, long long count = 1) {
        if (count > 0) summary_.warnings[what] += count;
    }
    void drop(const std::string& why, long long count = 1) {
        if (count > 0) summary_.dropped[why] += count;
    }
    void tell(const std::string& what) const {
        if (options_.progress) options_.progress(what);
    }

    // Walks a file: header, then rows with their fields. False on a CSV error or when `row`
    // says so (having set error_).
    bool walk(const std::string& file, const std::vector<const char*>& required, Table& table,
              const std::function<bool(const CsvRow&)>& row) {
        auto it = files_.find(file);
        if (it == files_.end()) return true;
        table.file = file;
        std::string problem;
        long long trimmed = 0;
        bool missing = false;
        const auto header = [&](const std::vector<std::string_view>& names) {
            // Columns are checked before any row: the rows read the required ones.
            table.header = names;
            for (const char* column : required) {
                if (table.column(column) < 0 && problem.empty()) {
                    problem = at(file, 1) + "no column " + column;
                    missing = true;
                }
            }
        };
        const auto line = [&](const CsvRow& r) {
            if (missing) return false;
            if (r.fields.size() != table.header.size()) {
                problem = at(file, r.line) + std::to_string(r.fields.size()) +
                          " fields, the header has " + std::to_string(table.header.size());
                return false;
            }
            if (!row(r)) {
                problem = error_;
                return false;
            }
            return true;
        };
        bool ok = true;
        if (std::find(kStreamedFiles.begin(), kStreamedFiles.end(), file) == kStreamedFiles.end()) {
            ok = readCsv(it->second, header, line, trimmed, problem);
        } else {
            // The large files come piece by piece: their text is never held whole.
            CsvState state;
            state.partial = true;
            std::string pending;
            std::string readError;
            bool csvFailed = false;
            const bool read = streamFeedFile(
                options_.feed, file,
                [&](std::string_view piece, unsigned long long declared) {
                    if (pending.empty() && state.line == 1) declaredSize_ = declared;
                    pending.append(piece);
                    if (!readCsv(pending, header, line, trimmed, problem, &state)) {
                        csvFailed = true;
                        return false;
                    }
                    if (state.stopped) return false;
                    pending.erase(0, state.consumed);
                    return true;
                },
                readError);
            if (!read) return fail(readError);
            if (!csvFailed && !state.stopped) {
                state.partial = false;
                csvFailed = !readCsv(pending, header, line, trimmed, problem, &state);
            }
            ok = !csvFailed;
        }
        warn(file + ": values with spaces around them (trimmed)", trimmed);
        if (!ok) return fail(file + ":" + problem);
        if (!problem.empty()) return fail(problem);
        return true;
    }

    bool readAgencies() {
        Table t;
        std::set<std::string> zones;
        std::set<std::string> kept;
        bool ok = walk("agency.txt", {"agency_name", "agency_timezone"}, t, [&](const CsvRow& r) {
            const int idColumn = t.column("agency_id");
            const int zoneColumn = t.column("agency_timezone");
            const int nameColumn = t.column("agency_name");
            if (zoneColumn < 0 || nameColumn < 0) return true;
            const std::string id(idColumn >= 0 ? r.fields[idColumn] : "");
            const std::string zone(r.fields[zoneColumn]);
            if (!knownTimeZone(zone)) {
                error_ =
                    at(t.file, r.line) + "time zone \"" + zone + "\" is not one the system knows";
                return false;
            }
            if (!options_.agencies.empty() &&
                std::find(options_.agencies.begin(), options_.agencies.end(), id) ==
                    options_.agencies.end()) {
                return true;
            }
            zones.insert(zone);
            kept.insert(id);
            if (!agencyNames_.empty()) agencyNames_ += ", ";
            agencyNames_ += std::string(r.fields[nameColumn]);
            return true;
        });
        if (!ok) return false;
        if (kept.empty()) {
            return fail(options_.agencies.empty()
                            ? "agency.txt: no agency"
                            : "agency.txt: no agency has the id given with --agency");
        }
        if (zones.size() > 1) {
            std::string list;
            for (const std::string& z : zones) list += (list.empty() ? "" : ", ") + z;
            return fail("agency.txt: the agencies are in different time zones (" + list +
                        "): pick the agencies of one zone with --agency");
        }
        timeZone_ = *zones.begin();
        agencies_ = kept;
        return true;
    }

    bool readCalendars() {
        Table t;
        std::unordered_map<std::string, int> ids;
        auto service = [&](std::string_view id) {
            auto [it, added] = ids.try_emplace(std::string(id), static_cast<int>(services_.size()));
            if (added) services_.emplace_back();
            return it->second;
        };
        bool ok = walk(
            "calendar.txt",
            {"service_id", "monday", "tuesday", "wednesday", "thursday", "friday", "saturday",
             "sunday", "start_date", "end_date"},
            t, [&](const CsvRow& r) {
                static const char* kDays[] = {"monday", "tuesday",  "wednesday", "thursday",
                                              "friday", "saturday", "sunday"};
                int columns[7];
                for (int d = 0; d < 7; ++d) columns[d] = t.column(kDays[d]);
                const int start = t.column("start_date"), end = t.column("end_date");
                const int id = t.column("service_id");
                if (id < 0 || start < 0 || end < 0 ||
                    std::find(columns, columns + 7, -1) != columns + 7) {
                    return true;
                }
                DateKey from = 0, until = 0;
                if (!parseGtfsDate(r.fields[start], from) || !parseGtfsDate(r.fields[end], until)) {
                    error_ = at(t.file, r.line) + "a date that is not YYYYMMDD of a calendar day";
                    return false;
                }
                bool weekdays[7];
                for (int d = 0; d < 7; ++d) {
                    const std::string_view v = r.fields[columns[d]];
                    if (v != "0" && v != "1") {
                        error_ = at(t.file, r.line) + kDays[d] + " is neither 0 nor 1";
                        return false;
                    }
                    weekdays[d] = v == "1";
                }
                std::set<int>& days = services_[service(r.fields[id])];
                const int first = dayNumberOf(from), last = dayNumberOf(until);
                for (int day = first; day <= last && day - first < 3700; ++day) {
                    // 1970-01-01 was a Thursday.
                    if (weekdays[((day % 7) + 7 + 3) % 7]) days.insert(day);
                }
                return true;
            });
        if (!ok) return false;
        ok = walk("calendar_dates.txt", {"service_id", "date", "exception_type"}, t,
                  [&](const CsvRow& r) {
                      const int id = t.column("service_id"), date = t.column("date"),
                                type = t.column("exception_type");
                      if (id < 0 || date < 0 || type < 0) return true;
                      DateKey day = 0;
                      if (!parseGtfsDate(r.fields[date], day)) {
                          error_ =
                              at(t.file, r.line) + "a date that is not YYYYMMDD of a calendar day";
                          return false;
                      }
                      std::set<int>& days = services_[service(r.fields[id])];
                      if (r.fields[type] == "1") {
                          days.insert(dayNumberOf(day));
                      } else if (r.fields[type] == "2") {
                          days.erase(dayNumberOf(day));
                      } else {
                          error_ = at(t.file, r.line) + "exception_type is neither 1 nor 2";
                          return false;
                      }
                      return true;
                  });
        serviceIds_ = std::move(ids);
        return ok;
    }

    bool readStops() {
        Table t;
        struct Raw {
            std::string id, name, code, parent, platform, zone;
            int type = 0;
            double lat = 0, lon = 0;
            bool located = false;
            int line = 0;
        };
        std::vector<Raw> raws;
        bool ok = walk("stops.txt", {"stop_id"}, t, [&](const CsvRow& r) {
            auto field = [&](const char* name) -> std::string_view {
                const int c = t.column(name);
                return c >= 0 ? r.fields[static_cast<std::size_t>(c)] : std::string_view();
            };
            Raw raw;
            raw.id = field("stop_id");
            raw.name = field("stop_name");
            raw.code = field("stop_code");
            raw.parent = field("parent_station");
            raw.platform = field("platform_code");
            raw.zone = field("zone_id");
            raw.line = r.line;
            long long type = 0;
            if (!field("location_type").empty() && !parseInteger(field("location_type"), type)) {
                error_ = at(t.file, r.line) + "location_type is not a number";
                return false;
            }
            raw.type = static_cast<int>(type);
            if (raw.id.empty()) {
                error_ = at(t.file, r.line) + "a stop without a stop_id";
                return false;
            }
            const bool lat = parseCoordinate(field("stop_lat"), raw.lat, 90);
            const bool lon = parseCoordinate(field("stop_lon"), raw.lon, 180);
            raw.located = lat && lon;
            if ((raw.type == 0 || raw.type == 1) && raw.name.empty()) {
                error_ = at(t.file, r.line) + "stop " + raw.id + " has no name";
                return false;
            }
            raws.push_back(std::move(raw));
            return true;
        });
        if (!ok) return false;
        std::unordered_map<std::string, std::size_t> byId;
        for (std::size_t i = 0; i < raws.size(); ++i) {
            if (!byId.emplace(raws[i].id, i).second) {
                return fail(at(t.file, raws[i].line) + "stop_id " + raws[i].id + " stands twice");
            }
        }
        // Stations: parent stations, and stops without a parent.
        std::unordered_map<std::string, int> stationOf;
        for (const Raw& raw : raws) {
            if (raw.type == 1 || (raw.type == 0 && raw.parent.empty())) {
                stationOf[raw.id] = static_cast<int>(stations_.size());
                Station s;
                s.id = raw.id;
                s.name = raw.name;
                s.code = raw.code;
                s.zone = raw.zone;
                s.lat = raw.lat;
                s.lon = raw.lon;
                s.located = raw.located;
                stations_.push_back(std::move(s));
            }
        }
        for (const Raw& raw : raws) {
            // Entrances, nodes and boarding areas are not called at. A station is, in feeds
            // that call at it rather than at its platforms.
            if (raw.type == 1) {
                StopPoint point;
                point.station = stationOf[raw.id];
                point.lat = raw.lat;
                point.lon = raw.lon;
                point.located = raw.located;
                stopIndex_[raw.id] = static_cast<int>(stops_.size());
                stops_.push_back(std::move(point));
                continue;
            }
            if (raw.type != 0) continue;
            StopPoint point;
            if (raw.parent.empty()) {
                point.station = stationOf[raw.id];
            } else {
                auto parent = stationOf.find(raw.parent);
                if (parent == stationOf.end()) {
                    return fail(at(t.file, raw.line) + "parent_station " + raw.parent +
                                " is no station of stops.txt");
                }
                point.station = parent->second;
                point.platform = raw.platform;
            }
            point.lat = raw.located ? raw.lat : stations_[point.station].lat;
            point.lon = raw.located ? raw.lon : stations_[point.station].lon;
            point.located = raw.located || stations_[point.station].located;
            Station& station = stations_[point.station];
            if (station.zone.empty()) station.zone = raw.zone;
            if (!station.located && raw.located) {
                station.lat = raw.lat;
                station.lon = raw.lon;
                station.located = true;
            }
            stopIndex_[raw.id] = static_cast<int>(stops_.size());
            stops_.push_back(std::move(point));
        }
        return true;
    }

    bool readRoutes() {
        Table t;
        return walk("routes.txt", {"route_id", "route_type"}, t, [&](const CsvRow& r) {
            auto field = [&](const char* name) -> std::string_view {
                const int c = t.column(name);
                return c >= 0 ? r.fields[static_cast<std::size_t>(c)] : std::string_view();
            };
            Route route;
            route.agency = field("agency_id");
            route.shortName = field("route_short_name");
            route.type =
                route.shortName.empty() ? std::string(field("route_long_name")) : route.shortName;
            long long type = 0;
            if (!parseInteger(field("route_type"), type)) {
                error_ = at(t.file, r.line) + "route_type is not a number";
                return false;
            }
            // A route of no agency belongs to the feed's one agency.
            route.kept = (route.agency.empty() || agencies_.count(route.agency) != 0 ||
                          (agencies_.size() == 1 && agencies_.count("") != 0)) &&
                         (options_.routeTypes.empty() ||
                          std::find(options_.routeTypes.begin(), options_.routeTypes.end(),
                                    static_cast<int>(type)) != options_.routeTypes.end());
            const std::string id(field("route_id"));
            route.id = id;
            if (!routeIndex_.emplace(id, static_cast<int>(routes_.size())).second) {
                error_ = at(t.file, r.line) + "route_id " + id + " stands twice";
                return false;
            }
            routes_.push_back(std::move(route));
            return true;
        });
    }

    bool readShapes() {
        if (files_.count("shapes.txt") == 0) return true;
        tell("reading shapes.txt");
        Table t;
        std::unordered_map<std::string, int> ids;
        std::vector<std::vector<std::tuple<long long, double, double>>> raw;
        bool ok =
            walk("shapes.txt", {"shape_id", "shape_pt_lat", "shape_pt_lon", "shape_pt_sequence"}, t,
                 [&](const CsvRow& r) {
                     double lat = 0, lon = 0;
                     long long sequence = 0;
                     if (!parseCoordinate(r.fields[t.column("shape_pt_lat")], lat, 90) ||
                         !parseCoordinate(r.fields[t.column("shape_pt_lon")], lon, 180) ||
                         !parseInteger(r.fields[t.column("shape_pt_sequence")], sequence)) {
                         error_ = at(t.file, r.line) + "a shape point that is not valid";
                         return false;
                     }
                     auto [it, added] = ids.try_emplace(std::string(r.fields[t.column("shape_id")]),
                                                        static_cast<int>(raw.size()));
                     if (added) raw.emplace_back();
                     raw[static_cast<std::size_t>(it->second)].emplace_back(sequence, lat, lon);
                     return true;
                 });
        if (!ok) return false;
        shapes_.resize(raw.size());
        for (std::size_t i = 0; i < raw.size(); ++i) {
            std::sort(raw[i].begin(), raw[i].end());
            Shape& shape = shapes_[i];
            for (const auto& [sequence, lat, lon] : raw[i]) {
                shape.km.push_back(shape.points.empty()
                                       ? 0.0
                                       : shape.km.back() + greatCircleKm(shape.points.back().first,
                                                                         shape.points.back().second,
                                                                         lat, lon));
                shape.points.emplace_back(lat, lon);
            }
        }
        shapeIds_ = std::move(ids);
        return true;
    }

    // The distance along `shape` of each stop, nearest point first, never falling: each stop is
    // looked for on the segments from the previous stop's on. Empty when a stop has no
    // coordinates or the shape has fewer than two points.
    std::vector<double> alongShape(const Shape& shape, std::size_t begin, std::size_t n) const {
        std::vector<double> km;
        if (shape.points.size() < 2) return km;
        std::size_t segment = 0;
        double previous = 0;
        for (std::size_t k = 0; k < n; ++k) {
            const StopPoint& p = stops_[static_cast<std::size_t>(times_[begin + k].stop)];
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

    bool readTrips() {
        Table t;
        return walk("trips.txt", {"route_id", "service_id", "trip_id"}, t, [&](const CsvRow& r) {
            auto field = [&](const char* name) -> std::string_view {
                const int c = t.column(name);
                return c >= 0 ? r.fields[static_cast<std::size_t>(c)] : std::string_view();
            };
            Trip trip;
            trip.id = field("trip_id");
            trip.line = r.line;
            auto route = routeIndex_.find(std::string(field("route_id")));
            if (route == routeIndex_.end()) {
                error_ = at(t.file, r.line) + "route_id " + std::string(field("route_id")) +
                         " is not in routes.txt";
                return false;
            }
            auto service = serviceIds_.find(std::string(field("service_id")));
            if (service == serviceIds_.end()) {
                error_ = at(t.file, r.line) + "service_id " + std::string(field("service_id")) +
                         " is in neither calendar.txt nor calendar_dates.txt";
                return false;
            }
            trip.route = route->second;
            trip.service = service->second;
            trip.number = field("trip_short_name");
            if (auto shape = shapeIds_.find(std::string(field("shape_id")));
                shape != shapeIds_.end()) {
                trip.shape = shape->second;
            }
            if (trip.number.empty()) {
                const Route& owner = routes_[static_cast<std::size_t>(trip.route)];
                trip.number =
                    (owner.shortName.empty() ? std::string(field("route_id")) : owner.shortName) +
                    " " + trip.id;
            }
            if (!tripIndex_.emplace(trip.id, static_cast<int>(trips_.size())).second) {
                error_ = at(t.file, r.line) + "trip_id " + trip.id + " stands twice";
                return false;
            }
            trips_.push_back(std::move(trip));
            ++summary_.trips;
            return true;
        });
    }

    bool readStopTimes() {
        tell("reading stop_times.txt");
        Table t;
        int trip = -1, arrival = -1, departure = -1, stop = -1, sequence = -1, pickup = -1,
            dropoff = -1, shapeDistance = -1;
        bool columns = false;
        bool reserved = false;
        std::string lastTrip;
        int lastTripIndex = -1;
        bool ok = walk(
            "stop_times.txt", {"trip_id", "stop_id", "stop_sequence"}, t, [&](const CsvRow& r) {
                if (!reserved) {
                    // Rows of 30 bytes and more: room ahead for as many as the stated size
                    // holds (a hint only, so for 10 million rows at most; room not yet
                    // written takes no memory).
                    times_.reserve(static_cast<std::size_t>(
                        std::min<unsigned long long>(declaredSize_ / 30, 10'000'000)));
                    reserved = true;
                }
                if (!columns) {
                    trip = t.column("trip_id");
                    arrival = t.column("arrival_time");
                    departure = t.column("departure_time");
                    stop = t.column("stop_id");
                    sequence = t.column("stop_sequence");
                    pickup = t.column("pickup_type");
                    dropoff = t.column("drop_off_type");
                    shapeDistance = t.column("shape_dist_traveled");
                    columns = true;
                }
                if (trip < 0 || stop < 0 || sequence < 0) return true;
                ++summary_.stopTimes;
                StopTime st;
                st.line = std::min(r.line, (1 << 29) - 1);  // the bit-field holds 29 bits
                const std::string_view tripId = r.fields[static_cast<std::size_t>(trip)];
                if (tripId != lastTrip || lastTripIndex < 0) {
                    auto it = tripIndex_.find(tripId);
                    if (it == tripIndex_.end()) {
                        error_ = at(t.file, r.line) + "trip_id " + std::string(tripId) +
                                 " is not in trips.txt";
                        return false;
                    }
                    lastTrip.assign(tripId);
                    lastTripIndex = it->second;
                }
                st.trip = lastTripIndex;
                auto point = stopIndex_.find(r.fields[static_cast<std::size_t>(stop)]);
                if (point == stopIndex_.end()) {
                    error_ = at(t.file, r.line) + "stop_id " +
                             std::string(r.fields[static_cast<std::size_t>(stop)]) +
                             " is no stop of stops.txt";
                    return false;
                }
                st.stop = point->second;
                long long seq = 0;
                if (!parseInteger(r.fields[static_cast<std::size_t>(sequence)], seq) || seq < 0 ||
                    seq > 1 << 30) {
                    error_ = at(t.file, r.line) + "stop_sequence is not a whole number";
                    return false;
                }
                st.sequence = static_cast<int>(seq);
                auto time = [&](int column, int& value) {
                    if (column < 0 || r.fields[static_cast<std::size_t>(column)].empty())
                        return true;
                    return parseTime(r.fields[static_cast<std::size_t>(column)], value);
                };
                if (!time(arrival, st.arrival) || !time(departure, st.departure)) {
                    error_ = at(t.file, r.line) + "a time that is not HH:MM:SS";
                    return false;
                }
                auto flag = [&](int column) {
                    return column >= 0 && r.fields[static_cast<std::size_t>(column)] == "1";
                };
                st.board = !flag(pickup);
                st.alight = !flag(dropoff);
                if (shapeDistance >= 0) {
                    // Not a distance (empty, text, negative, absurd): as if not given.
                    const std::string_view text = r.fields[static_cast<std::size_t>(shapeDistance)];
                    double value = -1;
                    if (!text.empty() && parseCoordinate(text, value, 1e9) && value >= 0) {
                        st.shapeDistance = static_cast<float>(value);
                    }
                }
                times_.push_back(st);
                return true;
            });
        return ok;
    }

    // Frequencies: trip -> (start, end, headway) in seconds.
    bool readFrequencies(std::unordered_map<int, std::vector<std::array<int, 3>>>& out) {
        Table t;
        return walk("frequencies.txt", {"trip_id", "start_time", "end_time", "headway_secs"}, t,
                    [&](const CsvRow& r) {
                        const int tripColumn = t.column("trip_id");
                        if (tripColumn < 0 || t.column("headway_secs") < 0) return true;
                        auto it = tripIndex_.find(std::string(r.fields[tripColumn]));
                        if (it == tripIndex_.end()) {
                            error_ = at(t.file, r.line) + "trip_id " +
                                     std::string(r.fields[tripColumn]) + " is not in trips.txt";
                            return false;
                        }
                        int start = 0, end = 0;
                        long long headway = 0;
                        if (!parseTime(r.fields[t.column("start_time")], start) ||
                            !parseTime(r.fields[t.column("end_time")], end) ||
                            !parseInteger(r.fields[t.column("headway_secs")], headway) ||
                            headway <= 0 || end < start) {
                            error_ = at(t.file, r.line) +
                                     "start_time, end_time or headway_secs is not valid";
                            return false;
                        }
                        // A run a minute at least, within two days: more is no timetable.
                        if ((end - start) / headway > 2880 || end > 7 * 86400) {
                            error_ =
                                at(t.file, r.line) + "more runs than one a minute for two days";
                            return false;
                        }
                        out[it->second].push_back({start, end, static_cast<int>(headway)});
                        return true;
                    });
    }

    // The unit of shape_dist_traveled, which the feed does not state, as km per unit: whichever
    // of km, metres, miles and feet lies nearest (by ratio) to what the stops' coordinates say,
    // in the median of the trips that have both; metres when none has.
    double distanceUnit() const {
        std::vector<double> ratios;
        for (std::size_t i = 0; i < times_.size() && ratios.size() < 5000;) {
            std::size_t j = i;
            double straight = 0;
            bool usable = true;
            while (j < times_.size() && times_[j].trip == times_[i].trip) {
                const StopTime& st = times_[j];
                usable = usable && st.shapeDistance >= 0 &&
                         stops_[static_cast<std::size_t>(st.stop)].located;
                if (j > i && usable) {
                    const StopPoint& a = stops_[static_cast<std::size_t>(times_[j - 1].stop)];
                    const StopPoint& b = stops_[static_cast<std::size_t>(st.stop)];
                    straight += greatCircleKm(a.lat, a.lon, b.lat, b.lon);
                }
                ++j;
            }
            const double given = times_[j - 1].shapeDistance - times_[i].shapeDistance;
            if (usable && straight > 1 && given > 0) ratios.push_back(given / straight);
            i = j;
        }
        if (ratios.empty()) return 0.001;
        std::nth_element(ratios.begin(),
                         ratios.begin() + static_cast<std::ptrdiff_t>(ratios.size() / 2),
                         ratios.end());
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

    bool buildRuns() {
        tell("building the runs");
        std::unordered_map<int, std::vector<std::array<int, 3>>> frequencies;
        if (!readFrequencies(frequencies)) return false;
        // In place (a stable sort takes a copy's room): the line, unique, keeps rows of one
        // sequence in file order.
        std::sort(times_.begin(), times_.end(), [](const StopTime& a, const StopTime& b) {
            if (a.trip != b.trip) return a.trip < b.trip;
            if (a.sequence != b.sequence) return a.sequence < b.sequence;
            return a.line < b.line;
        });
        const double kmPerUnit = distanceUnit();
        const int rangeFirst = options_.from ? dayNumberOf(options_.from) : INT32_MIN;
        const int rangeLast = options_.until ? dayNumberOf(options_.until) : INT32_MAX;
        std::unordered_map<std::string, int> trainOfKey;
        std::vector<RunStop> stops;
        std::vector<int> arrivals, departures;
        std::vector<double> km;
        std::size_t i = 0;
        std::vector<char> seen(trips_.size(), 0);
        while (i < times_.size()) {
            std::size_t j = i;
            while (j < times_.size() && times_[j].trip == times_[i].trip) ++j;
            const Trip& trip = trips_[static_cast<std::size_t>(times_[i].trip)];
            seen[static_cast<std::size_t>(times_[i].trip)] = 1;
            const std::size_t begin = i;
            i = j;
            for (std::size_t k = begin + 1; k < j; ++k) {
                if (times_[k].sequence == times_[k - 1].sequence) {
                    return fail(at("stop_times.txt", times_[k].line) + "trip " + trip.id +
                                ": stop_sequence " + std::to_string(times_[k].sequence) +
                                " stands twice");
                }
            }
            if (!routes_[static_cast<std::size_t>(trip.route)].kept) {
                drop("trips of agencies or route types not asked for");
                continue;
            }
            const std::size_t n = j - begin;
            if (n < 2) {
                drop("trips with fewer than two stops");
                continue;
            }
            // Distances from the coordinates, great circle by great circle.
            km.assign(n, 0);
            for (std::size_t k = 1; k < n; ++k) {
                const StopPoint& a = stops_[static_cast<std::size_t>(times_[begin + k - 1].stop)];
                const StopPoint& b = stops_[static_cast<std::size_t>(times_[begin + k].stop)];
                km[k] = km[k - 1] +
                        (a.located && b.located ? greatCircleKm(a.lat, a.lon, b.lat, b.lon) : 0.0);
            }
            // The feed's own distances where every stop has one and they never fall; else along
            // the trip's shape where it has one that the stops lie on.
            bool given = true;
            for (std::size_t k = 0; k < n && given; ++k) {
                given = times_[begin + k].shapeDistance >= 0 &&
                        (k == 0 ||
                         times_[begin + k].shapeDistance >= times_[begin + k - 1].shapeDistance);
            }
            if (given) {
                for (std::size_t k = 0; k < n; ++k) {
                    km[k] = (static_cast<double>(times_[begin + k].shapeDistance) -
                             times_[begin].shapeDistance) *
                            kmPerUnit;
                }
            } else if (trip.shape >= 0) {
                const std::string key = std::to_string(trip.shape) + ':' + stopList(begin, n);
                auto cached = shapeKm_.find(key);
                if (cached == shapeKm_.end()) {
                    cached =
                        shapeKm_
                            .emplace(key, alongShape(shapes_[static_cast<std::size_t>(trip.shape)],
                                                     begin, n))
                            .first;
                }
                if (cached->second.size() == n) {
                    km = cached->second;
                    for (double& d : km) d -= cached->second.front();
                }
            }
            // Times: one missing is the other; stops with neither are interpolated by distance
            // between the timed stops around them.
            arrivals.assign(n, kNoTime);
            departures.assign(n, kNoTime);
            for (std::size_t k = 0; k < n; ++k) {
                const StopTime& st = times_[begin + k];
                arrivals[k] = st.arrival != kNoTime ? st.arrival : st.departure;
                departures[k] = st.departure != kNoTime ? st.departure : st.arrival;
            }
            if (arrivals.front() == kNoTime || arrivals.back() == kNoTime) {
                return fail(
                    at("stop_times.txt", times_[arrivals.front() == kNoTime ? begin : j - 1].line) +
                    "trip " + trip.id + ": its first and last stops need times");
            }
            bool interpolated = false;
            for (std::size_t k = 1; k + 1 < n; ++k) {
                if (arrivals[k] != kNoTime) continue;
                std::size_t next = k + 1;
                while (arrivals[next] == kNoTime) ++next;
                const std::size_t previous = k - 1;
                const double span = km[next] - km[previous];
                for (std::size_t m = k; m < next; ++m) {
                    const double share = span > 0 ? (km[m] - km[previous]) / span
                                                  : double(m - previous) / double(next - previous);
                    arrivals[m] = departures[m] =
                        departures[previous] +
                        static_cast<int>(
                            std::lround(share * (arrivals[next] - departures[previous])));
                }
                interpolated = true;
                k = next - 1;
            }
            if (interpolated)
                warn("trips with untimed stops, their times interpolated by distance");
            // Times never run backwards.
            for (std::size_t k = 0; k < n; ++k) {
                const bool back =
                    departures[k] < arrivals[k] || (k > 0 && arrivals[k] < departures[k - 1]);
                if (back) {
                    return fail(at("stop_times.txt", times_[begin + k].line) + "trip " + trip.id +
                                ": the times run backwards");
                }
            }
            // Run starts: the trip itself, or every start its frequencies give.
            std::vector<int> shifts = {0};
            if (auto f = frequencies.find(times_[begin].trip); f != frequencies.end()) {
                shifts.clear();
                for (const auto& [start, end, headway] : f->second) {
                    for (int s = start; s < end; s += headway) shifts.push_back(s - departures[0]);
                }
            }
            for (const int shift : shifts) {
                if (!addRun(trip, begin, n, arrivals, departures, km, shift, rangeFirst, rangeLast,
                            trainOfKey)) {
                    return false;
                }
            }
        }
        for (std::size_t t = 0; t < trips_.size(); ++t) {
            if (!seen[t]) drop("trips without stop times");
        }
        times_.clear();
        times_.shrink_to_fit();
        return true;
    }

    std::string stopList(std::size_t begin, std::size_t n) const {
        std::string list;
        for (std::size_t k = 0; k < n; ++k) list += std::to_string(times_[begin + k].stop) + ',';
        return list;
    }

    bool addRun(const Trip& trip, std::size_t begin, std::size_t n,
                const std::vector<int>& arrivals, const std::vector<int>& departures,
                const std::vector<double>& km, int shift, int rangeFirst, int rangeLast,
                std::unordered_map<std::string, int>& trainOfKey) {
        // The run leaves on the day of its first departure; times count from that midnight.
        const int first = departures[0] + shift;
        const int dayShift = first >= 0 ? first / 86400 : -((-first + 86399) / 86400);
        std::vector<RunStop> stops(n);
        for (std::size_t k = 0; k < n; ++k) {
            const StopTime& st = times_[begin + k];
            RunStop& s = stops[k];
            const StopPoint& point = stops_[static_cast<std::size_t>(st.stop)];
            s.station = point.station;
            s.platform = point.platform;
            s.arrival = (arrivals[k] + shift - dayShift * 86400) / 60;
            s.departure = (departures[k] + shift - dayShift * 86400) / 60;
            s.km = static_cast<int>(std::lround(km[k]));
            s.board = st.board;
            s.alight = st.alight;
        }
        stops.front().arrival = stops.front().departure;
        stops.back().departure = stops.back().arrival;
        for (std::size_t k = 0; k < n; ++k) {
            if (stops[k].departure - stops[k].arrival > kMostStand) {
                drop("trips standing a day or longer at a stop");
                return true;
            }
            if (stops[k].km > kMostKm) {
                drop("trips running farther than 16,383 km");
                return true;
            }
            if (k > 0) {
                // The record counts a new day where the hour falls: a leg must be dated so.
                const int days = stops[k].arrival / 1440 - stops[k - 1].arrival / 1440;
                const bool falls = stops[k].arrival / 60 % 24 < stops[k - 1].arrival / 60 % 24;
                if (days != (falls ? 1 : 0)) {
                    drop("trips with a leg of 23 hours or more");
                    return true;
                }
            }
        }
        std::vector<int> days;
        for (int service : services_[static_cast<std::size_t>(trip.service)]) {
            const int day = service + dayShift;
            if (day >= rangeFirst && day <= rangeLast) days.push_back(day);
        }
        if (days.empty()) {
            drop(services_[static_cast<std::size_t>(trip.service)].empty()
                     ? "trips whose service has no day"
                     : "trips with no day in the range");
            return true;
        }
        for (const RunStop& s : stops) stations_[static_cast<std::size_t>(s.station)].used = true;
        // The merge key: number, route (its text and, for its fares, its id), then every stop
        // as it is stored; texts by their length, then their bytes.
        std::string key;
        key.reserve(64 + stops.size() * 28);
        const auto text = [&key](const std::string& t) {
            const std::size_t length = t.size();
            key.append(reinterpret_cast<const char*>(&length), sizeof length);
            key += t;
        };
        text(trip.number);
        text(routes_[static_cast<std::size_t>(trip.route)].type);
        text(routes_[static_cast<std::size_t>(trip.route)].id);
        // Each stop as its numbers' bytes, then its platform's length and text.
        for (const RunStop& s : stops) {
            const int numbers[] = {s.station,
                                   s.arrival,
                                   s.departure,
                                   s.km,
                                   (s.board ? 1 : 0) | (s.alight ? 2 : 0),
                                   static_cast<int>(s.platform.size())};
            key.append(reinterpret_cast<const char*>(numbers), sizeof numbers);
            key += s.platform;
        }
        summary_.runs += static_cast<long long>(days.size());
        auto [it, added] = trainOfKey.try_emplace(key, static_cast<int>(trains_.size()));
        if (added) {
            Train train;
            train.number = trip.number;
            train.route = trip.route;
            train.stops = std::move(stops);
            trains_.push_back(std::move(train));
        } else {
            summary_.runsMerged += static_cast<long long>(days.size());
        }
        Train& train = trains_[static_cast<std::size_t>(it->second)];
        for (int day : days) {
            const auto at = std::lower_bound(train.days.begin(), train.days.end(), day);
            if (at != train.days.end() && *at == day) {
                warn("runs of one train given twice on one day");
            } else {
                train.days.insert(at, day);
            }
        }
        return true;
    }

    bool readTransfers() {
        Table t;
        return walk("transfers.txt", {"from_stop_id", "to_stop_id", "transfer_type"}, t,
                    [&](const CsvRow& r) {
                        auto field = [&](const char* name) -> std::string_view {
                            const int c = t.column(name);
                            return c >= 0 ? r.fields[static_cast<std::size_t>(c)]
                                          : std::string_view();
                        };
                        if (!field("from_trip_id").empty() || !field("to_trip_id").empty() ||
                            !field("from_route_id").empty() || !field("to_route_id").empty()) {
                            warn("transfers.txt: transfers between trips or routes (not used)");
                            return true;
                        }
                        long long seconds = 0;
                        if (field("transfer_type") != "2" ||
                            !parseInteger(field("min_transfer_time"), seconds) || seconds < 0) {
                            return true;
                        }
                        const int minutes =
                            static_cast<int>(std::min<long long>((seconds + 59) / 60, 1439));
                        auto station = [&](std::string_view id) {
                            auto it = stopIndex_.find(std::string(id));
                            if (it != stopIndex_.end()) {
                                return stops_[static_cast<std::size_t>(it->second)].station;
                            }
                            for (std::size_t s = 0; s < stations_.size(); ++s) {
                                if (stations_[s].id == id) return static_cast<int>(s);
                            }
                            return -1;
                        };
                        const int from = station(field("from_stop_id"));
                        const int to = station(field("to_stop_id"));
                        if (from < 0 || to < 0) {
                            error_ = at(t.file, r.line) + "a stop_id that is no stop of stops.txt";
                            return false;
                        }
                        if (from == to) {
                            int& change = stations_[static_cast<std::size_t>(from)].changeMinutes;
                            change = std::max(change, minutes);
                        } else {
                            walks_.push_back({from, to, minutes});
                        }
                        return true;
                    });
    }

    // Fares: each fare's price, then its rules, as the x.fares table (a fare's lines together).
    bool readFares() {
        Table t;
        struct Fare {
            std::string id, price, currency;
            std::vector<std::string> rules;  // route, origin, destination, contains
        };
        std::vector<Fare> fares;
        std::unordered_map<std::string, std::size_t> byId;
        std::set<std::string> leftOut;  // fares of agencies --agency left out
        bool ok = walk(
            "fare_attributes.txt", {"fare_id", "price", "currency_type"}, t, [&](const CsvRow& r) {
                auto field = [&](const char* name) -> std::string_view {
                    const int c = t.column(name);
                    return c >= 0 ? r.fields[static_cast<std::size_t>(c)] : std::string_view();
                };
                Fare fare;
                fare.id = field("fare_id");
                fare.price = field("price");
                fare.currency = field("currency_type");
                if (fare.id.empty()) {
                    error_ = at(t.file, r.line) + "a fare without a fare_id";
                    return false;
                }
                if (!validPrice(fare.price) || !validCurrency(fare.currency)) {
                    error_ = at(t.file, r.line) + "fare " + fare.id +
                             ": price or currency_type is not valid";
                    return false;
                }
                const std::string agency(field("agency_id"));
                if (!agency.empty() && agencies_.count(agency) == 0 &&
                    !(agencies_.size() == 1 && agencies_.count("") != 0)) {
                    drop("fares of agencies left out");
                    leftOut.insert(fare.id);
                    return true;
                }
                if (!byId.emplace(fare.id, fares.size()).second) {
                    error_ = at(t.file, r.line) + "fare_id " + fare.id + " stands twice";
                    return false;
                }
                fares.push_back(std::move(fare));
                return true;
            });
        if (!ok) return false;
        Table rules;
        ok = walk("fare_rules.txt", {"fare_id"}, rules, [&](const CsvRow& r) {
            auto field = [&](const char* name) -> std::string {
                const int c = rules.column(name);
                return c >= 0 ? std::string(r.fields[static_cast<std::size_t>(c)]) : std::string();
            };
            auto it = byId.find(field("fare_id"));
            if (it == byId.end()) {
                if (leftOut.count(field("fare_id")) == 0) {
                    warn("fare_rules.txt: rules of no fare in fare_attributes.txt (left out)");
                }
                return true;
            }
            std::vector<std::string>& list = fares[it->second].rules;
            for (const char* column : {"route_id", "origin_id", "destination_id", "contains_id"}) {
                list.push_back(clean(field(column)));
            }
            return true;
        });
        if (!ok) return false;
        if (fares.empty()) return true;
        fareTable_ = "fare\tprice\tcurrency\troute\torigin\tdestination\tcontains\n";
        for (const Fare& fare : fares) {
            const std::string head = clean(fare.id) + '\t' + fare.price + '\t' + fare.currency;
            if (fare.rules.empty()) fareTable_ += head + "\t\t\t\t\n";
            for (std::size_t k = 0; k + 3 < fare.rules.size(); k += 4) {
                fareTable_ += head + '\t' + fare.rules[k] + '\t' + fare.rules[k + 1] + '\t' +
                              fare.rules[k + 2] + '\t' + fare.rules[k + 3] + '\n';
            }
        }
        return true;
    }

    static bool validPrice(const std::string& price) {
        if (price.empty() || price.size() > 15 || price.front() == '.') return false;
        int points = 0;
        for (char c : price) {
            if (c == '.') {
                ++points;
            } else if (c < '0' || c > '9') {
                return false;
            }
        }
        return points <= 1 && price.back() != '.';
    }

    static bool validCurrency(const std::string& currency) {
        return currency.size() == 3 && std::all_of(currency.begin(), currency.end(),
                                                   [](char c) { return c >= 'A' && c <= 'Z'; });
    }

    bool write() {
        tell("writing " + options_.out.string());
        // Stations that some kept run calls at, in feed order; two of one name get their code
        // or id after it.
        std::vector<int> newIndex(stations_.size(), -1);
        std::vector<int> kept;
        for (std::size_t s = 0; s < stations_.size(); ++s) {
            if (!stations_[s].used) {
                warn("stops.txt: stations no kept train calls at (left out)");
                continue;
            }
            newIndex[s] = static_cast<int>(kept.size());
            kept.push_back(static_cast<int>(s));
        }
        if (static_cast<int>(kept.size()) > kMostStations ||
            static_cast<int>(trains_.size()) > kMostTrains) {
            const bool stations = static_cast<int>(kept.size()) > kMostStations;
            return fail(std::string("the feed has ") +
                        std::to_string(stations ? kept.size() : trains_.size()) +
                        (stations ? " stations" : " trains") +
                        " after merging; the timetable holds at most " +
                        std::to_string(stations ? kMostStations : kMostTrains) +
                        ": import fewer days (--from, --until), agencies (--agency) or route types "
                        "(--route-types)");
        }
        if (trains_.empty()) return fail("the feed has no train that runs in the range");
        std::map<std::string, int> names;
        for (int s : kept) ++names[stations_[static_cast<std::size_t>(s)].name];
        TimetableSource source;
        for (int s : kept) {
            const Station& station = stations_[static_cast<std::size_t>(s)];
            SourceStation out;
            std::string name = station.name;
            if (names[name] > 1)
                name += " (" + (station.code.empty() ? station.id : station.code) + ")";
            out.name = fromUtf8(name);
            source.stations.push_back(std::move(out));
        }
        // Trains of one number: ordered by their first run, the first keeps the number.
        std::map<std::string, std::vector<int>> byNumber;
        for (std::size_t t = 0; t < trains_.size(); ++t)
            byNumber[trains_[t].number].push_back(static_cast<int>(t));
        std::set<std::string> keys;
        for (auto& [number, list] : byNumber) {
            std::sort(list.begin(), list.end(), [&](int a, int b) {
                const Train& x = trains_[static_cast<std::size_t>(a)];
                const Train& y = trains_[static_cast<std::size_t>(b)];
                return std::make_pair(x.days.front(), x.stops.front().departure) <
                       std::make_pair(y.days.front(), y.stops.front().departure);
            });
            // Single-byte text: a number beyond Latin-1 stands in t.i by its UTF-8 bytes in hex.
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
            for (std::size_t k = 0; k < list.size(); ++k) {
                std::string key = base;
                // The unit separator sorts before every printable character: a number's trains
                // stand together, right after it.
                if (k > 0) key += "\x1F" + std::to_string(k + 1);
                trains_[static_cast<std::size_t>(list[k])].key = key;
            }
        }
        std::vector<int> order(trains_.size());
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(), [&](int a, int b) {
            return trains_[static_cast<std::size_t>(a)].key <
                   trains_[static_cast<std::size_t>(b)].key;
        });
        std::string days = "train\tfirst\tdays\n";
        std::string more = "train\tnumber\ttype\troute\n";
        std::string stopExtras = "train\tstop\tboard\talight\tplatform\tdwell\n";
        int first = INT32_MAX, last = INT32_MIN;
        for (std::size_t index = 0; index < order.size(); ++index) {
            const Train& train = trains_[static_cast<std::size_t>(order[index])];
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
            // The days from the first run on, four to a hex digit, the lowest bit first.
            std::string bits((static_cast<std::size_t>(until - from) + 4) / 4, '0');
            for (int day : train.days) {
                const std::size_t d = static_cast<std::size_t>(day - from);
                int v = bits[d / 4] <= '9' ? bits[d / 4] - '0' : bits[d / 4] - 'A' + 10;
                v |= 1 << (d % 4);
                bits[d / 4] = "0123456789ABCDEF"[v];
            }
            days +=
                std::to_string(index) + '\t' + std::to_string(dateOfDay(from)) + '\t' + bits + '\n';
            const std::string shown = train.key == train.number ? "" : clean(train.number);
            const Route& route = routes_[static_cast<std::size_t>(train.route)];
            more += std::to_string(index) + '\t' + shown + '\t' + clean(route.type) + '\t' +
                    clean(route.id) + '\n';
        }
        std::string stationExtras = "station\tid\tlatitude\tlongitude\tchange\tzone\n";
        for (std::size_t s = 0; s < kept.size(); ++s) {
            const Station& station = stations_[static_cast<std::size_t>(kept[s])];
            char coordinates[64] = "\t";
            if (station.located) {
                std::snprintf(coordinates, sizeof coordinates, "%.6f\t%.6f", station.lat,
                              station.lon);
            }
            stationExtras +=
                std::to_string(s) + '\t' + clean(station.id) + '\t' + coordinates + '\t' +
                (station.changeMinutes >= 0 ? std::to_string(station.changeMinutes) : "") + '\t' +
                clean(station.zone) + '\n';
        }
        std::string walks = "from\tto\tminutes\n";
        for (const Walk& w : walks_) {
            const int from = newIndex[static_cast<std::size_t>(w.from)];
            const int to = newIndex[static_cast<std::size_t>(w.to)];
            if (from < 0 || to < 0) continue;
            walks += std::to_string(from) + '\t' + std::to_string(to) + '\t' +
                     std::to_string(w.minutes) + '\n';
        }
        std::string feed = "key\tvalue\n";
        feed += "timezone\t" + timeZone_ + "\n";
        feed += "tariff\tnone\n";
        feed += "source\t" + clean(agencyNames_) + "\n";
        source.extensions["t.days"] = days;
        source.extensions["t.more"] = more;
        source.extensions["t.stops"] = stopExtras;
        source.extensions["s.more"] = stationExtras;
        source.extensions["s.walks"] = walks;
        source.extensions["x.feed"] = feed;
        if (!fareTable_.empty()) source.extensions["x.fares"] = fareTable_;
        // Every train runs on its listed days; the one rule line keeps the record's rule number
        // meaning "daily" for a reader that does not know the days table.
        source.rules = {u"1 1"};
        source.hasRules = true;
        source.hasVersion = true;
        source.version = options_.version.empty() ? feedVersion(first, last) : options_.version;
        if (source.version.back() != '\n') source.version += '\n';
        summary_.stations = static_cast<int>(kept.size());
        summary_.trains = static_cast<int>(trains_.size());
        summary_.firstDay = dateOfDay(first);
        summary_.lastDay = dateOfDay(last);
        CompileOptions compile;
        compile.pinyinDictionary.clear();
        std::string problem;
        if (!writeDataFiles(source, options_.out, problem, compile)) return fail(problem);
        return true;
    }

    // A table field holds no tab or line break.
    static std::string clean(std::string text) {
        for (char& c : text) {
            if (c == '\t' || c == '\n' || c == '\r') c = ' ';
        }
        return text;
    }

    std::string feedVersion(int first, int last) {
        Table t;
        std::string version;
        walk("feed_info.txt", {}, t, [&](const CsvRow& r) {
            const int c = t.column("feed_version");
            if (c >= 0 && version.empty()) version = r.fields[static_cast<std::size_t>(c)];
            return true;
        });
        if (!version.empty()) return clean(version);
        return "GTFS " + std::to_string(dateOfDay(first)) + "-" + std::to_string(dateOfDay(last));
    }

    const ImportOptions& options_;
    ImportSummary& summary_;
    std::string& error_;
    std::map<std::string, std::string> files_;
    std::string timeZone_;
    std::string fareTable_;                // x.fares, empty: the feed has no fares
    unsigned long long declaredSize_ = 0;  // of the file being streamed
    std::string agencyNames_;
    std::set<std::string> agencies_;
    std::vector<std::set<int>> services_;
    std::unordered_map<std::string, int> serviceIds_;
    std::vector<Station> stations_;
    std::vector<StopPoint> stops_;
    IdMap stopIndex_;
    std::vector<Route> routes_;
    std::unordered_map<std::string, int> routeIndex_;
    std::vector<Trip> trips_;
    IdMap tripIndex_;
    std::vector<StopTime> times_;
    std::vector<Train> trains_;
    std::vector<Walk> walks_;
    std::vector<Shape> shapes_;
    std::unordered_map<std::string, int> shapeIds_;
    std::unordered_map<std::string, std::vector<double>> shapeKm_;  // shape and stops -> km
};

}  // namespace

bool importGtfs(const ImportOptions& options, ImportSummary& summary, std::string& error) {
    summary = ImportSummary();
    error.clear();
    Importer importer(options, summary, error);
    return importer.run();
}

}  // namespace zelvan::gtfs
