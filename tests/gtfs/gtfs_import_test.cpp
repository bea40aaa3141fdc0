// Importing GTFS feeds: hand-made feeds whose answers are written out, bad feeds refused by
// file and line with the output folder untouched, random feeds whose every route and station
// answer on every service day is compared with a plain reading of the feed, and the real feed
// beside the project when it is there.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <tuple>

#include "db/text.h"
#include "db/timetable_check.h"
#include "db/timetable_db.h"
#include "fare/result_row.h"
#include "fare/result_table.h"
#include "feed_maker.h"
#include "gtfs/gtfs_import.h"
#include "journey/journey_planner.h"
#include "test_files.h"

namespace zelvan::test {
namespace {

namespace fs = std::filesystem;

// Imports `feed` into a fresh folder and loads it.
struct Imported {
    explicit Imported(const Feed& feed) {
        writeFeed(feed, source.path());
        gtfs::ImportOptions options;
        options.feed = source.path();
        options.out = out.path() / "data";
        ok = gtfs::importGtfs(options, summary, error);
        if (ok) ok = db.load(fromUtf8((out.path() / "data").string()));
    }
    TempDir source;
    TempDir out;
    gtfs::ImportSummary summary;
    std::string error;
    bool ok = false;
    TimetableDb db;
};

// Zurich 08:00 -> Bern 09:00 -> Geneva 10:40 on weekdays, with the same number on Saturdays an
// hour later; a night run past midnight; a stop that only lets riders off.
Feed handFeed() {
    Feed feed;
    feed.stops = {{"ZH", "Zürich HB", 47.378, 8.540, "", 1, "", ""},
                  {"ZH7", "Zürich HB", 47.378, 8.540, "ZH", 0, "7", ""},
                  {"BN", "Bern", 46.949, 7.439, "", 0, "", ""},
                  {"GE", "Genève", 46.210, 6.142, "", 0, "", ""},
                  {"XX", "Unused", 46.0, 7.0, "", 0, "", ""}};
    feed.routes = {{"R1", "IC1"}};
    feed.services = {{"WD", 0b0011111, "20261207", "20261220", {{"20261208", 2}}},
                     {"SA", 0b0100000, "20261207", "20261220", {}},
                     {"NIGHT", 0, "", "", {{"20261211", 1}}}};
    feed.trips = {
        {"t1",
         "R1",
         "WD",
         "701",
         {{"ZH7", 28800, 28800}, {"BN", 32400, 32520}, {"GE", 38400, 38400}}},
        {"t2",
         "R1",
         "SA",
         "701",
         {{"ZH7", 32400, 32400}, {"BN", 36000, 36120}, {"GE", 42000, 42000}}},
        {"t3",
         "R1",
         "NIGHT",
         "799",
         {{"GE", 84600, 84600}, {"BN", 90000, 90000, 1, 0}, {"ZH", 93600, 93600}}},
    };
    return feed;
}

std::string statuses(const std::vector<ResultRow>& rows) {
    std::string text;
    for (const ResultRow& r : rows) {
        text += toUtf8(r.trainName + u" " + r.departureTime + u" " + r.arrivalTime + u" " +
                       r.kindText) +
                " " + std::to_string(r.status) + (r.hasFares ? " fares" : "") + "\n";
    }
    return text;
}

TEST(GtfsImport, AHandMadeFeedAnswersItsOwnTimetable) {
    Imported imported(handFeed());
    ASSERT_TRUE(imported.ok) << imported.error;
    TimetableDb& db = imported.db;
    EXPECT_TRUE(checkTimetable(db.folder).passed());
    EXPECT_EQ(imported.summary.stations, 3);  // the platform is its station; Unused goes
    EXPECT_EQ(imported.summary.trains, 3);    // 701 twice: weekdays and Saturdays differ
    EXPECT_EQ(imported.summary.firstDay, 20261207);
    EXPECT_EQ(imported.summary.lastDay, 20261219);  // the last Saturday
    EXPECT_EQ(imported.summary.dropped["trips whose service has no day"], 0);
    EXPECT_EQ(toUtf8(db.extensions.timeZone()), "Europe/Zurich");

    struct Case {
        DateKey date;
        const char* expected;
    };
    const Case cases[] = {
        // Monday: the weekday run; the Saturday one is not valid yet.
        {20261207, "701 08:00 09:00 IC1 0\n701 09:00 10:00 IC1 -1\n"},
        // Tuesday 8 December is taken out by calendar_dates.
        {20261208, "701 08:00 09:00 IC1 2\n701 09:00 10:00 IC1 -1\n"},
        {20261212, "701 08:00 09:00 IC1 2\n701 09:00 10:00 IC1 0\n"},
        {20261221, "701 08:00 09:00 IC1 1\n701 09:00 10:00 IC1 1\n"},
    };
    for (bool indexed : {true, false}) {
        db.useIndexes = indexed;
        for (const Case& c : cases) {
            db.queryDate = c.date;
            std::vector<ResultRow> rows;
            db.queryStationToStation(u"Zürich HB", u"Bern", rows);
            EXPECT_EQ(statuses(rows), c.expected) << c.date << " " << indexed;
        }
        // The night run: leaves Geneva on Friday 11 December at 23:30 (service day 11th, times
        // past 24:00), reaches Bern on the 12th; riders may leave at Bern but not board there.
        db.queryDate = 20261212;
        std::vector<ResultRow> rows;
        db.queryStationToStation(u"Genève", u"Bern", rows);
        EXPECT_EQ(statuses(rows), "799 23:30 01:00 IC1 1\n");  // it left on the 11th
        rows.clear();
        db.queryDate = 20261211;
        db.queryStationToStation(u"Genève", u"Zürich HB", rows);
        EXPECT_EQ(statuses(rows), "799 23:30 02:00 IC1 0\n");
        rows.clear();
        db.queryDate = 20261212;
        db.queryStationToStation(u"Bern", u"Zürich HB", rows);
        EXPECT_EQ(statuses(rows), "") << "799 may not be boarded at Bern";
        rows.clear();
        db.queryStationToStation(u"Genève", u"Bern", rows);
        EXPECT_EQ(statuses(rows), "799 23:30 01:00 IC1 1\n");
    }
    // The list of stops opens the run of the day asked for.
    db.queryDate = 20261212;
    EXPECT_EQ(toUtf8(db.trainNameByIndex(db.findTrainRun(u"701"))), "701");
    TrainRecord train;
    db.decodeTrain(db.findTrainRun(u"701"), train);
    EXPECT_EQ(train.stops.front().arrivalHour, 9);
    db.queryDate = 20261209;
    db.decodeTrain(db.findTrainRun(u"701"), train);
    EXPECT_EQ(train.stops.front().arrivalHour, 8);
    EXPECT_EQ(toUtf8(db.extensions.stopExtras(train.index, 0).platform), "7");

    // Latin names by the start of any word, whatever the case and accents; suggestions too.
    std::vector<std::u16string> names;
    db.findStations(u"zurich", names);
    EXPECT_EQ(names, std::vector<std::u16string>{u"Zürich HB"});
    db.findStations(u"HB", names);
    EXPECT_EQ(names, std::vector<std::u16string>{u"Zürich HB"});
    db.suggestStations(u"GENE", names);
    EXPECT_EQ(names, std::vector<std::u16string>{u"Genève"});
    db.findStations(u"ern", names);
    EXPECT_TRUE(names.empty());  // inside a word, not at its start

    // Journeys board the runs of the day and never at a stop that lets riders off only.
    JourneyPlanner planner(db);
    EXPECT_EQ(planner.plan(u"Genève", u"Zürich HB", 20261211, JourneyOptions{}).size(), 1u);
    EXPECT_TRUE(planner.plan(u"Bern", u"Zürich HB", 20261213, JourneyOptions{}).empty());
}

// The railway's own fares by zones and route, the cheapest that applies; the built-in tariff
// never; and the stops and station views marking platforms and stops riders may not use.
TEST(GtfsImport, FaresPlatformsAndRestrictionsComeFromTheFeed) {
    Feed feed = handFeed();
    feed.stops[1].zone = "Z1";  // Zürich's platform: its station's zone
    feed.stops[2].zone = "Z2";
    feed.stops[3].zone = "Z3";
    feed.extra["fare_attributes.txt"] =
        "fare_id,price,currency_type,payment_method,transfers\n"
        "near,12.5,CHF,0,0\nfar,40,CHF,0,0\nfarOther,39.999,CHF,0,0\n"
        "through,55.00,CHF,0,0\n";
    feed.extra["fare_rules.txt"] =
        "fare_id,route_id,origin_id,destination_id,contains_id\n"
        "near,,Z1,Z2,\nfar,R1,Z1,Z3,\nfarOther,R9,Z1,Z3,\n"
        // Only a ride through exactly Z3, Z2 and Z1 (Geneva to Zurich) takes this one.
        "through,,,,Z3\nthrough,,,,Z2\nthrough,,,,Z1\nunknown,,Z1,Z2,\n";
    Imported imported(feed);
    ASSERT_TRUE(imported.ok) << imported.error;
    TimetableDb& db = imported.db;
    EXPECT_TRUE(checkTimetable(db.folder).passed());
    EXPECT_EQ(imported.summary.warnings["fare_rules.txt: rules of no fare in fare_attributes.txt "
                                        "(left out)"],
              1);
    const auto fare = [&](const char16_t* from, const char16_t* to) {
        std::vector<ResultRow> rows;
        db.queryStationToStation(from, to, rows);
        std::string text;
        for (const ResultRow& r : rows) {
            EXPECT_FALSE(r.hasFares);
            EXPECT_TRUE(r.hardSeatFare.empty() && r.softSleeperFare.empty());
            text += toUtf8(r.trainName + u" " + r.feedFare) + ";";
        }
        return text;
    };
    db.queryDate = 20261211;
    for (bool indexed : {true, false}) {
        db.useIndexes = indexed;
        // 701 twice: its weekday and Saturday runs.
        EXPECT_EQ(fare(u"Zürich HB", u"Bern"), "701 CHF 12.50;701 CHF 12.50;");
        // The route's own fare; another route's cheaper one does not apply.
        EXPECT_EQ(fare(u"Zürich HB", u"Genève"), "701 CHF 40.00;701 CHF 40.00;");
        EXPECT_EQ(fare(u"Genève", u"Zürich HB"), "799 CHF 55.00;");
        EXPECT_EQ(fare(u"Bern", u"Genève"), "701 ;701 ;");  // no rule covers it: no fare
    }
    std::vector<ResultRow> rows;
    db.queryStationToStation(u"Bern", u"Genève", rows);
    ASSERT_EQ(rows.size(), 2u);
    std::u16string scratch;
    EXPECT_EQ(rowCellText(TableKind::Train, rows[0], 6, scratch), kNoFare);

    // The night run lets riders off at Bern but takes none on there.
    rows.clear();
    db.queryStation(u"Bern", rows);
    std::string board;
    for (const ResultRow& r : rows) board += toUtf8(rowCell(TableKind::Station, r, 1)) + ";";
    EXPECT_NE(board.find("01:00 仅下客;"), std::string::npos) << board;
    EXPECT_EQ(std::count(board.begin(), board.end(), ';'), 3) << board;
    TrainRecord train;
    db.decodeTrain(db.findTrainRun(u"799"), train);
    const std::vector<StopDays> days = stopDays(train.stops);
    std::string stops;
    for (std::size_t i = 0; i < train.stops.size(); ++i) {
        stops += toUtf8(stopTableCell(db, train.stops, days, i, 0, train.index)) + ";";
    }
    EXPECT_EQ(stops, "Genève;Bern 仅下客;Zürich HB;");
    db.decodeTrain(db.findTrainRun(u"701"), train);
    EXPECT_EQ(toUtf8(stopTableCell(db, train.stops, stopDays(train.stops), 0, 0, train.index)),
              "Zürich HB 7站台");
}

// A train standing longer than a record's 127 minutes keeps its times: 3 h 30 at Bern. One
// standing a whole day is left out and counted.
TEST(GtfsImport, LongStandsAtAStopKeepTheirDeparture) {
    Feed feed = handFeed();
    feed.trips = {{"t1",
                   "R1",
                   "WD",
                   "701",
                   {{"ZH7", 28800, 28800}, {"BN", 32400, 45000}, {"GE", 50400, 50400}}},
                  {"t2",
                   "R1",
                   "WD",
                   "702",
                   {{"ZH7", 28800, 28800}, {"BN", 32400, 32400 + 86400}, {"GE", 122400, 122400}}}};
    Imported imported(feed);
    ASSERT_TRUE(imported.ok) << imported.error;
    TimetableDb& db = imported.db;
    EXPECT_TRUE(checkTimetable(db.folder).passed());
    EXPECT_EQ(imported.summary.dropped["trips standing a day or longer at a stop"], 1);
    db.queryDate = 20261209;
    for (bool indexed : {true, false}) {
        db.useIndexes = indexed;
        std::vector<ResultRow> rows;
        db.queryStationToStation(u"Bern", u"Genève", rows);
        ASSERT_EQ(rows.size(), 1u) << indexed;
        EXPECT_EQ(rows[0].departureTime, u"12:30") << indexed;
        EXPECT_EQ(rows[0].travelTimeText, u"01:30") << indexed;
        rows.clear();
        db.queryStation(u"Bern", rows);
        ASSERT_EQ(rows.size(), 1u) << indexed;
        EXPECT_EQ(rows[0].departureTime, u"12:30") << indexed;
        rows.clear();
        db.queryStationToStation(u"Zürich HB", u"Genève", rows);
        ASSERT_EQ(rows.size(), 1u) << indexed;
        EXPECT_EQ(rows[0].travelTimeText, u"06:00") << indexed;
    }
    TrainRecord train;
    db.decodeTrain(db.findTrainRun(u"701"), train);
    ASSERT_EQ(train.stops.size(), 3u);
    EXPECT_EQ(train.stops[1].dwellMinutes, 210);
    // A journey boards at Bern when the train leaves, not when it arrives.
    JourneyPlanner planner(db);
    JourneyOptions options;
    const std::vector<Journey> journeys = planner.plan(u"Bern", u"Genève", 20261209, options);
    ASSERT_FALSE(journeys.empty());
    EXPECT_EQ(journeys.front().departure, 12 * 60 + 30);
}

// shape_dist_traveled in whatever unit the feed uses, told by the stops' coordinates (Zurich to
// Bern is 95 km as the crow flies, Bern to Geneva 130 km).
TEST(GtfsImport, FeedDistancesInMetresOrMiles) {
    struct Case {
        const char* bern;
        const char* geneva;
        const char* expected;
    };
    for (const Case& c : {Case{"118000", "277000", "118 277"}, Case{"73.3", "172.1", "118 277"},
                          Case{"118", "277", "118 277"}}) {
        Feed feed = handFeed();
        feed.extra["stop_times.txt"] =
            std::string(
                "trip_id,arrival_time,departure_time,stop_id,stop_sequence,"
                "shape_dist_traveled\n") +
            "t1,08:00:00,08:00:00,ZH7,1,0\nt1,09:00:00,09:02:00,BN,2," + c.bern +
            "\nt1,10:40:00,10:40:00,GE,3," + c.geneva + "\n";
        Imported imported(feed);
        ASSERT_TRUE(imported.ok) << imported.error;
        imported.db.queryDate = 20261209;
        std::string km;
        for (const char16_t* to : {u"Bern", u"Genève"}) {
            std::vector<ResultRow> rows;
            imported.db.queryStationToStation(u"Zürich HB", to, rows);
            ASSERT_EQ(rows.size(), 1u);
            km += (km.empty() ? "" : " ") + toUtf8(rows[0].distanceText);
        }
        EXPECT_EQ(km, c.expected) << c.bern;
    }
}

TEST(GtfsImport, BadFeedsAreRefusedByFileAndLineAndWriteNothing) {
    struct Case {
        const char* what;
        std::function<void(Feed&)> change;
        std::string error;  // the start of the message
    } cases[] = {
        {"unknown service", [](Feed& f) { f.trips[0].service = "NONE"; },
         "trips.txt:2: service_id NONE is in neither"},
        {"unknown stop", [](Feed& f) { f.trips[1].stops[1].stop = "NOPE"; },
         "stop_times.txt:6: stop_id NOPE is no stop"},
        {"times backwards", [](Feed& f) { f.trips[0].stops[2].arrival = 30000; },
         "stop_times.txt:4: trip t1: the times run backwards"},
        {"bad time zone", [](Feed& f) { f.timezone = "Mars/Olympus"; },
         "agency.txt:2: time zone \"Mars/Olympus\""},
        {"row too short",
         [](Feed& f) { f.extra["routes.txt"] = "route_id,route_short_name,route_type\nR1,IC1\n"; },
         "routes.txt:2: 2 fields, the header has 3"},
        {"stop without a name", [](Feed& f) { f.stops[2].name = ""; },
         "stops.txt:4: stop BN has no name"},
        {"bad date",
         [](Feed& f) {
             f.services[0].exceptions.push_back({"20261232", 1});
         },
         "calendar_dates.txt:3: a date that is not"},
        {"duplicate sequence",
         [](Feed& f) {
             f.extra["stop_times.txt"] =
                 "trip_id,arrival_time,departure_time,stop_id,stop_sequence\n"
                 "t1,08:00:00,08:00:00,ZH7,1\nt1,09:00:00,09:00:00,BN,1\n";
         },
         "stop_times.txt:3: trip t1: stop_sequence 1 stands twice"},
        {"open quote",
         [](Feed& f) { f.extra["trips.txt"] = "route_id,service_id,trip_id\n\"R1,WD,t1\n"; },
         "trips.txt:2: a quote is never closed"},
        {"no stop_times", [](Feed& f) { f.extra["stop_times.txt"] = ""; },
         "stop_times.txt:1: no column trip_id"},
    };
    for (const Case& c : cases) {
        Feed feed = handFeed();
        c.change(feed);
        TempDir source, out;
        writeFeed(feed, source.path());
        writeBytes(out / "keep.txt", "mine");
        gtfs::ImportOptions options;
        options.feed = source.path();
        options.out = out.path();
        gtfs::ImportSummary summary;
        std::string error;
        EXPECT_FALSE(gtfs::importGtfs(options, summary, error)) << c.what;
        EXPECT_EQ(error.substr(0, c.error.size()), c.error) << c.what << ": " << error;
        EXPECT_EQ(fs::directory_iterator(out.path())->path().filename(), "keep.txt") << c.what;
    }
    // Missing files.
    TempDir empty, out;
    gtfs::ImportOptions options;
    options.feed = empty.path();
    options.out = out.path();
    gtfs::ImportSummary summary;
    std::string error;
    EXPECT_FALSE(gtfs::importGtfs(options, summary, error));
    EXPECT_EQ(error, "agency.txt: missing");
    options.feed = empty / "feed.zip";
    writeBytes(options.feed, "not a zip");
    EXPECT_FALSE(gtfs::importGtfs(options, summary, error));
    EXPECT_NE(error.find("not a zip archive"), std::string::npos);
}

// --- Random feeds against a plain reading ---

int dayNumber(const std::string& yyyymmdd) {
    using namespace std::chrono;
    const int v = std::stoi(yyyymmdd);
    return static_cast<int>(
        sys_days{year{v / 10000} / (v / 100 % 100) / (v % 100)}.time_since_epoch().count());
}

DateKey dateOf(int day) {
    using namespace std::chrono;
    const year_month_day ymd{sys_days{days{day}}};
    return static_cast<int>(ymd.year()) * 10000 + static_cast<int>(unsigned(ymd.month())) * 100 +
           static_cast<int>(unsigned(ymd.day()));
}

// The service days of a service, read plainly: weekdays within the dates, then exceptions.
std::set<int> serviceDays(const FeedService& s) {
    std::set<int> days;
    if (s.weekdays != 0) {
        for (int d = dayNumber(s.start); d <= dayNumber(s.end); ++d) {
            const int monday0 = ((d % 7) + 7 + 3) % 7;  // 1970-01-01 was a Thursday
            if (s.weekdays >> monday0 & 1) days.insert(d);
        }
    }
    for (const auto& [date, type] : s.exceptions) {
        if (type == 1) days.insert(dayNumber(date));
        if (type == 2) days.erase(dayNumber(date));
    }
    return days;
}

std::string station(const Feed& feed, const std::string& stop) {
    for (const FeedStop& s : feed.stops) {
        if (s.id == stop) return s.parent.empty() ? s.name : station(feed, s.parent);
    }
    return "";
}

std::string clock(int seconds) {
    return gtfsTime(seconds % 86400).substr(0, 5);
}

// number, type, departure, arrival, fare
using Row = std::tuple<std::string, std::string, std::string, std::string, std::string>;

// A station's fare zone as the feed gives it: the station's own zone.
std::string zoneOf(const Feed& feed, const std::string& stop) {
    std::string id = stop;
    for (const FeedStop& s : feed.stops) {
        if (s.id == stop && !s.parent.empty()) id = s.parent;
    }
    for (const FeedStop& s : feed.stops) {
        if (s.id == id) return s.zone;
    }
    return {};
}

// The cheapest fare for riding `trip` from stop i to stop j, read straight from the feed's
// rows: a fare without rules, or with a rule whose route, origin and destination match where
// given, or whose zone rules name exactly the zones passed.
std::string plainFare(const Feed& feed, const FeedTrip& trip, std::size_t i, std::size_t j) {
    std::set<std::string> passed;
    for (std::size_t k = i; k <= j; ++k) {
        const std::string zone = zoneOf(feed, trip.stops[k].stop);
        if (!zone.empty()) passed.insert(zone);
    }
    const std::string origin = zoneOf(feed, trip.stops[i].stop);
    const std::string destination = zoneOf(feed, trip.stops[j].stop);
    int best = -1;
    for (const FeedFare& fare : feed.fares) {
        bool applies = fare.rules.empty();
        std::set<std::string> contains;
        for (const std::vector<std::string>& rule : fare.rules) {
            const bool matches = (rule[0].empty() || rule[0] == trip.route) &&
                                 (rule[1].empty() || rule[1] == origin) &&
                                 (rule[2].empty() || rule[2] == destination);
            if (!matches) continue;
            if (rule[3].empty()) applies = true;
            if (!rule[3].empty()) contains.insert(rule[3]);
        }
        if (!contains.empty() && contains == passed) applies = true;
        if (applies && (best < 0 || fare.centimes < best)) best = fare.centimes;
    }
    if (best < 0) return {};
    char text[32];
    std::snprintf(text, sizeof text, "CHF %d.%02d", best / 100, best % 100);
    return text;
}

TEST(GtfsImport, RandomFeedsAnswerAsAPlainReadingOfTheFeed) {
    std::mt19937 random(22);
    long long compared = 0;
    for (int round = 0; round < 60; ++round) {
        const Feed feed = randomFeed(random);
        Imported imported(feed);
        if (!imported.ok) {
            // A feed whose every trip runs on no day has no timetable; anything else must import.
            ASSERT_EQ(imported.error, "the feed has no train that runs in the range") << round;
            continue;
        }
        TimetableDb& db = imported.db;
        std::set<std::string> names;
        for (const FeedStop& s : feed.stops) names.insert(station(feed, s.id));
        for (int day = dayNumber("20261206"); day <= dayNumber("20270106"); ++day) {
            db.queryDate = dateOf(day);
            for (const std::string& from : names) {
                for (const std::string& to : names) {
                    if (from == to) continue;
                    std::set<Row> expected;
                    for (FeedTrip trip : feed.trips) {
                        // A stop where no one may board or alight is passed, not called at.
                        std::erase_if(trip.stops, [](const FeedStopTime& st) {
                            return st.pickup == 1 && st.dropoff == 1;
                        });
                        std::size_t i = trip.stops.size(), j = trip.stops.size();
                        for (std::size_t k = trip.stops.size(); k-- > 0;) {
                            // A call no one may board or alight at is passed, not a stop.
                            if (trip.stops[k].pickup == 1 && trip.stops[k].dropoff == 1) continue;
                            if (station(feed, trip.stops[k].stop) == from) i = k;
                            if (station(feed, trip.stops[k].stop) == to) j = k;
                        }
                        if (i == trip.stops.size() || j == trip.stops.size() || j < i) continue;
                        const FeedStopTime& a = trip.stops[i];
                        const FeedStopTime& b = trip.stops[j];
                        if (a.pickup == 1 || b.dropoff == 1) continue;
                        // The calendar day the trip calls at `from` on.
                        const int at = i == 0 ? a.departure : a.arrival;
                        const std::set<int> days = serviceDays(*std::find_if(
                            feed.services.begin(), feed.services.end(),
                            [&](const FeedService& s) { return s.id == trip.service; }));
                        const std::string type = trip.route == "R1" ? "IC" : "S3";
                        if (days.count(day - at / 86400) != 0) {
                            expected.insert({trip.number, type, clock(a.departure),
                                             clock(b.arrival), plainFare(feed, trip, i, j)});
                        }
                    }
                    std::vector<ResultRow> rows;
                    db.queryStationToStation(fromUtf8(from), fromUtf8(to), rows);
                    std::set<Row> running;
                    for (const ResultRow& r : rows) {
                        if (r.status != 0) continue;
                        running.insert({toUtf8(r.trainName), toUtf8(r.kindText),
                                        toUtf8(r.departureTime), toUtf8(r.arrivalTime),
                                        toUtf8(r.feedFare)});
                    }
                    ASSERT_EQ(running, expected)
                        << round << " " << from << " -> " << to << " on " << db.queryDate;
                    compared += static_cast<long long>(expected.size());
                }
            }
        }
        EXPECT_TRUE(checkTimetable(db.folder).passed()) << round;
    }
    EXPECT_GT(compared, 500);
}

// The real feed beside the project: 961 trains and 10,120 stop times on Wednesday 2026-09-23, of
// which 106 pass a stop where no one may board or alight.
TEST(GtfsImport, TheRealFeedAnswersItsOwnDay) {
    const fs::path feed = ZELVAN_SHARED_FEED;
    if (!fs::exists(feed)) GTEST_SKIP() << "no " << feed;
    TempDir out;
    gtfs::ImportOptions options;
    options.feed = feed;
    options.out = out.path();
    gtfs::ImportSummary summary;
    std::string error;
    ASSERT_TRUE(gtfs::importGtfs(options, summary, error)) << error;
    // 2,077 distinct runs, of which 10 differ only at a stop the train passes (no one may board
    // or alight there): those run as the trains they match.
    EXPECT_EQ(summary.trains, 2067);
    EXPECT_EQ(summary.dropped["stop times where no rider may board or alight (passed through)"],
              245);
    EXPECT_EQ(summary.stopTimes, 22730);
    EXPECT_TRUE(checkTimetable(fromUtf8(out.path().string())).passed());
    TimetableDb db;
    ASSERT_TRUE(db.load(fromUtf8(out.path().string())));
    db.queryDate = 20260923;
    std::vector<ResultRow> rows;
    db.queryTrainNumber(u"", rows);
    int running = 0;
    long long stops = 0;
    TrainRecord train;
    for (const ResultRow& r : rows) {
        if (r.status != 0) continue;
        ++running;
        db.decodeTrain(r.trainIndex, train);
        stops += static_cast<long long>(train.stops.size());
    }
    EXPECT_EQ(running, 961);
    EXPECT_EQ(stops, 10014);
    // Distances along the shapes: 189 km by rail from Penn Station to Montauk (the great
    // circle gives 177).
    rows.clear();
    db.queryStationToStation(u"Penn Station", u"Montauk", rows);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(toUtf8(rows.front().distanceText), "189");
    // Jamaica's change time is the feed's 5 minutes: 2721 in at 07:47, 608 out at 07:53.
    JourneyPlanner planner(db);
    auto departsAt = [&](const JourneyOptions& options, int minutes) {
        for (const Journey& j :
             planner.plan(u"Far Rockaway", u"Port Jefferson", 20260923, options)) {
            if (j.departure == minutes) return true;
        }
        return false;
    };
    JourneyOptions asked;
    EXPECT_TRUE(departsAt(asked, 7 * 60 + 10));
    asked.changeMinutesGiven = true;  // 20 minutes everywhere
    EXPECT_FALSE(departsAt(asked, 7 * 60 + 10));
    // Neighbours under a kilometre apart: never listed the wrong way round.
    rows.clear();
    db.queryStationToStation(u"Far Rockaway", u"Inwood", rows);
    for (const ResultRow& r : rows) EXPECT_LE(r.departureTime, r.arrivalTime);
}

}  // namespace
}  // namespace zelvan::test

