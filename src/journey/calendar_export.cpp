// Writing the iCalendar text: content lines of at most 75 octets (longer ones folded, never
// inside a UTF-8 character), CR LF line ends, text values escaped, local times with the zone's
// TZID and a VTIMEZONE that covers the years of the rides.
#include "journey/calendar_export.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "db/running_days.h"
#include "db/text.h"
#include "db/timetable_db.h"
#include "db/translation.h"
#include "fare/result_row.h"
#include "fare/result_table.h"
#include "journey/journey_planner.h"
#include "journey/journey_rows.h"
#include "journey/zone_rules.h"

namespace zelvan {
namespace {

constexpr std::int64_t kDaySeconds = 24 * 3600;
// The native timetable's railway keeps Beijing time.
constexpr const char* kNativeZone = "Asia/Shanghai";

std::int64_t daysSince1970(DateKey date) {
    return daysBetween(19700101, date);
}

// "YYYYMMDDTHHMMSS" of a local date and clock (minutes).
std::string localStamp(DateKey date, int clock) {
    char text[32];
    std::snprintf(text, sizeof text, "%08dT%02d%02d00", date, clock / 60, clock % 60);
    return text;
}

// The date and "THHMMSS" of seconds since 1970 as a wall clock, in UTC terms.
std::string wallStamp(std::int64_t seconds) {
    const std::int64_t days =
        seconds >= 0 ? seconds / kDaySeconds : -((-seconds + kDaySeconds - 1) / kDaySeconds);
    const std::int64_t rest = seconds - days * kDaySeconds;
    char text[32];
    std::snprintf(text, sizeof text, "%08dT%02d%02d%02d", addDays(19700101, static_cast<int>(days)),
                  static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60),
                  static_cast<int>(rest % 60));
    return text;
}

// "+HHMM" (or "+HHMMSS") of an offset from UTC.
std::string offsetText(int seconds) {
    const char sign = seconds < 0 ? '-' : '+';
    const int a = std::abs(seconds);
    char text[16];
    if (a % 60 != 0) {
        std::snprintf(text, sizeof text, "%c%02d%02d%02d", sign, a / 3600, a / 60 % 60, a % 60);
    } else {
        std::snprintf(text, sizeof text, "%c%02d%02d", sign, a / 3600, a / 60 % 60);
    }
    return text;
}

// A TEXT value: backslash, semicolon, comma and line breaks escaped.
std::string escaped(const std::u16string& value) {
    std::string out;
    for (char c : toUtf8(value)) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case ';':
                out += "\\;";
                break;
            case ',':
                out += "\\,";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                break;
            default:
                out += c;
        }
    }
    return out;
}

// Appends a content line, folded after 75 octets (a continuation starts with a space).
void line(std::string& out, const std::string& text) {
    std::size_t at = 0;
    std::size_t room = 75;
    while (text.size() - at > room) {
        std::size_t cut = at + room;
        // Never inside a character: back to the start of the one the cut falls in.
        while (cut > at && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
        out.append(text, at, cut - at);
        out += "\r\n ";
        at = cut;
        room = 74;
    }
    out.append(text, at, std::string::npos);
    out += "\r\n";
}

// A stable name of a ride: the day, and a hash of the train, its stations and its departure.
std::string rideUid(const CalendarRide& ride) {
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a, 64 bits
    const std::string key = toUtf8(ride.train) + '\x1f' + toUtf8(ride.from) + '\x1f' +
                            toUtf8(ride.to) + '\x1f' + std::to_string(ride.departureClock);
    for (unsigned char c : key) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%08d-%016llx@zelvan", ride.departureDate,
                  static_cast<unsigned long long>(hash));
    return text;
}

