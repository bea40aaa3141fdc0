#include "ui/query_dialog.h"

#include <QCalendarWidget>
#include <QCoreApplication>
#include <QDateEdit>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "db/timetable_db.h"
#include "res/resource_ids.h"
#include "res/texts.h"
#include "ui/app_context.h"
#include "ui/locale_formats.h"
#include "ui/messages.h"
#include "ui/preferences.h"
#include "ui/qt_text.h"
#include "ui/station_combo.h"

namespace zelvan {
namespace {

// A date field's format: the locale's short date, all in digits (so that digits typed at once
// are taken: a weekday's section would refuse them), the year with four.
QString dateFieldFormat(const QLocale& locale) {
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QStringLiteral("yyyy"))) {
        format.replace(QRegularExpression(QStringLiteral("y+")), QStringLiteral("yyyy"));
    }
    return format;
}

// The colour of a line that warns.
const QString kWarningStyle = QStringLiteral("color: #b00000;");

}  // namespace

QueryDialog::QueryDialog(int menuBarId, int captionId, ResultContext& results, TimetableDb& db,
                         QWidget* owner)
    : SoftKeyDialog(menuBarId, owner), results_(results), db_(db), captionId_(captionId) {
    setWindowTitle(resourceText(captionId));
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

void QueryDialog::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) setTexts();
    SoftKeyDialog::changeEvent(event);
}

void QueryDialog::addField(std::u16string_view label, QWidget* field) {
    // The fields stand in one column at the top; the stretch after them stays last.
    int at = body()->count() - 1;
    auto* caption = new QLabel(shown(label), this);
    caption->setBuddy(field);
    labels_.emplace_back(caption, label);
    body()->insertWidget(at++, caption);
    if (auto* station = qobject_cast<StationCombo*>(field)) {
        auto* several = new QLabel(this);
        several->setObjectName(QStringLiteral("severalStations"));
        several->setStyleSheet(kWarningStyle);
        several->hide();
        several_[station] = several;
        body()->insertWidget(at++, several);
        // Typing on takes the question back.
        connect(station, &QComboBox::editTextChanged, several, &QWidget::hide);
    }
    body()->insertWidget(at++, field);
    body()->insertSpacing(at, 10);
}

QLabel* QueryDialog::severalLine(StationCombo* field) const {
    const auto it = several_.find(field);
    return it == several_.end() ? nullptr : it->second;
}

const TimetableDays& QueryDialog::days() const {
    if (!results_.days) results_.days = timetableDays(db_);
    return *results_.days;
}

void QueryDialog::addDayFields(int dateControlId, bool withTime) {
    if (results_.travelDay == 0) results_.travelDay = dateKeyOf(openingTravelDay(db_, days()));
    date_ = new QDateEdit(dateOfKey(results_.travelDay), this);
    date_->setProperty("controlId", dateControlId);
    date_->setCalendarPopup(true);
    weekday_ = new QLabel(this);
    weekday_->setObjectName(QStringLiteral("weekday"));
    auto* row = new QWidget(this);
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    line->addWidget(date_, 1);
    line->addWidget(weekday_);
    addField(res::kLabelTravelDate, row);
    labels_.back().first->setBuddy(date_);
    coverage_ = new QLabel(this);
    coverage_->setObjectName(QStringLiteral("coverage"));
    coverage_->setWordWrap(true);
    body()->insertWidget(body()->count() - 2, coverage_);
    connect(date_, &QDateEdit::dateChanged, this, &QueryDialog::dayChanged);
    if (withTime) {
        time_ = new QTimeEdit(this);
        time_->setObjectName(QStringLiteral("fromTime"));
        addField(res::kLabelFromTime, time_);
        connect(time_, &QTimeEdit::timeChanged, this, [this] {
            if (time_->hasFocus()) timeEdited_ = true;
        });
    }
    setTexts();
    dayChanged(date_->date());
}

