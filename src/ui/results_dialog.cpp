#include "ui/results_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QRegularExpression>
#include <QSaveFile>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "db/timetable_db.h"
#include "fare/day_rows.h"
#include "journey/calendar_export.h"
#include "res/resource_ids.h"
#include "res/texts.h"
#include "ui/action_key.h"
#include "ui/app_context.h"
#include "ui/frozen_column.h"
#include "ui/journey_dialog.h"
#include "ui/links.h"
#include "ui/locale_formats.h"
#include "ui/messages.h"
#include "ui/modal.h"
#include "ui/preferences.h"
#include "ui/qt_text.h"
#include "ui/results_table.h"
#include "ui/text_message.h"

namespace zelvan {

namespace {

// Home and End go to the first and last row, as in a list; a table would move along the row.
// Ctrl+C copies the rows chosen (a table would copy one cell).
class TableKeys final : public QObject {
  public:
    TableKeys(QTableWidget* table, const ResultsDialog* view)
        : QObject(table), table_(table), view_(view) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != table_) return false;
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride) {
            return false;
        }
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Copy)) {
            // Taken before any shortcut; then the key press itself copies.
            event->accept();
            if (event->type() == QEvent::KeyPress) view_->copyChosenRows();
            return true;
        }
        if (event->type() != QEvent::KeyPress) return false;
        if (key->key() != Qt::Key_Home && key->key() != Qt::Key_End) return false;
        const bool home = key->key() == Qt::Key_Home;
        const int count = table_->rowCount();
        for (int i = 0; i < count; ++i) {
            const int row = home ? i : count - 1 - i;
            // The legs' separator takes no selection.
            if (!(table_->item(row, 0)->flags() & Qt::ItemIsSelectable)) continue;
            table_->selectRow(row);
            table_->scrollToItem(table_->item(row, 0));
            break;
        }
        return true;
    }

  private:
    QTableWidget* table_;
    const ResultsDialog* view_;
};

// The views of a station-to-station question offer its journeys in their popup.
bool offersJourneys(ResultMode mode) {
    return mode == ResultMode::Direct || mode == ResultMode::Transfer;
}

bool isTrainTable(ResultMode mode) {
    return mode == ResultMode::Direct || mode == ResultMode::StationTrains ||
           mode == ResultMode::TrainChoice || mode == ResultMode::TransferTrains;
}

// The views whose rows are rides, which "加入日历" puts in the traveller's calendar: a train
// between two stations, a journey, or a journey's legs.
bool holdsRides(ResultMode mode) {
    switch (mode) {
        case ResultMode::Direct:
        case ResultMode::StationTrains:
        case ResultMode::TrainChoice:
        case ResultMode::TransferTrains:
        case ResultMode::Journeys:
        case ResultMode::JourneyLegs:
            return true;
        case ResultMode::TrainStops:
        case ResultMode::Transfer:
            break;
    }
    return false;
}

int menuBarOf(ResultMode mode) {
    if (offersJourneys(mode)) {
        return holdsRides(mode) ? res::kMenuBarResultsJourneysCalendar
                                : res::kMenuBarResultsJourneys;
    }
    return holdsRides(mode) ? res::kMenuBarResultsCalendar : res::kMenuBarResults;
}

}  // namespace