void appendZone(std::string& out, const std::string& zone, const ZoneRules& rules,
                std::int64_t from, std::int64_t until) {
    line(out, "BEGIN:VTIMEZONE");
    line(out, "TZID:" + zone);
    const auto component = [&](const ZoneType& before, const ZoneType& after, std::int64_t at) {
        const char* kind = after.daylight ? "DAYLIGHT" : "STANDARD";
        line(out, std::string("BEGIN:") + kind);
        // The onset as a wall clock of the time in force before it.
        line(out, "DTSTART:" + wallStamp(at + before.offsetSeconds));
        line(out, "TZOFFSETFROM:" + offsetText(before.offsetSeconds));
        line(out, "TZOFFSETTO:" + offsetText(after.offsetSeconds));
        if (!after.name.empty()) line(out, "TZNAME:" + after.name);
        line(out, std::string("END:") + kind);
    };
    // The type in force at the start, then every change up to the end.
    const ZoneType first = rules.typeAt(from);
    component(first, first, from);
    for (const ZoneChange& change : rules.changes(from, until)) {
        component(change.before, change.after, change.at);
    }
    line(out, "END:VTIMEZONE");
}

std::u16string numberText(int n) {
    return utf8ToWide(std::to_string(n));
}

// "1912 Penn Station 08:12 → Jamaica 08:31", times with "+N" after the day of travel.
std::u16string legLine(const LegRow& leg) {
    return leg.row.trainName + u' ' + leg.row.departureStation + u' ' +
           journeyTimeText(leg.leg.departure) + u" → " + leg.row.arrivalStation + u' ' +
           journeyTimeText(leg.leg.arrival);
}

}  // namespace

std::string calendarZone(const TimetableDb& db) {
    const std::u16string zone = db.extensions.timeZone();
    return zone.empty() ? kNativeZone : toUtf8(zone);
}

bool writeCalendar(const std::vector<CalendarRide>& rides, const std::string& zone,
                   const std::u16string& operatorName, std::int64_t stamp, std::string& text,
                   std::string& error) {
    text.clear();
    ZoneRules rules;
    if (!rules.load(zone)) {
        error = "unknown time zone " + zone;
        return false;
    }
    // The zone's changes over the years of the rides, from a year before the first.
    DateKey first = 99991231;
    DateKey last = 0;
    for (const CalendarRide& ride : rides) {
        first = std::min(first, ride.departureDate);
        last = std::max(last, ride.arrivalDate);
    }
    if (rides.empty()) first = last = 19700101;
    const std::int64_t from =
        daysSince1970(first / 10000 * 10000 + 101) * kDaySeconds - 366 * kDaySeconds;
    const std::int64_t until = daysSince1970((last / 10000 + 1) * 10000 + 101) * kDaySeconds;
    line(text, "BEGIN:VCALENDAR");
    line(text, "VERSION:2.0");
    line(text, "PRODID:-//Zelvan//Zelvan timetable//EN");
    line(text, "CALSCALE:GREGORIAN");
    line(text, "METHOD:PUBLISH");
    appendZone(text, zone, rules, from, until);
    const std::string stamped = wallStamp(stamp) + "Z";
    for (const CalendarRide& ride : rides) {
        line(text, "BEGIN:VEVENT");
        line(text, "UID:" + rideUid(ride));
        line(text, "DTSTAMP:" + stamped);
        line(text,
             "DTSTART;TZID=" + zone + ":" + localStamp(ride.departureDate, ride.departureClock));
        line(text, "DTEND;TZID=" + zone + ":" + localStamp(ride.arrivalDate, ride.arrivalClock));
        std::u16string summary = operatorName.empty() ? u"" : operatorName + u' ';
        summary += ride.train + u' ' + ride.from + u" → " + ride.to;
        line(text, "SUMMARY:" + escaped(summary));
        std::u16string location = ride.from;
        if (!ride.platform.empty()) {
            location += u' ' + translatedPattern(ZELVAN_TEXT("zelvan", "%1站台"), {ride.platform});
        }
        line(text, "LOCATION:" + escaped(location));
        if (!ride.description.empty()) line(text, "DESCRIPTION:" + escaped(ride.description));
        line(text, "TRANSP:OPAQUE");
        line(text, "END:VEVENT");
    }
    line(text, "END:VCALENDAR");
    return true;
}

