// The built-in tariff. Every charge is rounded on its own and every sum is formed in a fixed
// order: regrouping a sum or using a nearer double for a derived rate changes the last digit of
// some fares, so the expressions below keep the tariff's order of operations exactly.
#include "fare/fares.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace zelvan {
namespace {

constexpr std::u16string_view kNone = u"-";

// Widens the ASCII output of snprintf.
std::u16string widen(const char* text) {
    std::u16string out;
    for (; *text != '\0'; ++text) out.push_back(static_cast<unsigned char>(*text));
    return out;
}

// Appends the decimal digits of `value`. Rows are built by the thousand per query, so the
// usual texts are formatted by hand; each format below falls back to snprintf wherever its
// own output could differ from it.
void appendDigits(std::u16string& out, unsigned long long value) {
    char16_t digits[20];
    int n = 0;
    do {
        digits[n++] = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n > 0) out.push_back(digits[--n]);
}

std::u16string intText(int value) {
    std::u16string out;
    if (value < 0) {
        out.push_back(u'-');
        appendDigits(out, 0ull - static_cast<unsigned long long>(static_cast<long long>(value)));
    } else {
        appendDigits(out, static_cast<unsigned long long>(value));
    }
    return out;
}

// "%g": six significant digits, no trailing zeros (87.0 -> "87", 3.5 -> "3.5"). Fares are whole
// yuan or halves: below 100000 (at most six digits) these print as digits and ".5".
std::u16string seatText(double value) {
    if (value >= 0 && value < 100000 && !std::signbit(value)) {
        const double whole = std::floor(value);
        const double fraction = value - whole;
        if (fraction == 0 || fraction == 0.5) {
            std::u16string out;
            appendDigits(out, static_cast<unsigned long long>(whole));
            if (fraction != 0) out += u".5";
            return out;
        }
    }
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return widen(buffer);
}

// Berth prices are whole numbers or halves; a half is shown rounded away from zero, which
// "%.0f" alone would not do (it rounds halves to even: 40.5 -> "40").
std::u16string berthText(std::initializer_list<double> values) {
    std::u16string text;
    for (double value : values) {
        if (!text.empty()) text += u'/';
        const double rounded = roundHalfAway(value);
        // "%.0f" of a whole number below 2^53 is exactly its digits.
        if (rounded >= 0 && rounded < 1e15 && !std::signbit(rounded)) {
            appendDigits(text, static_cast<unsigned long long>(rounded));
        } else {
            char buffer[32];
            std::snprintf(buffer, sizeof buffer, "%.0f", rounded);
            text += widen(buffer);
        }
    }
    return text;
}

// The integer part of a non-negative value that the clamped distance keeps far below INT_MAX.
int wholePart(double x) {
    return static_cast<int>(x);
}

// m when m > x, otherwise x.
double floorAt(double x, double m) {
    return m > x ? m : x;
}

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// G1001 is long (at least four digits after the first character), G101 is not. The first
// character is not examined.
bool isLongNumber(const std::u16string& name) {
    return name.size() >= 5 && isDigit(name[1]) && isDigit(name[2]) && isDigit(name[3]) &&
           isDigit(name[4]);
}

FareTexts highSpeedTariff(int d, const std::u16string& trainName) {
    FareTexts fares{{}, {}, std::u16string(kNone), std::u16string(kNone)};
    const bool isLong = isLongNumber(trainName);
    if (d == 1069) {
        fares.hardSeat = u"465";
        fares.softSeat = isLong ? u"740" : u"780";
        return fares;
    }
    const double D = d;
    const double g = D * rates::kHighSpeedPlus;
    int hard = 0;
    double softBase = 0;
    if (d < 500) {
        hard = roundToFive((D * rates::kHighSpeedHardShort + 0.5) * 0.95);
        softBase = D * rates::kHighSpeedSoftShort + 0.5;
    } else if (d < 1000) {
        const double e = d - 500;
        hard = roundToFive((e * rates::kHighSpeedHard90 + g + 242.15) * 0.95);
        softBase = e * rates::kHighSpeedSoft90 + g + 387.15;
    } else {
        const double e = d - 1000;
        hard = roundToFive((e * rates::kHighSpeedHard80 + g + 459.635) * 0.95);
        softBase = e * rates::kHighSpeedSoft80 + g + 735.135;
    }
    const int soft = isLong ? roundToFive(softBase * 0.95) : roundToFive(softBase);
    fares.hardSeat = intText(hard);
    fares.softSeat = intText(soft);
    return fares;
}

// Tariff C: seats and one price per sleeper class, each the integer part of the expression.
FareTexts tariffC(double D, double p) {
    return {intText(wholePart(D * 0.30972 + 0.5)), intText(wholePart(D * 0.371432 + 0.5)),
            intText(wholePart(D * rates::kHardSleeperC + p + 0.5)),
            intText(wholePart(D * rates::kSoftSleeperC + p + 0.5))};
}

// Tariff B: two seat fares with 5 % off, the discount's fraction dropped.
FareTexts tariffB(double D) {
    const int n = wholePart(D * 0.575 + 0.5);
    const int m = wholePart(D * 0.483 + 0.5);
    return {intText(m - wholePart(m * 0.05)), intText(n - wholePart(n * 0.05)),
            std::u16string(kNone), std::u16string(kNone)};
}

// Tariff A: soft seat and soft sleeper, rounded to 5.
FareTexts tariffA(double D, double p) {
    return {std::u16string(kNone), intText(roundToFive(D * rates::kSoftSeatA + p + 0.5)),
            std::u16string(kNone), intText(roundToFive(D * 0.49368 + p + 0.5))};
}

struct BerthRatio {
    double ratio;
    double floorOther;
    double floorNew;
};
// Hard sleeper (three prices), then soft sleeper (two). The floors are the charges of a 400 km
// base fare (22.2718), the new-type ones with u = 1.5; they do not follow the fare factor.
constexpr std::array<BerthRatio, 5> kBerths{{
    {1.1, 34, 46},
    {1.2, 37, 51},
    {1.3, 39, 54},
    {1.75, 49, 69},
    {1.95, 53, 75},
}};

FareTexts normalTariff(int kind, int cls, double factor, double D, double b, double p) {
    const bool newType = cls == 0 || cls == 1;
    const bool airConditioned = cls == 0 || cls == 2;
    double u = 1.0;
    if (newType) u = factor == 0.0 ? 1.5 : 1 + factor;

    double e = roundWhole(b * 0.2);   // express charge
    double a = roundWhole(b * 0.25);  // air-conditioning charge
    if (e < 1) {
        e = 1;
        a = 1;
    }
    const double e2 = e * 2;
    const double eu = roundWhole(e * u);
    const double eu2 = eu * 2;
    const double au = roundWhole(a * u);

    double w = 0;  // seat charges
    if (newType) {
        if (airConditioned) w += au;
        if (kind == 0) w += eu;
        if (kind == 1) w += eu2;
    } else {
        if (airConditioned) w += a;
        if (kind == 0) w += e;
        if (kind == 1) w += e2;
    }

    // The long-distance charge follows the real distance, not the charged one.
    const double L = D < 200 ? 0 : 1;

    // The four thresholds differ on purpose: only the hard seat of the other classes tests the
    // unrounded sum with >= 5; the others test a rounded value with > 5.
    const double t = (w + p) + b;
    const double x = roundWhole(p + b);
    double hs = 0;
    if (newType) {
        const double s1 = roundWhole(t * u) > 5 ? 1 : 0.5;
        hs = roundWhole(x * u) + s1 + L;
    } else {
        const double s1 = t >= 5 ? 1 : 0.5;
        hs = x + s1 + L;
    }

    const double b2 = b * 2;
    const double t2 = (b2 + w) + p;
    const double y = roundWhole(b2 + p);
    double ss = 0;
    if (newType) {
        const double s2 = roundWhole(t2 * u) > 5 ? 1 : 0.5;
        ss = roundWhole(y * u) + s2;
    } else {
        const double s2 = roundWhole(t2) > 5 ? 1 : 0.5;
        ss = y + s2;
    }

    std::array<double, kBerths.size()> charge{};
    for (std::size_t i = 0; i < kBerths.size(); ++i) {
        const BerthRatio& r = kBerths[i];
        if (newType) {
            charge[i] = floorAt(roundWhole(roundWhole(r.ratio * b) * u) + 10, r.floorNew);
        } else {
            charge[i] = floorAt(roundWhole(r.ratio * b) + 10, r.floorOther);
        }
    }

    const double hard = hs + w;
    const double soft = ss + w;
    return {seatText(hard), seatText(soft),
            berthText({hard + charge[0], hard + charge[1], hard + charge[2]}),
            berthText({soft + charge[3], soft + charge[4]})};
}

}  // namespace

