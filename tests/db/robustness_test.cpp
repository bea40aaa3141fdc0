// Damaged data files arrive by download: every decoder must stay inside its buffer, and the
// load-time indexes must answer exactly as the plain scans.
#include <gtest/gtest.h>

#include <random>

#include "db_fixture.h"

namespace zelvan::test {
namespace {

// A small valid database: three stations, four trains, codes, ads and rules.
void makeValid(DbFolder& folder) {
    folder.stations = {"北京", "天津", "上海"};
    folder.trains = {"D1", "G1", "K1", "T1"};
    folder.files["S1.dat"] = hexBytes("00 00 00 00 00 01 00 02 80");
    folder.files["S2.dat"] = hexBytes("00 01 00 00 00 03 80");
    folder.files["S3.dat"] = hexBytes("00 02 00 00 00 01 00 02 00 03 80");
    folder.files["T1.dat"] = hexBytes(
        "00 00 06 00 15 36 4B 09 7F 3E 4B 09 00"
        " 00 00 08 00 05 00 00  00 02 0C 00 00 0A 00 80");
    folder.files["T2.dat"] = hexBytes(
        "00 01 21 05 15 36 4B 09 7F 3E 4B 09 01"
        " 00 00 17 1E 00 00 00  00 02 02 0A 00 0A 00 80");
    folder.files["T3.dat"] = hexBytes(
        "00 02 30 00 15 36 4B 09 7F 3E 4B 09 02"
        " 00 02 06 00 00 00 00  00 00 09 00 00 0A 00 80");
    folder.files["T4.dat"] = hexBytes(
        "00 03 01 00 15 36 4B 09 7F 3E 4B 09 00"
        " 00 01 06 00 03 00 00  00 02 07 00 00 01 00 80");
    folder.files["name.txt"] = utf16File(u"北京 BJ 天津 TJ 上海 SH 上海 S");
    folder.files["ads.txt"] = utf16File(u"a http://m.zelvan.cn/mp/a b http://x");
    folder.files["t.rule"] = "1 1\n2 1\n2 2\n";
    folder.files["ver.txt"] = "2026.12.01\n";
}

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
    makeValid(valid);
    std::map<std::string, std::string> all = valid.files;
    all["s.i"] = nameList(valid.stations);
    all["t.i"] = nameList(valid.trains);
    for (const auto& [name, bytes] : all) {
        for (std::size_t length = 0; length < bytes.size(); ++length) {
            DbFolder folder;
            makeValid(folder);
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
        makeValid(folder);
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