std::vector<CalendarRide> journeyRides(const TimetableDb& db, const JourneyRow& journey,
                                       const JourneyPlanner& planner,
                                       const JourneyOptions& options) {
    // The whole journey, leg by leg with the changes between them, in every leg's event.
    std::u16string whole;
    for (std::size_t i = 0; i < journey.legs.size(); ++i) {
        const LegRow& leg = journey.legs[i];
        if (i > 0) {
            const LegRow& before = journey.legs[i - 1];
            if (before.leg.toStation != leg.leg.fromStation) {
                const int minutes =
                    planner.changeMinutes(before.leg.toStation, leg.leg.fromStation, options);
                whole += stationChangeText(before, leg, minutes) + u'\n';
            }
            whole += translatedPattern(ZELVAN_TEXT("zelvan", "换乘等候 %1 分钟"),
                                       {numberText(leg.waitMinutes)}) +
                     u'\n';
        }
        whole += legLine(leg) + u'\n';
    }
    std::vector<CalendarRide> rides;
    const int count = static_cast<int>(journey.legs.size());
    for (int i = 0; i < count; ++i) {
        const LegRow& leg = journey.legs[static_cast<std::size_t>(i)];
        CalendarRide& ride = rides.emplace_back();
        ride.train = leg.row.trainName;
        ride.from = leg.row.departureStation;
        ride.to = leg.row.arrivalStation;
        ride.platform = db.extensions.stopExtras(leg.leg.train, leg.leg.fromStop).platform;
        ride.departureDate = leg.departureDate;
        ride.departureClock = leg.departureClock;
        ride.arrivalDate = leg.arrivalDate;
        ride.arrivalClock = leg.arrivalClock;
        ride.description = translatedPattern(ZELVAN_TEXT("zelvan", "第%1程，共%2程"),
                                             {numberText(i + 1), numberText(count)}) +
                           u'\n' + whole;
        ride.description.pop_back();
    }
    return rides;
}

CalendarRide rowRide(const TimetableDb& db, const ResultRow& row, DateKey date) {
    CalendarRide ride;
    ride.train = row.trainName;
    ride.from = row.departureStation;
    ride.to = row.arrivalStation;
    const auto clock = [](const std::u16string& text) {
        if (text.size() != 5) return 0;
        return ((text[0] - u'0') * 10 + (text[1] - u'0')) * 60 + (text[3] - u'0') * 10 +
               (text[4] - u'0');
    };
    ride.departureDate = date;
    ride.departureClock = clock(row.departureTime);
    ride.arrivalDate = addDays(date, std::max(row.arrivalDays, 0));
    ride.arrivalClock = clock(row.arrivalTime);
    ride.description = row.trainName + u' ' + row.departureStation + u' ' + row.departureTime +
                       u" → " + row.arrivalStation + u' ' + row.arrivalTime +
                       dayMark(row.arrivalDays);
    // The platform of the stop the row leaves from.
    if (row.trainIndex >= 0 && db.extensions.present()) {
        TrainRecord train;
        db.decodeTrain(row.trainIndex, train);
        for (std::size_t i = 0; i < train.stops.size(); ++i) {
            const StopRecord& stop = train.stops[i];
            if (db.stationNameByIndex(stop.station) == row.departureStation &&
                departureTimeText(stop) == row.departureTime) {
                ride.platform =
                    db.extensions.stopExtras(row.trainIndex, static_cast<int>(i)).platform;
                break;
            }
        }
    }
    return ride;
}

bool calendarOf(const TimetableDb& db, const std::vector<CalendarRide>& rides, std::string& text,
                std::string& error) {
    // The feed's agencies, one railway; several (joined by ", ") would not name a train's.
    std::u16string railway = db.extensions.feedValue("source");
    if (railway.find(u", ") != std::u16string::npos) railway.clear();
    return writeCalendar(rides, calendarZone(db), railway,
                         static_cast<std::int64_t>(std::time(nullptr)), text, error);
}

}  // namespace zelvan