// Written out so that the command line, which needs nothing else from libm, starts without
// loading it.
double roundHalfAway(double x) {
    // From 2^52 on every double is whole; NaN and the infinities stay as they are.
    if (!(std::fabs(x) < 4503599627370496.0)) return x;
    const double whole = std::copysign(static_cast<double>(static_cast<long long>(x)), x);
    const double rest = x - whole;  // exact: |rest| < 1 and whole holds x's leading bits
    if (rest >= 0.5) return whole + 1;
    if (rest <= -0.5) return whole - 1;
    return whole;
}

double roundWhole(double x) {
    return std::trunc(x + 0.5);
}

int roundToFive(double x) {
    const double fifths = std::trunc((x + 2.5) * 0.2);
    // No tariff comes near these bounds; a corrupt argument (NaN, huge) must not reach the cast.
    if (!(std::fabs(fifths) < 4e8)) return 0;
    return static_cast<int>(fifths) * 5;
}

int fareDistance(int distanceKm) {
    static constexpr std::array<int, 9> kThresholds{200,  400,  700,  1100, 1600,
                                                    2200, 2900, 3700, 4600};
    const int d = std::clamp(distanceKm, 0, kMaxDistanceKm);
    std::size_t i = 0;
    while (i < kThresholds.size() && kThresholds[i] < d) ++i;
    if (i == 0) return ((d - 1) / 10) * 10 + 5;  // d = 0: (-1) / 10 truncates to 0, giving 5
    if (i == kThresholds.size()) return ((d - 4601) / 100) * 100 + 4650;
    // Ten steps per band; the step grows by 10 km from band to band.
    const int lower = kThresholds[i - 1];
    const int step = 10 * (static_cast<int>(i) + 1);
    int x = lower;
    int j = 0;
    while (x < d) {
        ++j;
        x += step;
        if (j == 10) break;
    }
    return lower + (j - 1) * step + step / 2;
}

