#include "ui/train_number_dialog.h"

#include <QLineEdit>

#include "db/text.h"
#include "db/timetable_db.h"
#include "res/resource_ids.h"
#include "res/texts.h"
#include "ui/app_context.h"
#include "ui/messages.h"
#include "ui/qt_text.h"
#include "ui/results_dialog.h"

namespace zelvan {

TrainNumberDialog::TrainNumberDialog(ResultContext& results, TimetableDb& db, QWidget* owner)
    : QueryDialog(res::kMenuBarTrainNumber, res::kStrTrainNumber, results, db, owner) {
    setObjectName(QStringLiteral("trainNumberDialog"));
    number_ = new QLineEdit(this);
    number_->setProperty("controlId", res::kIdTrainNumber);
    number_->setMaxLength(kControlTextLimit);
    addField(res::kLabelTrainNumber, number_);
    // The statuses are for the day of travel, shown and open to change here rather than taken
    // silently from another dialog.
    addDayFields(res::kIdTrainDate, false);
    number_->setFocus();
}

bool TrainNumberDialog::runQuery() {
    // Train numbers are stored in upper case; the field keeps what the user typed.
    const std::u16string number = upperAscii(controlText(number_->text()));
    takeDay();
    results_.trainRows.clear();
    db_.queryTrainNumber(number, results_.trainRows);
    if (results_.trainRows.empty()) {
        showNotice(this, shown(res::kCaptionWarning), shown(res::kTextNothingFound));
        return false;
    }
    if (results_.trainRows.size() == 1) {
        results_.trainNumber = results_.trainRows.front().trainName;
        results_.trainIndex = results_.trainRows.front().trainIndex;
        results_.mode = ResultMode::TrainStops;
    } else {
        results_.mode = ResultMode::TrainChoice;
        results_.rows = results_.trainRows;
    }
    showResults(this, results_, db_, results_.mode);
    return true;
}

}  // namespace zelvan
