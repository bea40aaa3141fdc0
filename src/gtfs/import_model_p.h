// The importer's own model, private to src/gtfs: one feed as it is read (what its later files
// look up by id), the network all the feeds make together (stations, routes, trains, walks:
// what the data folder is written from), and the steps that read a feed, one concern a file, in
// the order the driver (gtfs_import.cpp) calls them.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "db/records.h"
#include "db/timetable_extensions.h"
#include "gtfs/csv_reader.h"
#include "gtfs/gtfs_import.h"

namespace zelvan::gtfs {

constexpr int kMostDwell = 127;  // a record's dwell; longer ones go to t.stops
constexpr int kMostStand = 1439;
constexpr int kMostKm = 16383;
constexpr int kNoTime = -1;

// --- Values as the feed writes them (feed_reader.cpp) ---

// "file:line: ", the start of every message about a row.
std::string at(const std::string& file, int line);
// Days since 1970-01-01, and back.
int dayNumberOf(DateKey date);
DateKey dateOfDay(int day);
// YYYYMMDD as GTFS writes dates; false unless it is a calendar date.
bool parseGtfsDate(std::string_view text, DateKey& date);
// H:MM:SS or HH:MM:SS (hours may pass 24) as seconds; false when malformed.
bool parseTime(std::string_view text, int& seconds);
bool parseInteger(std::string_view text, long long& value);
// A decimal within ±limit, never read by the user's locale.
bool parseCoordinate(std::string_view text, double& value, double limit);
double greatCircleKm(double lat1, double lon1, double lat2, double lon2);
// A table field holds no tab or line break.
std::string clean(std::string text);

// Ids to indices, found by a view of the row's field: a million lookups make no strings.
struct IdHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view id) const { return std::hash<std::string_view>{}(id); }
};
using IdMap = std::unordered_map<std::string, int, IdHash, std::equal_to<>>;

// A table of one feed file, its columns by name.
struct Table {
    std::string file;
    std::vector<std::string_view> header;
    int column(std::string_view name) const { return columnOf(header, name); }
    // The row's field of a column by name; empty when the file has no such column.
    std::string_view field(const CsvRow& row, std::string_view name) const {
        const int c = column(name);
        return c >= 0 ? row.fields[static_cast<std::size_t>(c)] : std::string_view();
    }
};

// One feed's files and the walk over them; what goes wrong goes to the import's error, what is
// left out or read around to its summary.
class FeedReader {
  public:
    FeedReader(std::filesystem::path feed, ImportSummary& summary, std::string& error,
               std::function<void(const std::string&)> progress)
        : feed_(std::move(feed)),
          summary_(summary),
          error_(error),
          progress_(std::move(progress)) {}

    // Reads the small files whole and checks that the required ones are there.
    bool open();
    bool has(const std::string& file) const { return files_.count(file) != 0; }
    // Walks a file: header, then rows. A row callback that refuses sets error() and returns
    // false. False on a CSV error, a row of the wrong width, a missing required column or a
    // refused row; true for a file the feed does not have.
    bool walk(const std::string& file, const std::vector<const char*>& required, Table& table,
              const std::function<bool(const CsvRow&)>& row);

    bool fail(std::string message) {
        error_ = std::move(message);
        return false;
    }
    std::string& error() { return error_; }
    void warn(const std::string& what, long long count = 1) {
        if (count > 0) summary_.warnings[what] += count;
    }
    void drop(const std::string& why, long long count = 1) {
        if (count > 0) summary_.dropped[why] += count;
    }
    void tell(const std::string& what) const {
        if (progress_) progress_(what);
    }
    ImportSummary& summary() { return summary_; }
    const std::filesystem::path& path() const { return feed_; }
    // The size the feed states for the file being streamed (a hint only).
    unsigned long long declaredSize() const { return declaredSize_; }

  private:
    std::filesystem::path feed_;
    ImportSummary& summary_;
    std::string& error_;
    std::function<void(const std::string&)> progress_;
    std::map<std::string, std::string> files_;
    unsigned long long declaredSize_ = 0;
};

// --- The network: every feed's stations, routes, trains and walks ---

struct Station {
    std::string id;  // as written to s.more (with its feed's prefix when there are several)
    std::string name;
    std::string code;
    std::string description;  // stop_desc
    std::string zone;         // fare zone: the station's own, else its first platform's
    double lat = 0, lon = 0;
    bool located = false;
    int changeMinutes = -1;
    bool used = false;
    int feed = 0;
    int line = 0;         // its row of stops.txt
    char wheelchair = 0;  // '1' step-free boarding, '2' not, 0 unknown
};

struct Route {
    std::string id;  // as written to t.more and x.fares
    std::string agency;
    std::string type;  // the text shown: short name, else long name
    std::string shortName;
    bool kept = true;
};

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
    int route = -1;  // in Network::routes
    std::vector<RunStop> stops;
    std::vector<int> days;  // run days (day numbers), ascending: a set's nodes took 40 bytes a day
    std::string key;        // t.i key
    int feed = 0;
    char wheelchair = 0;  // '1' accessible, '2' not, 0 unknown or its trips disagree
    char bikes = 0;
};

// What the summary says of one feed.
struct FeedFacts {
    std::string name;  // the feed's path, before its messages when there are several
    std::string timeZone;
    std::string prefix;  // of its ids in the tables, empty for a feed imported alone
};

