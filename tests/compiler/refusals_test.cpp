// Everything the source syntax or the data files cannot hold is refused with "file:line: what
// is wrong", and nothing is written.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "compiler/timetable_source.h"
#include "test_files.h"

namespace zelvan::test {
namespace {

const std::string kTrainsHeader = "train\tkind\tfactor\tvalid_from\tvalid_until\trule\n";
const std::string kStopsHeader = "train\tstation\tarrival\tdwell\tkm\n";
const std::string kK1 = "K1\t0x30\t0\t20260101\t20271231\t0\n";

const std::map<std::string, std::string> kBase = {
    {"stations.tsv", "name\ttrains\nA\t*\nB\t*\n"},
    {"trains.tsv", kTrainsHeader + kK1},
    {"stops.tsv", kStopsHeader + "K1\tA\t08:00\t0\t0\nK1\tB\t09:00\t2\t60\n"},
};

struct Refusal {
    std::string file;
    std::optional<std::string> content;  // none: the file is left out
    std::string message;
};

std::string stops(const std::string& secondStop) {
    return kStopsHeader + "K1\tA\t08:00\t0\t0\n" + secondStop + "\n";
}

const Refusal kRefusals[] = {
    // Syntax.
    {"stations.tsv", std::nullopt, "stations.tsv: the file is missing (it is required)"},
    {"trains.tsv", "train\tkind\tfactor\tvalid_from\tvalid_until\nK1\t0\t0\t0\t0\n",
     "trains.tsv:1: the header line must name the columns train, kind, factor, valid_from, "
     "valid_until, rule, separated by tabs"},
    {"codes.tsv", "# no header\n\n", "codes.tsv: the header line (code, name) is missing"},
    {"stops.tsv", kStopsHeader + "K1\tA\t08:00\t0\n", "stops.tsv:2: missing column \"km\""},
    {"stations.tsv", "name\ttrains\nA\t*\tx\n",
     "stations.tsv:2: too many columns: expected 2 (name, trains)"},
    {"trains.tsv", kTrainsHeader + "K1\t0x30\tx\t1\t2\t0\n",
     "trains.tsv:2: factor \"x\" is not a number"},
    {"trains.tsv", kTrainsHeader + "K1\t0xZZ\t0\t1\t2\t0\n",
     "trains.tsv:2: kind \"0xZZ\" is not a number"},
    {"trains.tsv", kTrainsHeader + "K1\t0\t0\t99999999999\t2\t0\n",
     "trains.tsv:2: valid_from \"99999999999\" is too large"},
    {"stops.tsv", stops("K1\tB\t9h00\t0\t60"), "stops.tsv:3: arrival \"9h00\" is not HH:MM"},
    {"stops.tsv", stops("K1\tB\t09:\t0\t60"), "stops.tsv:3: arrival \"09:\" is not HH:MM"},
    {"stations.tsv", "name\ttrains\n\xff\t*\n", "stations.tsv:2: the line is not valid UTF-8"},
    {"stations.tsv", "name\ttrains\nA\r\t*\n", "stations.tsv:2: carriage return inside the line"},
    {"stops.tsv", stops("K2\tB\t09:00\t0\t60"),
     "stops.tsv:3: unknown train \"K2\" (not in trains.tsv)"},
    // Ranges of the record bytes.
    {"stops.tsv", stops("K1\tB\t24:00\t0\t60"),
     "stops.tsv:3: train \"K1\", stop 2: arrival hour 24 is outside 0-23"},
    {"stops.tsv", stops("K1\tB\t09:60\t0\t60"),
     "stops.tsv:3: train \"K1\", stop 2: arrival minute 60 is outside 0-59"},
    {"stops.tsv", stops("K1\tB\t09:00\t128\t60"),
     "stops.tsv:3: train \"K1\", stop 2: dwell 128 is outside 0-127"},
    {"stops.tsv", stops("K1\tB\t09:00\t-1\t60"),
     "stops.tsv:3: train \"K1\", stop 2: dwell -1 is outside 0-127"},
    {"stops.tsv", stops("K1\tB\t09:00\t0\t16384"),
     "stops.tsv:3: train \"K1\", stop 2: km 16384 is outside 0-16383"},
    {"trains.tsv", kTrainsHeader + "K1\t0x80\t0\t1\t2\t0\n",
     "trains.tsv:2: train \"K1\": kind 128 is outside 0-127"},
    {"trains.tsv", kTrainsHeader + "K1\t0\t-1\t1\t2\t0\n",
     "trains.tsv:2: train \"K1\": factor -1 is outside 0-127"},
    {"trains.tsv", kTrainsHeader + "K1\t0\t0\t1\t2\t128\n",
     "trains.tsv:2: train \"K1\": rule 128 is outside 0-127"},
    {"trains.tsv", kTrainsHeader + "K1\t0\t0\t-1\t2\t0\n",
     "trains.tsv:2: train \"K1\": valid_from -1 is outside 0-268435455"},
    {"trains.tsv", kTrainsHeader + "K1\t0\t0\t1\t268435456\t0\n",
     "trains.tsv:2: train \"K1\": valid_until 268435456 is outside 0-268435455"},
    // Names and references.
    {"trains.tsv", kTrainsHeader + kK1 + "K0\t0\t0\t0\t0\t0\n" + kK1,
     "trains.tsv:4: train \"K1\" is listed twice (also on line 2)"},
    {"trains.tsv", kTrainsHeader + kK1 + "\t0\t0\t0\t0\t0\n", "trains.tsv:3: empty train number"},
    {"trains.tsv", kTrainsHeader + kK1 + "К2\t0\t0\t0\t0\t0\n",
     "trains.tsv:3: train \"К2\": train numbers are single-byte text (characters up to U+00FF "
     "only)"},
    {"stations.tsv", "name\ttrains\n\t*\nA\t*\nB\t*\n", "stations.tsv:2: empty station name"},
    {"stops.tsv", stops("K1\tC\t09:00\t0\t60"),
     "stops.tsv:3: train \"K1\", stop 2: unknown station \"C\" (not in stations.tsv)"},
    {"stops.tsv", stops("K1\t#2\t09:00\t0\t60"),
     "stops.tsv:3: train \"K1\", stop 2: station \"#2\" does not exist (2 stations)"},
    {"stops.tsv", stops("K1\t#x\t09:00\t0\t60"),
     "stops.tsv:3: train \"K1\", stop 2: station \"#x\" is not #N (a station index)"},
    {"stations.tsv", "name\ttrains\nA\tK1 K9\nB\t*\n",
     "stations.tsv:2: station \"A\" lists unknown train \"K9\""},
    // The token tables and the rules.
    {"codes.tsv", "code\tname\nB J\tA\n", "codes.tsv:2: code \"B J\" contains white space"},
    {"codes.tsv", "code\tname\nBJ\tA\u3000B\n",
     "codes.tsv:2: station name \"A\u3000B\" contains white space"},
    {"codes.tsv", "code\tname\nBJ\tA|B\n", "codes.tsv:2: station name \"A|B\" contains \"|\""},
    {"ads.tsv", "title\tlink\nx\thttp://example.org/\n",
     "ads.tsv:2: link \"http://example.org/\" must begin with http://m.zelvan.cn/mp"},
    {"ads.tsv", "title\tlink\nx\t\n", "ads.tsv:2: empty link"},
    {"rules.txt", "1 1\nabc\n",
     "rules.txt:2: rule 1: \"abc\" is not \"period mask\" (period 1-2147483647, mask "
     "0-2147483647)"},
    {"rules.txt", "1 1\n\n2 1\n",
     "rules.txt:2: rule 1: \"\" is not \"period mask\" (period 1-2147483647, mask "
     "0-2147483647)"},
    {"rules.txt", "0 1\n",
     "rules.txt:1: rule 0: \"0 1\" is not \"period mask\" (period 1-2147483647, mask "
     "0-2147483647)"},
    {"rules.txt", "7 \xF0\x9F\x98\x80\n",
     "rules.txt:1: rule 0: \"7 \xF0\x9F\x98\x80\" cannot be stored in GBK"},
    {"rules.txt", "7 1" + std::string(260, ' ') + "\n",
     "rules.txt:1: rule 0: longer than 254 bytes"},
};

TEST(Refusals, EachCaseNamesFileLineAndProblemAndWritesNothing) {
    for (const Refusal& refusal : kRefusals) {
        auto files = kBase;
        if (refusal.content) {
            files[refusal.file] = *refusal.content;
        } else {
            files.erase(refusal.file);
        }
        TempDir dir;
        std::string error;
        EXPECT_FALSE(compileSourceText(files, dir / "out", error)) << refusal.message;
        EXPECT_EQ(error, refusal.message);
        EXPECT_FALSE(std::filesystem::exists(dir / "out")) << refusal.message;
    }
}

TEST(Refusals, CountsAndLengthsAtTheirLimits) {
    auto many = [](const std::string& header, const std::string& suffix, int count) {
        std::string text = header;
        for (int i = 0; i < count; ++i) text += "N" + std::to_string(i) + suffix;
        return text;
    };
    TempDir dir;
    std::string error;
    auto files = kBase;
    // 16,384 stations or trains are the narrow form's most; one more is written wide.
    files["stations.tsv"] = many("name\ttrains\n", "\t*\n", 16384) + "A\t*\nB\t*\n";
    EXPECT_TRUE(compileSourceText(files, dir / "a", error)) << error;
    EXPECT_TRUE(std::filesystem::exists(dir / "a" / "S.dat"));
    files["stations.tsv"] = many("name\ttrains\n", "\t*\n", 16382) + "A\t*\nB\t*\n";
    EXPECT_TRUE(compileSourceText(files, dir / "b", error)) << error;
    EXPECT_TRUE(std::filesystem::exists(dir / "b" / "S9.dat"));
    EXPECT_FALSE(std::filesystem::exists(dir / "b" / "S.dat"));

    files = kBase;
    files["trains.tsv"] = many(kTrainsHeader + kK1, "\t0\t0\t0\t0\t0\n", 16384);
    EXPECT_TRUE(compileSourceText(files, dir / "c", error)) << error;
    EXPECT_TRUE(std::filesystem::exists(dir / "c" / "T.dat"));
    files["trains.tsv"] = many(kTrainsHeader + kK1, "\t0\t0\t0\t0\t0\n", 16383);
    EXPECT_TRUE(compileSourceText(files, dir / "d", error)) << error;
    EXPECT_FALSE(std::filesystem::exists(dir / "d" / "T.dat"));

    files = kBase;
    files["trains.tsv"] = kTrainsHeader + kK1 + std::string(65536, 'X') + "\t0\t0\t0\t0\t0\n";
    EXPECT_FALSE(compileSourceText(files, dir / "e", error));
    EXPECT_NE(error.find("the number is longer than 65535 bytes"), std::string::npos) << error;
    files = kBase;
    std::string longName;
    for (int i = 0; i < 512; ++i) longName += "站";
    files["stations.tsv"] = "name\ttrains\nA\t*\nB\t*\n" + longName + "\t*\n";
    EXPECT_FALSE(compileSourceText(files, dir / "f", error));
    EXPECT_NE(error.find("stations.tsv:4: station"), std::string::npos) << error;
    EXPECT_NE(error.find("longer than 511 UTF-16 units"), std::string::npos) << error;
}

TEST(Refusals, InMemorySourcesAreCheckedToo) {
    // Sources built in memory can hold what the text cannot: tabs, line breaks, NULs.
    TimetableSource source;
    source.stations = {{u"A\tB", StationListKind::Derived, {}, 0}};
    TempDir dir;
    std::string error;
    EXPECT_FALSE(writeDataFiles(source, dir.path(), error));
    EXPECT_EQ(error, "stations.tsv: station \"A\\x09B\": the name contains a tab");

    source.stations = {{u"A", StationListKind::Derived, {}, 0}};
    source.trains = {SourceTrain{}};
    source.trains[0].name = std::u16string(
        u"K\0"
        u"1",
        3);
    EXPECT_FALSE(writeDataFiles(source, dir.path(), error));
    EXPECT_EQ(error, "trains.tsv: train \"K\\x001\": the number contains a NUL character");

    source.trains[0].name = u"K1";
    source.codes = {{u"BJ", u"A\nB", 0}};
    EXPECT_FALSE(writeDataFiles(source, dir.path(), error));
    EXPECT_EQ(error, "codes.tsv: station name \"A\\x0AB\" contains a line break");
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(Refusals, SourceWriterRefusesWhatWouldNotReadBack) {
    struct Case {
        TimetableSource source;
        std::string message;
    };
    std::vector<Case> cases(4);
    cases[0].source.stations = {{u"#A", StationListKind::Derived, {}, 2}};
    cases[0].message = "stations.tsv:2: cannot write station name \"#A\": it starts with \"#\"";
    cases[1].source.stations = {{u"A", StationListKind::Explicit, {u"-"}, 2}};
    cases[1].message = "stations.tsv:2: cannot list train \"-\" in the trains of station \"A\"";
    cases[2].source.stations = {{u"A", StationListKind::Explicit, {u"K1", u"K 2"}, 3}};
    cases[2].message = "stations.tsv:3: cannot list train \"K 2\" in the trains of station \"A\"";
    cases[3].source.hasAds = true;
    cases[3].source.ads = {{u"a\tb", u"http://m.zelvan.cn/mp", 5}};
    cases[3].message = "ads.tsv:5: cannot write title \"a\\x09b\": it contains a tab";
    for (const Case& c : cases) {
        TempDir dir;
        std::string error;
        EXPECT_FALSE(writeTimetableSource(c.source, dir / "src", error));
        EXPECT_EQ(error, c.message);
        EXPECT_FALSE(std::filesystem::exists(dir / "src"));
    }
}

}  // namespace
}  // namespace zelvan::test