ResultsDialog::ResultsDialog(ResultContext& results, TimetableDb& db, QWidget* owner)
    : SoftKeyDialog(menuBarOf(results.mode), owner),
      results_(results),
      db_(db),
      mode_(results.mode),
      returnMode_(results.returnMode),
      // The date the answer is for, taken when the view opens: a nested view opened later
      // keeps the date its own rows were found for.
      date_(db.queryDate),
      fromMinutes_(mode_ == ResultMode::Direct || mode_ == ResultMode::StationTrains
                       ? results.fromMinutes
                       : -1),
      data_(results) {
    setObjectName(QStringLiteral("resultsDialog"));
    view_.sort = defaultSort(mode_);
    view_.notRunning = showsNotRunning();
    captionLine_ = new QLabel(this);
    captionLine_->setObjectName(QStringLiteral("captionLine"));
    captionLine_->setWordWrap(true);
    captionLine_->setContentsMargins(6, 3, 6, 0);
    QFont bold = captionLine_->font();
    bold.setBold(true);
    captionLine_->setFont(bold);
    body()->addWidget(captionLine_);
    dateLine_ = new QLabel(this);
    dateLine_->setObjectName(QStringLiteral("dateLine"));
    dateLine_->setWordWrap(true);
    dateLine_->setContentsMargins(6, 3, 6, 3);
    body()->addWidget(dateLine_);
    legendLine_ = new QLabel(this);
    legendLine_->setObjectName(QStringLiteral("legendLine"));
    legendLine_->setWordWrap(true);
    legendLine_->setContentsMargins(6, 0, 6, 3);
    body()->addWidget(legendLine_);
    notRunningSwitch_ = new QCheckBox(this);
    notRunningSwitch_->setObjectName(QStringLiteral("notRunningSwitch"));
    notRunningSwitch_->setContentsMargins(6, 0, 6, 3);
    notRunningSwitch_->setFocusPolicy(Qt::TabFocus);
    body()->addWidget(notRunningSwitch_);
    table_ = new QTableWidget(this);
    table_->setObjectName(QStringLiteral("resultsTable"));
    table_->setProperty("controlId", res::kIdResultsList);
    body()->addWidget(table_, 1);
    frozen_ = freezeFirstColumn(*table_);
    shown_ = fillResultTable(*table_, mode_, data_, db_, view_);
    syncFrozenColumn(*table_, *frozen_);
    setTexts();
    scrollToFromTime();
    connect(notRunningSwitch_, &QCheckBox::toggled, this, &ResultsDialog::showNotRunning);
    // On a desktop a click selects, as in any list; the handheld's tap opened the row at once.
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { openRow(row); });
    connect(table_->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &ResultsDialog::sortByColumn);
    onActionKey(table_, [this](int row) { openRow(row); });
    table_->installEventFilter(new TableKeys(table_, this));
    table_->setFocus();
}

void ResultsDialog::setTexts() {
    dateLine_->setText(dateLineText(mode_, date_, shown_.statuses, data_, fromMinutes_));
    dateLine_->setVisible(!dateLine_->text().isEmpty());
    // A train's stops say on which days it runs; the tables of trains what their colours mean.
    legendLine_->setText(plainSpaces(toQString(mode_ == ResultMode::TrainStops
                                                   ? shown_.runningDays
                                                   : colourLegend(mode_, shown_.colours))));
    legendLine_->setVisible(!legendLine_->text().isEmpty());
    {
        const QSignalBlocker quiet(notRunningSwitch_);
        notRunningSwitch_->setText(QCoreApplication::translate(
            "zelvan", "同时显示当日不开行的 %n 趟", nullptr, shown_.notRunning));
        notRunningSwitch_->setChecked(view_.notRunning);
    }
    // Where no train runs that day, the others are shown anyway: there is nothing to switch.
    notRunningSwitch_->setVisible(isTrainTable(mode_) && shown_.notRunning > 0 &&
                                  shown_.running > 0);
    setWindowTitle(resultCaption(mode_, data_, &shown_));
    // A list's question and counts, which a title bar may cut; a train's number is short.
    captionLine_->setText(windowTitle());
    captionLine_->setVisible(mode_ != ResultMode::TrainStops && mode_ != ResultMode::Transfer);
}

bool ResultsDialog::command(int id) {
    switch (id) {
        case res::kCmdOk:
        case res::kCmdLeftKey:
            openRow(selectedRow());
            return false;
        case res::kCmdCancel:
        case res::kCmdAbort:
        case res::kCmdResultsBack:
            finish(id);
            return true;
        case res::kCmdSendMessage:
            sendAsMessage();
            return false;
        case res::kCmdJourneys:
            if (offersJourneys(mode_)) {
                askJourneys(this, results_, db_, toQString(results_.fromName),
                            toQString(results_.toName), dateOfKey(db_.queryDate), mode_);
            }
            return false;
        case res::kCmdAddToCalendar:
            if (holdsRides(mode_)) addToCalendar(selectedRow());
            return false;
        default:
            return false;
    }
}

