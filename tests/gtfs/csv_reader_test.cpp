// CSV as RFC 4180 has it, and what the reader makes of broken quoting.
#include <gtest/gtest.h>

#include "gtfs/csv_reader.h"

namespace zelvan::gtfs {
namespace {

// "line: field|field|..." per row, after "header: ...".
std::string rows(std::string_view text, std::string* error = nullptr,
                 long long* trimmed = nullptr) {
    std::string out;
    long long spaces = 0;
    std::string problem;
    const bool ok = readCsv(
        text,
        [&](const std::vector<std::string_view>& header) {
            out += "header:";
            for (auto h : header) out += " " + std::string(h);
            out += "\n";
        },
        [&](const CsvRow& row) {
            out += std::to_string(row.line) + ":";
            for (auto f : row.fields) out += " [" + std::string(f) + "]";
            out += "\n";
            return true;
        },
        spaces, problem);
    if (error) *error = ok ? "" : problem;
    if (trimmed) *trimmed = spaces;
    return out;
}

// The same text read in pieces cut at `cuts`, each leftover carried to the next piece as the
// importer carries it.
std::string rowsInPieces(std::string_view text, const std::vector<std::size_t>& cuts,
                         std::string* error) {
    std::string out;
    long long spaces = 0;
    std::string problem;
    CsvState state;
    state.partial = true;
    std::string pending;
    bool ok = true;
    const auto header = [&](const std::vector<std::string_view>& names) {
        out += "header:";
        for (auto h : names) out += " " + std::string(h);
        out += "\n";
    };
    const auto row = [&](const CsvRow& r) {
        out += std::to_string(r.line) + ":";
        for (auto f : r.fields) out += " [" + std::string(f) + "]";
        out += "\n";
        return true;
    };
    std::size_t from = 0;
    for (std::size_t cut : cuts) {
        pending.append(text.substr(from, cut - from));
        from = cut;
        if (!(ok = readCsv(pending, header, row, spaces, problem, &state))) break;
        pending.erase(0, state.consumed);
    }
    if (ok) {
        pending.append(text.substr(from));
        state.partial = false;
        ok = readCsv(pending, header, row, spaces, problem, &state);
    }
    *error = ok ? "" : problem;
    return out;
}

// Every cut of a text in two, and many in three, read as the whole text reads: quoted fields
// over lines, doubled quotes, CR LF, a byte-order mark, an unclosed quote at the end.
TEST(Csv, PiecesReadAsTheWholeText) {
    const std::string texts[] = {
        "\xEF\xBB\xBF"
        "a,b,c\r\n1,\"x,\"\"y\"\"\",3\r\n\r\n4,\"two\nlines\",6\n7, 8 ,9",
        "id,name\n1,5 \"Ave\"\n2,\"\"\n3,\"open",
        "h\n\"a\"  \n\"b\" x\n",
    };
    for (const std::string& text : texts) {
        std::string wholeError;
        const std::string whole = rows(text, &wholeError);
        for (std::size_t cut = 0; cut <= text.size(); ++cut) {
            std::string error;
            EXPECT_EQ(rowsInPieces(text, {cut}, &error), whole) << cut;
            EXPECT_EQ(error, wholeError) << cut;
            for (std::size_t second = cut; second <= text.size(); second += 3) {
                EXPECT_EQ(rowsInPieces(text, {cut, second}, &error), whole) << cut << " " << second;
            }
        }
    }
}

TEST(Csv, QuotedFieldsLineEndsAndByteOrderMark) {
    long long trimmed = 0;
    EXPECT_EQ(
        rows("\xEF\xBB\xBFstop_id,stop_name\r\n1,\"Penn, Station\"\r\n\r\n2,\"say \"\"hi\"\"\"\n"
             "3,\"two\nlines\"\n4, spaced \n5,",
             nullptr, &trimmed),
        "header: stop_id stop_name\n"
        "2: [1] [Penn, Station]\n"
        "4: [2] [say \"hi\"]\n"
        "5: [3] [two\nlines]\n"
        "7: [4] [spaced]\n"
        "8: [5] []\n");
    EXPECT_EQ(trimmed, 1);
}

TEST(Csv, BrokenQuotingIsAnErrorWithItsLine) {
    std::string error;
    rows("a,b\n1,\"open\n2,3\n", &error);
    EXPECT_EQ(error, "2: a quote is never closed");
    rows("a,b\n1,\"x\"y\n", &error);
    EXPECT_EQ(error, "2: text after a closing quote");
    // A quote inside an unquoted field stands as it is.
    EXPECT_EQ(rows("a,b\n1,x\"y\"\n", &error), "header: a b\n2: [1] [x\"y\"]\n");
    EXPECT_EQ(error, "");
    EXPECT_EQ(rows("", &error), "header:\n");
    EXPECT_EQ(error, "");
}

}  // namespace
}  // namespace zelvan::gtfs
