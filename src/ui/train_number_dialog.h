// "车次查询": the trains whose number contains the typed text. One match opens its stops at
// once; several are offered for choosing, the day's runs first, by their times.
#pragma once

#include "ui/query_dialog.h"

class QLineEdit;

namespace zelvan {

class TrainNumberDialog : public QueryDialog {
    Q_OBJECT

  public:
    TrainNumberDialog(ResultContext& results, TimetableDb& db, QWidget* owner);

    QLineEdit* trainNumber() const { return number_; }

    bool runQuery() override;

  private:
    QLineEdit* number_ = nullptr;
};

}  // namespace zelvan
