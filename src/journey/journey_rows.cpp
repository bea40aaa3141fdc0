#include "journey/journey_rows.h"

#include <algorithm>
#include <cstdio>

#include "db/running_days.h"
#include "db/timetable_db.h"
#include "fare/result_table.h"
#include "journey/timetable_arrays.h"

namespace zelvan {
namespace {

std::u16string ascii(const char* text) {
    std::u16string out;
    for (; *text != '\0'; ++text) out.push_back(static_cast<char16_t>(*text));
    return out;
}

// Days and minutes of a journey time: floor division, so that a time before the day of travel
// lies on a day before it.
std::pair<int, int> dayAndClock(int minutes) {
    int day = minutes / kMinutesPerDay;
    int clock = minutes % kMinutesPerDay;
    if (clock < 0) {
        clock += kMinutesPerDay;
        --day;
    }
    return {day, clock};
}

// The leg's row, with its train's status on the day it is boarded at its boarding station.
bool legRow(const TimetableDb& db, const JourneyLeg& leg, DateKey date, TrainRecord& train,
            ResultRow& row) {
    db.decodeTrain(leg.train, train);
    const std::size_t count = train.stops.size();
    if (leg.fromStop < 0 || leg.toStop < 0 || static_cast<std::size_t>(leg.fromStop) >= count ||
        static_cast<std::size_t>(leg.toStop) >= count) {
        return false;
    }
    const StopRecord& from = train.stops[static_cast<std::size_t>(leg.fromStop)];
    const StopRecord& to = train.stops[static_cast<std::size_t>(leg.toStop)];
    // Boarded on day E, the train leaves at E + arrival clock + dwell.
    const int boarded =
        dayAndClock(leg.departure - from.arrivalHour * 60 - from.arrivalMinute - from.dwellMinutes)
            .first;
    train.status = runningStatus(train, db.runningRules, addDays(date, boarded), from.station);
    return buildStretchRow(db, train, from, to, row);
}

}  // namespace

std::u16string dateText(DateKey date) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date / 10000, date / 100 % 100, date % 100);
    return ascii(text);
}

std::u16string journeyTimeText(int minutes) {
    const auto [day, clock] = dayAndClock(minutes);
    std::u16string text = clockText(clock / 60, clock % 60);
    if (day != 0) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%+d", day);
        text += ascii(suffix);
    }
    return text;
}

std::u16string durationText(int minutes) {
    return clockText(minutes / 60, minutes % 60);
}

std::vector<JourneyRow> journeyRows(const TimetableDb& db, const std::vector<Journey>& journeys,
                                    DateKey date) {
    std::vector<JourneyRow> rows;
    TrainRecord train;
    for (const Journey& journey : journeys) {
        JourneyRow& row = rows.emplace_back();
        row.journey = journey;
        auto [departureDay, departureClock] = dayAndClock(journey.departure);
        auto [arrivalDay, arrivalClock] = dayAndClock(journey.arrival);
        row.departureDate = addDays(date, departureDay);
        row.departureClock = departureClock;
        row.arrivalDate = addDays(date, arrivalDay);
        row.arrivalClock = arrivalClock;
        row.durationMinutes = journey.arrival - journey.departure;
        for (std::size_t i = 0; i < journey.legs.size(); ++i) {
            const JourneyLeg& leg = journey.legs[i];
            LegRow& legRowOut = row.legs.emplace_back();
            legRowOut.leg = leg;
            std::tie(departureDay, departureClock) = dayAndClock(leg.departure);
            std::tie(arrivalDay, arrivalClock) = dayAndClock(leg.arrival);
            legRowOut.departureDate = addDays(date, departureDay);
            legRowOut.departureClock = departureClock;
            legRowOut.arrivalDate = addDays(date, arrivalDay);
            legRowOut.arrivalClock = arrivalClock;
            if (i > 0) legRowOut.waitMinutes = leg.departure - journey.legs[i - 1].arrival;
            legRow(db, leg, date, train, legRowOut.row);
        }
    }
    return rows;
}

