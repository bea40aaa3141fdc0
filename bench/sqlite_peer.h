// The peer the benchmarks measure against: the same timetable in an in-memory SQLite database
// with the indexes a careful user would create, answering the station-to-station and station
// questions, and the journeys with one change, in SQL.
#pragma once

#include <string>
#include <vector>

#include "db/timetable_db.h"
#include "journey/journey.h"

struct sqlite3;
struct sqlite3_stmt;

namespace zelvan::bench {

// One journey found: departure and arrival as minutes from midnight starting the day of
// travel, and its changes.
struct PeerJourney {
    int departure = 0;
    int arrival = 0;
    int changes = 0;
    bool operator==(const PeerJourney&) const = default;
};

// One answer row: train number, departure and arrival as minutes after midnight, distance.
struct PeerRow {
    std::string train;
    int departure = 0;
    int arrival = 0;
    int distanceKm = 0;
};

class SqlitePeer {
  public:
    SqlitePeer() = default;
    ~SqlitePeer();
    SqlitePeer(const SqlitePeer&) = delete;
    SqlitePeer& operator=(const SqlitePeer&) = delete;

    // Copies every station and every decoded train of `db` into a new in-memory database.
    bool open(const TimetableDb& db, std::string& error);

    // Trains calling at `from` and later (by distance) at `to`; appends to `rows`.
    void stationToStation(const std::string& from, const std::string& to,
                          std::vector<PeerRow>& rows);
    // Trains calling at the station, from there to their last stop; appends to `rows`.
    void station(const std::string& name, std::vector<PeerRow>& rows);
    // The unbeaten journeys with at most one change from the stations `origins` to the
    // stations `destinations` (at most 8 each) leaving on `date`, by departure, arrival,
    // changes; appends to `journeys`.
    void journeys(const std::vector<int>& origins, const std::vector<int>& destinations,
                  DateKey date, const JourneyOptions& options, std::vector<PeerJourney>& journeys);

  private:
    void close();
    static void collect(sqlite3_stmt* statement, std::vector<PeerRow>& rows);

    sqlite3* db_ = nullptr;
    sqlite3_stmt* stationToStation_ = nullptr;
    sqlite3_stmt* station_ = nullptr;
    sqlite3_stmt* journeys_ = nullptr;
};

}  // namespace zelvan::bench
