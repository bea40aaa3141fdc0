// "车站查询": the trains calling at one station on a day.
#pragma once

#include "ui/query_dialog.h"

namespace zelvan {

class StationCombo;

class StationDialog : public QueryDialog {
    Q_OBJECT

  public:
    StationDialog(ResultContext& results, TimetableDb& db, QWidget* owner);

    StationCombo* stationName() const { return station_; }
    QDateEdit* travelDate() const { return date_; }

    bool runQuery() override;

  private:
    StationCombo* station_ = nullptr;
    QDateEdit* date_ = nullptr;
};

}  // namespace zelvan
