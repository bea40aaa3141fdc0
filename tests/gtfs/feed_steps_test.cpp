// Each step of reading a feed on a few lines of CSV: what the importer makes of stops and
// stations, calendars, trips and their runs, distances, transfers and fares; the names and
// numbers riders read, passed stops, tracks, step-free access, bad coordinates.
#include <gtest/gtest.h>

#include <set>

#include "db/text.h"
#include "db/timetable_db.h"
#include "fare/result_row.h"
#include "inline_feed.h"

namespace zelvan::test {
namespace {

const char* kTwoStations =
    "stop_id,stop_name,stop_lat,stop_lon,location_type,parent_station,platform_code\n"
    "ZH,Zürich HB,47.378,8.540,1,,\n"
    "ZH7,Zürich HB,47.378,8.540,0,ZH,7\n"
    "ZH8,Zürich HB Gleis 8,47.378,8.540,0,ZH,8\n"
    "BN,Bern,46.949,7.439,0,,\n"
    "E1,Entrance,47.378,8.540,2,ZH,\n";

// A parent station with its platforms is one station; a stop without a parent is one; an
// entrance is no stop. The platform's code goes with the calls at it.
TEST(FeedStations, PlatformsAreTheirStationAndKeepTheirCode) {
    InlineFeed f({{"stops.txt", kTwoStations},
                  {"trips.txt", "route_id,service_id,trip_id,trip_short_name\nR,D,t1,5\n"},
                  {"stop_times.txt",
                   "trip_id,arrival_time,departure_time,stop_id,stop_sequence\n"
                   "t1,08:00:00,08:00:00,ZH7,1\nt1,09:00:00,09:00:00,BN,2\n"}});
    ASSERT_TRUE(f.ok) << f.error;
    ASSERT_EQ(f.network.stations.size(), 2u);
    EXPECT_EQ(f.network.stations[0].name, "Zürich HB");
    EXPECT_EQ(f.feed.stops.size(), 4u);  // the station, its two platforms, Bern
    ASSERT_EQ(f.network.trains.size(), 1u);
    EXPECT_EQ(f.stops(f.network.trains[0]), "Zürich HB 08:00-08:00 0 [7], Bern 09:00-09:00 96");
}

// A platform whose parent is not in the file, and a stop_id given twice: refused by line.
TEST(FeedStations, UnknownParentsAndRepeatedIdsAreRefused) {
    InlineFeed orphan({{"stops.txt",
                        "stop_id,stop_name,stop_lat,stop_lon,location_type,parent_station\n"
                        "A,Alpha,47,8,0,\nA1,Alpha,47,8,0,NONE\n"},
                       {"trips.txt", "route_id,service_id,trip_id\n"},
                       {"stop_times.txt", "trip_id,stop_id,stop_sequence\n"}});
    EXPECT_FALSE(orphan.ok);
    EXPECT_EQ(orphan.error, "stops.txt:3: parent_station NONE is no station of stops.txt");
    InlineFeed twice(
        {{"stops.txt", "stop_id,stop_name,stop_lat,stop_lon\nA,Alpha,47,8\nA,B,47,8\n"},
         {"trips.txt", "route_id,service_id,trip_id\n"},
         {"stop_times.txt", "trip_id,stop_id,stop_sequence\n"}});
    EXPECT_FALSE(twice.ok);
    EXPECT_EQ(twice.error, "stops.txt:3: stop_id A stands twice");
}

// Weekdays within the dates, then the dates added and taken away: "WK" runs Monday to Friday
// in the week of 7 December 2026 but not on Tuesday, and on Sunday the 13th.
TEST(FeedServiceDays, WeekdaysWithinTheDatesThenTheExceptions) {
    InlineFeed f({{"calendar.txt",
                   "service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,"
                   "start_date,end_date\nWK,1,1,1,1,1,0,0,20261207,20261213\n"},
                  {"calendar_dates.txt",
                   "service_id,date,exception_type\nWK,20261208,2\nWK,20261213,1\n"
                   "ONLY,20261225,1\n"},
                  {"stops.txt", kTwoStations},
                  {"trips.txt", "route_id,service_id,trip_id\n"},
                  {"stop_times.txt", "trip_id,stop_id,stop_sequence\n"}});
    ASSERT_TRUE(f.ok) << f.error;
    const auto days = [&](const std::string& id) {
        std::string text;
        for (int d : f.feed.services[f.feed.serviceIds.at(id)])
            text += std::to_string(gtfs::dateOfDay(d) % 100) + " ";
        return text;
    };
    EXPECT_EQ(days("WK"), "7 9 10 11 13 ");
    EXPECT_EQ(days("ONLY"), "25 ");
    InlineFeed bad({{"calendar_dates.txt", "service_id,date,exception_type\nWK,20261208,3\n"},
                    {"stops.txt", kTwoStations},
                    {"trips.txt", "route_id,service_id,trip_id\n"},
                    {"stop_times.txt", "trip_id,stop_id,stop_sequence\n"}});
    EXPECT_EQ(bad.error, "calendar_dates.txt:2: exception_type is neither 1 nor 2");
}

// Trips of one number, route, stops and times are one train on all their days; a trip that
// starts past 24:00 runs on the next day; frequencies give one run per headway; a stop without
// times is timed by distance between its neighbours.
TEST(FeedRuns, TripsBecomeTrainsOnTheirDays) {
    InlineFeed f({{"calendar.txt",
                   "service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,"
                   "start_date,end_date\nMO,1,0,0,0,0,0,0,20261207,20261207\n"
                   "TU,0,1,0,0,0,0,0,20261208,20261208\n"},
                  {"stops.txt",
                   "stop_id,stop_name,stop_lat,stop_lon\nA,Alpha,47.0,8.0\nB,Beta,47.1,8.0\n"
                   "C,Gamma,47.3,8.0\n"},
                  {"trips.txt",
                   "route_id,service_id,trip_id,trip_short_name\nR,MO,m,1\nR,TU,t,1\n"
                   "R,MO,late,2\nR,MO,f,3\n"},
                  {"stop_times.txt",
                   "trip_id,arrival_time,departure_time,stop_id,stop_sequence\n"
                   "m,08:00:00,08:00:00,A,1\nm,,,B,2\nm,08:30:00,08:30:00,C,3\n"
                   "t,08:00:00,08:00:00,A,1\nt,,,B,2\nt,08:30:00,08:30:00,C,3\n"
                   "late,24:10:00,24:10:00,A,1\nlate,24:40:00,24:40:00,C,2\n"
                   "f,06:00:00,06:00:00,A,1\nf,06:20:00,06:20:00,C,2\n"},
                  {"frequencies.txt",
                   "trip_id,start_time,end_time,headway_secs\nf,06:00:00,07:00:00,1800\n"}});
    ASSERT_TRUE(f.ok) << f.error;
    std::string trains;
    for (const gtfs::Train& t : f.network.trains) {
        trains += t.number + ": " + f.stops(t) + " on " + InlineFeed::days(t) + "\n";
    }
    EXPECT_EQ(trains,
              "1: Alpha 08:00-08:00 0, Beta 08:10-08:10 11, Gamma 08:30-08:30 33 on 20261207 "
              "20261208\n"
              "2: Alpha 00:10-00:10 0, Gamma 00:40-00:40 33 on 20261208\n"
              "3: Alpha 06:00-06:00 0, Gamma 06:20-06:20 33 on 20261207\n"
              "3: Alpha 06:30-06:30 0, Gamma 06:50-06:50 33 on 20261207\n");
    EXPECT_EQ(f.summary.runsMerged, 1);
    EXPECT_EQ(f.summary.warnings["trips with untimed stops, their times interpolated by distance"],
              2);
}

// Distances: the feed's own in metres, else along the shape (a detour east: 32 km for 11 as
// the crow flies), else the great circle.
TEST(FeedDistances, GivenThenAlongTheShapeThenStraight) {
    InlineFeed f(
        {{"stops.txt", "stop_id,stop_name,stop_lat,stop_lon\nA,Alpha,47.0,8.0\nC,Gamma,47.1,8.0\n"},
         {"shapes.txt",
          "shape_id,shape_pt_lat,shape_pt_lon,shape_pt_sequence\n"
          "S,47.0,8.0,1\nS,47.05,8.2,2\nS,47.1,8.0,3\n"},
         {"trips.txt",
          "route_id,service_id,trip_id,trip_short_name,shape_id\nR,D,given,1,S\n"
          "R,D,shaped,2,S\nR,D,straight,3,\n"},
         {"stop_times.txt",
          "trip_id,arrival_time,departure_time,stop_id,stop_sequence,"
          "shape_dist_traveled\n"
          "given,08:00:00,08:00:00,A,1,0\ngiven,08:30:00,08:30:00,C,2,12400\n"
          "shaped,08:00:00,08:00:00,A,1,\nshaped,08:30:00,08:30:00,C,2,\n"
          "straight,08:00:00,08:00:00,A,1,\nstraight,08:30:00,08:30:00,C,2,\n"}});
    ASSERT_TRUE(f.ok) << f.error;
    std::string km;
    for (const gtfs::Train& t : f.network.trains)
        km += t.number + "=" + std::to_string(t.stops.back().km) + " ";
    EXPECT_EQ(km, "1=12 2=32 3=11 ");
}

// transfers.txt: a minimum time at one station is its change time, between two a walk; a
// transfer between trips is read around.
TEST(FeedTransfers, ChangeTimesAndWalks) {
    InlineFeed f({{"stops.txt", kTwoStations},
                  {"trips.txt", "route_id,service_id,trip_id\n"},
                  {"stop_times.txt", "trip_id,stop_id,stop_sequence\n"},
                  {"transfers.txt",
                   "from_stop_id,to_stop_id,from_trip_id,to_trip_id,transfer_type,"
                   "min_transfer_time\nZH7,ZH8,,,2,250\nZH,BN,,,2,3600\nBN,ZH,x,y,1,\n"
                   "BN,BN,,,0,\n"}});
    ASSERT_TRUE(f.ok) << f.error;
    EXPECT_EQ(f.network.stations[0].changeMinutes, 5);
    ASSERT_EQ(f.network.walks.size(), 1u);
    EXPECT_EQ(f.network.walks[0].minutes, 60);
    EXPECT_EQ(f.summary.warnings["transfers.txt: transfers between trips or routes (not used)"], 1);
    InlineFeed bad({{"stops.txt", kTwoStations},
                    {"trips.txt", "route_id,service_id,trip_id\n"},
                    {"stop_times.txt", "trip_id,stop_id,stop_sequence\n"},
                    {"transfers.txt",
                     "from_stop_id,to_stop_id,transfer_type,min_transfer_time\n"
                     "ZH,NOPE,2,60\n"}});
    EXPECT_EQ(bad.error, "transfers.txt:2: a stop_id that is no stop of stops.txt");
}

// Fares: a fare's rules as its lines, one line for a fare without rules, rules of no fare left
// out with a warning; a price that is no decimal refused.
TEST(FeedFares, EachRuleALineOfItsFare) {
    std::map<std::string, std::string> files = {
        {"stops.txt", kTwoStations},
        {"trips.txt", "route_id,service_id,trip_id\n"},
        {"stop_times.txt", "trip_id,stop_id,stop_sequence\n"},
        {"fare_attributes.txt",
         "fare_id,price,currency_type,payment_method,transfers\nF1,2.5,CHF,0,0\nF2,10,CHF,0,0\n"},
        {"fare_rules.txt",
         "fare_id,route_id,origin_id,destination_id,contains_id\nF1,R,Z1,Z2,\nF1,,,,Z3\n"
         "NONE,,Z1,,\n"}};
    InlineFeed f(files);
    ASSERT_TRUE(f.ok) << f.error;
    EXPECT_EQ(f.network.fareTable,
              "fare\tprice\tcurrency\troute\torigin\tdestination\tcontains\n"
              "F1\t2.5\tCHF\tR\tZ1\tZ2\t\nF1\t2.5\tCHF\t\t\t\tZ3\nF2\t10\tCHF\t\t\t\t\n");
    EXPECT_EQ(f.summary.warnings["fare_rules.txt: rules of no fare in fare_attributes.txt "
                                 "(left out)"],
              1);
    files["fare_attributes.txt"] = "fare_id,price,currency_type\nF1,2.5.0,CHF\n";
    InlineFeed bad(files);
    EXPECT_EQ(bad.error, "fare_attributes.txt:2: fare F1: price or currency_type is not valid");
}

}  // namespace
}  // namespace zelvan::test

