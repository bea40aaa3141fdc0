#include "db/feed_fares.h"

#include <algorithm>
#include <set>

#include "db/text.h"
#include "db/timetable_extensions.h"

namespace zelvan {
namespace {

// "10.25" with `digits` digits after the point as a count of the smallest unit (1025), digits
// beyond the currency's rounded half up; false for anything but a plain non-negative decimal.
bool parseMinor(std::string_view text, int digits, long long& minor) {
    if (text.empty() || text.size() > 15) return false;
    long long whole = 0;
    std::size_t i = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        whole = whole * 10 + (text[i] - '0');
    }
    if (i == 0) return false;
    long long fraction = 0;
    int seen = 0;
    bool roundUp = false;
    if (i < text.size()) {
        if (text[i] != '.' || i + 1 == text.size()) return false;
        for (++i; i < text.size(); ++i) {
            if (text[i] < '0' || text[i] > '9') return false;
            if (seen == digits) {
                roundUp = text[i] >= '5';
                ++seen;
            } else if (seen < digits) {
                fraction = fraction * 10 + (text[i] - '0');
                ++seen;
            }
        }
    }
    for (; seen < digits; ++seen) fraction *= 10;
    long long scale = 1;
    for (int d = 0; d < digits; ++d) scale *= 10;
    minor = whole * scale + fraction + (roundUp ? 1 : 0);
    return true;
}

std::string priceText(const std::string& currency, long long minor, int digits) {
    long long scale = 1;
    for (int d = 0; d < digits; ++d) scale *= 10;
    std::string text = currency + ' ' + std::to_string(minor / scale);
    if (digits > 0) {
        std::string fraction = std::to_string(minor % scale);
        text +=
            '.' + std::string(static_cast<std::size_t>(digits) - fraction.size(), '0') + fraction;
    }
    return text;
}

}  // namespace

int currencyDigits(std::string_view currency) {
    if (currency == "JPY" || currency == "KRW" || currency == "ISK" || currency == "CLP" ||
        currency == "VND" || currency == "PYG" || currency == "UGX" || currency == "XOF" ||
        currency == "XAF") {
        return 0;
    }
    if (currency == "BHD" || currency == "JOD" || currency == "KWD" || currency == "LYD" ||
        currency == "OMR" || currency == "TND") {
        return 3;
    }
    return 2;
}

void FeedFares::parse(std::string_view table) {
    fares_.clear();
    readTable(table, [&](const std::vector<std::string_view>& f) {
        if (f.size() != 7 || f[0].empty() || f[2].size() != 3) return;
        for (char c : f[2]) {
            if (c < 'A' || c > 'Z') return;
        }
        // A fare's lines stand together: the first gives its price, each its rule.
        if (fares_.empty() || fares_.back().id != f[0]) {
            Fare fare;
            fare.id = f[0];
            fare.currency = f[2];
            fare.digits = currencyDigits(fare.currency);
            if (!parseMinor(f[1], fare.digits, fare.minor)) return;
            fares_.push_back(std::move(fare));
        }
        if (!f[3].empty() || !f[4].empty() || !f[5].empty() || !f[6].empty()) {
            fares_.back().rules.push_back(
                {std::string(f[3]), std::string(f[4]), std::string(f[5]), std::string(f[6])});
        }
    });
}

std::u16string FeedFares::price(std::string_view route, std::string_view origin,
                                std::string_view destination,
                                const std::vector<std::string_view>& passed) const {
    const Fare* best = nullptr;
    std::set<std::string_view> zones;
    for (std::string_view zone : passed) {
        if (!zone.empty()) zones.insert(zone);
    }
    for (const Fare& fare : fares_) {
        // A fare no rule names applies to every ride. Otherwise one of its rules must match
        // the route and the two zones (an empty field matches any); rules naming zones the
        // ride passes must together name exactly the zones it passes.
        bool applies = fare.rules.empty();
        std::set<std::string_view> contains;
        for (const Rule& rule : fare.rules) {
            if ((!rule.route.empty() && rule.route != route) ||
                (!rule.origin.empty() && rule.origin != origin) ||
                (!rule.destination.empty() && rule.destination != destination)) {
                continue;
            }
            if (rule.contains.empty()) {
                applies = true;
            } else {
                contains.insert(rule.contains);
            }
        }
        if (!applies && !contains.empty() && contains == zones) applies = true;
        if (!applies) continue;
        // The cheapest, in one currency; a feed pricing in two keeps the first it lists.
        if (best == nullptr || (fare.currency == best->currency && fare.minor < best->minor)) {
            best = &fare;
        }
    }
    if (best == nullptr) return {};
    return fromUtf8(priceText(best->currency, best->minor, best->digits));
}

}  // namespace zelvan
