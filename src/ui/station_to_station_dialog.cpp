#include "ui/station_to_station_dialog.h"

#include <QDateEdit>
#include <QLineEdit>
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
    : QueryDialog(res::kMenuBarStationToStation, resourceText(res::kStrStationToStation), results,
                  db, owner) {
    setObjectName(QStringLiteral("stationToStationDialog"));
    from_ = new StationCombo(db, this);
    from_->setProperty("controlId", res::kIdFromStation);
    to_ = new StationCombo(db, this);
    to_->setProperty("controlId", res::kIdToStation);
    // The stations and the day of the last query again.
    const LastQuery last = lastQuery(kPreferencesGroup);
    from_->setEditText(last.from);
    to_->setEditText(last.to);
    date_ = newDatePicker(res::kIdTravelDate, openingDate(lastTravelDay()));
    addField(shown(res::kLabelFromStation), from_);
    addField(shown(res::kLabelToStation), to_);
    addField(shown(res::kLabelTravelDate), date_);
    from_->setFocus();
    from_->lineEdit()->selectAll();
}

bool StationToStationDialog::command(int id) {
    if (id == res::kCmdJourneys) return runJourneys();
    return QueryDialog::command(id);
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
    rememberQuery(kPreferencesGroup, {toQString(from), toQString(to), date_->date()});
    rememberStations({toQString(from), toQString(to)});
    db_.queryDate = dateKeyOf(date_->date());
    results_.fromName = from;
    results_.toName = to;
    return true;
}

bool StationToStationDialog::runJourneys() {
    if (!takeQuestion()) return false;
    askJourneys(this, results_, db_, toQString(results_.fromName), toQString(results_.toName),
                date_->date());
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
        askJourneys(this, results_, db_, toQString(from), toQString(to), date_->date());
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
