// A time zone's rules as the system's zone files (TZif, RFC 8536) give them: the offsets from
// UTC and the moments they change, for writing a calendar's VTIMEZONE. Read from the file
// itself, not through the C library's TZ variable, which belongs to the whole process.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelvan {

// A local time type: its offset from UTC, whether it is daylight-saving time, its abbreviation.
struct ZoneType {
    int offsetSeconds = 0;  // local = UTC + offset
    bool daylight = false;
    std::string name;  // "EST", "CST", "+08"
};

// The moment a zone's local time changes to another type.
struct ZoneChange {
    std::int64_t at = 0;  // seconds since 1970-01-01 00:00 UTC
    ZoneType before;
    ZoneType after;
};

class ZoneRules {
  public:
    // Reads the zone `name` (an IANA name) from the zone folder ($TZDIR, else
    // /usr/share/zoneinfo); false when the name is not one or its file does not read as a
    // zone file.
    bool load(const std::string& name);
    // Parses the bytes of a zone file; false when they are not one.
    bool parse(std::string_view bytes);

    // The type in force at `at` (seconds since 1970 UTC).
    ZoneType typeAt(std::int64_t at) const;
    // The changes in [from, until), in order: the file's own, then those its rule for later
    // years (the POSIX TZ string at its end) gives.
    std::vector<ZoneChange> changes(std::int64_t from, std::int64_t until) const;

  private:
    // A POSIX TZ string's rule for the years after the file's last change.
    struct Rule {
        ZoneType standard;
        ZoneType daylight;
        bool hasDaylight = false;
        // The start and end of daylight time: a day of the year and seconds after its local
        // midnight (in the time in force before the change).
        struct Date {
            char kind = 'M';  // 'M' month.week.weekday, 'J' Julian day 1-365, 'D' day 0-365
            int month = 0, week = 0, weekday = 0, day = 0;
            int seconds = 2 * 3600;
        };
        Date start;
        Date end;
        bool valid = false;
    };
    bool parseRule(std::string_view text);
    // The rule's changes in year `year`, in order.
    std::vector<ZoneChange> ruleChanges(int year) const;

    std::vector<std::int64_t> times_;  // moments of the file's changes
    std::vector<int> typeOf_;          // ... and the type each changes to
    std::vector<ZoneType> types_;
    Rule rule_;
};

}  // namespace zelvan
