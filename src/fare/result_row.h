// One row of a result table: a train over one stretch of its run, already as display texts.
#pragma once

#include <string>
#include <utility>

#include "db/records.h"

namespace zelvan {

class TimetableDb;

struct ResultRow {
    int status = 0;  // RunStatus of the train on the query date
    std::u16string trainName;
    std::u16string originStation;
    std::u16string terminusStation;
    std::u16string kindText;
    std::u16string departureStation;
    std::u16string departureTime;  // "%02d:%02d"
    std::u16string arrivalStation;
    std::u16string arrivalTime;     // "%02d:%02d"
    std::u16string distanceText;    // km between the two stops
    std::u16string travelTimeText;  // "%02d:%02d", hours may exceed 23
    std::u16string hardSeatFare;
    std::u16string softSeatFare;
    std::u16string hardSleeperFare;
    std::u16string softSleeperFare;
    // Beyond the table's texts:
    int arrivalDays = 0;    // calendar days from the departure's day to the arrival's ("+N")
    bool endsHere = false;  // station query: the train ends at the queried station, so the row
                            // runs from its origin to there
    // False for a timetable the built-in tariff does not price: the four fares are empty and
    // show as "—" (null in JSON).
    bool hasFares = true;
    // Without the built-in tariff: the railway's own price of the stretch ("USD 10.25"), empty
    // when its fares do not cover it. Shown in the first fare column.
    std::u16string feedFare = {};
    int trainIndex = -1;  // the train the row is of: views reopen this very train
    // Station query: riders cannot board the train at the queried station (it only sets down).
    bool noBoarding = false;
    // The platforms (tracks) of the row's departure and arrival stops, where the timetable gives
    // them; empty otherwise.
    std::u16string departurePlatform = {};
    std::u16string arrivalPlatform = {};
    // What the timetable says of the train: a wheelchair user can ride it, bicycles may come
    // along (Access values: 0 nothing said, 1 yes, 2 no).
    int wheelchair = 0;
    int bikes = 0;

    bool operator==(const ResultRow&) const = default;
};

// Train type text (e.g. 新空调特快) from the low 8 bits of the number's first unit and the kind
// code.
std::u16string kindText(char16_t firstChar, int kindCode);
// Travel time "hh:mm" summed over the legs from `departure` to `arrival`, less the departure dwell.
std::u16string travelTime(const TrainRecord& train, const StopRecord& departure,
                          const StopRecord& arrival);
// A stop's departure time "hh:mm": arrival plus dwell, hours wrapping 23 -> 0.
std::u16string departureTimeText(const StopRecord& stop);
// The same as hours and minutes.
std::pair<int, int> departureClock(int arrivalHour, int arrivalMinute, int dwellMinutes);
// "%02d:%02d" of two numbers.
std::u16string clockText(int hours, int minutes);

// The row of `train` from `departure` to `arrival` exactly as given, for a leg of a journey.
// The same row as buildResultRow gives, except where that gives another stretch or none: two
// stops at one station (a loop) keep their own departure, and an arrival nearer the origin
// than the departure (a damaged record) shows its negative distance, with the fares of none.
// False when the train has no stops.
bool buildStretchRow(const TimetableDb& db, const TrainRecord& train, const StopRecord& departure,
                     const StopRecord& arrival, ResultRow& row);

}  // namespace zelvan
