#include "ui/station_dialog.h"

#include <QLineEdit>

#include "db/timetable_db.h"
#include "res/resource_ids.h"
#include "res/texts.h"
#include "ui/app_context.h"
#include "ui/messages.h"
#include "ui/preferences.h"
#include "ui/qt_text.h"
#include "ui/results_dialog.h"
#include "ui/station_combo.h"

namespace zelvan {
namespace {

const QString kPreferencesGroup = QStringLiteral("station");

}  // namespace

StationDialog::StationDialog(ResultContext& results, TimetableDb& db, QWidget* owner)
    : QueryDialog(res::kMenuBarStation, res::kStrStation, results, db, owner) {
    setObjectName(QStringLiteral("stationDialog"));
    station_ = new StationCombo(db, this);
    station_->setProperty("controlId", res::kIdStationName);
    const LastQuery last = lastQuery(kPreferencesGroup);
    station_->setEditText(last.from);
    addField(res::kLabelStationName, station_);
    addDayFields(res::kIdStationDate, true);
    station_->setFocus();
    station_->lineEdit()->selectAll();
}

bool StationDialog::command(int id) {
    if (id == res::kCmdFavourite) return addFavourite();
    return QueryDialog::command(id);
}

bool StationDialog::addFavourite() {
    const std::vector<std::u16string> names = takeStations({station_});
    if (names.empty()) return false;
    return keepFavourite(this, toQString(db_.folder),
                         {Favourite::Kind::Station, toQString(names.front()), QString()});
}

bool StationDialog::runQuery() {
    const std::vector<std::u16string> names = takeStations({station_});
    if (names.empty()) return false;
    const std::u16string& name = names.front();
    takeDay();
    rememberQuery(kPreferencesGroup, {toQString(name), QString(), dateOfKey(db_.queryDate)});
    rememberStations({toQString(name)});
    results_.stationRows.clear();
    db_.queryStation(name, results_.stationRows);
    if (results_.stationRows.empty()) {
        showNotice(this, shown(res::kCaptionWarning), shown(res::kTextNothingFound));
        return false;
    }
    results_.mode = ResultMode::StationTrains;
    results_.stationName = name;
    showResults(this, results_, db_, ResultMode::StationTrains);
    return true;
}

}  // namespace zelvan
