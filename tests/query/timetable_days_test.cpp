// The days a timetable covers: its trains' validity, a listed train's first and last service
// day, dates that are no dates left out; a day outside answered with the nearest one inside.
#include <gtest/gtest.h>

#include "db/timetable_days.h"
#include "query_fixture.h"

namespace zelvan::test {
namespace {

TEST(TimetableDays, TheTrainsValidityAndListedDaysGiveTheFirstAndLastDay) {
    // K1 is valid all of 2026, K2 from a date that is none (left out), K3 runs on listed days:
    // 2027-01-02 and 2027-01-04 (bits 1 and 3 from 2027-01-01), beyond its validity.
    CompiledDb compiled({
        {"stations.tsv", "name\ttrains\nA\t*\nB\t*\n"},
        {"trains.tsv",
         "train\tkind\tfactor\tvalid_from\tvalid_until\trule\n"
         "K1\t0x00\t0\t20260101\t20261231\t0\nK2\t0x00\t0\t20261340\t20281231\t0\n"
         "K3\t0x00\t0\t20260101\t20260101\t0\n"},
        {"stops.tsv",
         "train\tstation\tarrival\tdwell\tkm\nK1\tA\t08:00\t0\t0\nK1\tB\t09:00\t0\t10\n"
         "K2\tA\t08:00\t0\t0\nK2\tB\t09:00\t0\t10\nK3\tA\t08:00\t0\t0\nK3\tB\t09:00\t0\t10\n"},
        {"t.days", "train\tfirst\tdays\n2\t20270101\ta\n"},
    });
    const TimetableDays days = timetableDays(compiled.db);
    EXPECT_TRUE(days.known());
    EXPECT_EQ(days.first, 20260101);
    EXPECT_EQ(days.last, 20270104);
    EXPECT_TRUE(days.covers(20260101));
    EXPECT_TRUE(days.covers(20270104));
    EXPECT_FALSE(days.covers(20270105));
    EXPECT_EQ(days.nearest(20251224), 20260101);
    EXPECT_EQ(days.nearest(20270601), 20270104);
    EXPECT_EQ(days.nearest(20260615), 20260615);
    // Unknown days cover everything: nothing is asked about them.
    EXPECT_TRUE(TimetableDays{}.covers(20991231));
    EXPECT_EQ(TimetableDays{}.nearest(20991231), 20991231);
}

}  // namespace
}  // namespace zelvan::test
