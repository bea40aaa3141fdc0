#include "sqlite_peer.h"

#include <sqlite3.h>

#include "db/running_days.h"
#include "db/text.h"
#include "journey/journey_rows.h"

namespace zelvan::bench {
namespace {

// Day numbers count from here; only their differences are used.
constexpr DateKey kEpoch = 19700101;

// Stops keyed by (train, seq) in a table without row ids: the stops of a train lie together,
// which is the index by train. The second index finds the stops at a station.
constexpr const char* kSchema = R"sql(
CREATE TABLE station (id INTEGER PRIMARY KEY, name TEXT NOT NULL);
CREATE TABLE train (id INTEGER PRIMARY KEY, name TEXT NOT NULL, kind INTEGER, factor INTEGER,
                    valid_from INTEGER, valid_until INTEGER, rule INTEGER);
CREATE TABLE stop (train INTEGER NOT NULL, seq INTEGER NOT NULL, station INTEGER NOT NULL,
                   arrival INTEGER NOT NULL, dwell INTEGER NOT NULL, km INTEGER NOT NULL,
                   PRIMARY KEY (train, seq)) WITHOUT ROWID;
)sql";
constexpr const char* kIndexes = R"sql(
CREATE INDEX station_by_name ON station (name);
CREATE INDEX train_by_name ON train (name);
CREATE INDEX stop_by_station ON stop (station, train);
ANALYZE;
)sql";

// For journeys, the same stops with the times of their run (minutes from the run's first
// midnight, legs modulo a day), the calendar day of each stop's clock and the day offset the
// station query counts there; the trains' running days; and the changes allowed: at one
// station, or between two stations whose names less at most one suffix give a station's name.
constexpr const char* kJourneySchema = R"sql(
CREATE TABLE run_stop (train INTEGER NOT NULL, seq INTEGER NOT NULL, station INTEGER NOT NULL,
                       arr INTEGER NOT NULL, dep INTEGER NOT NULL, days INTEGER NOT NULL,
                       status_off INTEGER NOT NULL, PRIMARY KEY (train, seq)) WITHOUT ROWID;
CREATE TABLE train_days (train INTEGER PRIMARY KEY, valid_from INTEGER, valid_until INTEGER,
                         from_day INTEGER, period INTEGER, mask INTEGER);
CREATE TABLE suffix (sfx TEXT);
INSERT INTO suffix VALUES ('东'), ('西'), ('南'), ('北'), ('虹桥'), ('新区'), ('园区');
)sql";
constexpr const char* kJourneyIndexes = R"sql(
CREATE TABLE base AS
  SELECT id AS station, name AS base FROM station
  UNION
  SELECT id, substr(name, 1, length(name) - length(sfx)) FROM station, suffix
  WHERE length(name) > length(sfx) AND substr(name, -length(sfx)) = sfx;
CREATE TABLE transfer (from_station INTEGER, to_station INTEGER, place INTEGER,
                       PRIMARY KEY (from_station, to_station)) WITHOUT ROWID;
INSERT INTO transfer SELECT id, id, 0 FROM station;
INSERT OR IGNORE INTO transfer
  SELECT a.station, b.station, 1 FROM base AS a JOIN base AS b ON a.base = b.base
  WHERE a.station <> b.station AND a.base IN (SELECT name FROM station);
CREATE INDEX run_stop_by_station ON run_stop (station, train, seq);
ANALYZE;
)sql";

