// Timetables past 16,384 stations or trains: written in the wide form (S.dat, T.dat), read back
// as their source says, checked, dumped and built again to the same bytes; damaged wide files
// are findings of the check and never crash a load; a build of the other form leaves no record
// file of the first behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <set>

#include "compiler/timetable_source.h"
#include "db/data_folder.h"
#include "db/text.h"
#include "db/timetable_check.h"
#include "db/timetable_db.h"
#include "fare/result_row.h"
#include "test_files.h"

namespace zelvan::test {
namespace {

namespace fs = std::filesystem;

// A timetable of `stations` stations (some names twice) and `trains` trains of two to five
// stops at random stations, some trains with an explicit station list, and service days; with
// `holes`, station 9 has no record (which the check counts as damage).
TimetableSource largeSource(int stations, int trains, std::mt19937& random, bool holes = false) {
    TimetableSource source;
    for (int s = 0; s < stations; ++s) {
        SourceStation station;
        // Every 97th name is its predecessor's: duplicates resolve to the first.
        const int named = s % 97 == 96 ? s - 1 : s;
        station.name = fromUtf8("站" + std::to_string(named));
        source.stations.push_back(std::move(station));
    }
    for (int t = 0; t < trains; ++t) {
        SourceTrain train;
        train.name = fromUtf8((t % 3 == 0 ? "G" : "K") + std::to_string(t));
        train.kindCode = static_cast<int>(random() % 128);
        train.validFrom = 20260101;
        train.validUntil = 20271231;
        const int count = 2 + static_cast<int>(random() % 4);
        int km = 0;
        for (int k = 0; k < count; ++k) {
            SourceStop stop;
            stop.station = u"#" + fromUtf8(std::to_string(random() % stations));
            stop.arrivalHour = static_cast<int>(random() % 24);
            stop.arrivalMinute = static_cast<int>(random() % 60);
            stop.dwellMinutes = static_cast<int>(random() % 128);
            km += static_cast<int>(random() % 300);
            stop.distanceKm = std::min(km, 16383);
            train.stops.push_back(stop);
        }
        source.trains.push_back(std::move(train));
    }
    // Station 5 lists two trains in a made order, station 7 none, station 9 has no record.
    source.stations[5].listKind = StationListKind::Explicit;
    source.stations[5].trains = {u"K2", u"G0"};
    source.stations[7].listKind = StationListKind::Explicit;
    if (holes) source.stations[9].listKind = StationListKind::NoRecord;
    source.extensions["t.days"] = "train\tfirst\tdays\n";
    for (int t = trains - 1; t >= 0; t -= 4000) {
        // Written out of order: the compiler sorts a wide timetable's tables.
        source.extensions["t.days"] += std::to_string(t) + "\t20261207\t5\n";
    }
    return source;
}

std::string bytesOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(WideForm, ALargeTimetableReadsBackChecksAndRoundTripsThroughDump) {
    std::mt19937 random(30);
    const int kStations = 17000, kTrains = 16390;
    const TimetableSource source = largeSource(kStations, kTrains, random, true);
    TempDir dir;
    std::string error;
    ASSERT_TRUE(writeDataFiles(source, dir / "data", error)) << error;
    EXPECT_TRUE(fs::exists(dir / "data" / "T.dat"));
    EXPECT_TRUE(fs::exists(dir / "data" / "S.dat"));
    EXPECT_FALSE(fs::exists(dir / "data" / "T0.dat"));
    // A reader of the narrow form finds its first record file missing.
    EXPECT_EQ(fs::exists(dir / "data" / requiredDataFiles()[2]), false);
    EXPECT_TRUE(holdsWideTimetable(fromUtf8((dir / "data").string())));
    EXPECT_EQ(loadProblem(fromUtf8((dir / "data").string())), "");

    // The one error: the station written without a record.
    const CheckReport report = checkTimetable(fromUtf8((dir / "data").string()));
    ASSERT_EQ(report.errorCount, 1);
    EXPECT_EQ(describeFinding(report.errors[0]), "S.dat: no record for the station (station 站9)");

    TimetableDb db;
    ASSERT_TRUE(db.load(fromUtf8((dir / "data").string())));
    ASSERT_EQ(db.stationNames.size(), static_cast<std::size_t>(kStations));
    ASSERT_EQ(db.trainIndex.size(), static_cast<std::size_t>(kTrains));
    // Trains by rank of their numbers, as the compiler sorts them.
    std::vector<std::u16string> numbers;
    for (const SourceTrain& train : source.trains) numbers.push_back(train.name);
    std::vector<std::u16string> sorted = numbers;
    std::sort(sorted.begin(), sorted.end());
    for (const bool indexed : {true, false}) {
        db.useIndexes = indexed;
        for (int t = 0; t < kTrains; t += 37) {
            const SourceTrain& train = source.trains[static_cast<std::size_t>(t)];
            const int index = static_cast<int>(
                std::lower_bound(sorted.begin(), sorted.end(), train.name) - sorted.begin());
            EXPECT_EQ(db.findTrainByNumber(train.name, 0, true), index) << toUtf8(train.name);
            TrainRecord record;
            db.decodeTrain(index, record);
            ASSERT_EQ(record.stops.size(), train.stops.size()) << toUtf8(train.name);
            EXPECT_EQ(record.name, train.name);
            EXPECT_EQ(record.kindCode, train.kindCode);
            for (std::size_t k = 0; k < train.stops.size(); ++k) {
                const SourceStop& stop = train.stops[k];
                EXPECT_EQ(u"#" + fromUtf8(std::to_string(record.stops[k].station)), stop.station);
                EXPECT_EQ(record.stops[k].arrivalHour, stop.arrivalHour);
                EXPECT_EQ(record.stops[k].arrivalMinute, stop.arrivalMinute);
                EXPECT_EQ(record.stops[k].dwellMinutes, stop.dwellMinutes);
                EXPECT_EQ(record.stops[k].distanceKm, stop.distanceKm);
            }
        }
        // A name finds its first station; a name twice is found at the first of the two.
        for (int s = 0; s < kStations; s += 53) {
            const int named = s % 97 == 96 ? s - 1 : s;
            EXPECT_EQ(db.stationIndexByName(db.stationNames[static_cast<std::size_t>(s)]), named);
        }
        EXPECT_EQ(db.stationIndexByName(u"站17000"), -1);
        EXPECT_EQ(db.stationIndexByName(u""), -1);
        // Station lists as written: explicit, empty, none, and derived in index order.
        const int k2 = static_cast<int>(std::lower_bound(sorted.begin(), sorted.end(), u"K2") -
                                        sorted.begin());
        const int g0 = static_cast<int>(std::lower_bound(sorted.begin(), sorted.end(), u"G0") -
                                        sorted.begin());
        EXPECT_EQ(db.storedTrainList(5), (std::vector<int>{k2, g0}));
        EXPECT_EQ(db.storedTrainList(7), std::vector<int>{});
        EXPECT_EQ(db.storedTrainList(9), std::nullopt);
        std::vector<int> listed;
        db.trainsAtStation(db.stationNames[100], listed);
        EXPECT_TRUE(std::is_sorted(listed.begin(), listed.end()));
        for (const int t : listed) {
            TrainRecord record;
            db.decodeTrain(t, record);
            EXPECT_TRUE(std::any_of(record.stops.begin(), record.stops.end(),
                                    [](const StopRecord& stop) { return stop.station == 100; }));
        }
        // The sorted days table answers each listed train, and no other.
        EXPECT_NE(db.extensions.serviceDays(kTrains - 1), nullptr);
        EXPECT_NE(db.extensions.serviceDays(kTrains - 1 - 4000), nullptr);
        EXPECT_EQ(db.extensions.serviceDays(kTrains - 2), nullptr);
    }

    // dump, then build: the same files, byte for byte.
    ASSERT_TRUE(dumpTimetableTo(db, dir / "src", error)) << error;
    CompileOptions options;
    options.pinyinDictionary.clear();
    ASSERT_TRUE(compileTimetable(dir / "src", dir / "again", error, options)) << error;
    for (const char* name : {"s.i", "t.i", "S.dat", "T.dat", "t.days"}) {
        EXPECT_EQ(bytesOf(dir / "data" / name), bytesOf(dir / "again" / name)) << name;
    }

    // A narrow build into the same folder leaves no wide file behind, and back again.
    TimetableSource small;
    small.stations = {source.stations[0], source.stations[1]};
    small.trains = {source.trains[0]};
    small.trains[0].stops.resize(2);
    small.trains[0].stops[0].station = u"#0";
    small.trains[0].stops[1].station = u"#1";
    ASSERT_TRUE(writeDataFiles(small, dir / "data", error)) << error;
    EXPECT_FALSE(fs::exists(dir / "data" / "T.dat"));
    EXPECT_FALSE(fs::exists(dir / "data" / "S.dat"));
    EXPECT_TRUE(fs::exists(dir / "data" / "T19.dat"));
    ASSERT_TRUE(writeDataFiles(source, dir / "data", error)) << error;
    EXPECT_FALSE(fs::exists(dir / "data" / "T19.dat"));
    EXPECT_FALSE(fs::exists(dir / "data" / "S0.dat"));
}

// Each damage to S.dat or T.dat is an error of the check; a load of the damaged files answers
// what it can without reading outside them.
TEST(WideForm, DamagedTablesAreCheckErrorsAndLoadSafely) {
    std::mt19937 random(31);
    const TimetableSource source = largeSource(16400, 200, random);
    TempDir dir;
    std::string error;
    ASSERT_TRUE(writeDataFiles(source, dir / "good", error)) << error;
    const std::string stations = bytesOf(dir / "good" / "S.dat");
    const std::string trains = bytesOf(dir / "good" / "T.dat");
    auto put32 = [](std::string& bytes, std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
    };
    const std::uint32_t n = 16400;
    struct Damage {
        const char* file;
        std::string bytes;
        const char* finding;
    };
    std::vector<Damage> damages;
    std::string bad = stations;
    bad[1] = 'X';
    damages.push_back({"S.dat", bad, "does not start with the mark"});
    damages.push_back({"S.dat", stations.substr(0, 100), "its tables run past the end"});
    bad = stations;
    put32(bad, 8 + 4 * 10, 0xFFFFFFF0u);  // record 10 starts past the file's end
    damages.push_back({"S.dat", bad, "lies before that of record"});
    bad = stations;
    put32(bad, 8 + 4 * (n + 1) + 4 * 3, 1);  // station 3's name offset
    damages.push_back({"S.dat", bad, "the name offset of station 3"});
    bad = stations;
    // Two neighbours in the name order swapped.
    const std::size_t order = 8 + 4 * (n + 1) + 4 * n;
    std::swap_ranges(bad.begin() + static_cast<std::ptrdiff_t>(order + 40),
                     bad.begin() + static_cast<std::ptrdiff_t>(order + 44),
                     bad.begin() + static_cast<std::ptrdiff_t>(order + 44));
    damages.push_back({"S.dat", bad, "the order of the station names"});
    bad = trains;
    bad[bad.size() - 1] = 0x7F;  // the last record loses its end marker
    damages.push_back({"T.dat", bad, "without its end marker"});
    bad = trains;
    put32(bad, 4, 199);  // one record fewer than t.i has names
    damages.push_back({"T.dat", bad, "holds 199 train records"});
    for (const Damage& damage : damages) {
        TempDir folder;
        fs::copy(dir / "good", folder.path(), fs::copy_options::recursive);
        std::ofstream(folder / damage.file, std::ios::binary | std::ios::trunc) << damage.bytes;
        const CheckReport report = checkTimetable(fromUtf8(folder.path().string()));
        ASSERT_GT(report.errorCount, 0) << damage.finding;
        EXPECT_NE(describeFinding(report.errors[0]).find(damage.finding), std::string::npos)
            << describeFinding(report.errors[0]);
        TimetableDb db;
        db.load(fromUtf8(folder.path().string()));
        std::vector<ResultRow> rows;
        for (int s = 0; s < 16400; s += 997) {
            db.queryStation(db.stationNames[static_cast<std::size_t>(s)], rows);
            db.stationIndexByName(db.stationNames[static_cast<std::size_t>(s)]);
        }
        db.queryTrainNumber(u"1", rows);
    }
}

}  // namespace
}  // namespace zelvan::test
