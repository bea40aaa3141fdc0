// The common frame of the three query dialogs: their soft keys run the query ("确定") or close
// the dialog ("返回"); the dialog stays open with its inputs after every query. Each has a day
// of travel, shared by all of them: the day chosen in one is the day every dialog opens on.
#pragma once

#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "db/timetable_days.h"
#include "ui/soft_key_dialog.h"

class QDate;
class QDateEdit;
class QLabel;
class QTimeEdit;

namespace zelvan {

class StationCombo;
class TimetableDb;
struct ResultContext;

class QueryDialog : public SoftKeyDialog {
    Q_OBJECT

  public:
    QueryDialog(int menuBarId, int captionId, ResultContext& results, TimetableDb& db,
                QWidget* owner);

    // Reads the inputs, runs the query and shows its outcome; true when it acted (a view was
    // opened or the user was asked), false after a "nothing found" notice.
    virtual bool runQuery() = 0;
    bool command(int id) override;

    // The day of travel; the line under it says which days the timetable covers.
    QDateEdit* travelDate() const { return date_; }
    QLabel* coverageLine() const { return coverage_; }
    // The time a list of trains starts from (null in a dialog without one).
    QTimeEdit* fromTime() const { return time_; }
    // The line over a station field that says several stations match what it holds (hidden
    // otherwise); null for a field that is none of this dialog's.
    QLabel* severalLine(StationCombo* field) const;

  protected:
    int escapeCommand() const override;
    // Return or Enter in a field runs the query, as "确定" does.
    void keyPressEvent(QKeyEvent* event) override;
    // A change of language: the caption, the labels and the formats of the day and time.
    void changeEvent(QEvent* event) override;

    // A label (a text of res/texts.h) and the field under it, added to the dialog's column of
    // inputs. A station field gets a line over it for "several stations match".
    void addField(std::u16string_view label, QWidget* field);
    // The day of travel, starting at the day every dialog opens on, and with `withTime` the
    // time the list starts from (now on today, else the first train).
    void addDayFields(int dateControlId, bool withTime);
    // The station each field names (TimetableDb::resolveTypedName), in order; a field whose
    // text found one station by pinyin, initials, code or characters is set to that name. Empty
    // when a field names none: an empty field is asked for ("请输入车站名称"), an unknown name
    // is said ("没有找到车站：NAME"), and for several stations the line over the field says so
    // and the field's drop-down offers them. The fields keep the focus on the first that needs
    // the user.
    std::vector<std::u16string> takeStations(std::initializer_list<StationCombo*> fields);
    // Takes the day of travel into the database and the results. A day the timetable does not
    // cover is said before the answer, with the nearest day it covers offered instead (the
    // field then shows that day). Also takes the time the list starts from.
    void takeDay();
    // The days the timetable covers (found on first use).
    const TimetableDays& days() const;

    ResultContext& results_;
    TimetableDb& db_;

  private:
    void setTexts();
    // The day field was changed: every dialog opens on that day from now on.
    void dayChanged(const QDate& day);

    int captionId_ = 0;
    // The labels of the fields and the texts they show.
    std::vector<std::pair<QLabel*, std::u16string_view>> labels_;
    std::map<StationCombo*, QLabel*> several_;
    QDateEdit* date_ = nullptr;
    QLabel* weekday_ = nullptr;
    QLabel* coverage_ = nullptr;
    QTimeEdit* time_ = nullptr;
    bool timeEdited_ = false;  // the traveller set the time; it no longer follows the day
};

struct Favourite;

// Keeps `favourite` on the main list of the timetable in `folder` and says so over `owner`
// (also when it was kept already). True.
bool keepFavourite(QWidget* owner, const QString& folder, const Favourite& favourite);
// A favourite as the main list shows it: "★ 北京 → 上海", "★ 南京南 车站时刻".
QString favouriteText(const Favourite& favourite);

// The day of travel of a date field as the database takes it: year * 10000 + month * 100 + day.
int dateKeyOf(const QDate& date);
// The date of a day of travel; today when the key is no valid date.
QDate dateOfKey(int dateKey);
// Today where the timetable's trains run (its time zone; the desktop's day without one).
QDate timetableToday(const TimetableDb& db);
// The day the dialogs open on: the one last chosen while it is not over and the timetable
// covers it, else today when covered, else the first day the timetable covers.
QDate openingTravelDay(const TimetableDb& db, const TimetableDays& days);

}  // namespace zelvan
