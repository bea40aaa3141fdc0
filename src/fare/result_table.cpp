// The result tables without any GUI type: headings, cell texts, status markers and row colours.
#include "fare/result_table.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "db/passenger_stops.h"
#include "db/running_days.h"
#include "db/text.h"
#include "db/timetable_db.h"
#include "db/translation.h"

namespace zelvan {
namespace {

// A stop table's time that is not there: the first arrival, the last departure.
constexpr std::u16string_view kNoTimeText = u"-- --";

std::u16string ascii(const char* text) {
    std::u16string out;
    for (const char* c = text; *c != '\0'; ++c) out.push_back(static_cast<char16_t>(*c));
    return out;
}

bool startsHere(const ResultRow& row) {
    return row.originStation == row.departureStation;
}

}  // namespace

TableKind tableKindOf(ResultMode mode) {
    switch (mode) {
        case ResultMode::TrainStops:
            return TableKind::Stops;
        case ResultMode::StationTrains:
            return TableKind::Station;
        case ResultMode::Transfer:
            return TableKind::TransferStations;
        case ResultMode::Journeys:
            return TableKind::Journeys;
        case ResultMode::JourneyLegs:
            return TableKind::JourneyLegs;
        case ResultMode::Direct:
        case ResultMode::TrainChoice:
        case ResultMode::TransferTrains:
            break;
    }
    return TableKind::Train;
}

const std::vector<std::u16string>& tableHeadings(TableKind kind) {
    // The padding spaces are part of the headings: they widen the columns.
    static const std::vector<std::u16string> kTrain{
        u" 车次名称 ", u"  开点  ", u"  到点  ",     u"  历时  ",   u" 里程 ",     u"  车次类型  ",
        u"  硬座  ",   u"  软座  ", u"    硬卧    ", u"   软卧   ", u"  始发站  ", u"  终点站  ",
    };
    // Column 1 is the time at the queried station (its departure, or "终到" and the arrival of
    // a train that ends there); columns 2 and 3 are the arrival at the terminus and the
    // distance to it, and say so.
    static const std::vector<std::u16string> kStation{
        u" 车次名称 ",   u"  开点  ",   u"  到达终点  ", u" 至终点里程 ",
        u"  车次类型  ", u"  始发站  ", u"  终点站  ",
    };
    static const std::vector<std::u16string> kStops{u" 车站名称 ", u" 到点 ", u" 开点 ", u" 里程 "};
    static const std::vector<std::u16string> kTransfer{u"     车站名称     ", u"  最早到达  "};
    static const std::vector<std::u16string> kJourneys{u"  出发  ", u"  到达  ", u"  历时  ",
                                                       u" 换乘 ", u"      车次      "};
    // A leg: the train table's columns, with the stations where it is boarded and left and
    // the wait at the change before it.
    static const std::vector<std::u16string> kJourneyLegs{
        u" 车次名称 ", u"  出发站  ",   u"  开点  ",   u"  到达站  ",   u"  到点  ",
        u"  历时  ",   u"  等候  ",     u" 里程 ",     u"  车次类型  ", u"  硬座  ",
        u"  软座  ",   u"    硬卧    ", u"   软卧   ", u"  始发站  ",   u"  终点站  ",
    };
    static const std::vector<std::u16string> kNone;
    switch (kind) {
        case TableKind::Train:
            return kTrain;
        case TableKind::Station:
            return kStation;
        case TableKind::Stops:
            return kStops;
        case TableKind::TransferStations:
            return kTransfer;
        case TableKind::Journeys:
            return kJourneys;
        case TableKind::JourneyLegs:
            return kJourneyLegs;
    }
    return kNone;
}

std::u16string statusMarker(int status) {
    switch (static_cast<RunStatus>(status)) {
        case RunStatus::Expired:
            return u" +";
        case RunStatus::NotScheduled:
            return u" *";
        case RunStatus::NotYetValid:
            return u" -";
        case RunStatus::Running:
            break;
    }
    return {};
}

std::u16string statusMeaning(int status) {
    switch (static_cast<RunStatus>(status)) {
        case RunStatus::Expired:
            return translated(ZELVAN_TEXT("zelvan", "已过期"));
        case RunStatus::NotScheduled:
            return translated(ZELVAN_TEXT("zelvan", "当日不开行"));
        case RunStatus::NotYetValid:
            return translated(ZELVAN_TEXT("zelvan", "尚未开行"));
        case RunStatus::Running:
            break;
    }
    return translated(ZELVAN_TEXT("zelvan", "当日开行"));
}

std::u16string markerLegend(const std::vector<int>& statuses) {
    std::u16string legend;
    for (RunStatus status : {RunStatus::Expired, RunStatus::NotScheduled, RunStatus::NotYetValid}) {
        const int value = static_cast<int>(status);
        if (std::find(statuses.begin(), statuses.end(), value) == statuses.end()) continue;
        if (!legend.empty()) legend += u"\u3000";
        legend += statusMarker(value).substr(1) + u" " + statusMeaning(value);
    }
    return legend;
}

std::u16string travelDateText(DateKey date) {
    static const char16_t* const kWeekdays[] = {u"星期一", u"星期二", u"星期三", u"星期四",
                                                u"星期五", u"星期六", u"星期日"};
    // 2024-01-01 was a Monday.
    const int days = daysBetween(makeDateKey(2024, 1, 1), date);
    const int weekday = ((days % 7) + 7) % 7;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d ", date / 10000 % 10000, date / 100 % 100,
                  date % 100);
    std::u16string text;
    for (const char* c = buffer; *c != '\0'; ++c) text.push_back(static_cast<char16_t>(*c));
    return text + kWeekdays[weekday];
}

