// "车站查询": the trains calling at one station on a day, from a time on.
#pragma once

#include "ui/query_dialog.h"

namespace zelvan {

class StationCombo;

class StationDialog : public QueryDialog {
    Q_OBJECT

  public:
    StationDialog(ResultContext& results, TimetableDb& db, QWidget* owner);

    StationCombo* stationName() const { return station_; }

    bool runQuery() override;
    // "收藏": the station's trains kept on the main list; false (the user told why) when the
    // field names no station.
    bool addFavourite();
    bool command(int id) override;

  private:
    StationCombo* station_ = nullptr;
};

}  // namespace zelvan
