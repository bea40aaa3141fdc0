// A journey or a single train ride as an iCalendar document (RFC 5545), for the traveller's
// calendar: each train an event from its departure to its arrival in the timetable's time zone
// (TZID, with a VTIMEZONE written from the system's zone rules), the summary naming the train
// and its two stations, the location the station left from with its platform, and a UID made
// from the ride itself, so that a calendar given the same ride twice keeps one event.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "db/records.h"
#include "journey/journey.h"

namespace zelvan {

class JourneyPlanner;
class TimetableDb;
struct JourneyRow;
struct ResultRow;

// The time zone of the timetable's times: its own (x.feed), else Asia/Shanghai, the zone of
// the railway the native timetable describes.
std::string calendarZone(const TimetableDb& db);

// A train from one station to another, as an event.
struct CalendarRide {
    std::u16string train;  // as the views show it ("1912", "G101")
    std::u16string from;
    std::u16string to;
    std::u16string platform;  // of the station left from; empty: not known
    DateKey departureDate = 0;
    int departureClock = 0;  // minutes after midnight
    DateKey arrivalDate = 0;
    int arrivalClock = 0;
    std::u16string description;
};

// The document of `rides` in zone `zone` (an IANA name), stamped `stamp` (seconds since 1970
// UTC; the time of writing). False with `error` ("unknown time zone Mars/Base") when the zone
// file cannot be read. `operatorName` (the feed's agencies) leads every summary when given.
bool writeCalendar(const std::vector<CalendarRide>& rides, const std::string& zone,
                   const std::u16string& operatorName, std::int64_t stamp, std::string& text,
                   std::string& error);

// The rides of a journey found for the day of travel: each leg, described with the whole
// journey and its changes (the least minutes `planner` allows for a change between two
// stations with `options`).
std::vector<CalendarRide> journeyRides(const TimetableDb& db, const JourneyRow& journey,
                                       const JourneyPlanner& planner,
                                       const JourneyOptions& options);
// The ride of a result row of the day `date` (the row's departure is on that day).
CalendarRide rowRide(const TimetableDb& db, const ResultRow& row, DateKey date);

// writeCalendar with the timetable's zone and operator, stamped now.
bool calendarOf(const TimetableDb& db, const std::vector<CalendarRide>& rides, std::string& text,
                std::string& error);

}  // namespace zelvan
