#include "ui/preferences.h"

#include <QCryptographicHash>
#include <QDir>
#include <QSettings>

namespace zelvan {
namespace {

const QString kRecentKey = QStringLiteral("recentStations");
const QString kGeometryKey = QStringLiteral("mainWindow/geometry");
const QString kTravelDayKey = QStringLiteral("travelDay");
const QString kNotRunningKey = QStringLiteral("results/showNotRunning");

// The settings group of a timetable's own entries: a hash of its folder's absolute path, which
// keeps the group name free of the characters settings files treat specially.
QString timetableGroup(const QString& folder) {
    const QByteArray path = QDir(folder).absolutePath().toUtf8();
    return QStringLiteral("timetable/") +
           QString::fromLatin1(QCryptographicHash::hash(path, QCryptographicHash::Sha1).toHex());
}

}  // namespace

std::unique_ptr<QSettings> openSettings() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Zelvan"), QStringLiteral("zelvan"));
}

QStringList recentStations() {
    // A damaged or hand-edited file may hold anything: keep it to short, distinct names.
    QStringList stored = openSettings()->value(kRecentKey).toStringList();
    QStringList names;
    for (const QString& name : stored) {
        const QString trimmed = name.trimmed();
        if (trimmed.isEmpty() || trimmed.size() > 259 || names.contains(trimmed)) continue;
        names << trimmed;
        if (names.size() == kRecentStationCount) break;
    }
    return names;
}

void rememberStations(const QStringList& used) {
    QStringList names;
    for (const QString& name : used + recentStations()) {
        const QString trimmed = name.trimmed();
        if (!trimmed.isEmpty() && !names.contains(trimmed)) names << trimmed;
    }
    openSettings()->setValue(kRecentKey, names.mid(0, kRecentStationCount));
}

LastQuery lastQuery(const QString& dialog) {
    auto settings = openSettings();
    settings->beginGroup(dialog);
    LastQuery query;
    query.from = settings->value(QStringLiteral("from")).toString();
    query.to = settings->value(QStringLiteral("to")).toString();
    query.date = QDate::fromString(settings->value(QStringLiteral("date")).toString(), Qt::ISODate);
    return query;
}

void rememberQuery(const QString& dialog, const LastQuery& query) {
    auto settings = openSettings();
    settings->beginGroup(dialog);
    settings->setValue(QStringLiteral("from"), query.from);
    settings->setValue(QStringLiteral("to"), query.to);
    settings->setValue(QStringLiteral("date"), query.date.toString(Qt::ISODate));
    settings->endGroup();
    // A traveller asks about one journey's day in each dialog in turn.
    settings->setValue(kTravelDayKey, query.date.toString(Qt::ISODate));
}

QDate lastTravelDay() {
    return QDate::fromString(openSettings()->value(kTravelDayKey).toString(), Qt::ISODate);
}

void rememberTravelDay(const QDate& day) {
    if (day.isValid()) openSettings()->setValue(kTravelDayKey, day.toString(Qt::ISODate));
}

bool showsNotRunning() {
    return openSettings()->value(kNotRunningKey, false).toBool();
}

void rememberShowNotRunning(bool show) {
    openSettings()->setValue(kNotRunningKey, show);
}

QList<Favourite> favourites(const QString& folder) {
    auto settings = openSettings();
    settings->beginGroup(timetableGroup(folder));
    QList<Favourite> list;
    // "route", from, to or "station", name: a hand-edited file may hold anything else.
    for (const QString& entry : settings->value(QStringLiteral("favourites")).toStringList()) {
        const QStringList parts = entry.split(u'\t');
        Favourite favourite;
        if (parts.size() == 3 && parts[0] == QLatin1String("route")) {
            favourite = {Favourite::Kind::Route, parts[1].trimmed(), parts[2].trimmed()};
            if (favourite.to.isEmpty()) continue;
        } else if (parts.size() == 2 && parts[0] == QLatin1String("station")) {
            favourite = {Favourite::Kind::Station, parts[1].trimmed(), QString()};
        } else {
            continue;
        }
        if (favourite.from.isEmpty() || list.contains(favourite)) continue;
        list << favourite;
    }
    return list;
}

void setFavourites(const QString& folder, const QList<Favourite>& list) {
    QStringList entries;
    for (const Favourite& favourite : list) {
        entries << (favourite.kind == Favourite::Kind::Route
                        ? QStringList{QStringLiteral("route"), favourite.from, favourite.to}
                        : QStringList{QStringLiteral("station"), favourite.from})
                       .join(u'\t');
    }
    auto settings = openSettings();
    settings->beginGroup(timetableGroup(folder));
    settings->setValue(QStringLiteral("favourites"), entries);
}

QDate openingDate(const QDate& last) {
    // A traveller reopening the program tomorrow asks about tomorrow, not about a day gone by.
    const QDate today = QDate::currentDate();
    return last.isValid() && last >= today ? last : today;
}

QByteArray mainWindowGeometry() {
    return openSettings()->value(kGeometryKey).toByteArray();
}

void rememberMainWindowGeometry(const QByteArray& geometry) {
    openSettings()->setValue(kGeometryKey, geometry);
}

}  // namespace zelvan