std::vector<int> shownColumns(TableKind kind, bool builtInTariff) {
    const int count = static_cast<int>(tableHeadings(kind).size());
    // The four fare classes: 6-9 of the train table, 9-12 of a journey's legs.
    const int firstFare = kind == TableKind::Train ? 6 : kind == TableKind::JourneyLegs ? 9 : -1;
    std::vector<int> columns;
    for (int c = 0; c < count; ++c) {
        if (!builtInTariff && firstFare >= 0 && c > firstFare && c < firstFare + 4) continue;
        columns.push_back(c);
    }
    return columns;
}

std::u16string shownHeading(TableKind kind, int column, bool builtInTariff) {
    const std::vector<std::u16string>& headings = tableHeadings(kind);
    if (column < 0 || static_cast<std::size_t>(column) >= headings.size()) return {};
    const int firstFare = kind == TableKind::Train ? 6 : kind == TableKind::JourneyLegs ? 9 : -1;
    if (!builtInTariff && column == firstFare) return u"  票价  ";
    return headings[static_cast<std::size_t>(column)];
}

namespace {

constexpr std::u16string_view kDailyText = ZELVAN_TEXT("zelvan", "每日开行");
constexpr std::u16string_view kNotRunningText = ZELVAN_TEXT("zelvan", "不开行");

// "逢星期一、三开行": the weekdays (0 Monday to 6 Sunday) in the order given.
std::u16string weekdayList(const std::vector<int>& weekdays) {
    // A weekday's short name, and what joins two: "一" and "、" in Chinese, "Mon" and ", ".
    static constexpr std::u16string_view kDayNames[] = {
        ZELVAN_TEXT("zelvan", "一"), ZELVAN_TEXT("zelvan", "二"), ZELVAN_TEXT("zelvan", "三"),
        ZELVAN_TEXT("zelvan", "四"), ZELVAN_TEXT("zelvan", "五"), ZELVAN_TEXT("zelvan", "六"),
        ZELVAN_TEXT("zelvan", "日")};
    const std::u16string separator = translated(ZELVAN_TEXT("zelvan", "、"));
    std::u16string list;
    for (std::size_t i = 0; i < weekdays.size(); ++i) {
        if (i > 0) list += separator;
        list += translated(kDayNames[weekdays[i]]);
    }
    return translatedPattern(ZELVAN_TEXT("zelvan", "逢星期%1开行"), {list});
}

// The days of `rule` that run: "隔日开行", the weekdays, or the count per period.
std::u16string ruleText(DateKey validFrom, const RunningRule& rule) {
    if (rule.period <= 1) return translated(kDailyText);
    // The mask holds 32 days; a longer period runs on none of the days beyond them.
    const int period = static_cast<int>(std::min<long long>(rule.period, 1000000));
    std::vector<int> days;
    for (int r = 0; r < std::min(period, 32); ++r) {
        if ((static_cast<std::uint32_t>(rule.mask) >> r & 1U) != 0) days.push_back(r);
    }
    if (days.empty()) return translated(kNotRunningText);
    if (static_cast<int>(days.size()) == period) return translated(kDailyText);
    if (period == 2) return translated(ZELVAN_TEXT("zelvan", "隔日开行"));
    if (period == 7) {
        // Day r of the week's rule is r days after the first valid day.
        const int first = ((daysBetween(makeDateKey(2024, 1, 1), validFrom) % 7) + 7) % 7;
        std::vector<int> weekdays;
        for (int r : days) weekdays.push_back((first + r) % 7);
        std::sort(weekdays.begin(), weekdays.end());
        return weekdayList(weekdays);
    }
    // "Runs %2 days of every %1".
    return translatedPattern(
        ZELVAN_TEXT("zelvan", "每%1日开行%2日"),
        {utf8ToWide(std::to_string(period)), utf8ToWide(std::to_string(days.size()))});
}

}  // namespace

