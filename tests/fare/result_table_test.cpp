#include <gtest/gtest.h>

#include "db/timetable_db.h"
#include "db/timetable_extensions.h"
#include "fare/result_table.h"

namespace zelvan {
namespace {

TEST(ResultTable, ModesChooseTheirTables) {
    EXPECT_EQ(tableKindOf(ResultMode::Direct), TableKind::Train);
    EXPECT_EQ(tableKindOf(ResultMode::TrainChoice), TableKind::Train);
    EXPECT_EQ(tableKindOf(ResultMode::TransferTrains), TableKind::Train);
    EXPECT_EQ(tableKindOf(ResultMode::StationTrains), TableKind::Station);
    EXPECT_EQ(tableKindOf(ResultMode::TrainStops), TableKind::Stops);
    EXPECT_EQ(tableKindOf(ResultMode::Transfer), TableKind::TransferStations);
}

TEST(ResultTable, HeadingsKeepTheirPaddingSpaces) {
    const std::vector<std::u16string> train{
        u" 车次名称 ", u"  开点  ", u"  到点  ",     u"  历时  ",   u" 里程 ",     u"  车次类型  ",
        u"  硬座  ",   u"  软座  ", u"    硬卧    ", u"   软卧   ", u"  始发站  ", u"  终点站  ",
    };
    // The station table shows the departure here, then the arrival at the terminus and the
    // distance to it, and its headings say so.
    const std::vector<std::u16string> station{
        u" 车次名称 ",   u"  开点  ",   u"  到达终点  ", u" 至终点里程 ",
        u"  车次类型  ", u"  始发站  ", u"  终点站  ",
    };
    EXPECT_EQ(tableHeadings(TableKind::Train), train);
    EXPECT_EQ(tableHeadings(TableKind::Station), station);
    EXPECT_EQ(tableHeadings(TableKind::Stops),
              (std::vector<std::u16string>{u" 车站名称 ", u" 到点 ", u" 开点 ", u" 里程 "}));
    EXPECT_EQ(tableHeadings(TableKind::TransferStations),
              (std::vector<std::u16string>{u"     车站名称     ", u"  最早到达  "}));
}

// Every field a different text, so that a cell taken from the wrong field shows.
ResultRow sampleRow() {
    return {0,        u"G101", u"北京南", u"上海虹桥", u"高铁", u"北京南", u"07:00", u"南京南",
            u"11:20", u"1023", u"04:20",  u"445",      u"750",  u"-",      u"--"};
}

TEST(ResultTable, CellsOfTheTrainAndStationTables) {
    const ResultRow row = sampleRow();
    const std::vector<std::u16string> train{u"G101", u"07:00", u"11:20",  u"04:20",
                                            u"1023", u"高铁",  u"445",    u"750",
                                            u"-",    u"--",    u"北京南", u"上海虹桥"};
    const std::vector<std::u16string> station{u"G101", u"07:00",  u"11:20",   u"1023",
                                              u"高铁", u"北京南", u"上海虹桥"};
    std::vector<std::u16string> cells;
    for (int c = -1; c <= 12; ++c) cells.push_back(rowCell(TableKind::Train, row, c));
    EXPECT_EQ(cells.front() + cells.back(), u"");
    EXPECT_EQ(std::vector(cells.begin() + 1, cells.end() - 1), train);
    cells.clear();
    for (int c = 0; c <= 7; ++c) cells.push_back(rowCell(TableKind::Station, row, c));
    EXPECT_EQ(cells.back(), u"");
    EXPECT_EQ(std::vector(cells.begin(), cells.end() - 1), station);
    EXPECT_EQ(rowCell(TableKind::Stops, row, 0), u"");
}

TEST(ResultTable, StatusMarkersAndTheNumberBehindThem) {
    ResultRow row = sampleRow();
    const std::pair<int, const char16_t*> cases[] = {
        {0, u"G101"}, {1, u"G101 +"}, {2, u"G101 *"}, {-1, u"G101 -"}, {7, u"G101"}};
    for (auto [status, cell] : cases) {
        row.status = status;
        EXPECT_EQ(rowCell(TableKind::Train, row, 0), cell);
        EXPECT_EQ(rowCell(TableKind::Station, row, 0), cell);
        EXPECT_EQ(trainNumberFromCell(cell), u"G101");
    }
    EXPECT_EQ(trainNumberFromCell(u""), u"");
    EXPECT_EQ(trainNumberFromCell(u"K1/K4 *"), u"K1/K4");
}

TEST(ResultTable, StopCells) {
    TimetableDb db;
    db.stationNames = {u"北京", u"天津", u"济南"};
    StopRecord stop;
    stop.station = 1;
    stop.arrivalHour = 23;
    stop.arrivalMinute = 50;
    stop.dwellMinutes = 15;
    stop.distanceKm = 137;
    EXPECT_EQ(stopCell(db, stop, false, false, 0), u"天津");
    EXPECT_EQ(stopCell(db, stop, false, false, 1), u"23:50");
    EXPECT_EQ(stopCell(db, stop, false, false, 2), u"00:05");
    EXPECT_EQ(stopCell(db, stop, false, false, 3), u"137");
    EXPECT_EQ(stopCell(db, stop, false, false, 4), u"");
    // First stop: no arrival; last stop: no departure; a single stop: neither.
    EXPECT_EQ(stopCell(db, stop, true, false, 1), u"-- --");
    EXPECT_EQ(stopCell(db, stop, true, false, 2), u"00:05");
    EXPECT_EQ(stopCell(db, stop, false, true, 1), u"23:50");
    EXPECT_EQ(stopCell(db, stop, false, true, 2), u"-- --");
    EXPECT_EQ(stopCell(db, stop, true, true, 1), u"-- --");
    EXPECT_EQ(stopCell(db, stop, true, true, 2), u"-- --");
    stop.station = 40;
    EXPECT_EQ(stopCell(db, stop, false, false, 0), u"济南");
}

TEST(ResultTable, LaterDaysAreMarkedAndATrainEndingHereShowsItsArrival) {
    ResultRow row = sampleRow();
    row.arrivalDays = 1;
    EXPECT_EQ(rowCell(TableKind::Train, row, 2), u"11:20+1");
    EXPECT_EQ(rowCell(TableKind::Station, row, 2), u"11:20+1");
    // Ending at the queried station: its first time is the arrival there, nothing after it.
    row.endsHere = true;
    EXPECT_EQ(rowCell(TableKind::Station, row, 1), u"终到 11:20");
    EXPECT_EQ(rowCell(TableKind::Station, row, 2), u"-- --");
    EXPECT_EQ(rowCell(TableKind::Station, row, 3), u"0");
    EXPECT_EQ(rowCell(TableKind::Train, row, 1), u"07:00");  // other tables keep the row's texts
    EXPECT_EQ(dayMark(0), u"");
    EXPECT_EQ(dayMark(-1), u"");
    EXPECT_EQ(dayMark(12), u"+12");
}

TEST(ResultTable, StopTimesCountDaysFromTheFirstDeparture) {
    // 22:32 -> 00:18 -> a dwell over midnight at 23:58 -> 06:00, then a stop an hour "earlier"
    // that is 23 hours on.
    TimetableDb db;
    db.stationNames = {u"甲", u"乙", u"丙", u"丁", u"戊"};
    const int times[][3] = {{22, 32, 0}, {0, 18, 4}, {23, 58, 5}, {6, 0, 0}, {5, 0, 0}};
    std::vector<StopRecord> stops;
    for (int i = 0; i < 5; ++i) {
        StopRecord stop;
        stop.station = i;
        stop.arrivalHour = times[i][0];
        stop.arrivalMinute = times[i][1];
        stop.dwellMinutes = times[i][2];
        stop.sequence = i;
        stops.push_back(stop);
    }
    const std::vector<StopDays> days = stopDays(stops);
    std::u16string lines;
    for (std::size_t i = 0; i < stops.size(); ++i) {
        for (int c = 0; c < 3; ++c) lines += stopTableCell(db, stops, days, i, c) + u" ";
        lines += u"|";
    }
    EXPECT_EQ(lines,
              u"甲 -- -- 22:32 |乙 00:18+1 00:22+1 |丙 23:58+1 00:03+2 |丁 06:00+2 06:00+2 |"
              u"戊 05:00+3 -- -- |");
    EXPECT_TRUE(stopDays({}).empty());
    EXPECT_EQ(stopTableCell(db, stops, days, 9, 0), u"");
}

TEST(ResultTable, RunningDaysNameTheRuleAndTheDatesTheStatusCallsFor) {
    TrainRecord train;
    train.validFrom = 20240101;  // a Monday
    train.validUntil = 20241231;
    const auto text = [&](long long period, long long mask) {
        return runningDaysText(train, RunningRule{period, mask, 2});
    };
    EXPECT_EQ(runningDaysText(train, RunningRule{}), u"每日开行　有效期 2024-01-01 至 2024-12-31");
    EXPECT_EQ(text(2, 1), u"隔日开行　有效期 2024-01-01 至 2024-12-31");
    EXPECT_EQ(text(2, 3).substr(0, 4), u"每日开行");
    EXPECT_EQ(text(2, 0).substr(0, 3), u"不开行");
    EXPECT_EQ(text(3, 1).substr(0, 7), u"每3日开行1日");
    EXPECT_EQ(text(7, 0b10101).substr(0, 10), u"逢星期一、三、五开行");
    // A week's days count from the first valid day, here a Wednesday: Wednesday and Sunday.
    train.validFrom = 20240103;
    EXPECT_EQ(text(7, 0b10001).substr(0, 8), u"逢星期三、日开行");
    // Days beyond the mask's 32 never run.
    EXPECT_EQ(text(40, 0).substr(0, 3), u"不开行");
    train.status = RunStatus::NotYetValid;
    EXPECT_EQ(text(1, 1), u"每日开行　2024-01-03 起开行");
    train.status = RunStatus::Expired;
    EXPECT_EQ(text(1, 1), u"每日开行　开行至 2024-12-31");
}

// An imported train runs on listed days: told by the weekdays most of its weeks keep.
TEST(ResultTable, ListedDaysAreToldByTheirWeekdaysOrAsDates) {
    TrainRecord train;
    train.validFrom = 20240101;  // a Monday
    train.validUntil = 20240126;
    ServiceDays days;
    days.first = 20240101;
    days.bits.assign(4, 0);
    const auto set = [&](int d, bool on) {
        std::uint8_t& byte = days.bits[static_cast<std::size_t>(d / 8)];
        byte = static_cast<std::uint8_t>(on ? byte | 1 << (d % 8) : byte & ~(1 << (d % 8)));
    };
    for (int d = 0; d < 26; ++d) set(d, d % 7 < 5);  // Monday to Friday, four weeks
    const auto text = [&] { return runningDaysText(train, RunningRule{}, &days).substr(0, 18); };
    EXPECT_EQ(text(), u"逢星期一、二、三、四、五开行　有效期");
    set(2, false);  // a holiday
    EXPECT_EQ(runningDaysText(train, RunningRule{}, &days).substr(0, 22),
              u"逢星期一、二、三、四、五开行（例外 1 日）");
    for (int d = 0; d < 26; ++d) set(d, d % 3 == 0);  // no weekly pattern
    EXPECT_EQ(runningDaysText(train, RunningRule{}, &days).substr(0, 11), u"按日期开行，共 9 日");
    for (int d = 0; d < 26; ++d) set(d, true);
    EXPECT_EQ(runningDaysText(train, RunningRule{}, &days).substr(0, 4), u"每日开行");
}

class RowColouring : public testing::Test {
  protected:
    // Row 0 starts at its departure station; row 1 passes through.
    RowColouring() : rows(2, sampleRow()) { rows[1].originStation = u"天津"; }