std::u16string journeyCell(const JourneyRow& journey, int column) {
    switch (column) {
        case 0:
            return journeyTimeText(journey.journey.departure);
        case 1:
            return journeyTimeText(journey.journey.arrival);
        case 2:
            return durationText(journey.durationMinutes);
        case 3:
            return ascii(std::to_string(journey.journey.changes).c_str()) +
                   (changesStations(journey) ? translated(kStationChangeMark) : std::u16string());
        case 4: {
            std::u16string trains;
            for (const LegRow& leg : journey.legs) {
                if (!trains.empty()) trains += u"→";
                trains += leg.row.trainName;
            }
            return trains;
        }
        default:
            return {};
    }
}

std::u16string legCell(const LegRow& leg, int column) {
    // The train table's columns, with the stations and the wait placed among them.
    switch (column) {
        case 0:
            return rowCell(TableKind::Train, leg.row, 0);
        case 1:
            // Where the timetable gives the platforms, the leg's own beside its stations.
            return leg.row.departurePlatform.empty()
                       ? leg.row.departureStation
                       : leg.row.departureStation + u' ' + platformText(leg.row.departurePlatform);
        case 2:
            return journeyTimeText(leg.leg.departure);
        case 3:
            return leg.row.arrivalPlatform.empty()
                       ? leg.row.arrivalStation
                       : leg.row.arrivalStation + u' ' + platformText(leg.row.arrivalPlatform);
        case 4:
            return journeyTimeText(leg.leg.arrival);
        case 5:
            return leg.row.travelTimeText;
        case 6:
            return leg.waitMinutes < 0 ? std::u16string() : durationText(leg.waitMinutes);
        default:
            return column > 6 ? rowCell(TableKind::Train, leg.row, column - 3) : std::u16string();
    }
}

bool changesStations(const JourneyRow& journey) {
    for (std::size_t i = 1; i < journey.legs.size(); ++i) {
        if (journey.legs[i - 1].leg.toStation != journey.legs[i].leg.fromStation) return true;
    }
    return false;
}

std::u16string stationChangeText(const LegRow& before, const LegRow& leg, int minutes) {
    if (minutes < 0) {
        return translatedPattern(ZELVAN_TEXT("zelvan", "换乘：%1 → %2"),
                                 {before.row.arrivalStation, leg.row.departureStation});
    }
    return translatedPattern(ZELVAN_TEXT("zelvan", "换乘：%1 → %2，步行/市内交通 %3 分钟"),
                             {before.row.arrivalStation, leg.row.departureStation,
                              ascii(std::to_string(minutes).c_str())});
}

std::u16string journeySortText(const JourneyRow& journey, SortKey key) {
    switch (key) {
        case SortKey::Departure:
            return sortNumberText(journey.journey.departure);
        case SortKey::Arrival:
            return sortNumberText(journey.journey.arrival);
        case SortKey::Duration:
            return sortNumberText(journey.durationMinutes);
        case SortKey::Changes:
            return sortNumberText(journey.journey.changes);
        case SortKey::Train:
            return journey.legs.empty() ? std::u16string()
                                        : trainSortText(journey.legs.front().row.trainName);
        default:
            return {};
    }
}

std::vector<std::size_t> journeyOrder(const std::vector<JourneyRow>& journeys, SortKey key,
                                      bool descending) {
    std::vector<std::u16string> texts;
    texts.reserve(journeys.size());
    for (const JourneyRow& journey : journeys) texts.push_back(journeySortText(journey, key));
    return textOrder(texts, descending);
}

void sortJourneys(std::vector<JourneyRow>& journeys, SortKey key, bool descending) {
    if (key == SortKey::Listed) return;
    const std::vector<std::size_t> order = journeyOrder(journeys, key, descending);
    std::vector<JourneyRow> sorted;
    sorted.reserve(journeys.size());
    for (const std::size_t i : order) sorted.push_back(std::move(journeys[i]));
    journeys = std::move(sorted);
}

}  // namespace zelvan
