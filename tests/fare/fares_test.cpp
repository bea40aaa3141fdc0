#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "fare/fares.h"

namespace zelvan {
namespace {

// The derived rates must be what the derivation gives in double arithmetic at run time; the
// operands go through volatile so that the check does not rest on the compiler's folding.
TEST(Tariff, DerivedRatesAreTheDoublesOfTheirDerivation) {
    volatile double base = 0.05861, hard = 0.4833, soft = 0.7733, plus = 0.0011722,
                    sleeper = 0.5590926;
    volatile double r90 = 0.9, r80 = 0.8, r70 = 0.7, r60 = 0.6, r50 = 0.5;
    EXPECT_EQ(rates::kBase90, base * r90);
    EXPECT_EQ(rates::kBase80, base * r80);
    EXPECT_EQ(rates::kBase70, base * r70);
    EXPECT_EQ(rates::kBase60, base * r60);
    EXPECT_EQ(rates::kBase50, base * r50);
    EXPECT_EQ(rates::kHighSpeedHard90, hard * r90);
    EXPECT_EQ(rates::kHighSpeedHard80, hard * r80);
    EXPECT_EQ(rates::kHighSpeedSoft90, soft * r90);
    EXPECT_EQ(rates::kHighSpeedSoft80, soft * r80);
    EXPECT_EQ(rates::kHighSpeedHardShort, hard + plus);
    EXPECT_EQ(rates::kHighSpeedSoftShort, soft + plus);
    EXPECT_EQ(rates::kSoftSleeperC, sleeper * r90);
    EXPECT_EQ(rates::kHardSleeperC, sleeper * r80);
    EXPECT_EQ(rates::kSoftSeatA, std::nextafter(0.30855, 1.0));

    // Some are one unit in the last place away from the decimal they stand for, so a tidied
    // literal would change them silently.
    EXPECT_NE(rates::kBase90, 0.052749);
    EXPECT_EQ(rates::kBase90, std::nextafter(0.052749, 1.0));
    EXPECT_EQ(rates::kHighSpeedSoftShort, std::nextafter(0.7744722, 0.0));
}

TEST(Tariff, FareDistanceIsTheMiddleOfItsStep) {
    const std::pair<int, int> cases[] = {
        {0, 5},       {1, 5},       {10, 5},      {11, 15},       {191, 195},   {200, 195},
        {201, 210},   {220, 210},   {221, 230},   {381, 390},     {400, 390},   {401, 415},
        {430, 415},   {981, 1000},  {1000, 1000}, {1020, 1000},   {4511, 4555}, {4600, 4555},
        {4601, 4650}, {4700, 4650}, {4701, 4750}, {16383, 16350},
    };
    for (auto [d, z] : cases) EXPECT_EQ(fareDistance(d), z) << d;

    // Every band holds ten steps and each distance lies inside the step it is charged for.
    const int bands[] = {0, 200, 400, 700, 1100, 1600, 2200, 2900, 3700, 4600};
    int band = 0;
    for (int d = 1; d <= 16383; ++d) {
        while (band < 9 && d > bands[band + 1]) ++band;
        const int step = band < 9 ? 10 * (band + 1) : 100;
        const int z = fareDistance(d);
        ASSERT_LT(std::abs(z - d), step / 2 + 1) << d;
        ASSERT_EQ((z - step / 2 - bands[band]) % step, 0) << d;
    }
}

TEST(Tariff, BaseFareIsContinuousAndExactToTheBit) {
    EXPECT_DOUBLE_EQ(baseFare(400), 22.2718);  // the berth floors are the charges of this fare
    for (int z = 1; z <= 16383; ++z) ASSERT_GT(baseFare(z), baseFare(z - 1)) << z;
    // These change when a band uses the decimal's nearest double instead of the derived rate.
    EXPECT_EQ(baseFare(207), 0x1.82eb76709fa55p+3);
    EXPECT_EQ(baseFare(527), 0x1.cd00b88ca3e7ep+4);
    EXPECT_EQ(baseFare(1475), 0x1.19ea027525460p+6);
    EXPECT_EQ(baseFare(16350), 0x1.0045b089a0275p+9);
}

TEST(Tariff, RoundingHelpers) {
    EXPECT_EQ(roundWhole(2.4999), 2.0);
    EXPECT_EQ(roundWhole(2.5), 3.0);
    EXPECT_EQ(roundToFive(147.4), 145);
    EXPECT_EQ(roundToFive(147.5), 150);
    // A corrupt argument must not reach the integer conversion.
    EXPECT_EQ(roundToFive(std::nan("")), 0);
    EXPECT_EQ(roundToFive(1e300), 0);
}

// The berth prices' rounding stands in for std::round: the same double, sign of zero included,
// for halves, their neighbours, the edges of the exact range and the values that are no number.
TEST(Tariff, RoundHalfAwayIsStdRoundBitForBit) {
    std::vector<double> values = {0.0,
                                  -0.0,
                                  0.3,
                                  -0.3,
                                  0.49999999999999994,
                                  -0.49999999999999994,
                                  4503599627370495.5,
                                  -4503599627370495.5,
                                  4503599627370496.0,
                                  9007199254740993.0,
                                  1e300,
                                  -1e300,
                                  std::numeric_limits<double>::infinity(),
                                  -std::numeric_limits<double>::infinity(),
                                  std::numeric_limits<double>::denorm_min()};
    for (int k = -20000; k <= 20000; ++k) {
        const double quarter = k * 0.25;
        values.insert(values.end(), {quarter, std::nextafter(quarter, 1e9),
                                     std::nextafter(quarter, -1e9), k * 0.1});
    }
    for (const double x : values) {
        ASSERT_EQ(std::bit_cast<std::uint64_t>(roundHalfAway(x)),
                  std::bit_cast<std::uint64_t>(std::round(x)))
            << x;
    }
    EXPECT_TRUE(std::isnan(roundHalfAway(std::nan(""))));
}

struct FareCase {
    int kindCode;
    int fareFactor;  // tenths, as stored
    int distanceKm;
    const char16_t* train;
    FareTexts expected;
};

TEST(Tariff, ComputedFares) {
    const FareCase cases[] = {
        // Normal tariff, 1000 km: air-conditioned; new-type with u = 1.5; neither flag.
        {0x21, 0, 1000, u"1461", {u"87", u"137", u"153/158/163", u"236/246"}},
        {0x01, 0, 1000, u"T109", {u"130", u"206", u"224/232/239", u"350/365"}},
        {0x31, 0, 1000, u"1461", {u"74", u"124", u"140/145/150", u"223/233"}},
        {0x01, 5, 1463, u"T109", {u"179", u"283", u"306/317/327", u"478/499"}},
        // Half-yuan seats; 3.5 + 37 = 40.5 shows as 41, where "%.0f" alone would print 40.
        {0x32, 0, 50, u"4501", {u"3.5", u"5.5", u"38/41/43", u"55/59"}},
        {0x22, 0, 1, u"2001", {u"1.5", u"2.5", u"36/39/41", u"52/56"}},
        // 199 and 200 km share the charged distance 195; the real distance adds a yuan.
        {0x22, 0, 199, u"2001", {u"16", u"27", u"50/53/55", u"76/80"}},
        {0x22, 0, 200, u"2001", {u"17", u"27", u"51/54/56", u"76/80"}},
        // New-type without air-conditioning: factor 0 means u = 1.5, factor 3 means u = 1.3.
        {0x12, 0, 300, u"7001", {u"28", u"51", u"74/79/82", u"120/126"}},
        {0x12, 3, 300, u"7001", {u"24", u"44", u"70/75/78", u"113/119"}},
        // High-speed: the fixed 1069 km fares; long numbers get 5 % off the soft seat.
        {0x06, 0, 1069, u"G1001", {u"465", u"740", u"-", u"-"}},
        {0x06, 0, 1069, u"G101", {u"465", u"780", u"-", u"-"}},
        {0x06, 0, 300, u"G7001", {u"140", u"220", u"-", u"-"}},
        {0x06, 0, 300, u"G701", {u"140", u"235", u"-", u"-"}},
        {0x06, 0, 300, u"", {u"140", u"235", u"-", u"-"}},
        // Per-kilometre tariffs A, B and C.
        {0x03, 0, 300, u"", {u"-", u"95", u"-", u"150"}},
        {0x04, 0, 300, u"", {u"138", u"165", u"-", u"-"}},
        {0x05, 0, 300, u"", {u"93", u"111", u"135", u"151"}},
    };
    for (const FareCase& c : cases) {
        const FareTexts f = computeFares(c.kindCode, c.fareFactor * 0.1, c.distanceKm, c.train);
        SCOPED_TRACE(testing::Message() << "kind code " << c.kindCode << ", factor " << c.fareFactor
                                        << ", " << c.distanceKm << " km");
        EXPECT_EQ(f.hardSeat, c.expected.hardSeat);
        EXPECT_EQ(f.softSeat, c.expected.softSeat);
        EXPECT_EQ(f.hardSleeper, c.expected.hardSleeper);
        EXPECT_EQ(f.softSleeper, c.expected.softSleeper);
    }
}

TEST(Tariff, OutOfRangeDistancesAreClamped) {
    EXPECT_EQ(computeFares(0x21, 0, -500, u"").softSleeper,
              computeFares(0x21, 0, 0, u"").softSleeper);
    EXPECT_EQ(computeFares(0x05, 0, 2'000'000'000, u"").softSleeper,
              computeFares(0x05, 0, kMaxDistanceKm, u"").softSleeper);
    EXPECT_EQ(fareDistance(-15), 5);
    EXPECT_EQ(fareDistance(2'147'483'647), fareDistance(kMaxDistanceKm));
}

}  // namespace
}  // namespace zelvan
