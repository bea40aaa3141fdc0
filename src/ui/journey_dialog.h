// "换乘方案": the journey question. The two places and the day come from the station-to-station
// question; the traveller adds when ("出发不早于" a time, or "到达不晚于" one: by default leaving
// from now on today, from midnight on another day), a station to pass through with a least stay
// there, the most changes, and step-free travel. "确定" opens the journeys found.
#pragma once

#include <QDate>
#include <QString>

#include "fare/result_table.h"
#include "journey/journey.h"
#include "ui/query_dialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;
class QTimeEdit;

namespace zelvan {

class StationCombo;

class JourneyDialog : public QueryDialog {
    Q_OBJECT

  public:
    JourneyDialog(ResultContext& results, TimetableDb& db, QWidget* owner);

    // Fills in the places and the day; the time becomes now on today, else midnight. The
    // journeys' view restores `returnMode` when it closes: the mode of the view beneath.
    void setQuestion(const QString& from, const QString& to, const QDate& date,
                     ResultMode returnMode = ResultMode::Journeys);

    StationCombo* fromStation() const { return from_; }
    StationCombo* toStation() const { return to_; }
    QComboBox* timeMode() const { return mode_; }  // 0: leave after, 1: arrive by
    QTimeEdit* time() const { return time_; }
    StationCombo* viaStation() const { return via_; }
    QSpinBox* viaMinutes() const { return viaMinutes_; }
    QSpinBox* maxChanges() const { return changes_; }
    QCheckBox* stepFree() const { return stepFree_; }

    bool runQuery() override;

  protected:
    void changeEvent(QEvent* event) override;

  private:
    // The texts beyond the labels: the time's two meanings, step-free and its note.
    void setOwnTexts();

    StationCombo* from_ = nullptr;
    StationCombo* to_ = nullptr;
    QComboBox* mode_ = nullptr;
    QTimeEdit* time_ = nullptr;
    StationCombo* via_ = nullptr;
    QSpinBox* viaMinutes_ = nullptr;
    QSpinBox* changes_ = nullptr;
    QCheckBox* stepFree_ = nullptr;
    QLabel* note_ = nullptr;
    ResultMode returnMode_ = ResultMode::Journeys;
};

// Opens the journey question over `owner` for `from` -> `to` on `date`; returns when it closes.
// The journeys' view restores `returnMode` (see setQuestion).
void askJourneys(QWidget* owner, ResultContext& results, TimetableDb& db, const QString& from,
                 const QString& to, const QDate& date,
                 ResultMode returnMode = ResultMode::Journeys);

}  // namespace zelvan
