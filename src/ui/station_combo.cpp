#include "ui/station_combo.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QLineEdit>
#include <QSignalBlocker>

#include "db/text.h"
#include "db/timetable_db.h"
#include "ui/preferences.h"
#include "ui/qt_text.h"

namespace zelvan {

StationCombo::StationCombo(const TimetableDb& db, QWidget* parent) : QComboBox(parent), db_(db) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(8);
    // No inline completion: the text in the field is always exactly what the user typed.
    setCompleter(nullptr);
    lineEdit()->setMaxLength(kControlTextLimit);

    // The drop-down opened while typing is a completer popup over the combo's own list: it
    // hands further keystrokes back to the field, so typing goes on while the list is open.
    suggestions_ = new QCompleter(model(), this);
    suggestions_->setWidget(lineEdit());
    suggestions_->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    suggestions_->setMaxVisibleItems(8);
    connect(suggestions_, qOverload<const QString&>(&QCompleter::activated), this,
            [this](const QString& name) {
                int index = findText(name);
                if (index >= 0) setCurrentIndex(index);
                setEditText(name);
            });
    connect(lineEdit(), &QLineEdit::textEdited, this, &StationCombo::suggestFor);
    setEntries(recentStations());
}

void StationCombo::setEntries(const QStringList& names) {
    QLineEdit* edit = lineEdit();
    const QString text = edit->text();
    const int cursor = edit->cursorPosition();
    QSignalBlocker blockCombo(this);
    clear();
    addItems(names);
    setCurrentIndex(-1);
    edit->setText(text);
    edit->setCursorPosition(cursor);
}

void StationCombo::showPopup() {
    const QStringList recent = recentStations();
    if (!recent.isEmpty()) setEntries(recent);
    QComboBox::showPopup();
}

void StationCombo::suggestFor(const QString& typed) {
    QStringList names;
    if (typed.trimmed().isEmpty()) {
        names = recentStations();
    } else {
        // Codes are stored in upper case; the field keeps the user's own spelling.
        std::vector<std::u16string> found;
        db_.suggestStations(upperAscii(controlText(typed)), found);
        for (const std::u16string& name : found) names << toQString(name);
        db_.findStations(controlText(typed), found, kMaxFound);
        for (const std::u16string& name : found) {
            if (!names.contains(toQString(name))) names << toQString(name);
        }
    }
    // The one station the text names, when it names one among others ("San Francisco" beside
    // "So. San Francisco"), stands selected.
    QString named;
    if (!typed.trimmed().isEmpty()) {
        const TypedName resolved = db_.resolveTypedName(controlText(typed));
        if (resolved.kind == TypedNameKind::Unique) named = toQString(resolved.name);
    }
    offer(names, named);
}

void StationCombo::offer(const QStringList& names, const QString& preselected) {
    if (names.isEmpty()) return;
    setEntries(names);
    suggestions_->setCompletionPrefix(QString());
    suggestions_->complete(lineEdit()->rect());
    const int row = preselected.isEmpty() ? -1 : static_cast<int>(names.indexOf(preselected));
    suggestions_->popup()->setCurrentIndex(row >= 0 ? suggestions_->completionModel()->index(row, 0)
                                                    : QModelIndex());
}

}  // namespace zelvan
