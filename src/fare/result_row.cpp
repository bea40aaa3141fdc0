// The row builder: one train from a departure stop to an arrival stop, as the texts of a result
// row (times, travel time, distance, train type, fares, station names).
#include "fare/result_row.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "db/passenger_stops.h"
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

// Rows are built by the thousand per query, so their texts are written straight into the row's
// strings, formatted by hand; each falls back to snprintf where its own output could differ.

// "%lld" of a value.
void setNumber(std::u16string& out, std::int64_t value) {
    char16_t digits[24];
    int n = 0;
    std::uint64_t v =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    do {
        digits[n++] = static_cast<char16_t>(u'0' + v % 10);
        v /= 10;
    } while (v != 0);
    if (value < 0) digits[n++] = u'-';
    out.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) out[static_cast<std::size_t>(i)] = digits[n - 1 - i];
}

// "%02d:%02d" of two numbers: two digits each for 0-99.
void setClock(std::u16string& out, int hours, int minutes) {
    if (hours >= 0 && hours <= 99 && minutes >= 0 && minutes <= 99) {
        out.resize(5);
        out[0] = static_cast<char16_t>(u'0' + hours / 10);
        out[1] = static_cast<char16_t>(u'0' + hours % 10);
        out[2] = u':';
        out[3] = static_cast<char16_t>(u'0' + minutes / 10);
        out[4] = static_cast<char16_t>(u'0' + minutes % 10);
        return;
    }
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d", hours, minutes);
    out = widen(buffer);
}

// The name of a station index as stationNameByIndex gives it, without a copy on the way.
const std::u16string& stationName(const TimetableDb& db, int stationIndex) {
    static const std::u16string none;
    const StationNameList& names = db.stationNames;
    const std::size_t size = names.size();
    if (size == 0) return none;
    // Out of range (negative too): the last station's name.
    const std::size_t i = static_cast<std::size_t>(static_cast<unsigned>(stationIndex));
    return names[i < size ? i : size - 1];
}

}  // namespace

std::u16string clockText(int hours, int minutes) {
    std::u16string text;
    setClock(text, hours, minutes);
    return text;
}

namespace {

void setDepartureTime(std::u16string& out, const StopRecord& stop) {
    const auto [h, m] = departureClock(stop.arrivalHour, stop.arrivalMinute, stop.dwellMinutes);
    setClock(out, h, m);
}

}  // namespace

std::pair<int, int> departureClock(int arrivalHour, int arrivalMinute, int dwellMinutes) {
    std::int64_t m = std::int64_t{arrivalMinute} + dwellMinutes;
    int h = arrivalHour;
    if (m >= 60) {
        const std::int64_t n = m / 60;
        m -= 60 * n;
        h = advanceHours(h, n);
    }
    return {h, static_cast<int>(m)};
}