int ResultsDialog::escapeCommand() const {
    return res::kCmdResultsBack;
}

void ResultsDialog::finish(int result) {
    // The view beneath draws and answers choices in its own mode again.
    results_.mode = returnMode_;
    done(result);
}

void ResultsDialog::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange && table_) {
        // The same rows in the new language, where the reader was.
        const int at = table_->verticalScrollBar()->value();
        fillTable();
        table_->verticalScrollBar()->setValue(at);
    }
    SoftKeyDialog::changeEvent(event);
}

QString ResultsDialog::firstCell(int index) const {
    const QTableWidgetItem* item = table_->item(index, 0);
    return item ? item->text().left(kControlTextLimit) : QString();
}

int ResultsDialog::selectedRow() const {
    // The first row chosen, as the table shows them.
    const std::vector<int> chosen = chosenRows();
    return chosen.empty() ? -1 : chosen.front();
}

std::vector<int> ResultsDialog::chosenRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

int ResultsDialog::listIndex(int index) const {
    const QTableWidgetItem* item = table_->item(index, 0);
    return item ? item->data(Qt::UserRole).toInt() : -1;
}

const ResultRow* ResultsDialog::rowAt(int index) const {
    const int i = listIndex(index);
    const std::vector<ResultRow>* list = nullptr;
    switch (mode_) {
        case ResultMode::Direct:
        case ResultMode::TrainChoice:
        case ResultMode::TransferTrains:
            list = &data_.rows;
            break;
        case ResultMode::StationTrains:
            list = &data_.stationRows;
            break;
        default:
            return nullptr;
    }
    return i >= 0 && static_cast<std::size_t>(i) < list->size()
               ? &(*list)[static_cast<std::size_t>(i)]
               : nullptr;
}

void ResultsDialog::sortByColumn(int column) {
    const TableKind kind = tableKindOf(mode_);
    const SortKey key = columnSortKey(kind, column);
    if (key == SortKey::Listed) return;
    TableSort& sort = view_.sort;
    if (sort.key != key) {
        sort = {key, false};
    } else if (!sort.descending) {
        sort.descending = true;
    } else {
        sort = {};  // the order the query found them in, the original's
    }
    fillTable();
}

void ResultsDialog::showNotRunning(bool show) {
    if (view_.notRunning == show) return;
    view_.notRunning = show;
    rememberShowNotRunning(show);
    fillTable();
}

void ResultsDialog::fillTable() {
    const int selected = listIndex(selectedRow());
    shown_ = fillResultTable(*table_, mode_, data_, db_, view_);
    syncFrozenColumn(*table_, *frozen_);
    setTexts();
    for (int r = 0; r < table_->rowCount(); ++r) {
        if (listIndex(r) != selected) continue;
        table_->selectRow(r);
        table_->scrollToItem(table_->item(r, 0));
        break;
    }
}

void ResultsDialog::scrollToFromTime() {
    if (fromMinutes_ < 0) return;
    // The first train running from that time on; none left that day: the list's start.
    for (int r = 0; r < table_->rowCount(); ++r) {
        const ResultRow* row = rowAt(r);
        if (!row || row->status != static_cast<int>(RunStatus::Running) ||
            firstTimeMinutes(*row) < fromMinutes_) {
            continue;
        }
        table_->selectRow(r);
        table_->scrollToItem(table_->item(r, 0), QAbstractItemView::PositionAtTop);
        return;
    }
}

