#include "ui/station_combo.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QLineEdit>
#include <QSignalBlocker>

#include "db/text.h"
#include "db/timetable_db.h"
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
}

void StationCombo::suggestFor(const QString& typed) {
    // Codes are stored in upper case; the field keeps the user's own spelling.
    std::vector<std::u16string> names;
    db_.suggestStations(upperAscii(controlText(typed)), names);
    if (names.empty()) return;

    QLineEdit* edit = lineEdit();
    const QString text = edit->text();
    const int cursor = edit->cursorPosition();
    {
        QSignalBlocker blockCombo(this);
        clear();
        for (const std::u16string& name : names) addItem(toQString(name));
        setCurrentIndex(-1);
        edit->setText(text);
        edit->setCursorPosition(cursor);
    }
    suggestions_->setCompletionPrefix(QString());
    suggestions_->complete(edit->rect());
    suggestions_->popup()->setCurrentIndex(QModelIndex());
}

}  // namespace zelvan
