#include "ui/station_to_station_dialog.h"

#include <QDateEdit>
#include <QEvent>
#include <QLineEdit>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "db/timetable_db.h"
#include "res/resource_ids.h"
#include "res/texts.h"
#include "ui/app_context.h"
#include "ui/journey_dialog.h"
#include "ui/messages.h"
#include "ui/preferences.h"
#include "ui/qt_text.h"
#include "ui/results_dialog.h"
#include "ui/station_combo.h"

namespace zelvan {
namespace {

const QString kPreferencesGroup = QStringLiteral("stationToStation");

}  // namespace

StationToStationDialog::StationToStationDialog(ResultContext& results, TimetableDb& db,
                                               QWidget* owner)
    : QueryDialog(res::kMenuBarStationToStation, res::kStrStationToStation, results, db, owner) {
    setObjectName(QStringLiteral("stationToStationDialog"));
    from_ = new StationCombo(db, this);
    from_->setProperty("controlId", res::kIdFromStation);
    to_ = new StationCombo(db, this);
    to_->setProperty("controlId", res::kIdToStation);
    // The stations of the last query again.
    const LastQuery last = lastQuery(kPreferencesGroup);
    from_->setEditText(last.from);
    to_->setEditText(last.to);
    addField(res::kLabelFromStation, from_);
    // Between the two fields, the way back: each station into the other's field.
    swap_ = new QToolButton(this);
    swap_->setObjectName(QStringLiteral("swapStations"));
    swap_->setText(QStringLiteral("⇅"));
    swap_->setToolTip(shown(res::kTextSwapStations));
    swap_->setAccessibleName(shown(res::kTextSwapStations));
    body()->insertWidget(body()->count() - 2, swap_, 0, Qt::AlignRight);
    connect(swap_, &QToolButton::clicked, this, [this] {
        const QString from = from_->currentText();
        from_->setEditText(to_->currentText());
        to_->setEditText(from);
    });
    addField(res::kLabelToStation, to_);
    addDayFields(res::kIdTravelDate, true);
    // Tab goes from station to station, then to the day and the time; the swap comes last.
    setTabOrder(from_, to_);
    setTabOrder(to_, travelDate());
    setTabOrder(travelDate(), fromTime());
    setTabOrder(fromTime(), swap_);
    from_->setFocus();
    from_->lineEdit()->selectAll();
}

void StationToStationDialog::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange && swap_) {
        swap_->setToolTip(shown(res::kTextSwapStations));
        swap_->setAccessibleName(shown(res::kTextSwapStations));
    }
    QueryDialog::changeEvent(event);
}

bool StationToStationDialog::command(int id) {
    if (id == res::kCmdJourneys) return runJourneys();
    if (id == res::kCmdFavourite) return addFavourite();
    return QueryDialog::command(id);
}

bool StationToStationDialog::addFavourite() {
    const std::vector<std::u16string> names = takeStations({from_, to_});
    if (names.size() != 2) return false;
    return keepFavourite(this, toQString(db_.folder),
                         {Favourite::Kind::Route, toQString(names[0]), toQString(names[1])});
}

bool StationToStationDialog::takeQuestion() {
    // A name that names no station is said so: "no through train" would not be true.
    const std::vector<std::u16string> names = takeStations({from_, to_});
    if (names.size() != 2) return false;
    const std::u16string& from = names[0];
    const std::u16string& to = names[1];
    // The query itself would list every train at the station with 0 km and no travel time.
    if (from == to) {
        to_->setFocus();
        showNotice(this, shown(res::kCaptionWarning), shown(res::kTextSameStations));
        return false;
    }
    takeDay();
    rememberQuery(kPreferencesGroup, {toQString(from), toQString(to), dateOfKey(db_.queryDate)});
    rememberStations({toQString(from), toQString(to)});
    results_.fromName = from;
    results_.toName = to;
    return true;
}

bool StationToStationDialog::runJourneys() {
    if (!takeQuestion()) return false;
    askJourneys(this, results_, db_, toQString(results_.fromName), toQString(results_.toName),
                travelDate()->date());
    return true;
}

bool StationToStationDialog::runQuery() {
    if (!takeQuestion()) return false;
    const std::u16string& from = results_.fromName;
    const std::u16string& to = results_.toName;
    results_.rows.clear();
    db_.queryStationToStation(from, to, results_.rows);
    if (!results_.rows.empty()) {
        results_.mode = ResultMode::Direct;
        showResults(this, results_, db_, ResultMode::Direct);
        return true;
    }
    // Besides the question of a change, the journeys with changes are one click away.
    const MessageBoxes::Answer answer = askYesNoOr(
        this, shown(res::kCaptionSorry), shown(res::kTextAskTransfer), shown(res::kButtonJourneys));
    if (answer == MessageBoxes::Answer::Other) {
        askJourneys(this, results_, db_, toQString(from), toQString(to), travelDate()->date());
        return true;
    }
    if (answer == MessageBoxes::Answer::No) return true;
    // The candidates are shown for picking even when there are none.
    results_.transferStations.clear();
    db_.queryTransferStations(from, to, results_.transferStations);
    // What each change gives: both legs matched at the journeys' least change time.
    results_.transferArrivals.clear();
    std::vector<ResultRow> legs;
    for (const std::u16string& via : results_.transferStations) {
        legs.clear();
        const int firstLeg = db_.queryTransferTrains(from, via, to, legs);
        results_.transferArrivals.push_back(earliestMatchedArrival(
            legs, static_cast<std::size_t>(std::max(firstLeg, 0)), JourneyOptions{}.changeMinutes));
    }
    results_.mode = ResultMode::Transfer;
    showResults(this, results_, db_, ResultMode::Transfer);
    return true;
}

}  // namespace zelvan