std::u16string departureTimeText(const StopRecord& stop) {
    std::u16string text;
    setDepartureTime(text, stop);
    return text;
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

namespace {

// kindText through a table of every value a record can give: the text depends only on which
// of C, D, G, K/N, T, Z or none the first character is, and on the kind code (0-127).
void setKindText(std::u16string& out, char16_t firstChar, int kindCode) {
    static constexpr char kLetters[] = {'\0', 'C', 'D', 'G', 'K', 'T', 'Z'};
    static constexpr int kLetterCount = static_cast<int>(sizeof kLetters);
    // Each text is made when first asked for: a one-off question meets a few of the 896. Per
    // thread, so that rows may be built on more than one.
    thread_local std::array<std::u16string, kLetterCount * 128> table;
    thread_local std::bitset<kLetterCount * 128> made;
    if (kindCode < 0 || kindCode >= 128) {
        out = kindText(firstChar, kindCode);
        return;
    }
    const char low = static_cast<char>(firstChar & 0xFF);
    int letter = 0;
    for (int i = 1; i < kLetterCount; ++i) {
        if (kLetters[i] == (low == 'N' ? 'K' : low)) letter = i;
    }
    const std::size_t entry = static_cast<std::size_t>(letter * 128 + kindCode);
    if (!made[entry]) {
        table[entry] = kindText(kLetters[letter], kindCode);
        made[entry] = true;
    }
    out = table[entry];
}

// The stops a row is read from: a decoded train's, or the raw 7-byte stops of its record
// (arrival hour in byte 2, minute in byte 3).
struct DecodedStops {
    const std::vector<StopRecord>& stops;
    std::int64_t size() const { return static_cast<std::int64_t>(stops.size()); }
    int hour(std::int64_t i) const { return stops[static_cast<std::size_t>(i)].arrivalHour; }
    int minute(std::int64_t i) const { return stops[static_cast<std::size_t>(i)].arrivalMinute; }
    int station(std::int64_t i) const { return stops[static_cast<std::size_t>(i)].station; }
};

// A record's stops as stored: a station of `digits` digits, then hour and minute.
struct RawStops {
    const std::uint8_t* bytes;
    int count;
    RecordLayout layout;
    std::int64_t size() const { return count; }
    const std::uint8_t* at(std::int64_t i) const { return bytes + layout.stopBytes() * i; }
    int hour(std::int64_t i) const { return at(i)[layout.digits]; }
    int minute(std::int64_t i) const { return at(i)[layout.digits + 1]; }
    int station(std::int64_t i) const { return layout.stopStation(at(i)); }
};

// Minutes of the legs from `departure` to `arrival`, each (next arrival - this arrival) modulo a
// day. Only legs whose both stops exist are counted, so a stop whose sequence lies outside the
// run cannot lead the walk out of the stop list.
template <class Stops>
std::int64_t legMinutes(const Stops& stops, const StopRecord& departure,
                        const StopRecord& arrival) {
    const std::int64_t count = stops.size();
    const std::int64_t from = std::max<std::int64_t>(departure.sequence, 0);
    const std::int64_t to = std::min<std::int64_t>(arrival.sequence, count - 1);
    // From 22:53 to 22:26 is 23:33: wrapping the hours before borrowing for the minutes would
    // count -27 minutes. A leg counts at most 23:59; a leg of a day or more cannot be told apart.
    constexpr std::int64_t kDay = 24 * 60;
    std::int64_t total = 0;
    for (std::int64_t i = from; i < to; ++i) {
        const std::int64_t leg = (std::int64_t{stops.hour(i + 1)} - stops.hour(i)) * 60 +
                                 stops.minute(i + 1) - stops.minute(i);
        total += (leg % kDay + kDay) % kDay;
    }
    return total;
}

// Midnights between leaving `departure` (its arrival plus dwell) and reaching `arrival`, `legs`
// minutes after the departure stop's arrival.
int arrivalDayCount(const StopRecord& departure, std::int64_t legs) {
    constexpr std::int64_t kDay = 24 * 60;
    const std::int64_t arrived = std::int64_t{departure.arrivalHour} * 60 + departure.arrivalMinute;
    if (arrived < 0) return 0;  // a hand-made record: no day to count from
    const std::int64_t left = arrived + std::max<std::int64_t>(departure.dwellMinutes, 0);
    const std::int64_t days = (arrived + legs) / kDay - left / kDay;
    return static_cast<int>(std::clamp<std::int64_t>(days, 0, INT32_MAX));
}

template <class Stops>
void setTravelTime(std::u16string& out, const Stops& stops, const StopRecord& departure,
                   std::int64_t legs) {
    // Legs are summed from arrival to arrival (legMinutes).
    const std::int64_t count = stops.size();
    const std::int64_t total = legs;
    std::int64_t m = total % 60;
    std::int64_t h = total / 60;
    // The train stands at the departure stop before it leaves: its dwell is not travel. A dwell
    // longer than the minutes gathered borrows as many hours as it needs (10:58 with 125
    // minutes' dwell, next stop 11:00: 00:57), never below zero hours.
    if (departure.sequence >= 0 && departure.sequence < count) {
        m -= departure.dwellMinutes;
        if (m < 0) {
            const std::int64_t borrowed = (-m + 59) / 60;
            m += 60 * borrowed;
            h = std::max<std::int64_t>(h - borrowed, 0);
        }
    }
    setClock(out, static_cast<int>(std::clamp<std::int64_t>(h, INT32_MIN, INT32_MAX)),
             static_cast<int>(std::clamp<std::int64_t>(m, INT32_MIN, INT32_MAX)));
}

// What a row shows of its train besides the stops.
struct RowTrain {
    const std::u16string& name;
    int index = -1;
    int kindCode = 0;
    int fareFactor = 0;
    RunStatus status = RunStatus::Running;
    int firstStation = 0;
    int lastStation = 0;
};

// Fills a row once the builder has settled its two stops.
template <class Stops>
void fillRow(const TimetableDb& db, const RowTrain& train, const Stops& stops,
             const StopRecord& departure, const StopRecord& arrival, ResultRow& row) {
    // Decoded distances are 0-16383; the wide difference keeps a hand-made record from
    // overflowing.
    const std::int64_t distance = std::int64_t{arrival.distanceKm} - departure.distanceKm;
    row.status = static_cast<int>(train.status);
    row.trainName = train.name;
    row.originStation = stationName(db, train.firstStation);
    row.departureStation = stationName(db, departure.station);
    setDepartureTime(row.departureTime, departure);
    setNumber(row.distanceText, distance);
    const std::int64_t legs = legMinutes(stops, departure, arrival);
    setTravelTime(row.travelTimeText, stops, departure, legs);
    row.arrivalDays = arrivalDayCount(departure, legs);
    row.endsHere = false;
    row.terminusStation = stationName(db, train.lastStation);
    row.arrivalStation = stationName(db, arrival.station);
    setClock(row.arrivalTime, arrival.arrivalHour, arrival.arrivalMinute);
    row.trainIndex = train.index;
    row.departurePlatform.clear();
    row.arrivalPlatform.clear();
    if (db.extensions.present()) {
        row.departurePlatform = db.extensions.stopExtras(train.index, departure.sequence).platform;
        row.arrivalPlatform = db.extensions.stopExtras(train.index, arrival.sequence).platform;
    }
    // An imported timetable names its trains' types after their routes.
    if (const std::u16string_view type = db.extensions.typeText(train.index); !type.empty()) {
        row.kindText.assign(type);
    } else {
        setKindText(row.kindText, train.name.empty() ? u'\0' : train.name.front(), train.kindCode);
    }
    const TripAccess access = db.extensions.tripAccess(train.index);
    row.wheelchair = static_cast<int>(access.wheelchair);
    row.bikes = static_cast<int>(access.bikes);
    row.hasFares = db.extensions.hasTariff();
    if (!row.hasFares) {
        row.hardSeatFare.clear();
        row.softSeatFare.clear();
        row.hardSleeperFare.clear();
        row.softSleeperFare.clear();
        // The railway's own price, from the stations the ride passes.
        std::vector<int> passed;
        const std::int64_t from = std::max<std::int64_t>(departure.sequence, 0);
        const std::int64_t to = std::min<std::int64_t>(arrival.sequence, stops.size() - 1);
        for (std::int64_t i = from; i <= to; ++i) passed.push_back(stops.station(i));
        row.feedFare = db.extensions.fareText(train.index, passed);
        return;
    }
    row.feedFare.clear();
    FareTexts fares = computeFares(
        train.kindCode, train.fareFactor * 0.1,
        static_cast<int>(std::min<std::int64_t>(distance, kMaxDistanceKm)), train.name);
    row.hardSeatFare = std::move(fares.hardSeat);
    row.softSeatFare = std::move(fares.softSeat);
    row.hardSleeperFare = std::move(fares.hardSleeper);
    row.softSleeperFare = std::move(fares.softSleeper);
}

}  // namespace

std::u16string travelTime(const TrainRecord& train, const StopRecord& departure,
                          const StopRecord& arrival) {
    std::u16string text;
    const DecodedStops stops{train.stops};
    setTravelTime(text, stops, departure, legMinutes(stops, departure, arrival));
    return text;
}

bool buildStretchRow(const TimetableDb& db, const TrainRecord& train, const StopRecord& departure,
                     const StopRecord& arrival, ResultRow& row) {
    if (train.stops.empty()) return false;
    // Origin and terminus are where riders may get on first and off last.
    auto [first, last] =
        passengerEnds(db.extensions, train.index, static_cast<int>(train.stops.size()));
    if (first < 0) {
        first = 0;
        last = static_cast<int>(train.stops.size()) - 1;
    }
    fillRow(db,
            RowTrain{train.name, train.index, train.kindCode, train.fareFactor, train.status,
                     train.stops[static_cast<std::size_t>(first)].station,
                     train.stops[static_cast<std::size_t>(last)].station},
            DecodedStops{train.stops}, departure, arrival, row);
    return true;
}

bool TimetableDb::buildResultRow(const TrainRecord& train, const StopRecord* departure,
                                 const StopRecord* arrival, ResultRow& row) const {
    // A train without stops (not found, or a cut record) gives no row.
    if (departure == nullptr || arrival == nullptr || train.stops.empty()) return false;
    const int firstUsed =
        passengerEnds(extensions, train.index, static_cast<int>(train.stops.size())).first;
    const StopRecord& first = train.stops[static_cast<std::size_t>(std::max(firstUsed, 0))];
    // Asked for one station only: the row runs from the train's origin to that station.
    if (departure->station == arrival->station) departure = &first;
    // The other way: the arrival stop comes earlier in the run, or nearer the origin.
    if (arrival->sequence < departure->sequence) return false;
    if (departure->distanceKm > arrival->distanceKm) return false;
    return buildStretchRow(*this, train, *departure, *arrival, row);
}

bool TimetableDb::buildResultRow(const TrainStretch& stretch, ResultRow& row) const {
    return buildResultRow(stretch, rawTrain(stretch.trainIndex), row);
}

bool TimetableDb::buildResultRow(const TrainStretch& stretch, const RawTrain& train,
                                 ResultRow& row) const {
    // Straight from the record: the stops the stretch names, read as decodeTrain reads them.
    if (stretch.departureStop < 0 || stretch.departureStop >= train.count ||
        stretch.arrivalStop < 0 || stretch.arrivalStop >= train.count) {
        return false;
    }
    StopRecord departure = train.stop(stretch.departureStop);
    const StopRecord arrival = train.stop(stretch.arrivalStop);
    auto [firstUsed, lastUsed] = passengerEnds(extensions, stretch.trainIndex, train.count);
    if (firstUsed < 0) {
        firstUsed = 0;
        lastUsed = train.count - 1;
    }
    const StopRecord first = train.stop(firstUsed);
    if (departure.station == arrival.station) departure = first;
    if (arrival.sequence < departure.sequence) return false;
    if (departure.distanceKm > arrival.distanceKm) return false;
    std::u16string name;
    trainNameAt(stretch.trainIndex, name);
    // With stops the record's header is whole: the kind code, then the fare factor.
    fillRow(*this,
            RowTrain{name, stretch.trainIndex, train.header[0], train.header[1], stretch.status,
                     first.station, train.stop(lastUsed).station},
            RawStops{train.stops, train.count, train.layout}, departure, arrival, row);
    row.endsHere = stretch.endsHere;
    return true;
}

}  // namespace zelvan
