#include "sqlite_peer.h"

#include <sqlite3.h>

#include "db/text.h"

namespace zelvan::bench {
namespace {

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

// Every train calling at the departure station and, not earlier along its run, at the arrival
// station: train, departure time, arrival time, distance.
constexpr const char* kStationToStation = R"sql(
SELECT t.name, d.arrival + d.dwell, a.arrival, a.km - d.km
FROM stop AS d
JOIN stop AS a ON a.station = (SELECT id FROM station WHERE name = ?2)
              AND a.train = d.train AND a.km >= d.km
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
    sqlite3_close(db_);
    stationToStation_ = station_ = nullptr;
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
    sqlite3_finalize(insert);
    if (!error.empty() || !exec(db_, "COMMIT", error) || !exec(db_, kIndexes, error)) return false;

    if (sqlite3_prepare_v3(db_, kStationToStation, -1, SQLITE_PREPARE_PERSISTENT,
                           &stationToStation_, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v3(db_, kStation, -1, SQLITE_PREPARE_PERSISTENT, &station_, nullptr) !=
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

}  // namespace zelvan::bench
