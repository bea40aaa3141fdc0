// A railway's own fares: prices as the currency writes them, the rules that pick a fare, and
// the lines a damaged table holds left out.
#include <gtest/gtest.h>

#include "db/feed_fares.h"
#include "db/text.h"

namespace zelvan {
namespace {

std::string priceOf(const FeedFares& fares, std::string_view route, std::string_view origin,
                    std::string_view destination, std::vector<std::string_view> passed = {}) {
    if (passed.empty()) passed = {origin, destination};
    return toUtf8(fares.price(route, origin, destination, passed));
}

TEST(FeedFares, PricesKeepTheirCurrencysDigits) {
    FeedFares fares;
    fares.parse(
        "fare\tprice\tcurrency\troute\torigin\tdestination\tcontains\n"
        "a\t2.5\tUSD\tR1\t\t\t\n"
        "b\t2.505\tUSD\tR2\t\t\t\n"  // more digits than cents: rounded half up
        "c\t300\tJPY\tR3\t\t\t\n"
        "d\t1.2345\tKWD\tR4\t\t\t\n"
        "e\t-1\tUSD\tR5\t\t\t\n"  // not a price: the fare is left out
        "f\t1.\tUSD\tR6\t\t\t\n"
        "g\t3\tusd\tR7\t\t\t\n");  // not a currency code
    EXPECT_EQ(priceOf(fares, "R1", "", ""), "USD 2.50");
    EXPECT_EQ(priceOf(fares, "R2", "", ""), "USD 2.51");
    EXPECT_EQ(priceOf(fares, "R3", "", ""), "JPY 300");
    EXPECT_EQ(priceOf(fares, "R4", "", ""), "KWD 1.235");
    for (const char* route : {"R5", "R6", "R7", "R0"}) EXPECT_EQ(priceOf(fares, route, "", ""), "");
}

TEST(FeedFares, RulesPickTheCheapestFareThatApplies) {
    FeedFares fares;
    fares.parse(
        "fare\tprice\tcurrency\troute\torigin\tdestination\tcontains\n"
        "zone12\t3.00\tEUR\t\t1\t2\t\n"
        "zone12\t3.00\tEUR\t\t2\t1\t\n"
        "express\t2.00\tEUR\tX\t1\t2\t\n"
        "pass\t5.00\tEUR\t\t\t\t1\n"
        "pass\t5.00\tEUR\t\t\t\t2\n"
        "pass\t5.00\tEUR\t\t\t\t3\n");
    EXPECT_EQ(priceOf(fares, "L", "1", "2"), "EUR 3.00");
    EXPECT_EQ(priceOf(fares, "L", "2", "1"), "EUR 3.00");
    EXPECT_EQ(priceOf(fares, "X", "1", "2"), "EUR 2.00");  // cheaper, on its route only
    EXPECT_EQ(priceOf(fares, "L", "1", "3"), "");
    // Passing exactly the zones a fare names; a zone more or less is another ride.
    EXPECT_EQ(priceOf(fares, "L", "1", "3", {"1", "2", "2", "3"}), "EUR 5.00");
    EXPECT_EQ(priceOf(fares, "L", "1", "3", {"1", "3"}), "");
    EXPECT_EQ(priceOf(fares, "L", "1", "2", {"1", "2"}), "EUR 3.00");

    FeedFares flat;
    flat.parse(
        "fare\tprice\tcurrency\troute\torigin\tdestination\tcontains\nall\t1.75\tGBP\t\t\t\t\n");
    EXPECT_EQ(priceOf(flat, "any", "", "9"), "GBP 1.75");  // a fare no rule names: every ride
}

}  // namespace
}  // namespace zelvan
