#include "ui/results_table.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QStringList>
#include <QTableWidget>
#include <algorithm>

#include "db/timetable_db.h"
#include "ui/app_context.h"
#include "ui/qt_text.h"

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
    table.setSelectionMode(QAbstractItemView::SingleSelection);
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
        auto* item = new QTableWidgetItem(toQString(headings[c]));
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

std::vector<int> fillRows(QTableWidget& table, ResultMode mode, TableKind kind,
                          const std::vector<ResultRow>& rows, int transferLegCount) {
    const int columns = table.columnCount();
    std::vector<int> statuses;
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        statuses.push_back(rows[i].status);
        std::vector<QString> cells;
        for (int c = 0; c < columns; ++c) cells.push_back(toQString(rowCell(kind, rows[i], c)));
        addRow(table, i, cells, rowColours(mode, rows, i, transferLegCount));
    }
    return statuses;
}

std::vector<int> fillStops(QTableWidget& table, const std::u16string& trainNumber,
                           const TimetableDb& db) {
    int train = db.findTrainRun(trainNumber);
    if (train < 0) return {};
    TrainRecord record;
    db.decodeTrain(train, record);
    const int count = static_cast<int>(record.stops.size());
    const std::vector<StopDays> days = stopDays(record.stops);
    for (int i = 0; i < count; ++i) {
        std::vector<QString> cells;
        for (int c = 0; c < table.columnCount(); ++c) {
            cells.push_back(toQString(
                stopTableCell(db, record.stops, days, static_cast<std::size_t>(i), c, train)));
        }
        addRow(table, i, cells, RowColours{});
    }
    return {static_cast<int>(record.status)};
}

// Rows of `items` whose cells `cell` gives, blue on white.
template <class Item, class Cell>
void fillItems(QTableWidget& table, const std::vector<Item>& items, Cell cell) {
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        std::vector<QString> cells;
        for (int c = 0; c < table.columnCount(); ++c) {
            cells.push_back(toQString(cell(items[static_cast<std::size_t>(i)], c)));
        }
        addRow(table, i, cells, RowColours{});
    }
}

void fillTransferStations(QTableWidget& table, const std::vector<std::u16string>& stations) {
    for (int i = 0; i < static_cast<int>(stations.size()); ++i) {
        addRow(table, i, {toQString(stations[i])}, RowColours{});
    }
}

}  // namespace

std::vector<int> fillResultTable(QTableWidget& table, ResultMode mode, const ResultContext& results,
                                 const TimetableDb& db) {
    setUpTable(table);
    TableKind kind = tableKindOf(mode);
    addColumns(table, tableHeadings(kind));
    std::vector<int> statuses;
    switch (mode) {
        case ResultMode::Direct:
        case ResultMode::TrainChoice:
        case ResultMode::TransferTrains:
            statuses = fillRows(table, mode, kind, results.rows, results.transferLegCount);
            break;
        case ResultMode::StationTrains:
            statuses = fillRows(table, mode, kind, results.stationRows, results.transferLegCount);
            break;
        case ResultMode::TrainStops:
            statuses = fillStops(table, results.trainNumber, db);
            break;
        case ResultMode::Transfer:
            fillTransferStations(table, results.transferStations);
            break;
        case ResultMode::Journeys:
            fillItems(table, results.journeys, journeyCell);
            break;
        case ResultMode::JourneyLegs:
            if (const JourneyRow* journey = shownJourney(results)) {
                fillItems(table, journey->legs, legCell);
            }
            break;
    }
    fitColumns(table);
    // What looks selected is selected: the first row, so that the action key opens it.
    if (table.rowCount() > 0) table.selectRow(0);
    return statuses;
}

void fitColumns(QTableWidget& table) {
    QFontMetrics metrics(table.font());
    for (int c = 0; c < table.columnCount(); ++c) {
        const QTableWidgetItem* heading = table.horizontalHeaderItem(c);
        int widest = heading ? metrics.horizontalAdvance(heading->text()) : 0;
        for (int r = 0; r < table.rowCount(); ++r) {
            if (const QTableWidgetItem* item = table.item(r, c)) {
                widest = std::max(widest, metrics.horizontalAdvance(item->text()));
            }
        }
        table.setColumnWidth(c, widest + kColumnPadding);
    }
}

QString dateLineText(ResultMode mode, int date, const std::vector<int>& statuses,
                     const ResultContext& results) {
    if (mode == ResultMode::Transfer) return {};  // candidate stations hold no trains
    QString line = toQString(travelDateText(date));
    if (mode == ResultMode::TrainStops) {
        if (!statuses.empty()) {
            line += QStringLiteral("\u3000%1 %2")
                        .arg(toQString(results.trainNumber),
                             toQString(statusMeaning(statuses.front())));
        }
        return line;
    }
    const std::u16string legend = markerLegend(statuses);
    if (!legend.empty()) line += QStringLiteral("\u3000\u3000") + toQString(legend);
    return line;
}

const JourneyRow* shownJourney(const ResultContext& results) {
    const std::size_t i = static_cast<std::size_t>(results.journeyIndex);
    return results.journeyIndex >= 0 && i < results.journeys.size() ? &results.journeys[i]
                                                                    : nullptr;
}

QString resultCaption(ResultMode mode, const ResultContext& results) {
    // One pass of arg() for all values: a typed name holding "%1" must stay as typed.
    auto count = [](const std::vector<ResultRow>& rows) { return QString::number(rows.size()); };
    switch (mode) {
        case ResultMode::Direct:
            return QStringLiteral("%1 至 %2 ,结果 %3")
                .arg(toQString(results.fromName), toQString(results.toName), count(results.rows));
        case ResultMode::TrainStops:
            return toQString(results.trainNumber) + u' ';
        case ResultMode::StationTrains:
            return QStringLiteral("%1 ,结果%2")
                .arg(toQString(results.stationName), count(results.stationRows));
        case ResultMode::Transfer:
            return QStringLiteral("请选择中转站点");
        case ResultMode::TrainChoice:
            return QStringLiteral("请选择车次");
        case ResultMode::TransferTrains:
            return QStringLiteral("%1 至 %2 至 %3 ,结果%4")
                .arg(toQString(results.fromName), toQString(results.transferName),
                     toQString(results.toName), count(results.rows));
        case ResultMode::Journeys:
            return QStringLiteral("%1 至 %2 ,换乘方案 %3")
                .arg(toQString(results.fromName), toQString(results.toName),
                     QString::number(results.journeys.size()));
        case ResultMode::JourneyLegs: {
            // Where each train is boarded, then where the last one is left.
            const JourneyRow* journey = shownJourney(results);
            if (!journey || journey->legs.empty()) break;
            QStringList stations;
            for (const LegRow& leg : journey->legs) stations << toQString(leg.row.departureStation);
            stations << toQString(journey->legs.back().row.arrivalStation);
            return stations.join(QStringLiteral(" 至 ")) +
                   QStringLiteral(" ,结果%1").arg(journey->legs.size());
        }
    }
    return QStringLiteral("结果");
}

}  // namespace zelvan
