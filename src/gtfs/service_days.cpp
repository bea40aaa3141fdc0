// calendar.txt and calendar_dates.txt: each service's days, the weekdays within its dates, then
// the dates added and taken away.
#include <algorithm>

#include "gtfs/import_model_p.h"

namespace zelvan::gtfs {

bool readServiceDays(FeedReader& reader, ParsedFeed& feed) {
    Table t;
    std::unordered_map<std::string, int>& ids = feed.serviceIds;
    auto service = [&](std::string_view id) {
        auto [it, added] = ids.try_emplace(std::string(id), static_cast<int>(feed.services.size()));
        if (added) feed.services.emplace_back();
        return it->second;
    };
    bool ok = reader.walk(
        "calendar.txt",
        {"service_id", "monday", "tuesday", "wednesday", "thursday", "friday", "saturday", "sunday",
         "start_date", "end_date"},
        t, [&](const CsvRow& r) {
            static const char* kDays[] = {"monday", "tuesday",  "wednesday", "thursday",
                                          "friday", "saturday", "sunday"};
            int columns[7];
            for (int d = 0; d < 7; ++d) columns[d] = t.column(kDays[d]);
            const int start = t.column("start_date"), end = t.column("end_date");
            const int id = t.column("service_id");
            DateKey from = 0, until = 0;
            if (!parseGtfsDate(r.fields[start], from) || !parseGtfsDate(r.fields[end], until)) {
                reader.error() =
                    at(t.file, r.line) + "a date that is not YYYYMMDD of a calendar day";
                return false;
            }
            bool weekdays[7];
            for (int d = 0; d < 7; ++d) {
                const std::string_view v = r.fields[columns[d]];
                if (v != "0" && v != "1") {
                    reader.error() = at(t.file, r.line) + kDays[d] + " is neither 0 nor 1";
                    return false;
                }
                weekdays[d] = v == "1";
            }
            std::set<int>& days = feed.services[service(r.fields[id])];
            const int first = dayNumberOf(from), last = dayNumberOf(until);
            for (int day = first; day <= last && day - first < 3700; ++day) {
                // 1970-01-01 was a Thursday.
                if (weekdays[((day % 7) + 7 + 3) % 7]) days.insert(day);
            }
            return true;
        });
    if (!ok) return false;
    return reader.walk(
        "calendar_dates.txt", {"service_id", "date", "exception_type"}, t, [&](const CsvRow& r) {
            const int id = t.column("service_id"), date = t.column("date"),
                      type = t.column("exception_type");
            DateKey day = 0;
            if (!parseGtfsDate(r.fields[date], day)) {
                reader.error() =
                    at(t.file, r.line) + "a date that is not YYYYMMDD of a calendar day";
                return false;
            }
            std::set<int>& days = feed.services[service(r.fields[id])];
            if (r.fields[type] == "1") {
                days.insert(dayNumberOf(day));
            } else if (r.fields[type] == "2") {
                days.erase(dayNumberOf(day));
            } else {
                reader.error() = at(t.file, r.line) + "exception_type is neither 1 nor 2";
                return false;
            }
            return true;
        });
}

}  // namespace zelvan::gtfs
