// A station field: an editable combo box whose drop-down list offers, while the user types, the
// stations whose short code is the typed text (first, as the handheld did), then those whose
// pinyin, initials or first characters match it, busiest first; and the stations used last when
// the field is empty or the drop-down is opened.
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
    // Looks up suggestions for `typed` (the recent stations for an empty text); with any, they
    // replace the list and the drop-down opens, the typed text staying as it is. Without any,
    // the list is left unchanged.
    void suggestFor(const QString& typed);
    // Replaces the list with `names` and opens the drop-down, the typed text staying as it is
    // (nothing happens for no names); `preselected`, when one of them, is the current entry, so
    // that Enter takes it.
    void offer(const QStringList& names, const QString& preselected = QString());
    // Opens the drop-down with the stations used last (the list as it is when there are none).
    void showPopup() override;

    // At most this many stations found by pinyin or characters are offered.
    static constexpr std::size_t kMaxFound = 30;

  private:
    // Replaces the drop-down's entries with `names`, keeping the field's text and cursor.
    void setEntries(const QStringList& names);

    const TimetableDb& db_;
    QCompleter* suggestions_ = nullptr;
};

}  // namespace zelvan