namespace {

// Listed days: the weekdays it runs on at least half the weeks of its span, and how many days
// differ from that pattern.
std::u16string listedDaysText(const ServiceDays& days) {
    const DateKey last = days.last();
    const int span = daysBetween(days.first, last) + 1;
    const int firstWeekday = ((daysBetween(makeDateKey(2024, 1, 1), days.first) % 7) + 7) % 7;
    int runs[7] = {}, occurrences[7] = {}, total = 0;
    for (int d = 0; d < span; ++d) {
        const int w = (firstWeekday + d) % 7;
        ++occurrences[w];
        if (days.runsOn(d)) {
            ++runs[w];
            ++total;
        }
    }
    if (total == 0) return translated(kNotRunningText);
    std::vector<int> weekdays;
    int differing = 0;
    for (int w = 0; w < 7; ++w) {
        if (runs[w] * 2 >= occurrences[w] && runs[w] > 0) {
            weekdays.push_back(w);
            differing += occurrences[w] - runs[w];
        } else {
            differing += runs[w];
        }
    }
    if (weekdays.empty() || differing * 4 > total) {
        return translatedPattern(ZELVAN_TEXT("zelvan", "按日期开行，共 %1 日"),
                                 {utf8ToWide(std::to_string(total))});
    }
    std::u16string text = weekdays.size() == 7 ? translated(kDailyText) : weekdayList(weekdays);
    if (differing > 0) {
        text += translatedPattern(ZELVAN_TEXT("zelvan", "（例外 %1 日）"),
                                  {utf8ToWide(std::to_string(differing))});
    }
    return text;
}

}  // namespace

namespace {

DateTextFormat dateTextFormat = nullptr;

}  // namespace

void setDateTextFormat(DateTextFormat format) {
    dateTextFormat = format;
}

std::u16string runningDaysText(const TrainRecord& train, const RunningRule& rule,
                               const ServiceDays* listed) {
    const auto date = [](DateKey key) {
        return dateTextFormat ? dateTextFormat(key) : travelDateText(key).substr(0, 10);
    };
    std::u16string text =
        (listed ? listedDaysText(*listed) : ruleText(train.validFrom, rule)) + u"\u3000";
    switch (train.status) {
        case RunStatus::NotYetValid:
            return text +
                   translatedPattern(ZELVAN_TEXT("zelvan", "%1 起开行"), {date(train.validFrom)});
        case RunStatus::Expired:
            return text +
                   translatedPattern(ZELVAN_TEXT("zelvan", "开行至 %1"), {date(train.validUntil)});
        case RunStatus::Running:
        case RunStatus::NotScheduled:
            break;
    }
    return text + translatedPattern(ZELVAN_TEXT("zelvan", "有效期 %1 至 %2"),
                                    {date(train.validFrom), date(train.validUntil)});
}

