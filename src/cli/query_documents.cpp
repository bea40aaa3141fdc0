#include "cli/query_documents.h"

#include <charconv>
#include <cstring>

#include "cli/json_text.h"
#include "db/passenger_stops.h"
#include "fare/result_table.h"

namespace zelvan::cli {
namespace {

using namespace std::string_view_literals;

// The keys of each object stand in byte order, as nlohmann::json (a std::map) wrote them
// before, so that the documents stay byte for byte what scripts have been reading.
constexpr std::string_view kRowKeys[] = {
    "{\"arrivalDays\":"sv,      ",\"arrivalStation\":"sv, ",\"arrivalTime\":"sv,
    ",\"departureStation\":"sv, ",\"departureTime\":"sv,  ",\"distanceText\":"sv,
    ",\"endsHere\":"sv,         ",\"hardSeatFare\":"sv,   ",\"hardSleeperFare\":"sv,
    ",\"kindText\":"sv,         ",\"originStation\":"sv,  ",\"softSeatFare\":"sv,
    ",\"softSleeperFare\":"sv,  ",\"status\":"sv,         ",\"terminusStation\":"sv,
    ",\"trainName\":"sv,        ",\"travelTimeText\":"sv,
};
// Between endsHere and hardSeatFare, in rows of a timetable without the built-in tariff.
constexpr std::string_view kFareKey = ",\"fare\":"sv;
constexpr std::size_t kRowKeyBytes = [] {
    std::size_t n = 0;
    for (const std::string_view key : kRowKeys) n += key.size();
    return n;
}();

// Copies a key of known length (the copy is a few moves, not a call).
char* put(char* p, std::string_view bytes) {
    std::memcpy(p, bytes.data(), bytes.size());
    return p + bytes.size();
}

// Rows come by the hundred: each is written in one piece into room for its longest form.
void appendRow(std::string& out, const ResultRow& row) {
    const std::size_t units =
        row.arrivalStation.size() + row.arrivalTime.size() + row.departureStation.size() +
        row.departureTime.size() + row.distanceText.size() + row.hardSeatFare.size() +
        row.hardSleeperFare.size() + row.kindText.size() + row.originStation.size() +
        row.softSeatFare.size() + row.softSleeperFare.size() + row.terminusStation.size() +
        row.trainName.size() + row.travelTimeText.size() + row.feedFare.size() +
        row.departurePlatform.size() + row.arrivalPlatform.size();
    // 17 texts, two numbers of at most 11 characters, "false", the closing brace, the keys of
    // the platforms, and the train's access where the timetable says it: two keys and values.
    const std::size_t bound = kRowKeyBytes + kFareKey.size() + 18 + jsonStringBound(units) +
                              17 * 2 + 2 * 11 + 5 + 1 + 32 + 32;
    const std::size_t start = out.size();
    out.resize(start + bound);
    char* p = out.data() + start;
    // A timetable without the built-in tariff has no fares: null, not an empty text.
    const auto fare = [&](char* at, const std::u16string& text) {
        return row.hasFares ? writeJsonString(at, text) : put(at, "null");
    };
    p = put(p, kRowKeys[0]);
    p = std::to_chars(p, p + 11, row.arrivalDays).ptr;
    // The platforms only where the timetable gives them: other documents stay as they were.
    if (!row.arrivalPlatform.empty()) {
        p = writeJsonString(put(p, ",\"arrivalPlatform\":"sv), row.arrivalPlatform);
    }
    p = writeJsonString(put(p, kRowKeys[1]), row.arrivalStation);
    p = writeJsonString(put(p, kRowKeys[2]), row.arrivalTime);
    // Whether the train takes bicycles and wheelchairs, only where the timetable says.
    const auto access = [&](char* at, std::string_view key, int value) {
        if (value != 1 && value != 2) return at;
        return put(put(at, key), value == 1 ? "true"sv : "false"sv);
    };
    p = access(p, ",\"bikes\":"sv, row.bikes);
    p = writeJsonString(put(p, kRowKeys[3]), row.departureStation);
    p = writeJsonString(put(p, kRowKeys[4]), row.departureTime);
    p = writeJsonString(put(p, kRowKeys[5]), row.distanceText);
    p = put(put(p, kRowKeys[6]), row.endsHere ? "true"sv : "false"sv);
    // Only a timetable without the built-in tariff has the railway's own fare.
    if (!row.hasFares) {
        p = put(p, kFareKey);
        p = row.feedFare.empty() ? put(p, "null") : writeJsonString(p, row.feedFare);
    }
    p = fare(put(p, kRowKeys[7]), row.hardSeatFare);
    p = fare(put(p, kRowKeys[8]), row.hardSleeperFare);
    p = writeJsonString(put(p, kRowKeys[9]), row.kindText);
    if (row.noBoarding) p = put(p, ",\"noBoarding\":true"sv);
    p = writeJsonString(put(p, kRowKeys[10]), row.originStation);
    if (!row.departurePlatform.empty()) {
        p = writeJsonString(put(p, ",\"platform\":"sv), row.departurePlatform);
    }
    p = fare(put(p, kRowKeys[11]), row.softSeatFare);
    p = fare(put(p, kRowKeys[12]), row.softSleeperFare);
    p = put(p, kRowKeys[13]);
    p = std::to_chars(p, p + 11, row.status).ptr;
    p = writeJsonString(put(p, kRowKeys[14]), row.terminusStation);
    p = writeJsonString(put(p, kRowKeys[15]), row.trainName);
    p = writeJsonString(put(p, kRowKeys[16]), row.travelTimeText);
    p = access(p, ",\"wheelchair\":"sv, row.wheelchair);
    *p++ = '}';
    out.resize(static_cast<std::size_t>(p - out.data()));
}

void appendRows(std::string& out, const std::vector<ResultRow>& rows) {
    out += '[';
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i > 0) out += ',';
        appendRow(out, rows[i]);
    }
    out += ']';
}

