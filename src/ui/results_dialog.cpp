#include "ui/results_dialog.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include "db/timetable_db.h"
#include "res/resource_ids.h"
#include "res/texts.h"
#include "ui/action_key.h"
#include "ui/app_context.h"
#include "ui/frozen_column.h"
#include "ui/messages.h"
#include "ui/modal.h"
#include "ui/qt_text.h"
#include "ui/results_table.h"
#include "ui/text_message.h"

namespace zelvan {

namespace {

// Home and End go to the first and last row, as in a list; a table would move along the row.
class RowEndKeys final : public QObject {
  public:
    explicit RowEndKeys(QTableWidget* table) : QObject(table), table_(table) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != table_ || event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
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
};

// The views of a station-to-station question offer its journeys in their popup.
bool offersJourneys(ResultMode mode) {
    return mode == ResultMode::Direct || mode == ResultMode::Transfer;
}

}  // namespace

ResultsDialog::ResultsDialog(ResultContext& results, TimetableDb& db, QWidget* owner)
    : SoftKeyDialog(
          offersJourneys(results.mode) ? res::kMenuBarResultsJourneys : res::kMenuBarResults,
          owner),
      results_(results),
      db_(db),
      mode_(results.mode),
      returnMode_(results.returnMode) {
    setObjectName(QStringLiteral("resultsDialog"));
    // The date the answer is for, taken when the view opens: a nested view opened later keeps
    // the date its own rows were found for.
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
    table_ = new QTableWidget(this);
    table_->setObjectName(QStringLiteral("resultsTable"));
    table_->setProperty("controlId", res::kIdResultsList);
    body()->addWidget(table_, 1);
    frozen_ = freezeFirstColumn(*table_);
    const ShownRows shown = fillResultTable(*table_, mode_, results_, db_);
    syncFrozenColumn(*table_, *frozen_);
    dateLine_->setText(dateLineText(mode_, db_.queryDate, shown.statuses, results_));
    dateLine_->setVisible(!dateLine_->text().isEmpty());
    // A train's stops say on which days it runs; the tables of trains what their colours mean.
    legendLine_->setText(toQString(
        mode_ == ResultMode::TrainStops ? shown.runningDays : colourLegend(mode_, shown.colours)));
    legendLine_->setVisible(!legendLine_->text().isEmpty());
    setWindowTitle(resultCaption(mode_, results_));
    // On a desktop a click selects, as in any list; the handheld's tap opened the row at once.
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { openRow(row); });
    connect(table_->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &ResultsDialog::sortByColumn);
    onActionKey(table_, [this](int row) { openRow(row); });
    table_->installEventFilter(new RowEndKeys(table_));
    table_->setFocus();
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
            if (offersJourneys(mode_)) showJourneys(this, results_, db_, mode_);
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

QString ResultsDialog::firstCell(int index) const {
    const QTableWidgetItem* item = table_->item(index, 0);
    return item ? item->text().left(kControlTextLimit) : QString();
}

int ResultsDialog::selectedRow() const {
    const QList<QTableWidgetItem*> selected = table_->selectedItems();
    return selected.isEmpty() ? -1 : selected.first()->row();
}

int ResultsDialog::listIndex(int index) const {
    const QTableWidgetItem* item = table_->item(index, 0);
    return item ? item->data(Qt::UserRole).toInt() : -1;
}

void ResultsDialog::sortByColumn(int column) {
    const TableKind kind = tableKindOf(mode_);
    const SortKey key = columnSortKey(kind, column);
    if (key == SortKey::Listed) return;
    TableSort& sort = results_.sortOf(kind);
    if (sort.key != key) {
        sort = {key, false};
    } else if (!sort.descending) {
        sort.descending = true;
    } else {
        sort = {};
    }
    fillTable();
}

void ResultsDialog::fillTable() {
    const int selected = listIndex(selectedRow());
    fillResultTable(*table_, mode_, results_, db_);
    syncFrozenColumn(*table_, *frozen_);
    for (int r = 0; r < table_->rowCount(); ++r) {
        if (listIndex(r) != selected) continue;
        table_->selectRow(r);
        table_->scrollToItem(table_->item(r, 0));
        break;
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
            // The status marker starts with a space; the number is what stands before it.
            results_.trainNumber = trainNumberFromCell(text);
            if (!results_.trainNumber.empty()) openNested(ResultMode::TrainStops);
            break;
        case ResultMode::TrainStops:
            // A station without trains leaves the list of stops on screen.
            results_.stationName = text;
            results_.stationRows.clear();
            db_.queryStation(text, results_.stationRows);
            if (!results_.stationRows.empty()) openNested(ResultMode::StationTrains);
            break;
        case ResultMode::Transfer:
            results_.transferName = text;
            results_.rows.clear();
            results_.transferLegCount =
                db_.queryTransferTrains(results_.fromName, text, results_.toName, results_.rows);
            openNested(ResultMode::TransferTrains);
            break;
        case ResultMode::TransferTrains:
            break;
        case ResultMode::Journeys:
            results_.journeyIndex = listIndex(index);
            openNested(ResultMode::JourneyLegs);
            break;
        case ResultMode::JourneyLegs:
            // A leg is a train: its stops, and from there the stations' trains.
            results_.trainNumber = trainNumberFromCell(text);
            if (!results_.trainNumber.empty()) openNested(ResultMode::TrainStops);
            break;
    }
}

void ResultsDialog::openNested(ResultMode mode) {
    results_.mode = mode;
    showResults(this, results_, db_, mode_);
}

void ResultsDialog::sendAsMessage() {
    // The day of travel and what + * - and the colours mean travel with the table: on a desktop
    // the message is read away from the view.
    QStringList notes;
    for (const QLabel* line : {dateLine_, legendLine_}) {
        if (!line->text().isEmpty()) notes << line->text();
    }
    zelvan::sendAsMessage(this, *table_, windowTitle(), notes);
}

bool showJourneys(QWidget* owner, ResultContext& results, TimetableDb& db, ResultMode returnMode) {
    // The planner reads the whole timetable once, on the first journey question.
    if (!results.planner || &results.planner->database() != &db) {
        results.planner = std::make_unique<JourneyPlanner>(db);
    }
    results.journeys =
        journeyRows(db, results.planner->plan(results.fromName, results.toName, db.queryDate, {}),
                    db.queryDate);
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
