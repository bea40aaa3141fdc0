// Every kind code over the whole distance range: no crash, and every text well formed.
#include <gtest/gtest.h>

#include "fare/fares.h"

namespace zelvan {
namespace {

// A plain number: digits, optionally a point and more digits.
bool isNumber(std::u16string_view text) {
    std::size_t i = 0;
    auto digits = [&] {
        const std::size_t start = i;
        while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') ++i;
        return i > start;
    };
    if (!digits()) return false;
    if (i < text.size() && text[i] == u'.') {
        ++i;
        if (!digits()) return false;
    }
    return i == text.size();
}

// "-" or `count` whole numbers joined by "/" (count 0: any single number).
bool isFareText(const std::u16string& text, int count) {
    if (text == u"-") return true;
    if (count == 0) return isNumber(text);
    std::size_t start = 0;
    for (int part = 0; part < count; ++part) {
        const std::size_t slash = text.find(u'/', start);
        const bool lastPart = part + 1 == count;
        if (lastPart != (slash == std::u16string::npos)) return false;
        const std::u16string_view piece = std::u16string_view(text).substr(
            start, lastPart ? std::u16string::npos : slash - start);
        if (!isNumber(piece) || piece.find(u'.') != std::u16string_view::npos) return false;
        start = slash + 1;
    }
    return true;
}

// One test per class (bits 4-6), so that the sixteen kinds of a class run and fail together.
class TariffSweep : public testing::TestWithParam<int> {};

TEST_P(TariffSweep, EveryKindDistanceAndFactorGivesWellFormedTexts) {
    std::vector<int> distances;
    for (int d = 0; d <= 5000; ++d) distances.push_back(d);
    for (int d = 5001; d < kMaxDistanceKm; d += 37) distances.push_back(d);
    distances.push_back(kMaxDistanceKm);
    const int factors[] = {0, 1, 5, 127};
    const char16_t* trains[] = {u"G1001", u"G101", u""};

    int failures = 0;
    for (int code = GetParam() * 16; code < GetParam() * 16 + 16; ++code) {
        const int kind = code & 0x0F;
        const bool normal = kind <= 2 || kind >= 7;
        for (int factor : factors) {
            for (int d : distances) {
                const FareTexts f = computeFares(code, factor * 0.1, d, trains[(d + factor) % 3]);
                const bool ok = isFareText(f.hardSeat, 0) && isFareText(f.softSeat, 0) &&
                                isFareText(f.hardSleeper, normal ? 3 : 1) &&
                                isFareText(f.softSleeper, normal ? 2 : 1) &&
                                // which texts are "-" depends on the tariff alone
                                (f.hardSeat == u"-") == (kind == 3) && f.softSeat != u"-" &&
                                (f.hardSleeper == u"-") == (kind == 3 || kind == 4 || kind == 6) &&
                                (f.softSleeper == u"-") == (kind == 4 || kind == 6);
                if (!ok && ++failures <= 10) {
                    ADD_FAILURE() << "kind code " << code << ", factor " << factor << ", " << d
                                  << " km";
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Classes, TariffSweep, testing::Range(0, 8));

}  // namespace
}  // namespace zelvan
