// agency.txt: the agencies kept (all, or those --agency names) and their time zone, which must
// be one: a feed's times are read in it.
#include <algorithm>

#include "gtfs/import_model_p.h"

namespace zelvan::gtfs {

bool readAgencies(FeedReader& reader, const ImportOptions& options, ParsedFeed& feed) {
    Table t;
    std::set<std::string> zones;
    std::set<std::string> kept;
    bool ok =
        reader.walk("agency.txt", {"agency_name", "agency_timezone"}, t, [&](const CsvRow& r) {
            const int idColumn = t.column("agency_id");
            const int zoneColumn = t.column("agency_timezone");
            const int nameColumn = t.column("agency_name");
            if (zoneColumn < 0 || nameColumn < 0) return true;
            const std::string id(idColumn >= 0 ? r.fields[idColumn] : "");
            const std::string zone(r.fields[zoneColumn]);
            if (!knownTimeZone(zone)) {
                reader.error() =
                    at(t.file, r.line) + "time zone \"" + zone + "\" is not one the system knows";
                return false;
            }
            if (!options.agencies.empty() &&
                std::find(options.agencies.begin(), options.agencies.end(), id) ==
                    options.agencies.end()) {
                return true;
            }
            zones.insert(zone);
            kept.insert(id);
            if (!feed.agencyNames.empty()) feed.agencyNames += ", ";
            feed.agencyNames += std::string(r.fields[nameColumn]);
            return true;
        });
    if (!ok) return false;
    if (kept.empty()) {
        return reader.fail(options.agencies.empty()
                               ? "agency.txt: no agency"
                               : "agency.txt: no agency has the id given with --agency");
    }
    if (zones.size() > 1) {
        std::string list;
        for (const std::string& z : zones) list += (list.empty() ? "" : ", ") + z;
        return reader.fail("agency.txt: the agencies are in different time zones (" + list +
                           "): pick the agencies of one zone with --agency");
    }
    feed.timeZone = *zones.begin();
    feed.agencies = kept;
    return true;
}

}  // namespace zelvan::gtfs