void ResultsDialog::openRow(int index) {
    // A row between legs (-1) stands for no train.
    if (index < 0 || index >= table_->rowCount() || listIndex(index) < 0) return;
    std::u16string text = toU16(firstCell(index));
    switch (mode_) {
        case ResultMode::Direct:
        case ResultMode::StationTrains:
        case ResultMode::TrainChoice:
            // The row's own run: several runs may be shown under one number.
            if (const ResultRow* row = rowAt(index)) {
                results_.trainNumber = row->trainName;
                results_.trainIndex = row->trainIndex;
            } else {
                // The status marker starts with a space; the number is what stands before it.
                results_.trainNumber = trainNumberFromCell(text);
                results_.trainIndex = -1;
            }
            if (!results_.trainNumber.empty()) openNested(ResultMode::TrainStops);
            break;
        case ResultMode::TrainStops: {
            // The stop's station (its cell may carry a platform), shown from the time the
            // train leaves there. A station without trains leaves the list of stops on screen.
            const std::size_t i = static_cast<std::size_t>(listIndex(index));
            const int station = i < shown_.stopStations.size() ? shown_.stopStations[i] : -1;
            const std::u16string name = station >= 0 ? db_.stationNameByIndex(station) : text;
            results_.stationName = name;
            results_.stationRows.clear();
            results_.fromMinutes = i < shown_.stopMinutes.size() ? shown_.stopMinutes[i] : -1;
            db_.queryStation(name, results_.stationRows);
            if (!results_.stationRows.empty()) openNested(ResultMode::StationTrains);
            break;
        }
        case ResultMode::Transfer:
            results_.transferName = text;
            results_.rows.clear();
            results_.transferLegCount =
                db_.queryTransferTrains(data_.fromName, text, data_.toName, results_.rows);
            results_.fromName = data_.fromName;
            results_.toName = data_.toName;
            openNested(ResultMode::TransferTrains);
            break;
        case ResultMode::TransferTrains:
            break;
        case ResultMode::Journeys:
            results_.journeyIndex = listIndex(index);
            results_.journeys = data_.journeys;
            openNested(ResultMode::JourneyLegs);
            break;
        case ResultMode::JourneyLegs: {
            // A leg is a train: its stops, and from there the stations' trains.
            const JourneyRow* journey = shownJourney(data_);
            const std::size_t leg = static_cast<std::size_t>(listIndex(index));
            if (!journey || leg >= journey->legs.size()) break;
            results_.trainNumber = journey->legs[leg].row.trainName;
            results_.trainIndex = journey->legs[leg].leg.train;
            if (!results_.trainNumber.empty()) openNested(ResultMode::TrainStops);
            break;
        }
    }
}

void ResultsDialog::openNested(ResultMode mode) {
    results_.mode = mode;
    showResults(this, results_, db_, mode_);
}

QString ResultsDialog::sharedText(bool chosenOnly) const {
    std::vector<int> rows = chosenRows();
    if (!chosenOnly && rows.size() < 2) {
        rows.clear();
        // A station's message: the next trains from the time asked for, not the whole day.
        const bool next = mode_ == ResultMode::StationTrains;
        int trains = 0;
        for (int r = 0; r < table_->rowCount(); ++r) {
            if (next) {
                const ResultRow* row = rowAt(r);
                if (!row || row->status != static_cast<int>(RunStatus::Running) ||
                    firstTimeMinutes(*row) < fromMinutes_) {
                    continue;
                }
                if (++trains > kMessageTrains) break;
            }
            rows.push_back(r);
        }
    }
    // The day, and what the markers of the rows shared mean (none when all of them run).
    QStringList head{questionText(mode_, data_)};
    std::vector<int> statuses;
    for (const int r : rows) {
        if (const ResultRow* row = rowAt(r)) statuses.push_back(row->status);
    }
    if (mode_ == ResultMode::TrainStops) statuses = shown_.statuses;
    const QString day = dateLineText(mode_, date_, statuses, data_, fromMinutes_);
    if (!day.isEmpty()) head << day;
    return plainSpaces(sharedTableText(*table_, head, rows));
}

void ResultsDialog::sendAsMessage() {
    zelvan::sendAsMessage(this, sharedText(false), windowTitle());
}

void ResultsDialog::copyChosenRows() const {
    QApplication::clipboard()->setText(sharedText(true));
}

