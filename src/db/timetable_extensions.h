// What a timetable holds beyond the fixed record files, in optional tables of our own: the
// service days of trains that run on listed dates rather than by a rule, the number a train is
// shown under when several trains carry one number, the type text of its route, boarding and
// alighting restrictions and platforms of stops, the stations' feed identities, coordinates and
// change times, walks between stations, and the timetable's time zone and tariff. A timetable
// without these files answers exactly as the record files alone say.
//
// Every table is UTF-8 text, tab-separated, with a header line naming its columns (layouts in
// docs/formats.md); a file is read at load and parsed when a question first needs it. A line
// that does not parse is left out (`zelvan-cli check` reports it).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "db/byte_span.h"
#include "db/feed_fares.h"
#include "db/records.h"

namespace zelvan {

// The extension files, in the order pack and check list them.
const std::vector<std::string>& extensionFileNames();

// The days a train leaves its first stop on: day `first` + i for every set bit i.
struct ServiceDays {
    DateKey first = 0;
    std::vector<std::uint8_t> bits;  // bit i % 8 of byte i / 8: day first + i

    bool runsOn(int dayFromFirst) const {
        return dayFromFirst >= 0 && static_cast<std::size_t>(dayFromFirst) < bits.size() * 8 &&
               (bits[static_cast<std::size_t>(dayFromFirst) / 8] >> (dayFromFirst % 8) & 1) != 0;
    }
    // The last day with a set bit, or `first` when none is.
    DateKey last() const;
    // The status of the run that leaves its first stop on `runDate`.
    RunStatus statusOn(DateKey runDate) const;
};

// What a feed says of step-free access or of bicycles: nothing, yes or no (the feed's own
// values: 0 or empty, 1, 2).
enum class Access : std::uint8_t { Unknown = 0, Yes = 1, No = 2 };

// The feed's `1`, `2` or anything else (empty, `0`) as an Access.
Access parseAccess(std::string_view text);

// A stop's extras: whether riders may board or leave there, and its platform.
struct StopExtras {
    bool board = true;
    bool alight = true;
    std::u16string platform;
    int dwell = -1;  // minutes standing there when past the record's 127; -1: the record's
};

// A station's extras.
struct StationExtras {
    std::u16string id;    // the feed's stop_id (a parent station's)
    double latitude = 0;  // degrees, when `located`
    double longitude = 0;
    bool located = false;
    int changeMinutes = -1;  // least minutes for a change there, -1: the journey default
    std::string zone;        // the feed's fare zone, empty: none
    Access wheelchair = Access::Unknown;  // whether a wheelchair user can board there
};

// What a train's trips allow, as the feed says it.
struct TripAccess {
    Access wheelchair = Access::Unknown;  // a wheelchair user can ride
    Access bikes = Access::Unknown;       // bicycles may be taken along
};

// A walk (or any way on foot or by city transport) from one station to another.
struct Walk {
    int from = 0;
    int to = 0;
    int minutes = 0;
};

class TimetableExtensions {
  public:
    // Reads the extension files of `folder` (those present); parsing waits for first use. With
    // `sorted` (a timetable of the wide form, whose compiler wrote its per-train and per-station
    // tables in index order) a train's or station's lines are found by a binary search, and no
    // table is read whole for one of them.
    void load(const std::u16string& folder, bool sorted = false);
    void clear();
    // True when any extension file was read.
    bool present() const { return !files_.empty(); }

    // The service days of a train that runs on listed dates; null for a train run by its rule.
    const ServiceDays* serviceDays(int train) const;
    // The number a train is shown under; empty: its t.i number.
    std::u16string_view displayNumber(int train) const;
    // The type text of the train's route; empty: the kind names of the built-in tariff.
    std::u16string_view typeText(int train) const;
    // The feed's price of a ride on the train through `stations` (boarding to alighting, in
    // order), as "USD 10.25"; empty when the feed gives none.
    std::u16string fareText(int train, const std::vector<int>& stations) const;
    // Wheelchair and bicycle access of a train (Unknown for both where the feed says nothing);
    // read from its line on every call, so that a pass over every train keeps nothing.
    TripAccess tripAccess(int train) const;
    // True when some station or train of the timetable says anything of wheelchair access.
    bool saysAccess() const;
    // The extras of stop `position` of a train.
    StopExtras stopExtras(int train, int position) const;
    // Whether a stop of the train stands longer than a record can say (t.stops' dwell). Asked
    // on every decode: a timetable without extensions answers without a call.
    bool longDwell(int train) const { return !files_.empty() && longDwellIn(train); }
    // `stop` (of `train`) with its dwell from t.stops where that holds one.
    void applyDwell(int train, StopRecord& stop) const;
    // True when some stop of the train forbids boarding or alighting.
    bool restricted(int train) const;
    // The station's extras (defaults when it has none).
    StationExtras stationExtras(int station) const;
    const std::vector<Walk>& walks() const;
    // The stations whose feed id (s.more) is `id`, in index order.
    std::vector<int> stationsWithId(std::u16string_view id) const;
    // The trains shown under a number (displayNumber), in train-index order.
    const std::vector<int>& trainsNumbered(std::u16string_view number) const;