double baseFare(int chargedKm) {
    const int z = chargedKm;
    if (z <= 200) return z * rates::kBase;
    if (z <= 500) return (z - 200) * rates::kBase90 + 11.722;
    if (z <= 1000) return (z - 500) * rates::kBase80 + 27.5467;
    if (z <= 1500) return (z - 1000) * rates::kBase70 + 50.9907;
    if (z <= 2500) return (z - 1500) * rates::kBase60 + 71.5042;
    return (z - 2500) * rates::kBase50 + 106.6702;
}

FareTexts computeFares(int kindCode, double factor, int distanceKm,
                       const std::u16string& trainName) {
    const int kind = kindCode & 0x0F;
    const int cls = kindCode >> 4;
    const int d = std::clamp(distanceKm, 0, kMaxDistanceKm);
    if (kind == 6) return highSpeedTariff(d, trainName);

    const double D = d;
    const double b = baseFare(fareDistance(d));
    const double p = std::ceil(b * 0.2) * 0.1;  // 2 % of b, rounded up to a tenth
    switch (kind) {
        case 3:
            return tariffA(D, p);
        case 4:
            return tariffB(D);
        case 5:
            return tariffC(D, p);
        default:
            return normalTariff(kind, cls, factor, D, b, p);
    }
}

}  // namespace zelvan