void ResultsDialog::addToCalendar(int index) {
    // A row between legs (-1) stands for no ride.
    const int item = index < 0 || index >= table_->rowCount() ? -1 : listIndex(index);
    std::vector<CalendarRide> rides;
    QString name;  // the file's name: the day and the first train
    const auto rowAt = [&](const std::vector<ResultRow>& rows) {
        if (item >= 0 && static_cast<std::size_t>(item) < rows.size()) {
            const ResultRow& row = rows[static_cast<std::size_t>(item)];
            // A train that ends at the station asked about is no ride from there.
            if (!row.endsHere) rides.push_back(rowRide(db_, row, db_.queryDate));
        }
    };
    switch (mode_) {
        case ResultMode::Direct:
        case ResultMode::TrainChoice:
        case ResultMode::TransferTrains:
            rowAt(results_.rows);
            break;
        case ResultMode::StationTrains:
            rowAt(results_.stationRows);
            break;
        case ResultMode::Journeys:
        case ResultMode::JourneyLegs: {
            // A journey's legs all go in: the journey is one booking.
            const int journey = mode_ == ResultMode::Journeys ? item : results_.journeyIndex;
            if (journey >= 0 && static_cast<std::size_t>(journey) < results_.journeys.size() &&
                results_.planner) {
                rides = journeyRides(db_, results_.journeys[static_cast<std::size_t>(journey)],
                                     *results_.planner, results_.journeyOptions);
            }
            break;
        }
        case ResultMode::TrainStops:
        case ResultMode::Transfer:
            break;
    }
    if (rides.empty()) {
        showNotice(this, shown(res::kCaptionWarning), shown(res::kTextSelectRecord));
        return;
    }
    std::string text;
    std::string error;
    // The download folder, made when the desktop names one that does not exist yet; else home.
    QString folder = results_.calendarFolder;
    if (folder.isEmpty()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    }
    if (folder.isEmpty() || !QDir().mkpath(folder)) folder = QDir::homePath();
    const CalendarRide& first = rides.front();
    // The day and the train, in characters every file system takes.
    QString train = toQString(first.train);
    train.replace(QRegularExpression(QStringLiteral("[^0-9A-Za-z_-]")), QStringLiteral("_"));
    const QString file = QDir(folder).filePath(
        QStringLiteral("zelvan-%1-%2.ics").arg(first.departureDate).arg(train));
    if (calendarOf(db_, rides, text, error)) {
        QSaveFile out(file);
        if (out.open(QIODevice::WriteOnly)) {
            out.write(text.data(), static_cast<qint64>(text.size()));
            if (out.commit())
                error.clear();
            else
                error = out.errorString().toStdString();
        } else {
            error = out.errorString().toStdString();
        }
    }
    if (!error.empty()) {
        showNotice(this, shown(res::kCaptionError),
                   shown(res::kTextCalendarFailed).arg(file, QString::fromStdString(error)));
        return;
    }
    // The desktop opens a .ics with its calendar (xdg-open, through the link opener).
    if (askYesNo(this, shown(res::kCaptionInfo), shown(res::kTextCalendarSaved).arg(file))) {
        // A desktop without a calendar for it: the file's name, to copy.
        if (!openUrl(QUrl::fromLocalFile(file))) showCopyable(this, shown(res::kCaptionInfo), file);
    }
}

bool showJourneys(QWidget* owner, ResultContext& results, TimetableDb& db, ResultMode returnMode) {
    // The planner reads the whole timetable once, on the first journey question.
    if (!results.planner || &results.planner->database() != &db) {
        results.planner = std::make_shared<JourneyPlanner>(db);
    }
    results.journeys = journeyRows(db,
                                   results.planner->plan(results.fromName, results.toName,
                                                         db.queryDate, results.journeyOptions),
                                   db.queryDate);
    // Arriving by a time, the latest departure is the answer asked for: it comes first.
    if (results.journeyOptions.arriveByMinutes != kNoArriveBy) {
        std::reverse(results.journeys.begin(), results.journeys.end());
    }
    if (results.journeys.empty()) {
        showNotice(owner, shown(res::kCaptionWarning), shown(res::kTextNothingFound));
        return false;
    }
    results.journeyIndex = 0;
    results.mode = ResultMode::Journeys;
    showResults(owner, results, db, returnMode);
    return true;
}

int showResults(QWidget* owner, ResultContext& results, TimetableDb& db, ResultMode returnMode) {
    results.returnMode = returnMode;
    ResultsDialog dialog(results, db, owner);
    return runModal(dialog);
}

}  // namespace zelvan