    // The time zone the timetable's times are in (an IANA name); empty: none given.
    std::u16string timeZone() const;
    // False when the built-in tariff must not price this timetable (a foreign railway).
    bool hasTariff() const;
    // The value of a key of the timetable's own table (x.feed); empty when absent.
    std::u16string feedValue(std::string_view key) const;

  private:
    bool longDwellIn(int train) const;
    void parseDays() const;
    void parseTrains() const;
    void parseStops() const;
    void parseStations() const;
    void parseFeed() const;
    void parseFares() const;

    // Lines of a per-train table by the train index in their first field, found with one pass
    // over the text (a question then reads the lines of the trains it meets, not the whole
    // table), or in a table of sorted lines by a binary search.
    struct TrainLines {
        std::vector<std::uint32_t> at;  // train -> offset of its line, kNoLine: none
        std::size_t fields = 0;         // the header's field count
        bool sorted = false;            // lines in key order: `at` is not built
        static constexpr std::uint32_t kNoLine = UINT32_MAX;
    };
    static void indexLines(std::string_view text, TrainLines& lines);
    class TableText;
    // The offsets of the lines whose first field is `key`, in a table whose lines stand in key
    // order, as [begin, end) line starts (empty when none).
    static std::pair<std::size_t, std::size_t> sortedLines(const TableText& text, long long key);
    // The lines of one train of t.stops, read when first asked for (sorted tables only).
    struct TrainStops {
        std::vector<std::pair<int, StopExtras>> stops;  // position -> extras, in table order
        bool restricted = false;
        bool longDwell = false;
    };
    const TrainStops& trainStops(int train) const;
    // The fields of `train`'s line, or false when it has none or the line does not parse.
    bool trainLine(const char* name, const TrainLines& lines, int train,
                   std::vector<std::string_view>& fields) const;
    // A table's bytes (null: absent or empty), and its whole text (read whole where paged).
    const ByteSpan* fileSpan(const char* name) const;
    std::string_view fileText(const char* name) const;
    struct TrainExtras;
    const TrainExtras& parseTrain(int train) const;
    void parseNumbers() const;

    std::map<std::string, ByteSpan> files_;  // file name -> bytes
    bool sorted_ = false;                    // the tables stand in key order (see load)
    mutable std::unordered_map<int, TrainStops> trainStops_;       // sorted: train -> its stops
    mutable std::unordered_map<int, StationExtras> stationLines_;  // sorted: station -> extras
    mutable bool daysParsed_ = false;
    mutable bool trainsParsed_ = false;
    mutable bool numbersParsed_ = false;
    mutable TrainLines dayLines_;
    mutable TrainLines trainLines_;
    mutable bool stopsParsed_ = false;
    mutable bool stationsParsed_ = false;
    mutable bool feedParsed_ = false;
    mutable bool faresParsed_ = false;
    // The lines read so far, by train (a question meets a few hundred of thousands of trains;
    // the elements stay where they are as more are read).
    mutable std::unordered_map<int, std::optional<ServiceDays>> days_;
    struct TrainExtras {
        std::u16string number;
        std::u16string type;
        std::string route;  // the feed's route_id, for its fares
    };
    mutable std::unordered_map<int, TrainExtras> trains_;
    mutable std::map<std::u16string, std::vector<int>, std::less<>> numbered_;
    mutable std::map<std::pair<int, int>, StopExtras> stops_;  // (train, position) -> extras
    mutable std::vector<char> restricted_;                     // train -> any restriction
    mutable std::vector<char> longDwell_;                      // train -> a dwell past 127
    mutable std::vector<StationExtras> stations_;              // station -> extras
    mutable std::vector<Walk> walks_;
    mutable std::map<std::string, std::u16string, std::less<>> feed_;
    mutable FeedFares fares_;
    mutable int saysAccess_ = -1;  // saysAccess() once known: 0 or 1
};

// The rows of a tab-separated table with a header: calls row(fields) for each line after the
// header whose field count equals the header's, and returns the header's fields.
std::vector<std::string_view> readTable(
    std::string_view text, const std::function<void(const std::vector<std::string_view>&)>& row);

// Today's date in the time zone named (an IANA name such as "America/New_York"); UTC when the
// name is empty or unknown.
DateKey todayIn(const std::u16string& timeZone);
// True when the system's time-zone database knows the name.
bool knownTimeZone(const std::string& name);

}  // namespace zelvan