namespace zelvan::test {
namespace {

// The shown names of an imported folder, as the station list holds them.
std::vector<std::string> shownNames(const InlineFeed& f) {
    TimetableDb db;
    std::vector<std::string> names;
    if (!db.load(fromUtf8((f.folder / "out").string()))) return names;
    for (const std::u16string& n : db.stationNames) names.push_back(toUtf8(n));
    return names;
}

// Stops without a parent that share a name and lie within 150 m are one station, each stop's
// platform_code kept for the calls at it ("Bahnhof" 40 m apart: platforms 1 and 2 of one
// station). Two different stations of one name are told apart by their nearest station of
// another name ("Bahnhof" 5 km away, near "Ehningen Rathaus"), or by stop_desc where it tells
// them apart; never by an id.
TEST(FeedStations, StopsOfOnePlaceAreOneStationAndNamesCarryNoId) {
    std::map<std::string, std::string> files = {
        {"stops.txt",
         "stop_id,stop_name,stop_lat,stop_lon,platform_code,stop_desc\n"
         "de:1:1,Bahnhof,48.6368,9.0073,1,\n"
         "de:1:2,Bahnhof,48.6371,9.0075,2,\n"
         "de:2:1,Bahnhof,48.6620,8.9432,,\n"
         "de:3:1,Ehningen Rathaus,48.6600,8.9430,,\n"
         "de:4:1,Holzgerlingen Rathaus,48.6390,9.0100,,\n"},
        {"trips.txt", "route_id,service_id,trip_id,trip_short_name\nR,D,a,1\nR,D,b,2\n"},
        {"stop_times.txt",
         "trip_id,arrival_time,departure_time,stop_id,stop_sequence\n"
         "a,08:00:00,08:00:00,de:1:1,1\na,08:10:00,08:10:00,de:4:1,2\n"
         "a,08:30:00,08:30:00,de:2:1,3\na,08:32:00,08:32:00,de:3:1,4\n"
         "b,09:00:00,09:00:00,de:3:1,1\nb,09:40:00,09:40:00,de:1:2,2\n"}};
    InlineFeed f(files);
    ASSERT_TRUE(f.ok) << f.error;
    ASSERT_EQ(f.network.stations.size(), 4u);
    std::string trains;
    for (const gtfs::Train& t : f.network.trains) trains += f.stops(t) + "\n";
    EXPECT_EQ(trains,
              "Bahnhof 08:00-08:00 0 [1], Holzgerlingen Rathaus 08:10-08:10 0, "
              "Bahnhof 08:30-08:30 6, Ehningen Rathaus 08:32-08:32 6\n"
              "Ehningen Rathaus 09:00-09:00 0, Bahnhof 09:40-09:40 5 [2]\n");
    ASSERT_EQ(f.import(), "");
    EXPECT_EQ(shownNames(f), (std::vector<std::string>{
                                 "Bahnhof (Holzgerlingen Rathaus)", "Bahnhof (Ehningen Rathaus)",
                                 "Ehningen Rathaus", "Holzgerlingen Rathaus"}));
    // The stop id stays in s.more, out of sight.
    EXPECT_NE(f.table("s.more").find("0\tde:1:1\t48.636800\t9.007300\t\t\t\n"), std::string::npos)
        << f.table("s.more");

    // stop_desc where it tells them apart.
    files["stops.txt"] =
        "stop_id,stop_name,stop_lat,stop_lon,platform_code,stop_desc\n"
        "de:1:1,Bahnhof,48.6368,9.0073,1,Holzgerlingen\n"
        "de:1:2,Bahnhof,48.6371,9.0075,2,Holzgerlingen\n"
        "de:2:1,Bahnhof,48.6620,8.9432,,Ehningen\n"
        "de:3:1,Ehningen Rathaus,48.6600,8.9430,,\n"
        "de:4:1,Holzgerlingen Rathaus,48.6390,9.0100,,\n";
    InlineFeed described(files);
    ASSERT_EQ(described.import(), "");
    EXPECT_EQ(shownNames(described)[0], "Bahnhof (Holzgerlingen)");
    EXPECT_EQ(shownNames(described)[1], "Bahnhof (Ehningen)");
}

// Step-free boarding: a station's own word, else its platforms' where they agree; a stop place
// joined from stops, theirs where they agree; nothing where the feed says nothing. Trains: the
// trip's word, nothing when the trips of one train disagree.
TEST(FeedStations, StepFreeBoardingAndBikesClaimOnlyWhatTheFeedSays) {
    InlineFeed f(
        {{"stops.txt",
          "stop_id,stop_name,stop_lat,stop_lon,location_type,parent_station,wheelchair_boarding\n"
          "P,Parent,47.0,8.0,1,,\nP1,Parent,47.0,8.0,0,P,1\nP2,Parent,47.0,8.0,0,P,\n"
          "Q,Own,47.1,8.0,1,,2\nQ1,Own,47.1,8.0,0,Q,1\n"
          "X,Place,47.2,8.0,0,,1\nX2,Place,47.2001,8.0,0,,2\n"
          "S,Silent,47.3,8.0,0,,\n"},
         {"trips.txt",
          "route_id,service_id,trip_id,trip_short_name,wheelchair_accessible,bikes_allowed\n"
          "R,D,a,1,1,2\nR,D,b,1,2,2\nR,D,c,2,1,\n"},
         {"calendar_dates.txt", "service_id,date,exception_type\nD2,20261225,1\n"},
         {"stop_times.txt",
          "trip_id,arrival_time,departure_time,stop_id,stop_sequence\n"
          "a,08:00:00,08:00:00,P1,1\na,08:10:00,08:10:00,Q1,2\n"
          "b,08:00:00,08:00:00,P1,1\nb,08:10:00,08:10:00,Q1,2\n"
          "c,09:00:00,09:00:00,X2,1\nc,09:10:00,09:10:00,S,2\n"}});
    ASSERT_EQ(f.import(), "");
    std::string access;
    readTable(f.table("s.more"), [&](const std::vector<std::string_view>& row) {
        access += std::string(row[1]) + "=" + std::string(row[6]) + " ";
    });
    EXPECT_EQ(access, "P=1 Q=2 X= S= ");
    std::string trains;
    readTable(f.table("t.more"), [&](const std::vector<std::string_view>& row) {
        trains += std::string(row[4]) + "/" + std::string(row[5]) + " ";
    });
    EXPECT_EQ(trains, "/2 1/ ");  // 1: a and b disagree on step-free access, agree on bikes
}

// Trips riders know by route and headsign: no trip_short_name, or a word all the route's trips
// share ("LOCAL"). The number shown is "752 → Ehningen Bf" (the headsign, else the last stop);
// the stored key is never shown. A number the route's trips share that is a number ("101" on
// weekdays and Sundays) stays the number.
TEST(FeedNumbers, TripsWithoutNumbersAreShownByRouteAndHeadsign) {
    InlineFeed f(
        {{"routes.txt",
          "route_id,route_short_name,route_long_name,route_type\n"
          "R752,752,,3\nRL,,Port Line,2\nRN,IC,,2\n"},
         {"stops.txt",
          "stop_id,stop_name,stop_lat,stop_lon\nA,Alpha,47.0,8.0\nB,Ehningen Bf,47.1,8.0\n"},
         {"trips.txt",
          "route_id,service_id,trip_id,trip_short_name,trip_headsign\n"
          "R752,D,1.T0.31-752-j20-1.16.R,,Ehningen Bf\nR752,D,x2,,\n"
          "RL,D,l1,LOCAL,Harbour\nRL,D,l2,LOCAL,Harbour\n"
          "RN,D,n1,101,\nRN,D,n2,101,\n"},
         {"stop_times.txt",
          "trip_id,arrival_time,departure_time,stop_id,stop_sequence\n"
          "1.T0.31-752-j20-1.16.R,08:00:00,08:00:00,A,1\n"
          "1.T0.31-752-j20-1.16.R,08:10:00,08:10:00,B,2\n"
          "x2,09:00:00,09:00:00,A,1\nx2,09:10:00,09:10:00,B,2\n"
          "l1,10:00:00,10:00:00,A,1\nl1,10:10:00,10:10:00,B,2\n"
          "l2,11:00:00,11:00:00,A,1\nl2,11:10:00,11:10:00,B,2\n"
          "n1,12:00:00,12:00:00,A,1\nn1,12:10:00,12:10:00,B,2\n"
          "n2,13:00:00,13:00:00,B,1\nn2,13:10:00,13:10:00,A,2\n"}});
    ASSERT_EQ(f.import(), "");
    TimetableDb db;
    ASSERT_TRUE(db.load(fromUtf8((f.folder / "out").string())));
    std::multiset<std::string> shown;
    for (int t = 0; t < static_cast<int>(db.trainIndex.size()); ++t) {
        std::string number = toUtf8(db.extensions.displayNumber(t));
        if (number.empty()) number = toUtf8(db.trainNameByIndex(t));
        shown.insert(number);
        EXPECT_EQ(number.find("31-752"), std::string::npos) << number;
    }
    EXPECT_EQ(shown, (std::multiset<std::string>{"752 → Ehningen Bf", "752 → Ehningen Bf",
                                                 "Port Line → Harbour", "Port Line → Harbour",
                                                 "101", "101"}));
    // Found by the words of the number.
    db.queryDate = 20261210;
    std::vector<ResultRow> rows;
    db.queryTrainNumber(u"752", rows);
    EXPECT_EQ(rows.size(), 2u);
}

// A stop where no one may board or alight (pickup_type and drop_off_type 1) is passed: out of
// the stored run, counted, the other stops' distances as they were. A call's own track
// (stop_times.txt `track`) is its platform.
TEST(FeedRuns, PassedStopsAreLeftOutAndTracksKept) {
    InlineFeed f({{"stops.txt",
                   "stop_id,stop_name,stop_lat,stop_lon,platform_code\nA,Alpha,47.0,8.0,9\n"
                   "H,Hillside Facility,47.1,8.0,\nC,Gamma,47.2,8.0,\n"},
                  {"trips.txt", "route_id,service_id,trip_id,trip_short_name\nR,D,t,5\n"},
                  {"stop_times.txt",
                   "trip_id,arrival_time,departure_time,stop_id,stop_sequence,pickup_type,"
                   "drop_off_type,track\n"
                   "t,08:00:00,08:00:00,A,1,0,0,3A\nt,08:10:00,08:10:00,H,2,1,1,\n"
                   "t,08:20:00,08:20:00,C,3,0,0,\n"}});
    ASSERT_TRUE(f.ok) << f.error;
    ASSERT_EQ(f.network.trains.size(), 1u);
    EXPECT_EQ(f.stops(f.network.trains[0]), "Alpha 08:00-08:00 0 [3A], Gamma 08:20-08:20 22");
    EXPECT_EQ(f.summary.dropped["stop times where no rider may board or alight (passed through)"],
              1);
}

// Coordinates out of range or not numbers: a warning naming the first such line, counted, the
// stop kept without them; an error naming the line where a trip's distances need them.
TEST(FeedStations, BadCoordinatesAreToldAndRefusedWhereNeeded) {
    const std::string stops =
        "stop_id,stop_name,stop_lat,stop_lon\nA,Alpha,47.0,8.0\nB,Beta,999,8.0\n"
        "C,Gamma,nan,8.0\n";
    InlineFeed measured({{"stops.txt", stops},
                         {"trips.txt", "route_id,service_id,trip_id,trip_short_name\nR,D,t,5\n"},
                         {"stop_times.txt",
                          "trip_id,arrival_time,departure_time,stop_id,stop_sequence,"
                          "shape_dist_traveled\n"
                          "t,08:00:00,08:00:00,A,1,0\nt,08:20:00,08:20:00,B,2,12000\n"}});
    ASSERT_TRUE(measured.ok) << measured.error;
    EXPECT_EQ(measured.summary.warnings["stops.txt: stops whose latitude or longitude is out of "
                                        "range or not a number, kept without coordinates (the "
                                        "first: stops.txt:3)"],
              2);
    EXPECT_EQ(measured.network.trains[0].stops.back().km, 12);
    InlineFeed straight({{"stops.txt", stops},
                         {"trips.txt", "route_id,service_id,trip_id,trip_short_name\nR,D,t,5\n"},
                         {"stop_times.txt",
                          "trip_id,arrival_time,departure_time,stop_id,stop_sequence\n"
                          "t,08:00:00,08:00:00,A,1\nt,08:20:00,08:20:00,C,2\n"}});
    EXPECT_FALSE(straight.ok);
    EXPECT_EQ(straight.error.substr(0, straight.error.find(',')),
              "stops.txt:4: the stop's latitude or longitude is out of range or not a number");
}

}  // namespace
}  // namespace zelvan::test