std::u16string_view rowCellText(TableKind kind, const ResultRow& row, int column,
                                std::u16string& scratch) {
    if (kind == TableKind::Train) {
        switch (column) {
            case 0:
                scratch = row.trainName;
                scratch += statusMarker(row.status);
                for (std::u16string_view mark : accessMarks(row))
                    scratch += u' ' + translated(mark);
                return scratch;
            case 1:
                return row.departureTime;
            case 2:
                if (row.arrivalDays <= 0) return row.arrivalTime;
                scratch = row.arrivalTime + dayMark(row.arrivalDays);
                return scratch;
            case 3:
                return row.travelTimeText;
            case 4:
                return row.distanceText;
            case 5:
                return row.kindText;
            case 6:
                if (row.hasFares) return row.hardSeatFare;
                return row.feedFare.empty() ? kNoFare : std::u16string_view(row.feedFare);
            case 7:
                return row.hasFares ? std::u16string_view(row.softSeatFare) : kNoFare;
            case 8:
                return row.hasFares ? std::u16string_view(row.hardSleeperFare) : kNoFare;
            case 9:
                return row.hasFares ? std::u16string_view(row.softSleeperFare) : kNoFare;
            case 10:
                return row.originStation;
            case 11:
                return row.terminusStation;
            default:
                return {};
        }
    }
    if (kind == TableKind::Station) {
        switch (column) {
            case 0:
                scratch = row.trainName;
                scratch += statusMarker(row.status);
                for (std::u16string_view mark : accessMarks(row))
                    scratch += u' ' + translated(mark);
                return scratch;
            // Every row's first time is the queried station's: the departure from there, or
            // for a train that ends there its arrival, with nothing after it.
            case 1: {
                // The platform is this station's: where the train leaves, or arrives when it
                // ends here.
                const std::u16string& platform =
                    row.endsHere ? row.arrivalPlatform : row.departurePlatform;
                if (row.endsHere) {
                    scratch = translated(kEndsHereText) + u' ' + row.arrivalTime;
                } else if (row.noBoarding) {
                    scratch = row.departureTime + u' ' + translated(kSetsDownText);
                } else if (platform.empty()) {
                    return row.departureTime;
                } else {
                    scratch = row.departureTime;
                }
                if (!platform.empty()) scratch += u' ' + platformText(platform);
                return scratch;
            }
            case 2:
                if (row.endsHere) return kNoTimeText;
                if (row.arrivalDays <= 0) return row.arrivalTime;  // arriving at the terminus
                scratch = row.arrivalTime + dayMark(row.arrivalDays);
                return scratch;
            case 3:
                return row.endsHere ? u"0" : std::u16string_view(row.distanceText);
            case 4:
                return row.kindText;
            case 5:
                return row.originStation;
            case 6:
                return row.terminusStation;
            default:
                return {};
        }
    }
    return {};
}

std::u16string rowCell(TableKind kind, const ResultRow& row, int column) {
    std::u16string scratch;
    return std::u16string(rowCellText(kind, row, column, scratch));
}

std::u16string stopCell(const TimetableDb& db, const StopRecord& stop, bool first, bool last,
                        int column) {
    // A train with a single stop is both first and last: "-- --" in both time columns.
    switch (column) {
        case 0:
            return db.stationNameByIndex(stop.station);
        case 1:
            return first ? std::u16string(kNoTimeText)
                         : clockText(stop.arrivalHour, stop.arrivalMinute);
        case 2:
            return last ? std::u16string(kNoTimeText) : departureTimeText(stop);
        case 3: {
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, "%d", stop.distanceKm);
            return ascii(buffer);
        }
        default:
            return {};
    }
}

std::u16string dayMark(int days) {
    if (days <= 0) return {};
    return u"+" + ascii(std::to_string(days).c_str());
}

std::vector<StopDays> stopDays(const std::vector<StopRecord>& stops) {
    std::vector<StopDays> days;
    if (stops.empty()) return days;
    constexpr long long kDay = 24 * 60;
    const auto clock = [](const StopRecord& stop) {
        return static_cast<long long>(stop.arrivalHour) * 60 + stop.arrivalMinute;
    };
    const auto dayOf = [](long long minutes) {
        return minutes >= 0 ? minutes / kDay : -((-minutes + kDay - 1) / kDay);
    };
    long long arrival = clock(stops.front());
    const long long firstDay = dayOf(arrival + std::max<long long>(stops.front().dwellMinutes, 0));
    for (std::size_t i = 0; i < stops.size(); ++i) {
        if (i > 0) {
            const long long leg = clock(stops[i]) - clock(stops[i - 1]);
            arrival += (leg % kDay + kDay) % kDay;
        }
        const long long departure = arrival + std::max<long long>(stops[i].dwellMinutes, 0);
        const auto since = [&](long long minutes) {
            return static_cast<int>(std::clamp<long long>(dayOf(minutes) - firstDay, 0, 9999));
        };
        days.push_back({since(arrival), since(departure)});
    }
    return days;
}

StopMarkParts stopMarkParts(const TimetableDb& db, int train, std::size_t index, std::size_t count,
                            int station) {
    if (train < 0 || !db.extensions.present()) return {};
    const StopExtras extras = db.extensions.stopExtras(train, static_cast<int>(index));
    StopMarkParts parts;
    parts.platform = extras.platform;
    parts.stepFree = station >= 0 && db.extensions.stationExtras(station).wheelchair == Access::Yes;
    const bool board = extras.board || index + 1 == count;
    const bool alight = extras.alight || index == 0;
    if (!board && !alight) {
        parts.restriction = kNoServiceText;
    } else if (!board) {
        parts.restriction = kSetsDownText;
    } else if (!alight) {
        parts.restriction = kPicksUpText;
    }
    return parts;
}

