// The common frame of the three query dialogs: their soft keys run the query ("确定") or close
// the dialog ("返回"); the dialog stays open with its inputs after every query.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "ui/soft_key_dialog.h"

class QDate;
class QDateEdit;
class QLabel;

namespace zelvan {

class StationCombo;
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
    // The station each field names (TimetableDb::resolveTypedName), in order; a field whose
    // text found one station by pinyin, initials, code or characters is set to that name. Empty
    // when a field names none: an empty field is asked for ("请输入车站名称"), an unknown name
    // is said ("没有找到车站：NAME"), and for several stations the field's drop-down offers
    // them. The fields keep the focus on the first that needs the user.
    std::vector<std::u16string> takeStations(std::initializer_list<StationCombo*> fields);

    ResultContext& results_;
    TimetableDb& db_;
};

// The day of travel of a date field as the database takes it: year * 10000 + month * 100 + day.
int dateKeyOf(const QDate& date);
// The date of a day of travel; today when the key is no valid date.
QDate dateOfKey(int dateKey);

}  // namespace zelvan
