// "站站查询": the trains from one station to another on a day, from a time on; with none, the
// offer to search for a station to change trains. Its popup also offers the journeys with
// changes ("换乘方案") and keeps the question on the main list ("收藏").
#pragma once

#include "ui/query_dialog.h"

class QToolButton;

namespace zelvan {

class StationCombo;

class StationToStationDialog : public QueryDialog {
    Q_OBJECT

  public:
    StationToStationDialog(ResultContext& results, TimetableDb& db, QWidget* owner);

    StationCombo* fromStation() const { return from_; }
    StationCombo* toStation() const { return to_; }
    // Puts each station in the other's field.
    QToolButton* swapButton() const { return swap_; }

    bool runQuery() override;
    // "换乘方案" in the popup: the journey question between the two stations on the chosen
    // day (JourneyDialog); false (the user told why) when a name names no station.
    bool runJourneys();
    // "收藏": the two stations kept on the main list; false (the user told why) when a field
    // names no station.
    bool addFavourite();
    bool command(int id) override;

  protected:
    void changeEvent(QEvent* event) override;

  private:
    // Reads the two stations and the date into the results and remembers them; false (the
    // user told why) when a name names no station.
    bool takeQuestion();

    StationCombo* from_ = nullptr;
    StationCombo* to_ = nullptr;
    QToolButton* swap_ = nullptr;
};

}  // namespace zelvan
