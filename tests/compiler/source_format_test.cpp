// The readable source format: what the reader accepts beyond the canonical form, and what the
// parsed tables hold.
#include <gtest/gtest.h>

#include "compiler/timetable_source.h"
#include "db/text.h"
#include "test_files.h"

namespace zelvan::test {
namespace {

bool readSource(const std::map<std::string, std::string>& files, TimetableSource& source,
                std::string& error) {
    TempDir dir;
    for (const auto& [name, text] : files) writeBytes(dir / name, text);
    return readTimetableSource(dir.path(), source, error);
}

TEST(SourceFormat, CommentsLineEndsAndListForms) {
    TimetableSource source;
    std::string error;
    ASSERT_TRUE(
        readSource({{"stations.tsv",
                     "\xEF\xBB\xBF# stations\r\nname\ttrains\r\n\r\nA\t\r\nB\t*\nC\t-\nD\t!\n"
                     "E\t K2  K1 K2 \nF\t  \n# the end"},
                    {"trains.tsv",
                     "train\tkind\tfactor\tvalid_from\tvalid_until\trule\n"
                     "K2\t0x3f\t12\t20260101\t20271231\t1\nK1\t33\t0\t0\t0\t0\n"},
                    {"stops.tsv",
                     "train\tstation\tarrival\tdwell\tkm\nK2\tA\t8:05\t0\t0\nK1\t#3\t23:59\t2\t5\n"
                     "K2\tB\t09:10\t1\t60\n"},
                    {"rules.txt", "1 1\r\n2 1"}},
                   source, error))
        << error;

    ASSERT_EQ(source.stations.size(), 6u);
    const StationListKind kinds[] = {StationListKind::Derived,  StationListKind::Derived,
                                     StationListKind::Explicit, StationListKind::NoRecord,
                                     StationListKind::Explicit, StationListKind::Derived};
    for (std::size_t s = 0; s < 6; ++s) {
        EXPECT_EQ(source.stations[s].listKind, kinds[s]) << s;
        EXPECT_EQ(source.stations[s].name, std::u16string(1, static_cast<char16_t>(u'A' + s)));
    }
    EXPECT_EQ(source.stations[0].line, 4);
    EXPECT_TRUE(source.stations[2].trains.empty());
    EXPECT_EQ(source.stations[4].trains, (std::vector<std::u16string>{u"K2", u"K1", u"K2"}));

    ASSERT_EQ(source.trains.size(), 2u);
    const SourceTrain& k2 = source.trains[0];
    EXPECT_EQ(k2.kindCode, 0x3f);
    EXPECT_EQ(k2.fareFactor, 12);
    EXPECT_EQ(k2.validUntil, 20271231);
    EXPECT_EQ(k2.ruleNumber, 1);
    EXPECT_EQ(source.trains[1].kindCode, 33);
    // Stops of one train keep their order although other trains' lines stand between them.
    ASSERT_EQ(k2.stops.size(), 2u);
    EXPECT_EQ(k2.stops[0].arrivalHour, 8);
    EXPECT_EQ(k2.stops[0].arrivalMinute, 5);
    EXPECT_EQ(k2.stops[1].station, u"B");
    EXPECT_EQ(k2.stops[1].line, 4);
    EXPECT_EQ(source.trains[1].stops[0].station, u"#3");

    EXPECT_EQ(source.rules, (std::vector<std::u16string>{u"1 1", u"2 1"}));
    EXPECT_TRUE(source.hasRules);
    EXPECT_FALSE(source.hasCodes || source.hasAds || source.hasVersion);
}

TEST(SourceFormat, VersionBytesAreKeptVerbatim) {
    TimetableSource source;
    std::string error;
    const std::string version("2026.12.01\r\nsecond line\n\0x", 27);
    ASSERT_TRUE(readSource({{"stations.tsv", "name\ttrains\n"},
                            {"trains.tsv", "train\tkind\tfactor\tvalid_from\tvalid_until\trule\n"},
                            {"stops.tsv", "train\tstation\tarrival\tdwell\tkm\n"},
                            {"version.txt", version}},
                           source, error))
        << error;
    EXPECT_TRUE(source.hasVersion);
    EXPECT_EQ(source.version, version);
    EXPECT_TRUE(source.stations.empty());
}

}  // namespace
}  // namespace zelvan::test
