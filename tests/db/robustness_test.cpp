// Damaged data files arrive by download: every decoder must stay inside its buffer, and the
// load-time indexes must answer exactly as the plain scans.
#include <gtest/gtest.h>

#include <random>

#include "db_fixture.h"

namespace zelvan::test {
namespace {

// Everything a query can ask of the loaded data, rendered as text.
std::string exercise(TimetableDb& db) {
    std::string trace;
    auto add = [&](const std::u16string& text) {
        for (char16_t c : text) trace += std::to_string(c) + ",";
        trace += ";";
    };
    db.queryDate = 20110601;
    for (int from : {-1, 0, 1, 2}) {
        db.fromStation = from;
        for (int t = -2; t < 8; ++t) {
            TrainRecord train;
            db.decodeTrain(t, train);
            add(train.name);
            trace += std::to_string(train.kindCode) + " " + std::to_string(train.validFrom) + " " +
                     std::to_string(static_cast<int>(train.status)) + ":";
            for (const StopRecord& s : train.stops) {
                trace += std::to_string(s.station) + "/" + std::to_string(s.arrivalHour) + "/" +
                         std::to_string(s.distanceKm) + " ";
            }
        }
    }
    for (int s = -1; s < 5; ++s) {
        std::u16string name = db.stationNameByIndex(s);
        add(name);
        std::vector<int> trains;
        db.trainsAtStation(name, trains);
        for (int t : trains) trace += std::to_string(t) + " ";
        add(db.trainNameByIndex(s));
    }
    for (const char16_t* code : {u"BJ", u"S", u"SH", u"TJ"}) {
        std::vector<std::u16string> names;
        db.suggestStations(code, names);
        for (const auto& n : names) add(n);
    }
    return trace;
}

// Loads the folder and checks that indexed and plain lookups agree.
void loadAndCompare(const DbFolder& folder, const std::string& what) {
    TimetableDb db;
    folder.write();
    db.load(folder.dir.wide());
    db.useIndexes = true;
    std::string fast = exercise(db);
    db.useIndexes = false;
    std::string plain = exercise(db);
    EXPECT_EQ(fast, plain) << what;
}

TEST(Robustness, EveryPrefixOfEveryFileLoadsSafely) {
    DbFolder valid;
    makeSmallTimetable(valid);
    for (const auto& [name, bytes] : valid.allFiles()) {
        for (std::size_t length = 0; length < bytes.size(); ++length) {
            DbFolder folder;
            makeSmallTimetable(folder);
            folder.files[name] = bytes.substr(0, length);
            if (name == "s.i") folder.stations.clear();
            if (name == "t.i") folder.trains.clear();
            loadAndCompare(folder, name + " cut at " + std::to_string(length));
        }
    }
}

TEST(Robustness, RandomBytesInEveryFile) {
    std::mt19937 random(20261208);
    std::vector<std::string> names = {"s.i",    "t.i",      "S1.dat",  "S3.dat", "T1.dat", "T2.dat",
                                      "T4.dat", "name.txt", "ads.txt", "t.rule", "ver.txt"};
    for (int round = 0; round < 300; ++round) {
        DbFolder folder;
        makeSmallTimetable(folder);
        const std::string& name = names[static_cast<std::size_t>(round) % names.size()];
        std::string bytes(static_cast<std::size_t>(random() % 64), '\0');
        for (char& c : bytes) {
            // Mostly small values and end markers, so that records parse far into the noise.
            unsigned v = random() % 4 == 0 ? 0x80 : random() % 256;
            c = static_cast<char>(round % 2 ? v : v % 0x81);
        }
        folder.files[name] = bytes;
        loadAndCompare(folder, name + " round " + std::to_string(round));
    }
}

}  // namespace
}  // namespace zelvan::test
