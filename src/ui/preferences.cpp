#include "ui/preferences.h"

#include <QSettings>

namespace zelvan {
namespace {

const QString kRecentKey = QStringLiteral("recentStations");
const QString kGeometryKey = QStringLiteral("mainWindow/geometry");
const QString kTravelDayKey = QStringLiteral("travelDay");

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
