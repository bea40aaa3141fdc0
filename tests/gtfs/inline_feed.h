// A feed of a few lines of CSV per file, read step by step as the importer reads it, so that a
// test looks at what one step made of the rows: the stations, service days, trains, walks.
#pragma once

#include <map>
#include <string>

#include "gtfs/import_model_p.h"
#include "test_files.h"

namespace zelvan::test {

// One agency in Zurich's zone and a daily service "D" in December 2026, unless the test gives
// agency.txt or calendar.txt itself.
struct InlineFeed {
    explicit InlineFeed(std::map<std::string, std::string> files, gtfs::ImportOptions options = {});
    bool ok = false;
    std::string error;
    gtfs::ImportSummary summary;
    gtfs::ParsedFeed feed;
    gtfs::Network network;
    TempDir folder;

    // The whole import of the feed into folder/out: "" when it succeeds, else the error.
    std::string import();
    // A table the import wrote (s.more, t.more ...).
    std::string table(const std::string& name) const;

    // The network's station of a name; -1 when none.
    int station(const std::string& name) const;
    // A train's stops as "Name hh:mm-hh:mm km, ..." and its days as dates.
    std::string stops(const gtfs::Train& train) const;
    static std::string days(const gtfs::Train& train);
};

}  // namespace zelvan::test