std::u16string platformText(std::u16string_view platform) {
    return translatedPattern(ZELVAN_TEXT("zelvan", "%1站台"), {platform});
}

std::u16string stopMarks(const TimetableDb& db, int train, std::size_t index, std::size_t count,
                         int station) {
    const StopMarkParts parts = stopMarkParts(db, train, index, count, station);
    std::u16string marks;
    if (!parts.platform.empty()) marks += u' ' + platformText(parts.platform);
    if (!parts.restriction.empty()) marks += u' ' + translated(parts.restriction);
    if (parts.stepFree) marks += u' ' + translated(kWheelchairMark);
    return marks;
}

std::vector<std::u16string_view> accessMarks(const ResultRow& row) {
    std::vector<std::u16string_view> marks;
    if (row.wheelchair == static_cast<int>(Access::Yes)) marks.push_back(kWheelchairMark);
    if (row.bikes == static_cast<int>(Access::Yes)) marks.push_back(kBikesMark);
    return marks;
}

std::u16string stopTableCell(const TimetableDb& db, const std::vector<StopRecord>& stops,
                             const std::vector<StopDays>& days, std::size_t index, int column,
                             int train, bool marks) {
    if (index >= stops.size()) return {};
    // The run as riders have it: a call at either end no one may use is passed.
    const auto [firstUsed, lastUsed] =
        train >= 0 ? passengerEnds(db.extensions, train, static_cast<int>(stops.size()))
                   : std::pair(0, static_cast<int>(stops.size()) - 1);
    const bool first = static_cast<int>(index) <= firstUsed;
    const bool last = static_cast<int>(index) >= lastUsed;
    std::u16string text = stopCell(db, stops[index], first, last, column);
    if (column == 0 && marks) {
        text += stopMarks(db, train, index, stops.size(), stops[index].station);
    }
    if (index < days.size()) {
        if (column == 1 && !first) text += dayMark(days[index].arrival);
        if (column == 2 && !last) text += dayMark(days[index].departure);
    }
    return text;
}

std::u16string trainNumberFromCell(const std::u16string& cell) {
    // Every status marker begins with a space, and train numbers hold none.
    return cell.substr(0, cell.find(u' '));
}

RowColours rowColours(ResultMode mode, const ResultRow& row) {
    RowColours colours;  // blue on white
    switch (mode) {
        case ResultMode::Direct:
            if (startsHere(row)) colours = {kLightText, kRedBack};
            break;
        case ResultMode::StationTrains:
            // A train that ends here runs from its origin: it does not start here.
            if (row.endsHere) {
                colours = {kLightText, kBlueBack};
            } else if (startsHere(row)) {
                colours = {kLightText, kRedBack};
            }
            break;
        case ResultMode::TrainChoice:
        case ResultMode::TransferTrains:
        case ResultMode::JourneyLegs:
            break;
        case ResultMode::TrainStops:
        case ResultMode::Transfer:
        case ResultMode::Journeys:
            return colours;
    }
    // Not running on the day outranks starting and ending here, in every table of trains
    // alike: one colour, light on grey, whatever the train does at the station.
    if (row.status != static_cast<int>(RunStatus::Running)) colours = {kLightText, kGreyBack};
    return colours;
}

std::u16string colourLegend(ResultMode mode, const std::vector<RowColours>& shown) {
    // Red and white tell trains starting at the station from those passing it only where a
    // table marks starting trains.
    const bool starts = mode == ResultMode::Direct || mode == ResultMode::StationTrains;
    const auto any = [&](auto pick) { return std::any_of(shown.begin(), shown.end(), pick); };
    std::u16string legend;
    const auto add = [&legend](std::u16string_view entry) {
        if (!legend.empty()) legend += u"\u3000";
        legend += entry;
    };
    if (any([](const RowColours& c) { return c.back == kRedBack; })) {
        add(translated(ZELVAN_TEXT("zelvan", "红底：始发")));
    }
    if (any([](const RowColours& c) { return c.back == kBlueBack; })) {
        add(translated(ZELVAN_TEXT("zelvan", "蓝底：终到")));
    }
    if (starts && any([](const RowColours& c) { return c.back == kWhite; })) {
        add(translated(ZELVAN_TEXT("zelvan", "白底：途经")));
    }
    if (any([](const RowColours& c) { return c.back == kGreyBack; })) {
        add(translated(ZELVAN_TEXT("zelvan", "灰底：不开行")));
    }
    return legend;
}

}  // namespace zelvan
