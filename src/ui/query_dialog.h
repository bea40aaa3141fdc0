// The common frame of the three query dialogs: their soft keys run the query ("确定") or close
// the dialog ("返回"); the dialog stays open with its inputs after every query.
#pragma once

#include <initializer_list>
#include <string>

#include "ui/soft_key_dialog.h"

class QDate;
class QDateEdit;
class QLabel;

namespace zelvan {

class TimetableDb;
struct ResultContext;

class QueryDialog : public SoftKeyDialog {
    Q_OBJECT

  public:
    QueryDialog(int menuBarId, const QString& caption, ResultContext& results, TimetableDb& db,
                QWidget* owner);

    // Reads the inputs, runs the query and shows its outcome; true when it acted (a view was
    // opened or the user was asked), false after a "nothing found" notice.
    virtual bool runQuery() = 0;
    bool command(int id) override;

  protected:
    int escapeCommand() const override;
    // Return or Enter in a field runs the query, as "确定" does.
    void keyPressEvent(QKeyEvent* event) override;

    // A label and the field under it, added to the dialog's column of inputs.
    void addField(const QString& label, QWidget* field);
    // A date field with a calendar drop-down, starting at `start`; month and weekday names are
    // Chinese whatever the environment's locale.
    QDateEdit* newDatePicker(int controlId, const QDate& start);
    // True when every name names a station (itself, through the alias or with a station
    // suffix). Otherwise says which does not ("没有找到车站：NAME") and returns false; the
    // dialog keeps its inputs.
    bool namesStations(std::initializer_list<std::u16string> names);

    ResultContext& results_;
    TimetableDb& db_;
};

// The day of travel of a date field as the database takes it: year * 10000 + month * 100 + day.
int dateKeyOf(const QDate& date);
// The date of a day of travel; today when the key is no valid date.
QDate dateOfKey(int dateKey);

}  // namespace zelvan
