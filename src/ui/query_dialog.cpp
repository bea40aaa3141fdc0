#include "ui/query_dialog.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

#include "db/timetable_db.h"
#include "res/resource_ids.h"
#include "res/texts.h"
#include "ui/messages.h"
#include "ui/qt_text.h"
#include "ui/station_combo.h"

namespace zelvan {

QueryDialog::QueryDialog(int menuBarId, const QString& caption, ResultContext& results,
                         TimetableDb& db, QWidget* owner)
    : SoftKeyDialog(menuBarId, owner), results_(results), db_(db) {
    setWindowTitle(caption);
    body()->setContentsMargins(16, 16, 16, 16);
    body()->setSpacing(6);
    body()->addStretch(1);
}

bool QueryDialog::command(int id) {
    switch (id) {
        case res::kCmdLeftKey:
            return runQuery();
        case res::kCmdBack:
            finish(id);
            return true;
        default:
            return false;
    }
}

int QueryDialog::escapeCommand() const {
    return res::kCmdBack;
}

void QueryDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        command(res::kCmdLeftKey);
        return;
    }
    SoftKeyDialog::keyPressEvent(event);
}

void QueryDialog::addField(const QString& label, QWidget* field) {
    // The fields stand in one column at the top; the stretch after them stays last.
    int at = body()->count() - 1;
    auto* caption = new QLabel(label, this);
    caption->setBuddy(field);
    body()->insertWidget(at, caption);
    body()->insertWidget(at + 1, field);
    body()->insertSpacing(at + 2, 10);
}

QDateEdit* QueryDialog::newDatePicker(int controlId, const QDate& start) {
    // "2026-12-23 星期三", or "Wed 23 Dec 2026" with the month and day names in English.
    const bool english = englishInUse();
    const QLocale locale = english ? QLocale(QLocale::English, QLocale::UnitedKingdom)
                                   : QLocale(QLocale::Chinese, QLocale::China);
    auto* picker = new QDateEdit(start, this);
    picker->setProperty("controlId", controlId);
    picker->setLocale(locale);
    picker->setCalendarPopup(true);
    picker->calendarWidget()->setLocale(locale);
    picker->calendarWidget()->setFirstDayOfWeek(Qt::Monday);
    picker->setDisplayFormat(english ? QStringLiteral("ddd d MMM yyyy")
                                     : QStringLiteral("yyyy-MM-dd dddd"));
    return picker;
}

std::vector<std::u16string> QueryDialog::takeStations(std::initializer_list<StationCombo*> fields) {
    std::vector<std::u16string> names;
    for (StationCombo* field : fields) {
        const TypedName typed = db_.resolveTypedName(controlText(field->currentText()));
        switch (typed.kind) {
            case TypedNameKind::Place:
                break;
            case TypedNameKind::Unique:
                field->setEditText(toQString(typed.name));
                break;
            case TypedNameKind::Empty:
                field->setFocus();
                showNotice(this, shown(res::kCaptionWarning), shown(res::kTextEnterStation));
                return {};
            case TypedNameKind::Unknown:
                field->setFocus();
                showNotice(this, shown(res::kCaptionWarning),
                           shown(res::kTextUnknownStation) + toQString(typed.name));
                return {};
            case TypedNameKind::Several: {
                QStringList candidates;
                for (const std::u16string& name : typed.candidates) candidates << toQString(name);
                field->setFocus();
                field->offer(candidates.mid(0, static_cast<int>(StationCombo::kMaxFound)));
                return {};
            }
        }
        names.push_back(typed.name);
    }
    return names;
}

int dateKeyOf(const QDate& date) {
    return date.year() * 10000 + date.month() * 100 + date.day();
}

QDate dateOfKey(int dateKey) {
    QDate date(dateKey / 10000, dateKey / 100 % 100, dateKey % 100);
    return date.isValid() ? date : QDate::currentDate();
}

}  // namespace zelvan