namespace zelvan::test {
namespace {

// More trains than 16,384 and more stations: the importer sets no limit of its own; the record
// files take them (their wide form), and every train and station answers.
TEST(GtfsImport, PastSixteenThousandTrainsAndStations) {
    Feed feed;
    feed.routes = {{"R", "S"}};
    feed.services = {{"D", 0b1111111, "20261207", "20261213", {}}};
    const int stations = 16500, trains = 16600;
    for (int s = 0; s < stations; ++s) {
        feed.stops.push_back({"S" + std::to_string(s), "Halt " + std::to_string(s),
                              46.0 + s / 200 * 0.01, 7.0 + s % 200 * 0.01, "", 0, ""});
    }
    for (int t = 0; t < trains; ++t) {
        const int from = t % stations, to = (t * 7 + 1) % stations;
        const int start = 3600 * 6 + 60 * (t % 600);
        feed.trips.push_back({"t" + std::to_string(t),
                              "R",
                              "D",
                              std::to_string(t + 1),
                              {{"S" + std::to_string(from), start, start},
                               {"S" + std::to_string(to == from ? (to + 1) % stations : to),
                                start + 1800, start + 1800}}});
    }
    Imported imported(feed);
    ASSERT_TRUE(imported.ok) << imported.error;
    EXPECT_EQ(imported.summary.trains, trains);
    EXPECT_EQ(imported.summary.stations, stations);
    TimetableDb& db = imported.db;
    EXPECT_TRUE(checkTimetable(db.folder).passed());
    db.queryDate = 20261209;
    const int last = db.findTrainRun(u"16600");
    ASSERT_GE(last, 0);
    TrainRecord train;
    db.decodeTrain(last, train);
    ASSERT_EQ(train.stops.size(), 2u);
    EXPECT_EQ(toUtf8(db.stationNames[static_cast<std::size_t>(train.stops[0].station)]),
              "Halt " + std::to_string((trains - 1) % stations));
}

}  // namespace
}  // namespace zelvan::test