// Journeys with at most one change, as a careful user writes them: the first legs from the
// origin stations on the day of travel (day 0), each with every later stop; the through
// journeys among them; and every second leg from where a first leg ends, after the wait of its
// change, on any day a boarding can fall on (-1 to 2), to a destination. Then the unbeaten
// (departure, arrival, changes). A run boarded on day d at a stop its run reaches after
// status_off midnights left its first stop on d - status_off: validity and rule hold there.
// ?1-?8: key and day number of days -1 to 2; ?9: earliest
// departure; ?10-?17 origin stations, ?20-?27 destination stations (-1 for none); ?18, ?19:
// the waits at one station and between two of one place.
constexpr const char* kJourneys = R"sql(
WITH day(e, key, num) AS (VALUES (-1, ?1, ?2), (0, ?3, ?4), (1, ?5, ?6), (2, ?7, ?8)),
first AS (
  SELECT b.dep - 1440 * b.days AS dep, a.station AS station, a.arr - 1440 * b.days AS arr
  FROM run_stop AS b
  JOIN train_days AS t ON t.train = b.train
  JOIN day AS d ON d.e = 0
  JOIN run_stop AS a ON a.train = b.train AND a.seq > b.seq AND a.arr >= b.dep
  WHERE b.station IN (?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17)
    AND b.dep - 1440 * b.days >= ?9 AND a.arr - 1440 * b.days < 4320
    AND (CASE b.status_off WHEN 0 THEN d.key
         ELSE CAST(strftime('%Y%m%d', (d.num - b.status_off) * 86400, 'unixepoch') AS INTEGER)
         END) BETWEEN t.valid_from AND t.valid_until
    AND (t.period = 1 OR
         ((d.num - t.from_day - b.status_off) % t.period BETWEEN 0 AND 31 AND
          (t.mask >> ((d.num - t.from_day - b.status_off) % t.period)) & 1))
),
found(dep, arr, changes) AS (
  SELECT dep, arr, 0 FROM first WHERE station IN (?20, ?21, ?22, ?23, ?24, ?25, ?26, ?27)
  UNION ALL
  SELECT f.dep, (d.e - b.days) * 1440 + a.arr, 1
  FROM first AS f
  JOIN transfer AS x ON x.from_station = f.station
  JOIN run_stop AS b ON b.station = x.to_station
  JOIN train_days AS t ON t.train = b.train
  JOIN day AS d
  JOIN run_stop AS a ON a.train = b.train AND a.seq > b.seq AND a.arr >= b.dep
  WHERE f.station NOT IN (?20, ?21, ?22, ?23, ?24, ?25, ?26, ?27)
    AND a.station IN (?20, ?21, ?22, ?23, ?24, ?25, ?26, ?27)
    AND (d.e - b.days) * 1440 + b.dep >= f.arr + CASE x.place WHEN 0 THEN ?18 ELSE ?19 END
    AND (d.e - b.days) * 1440 + a.arr < 4320
    AND (CASE b.status_off WHEN 0 THEN d.key
         ELSE CAST(strftime('%Y%m%d', (d.num - b.status_off) * 86400, 'unixepoch') AS INTEGER)
         END) BETWEEN t.valid_from AND t.valid_until
    AND (t.period = 1 OR
         ((d.num - t.from_day - b.status_off) % t.period BETWEEN 0 AND 31 AND
          (t.mask >> ((d.num - t.from_day - b.status_off) % t.period)) & 1))
),
best(dep, arr, changes) AS (SELECT dep, min(arr), changes FROM found GROUP BY dep, changes)
SELECT dep, arr, changes FROM best AS c
WHERE NOT EXISTS (SELECT 1 FROM best AS o
                  WHERE o.dep >= c.dep AND o.arr <= c.arr AND o.changes <= c.changes
                    AND (o.dep > c.dep OR o.arr < c.arr OR o.changes < c.changes))
ORDER BY dep, arr, changes
)sql";

// Every train calling at the departure station and, not earlier in its run nor nearer its
// origin, at the arrival station: train, departure time, arrival time, distance.
constexpr const char* kStationToStation = R"sql(
SELECT t.name, d.arrival + d.dwell, a.arrival, a.km - d.km
FROM stop AS d
JOIN stop AS a ON a.station = (SELECT id FROM station WHERE name = ?2)
              AND a.train = d.train AND a.seq >= d.seq AND a.km >= d.km
JOIN train AS t ON t.id = d.train
WHERE d.station = (SELECT id FROM station WHERE name = ?1)
)sql";

// Every train calling at the station, from there to its last stop.
constexpr const char* kStation = R"sql(
SELECT t.name, d.arrival + d.dwell, l.arrival, l.km - d.km
FROM stop AS d
JOIN train AS t ON t.id = d.train
JOIN stop AS l ON l.train = d.train
              AND l.seq = (SELECT max(seq) FROM stop WHERE train = d.train)
WHERE d.station = (SELECT id FROM station WHERE name = ?1)
)sql";

bool exec(sqlite3* db, const char* sql, std::string& error) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
    error = message ? message : "SQLite error";
    sqlite3_free(message);
    return false;
}

}  // namespace

SqlitePeer::~SqlitePeer() {
    close();
}

void SqlitePeer::close() {
    sqlite3_finalize(stationToStation_);
    sqlite3_finalize(station_);
    sqlite3_finalize(journeys_);
    sqlite3_close(db_);
    stationToStation_ = station_ = journeys_ = nullptr;
    db_ = nullptr;
}

