// The row builder: one train from a departure stop to an arrival stop, as the texts of a result
// row (times, travel time, distance, train type, fares, station names).
#include "fare/result_row.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "db/timetable_db.h"
#include "fare/fares.h"

namespace zelvan {
namespace {

std::u16string widen(const char* text) {
    std::u16string out;
    for (; *text != '\0'; ++text) out.push_back(static_cast<unsigned char>(*text));
    return out;
}

// `hour` advanced by `count` hours one at a time, each advance turning 23 into 0. An hour
// outside 0-23 (a corrupt record) counts up until it meets 23, as the stepwise rule does.
int advanceHours(int hour, std::int64_t count) {
    std::int64_t h = hour;
    if (h > 23) return static_cast<int>(std::min<std::int64_t>(h + count, INT32_MAX));
    if (h < 0) {
        const std::int64_t toTwentyThree = 23 - h;
        if (count < toTwentyThree) return static_cast<int>(h + count);
        count -= toTwentyThree;
        h = 23;
    }
    return static_cast<int>((h + count) % 24);
}

bool validSequence(const TrainRecord& train, const StopRecord& stop) {
    return stop.sequence >= 0 && static_cast<std::size_t>(stop.sequence) < train.stops.size();
}

}  // namespace

std::u16string clockText(int hours, int minutes) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d", hours, minutes);
    return widen(buffer);
}

std::u16string departureTimeText(const StopRecord& stop) {
    std::int64_t m = std::int64_t{stop.arrivalMinute} + stop.dwellMinutes;
    int h = stop.arrivalHour;
    if (m >= 60) {
        const std::int64_t n = m / 60;
        m -= 60 * n;
        h = advanceHours(h, n);
    }
    return clockText(h, static_cast<int>(m));
}

std::u16string kindText(char16_t firstChar, int kindCode) {
    const int cls = kindCode >> 4;
    const int kind = kindCode & 0x0F;
    std::u16string text;
    if (cls == 0 || cls == 1) text += u"新";
    if (cls == 0 || cls == 2) text += u"空调";
    // Only the low byte of the first unit is compared, and capitals only.
    switch (static_cast<char>(firstChar & 0xFF)) {
        case 'C':
            return u"城际高速";
        case 'D':
            return u"动车";
        case 'G':
            return u"高铁";
        case 'K':
        case 'N':
            return text + u"快速";
        case 'T':
            return text + u"特快";
        case 'Z':
            return text + u"准高";
        default:
            break;
    }
    switch (kind) {
        case 1:
            return text + u"特快";
        case 2:
            return text + u"普客";
        case 3:
            return text + u"动车";
        default:
            return text + u"普快";
    }
}

std::u16string travelTime(const TrainRecord& train, const StopRecord& departure,
                          const StopRecord& arrival) {
    // Legs are summed from arrival to arrival; only legs whose both stops exist are counted, so
    // a stop whose sequence lies outside the run cannot lead the walk out of the stop list.
    const std::int64_t count = static_cast<std::int64_t>(train.stops.size());
    const std::int64_t from = std::max<std::int64_t>(departure.sequence, 0);
    const std::int64_t to = std::min<std::int64_t>(arrival.sequence, count - 1);
    std::int64_t m = 0;
    std::int64_t h = 0;
    for (std::int64_t i = from; i < to; ++i) {
        const StopRecord& a = train.stops[static_cast<std::size_t>(i)];
        const StopRecord& b = train.stops[static_cast<std::size_t>(i + 1)];
        // A leg counts at most 23:59; a leg of a day or more cannot be told apart.
        std::int64_t dh = std::int64_t{b.arrivalHour} - a.arrivalHour;
        if (dh < 0) dh += 24;
        std::int64_t dm = std::int64_t{b.arrivalMinute} - a.arrivalMinute;
        if (dm < 0) {
            dm += 60;
            dh -= 1;
        }
        m += dm;
        h += dh;
        if (m >= 60) {
            m -= 60;
            h += 1;
        }
    }
    // The train stands at the departure stop before it leaves: its dwell is not travel. A dwell
    // longer than the minutes gathered borrows as many hours as it needs (10:58 with 125
    // minutes' dwell, next stop 11:00: 00:57), never below zero hours.
    if (validSequence(train, departure)) {
        m -= departure.dwellMinutes;
        if (m < 0) {
            const std::int64_t borrowed = (-m + 59) / 60;
            m += 60 * borrowed;
            h = std::max<std::int64_t>(h - borrowed, 0);
        }
    }
    return clockText(static_cast<int>(std::clamp<std::int64_t>(h, INT32_MIN, INT32_MAX)),
                     static_cast<int>(std::clamp<std::int64_t>(m, INT32_MIN, INT32_MAX)));
}

bool TimetableDb::buildResultRow(const TrainRecord& train, const StopRecord* departure,
                                 const StopRecord* arrival, ResultRow& row) const {
    // A train without stops (not found, or a cut record) gives no row.
    if (departure == nullptr || arrival == nullptr || train.stops.empty()) return false;
    const StopRecord& first = train.stops.front();
    const StopRecord& last = train.stops.back();
    // Asked for one station only: the row runs from the train's origin to that station.
    if (departure->station == arrival->station) departure = &first;
    if (departure->distanceKm > arrival->distanceKm) return false;

    // Decoded distances are 0-16383; the wide difference keeps a hand-made record from
    // overflowing.
    const std::int64_t distance = std::int64_t{arrival->distanceKm} - departure->distanceKm;
    row.status = static_cast<int>(train.status);
    row.trainName = train.name;
    row.originStation = stationNameByIndex(first.station);
    row.departureStation = stationNameByIndex(departure->station);
    row.departureTime = departureTimeText(*departure);
    char km[24];
    std::snprintf(km, sizeof km, "%lld", static_cast<long long>(distance));
    row.distanceText = widen(km);
    row.travelTimeText = travelTime(train, *departure, *arrival);
    row.terminusStation = stationNameByIndex(last.station);
    row.arrivalStation = stationNameByIndex(arrival->station);
    row.arrivalTime = clockText(arrival->arrivalHour, arrival->arrivalMinute);
    row.kindText = kindText(train.name.empty() ? u'\0' : train.name.front(), train.kindCode);
    FareTexts fares = computeFares(
        train.kindCode, train.fareFactor * 0.1,
        static_cast<int>(std::min<std::int64_t>(distance, kMaxDistanceKm)), train.name);
    row.hardSeatFare = std::move(fares.hardSeat);
    row.softSeatFare = std::move(fares.softSeat);
    row.hardSleeperFare = std::move(fares.hardSleeper);
    row.softSleeperFare = std::move(fares.softSleeper);
    return true;
}

}  // namespace zelvan