    RowColours at(ResultMode mode, int index) {
        return rowColours(mode, rows[static_cast<std::size_t>(index)]);
    }

    std::vector<ResultRow> rows;
    const RowColours plain{kBlueText, kWhite};
    const RowColours startsHere{kLightText, kRedBack};
};

TEST_F(RowColouring, OneColourPerMeaningStartsEndsPassesDoesNotRun) {
    const RowColours endsHere{kLightText, kBlueBack};
    const RowColours notRunning{kLightText, kGreyBack};
    for (ResultMode mode : {ResultMode::Direct, ResultMode::StationTrains}) {
        EXPECT_EQ(at(mode, 0), startsHere);
        EXPECT_EQ(at(mode, 1), plain);
        for (int status : {-1, 1, 2}) {
            rows[0].status = status;
            rows[1].status = status;
            EXPECT_EQ(at(mode, 0), notRunning);
            EXPECT_EQ(at(mode, 1), notRunning);
        }
        rows[0].status = rows[1].status = 0;
    }
    // A train that ends at the station runs from its origin there: it does not start here,
    // whatever the row's stations say (they are both its origin).
    ResultRow ends = rows[0];
    ends.endsHere = true;
    EXPECT_EQ(rowColours(ResultMode::StationTrains, ends), endsHere);
    ends.status = 2;
    EXPECT_EQ(rowColours(ResultMode::StationTrains, ends), notRunning);
    EXPECT_EQ(colourLegend(ResultMode::StationTrains,
                           {startsHere, endsHere, plain, notRunning, endsHere}),
              u"红底：始发\u3000蓝底：终到\u3000白底：途经\u3000灰底：不开行");
}

TEST_F(RowColouring, EveryOtherTrainTableGreysTrainsThatDoNotRunOnly) {
    // A transfer's legs are told apart by their separator row, not by a colour.
    for (ResultMode mode :
         {ResultMode::TrainChoice, ResultMode::TransferTrains, ResultMode::JourneyLegs}) {
        EXPECT_EQ(at(mode, 0), plain);
        rows[0].status = 1;
        EXPECT_EQ(at(mode, 0), (RowColours{kLightText, kGreyBack}));
        rows[0].status = 0;
    }
    // Tables without trains' rows are plain whatever a row says.
    rows[0].status = 2;
    for (ResultMode mode : {ResultMode::TrainStops, ResultMode::Transfer, ResultMode::Journeys}) {
        EXPECT_EQ(at(mode, 0), plain);
    }
}

TEST(ColourLegend, NamesTheColoursShownWhereTheyMeanSomething) {
    const RowColours red{kLightText, kRedBack};
    const RowColours white{kBlueText, kWhite};
    const RowColours grey{kBlueText, kGreyBack};
    EXPECT_EQ(colourLegend(ResultMode::Direct, {grey, white, red, white}),
              u"红底：始发\u3000白底：途经\u3000灰底：不开行");
    EXPECT_EQ(colourLegend(ResultMode::StationTrains, {white}), u"白底：途经");
    EXPECT_EQ(colourLegend(ResultMode::TransferTrains, {white, grey}), u"灰底：不开行");
    EXPECT_EQ(colourLegend(ResultMode::TrainChoice, {white}), u"");
    EXPECT_EQ(colourLegend(ResultMode::Direct, {}), u"");
}

}  // namespace
}  // namespace zelvan