bool SqlitePeer::open(const TimetableDb& source, std::string& error) {
    close();
    if (sqlite3_open(":memory:", &db_) != SQLITE_OK) {
        error = "cannot open an in-memory SQLite database";
        return false;
    }
    if (!exec(db_, kSchema, error) || !exec(db_, "BEGIN", error)) return false;

    sqlite3_stmt* insert = nullptr;
    auto prepare = [&](const char* sql) {
        sqlite3_finalize(insert);
        insert = nullptr;
        if (sqlite3_prepare_v2(db_, sql, -1, &insert, nullptr) == SQLITE_OK) return true;
        error = sqlite3_errmsg(db_);
        return false;
    };
    auto step = [&] {
        bool ok = sqlite3_step(insert) == SQLITE_DONE;
        if (!ok) error = sqlite3_errmsg(db_);
        sqlite3_reset(insert);
        return ok;
    };

    if (!prepare("INSERT INTO station VALUES (?, ?)")) return false;
    for (std::size_t s = 0; s < source.stationNames.size(); ++s) {
        const std::string name = toUtf8(source.stationNames[s]);
        sqlite3_bind_int(insert, 1, static_cast<int>(s));
        sqlite3_bind_text(insert, 2, name.c_str(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
        if (!step()) break;
    }

    std::vector<TrainRecord> trains(source.trainIndex.size());
    if (!prepare("INSERT INTO train VALUES (?, ?, ?, ?, ?, ?, ?)")) return false;
    for (const auto& [number, index] : source.trainIndex) {
        TrainRecord train;
        source.decodeTrain(index, train);
        const std::string name = toUtf8(number);
        sqlite3_bind_int(insert, 1, index);
        sqlite3_bind_text(insert, 2, name.c_str(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 3, train.kindCode);
        sqlite3_bind_int(insert, 4, train.fareFactor);
        sqlite3_bind_int(insert, 5, train.validFrom);
        sqlite3_bind_int(insert, 6, train.validUntil);
        sqlite3_bind_int(insert, 7, train.ruleNumber);
        if (!step()) break;
        if (index >= 0 && index < static_cast<int>(trains.size())) trains[index] = std::move(train);
    }
    if (!prepare("INSERT INTO stop VALUES (?, ?, ?, ?, ?, ?)")) return false;
    for (std::size_t t = 0; t < trains.size(); ++t) {
        for (const StopRecord& stop : trains[t].stops) {
            sqlite3_bind_int(insert, 1, static_cast<int>(t));
            sqlite3_bind_int(insert, 2, stop.sequence);
            sqlite3_bind_int(insert, 3, stop.station);
            sqlite3_bind_int(insert, 4, stop.arrivalHour * 60 + stop.arrivalMinute);
            sqlite3_bind_int(insert, 5, stop.dwellMinutes);
            sqlite3_bind_int(insert, 6, stop.distanceKm);
            if (!step()) break;
        }
    }
    if (!exec(db_, kJourneySchema, error) ||
        !prepare("INSERT INTO train_days VALUES (?, ?, ?, ?, ?, ?)")) {
        return false;
    }
    for (std::size_t t = 0; t < trains.size(); ++t) {
        RunningRule rule;
        const std::size_t line = static_cast<std::size_t>(trains[t].ruleNumber);
        if (trains[t].ruleNumber >= 0 && line < source.runningRules.size()) {
            rule = parseRunningRule(source.runningRules[line]);
        }
        sqlite3_bind_int(insert, 1, static_cast<int>(t));
        sqlite3_bind_int(insert, 2, trains[t].validFrom);
        sqlite3_bind_int(insert, 3, trains[t].validUntil);
        sqlite3_bind_int(insert, 4, daysBetween(kEpoch, trains[t].validFrom));
        sqlite3_bind_int64(insert, 5, rule.period);
        sqlite3_bind_int64(insert, 6, rule.mask);
        if (!step()) break;
    }
    if (!prepare("INSERT INTO run_stop VALUES (?, ?, ?, ?, ?, ?, ?)")) return false;
    for (std::size_t t = 0; t < trains.size(); ++t) {
        const std::vector<StopRecord>& stops = trains[t].stops;
        int time = 0;
        for (std::size_t k = 0; k < stops.size(); ++k) {
            const int clock = stops[k].arrivalHour * 60 + stops[k].arrivalMinute;
            const int before =
                k == 0 ? clock : stops[k - 1].arrivalHour * 60 + stops[k - 1].arrivalMinute;
            time = k == 0 ? clock : time + ((clock - before) % 1440 + 1440) % 1440;
            sqlite3_bind_int(insert, 1, static_cast<int>(t));
            sqlite3_bind_int(insert, 2, stops[k].sequence);
            sqlite3_bind_int(insert, 3, stops[k].station);
            sqlite3_bind_int(insert, 4, time);
            sqlite3_bind_int(insert, 5, time + stops[k].dwellMinutes);
            sqlite3_bind_int(insert, 6, (time - clock) / 1440);
            sqlite3_bind_int(insert, 7, dayOffset(stops, stops[k].station));
            if (!step()) break;
        }
    }
    sqlite3_finalize(insert);
    if (!error.empty() || !exec(db_, "COMMIT", error) || !exec(db_, kIndexes, error) ||
        !exec(db_, kJourneyIndexes, error)) {
        return false;
    }

    if (sqlite3_prepare_v3(db_, kStationToStation, -1, SQLITE_PREPARE_PERSISTENT,
                           &stationToStation_, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v3(db_, kStation, -1, SQLITE_PREPARE_PERSISTENT, &station_, nullptr) !=
            SQLITE_OK ||
        sqlite3_prepare_v3(db_, kJourneys, -1, SQLITE_PREPARE_PERSISTENT, &journeys_, nullptr) !=
            SQLITE_OK) {
        error = sqlite3_errmsg(db_);
        return false;
    }
    return true;
}

void SqlitePeer::collect(sqlite3_stmt* statement, std::vector<PeerRow>& rows) {
    while (sqlite3_step(statement) == SQLITE_ROW) {
        PeerRow row;
        const unsigned char* name = sqlite3_column_text(statement, 0);
        if (name) row.train.assign(reinterpret_cast<const char*>(name));
        row.departure = sqlite3_column_int(statement, 1) % (24 * 60);
        row.arrival = sqlite3_column_int(statement, 2);
        row.distanceKm = sqlite3_column_int(statement, 3);
        rows.push_back(std::move(row));
    }
    sqlite3_reset(statement);
}

void SqlitePeer::stationToStation(const std::string& from, const std::string& to,
                                  std::vector<PeerRow>& rows) {
    sqlite3_bind_text(stationToStation_, 1, from.c_str(), static_cast<int>(from.size()),
                      SQLITE_STATIC);
    sqlite3_bind_text(stationToStation_, 2, to.c_str(), static_cast<int>(to.size()), SQLITE_STATIC);
    collect(stationToStation_, rows);
}

void SqlitePeer::station(const std::string& name, std::vector<PeerRow>& rows) {
    sqlite3_bind_text(station_, 1, name.c_str(), static_cast<int>(name.size()), SQLITE_STATIC);
    collect(station_, rows);
}

void SqlitePeer::journeys(const std::vector<int>& origins, const std::vector<int>& destinations,
                          DateKey date, const JourneyOptions& options,
                          std::vector<PeerJourney>& journeys) {
    for (int e = -1; e <= 2; ++e) {
        const DateKey key = addDays(date, e);
        sqlite3_bind_int(journeys_, 2 * (e + 1) + 1, key);
        sqlite3_bind_int(journeys_, 2 * (e + 1) + 2, daysBetween(kEpoch, key));
    }
    sqlite3_bind_int(journeys_, 9, options.afterMinutes);
    for (int i = 0; i < 8; ++i) {
        const std::size_t n = static_cast<std::size_t>(i);
        sqlite3_bind_int(journeys_, 10 + i, n < origins.size() ? origins[n] : -1);
        sqlite3_bind_int(journeys_, 20 + i, n < destinations.size() ? destinations[n] : -1);
    }
    sqlite3_bind_int(journeys_, 18, options.changeMinutes);
    sqlite3_bind_int(journeys_, 19, options.placeChangeMinutes);
    while (sqlite3_step(journeys_) == SQLITE_ROW) {
        journeys.push_back({sqlite3_column_int(journeys_, 0), sqlite3_column_int(journeys_, 1),
                            sqlite3_column_int(journeys_, 2)});
    }
    sqlite3_reset(journeys_);
}

}  // namespace zelvan::bench
