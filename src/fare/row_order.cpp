#include "fare/row_order.h"

#include <algorithm>
#include <numeric>
#include <optional>

namespace zelvan {
namespace {

// Digits a padded number takes: enough for any value a row's text can hold.
constexpr std::size_t kDigits = 15;
constexpr long long kOffset = 100000000000000LL;  // 10^14: keeps negative values below

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// "hh:mm" (any number of hour digits) as minutes; none for another text.
std::optional<long long> minutesOf(std::u16string_view text) {
    const std::size_t colon = text.find(u':');
    if (colon == std::u16string_view::npos || colon == 0 || colon + 3 != text.size()) return {};
    long long hours = 0;
    for (std::size_t i = 0; i < colon; ++i) {
        if (!isDigit(text[i]) || hours > 1000000) return {};
        hours = hours * 10 + (text[i] - u'0');
    }
    if (!isDigit(text[colon + 1]) || !isDigit(text[colon + 2])) return {};
    return hours * 60 + (text[colon + 1] - u'0') * 10 + (text[colon + 2] - u'0');
}

// The leading number of a text ("176/183/190" -> 176, "3.5" -> 3.5, "-12" -> -12) in
// hundredths; none when the text does not start with one (a fare "-").
std::optional<long long> hundredthsOf(std::u16string_view text) {
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == u'-';
    if (negative) ++i;
    if (i >= text.size() || !isDigit(text[i])) return {};
    long long whole = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        if (whole > 1000000000000LL) return {};
        whole = whole * 10 + (text[i] - u'0');
    }
    long long cents = 0;
    if (i + 1 < text.size() && text[i] == u'.' && isDigit(text[i + 1])) {
        cents = (text[i + 1] - u'0') * 10;
        if (i + 2 < text.size() && isDigit(text[i + 2])) cents += text[i + 2] - u'0';
    }
    const long long value = whole * 100 + cents;
    return negative ? -value : value;
}

std::u16string numberText(std::optional<long long> value) {
    return value ? sortNumberText(*value) : std::u16string();
}

}  // namespace

SortKey columnSortKey(TableKind kind, int column) {
    static constexpr SortKey kTrain[] = {
        SortKey::Train,       SortKey::Departure,   SortKey::Arrival,  SortKey::Duration,
        SortKey::Distance,    SortKey::Listed,      SortKey::HardSeat, SortKey::SoftSeat,
        SortKey::HardSleeper, SortKey::SoftSleeper, SortKey::Listed,   SortKey::Listed};
    static constexpr SortKey kStation[] = {SortKey::Train,    SortKey::Departure, SortKey::Arrival,
                                           SortKey::Distance, SortKey::Listed,    SortKey::Listed,
                                           SortKey::Listed};
    static constexpr SortKey kJourneys[] = {SortKey::Departure, SortKey::Arrival, SortKey::Duration,
                                            SortKey::Changes, SortKey::Train};
    // The candidate stations: best first as listed, or by the arrival each one gives.
    static constexpr SortKey kTransfer[] = {SortKey::Listed, SortKey::Arrival};
    const auto pick = [column](const auto& keys) {
        return column >= 0 && static_cast<std::size_t>(column) < std::size(keys) ? keys[column]
                                                                                 : SortKey::Listed;
    };
    switch (kind) {
        case TableKind::Train:
            return pick(kTrain);
        case TableKind::Station:
            return pick(kStation);
        case TableKind::Journeys:
            return pick(kJourneys);
        case TableKind::TransferStations:
            return pick(kTransfer);
        case TableKind::Stops:
        case TableKind::JourneyLegs:
            break;
    }
    return SortKey::Listed;
}

int sortColumn(TableKind kind, SortKey key) {
    if (key == SortKey::Listed) return -1;
    for (int c = 0; c < static_cast<int>(tableHeadings(kind).size()); ++c) {
        if (columnSortKey(kind, c) == key) return c;
    }
    return -1;
}

std::u16string sortNumberText(long long value) {
    const long long shifted = std::clamp(value, -kOffset + 1, kOffset - 1) + kOffset;
    std::u16string text(kDigits, u'0');
    long long v = shifted;
    for (std::size_t i = kDigits; i-- > 0 && v > 0; v /= 10) {
        text[i] = static_cast<char16_t>(u'0' + v % 10);
    }
    return text;
}

std::u16string trainSortText(std::u16string_view number) {
    std::u16string text;
    for (std::size_t i = 0; i < number.size();) {
        if (!isDigit(number[i])) {
            text.push_back(number[i++]);
            continue;
        }
        std::size_t end = i;
        while (end < number.size() && isDigit(number[end])) ++end;
        // Digits stand before letters in code order: a plain number sorts before D1.
        const std::size_t length = end - i;
        if (length < 10) text.append(10 - length, u'0');
        text.append(number.substr(i, length));
        i = end;
    }
    return text;
}