void appendNames(std::string& out, const std::vector<std::u16string>& names) {
    out += '[';
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) out += ',';
        appendJsonString(out, names[i]);
    }
    out += ']';
}

void appendStop(std::string& out, const TimetableDb& db, const StopRecord& stop, bool first,
                bool last, const StopDays& days, const StopExtras& extras, Access wheelchair) {
    const auto number = [&out](std::string_view key, long long value) {
        out += key;
        appendJsonNumber(out, value);
    };
    // A stop's restrictions and platform, only where it has them: documents of a timetable
    // without stop extras stay as they were.
    out += extras.alight ? "{" : "{\"alight\":false,";
    out += "\"arrival\":";
    appendJsonString(out, stopCell(db, stop, first, last, 1));
    number(",\"arrivalDays\":"sv, days.arrival);
    number(",\"arrivalHour\":"sv, stop.arrivalHour);
    number(",\"arrivalMinute\":"sv, stop.arrivalMinute);
    if (!extras.board) out += ",\"board\":false";
    out += ",\"departure\":";
    appendJsonString(out, stopCell(db, stop, first, last, 2));
    number(",\"departureDays\":"sv, days.departure);
    number(",\"distanceKm\":"sv, stop.distanceKm);
    number(",\"dwellMinutes\":"sv, stop.dwellMinutes);
    if (!extras.platform.empty()) {
        out += ",\"platform\":";
        appendJsonString(out, extras.platform);
    }
    number(",\"sequence\":"sv, stop.sequence);
    out += ",\"station\":";
    appendJsonString(out, db.stationNameByIndex(stop.station));
    number(",\"stationIndex\":"sv, stop.station);
    if (wheelchair != Access::Unknown) {
        out += wheelchair == Access::Yes ? ",\"wheelchair\":true" : ",\"wheelchair\":false";
    }
    out += '}';
}

// A journey or a leg: dates "YYYY-MM-DD", times "HH:MM" on their own day.
void appendDateAndTime(std::string& out, std::string_view dateKey, DateKey date,
                       std::string_view timeKey, int clock) {
    out += dateKey;
    appendJsonString(out, dateText(date));
    out += timeKey;
    appendJsonString(out, clockText(clock / 60, clock % 60));
}

void appendLeg(std::string& out, const LegRow& leg) {
    appendDateAndTime(out, "{\"arrivalDate\":"sv, leg.arrivalDate, ",\"arrivalTime\":"sv,
                      leg.arrivalClock);
    appendDateAndTime(out, ",\"departureDate\":"sv, leg.departureDate, ",\"departureTime\":"sv,
                      leg.departureClock);
    out += ",\"fromSequence\":";
    appendJsonNumber(out, leg.leg.fromStop);
    out += ",\"fromStation\":";
    appendJsonString(out, leg.row.departureStation);
    out += ",\"row\":";
    appendRow(out, leg.row);
    out += ",\"toSequence\":";
    appendJsonNumber(out, leg.leg.toStop);
    out += ",\"toStation\":";
    appendJsonString(out, leg.row.arrivalStation);
    out += ",\"trainIndex\":";
    appendJsonNumber(out, leg.leg.train);
    out += ",\"trainName\":";
    appendJsonString(out, leg.row.trainName);
    out += '}';
}

}  // namespace

