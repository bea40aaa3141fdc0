// The result tables: which table each result mode shows, the column headings, the cell texts,
// the status markers and the row colours. Free of any GUI type, so the application and the
// command line lay results out alike.
#pragma once

#include <string>
#include <string_view>
#include <vector>
#include "db/translation.h"

#include "db/records.h"
#include "db/running_days.h"
#include "fare/result_row.h"

namespace zelvan {

class TimetableDb;
struct ServiceDays;

// What a results view shows; the values are stored in the view stack and must not change.
enum class ResultMode : int {
    Direct = 0,          // through trains between two stations
    TrainStops = 1,      // the stops of one train
    StationTrains = 2,   // the trains calling at one station
    Transfer = 3,        // candidate transfer stations
    TrainChoice = 4,     // several trains matched a number
    TransferTrains = 5,  // first leg, then second leg
    Journeys = 6,        // journeys with changes, matched in time
    JourneyLegs = 7,     // the legs of one journey
};

enum class TableKind : int {
    Train = 0,             // 12 columns of ResultRow
    Station = 1,           // 7 columns of ResultRow
    Stops = 2,             // 4 columns of StopRecord
    TransferStations = 3,  // 2 columns: station names, the earliest arrival through each
    Journeys = 4,          // 5 columns of a journey (cells: journey/journey_rows.h)
    JourneyLegs = 5,       // 15 columns of a journey's leg
};

TableKind tableKindOf(ResultMode mode);

// Column headings with their padding spaces (the spaces widen the columns).
const std::vector<std::u16string>& tableHeadings(TableKind kind);

// " +", " *", " -" or "" for a RunStatus value; every marker starts with a space.
std::u16string statusMarker(int status);

// What a train's running status means for the day of travel: "已过期" (marker " +"), "当日不开行"
// (" *"), "尚未开行" (" -"), "当日开行" for a train that runs.
std::u16string statusMeaning(int status);
// The markers among `statuses` with their meanings, in the order +, *, -, e.g.
// "+ 已过期　* 当日不开行"; empty when no status is marked.
std::u16string markerLegend(const std::vector<int>& statuses);
// A day of travel as the views show it: "2026-12-24 星期四".
std::u16string travelDateText(DateKey date);
// How runningDaysText writes a date: "2026-12-24" unless a program that speaks another format
// installs its own (null: that one again). Not synchronised, as setTextTranslator.
using DateTextFormat = std::u16string (*)(DateKey date);
void setDateTextFormat(DateTextFormat format);
// On which days a train runs, for its list of stops: its rule ("每日开行", "隔日开行",
// "逢星期一、三、五开行" for a weekly one, "每3日开行1日", "不开行") and its dates as its status
// for the day calls for them: "2040-01-01 起开行" before them, "开行至 2001-12-31" after them,
// "有效期 2020-01-01 至 2035-12-31" otherwise. The days of a rule count from the first valid day.
// A train run on listed days (`listed`, an imported timetable's) is told by the weekdays it
// runs on most weeks ("逢星期一、二、三、四、五开行"), with the days it differs from them
// ("（例外 2 日）"), or as "按日期开行，共 N 日" when no weekly pattern holds for most of its days.
std::u16string runningDaysText(const TrainRecord& train, const RunningRule& rule,
                               const ServiceDays* listed = nullptr);

// The fare cell of a row without fares (a timetable the built-in tariff does not price).
inline constexpr std::u16string_view kNoFare = u"—";
// The columns a table shows, in order: all of them, except that a train or leg table of a
// timetable without the built-in tariff has one fare column, headed "票价" (the railway's own
// price), in place of the four classes.
std::vector<int> shownColumns(TableKind kind, bool builtInTariff);
// A column's heading as shown (see shownColumns).
std::u16string shownHeading(TableKind kind, int column, bool builtInTariff);

// Cell text of a train-table or station-table column for a row.
std::u16string rowCell(TableKind kind, const ResultRow& row, int column);
// The same without a copy: a view of the row's text, or of `scratch` where the cell joins two.
std::u16string_view rowCellText(TableKind kind, const ResultRow& row, int column,
                                std::u16string& scratch);
// Cell text of a stop-table column; `last` marks the train's last stop. The times are plain
// clock times (the stop table's texts as stored in JSON); stopTableCell adds the day marks.
std::u16string stopCell(const TimetableDb& db, const StopRecord& stop, bool first, bool last,
                        int column);

// "+N" for a time N days after the day a row starts on; empty for 0 (and for a negative N,
// which no well-formed record gives).
std::u16string dayMark(int days);
// The days of a stop's arrival and departure after the day the train leaves its first stop.
struct StopDays {
    int arrival = 0;
    int departure = 0;
};
// One entry per stop: each leg is (next arrival - this arrival) modulo a day, as travel times
// count it, so an overnight run reads 22:32, then 00:18+1.
std::vector<StopDays> stopDays(const std::vector<StopRecord>& stops);
// The stop table's cell as the views and the command line show it: stopCell, with "+N" after
// a time on a later day than the first stop's departure. `days` is stopDays(stops).
// For the stops of train `train` of a timetable with stop extras, the station cell also shows
// (with `marks`) the platform ("Jamaica 3站台") and a stop that forbids boarding ("仅下客") or
// alighting ("仅上客"); the first stop's alighting and the last's boarding go without saying.
// The first and last stops are those riders may use (a depot at an end is passed).
std::u16string stopTableCell(const TimetableDb& db, const std::vector<StopRecord>& stops,
                             const std::vector<StopDays>& days, std::size_t index, int column,
                             int train = -1, bool marks = true);
// A platform (track) as the tables show it: "2站台", "Track 2" in English.
std::u16string platformText(std::u16string_view platform);
// The marks of a stop: its platform, what it forbids and whether its station (`station`, -1:
// not known) is step-free, as the stop table shows them after the station's name; empty for a
// stop without extras.
std::u16string stopMarks(const TimetableDb& db, int train, std::size_t index, std::size_t count,
                         int station = -1);
// The same in parts, for a view that words them otherwise: the platform (empty: none), what
// riders may not do there (kSetsDownText, kPicksUpText, kNoServiceText, or empty), and
// whether the timetable says a wheelchair user can board at the station (kWheelchairMark).
struct StopMarkParts {
    std::u16string platform;
    std::u16string_view restriction;
    bool stepFree = false;
};
StopMarkParts stopMarkParts(const TimetableDb& db, int train, std::size_t index, std::size_t count,
                            int station = -1);

// The station table's first time of a train that ends at the queried station: "终到" before its
// arrival there.
inline constexpr std::u16string_view kEndsHereText = ZELVAN_TEXT("zelvan", "终到");
// After the station table's first time of a train riders cannot board at the queried station.
inline constexpr std::u16string_view kSetsDownText = ZELVAN_TEXT("zelvan", "仅下客");
// After a stop's station: riders may board but not alight there, or neither.
inline constexpr std::u16string_view kPicksUpText = ZELVAN_TEXT("zelvan", "仅上客");
inline constexpr std::u16string_view kNoServiceText = ZELVAN_TEXT("zelvan", "不办客运");
// After a train that the timetable says a wheelchair user can ride, or that takes bicycles, in
// the first cell of its rows; after a station a wheelchair user can board at, in a train's stops.
inline constexpr std::u16string_view kWheelchairMark = ZELVAN_TEXT("zelvan", "无障碍");
inline constexpr std::u16string_view kBikesMark = ZELVAN_TEXT("zelvan", "可带自行车");
// The marks of a row's train (kWheelchairMark, kBikesMark), as written; none where the
// timetable says nothing or no.
std::vector<std::u16string_view> accessMarks(const ResultRow& row);

// The train number in a first cell: the text before its first space.
std::u16string trainNumberFromCell(const std::u16string& cell);

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
    bool operator==(const Rgb&) const = default;
};
inline constexpr Rgb kBlueText{0, 0, 255};
inline constexpr Rgb kLightText{233, 221, 229};
inline constexpr Rgb kRedBack{202, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kGreyBack{128, 128, 128};
inline constexpr Rgb kSilverBack{192, 192, 192};
inline constexpr Rgb kBlueBack{0, 70, 160};

struct RowColours {
    Rgb text = kBlueText;
    Rgb back = kWhite;
    bool operator==(const RowColours&) const = default;
};
// Colours of `row` in a table of `mode`, one per meaning: light on red for a train that starts
// at the station asked for (direct trains, a station's trains), light on blue for one that
// ends there (a station's trains), blue on white for one that passes, and light on grey for a
// train that does not run on the day, in every table of trains (its marker says why). The
// stops, the candidate stations and the journeys are blue on white.
RowColours rowColours(ResultMode mode, const ResultRow& row);
// What the colours among `shown` (the rows of a table of `mode`) mean, in the order red, blue,
// white, grey, e.g. "红底：始发　蓝底：终到　白底：途经　灰底：不开行"; white is explained only
// where red marks the trains that start at the station. Empty when no colour there says
// anything.
std::u16string colourLegend(ResultMode mode, const std::vector<RowColours>& shown);

// The row between the two legs of a transfer in its table.
inline constexpr std::u16string_view kSecondLegText = ZELVAN_TEXT("zelvan", "第二程");

}  // namespace zelvan