std::u16string sortText(const ResultRow& row, SortKey key) {
    switch (key) {
        case SortKey::Listed:
        case SortKey::Changes:
            return {};
        case SortKey::Departure:
            // A train ending at the queried station: its first time there is its arrival.
            return numberText(minutesOf(row.endsHere ? row.arrivalTime : row.departureTime));
        case SortKey::Arrival: {
            if (row.endsHere) return {};
            const std::optional<long long> clock = minutesOf(row.arrivalTime);
            if (!clock) return {};
            return sortNumberText(static_cast<long long>(row.arrivalDays) * 24 * 60 + *clock);
        }
        case SortKey::Duration:
            return numberText(minutesOf(row.travelTimeText));
        case SortKey::Distance:
            return row.endsHere ? sortNumberText(0) : numberText(hundredthsOf(row.distanceText));
        case SortKey::Train:
            return trainSortText(row.trainName);
        case SortKey::HardSeat:
            return numberText(hundredthsOf(row.hardSeatFare));
        case SortKey::SoftSeat:
            return numberText(hundredthsOf(row.softSeatFare));
        case SortKey::HardSleeper:
            return numberText(hundredthsOf(row.hardSleeperFare));
        case SortKey::SoftSleeper:
            return numberText(hundredthsOf(row.softSleeperFare));
    }
    return {};
}

bool sortsBefore(const std::u16string& a, const std::u16string& b, bool descending) {
    if (a.empty() || b.empty()) return !a.empty() && b.empty();
    return descending ? b < a : a < b;
}

std::vector<std::size_t> textOrder(const std::vector<std::u16string>& texts, bool descending) {
    std::vector<std::size_t> order(texts.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return sortsBefore(texts[a], texts[b], descending);
    });
    return order;
}

std::vector<std::size_t> sortedOrder(const std::vector<ResultRow>& rows, SortKey key,
                                     bool descending) {
    return sortedLegOrder(rows, rows.size(), key, descending);
}

std::vector<std::size_t> sortedLegOrder(const std::vector<ResultRow>& rows,
                                        std::size_t firstLegCount, SortKey key, bool descending) {
    std::vector<std::size_t> order(rows.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    if (key == SortKey::Listed) return order;
    std::vector<std::u16string> texts;
    texts.reserve(rows.size());
    for (const ResultRow& row : rows) texts.push_back(sortText(row, key));
    const auto split =
        order.begin() + static_cast<std::ptrdiff_t>(std::min(firstLegCount, rows.size()));
    const auto before = [&](std::size_t a, std::size_t b) {
        return sortsBefore(texts[a], texts[b], descending);
    };
    std::stable_sort(order.begin(), split, before);
    std::stable_sort(split, order.end(), before);
    return order;
}

int earliestMatchedArrival(const std::vector<ResultRow>& rows, std::size_t firstLegCount,
                           int changeMinutes) {
    constexpr long long kDay = 24 * 60;
    const std::size_t split = std::min(firstLegCount, rows.size());
    const auto running = [](const ResultRow& row) {
        return row.status == static_cast<int>(RunStatus::Running);
    };
    long long best = -1;
    for (std::size_t i = 0; i < split; ++i) {
        const std::optional<long long> leaves = minutesOf(rows[i].departureTime);
        const std::optional<long long> rides = minutesOf(rows[i].travelTimeText);
        if (!running(rows[i]) || !leaves || !rides) continue;
        const long long ready = *leaves + *rides + changeMinutes;
        for (std::size_t j = split; j < rows.size(); ++j) {
            const std::optional<long long> next = minutesOf(rows[j].departureTime);
            const std::optional<long long> onward = minutesOf(rows[j].travelTimeText);
            if (!running(rows[j]) || !next || !onward) continue;
            // The second train leaves daily at its clock time: the first run not before ready.
            const long long days = ready > *next ? (ready - *next + kDay - 1) / kDay : 0;
            const long long arrives = *next + days * kDay + *onward;
            if (best < 0 || arrives < best) best = arrives;
        }
    }
    return static_cast<int>(std::min<long long>(best, 1000000));
}

void sortRows(std::vector<ResultRow>& rows, SortKey key, bool descending) {
    if (key == SortKey::Listed) return;
    const std::vector<std::size_t> order = sortedOrder(rows, key, descending);
    std::vector<ResultRow> sorted;
    sorted.reserve(rows.size());
    for (const std::size_t i : order) sorted.push_back(std::move(rows[i]));
    rows = std::move(sorted);
}

}  // namespace zelvan
