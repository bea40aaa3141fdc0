// The timetable check: damage that makes a timetable unfit is an error naming the file and the
// train or station, flaws the program reads around are warnings, and no prefix of any data file
// passes for a whole timetable.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "db/timetable_check.h"
#include "db_fixture.h"

namespace zelvan::test {
namespace {

std::vector<std::string> lines(const std::vector<CheckFinding>& findings) {
    std::vector<std::string> text;
    for (const CheckFinding& f : findings) text.push_back(describeFinding(f));
    return text;
}

CheckReport checkWith(const std::function<void(DbFolder&)>& change) {
    DbFolder folder;
    makeSmallTimetable(folder);
    change(folder);
    folder.write();
    return checkTimetable(folder.dir.wide());
}

TEST(TimetableCheck, SoundTimetablePassesAndLoads) {
    DbFolder folder;
    makeSmallTimetable(folder);
    TimetableDb db;
    ASSERT_TRUE(folder.load(db));
    const CheckReport report = checkTimetable(folder.dir.wide());
    EXPECT_TRUE(report.passed());
    EXPECT_TRUE(report.errors.empty());
    EXPECT_EQ(lines(report.warnings),
              (std::vector<std::string>{
                  "S2.dat: lists a train that does not call there (train D1, station 天津)"}));
    // Several pairs on a line read as well as one.
    EXPECT_EQ(db.stationsByCode.size(), 4u);
}

TEST(TimetableCheck, DamageIsAnErrorNamingTheFileAndTheRecord) {
    struct Case {
        const char* what;
        std::function<void(DbFolder&)> change;
        std::string firstError;
    } cases[] = {
        {"name cut short", [](DbFolder& f) { f.files["s.i"] = nameList(f.stations).substr(0, 14); },
         "s.i: entry 1 at byte 10: its 6 bytes run past the end of the file"},
        {"no end marker",
         [](DbFolder& f) {
             std::string list = nameList(f.stations);
             f.files["s.i"] = list.substr(0, list.size() - 2);
         },
         "s.i: entry 3 at byte 26: the list breaks off without its end marker 00 00"},
        {"bytes after the end", [](DbFolder& f) { f.files["t.i"] = nameList(f.trains) + "xy"; },
         "t.i: 2 bytes follow the end marker at byte 18"},
        {"too short", [](DbFolder& f) { f.files["t.i"] = "\x01"; },
         "t.i: holds 1 byte: too short for a list (a 2-byte header and the end marker 00 00)"},
        {"no trains", [](DbFolder& f) { f.files["t.i"] = nameList({}); }, "t.i: holds no trains"},
        {"out of order",
         [](DbFolder& f) {
             f.files["t.i"] = nameList({"D1", "K1", "G1", "T1"});
         },
         "t.i: entry 2 does not sort after the train before it (K1): a train's number is found "
         "by its rank (train G1)"},
        {"station out of range", [](DbFolder& f) { f.files["T1.dat"][21] = 3; },
         "T1.dat: stop 2: station index 3 is beyond the last station (2) (train D1)"},
        {"hour 24", [](DbFolder& f) { f.files["T2.dat"][15] = 24; },
         "T2.dat: stop 1: hour 24 is above 23 (train G1, station 北京)"},
        {"minute 60", [](DbFolder& f) { f.files["T2.dat"][23] = 60; },
         "T2.dat: stop 2: minute 60 is above 59 (train G1, station 上海)"},
        {"no end marker in a record", [](DbFolder& f) { f.files["T3.dat"].pop_back(); },
         "T3.dat: record at byte 0: runs past the end of the file without its end marker 0x80 "
         "(train K1)"},
        {"end marker inside a stop", [](DbFolder& f) { f.files["T4.dat"].erase(24, 1); },
         "T4.dat: record at byte 0: its end marker stands inside stop 2, not after a whole one "
         "(train T1)"},
        {"header cut", [](DbFolder& f) { f.files["T4.dat"] = hexBytes("00 03 01 00 80"); },
         "T4.dat: record at byte 0: ends after 4 bytes, inside its 13-byte header (train T1)"},
        {"not base 128", [](DbFolder& f) { f.files["T1.dat"][9] = '\xC4'; },
         "T1.dat: record at byte 0: byte 9 is 0xC4, not a base-128 digit (train D1)"},
        {"train record missing", [](DbFolder& f) { f.files["T3.dat"] = ""; },
         "T3.dat: no record for the train (train K1)"},
        {"station record missing", [](DbFolder& f) { f.files["S3.dat"] = ""; },
         "S3.dat: no record for the station (station 上海)"},
        {"unknown train listed",
         [](DbFolder& f) { f.files["S2.dat"] = hexBytes("00 01 00 00 00 04 80"); },
         "S2.dat: entry 2: train index 4 is beyond the last train (3) (station 天津)"},
        {"station entry cut",
         [](DbFolder& f) { f.files["S2.dat"] = hexBytes("00 01 00 00 00 80"); },
         "S2.dat: record at byte 0: its end marker stands inside entry 2, not after a whole "
         "one (station 天津)"},
    };
    for (const Case& c : cases) {
        const CheckReport report = checkWith(c.change);
        ASSERT_FALSE(report.passed()) << c.what;
        EXPECT_EQ(describeFinding(report.errors.front()), c.firstError);
    }
    // A missing file: only the file, not each of its records.
    DbFolder folder;
    makeSmallTimetable(folder);
    folder.write();
    std::filesystem::remove(folder.dir / "T7.dat");
    const CheckReport missing = checkTimetable(folder.dir.wide());
    EXPECT_EQ(lines(missing.errors), (std::vector<std::string>{"T7.dat: is missing"}));
    EXPECT_EQ(missing.errors.front().what, kFileMissing);
}

TEST(TimetableCheck, FlawsTheProgramReadsAroundAreWarnings) {
    const CheckReport report = checkWith([](DbFolder& f) {
        // D1: valid until 2011-02-30, calls at 上海 twice, its distance falls back to 5 km.
        f.files["T1.dat"] = hexBytes(
            "00 00 06 00 15 36 4B 09 16 37 4B 09 05"
            " 00 00 08 00 05 00 00  00 02 0C 00 00 0A 00  00 02 0D 00 00 00 05 80");
        // A second record of G1 and a record of a train no name stands for (index 21).
        f.files["T2.dat"] += hexBytes("00 01 00 80 00 15 00 80");
        f.files["t.rule"] = "1 1\nx\n";
        f.files["name.txt"] = utf16File(u"北京 BJ 京\r\n天津\r\n");
        f.files["ads.txt"] = std::string("a\0 \0b\0", 6);  // no byte-order mark
    });
    EXPECT_TRUE(report.passed()) << describeFinding(report.errors.front());
    EXPECT_EQ(
        lines(report.warnings),
        (std::vector<std::string>{
            "T1.dat: valid from 20110101 until 20110230: 20110230 is not a calendar date (train "
            "D1)",
            "T1.dat: stop 3: the distance falls from 1280 km to 5 km (train D1, station 上海)",
            "T1.dat: calls twice or more at one station (train D1, station 上海)",
            "T2.dat: a second record at byte 28: never read (the first one counts) (train G1)",
            "T2.dat: record at byte 32 is of train index 21, which the name list does not hold: "
            "never read",
            "S2.dat: lists a train that does not call there (train D1, station 天津)",
            "t.rule: rule 1 holds no numbers: its trains run daily",
            "t.rule: rule 2 is past the last line (2 lines): 1 train using it runs daily (train "
            "K1)",
            "t.rule: rule 5 is past the last line (2 lines): 1 train using it runs daily (train "
            "D1)",
            "name.txt: line 1 holds 3 tokens, an odd number: the pairs after it are shifted",
            "name.txt: line 2 holds 1 token, an odd number: the pairs after it are shifted",
            "ads.txt: does not start with the byte-order mark FF FE: its first character is "
            "skipped",
            "ads.txt: line 1 holds 1 token, an odd number: the pairs after it are shifted",
        }));
}

// 130 stations and 130 trains, train i calling at station i only and each station listing the
// train of its own index: big enough for indices 128 and 129, whose base-128 digits 01 00 and
// 01 01 are what a lone byte before an end marker (00 80) or "00 81" misreads as.
void makeWideTimetable(DbFolder& folder) {
    folder.stations.clear();
    folder.trains.clear();
    folder.files.clear();
    char name[8];
    for (int i = 0; i < 130; ++i) {
        std::snprintf(name, sizeof name, "S%03d", i);
        folder.stations.push_back(name);
        std::snprintf(name, sizeof name, "T%03d", i);
        folder.trains.push_back(name);
    }
    for (int i = 0; i < 130; ++i) {
        const std::string index = {static_cast<char>(i / 128), static_cast<char>(i % 128)};
        folder.files["T" + std::to_string((i + 1) % 20) + ".dat"] +=
            index + hexBytes("00 00 15 36 4B 09 7F 3E 4B 09 00") + index +
            hexBytes("08 00 00 00 00 80");
        folder.files["S" + std::to_string((i + 1) % 10) + ".dat"] += index + index + "\x80";
    }
}

TEST(TimetableCheck, RecordsAreJudgedWhereTheLookupFindsThem) {
    struct Case {
        const char* file;
        const char* bytes;  // put ahead of the file's records, or after them
        bool ahead;
        const char* finding;  // the first error, or the warning when there is none
        int decodedTrain;     // a train whose decode the damage reaches, -1 none
    } cases[] = {
        {"T9.dat", "00 80", true,
         "T9.dat: record at byte 0: its first bytes 0x00 0x80 read as train index 128, ahead of "
         "that train's record: the train is read from bytes that are no record (train T128)",
         128},
        {"T10.dat", "00 81 05 05 80", true,
         "T10.dat: record at byte 0: its first bytes 0x00 0x81 read as train index 129, ahead of "
         "that train's record: the train is read from bytes that are no record (train T129)",
         129},
        {"S9.dat", "00 80", true,
         "S9.dat: record at byte 0: its first bytes 0x00 0x80 read as station index 128, ahead "
         "of that station's record: the station is read from bytes that are no record (station "
         "S128)",
         -1},
        // Where the lookup never reaches them they stay stray bytes: after the real record, or
        // in a file the index does not belong to.
        {"T9.dat", "00 80", false, "T9.dat: stray bytes at byte 147 (no record index): never read",
         -1},
        {"T0.dat", "00 80", true, "T0.dat: stray bytes at byte 0 (no record index): never read",
         -1},
    };
    for (const Case& c : cases) {
        DbFolder folder;
        makeWideTimetable(folder);
        std::string& bytes = folder.files[c.file];
        bytes = c.ahead ? hexBytes(c.bytes) + bytes : bytes + hexBytes(c.bytes);
        TimetableDb db;
        ASSERT_TRUE(folder.load(db)) << c.file;
        const CheckReport report = checkTimetable(folder.dir.wide());
        if (c.decodedTrain < 0 && !c.ahead) {
            EXPECT_TRUE(report.passed()) << c.finding;
        }
        const std::vector<CheckFinding>& findings =
            report.passed() ? report.warnings : report.errors;
        ASSERT_FALSE(findings.empty()) << c.finding;
        EXPECT_EQ(describeFinding(findings.front()), c.finding);
        if (c.decodedTrain >= 0) {
            // What the check keeps from being installed: the train read from the wrong bytes.
            TrainRecord train;
            db.decodeTrain(c.decodedTrain, train);
            EXPECT_NE(train.stops.size(), 1u);
        }
    }
}

// Whatever the cut, a data file that lost its end is never taken for a whole timetable.
TEST(TimetableCheck, EveryPrefixOfEveryDataFileIsAnError) {
    DbFolder valid;
    makeSmallTimetable(valid);
    for (const auto& [name, bytes] : valid.allFiles()) {
        const bool required = name.size() > 3 && name.substr(name.size() - 4) == ".dat";
        if (!required && name != "s.i" && name != "t.i") continue;
        for (std::size_t length = 0; length < bytes.size(); ++length) {
            const CheckReport report =
                checkWith([&](DbFolder& f) { f.files[name] = bytes.substr(0, length); });
            ASSERT_FALSE(report.passed()) << name << " cut at " << length;
            EXPECT_EQ(report.errors.front().file, name) << name << " cut at " << length;
        }
    }
}

TEST(TimetableCheck, FloodsOfFindingsAreCountedButKeptShort) {
    const CheckReport report = checkWith([](DbFolder& f) {
        f.stations.assign(3000, "站");
        f.files["S1.dat"] = "";
    });
    EXPECT_EQ(report.errors.size(), CheckReport::kMaxKept);
    EXPECT_EQ(report.errorCount, 2998);  // every station without a record: all but 天津 and 上海
}

}  // namespace
}  // namespace zelvan::test
