// Journeys as the views and the command line show them: calendar dates and clock times, the
// wait at each change, every leg's result row, and the cells of the journey and leg tables.
#pragma once

#include <string>
#include <vector>
#include "db/translation.h"

#include "db/records.h"
#include "fare/result_row.h"
#include "fare/row_order.h"
#include "journey/journey.h"

namespace zelvan {

class TimetableDb;

struct LegRow {
    JourneyLeg leg;
    DateKey departureDate = 0;  // the calendar day of the departure
    int departureClock = 0;     // minutes after that day's midnight
    DateKey arrivalDate = 0;
    int arrivalClock = 0;
    int waitMinutes = -1;  // at the change before this leg; -1 for the first leg
    ResultRow row;         // the train from the boarding stop to the leaving stop
};

struct JourneyRow {
    Journey journey;
    DateKey departureDate = 0;
    int departureClock = 0;
    DateKey arrivalDate = 0;
    int arrivalClock = 0;
    int durationMinutes = 0;
    std::vector<LegRow> legs;
};

// The rows of journeys found for the day of travel `date`. Each leg's row carries the status of
// its train on the day it is boarded, counted from the boarding station.
std::vector<JourneyRow> journeyRows(const TimetableDb& db, const std::vector<Journey>& journeys,
                                    DateKey date);

// "YYYY-MM-DD".
std::u16string dateText(DateKey date);
// "HH:MM" of a journey time, followed by "+N" on the Nth day after the day of travel ("-N"
// before it).
std::u16string journeyTimeText(int minutes);
// "hh:mm" of a span of minutes; hours may exceed 23.
std::u16string durationText(int minutes);

// The cells of the journey table (出发, 到达, 历时, 换乘 with kStationChangeMark where
// changesStations, 车次) and of the leg table (the train table's columns with the stations,
// and the wait at the change); headings come from
// tableHeadings(TableKind::Journeys) and tableHeadings(TableKind::JourneyLegs).
std::u16string journeyCell(const JourneyRow& journey, int column);

// Whether a journey changes between two stations somewhere: a leg is left at another station
// than the next one is boarded at (北京, then 北京南).
bool changesStations(const JourneyRow& journey);
// The change between two stations before `leg`, which follows `before`:
// "换乘：北京 → 北京南，步行/市内交通 60 分钟", without the minutes when `minutes` < 0.
std::u16string stationChangeText(const LegRow& before, const LegRow& leg, int minutes);
// The journey table's mark in 换乘 on a journey that changes between two stations.
inline constexpr std::u16string_view kStationChangeMark = ZELVAN_TEXT("zelvan", " 异站");

// A journey's value under `key` (departure, arrival, duration, changes or its first train), as
// sortText gives a row's; empty for another key.
std::u16string journeySortText(const JourneyRow& journey, SortKey key);
// The positions of `journeys` in the order of `key` (stable; as found for Listed).
std::vector<std::size_t> journeyOrder(const std::vector<JourneyRow>& journeys, SortKey key,
                                      bool descending);
// Sorts `journeys` by `key` (stable; Listed leaves them as found).
void sortJourneys(std::vector<JourneyRow>& journeys, SortKey key, bool descending);
std::u16string legCell(const LegRow& leg, int column);

}  // namespace zelvan
