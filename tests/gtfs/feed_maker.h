// Small GTFS feeds written by the tests: stations, platforms, routes, trips with their stop
// times and services, as CSV files in a folder.
#pragma once

#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace zelvan::test {

struct FeedStop {
    std::string id;
    std::string name;
    double lat = 0, lon = 0;
    std::string parent;    // a platform's station
    int locationType = 0;  // 1: a station with platforms
    std::string platform;
    std::string zone = {};  // fare zone
};

struct FeedStopTime {
    std::string stop;
    int arrival = -1;  // seconds after the service day's midnight; -1: not given
    int departure = -1;
    int pickup = 0;   // 1: no boarding
    int dropoff = 0;  // 1: no alighting
};

struct FeedTrip {
    std::string id;
    std::string route;
    std::string service;
    std::string number;  // trip_short_name
    std::vector<FeedStopTime> stops;
};

struct FeedService {
    std::string id;
    int weekdays = 0;        // bit 0 Monday ... bit 6 Sunday; 0: no calendar.txt line
    std::string start, end;  // YYYYMMDD
    std::vector<std::pair<std::string, int>> exceptions;  // date, 1 added or 2 removed
};

// A fare: its price in centimes (CHF) and its rules: route, origin, destination, contains.
struct FeedFare {
    std::string id;
    int centimes = 0;
    std::vector<std::vector<std::string>> rules;
};

struct Feed {
    std::string timezone = "Europe/Zurich";
    std::vector<FeedStop> stops;
    std::vector<std::pair<std::string, std::string>> routes;  // id, short name
    std::vector<FeedTrip> trips;
    std::vector<FeedService> services;
    std::vector<FeedFare> fares;               // fare_attributes and fare_rules when any
    std::map<std::string, std::string> extra;  // more files, name -> text
};

// "HH:MM:SS" of seconds (hours may pass 24).
std::string gtfsTime(int seconds);
// Writes the feed's files into `folder`.
void writeFeed(const Feed& feed, const std::filesystem::path& folder);
// A random feed: a few stations (some with platforms), routes, trips past midnight and
// starting after 24:00, weekly calendars with exceptions, boarding restrictions, repeated and
// varying train numbers, fare zones and fares by route, zones and zones passed.
Feed randomFeed(std::mt19937& random);

}  // namespace zelvan::test
