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