void QueryDialog::dayChanged(const QDate& day) {
    if (!day.isValid()) return;
    results_.travelDay = dateKeyOf(day);
    rememberTravelDay(day);
    const QLocale locale = formatLocale();
    weekday_->setText(locale.dayName(day.dayOfWeek(), QLocale::LongFormat));
    const TimetableDays& covered = days();
    if (!covered.known()) {
        coverage_->hide();
    } else {
        const bool inside = covered.covers(results_.travelDay);
        coverage_->setText(
            QCoreApplication::translate("zelvan", "时刻表日期：%1").arg(localDays(covered)) +
            (inside ? QString() : QCoreApplication::translate("zelvan", "（所选日期不在其中）")));
        coverage_->setStyleSheet(inside ? QString() : kWarningStyle);
        coverage_->show();
    }
    // The time follows the day until the traveller sets it: now today, else the first train.
    if (time_ && !timeEdited_) {
        const QSignalBlocker quiet(time_);
        time_->setTime(day == timetableToday(db_) ? QTime::currentTime() : QTime(0, 0));
    }
}

void QueryDialog::setTexts() {
    setWindowTitle(resourceText(captionId_));
    for (const auto& [label, text] : labels_) label->setText(shown(text));
    if (!date_) return;
    const QLocale locale = formatLocale();
    date_->setLocale(locale);
    date_->setDisplayFormat(dateFieldFormat(locale));
    date_->calendarWidget()->setLocale(locale);
    date_->calendarWidget()->setFirstDayOfWeek(locale.firstDayOfWeek());
    if (time_) {
        time_->setLocale(locale);
        time_->setDisplayFormat(timeFieldFormat());
    }
    dayChanged(date_->date());
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
                // Said over the field, so that the list opening under it is not a puzzle.
                // (lupdate reads no cast in the count's place.)
                const int found = static_cast<int>(candidates.size());
                if (QLabel* several = severalLine(field)) {
                    several->setText(QCoreApplication::translate(
                        "zelvan", "有 %n 个车站相符，请选择：", nullptr, found));
                    several->show();
                }
                field->offer(candidates.mid(0, static_cast<int>(StationCombo::kMaxFound)));
                return {};
            }
        }
        names.push_back(typed.name);
    }
    return names;
}

void QueryDialog::takeDay() {
    // A day typed but not yet left is taken as it stands.
    date_->interpretText();
    int day = dateKeyOf(date_->date());
    const TimetableDays& covered = days();
    if (!covered.covers(day)) {
        const int nearest = covered.nearest(day);
        const QString question = QCoreApplication::translate(
                                     "zelvan", "时刻表日期为 %1，%2 不在其中。\n改查最近的 %3 吗？")
                                     .arg(localDays(covered), localDay(day), localDay(nearest));
        if (askYesNo(this, shown(res::kCaptionInfo), question)) {
            date_->setDate(dateOfKey(nearest));
            day = nearest;
        }
    }
    db_.queryDate = day;
    results_.travelDay = day;
    if (time_) {
        time_->interpretText();
        const int minutes = time_->time().hour() * 60 + time_->time().minute();
        // Midnight is the whole day: the list opens at its first train.
        results_.fromMinutes = minutes > 0 ? minutes : -1;
    } else {
        results_.fromMinutes = -1;
    }
}

bool keepFavourite(QWidget* owner, const QString& folder, const Favourite& favourite) {
    QList<Favourite> list = favourites(folder);
    if (!list.contains(favourite)) {
        list << favourite;
        setFavourites(folder, list);
    }
    showNotice(owner, shown(res::kCaptionInfo),
               QCoreApplication::translate("zelvan", "已收藏，主菜单中可直接打开：%1")
                   .arg(favouriteText(favourite)));
    return true;
}

QString favouriteText(const Favourite& favourite) {
    if (favourite.kind == Favourite::Kind::Route) {
        return QStringLiteral("★ %1 → %2").arg(favourite.from, favourite.to);
    }
    return QCoreApplication::translate("zelvan", "★ %1 车站时刻").arg(favourite.from);
}

int dateKeyOf(const QDate& date) {
    return date.year() * 10000 + date.month() * 100 + date.day();
}

QDate dateOfKey(int dateKey) {
    QDate date(dateKey / 10000, dateKey / 100 % 100, dateKey % 100);
    return date.isValid() ? date : QDate::currentDate();
}

QDate timetableToday(const TimetableDb& db) {
    const std::u16string zone = db.extensions.timeZone();
    return zone.empty() ? QDate::currentDate() : dateOfKey(todayIn(zone));
}

QDate openingTravelDay(const TimetableDb& db, const TimetableDays& days) {
    const QDate today = timetableToday(db);
    const QDate last = lastTravelDay();
    if (last.isValid() && last >= today && days.covers(dateKeyOf(last))) return last;
    if (days.covers(dateKeyOf(today))) return today;
    return dateOfKey(days.first);
}

}  // namespace zelvan
