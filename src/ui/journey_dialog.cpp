#include "ui/journey_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTime>
#include <QTimeEdit>

#include "db/timetable_db.h"
#include "res/resource_ids.h"
#include "res/texts.h"
#include "ui/app_context.h"
#include "ui/locale_formats.h"
#include "ui/messages.h"
#include "ui/modal.h"
#include "ui/qt_text.h"
#include "ui/results_dialog.h"
#include "ui/station_combo.h"
#include "ui/translation.h"

namespace zelvan {

JourneyDialog::JourneyDialog(ResultContext& results, TimetableDb& db, QWidget* owner)
    : QueryDialog(res::kMenuBarJourney, res::kStrJourneys, results, db, owner) {
    setObjectName(QStringLiteral("journeyDialog"));
    from_ = new StationCombo(db, this);
    from_->setProperty("controlId", res::kIdFromStation);
    to_ = new StationCombo(db, this);
    to_->setProperty("controlId", res::kIdToStation);
    // When: the choice and the time side by side.
    auto* when = new QWidget(this);
    auto* row = new QHBoxLayout(when);
    row->setContentsMargins(0, 0, 0, 0);
    mode_ = new QComboBox(when);
    mode_->setProperty("controlId", res::kIdTimeMode);
    mode_->addItems({QString(), QString()});
    time_ = new QTimeEdit(when);
    time_->setProperty("controlId", res::kIdTime);
    row->addWidget(mode_);
    row->addWidget(time_, 1);
    via_ = new StationCombo(db, this);
    via_->setProperty("controlId", res::kIdViaStation);
    viaMinutes_ = new QSpinBox(this);
    viaMinutes_->setProperty("controlId", res::kIdViaMinutes);
    viaMinutes_->setRange(0, kMinutesPerDay - 1);
    changes_ = new QSpinBox(this);
    changes_->setProperty("controlId", res::kIdMaxChanges);
    changes_->setRange(0, kMaxJourneyChanges);
    changes_->setValue(JourneyOptions{}.maxChanges);
    stepFree_ = new QCheckBox(this);
    stepFree_->setProperty("controlId", res::kIdStepFree);
    addField(res::kLabelFromStation, from_);
    addField(res::kLabelToStation, to_);
    addDayFields(res::kIdTravelDate, false);
    addField(res::kLabelJourneyTime, when);
    addField(res::kLabelVia, via_);
    addField(res::kLabelViaMinutes, viaMinutes_);
    addField(res::kLabelMaxChanges, changes_);
    body()->insertWidget(body()->count() - 1, stepFree_);
    // What step-free means here, wrapped to the dialog's width.
    note_ = new QLabel(this);
    note_->setWordWrap(true);
    body()->insertWidget(body()->count() - 1, note_);
    setOwnTexts();
    setQuestion(QString(), QString(), travelDate()->date());
}

void JourneyDialog::setOwnTexts() {
    // The traveller's clock, as the day's other time fields show it.
    time_->setLocale(formatLocale());
    time_->setDisplayFormat(timeFieldFormat());
    mode_->setItemText(0, shown(res::kChoiceLeaveAfter));
    mode_->setItemText(1, shown(res::kChoiceArriveBy));
    stepFree_->setText(shown(res::kLabelStepFree));
    note_->setText(shown(res::kTextStepFreeNote));
}

void JourneyDialog::changeEvent(QEvent* event) {
    QueryDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) setOwnTexts();
}

void JourneyDialog::setQuestion(const QString& from, const QString& to, const QDate& date,
                                ResultMode returnMode) {
    returnMode_ = returnMode;
    from_->setEditText(from);
    to_->setEditText(to);
    if (date.isValid()) travelDate()->setDate(date);
    // Today the journeys from now on; another day from its start.
    const QTime now = QTime::currentTime();
    time_->setTime(travelDate()->date() == timetableToday(db_) ? QTime(now.hour(), now.minute())
                                                               : QTime(0, 0));
    mode_->setCurrentIndex(0);
}

bool JourneyDialog::runQuery() {
    // The two places, then the via station when one is typed.
    const std::vector<std::u16string> names = takeStations({from_, to_});
    if (names.size() != 2) return false;
    if (names[0] == names[1]) {
        to_->setFocus();
        showNotice(this, shown(res::kCaptionWarning), shown(res::kTextSameStations));
        return false;
    }
    std::u16string via;
    if (!controlText(via_->currentText()).empty()) {
        const std::vector<std::u16string> vias = takeStations({via_});
        if (vias.empty()) return false;
        via = vias.front();
    }
    takeDay();
    if (!results_.planner || &results_.planner->database() != &db_) {
        results_.planner = std::make_shared<JourneyPlanner>(db_);
    }
    JourneyOptions options;
    const int minutes = time_->time().hour() * 60 + time_->time().minute();
    if (mode_->currentIndex() == 1) {
        options.arriveByMinutes = minutes;
    } else {
        options.afterMinutes = minutes;
    }
    options.maxChanges = changes_->value();
    options.stepFree = stepFree_->isChecked();
    if (!via.empty()) {
        options.viaStations = results_.planner->placeStations(via);
        options.viaMinutes = viaMinutes_->value();
        for (const std::u16string& end : names) {
            for (int s : results_.planner->placeStations(end)) {
                if (std::find(options.viaStations.begin(), options.viaStations.end(), s) !=
                    options.viaStations.end()) {
                    via_->setFocus();
                    showNotice(this, shown(res::kCaptionWarning),
                               shown(res::kTextViaIsAnEnd) + toQString(via));
                    return false;
                }
            }
        }
    }
    if (options.stepFree && !db_.extensions.saysAccess()) {
        showNotice(this, shown(res::kCaptionWarning), shown(res::kTextNoAccessData));
        return false;
    }
    results_.fromName = names[0];
    results_.toName = names[1];
    results_.journeyOptions = options;
    return showJourneys(this, results_, db_, returnMode_);
}

void askJourneys(QWidget* owner, ResultContext& results, TimetableDb& db, const QString& from,
                 const QString& to, const QDate& date, ResultMode returnMode) {
    JourneyDialog dialog(results, db, owner);
    dialog.setQuestion(from, to, date, returnMode);
    runModal(dialog);
}

}  // namespace zelvan
