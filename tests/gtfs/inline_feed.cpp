#include "inline_feed.h"

namespace zelvan::test {

InlineFeed::InlineFeed(std::map<std::string, std::string> files, gtfs::ImportOptions options) {
    files.try_emplace("agency.txt",
                      "agency_id,agency_name,agency_url,agency_timezone\n"
                      "A,Test Railway,http://x,Europe/Zurich\n");
    files.try_emplace("calendar.txt",
                      "service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,"
                      "start_date,end_date\nD,1,1,1,1,1,1,1,20261201,20261231\n");
    files.try_emplace("routes.txt", "route_id,route_short_name,route_type\nR,IC,2\n");
    for (const auto& [name, text] : files) writeBytes(folder / name, text);
    options.feed = folder.path();
    gtfs::FeedReader reader(options.feed, summary, error, nullptr);
    ok = gtfs::readFeed(reader, options, feed, network);
}

std::string InlineFeed::import() {
    gtfs::ImportOptions options;
    options.feed = folder.path();
    options.out = folder / "out";
    std::string problem;
    return gtfs::importGtfs(options, summary, problem) ? "" : problem;
}

std::string InlineFeed::table(const std::string& name) const {
    return readBytes(folder / "out" / name);
}

int InlineFeed::station(const std::string& name) const {
    for (std::size_t s = 0; s < network.stations.size(); ++s) {
        if (network.stations[s].name == name) return static_cast<int>(s);
    }
    return -1;
}

std::string InlineFeed::stops(const gtfs::Train& train) const {
    std::string text;
    for (const gtfs::RunStop& s : train.stops) {
        char times[64];
        std::snprintf(times, sizeof times, " %02d:%02d-%02d:%02d %d", s.arrival / 60,
                      s.arrival % 60, s.departure / 60, s.departure % 60, s.km);
        text += (text.empty() ? "" : ", ") + network.stations[s.station].name + times;
        if (!s.platform.empty()) text += " [" + s.platform + "]";
    }
    return text;
}

std::string InlineFeed::days(const gtfs::Train& train) {
    std::string text;
    for (int day : train.days)
        text += (text.empty() ? "" : " ") + std::to_string(gtfs::dateOfDay(day));
    return text;
}

}  // namespace zelvan::test
