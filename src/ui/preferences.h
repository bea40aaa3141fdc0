// What the application keeps between runs, in the user's settings (QSettings, never in the
// timetable folder): the stations used last, each query dialog's last inputs, the main window's
// place on the screen.
#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

class QSettings;

namespace zelvan {

// The settings of the program ("Zelvan", "zelvan" in the user's configuration folder).
std::unique_ptr<QSettings> openSettings();

// How many stations the station fields offer from the past.
inline constexpr int kRecentStationCount = 10;

// The stations used last, most recent first, at most kRecentStationCount.
QStringList recentStations();
// Puts `names` in front of the recent stations, in their order; blank names and repeats go.
void rememberStations(const QStringList& names);

// The inputs of a query dialog's last query; empty names and an invalid date when none.
struct LastQuery {
    QString from;  // the station of the station dialog
    QString to;
    QDate date;
};
// `dialog` names the dialog: "stationToStation" or "station".
LastQuery lastQuery(const QString& dialog);
// Remembers `query` for `dialog`, and its date as the day of travel of every query dialog.
void rememberQuery(const QString& dialog, const LastQuery& query);
// The day of travel of the last query of any dialog; invalid when none.
QDate lastTravelDay();
// Remembers `day` as the day of travel every dialog opens on.
void rememberTravelDay(const QDate& day);
// The date a dialog opens with: the last query's, unless that day is over (then today).
QDate openingDate(const QDate& last);

// Whether the results views show the trains that do not run on the day of travel (below the
// others); false until the switch is first turned on.
bool showsNotRunning();
void rememberShowNotRunning(bool show);

// A question kept on the main list: the trains between two stations, or a station's trains.
struct Favourite {
    enum class Kind : int { Route = 0, Station = 1 };
    Kind kind = Kind::Route;
    QString from;  // the station of a station's trains
    QString to;
    bool operator==(const Favourite&) const = default;
};
// The favourites kept for the timetable in `folder` (each timetable has its own), in the order
// they were added; entries that do not read as one are left out.
QList<Favourite> favourites(const QString& folder);
void setFavourites(const QString& folder, const QList<Favourite>& list);

// The main window's saved geometry (QWidget::saveGeometry), empty when none.
QByteArray mainWindowGeometry();
void rememberMainWindowGeometry(const QByteArray& geometry);

}  // namespace zelvan
