// "站站查询": the trains from one station to another on a day; with none, the offer to search
// for a station to change trains. Its popup also offers the journeys with changes ("换乘方案").
#pragma once

#include "ui/query_dialog.h"

namespace zelvan {

class StationCombo;

class StationToStationDialog : public QueryDialog {
    Q_OBJECT

  public:
    StationToStationDialog(ResultContext& results, TimetableDb& db, QWidget* owner);

    StationCombo* fromStation() const { return from_; }
    StationCombo* toStation() const { return to_; }
    QDateEdit* travelDate() const { return date_; }

    bool runQuery() override;
    // "换乘方案" in the popup: the journey question between the two stations on the chosen
    // day (JourneyDialog); false (the user told why) when a name names no station.
    bool runJourneys();
    bool command(int id) override;

  private:
    // Reads the two stations and the date into the results and remembers them; false (the
    // user told why) when a name names no station.
    bool takeQuestion();

    StationCombo* from_ = nullptr;
    StationCombo* to_ = nullptr;
    QDateEdit* date_ = nullptr;
};

}  // namespace zelvan
