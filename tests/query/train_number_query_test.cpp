#include <filesystem>

#include "query_fixture.h"

namespace zelvan::test {
namespace {

// Trains in key order: D9 (runs backwards), G1 (no stops), K11/K12, K12, K123, T120, Z12/Z13.
const std::map<std::string, std::string> kTrains = {
    {"stations.tsv", "name\ttrains\nA\t*\nB\t*\n"},
    {"trains.tsv",
     "train\tkind\tfactor\tvalid_from\tvalid_until\trule\n"
     "K12\t0x30\t0\t20260101\t20271231\t0\n"
     "K123\t0x30\t0\t20260101\t20271231\t0\n"
     "K11/K12\t0x30\t0\t20260101\t20271231\t0\n"
     "T120\t0x21\t0\t20260101\t20271231\t0\n"
     "Z12/Z13\t0x21\t0\t20260101\t20271231\t0\n"
     "G1\t0x06\t0\t20260101\t20271231\t0\n"
     "D9\t0x00\t0\t20260101\t20271231\t0\n"},
    {"stops.tsv",
     "train\tstation\tarrival\tdwell\tkm\n"
     "K12\tA\t08:00\t0\t0\nK12\tB\t09:00\t0\t60\n"
     "K123\tA\t10:00\t0\t0\nK123\tB\t11:00\t0\t60\n"
     "K11/K12\tA\t12:00\t0\t0\nK11/K12\tB\t13:00\t0\t60\n"
     "T120\tA\t14:00\t0\t0\nT120\tB\t15:00\t0\t60\n"
     "Z12/Z13\tA\t16:00\t0\t0\nZ12/Z13\tB\t17:00\t0\t60\n"
     "D9\tA\t18:00\t0\t60\nD9\tB\t19:00\t0\t0\n"},
};

std::string names(const std::vector<ResultRow>& rows) {
    std::string text;
    for (const ResultRow& r : rows) text += toUtf8(r.trainName) + " ";
    return text;
}

TEST(TrainNumber, SubstringMatchesInKeyOrder) {
    CompiledDb c(kTrains);
    std::vector<ResultRow> rows;
    c.db.fromStation = 1;
    c.db.queryTrainNumber(u"12", rows);
    EXPECT_EQ(names(rows), "K11/K12 K12 K123 T120 Z12/Z13 ");
    EXPECT_EQ(c.db.fromStation, -1);
    EXPECT_EQ(render({rows[1]}), "K12 A 08:00 B 09:00 60km 01:00 0\n");  // the whole run

    rows.clear();
    c.db.queryTrainNumber(u"", rows);  // every train that gives a row
    EXPECT_EQ(names(rows), "K11/K12 K12 K123 T120 Z12/Z13 ");
    rows.clear();
    c.db.queryTrainNumber(u"k12", rows);  // matching is case-sensitive
    c.db.queryTrainNumber(u"D9", rows);   // last stop nearer the origin than the first
    c.db.queryTrainNumber(u"G1", rows);   // no stops
    EXPECT_TRUE(rows.empty());
}

TEST(TrainNumber, WholeNumberModeEndsAtSlashOrEnd) {
    CompiledDb c(kTrains);
    for (bool indexed : {true, false}) {
        c.db.useIndexes = indexed;
        auto name = [&](int index) { return toUtf8(c.db.trainNameByIndex(index)); };
        EXPECT_EQ(name(c.db.findTrainByNumber(u"K12", 0, true)), "K11/K12");
        EXPECT_EQ(name(c.db.findTrainByNumber(u"K12", 3, true)), "K12");
        EXPECT_EQ(c.db.findTrainByNumber(u"K12", 4, true), -1);  // K123 is another number
        EXPECT_EQ(name(c.db.findTrainByNumber(u"Z12", 0, true)), "Z12/Z13");
        EXPECT_EQ(name(c.db.findTrainByNumber(u"K12", 4, false)), "K123");
        EXPECT_EQ(c.db.findTrainByNumber(u"", 0, true), -1);  // an empty text is no number
        EXPECT_EQ(c.db.findTrainByNumber(u"X", 0, false), -1);
    }
}

TEST(TrainNumber, WholeNumberStandsBetweenSlashesOrTheEnds) {
    // Key order: /K9, 1147, 147A, 1583, 1583/83, 83X, AK12, K11/K12, K12/, K123.
    CompiledDb c({
        {"stations.tsv", "name\ttrains\nA\t*\nB\t*\n"},
        {"trains.tsv",
         "train\tkind\tfactor\tvalid_from\tvalid_until\trule\n"
         "1147\t0\t0\t20260101\t20271231\t0\n147A\t0\t0\t20260101\t20271231\t0\n"
         "1583\t0\t0\t20260101\t20271231\t0\n1583/83\t0\t0\t20260101\t20271231\t0\n"
         "83X\t0\t0\t20260101\t20271231\t0\nAK12\t0\t0\t20260101\t20271231\t0\n"
         "K11/K12\t0\t0\t20260101\t20271231\t0\nK12/\t0\t0\t20260101\t20271231\t0\n"
         "K123\t0\t0\t20260101\t20271231\t0\n/K9\t0\t0\t20260101\t20271231\t0\n"},
        {"stops.tsv", "train\tstation\tarrival\tdwell\tkm\n"},
    });
    struct Case {
        std::u16string text;
        int start;
        const char* found;  // nullptr: none
    };
    const Case cases[] = {
        {u"83", 0, "1583/83"},  // never inside 1583 nor at the start of 83X
        {u"147", 0, nullptr},   // neither 1147 nor 147A
        {u"1583", 0, "1583"},       {u"1583", 4, "1583/83"}, {u"K12", 0, "K11/K12"},
        {u"K12", 8, "K12/"},  // never AK12 or K123
        {u"K12", 9, nullptr},       {u"K9", 0, "/K9"},       {u"", 0, "/K9"},
        {u"", 1, "K12/"},  // an empty number: next to an end's "/"
        {u"1583/83", 0, "1583/83"},
    };
    for (bool indexed : {true, false}) {
        c.db.useIndexes = indexed;
        for (const Case& k : cases) {
            const int hit = c.db.findTrainByNumber(k.text, k.start, true);
            if (k.found == nullptr) {
                EXPECT_EQ(hit, -1) << toUtf8(k.text) << " " << indexed;
            } else {
                EXPECT_EQ(toUtf8(c.db.trainNameByIndex(hit)), k.found) << toUtf8(k.text) << indexed;
            }
        }
        // Substring mode is unchanged: 83 is in 1583 first.
        EXPECT_EQ(toUtf8(c.db.trainNameByIndex(c.db.findTrainByNumber(u"83", 0, false))), "1583");
    }
}

TEST(TrainNumber, TrainListOutOfOrderEndsTheSearch) {
    // t.i written by hand with its names out of order: X1 has index 0 but key-order position
    // 1, so resuming at "index + 1" would find X1 again for ever.
    TempDir dir;
    std::string error;
    ASSERT_TRUE(compileSourceText(kTrains, dir.path(), error)) << error;
    writeBytes(dir / "t.i", hexBytes("00 00 00 02 58 31 00 02 41 31 00 00"));
    TimetableDb db;
    ASSERT_TRUE(db.load(dir.wide()));
    std::vector<ResultRow> rows;
    db.queryTrainNumber(u"X", rows);
    EXPECT_LE(rows.size(), 1u);
}

}  // namespace
}  // namespace zelvan::test
