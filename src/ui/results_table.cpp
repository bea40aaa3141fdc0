#include "ui/results_table.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QStringList>
#include <QStyle>
#include <QTableWidget>
#include <algorithm>

#include "db/passenger_stops.h"
#include "db/timetable_db.h"
#include "fare/day_rows.h"
#include "ui/locale_formats.h"
#include "ui/qt_text.h"
#include "ui/translation.h"

namespace zelvan {
namespace {

// Extra width of every column beyond its widest text (the heading's margin).
constexpr int kColumnPadding = 26;

QColor colourOf(Rgb rgb) {
    return QColor(rgb.r, rgb.g, rgb.b);
}

void setUpTable(QTableWidget& table) {
    table.clear();
    table.setRowCount(0);
    table.setColumnCount(0);
    table.setShowGrid(true);
    table.setSelectionBehavior(QAbstractItemView::SelectRows);
    // Several rows may be chosen to share; the first chosen is the one a view opens.
    table.setSelectionMode(QAbstractItemView::ExtendedSelection);
    table.setEditTriggers(QAbstractItemView::NoEditTriggers);
    table.setSortingEnabled(false);
    table.setWordWrap(false);
    // Every column fits its text (fitColumns): nothing is cut to "...", which would hide the
    // status marker at the end of a train number.
    table.setTextElideMode(Qt::ElideNone);
    // The platform's own font, which follows its size and the screen's resolution.
    table.setFont(QApplication::font(&table));
    table.verticalHeader()->hide();
    // Rows as high as a line of text, as in a report list.
    table.verticalHeader()->setDefaultSectionSize(QFontMetrics(table.font()).height() + 8);
    table.horizontalHeader()->setSectionsClickable(false);
    table.horizontalHeader()->setHighlightSections(false);
    table.horizontalHeader()->setFont(table.font());
}

void addColumns(QTableWidget& table, const std::vector<std::u16string>& headings) {
    table.setColumnCount(static_cast<int>(headings.size()));
    for (int c = 0; c < static_cast<int>(headings.size()); ++c) {
        auto* item = new QTableWidgetItem(shown(headings[c]));
        item->setTextAlignment(Qt::AlignCenter);
        table.setHorizontalHeaderItem(c, item);
    }
}

// One row of cells; `index` is the row's position in its list, kept as the first item's data.
void addRow(QTableWidget& table, int index, const std::vector<QString>& cells, RowColours colours) {
    int row = table.rowCount();
    table.insertRow(row);
    for (int c = 0; c < static_cast<int>(cells.size()) && c < table.columnCount(); ++c) {
        auto* item = new QTableWidgetItem(cells[c]);
        item->setTextAlignment(Qt::AlignCenter);
        item->setForeground(colourOf(colours.text));
        item->setBackground(colourOf(colours.back));
        if (c == 0) item->setData(Qt::UserRole, index);
        table.setItem(row, c, item);
    }
}

// A row between legs, which no click selects and which opens nothing (its index is -1): the
// label in the first column, which stays in view while the table scrolls sideways, and the
// text, if any, over all the other columns (in the first, a long text would widen the column
// that is kept in view to the whole screen). Without a text the label spans the whole row.
void addLegSeparator(QTableWidget& table, const QString& label, const QString& text = {}) {
    const int row = table.rowCount();
    table.insertRow(row);
    QFont bold = table.font();
    bold.setBold(true);
    const auto cell = [&](const QString& shownText, int column) {
        auto* item = new QTableWidgetItem(shownText);
        item->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        item->setFlags(Qt::ItemIsEnabled);
        item->setData(Qt::UserRole, -1);
        item->setFont(bold);
        table.setItem(row, column, item);
    };
    cell(label, 0);
    if (text.isEmpty() || table.columnCount() < 2) {
        table.setSpan(row, 0, 1, table.columnCount());
        return;
    }
    cell(text, 1);
    table.setSpan(row, 1, 1, table.columnCount() - 1);
}

// Whether column `column` of a `kind` table holds the train's kind, a name the translation
// holds (an imported timetable's route names are not in it and stay as the feed gives them).
bool isKindColumn(TableKind kind, int column) {
    switch (kind) {
        case TableKind::Train:
            return column == 5;
        case TableKind::Station:
            return column == 4;
        case TableKind::JourneyLegs:
            return column == 8;
        default:
            return false;
    }
}

// What a column holds, for its format.
CellFormat cellFormat(TableKind kind, int column, bool tariff) {
    switch (kind) {
        case TableKind::Train:
            if (column == 1 || column == 2) return CellFormat::Clock;
            if (column == 3) return CellFormat::Duration;
            if (column == 4) return CellFormat::Distance;
            if (tariff && column >= 6 && column <= 9) return CellFormat::Fare;
            break;
        case TableKind::Station:
            if (column == 1 || column == 2) return CellFormat::Clock;
            if (column == 3) return CellFormat::Distance;
            break;
        case TableKind::Stops:
            if (column == 1 || column == 2) return CellFormat::Clock;
            if (column == 3) return CellFormat::Distance;
            break;
        case TableKind::TransferStations:
            if (column == 1) return CellFormat::Clock;
            break;
        case TableKind::Journeys:
            if (column == 0 || column == 1) return CellFormat::Clock;
            if (column == 2) return CellFormat::Duration;
            break;
        case TableKind::JourneyLegs:
            if (column == 2 || column == 4) return CellFormat::Clock;
            if (column == 5 || column == 6) return CellFormat::Duration;
            if (column == 7) return CellFormat::Distance;
            if (tariff && column >= 9 && column <= 12) return CellFormat::Fare;
            break;
    }
    return CellFormat::Text;
}

// The text of a cell: a kind name in the language in use, anything else as it stands, in the
// traveller's format.
QString cellText(TableKind kind, int column, std::u16string_view text, bool tariff) {
    if (isKindColumn(kind, column)) return shown(text);
    return plainSpaces(formatCell(cellFormat(kind, column, tariff), toQString(text)));
}

// The heading of a column as shown: in miles where the locale measures in them; the candidate
// stations' arrival names the station it is at.
QString headingText(TableKind kind, int column, bool tariff, const ResultContext& results) {
    if (cellFormat(kind, column, tariff) == CellFormat::Distance && showsMiles()) {
        return kind == TableKind::Station ? QCoreApplication::translate("zelvan", "至终点英里数")
                                          : QCoreApplication::translate("zelvan", "英里");
    }
    if (kind == TableKind::TransferStations && column == 1) {
        return QCoreApplication::translate("zelvan", "最早到达%1").arg(toQString(results.toName));
    }
    return shown(shownHeading(kind, column, tariff));
}

// The rows of a table of trains, each part (a transfer's legs are two) in the day's order.
void fillRows(QTableWidget& table, ResultMode mode, TableKind kind,
              const std::vector<ResultRow>& rows, int transferLegCount, const TableView& view,
              bool tariff, ShownRows& shown) {
    const int columns = table.columnCount();
    // Both legs of a transfer sort apart: the first leg stays on top, the second follows its
    // separator row.
    const bool legs = mode == ResultMode::TransferTrains;
    const std::size_t firstLeg =
        legs ? std::min(static_cast<std::size_t>(std::max(transferLegCount, 0)), rows.size())
             : rows.size();
    std::vector<DayRows> parts;
    parts.push_back(dayRows(rows, view.sort.key, view.sort.descending, 0, firstLeg));
    if (legs) parts.push_back(dayRows(rows, view.sort.key, view.sort.descending, firstLeg));
    for (const DayRows& part : parts) {
        shown.running += static_cast<int>(part.running.size());
        shown.notRunning += static_cast<int>(part.notRunning.size());
    }
    // With no train running that day, the others are the answer.
    shown.notRunningShown = shown.notRunning > 0 && (view.notRunning || shown.running == 0);
    for (std::size_t p = 0; p < parts.size(); ++p) {
        if (p == 1) addLegSeparator(table, toQString(translated(kSecondLegText)));
        std::vector<std::size_t> order = parts[p].running;
        if (shown.notRunningShown) {
            order.insert(order.end(), parts[p].notRunning.begin(), parts[p].notRunning.end());
            // The query's own order mixes them as it found them.
            if (view.sort.key == SortKey::Listed) std::sort(order.begin(), order.end());
        }
        for (const std::size_t i : order) {
            const RowColours colours = rowColours(mode, rows[i]);
            shown.statuses.push_back(rows[i].status);
            shown.colours.push_back(colours);
            std::vector<QString> cells;
            for (int c = 0; c < columns; ++c) {
                cells.push_back(cellText(kind, c, rowCell(kind, rows[i], c), tariff));
            }
            addRow(table, static_cast<int>(i), cells, colours);
        }
    }
}

void fillStops(QTableWidget& table, const ResultContext& results, const TimetableDb& db,
               ShownRows& shown) {
    const int train =
        results.trainIndex >= 0 ? results.trainIndex : db.findTrainRun(results.trainNumber);
    if (train < 0) return;
    TrainRecord record;
    db.decodeTrain(train, record);
    const int count = static_cast<int>(record.stops.size());
    const std::vector<StopDays> days = stopDays(record.stops);
    const bool tariff = db.extensions.hasTariff();
    shown.stopStations.assign(static_cast<std::size_t>(count), -1);
    shown.stopMinutes.assign(static_cast<std::size_t>(count), -1);
    for (int i = 0; i < count; ++i) {
        // A call no rider may use is passed, not a stop.
        if (passedWithoutCall(db.extensions, train, i)) continue;
        const StopRecord& stop = record.stops[static_cast<std::size_t>(i)];
        std::vector<QString> cells;
        for (int c = 0; c < table.columnCount(); ++c) {
            cells.push_back(cellText(
                TableKind::Stops, c,
                stopTableCell(db, record.stops, days, static_cast<std::size_t>(i), c, train),
                tariff));
        }
        shown.stopStations[static_cast<std::size_t>(i)] = stop.station;
        const auto [hour, minute] =
            i + 1 == count
                ? std::pair(stop.arrivalHour, stop.arrivalMinute)
                : departureClock(stop.arrivalHour, stop.arrivalMinute, stop.dwellMinutes);
        shown.stopMinutes[static_cast<std::size_t>(i)] = hour * 60 + minute;
        addRow(table, i, cells, RowColours{});
    }
    shown.statuses = {static_cast<int>(record.status)};
    const std::size_t rule = static_cast<std::size_t>(record.ruleNumber);
    shown.runningDays = runningDaysText(
        record,
        rule < db.runningRules.size() ? parseRunningRule(db.runningRules[rule]) : RunningRule{},
        db.extensions.serviceDays(train));
}

// The journey table's cells as the views show them: the first and last station beside the
// times where they are not the places asked for, and the changes in words.
QString journeyShownCell(const JourneyRow& journey, int column, const ResultContext& results) {
    QString text = formatCell(cellFormat(TableKind::Journeys, column, true),
                              toQString(journeyCell(journey, column)));
    if (journey.legs.empty()) return text;
    if (column == 0 && journey.legs.front().row.departureStation != results.fromName) {
        text += u' ' + toQString(journey.legs.front().row.departureStation);
    }
    if (column == 1 && journey.legs.back().row.arrivalStation != results.toName) {
        text += u' ' + toQString(journey.legs.back().row.arrivalStation);
    }
    if (column == 3) {
        const int changes = journey.journey.changes;
        if (changes == 0) return QCoreApplication::translate("zelvan", "直达");
        return changesStations(journey)
                   ? QCoreApplication::translate("zelvan", "%n 次（异站）", nullptr, changes)
                   : QCoreApplication::translate("zelvan", "%n 次", nullptr, changes);
    }
    return text;
}

// A journey's legs; a change between two stations stands as a row of its own before the leg
// that follows it, with the least time the planner allowed for it.
void fillLegs(QTableWidget& table, const JourneyRow& journey, const JourneyPlanner* planner,
              bool tariff, const JourneyOptions& options, ShownRows& shown) {
    for (std::size_t i = 0; i < journey.legs.size(); ++i) {
        const LegRow& leg = journey.legs[i];
        if (i > 0 && journey.legs[i - 1].leg.toStation != leg.leg.fromStation) {
            const int minutes = planner ? planner->changeMinutes(journey.legs[i - 1].leg.toStation,
                                                                 leg.leg.fromStation, options)
                                        : -1;
            addLegSeparator(
                table, QCoreApplication::translate("zelvan", "换站"),
                plainSpaces(toQString(stationChangeText(journey.legs[i - 1], leg, minutes))));
        }
        std::vector<QString> cells;
        for (int c = 0; c < table.columnCount(); ++c) {
            cells.push_back(cellText(TableKind::JourneyLegs, c, legCell(leg, c), tariff));
        }
        shown.statuses.push_back(leg.row.status);
        shown.colours.push_back(rowColours(ResultMode::JourneyLegs, leg.row));
        addRow(table, static_cast<int>(i), cells, shown.colours.back());
    }
}

// The headings of a table whose kind sorts take clicks and show the sort in force.
void showSort(QTableWidget& table, TableKind kind, const TableSort& sort) {
    QHeaderView* header = table.horizontalHeader();
    bool sortable = false;
    for (int c = 0; c < table.columnCount(); ++c) {
        sortable = sortable || columnSortKey(kind, c) != SortKey::Listed;
    }
    header->setSectionsClickable(sortable);
    const int column = sortable ? sortColumn(kind, sort.key) : -1;
    header->setSortIndicatorShown(column >= 0);
    header->setSortIndicator(column, sort.descending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

// The candidate stations with the earliest arrival each gives (empty when none does), listed
// best first or sorted by that arrival.
void fillTransferStations(QTableWidget& table, const std::vector<std::u16string>& stations,
                          const std::vector<int>& arrivals, const TableSort& sort) {
    const auto arrival = [&arrivals](std::size_t i) {
        return i < arrivals.size() && arrivals[i] >= 0 ? arrivals[i] : -1;
    };
    std::vector<std::u16string> keys;
    for (std::size_t i = 0; i < stations.size(); ++i) {
        const bool sorted = sort.key == SortKey::Arrival && arrival(i) >= 0;
        keys.push_back(sorted ? sortNumberText(arrival(i)) : std::u16string());
    }
    for (const std::size_t i : textOrder(keys, sort.descending)) {
        const QString when =
            arrival(i) >= 0 ? formatCell(CellFormat::Clock, toQString(journeyTimeText(arrival(i))))
                            : QString();
        addRow(table, static_cast<int>(i), {toQString(stations[i]), when}, RowColours{});
    }
}

}  // namespace

TableSort defaultSort(ResultMode mode) {
    switch (mode) {
        case ResultMode::Direct:
        case ResultMode::StationTrains:
        case ResultMode::TrainChoice:
        case ResultMode::TransferTrains:
            return {SortKey::Departure, false};
        default:
            return {};
    }
}

int frozenColumnCount(TableKind kind) {
    return kind == TableKind::Train || kind == TableKind::Station ? 2 : 1;
}

ShownRows fillResultTable(QTableWidget& table, ResultMode mode, const ResultContext& results,
                          const TimetableDb& db, const TableView& view) {
    setUpTable(table);
    TableKind kind = tableKindOf(mode);
    addColumns(table, tableHeadings(kind));
    const bool tariff = db.extensions.hasTariff();
    ShownRows shown;
    switch (mode) {
        case ResultMode::Direct:
        case ResultMode::TrainChoice:
        case ResultMode::TransferTrains:
            fillRows(table, mode, kind, results.rows, results.transferLegCount, view, tariff,
                     shown);
            break;
        case ResultMode::StationTrains:
            fillRows(table, mode, kind, results.stationRows, 0, view, tariff, shown);
            break;
        case ResultMode::TrainStops:
            fillStops(table, results, db, shown);
            break;
        case ResultMode::Transfer:
            fillTransferStations(table, results.transferStations, results.transferArrivals,
                                 view.sort);
            break;
        case ResultMode::Journeys:
            for (const std::size_t i :
                 journeyOrder(results.journeys, view.sort.key, view.sort.descending)) {
                std::vector<QString> cells;
                for (int c = 0; c < table.columnCount(); ++c) {
                    cells.push_back(journeyShownCell(results.journeys[i], c, results));
                }
                shown.colours.push_back(RowColours{});
                addRow(table, static_cast<int>(i), cells, shown.colours.back());
            }
            break;
        case ResultMode::JourneyLegs:
            if (const JourneyRow* journey = shownJourney(results)) {
                fillLegs(table, *journey, results.planner.get(), tariff, results.journeyOptions,
                         shown);
            }
            break;
    }
    // A foreign railway's fares: one column, its own price, in place of the four classes.
    const std::vector<int> columns = shownColumns(kind, tariff);
    for (int c = 0; c < table.columnCount(); ++c) {
        table.setColumnHidden(c, std::find(columns.begin(), columns.end(), c) == columns.end());
        if (QTableWidgetItem* heading = table.horizontalHeaderItem(c)) {
            heading->setText(headingText(kind, c, tariff, results));
        }
    }
    table.setProperty("frozenColumns", frozenColumnCount(kind));
    showSort(table, kind, view.sort);
    fitColumns(table);
    // What looks selected is selected: the first row, so that the action key opens it.
    for (int r = 0; r < table.rowCount(); ++r) {
        if (table.item(r, 0)->data(Qt::UserRole).toInt() < 0) continue;  // the legs' separator
        table.selectRow(r);
        break;
    }
    return shown;
}

void fitColumns(QTableWidget& table) {
    QFontMetrics metrics(table.font());
    // The sort arrow stands beside the sorted heading's text: room for it and its margin.
    const QHeaderView* header = table.horizontalHeader();
    const int sorted = header->isSortIndicatorShown() ? header->sortIndicatorSection() : -1;
    const int arrow = table.style()->pixelMetric(QStyle::PM_HeaderMarkSize, nullptr, header) +
                      table.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    for (int c = 0; c < table.columnCount(); ++c) {
        const QTableWidgetItem* heading = table.horizontalHeaderItem(c);
        int widest = heading ? metrics.horizontalAdvance(heading->text()) : 0;
        if (c == sorted) widest += arrow;
        for (int r = 0; r < table.rowCount(); ++r) {
            // A separator's label counts for the first column, which shows it; its text over
            // the other columns sizes none of them.
            if (c > 0 && table.columnSpan(r, c) > 1) continue;
            if (const QTableWidgetItem* item = table.item(r, c)) {
                widest = std::max(widest, metrics.horizontalAdvance(item->text()));
            }
        }
        table.setColumnWidth(c, widest + kColumnPadding);
    }
}

QString dateLineText(ResultMode mode, int date, const std::vector<int>& statuses,
                     const ResultContext& results, int fromMinutes) {
    if (mode == ResultMode::Transfer) return {};  // candidate stations hold no trains
    QString line = localDay(date);
    if (mode == ResultMode::TrainStops) {
        if (!statuses.empty()) {
            line += QStringLiteral("\u3000%1 %2")
                        .arg(toQString(results.trainNumber),
                             toQString(statusMeaning(statuses.front())));
        }
        return plainSpaces(line);
    }
    if (fromMinutes >= 0) {
        line +=
            u'\u3000' + QCoreApplication::translate("zelvan", "%1 起").arg(localClock(fromMinutes));
    }
    const std::u16string legend = markerLegend(statuses);
    if (!legend.empty()) line += QStringLiteral("\u3000\u3000") + toQString(legend);
    return plainSpaces(line);
}

const JourneyRow* shownJourney(const ResultContext& results) {
    const std::size_t i = static_cast<std::size_t>(results.journeyIndex);
    return results.journeyIndex >= 0 && i < results.journeys.size() ? &results.journeys[i]
                                                                    : nullptr;
}

QString questionText(ResultMode mode, const ResultContext& results) {
    // One pass of arg() for all names: a typed name holding "%1" must stay as typed.
    switch (mode) {
        case ResultMode::Direct:
        case ResultMode::Journeys:
            return QCoreApplication::translate("zelvan", "%1至%2")
                .arg(toQString(results.fromName), toQString(results.toName));
        case ResultMode::TrainStops:
            return toQString(results.trainNumber);
        case ResultMode::StationTrains:
            return toQString(results.stationName);
        case ResultMode::Transfer:
            return QCoreApplication::translate("zelvan", "请选择中转站点");
        case ResultMode::TrainChoice:
            return QCoreApplication::translate("zelvan", "请选择车次");
        case ResultMode::TransferTrains:
            return QCoreApplication::translate("zelvan", "%1至%2至%3")
                .arg(toQString(results.fromName), toQString(results.transferName),
                     toQString(results.toName));
        case ResultMode::JourneyLegs: {
            // Where each train is boarded, then where the last one is left.
            const JourneyRow* journey = shownJourney(results);
            if (!journey || journey->legs.empty()) break;
            QStringList stations;
            for (const LegRow& leg : journey->legs) stations << toQString(leg.row.departureStation);
            stations << toQString(journey->legs.back().row.arrivalStation);
            return stations.join(QCoreApplication::translate("zelvan", "至"));
        }
    }
    return QCoreApplication::translate("zelvan", "结果");
}

QString resultCaption(ResultMode mode, const ResultContext& results, const ShownRows* shown) {
    const QString question = questionText(mode, results);
    // The count is the translation's %n, which chooses the English plural.
    const auto trains = [&](int rowCount) {
        const int running = shown ? shown->running : rowCount;
        const int others = shown ? shown->notRunning : 0;
        QString text =
            QCoreApplication::translate("zelvan", "%1：开行 %n 趟", nullptr, running).arg(question);
        if (others > 0) {
            text += QCoreApplication::translate("zelvan", "，另 %n 趟当日不开行", nullptr, others);
        }
        return text;
    };
    const auto count = [](const auto& list) { return static_cast<int>(list.size()); };
    switch (mode) {
        case ResultMode::Direct:
        case ResultMode::TrainChoice:
        case ResultMode::TransferTrains:
            return trains(count(results.rows));
        case ResultMode::StationTrains:
            return trains(count(results.stationRows));
        case ResultMode::TrainStops:
            // The number and a space, as the original titles a train's stops.
            return question + u' ';
        case ResultMode::Transfer:
            return question;
        case ResultMode::Journeys:
            return QCoreApplication::translate("zelvan", "%1：换乘方案 %n 个", nullptr,
                                               count(results.journeys))
                .arg(question);
        case ResultMode::JourneyLegs: {
            const JourneyRow* journey = shownJourney(results);
            if (!journey || journey->legs.empty()) break;
            return QCoreApplication::translate("zelvan", "%1：共 %n 程", nullptr,
                                               count(journey->legs))
                .arg(question);
        }
    }
    return question;
}

}  // namespace zelvan
