// The built-in tariff: four fare texts from a train's kind code, its fare factor and a distance.
#pragma once

#include <bit>
#include <cstdint>
#include <string>

namespace zelvan {

// Longest distance a record can hold (14 bits); longer or negative distances are clamped.
inline constexpr int kMaxDistanceKm = 16383;

// Per-kilometre rates that are derived from another rate. Each is the double the derivation
// gives in double arithmetic, which is not always the double nearest to the decimal value.
namespace rates {
inline constexpr double kBase = 0.05861;        // 100 % band, yuan per km
inline constexpr double kBase90 = kBase * 0.9;  // 0.052749
inline constexpr double kBase80 = kBase * 0.8;  // 0.046888
inline constexpr double kBase70 = kBase * 0.7;  // 0.041027
inline constexpr double kBase60 = kBase * 0.6;  // 0.035166
inline constexpr double kBase50 = kBase * 0.5;  // 0.029305
inline constexpr double kHighSpeedPlus = 0.0011722;
inline constexpr double kHighSpeedHard = 0.4833;
inline constexpr double kHighSpeedSoft = 0.7733;
inline constexpr double kHighSpeedHard90 = kHighSpeedHard * 0.9;                // 0.43497
inline constexpr double kHighSpeedHard80 = kHighSpeedHard * 0.8;                // 0.38664
inline constexpr double kHighSpeedSoft90 = kHighSpeedSoft * 0.9;                // 0.69597
inline constexpr double kHighSpeedSoft80 = kHighSpeedSoft * 0.8;                // 0.61864
inline constexpr double kHighSpeedHardShort = kHighSpeedHard + kHighSpeedPlus;  // 0.4844722
inline constexpr double kHighSpeedSoftShort = kHighSpeedSoft + kHighSpeedPlus;  // 0.7744722
inline constexpr double kSleeperC = 0.5590926;
inline constexpr double kSoftSleeperC = kSleeperC * 0.9;  // 0.50318334
inline constexpr double kHardSleeperC = kSleeperC * 0.8;  // 0.44727408
// Soft seat of tariff A: the double just above the one nearest to 0.30855 (for a positive
// double, the next bit pattern up is the next double up).
inline constexpr double kSoftSeatA =
    std::bit_cast<double>(std::bit_cast<std::uint64_t>(0.30855) + 1);
}  // namespace rates

// Fare texts in the order of the result table: hard seat, soft seat, hard sleeper, soft sleeper.
struct FareTexts {
    std::u16string hardSeat;
    std::u16string softSeat;
    std::u16string hardSleeper;
    std::u16string softSleeper;
};

// `kindCode` 0-127 as stored, `factor` = stored fare factor * 0.1, `distanceKm` >= 0, and the
// train number (read only by the high-speed tariff).
FareTexts computeFares(int kindCode, double factor, int distanceKm,
                       const std::u16string& trainName);

// The stepped distance that is charged for a real distance: the middle of its step.
int fareDistance(int distanceKm);
// Base fare in yuan of a charged distance.
double baseFare(int chargedKm);
// The integer part of x + 0.5, as a double (x is never negative).
double roundWhole(double x);
// std::round: the nearest whole number, halves away from zero, the sign kept.
double roundHalfAway(double x);
// The integer part of (x + 2.5) * 0.2, times 5.
int roundToFive(double x);

}  // namespace zelvan