struct Network {
    std::vector<Station> stations;
    std::vector<Route> routes;
    std::vector<Train> trains;
    std::vector<Walk> walks;
    std::unordered_map<std::string, int> trainOfKey;  // merge key -> train
    std::string fareTable;                            // x.fares, empty: no feed has fares
    std::string timeZone;                             // the first feed's
    std::string agencyNames;
    std::string feedVersion;  // the first feed's feed_version, empty: none
    std::vector<FeedFacts> feeds;
};

// --- One feed as read ---

struct StopPoint {
    int station = -1;  // in Network::stations
    std::string platform;
    double lat = 0, lon = 0;
    bool located = false;
    int line = 0;  // its row of stops.txt
};

struct Trip {
    std::string id;
    int route = -1;  // in Network::routes
    int service = -1;
    std::string number;  // empty until the runs are built for a trip known by its headsign
    std::string headsign;
    int shape = -1;  // index in ParsedFeed::shapes, -1 none
    int line = 0;
    char wheelchair = 0;  // wheelchair_accessible: '1', '2', 0 unknown
    char bikes = 0;       // bikes_allowed
};

// A shape: its points and the distance along it to each, in km.
struct Shape {
    std::vector<std::pair<double, double>> points;  // latitude, longitude
    std::vector<double> km;
};

// Ten million of these for a national feed: 32 bytes each.
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
    int platform = 0;  // the call's own track or platform in ParsedFeed::platforms, 0: none
};
static_assert(sizeof(StopTime) == 32);

struct ParsedFeed {
    int index = 0;       // the feed's position among the feeds
    std::string prefix;  // before its ids in the tables: "2:" for the second of several feeds
    std::string timeZone;
    std::string agencyNames;
    std::set<std::string> agencies;  // agency_id values kept
    std::vector<std::set<int>> services;
    std::unordered_map<std::string, int> serviceIds;
    std::vector<StopPoint> stops;
    IdMap stopIndex;
    std::unordered_map<std::string, int> routeIndex;  // route_id -> Network::routes
    std::vector<Trip> trips;
    IdMap tripIndex;
    std::vector<StopTime> times;
    std::vector<std::string> platforms = {""};  // the calls' own tracks, each once
    std::vector<Shape> shapes;
    std::unordered_map<std::string, int> shapeIds;
    std::unordered_map<std::string, std::vector<double>> shapeKm;  // shape and stops -> km
};

// --- The steps, in the order a feed is read ---

// gtfs_import.cpp: one feed, every step below from opening it to its fares.
bool readFeed(FeedReader& reader, const ImportOptions& options, ParsedFeed& feed, Network& network);

// agencies.cpp: the agencies kept and their one time zone.
bool readAgencies(FeedReader& reader, const ImportOptions& options, ParsedFeed& feed);
// service_days.cpp: calendar.txt and calendar_dates.txt into each service's days.
bool readServiceDays(FeedReader& reader, ParsedFeed& feed);
// stations.cpp: stops.txt into stations (appended to the network) and the stop points called at.
bool readStops(FeedReader& reader, ParsedFeed& feed, Network& network);
// trips.cpp: routes.txt, trips.txt and stop_times.txt.
bool readRoutes(FeedReader& reader, const ImportOptions& options, ParsedFeed& feed,
                Network& network);
bool readTrips(FeedReader& reader, ParsedFeed& feed, const Network& network);
bool readStopTimes(FeedReader& reader, ParsedFeed& feed);
// The number shown for a trip riders know by its route and headsign: "752 → Ehningen Bf" (the
// headsign, else the last stop's name).
std::string shownNumber(const Trip& trip, const Network& network, int lastStation);
// distances.cpp: shapes.txt; the unit of shape_dist_traveled; a trip's distance to each stop.
bool readShapes(FeedReader& reader, ParsedFeed& feed);
double distanceUnit(const ParsedFeed& feed);
// False with the reader's error when the distances must come from the stops' coordinates and a
// stop has none that are usable.
bool tripDistances(FeedReader& reader, ParsedFeed& feed, const Trip& trip, std::size_t begin,
                   std::size_t n, double kmPerUnit, std::vector<double>& km);
// runs.cpp: frequencies.txt, then every trip's runs as trains (runs of one number, route, stops
// and times merged into one train).
bool buildRuns(FeedReader& reader, const ImportOptions& options, ParsedFeed& feed,
               Network& network);
// transfers.cpp: transfers.txt into change times and walks.
bool readTransfers(FeedReader& reader, ParsedFeed& feed, Network& network);
// fares.cpp: fare_attributes.txt and fare_rules.txt into the x.fares table.
bool readFares(FeedReader& reader, ParsedFeed& feed, Network& network);
// feed_merge.cpp, once every feed is read: trips two feeds both publish kept once, then walks
// between the stations of different feeds that lie near each other. False with `error` when
// such a walk needs coordinates a station lacks.
void mergeSharedTrips(Network& network, ImportSummary& summary);
bool linkFeeds(Network& network, ImportSummary& summary, std::string& error);
// stations.cpp: the names shown for the stations kept, every one told apart from the others.
std::vector<std::string> shownNames(const Network& network, const std::vector<int>& kept);
// write_folder.cpp: feed_info.txt's version; the network as a data folder.
void readFeedVersion(FeedReader& reader, Network& network);
bool writeFolder(const ImportOptions& options, Network& network, ImportSummary& summary,
                 std::string& error);

}  // namespace zelvan::gtfs
