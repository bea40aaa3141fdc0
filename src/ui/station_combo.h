// A station field: an editable combo box whose drop-down list offers the stations whose short
// code matches what the user types, busiest station first.
#pragma once

#include <QComboBox>

class QCompleter;

namespace zelvan {

class TimetableDb;

class StationCombo : public QComboBox {
    Q_OBJECT

  public:
    StationCombo(const TimetableDb& db, QWidget* parent);

    // The suggestion drop-down that opens while the user types.
    QCompleter* suggestions() const { return suggestions_; }
    // Looks up suggestions for `typed`; with any, they replace the list and the drop-down
    // opens, the typed text staying as it is. Without any, the list is left unchanged.
    void suggestFor(const QString& typed);

  private:
    const TimetableDb& db_;
    QCompleter* suggestions_ = nullptr;
};

}  // namespace zelvan