void appendRowsDocument(std::string& out, const std::vector<ResultRow>& rows) {
    out += "{\"rows\":";
    appendRows(out, rows);
    out += '}';
}

void appendRunsDocument(std::string& out, const std::vector<ResultRow>& runs) {
    out += "{\"runs\":";
    appendRows(out, runs);
    out += '}';
}

void appendTransferRowsDocument(std::string& out, const std::vector<ResultRow>& rows,
                                int legCount) {
    out += "{\"rows\":";
    appendRows(out, rows);
    out += ",\"transferLegCount\":";
    appendJsonNumber(out, legCount);
    out += '}';
}

void appendTransferStationsDocument(std::string& out, const std::vector<std::u16string>& stations) {
    out += "{\"stations\":";
    appendNames(out, stations);
    out += '}';
}

void appendNamesDocument(std::string& out, const std::vector<std::u16string>& names) {
    out += "{\"names\":";
    appendNames(out, names);
    out += '}';
}

void findStops(TimetableDb& db, const std::u16string& number, TrainRecord& train) {
    train = TrainRecord();
    const int hit = db.findTrainRun(number);
    if (hit >= 0) db.decodeTrain(hit, train);
}

void appendStopsDocument(std::string& out, const TimetableDb& db, const TrainRecord& train) {
    if (train.name.empty()) {
        out += R"({"stops":[],"trainName":""})";
        return;
    }
    const auto number = [&out](std::string_view key, long long value) {
        out += key;
        appendJsonNumber(out, value);
    };
    // The train's access, only where the timetable says it.
    const TripAccess access = db.extensions.tripAccess(train.index);
    const auto said = [&out](std::string_view key, Access value) {
        if (value == Access::Unknown) return;
        out += key;
        out += value == Access::Yes ? "true" : "false";
    };
    out += '{';
    said("\"bikes\":"sv, access.bikes);
    if (access.bikes != Access::Unknown) out += ',';
    number("\"fareFactor\":"sv, train.fareFactor);
    number(",\"kindCode\":"sv, train.kindCode);
    number(",\"ruleNumber\":"sv, train.ruleNumber);
    number(",\"status\":"sv, static_cast<int>(train.status));
    out += ",\"stops\":[";
    const std::vector<StopDays> days = stopDays(train.stops);
    // The stops riders may use: a call where no one may board or alight is passed.
    const int count = static_cast<int>(train.stops.size());
    const auto [first, last] = passengerEnds(db.extensions, train.index, count);
    bool any = false;
    for (int i = 0; i < count; ++i) {
        if (passedWithoutCall(db.extensions, train.index, i)) continue;
        if (any) out += ',';
        any = true;
        const std::size_t at = static_cast<std::size_t>(i);
        appendStop(out, db, train.stops[at], i == first, i == last, days[at],
                   db.extensions.stopExtras(train.index, i),
                   db.extensions.stationExtras(train.stops[at].station).wheelchair);
    }
    out += "],\"trainName\":";
    appendJsonString(out, train.name);
    number(",\"validFrom\":"sv, train.validFrom);
    number(",\"validUntil\":"sv, train.validUntil);
    said(",\"wheelchair\":"sv, access.wheelchair);
    out += '}';
}

void appendJourneysDocument(std::string& out, const std::vector<JourneyRow>& journeys) {
    out += "{\"journeys\":[";
    for (std::size_t i = 0; i < journeys.size(); ++i) {
        const JourneyRow& journey = journeys[i];
        if (i > 0) out += ',';
        appendDateAndTime(out, "{\"arrivalDate\":"sv, journey.arrivalDate, ",\"arrivalTime\":"sv,
                          journey.arrivalClock);
        out += ",\"changes\":";
        appendJsonNumber(out, journey.journey.changes);
        appendDateAndTime(out, ",\"departureDate\":"sv, journey.departureDate,
                          ",\"departureTime\":"sv, journey.departureClock);
        out += ",\"durationMinutes\":";
        appendJsonNumber(out, journey.durationMinutes);
        out += ",\"legs\":[";
        for (std::size_t l = 0; l < journey.legs.size(); ++l) {
            if (l > 0) out += ',';
            appendLeg(out, journey.legs[l]);
        }
        out += "]}";
    }
    out += "]}";
}

void appendErrorDocument(std::string& out, std::u16string_view text) {
    out += "{\"error\":";
    appendJsonString(out, text);
    out += '}';
}

}  // namespace zelvan::cli
