// The traveller's formats, from the locale (QLocale) of the language in use: dates, clock times
// (12- or 24-hour), durations, the first day of the week, distances in miles where the locale
// measures in miles, prices with their currency. The core's rows keep their plain texts
// ("16:45", "81", "553.5"), which the sort and the command line read; the views turn them into
// these formats as they show them.
#pragma once

#include <QDate>
#include <QLocale>
#include <QString>

#include "db/timetable_days.h"

namespace zelvan {

// The locale of the formats: the desktop's when it speaks the language in use, else a locale of
// that language (English in the desktop's country where Qt knows one, else the United States;
// Chinese in China).
QLocale formatLocale();
// Whether distances are shown in miles (a locale of the imperial systems).
bool showsMiles();

// A day as a line names it: "Wed, Sep 23, 2026", "Wed 23 Sept 2026", "2026年9月23日周三".
QString localDay(const QDate& date);
QString localDay(DateKey date);
// A date without its weekday: "Sep 23, 2026", "23 Sept 2026", "2026年9月23日".
QString localDate(DateKey date);
// Makes the core's texts of dates (a train's days of validity) localDate's.
void useLocalDatesInTexts();
// The days a timetable covers: "Sep 21, 2026 – Nov 8, 2026"; empty when they are not known.
QString localDays(const TimetableDays& days);
// A clock time of minutes after midnight (0-1439): "4:45 PM" or "16:45".
QString localClock(int minutes);
// The display format of a time field ("h:mm AP" or "HH:mm").
QString timeFieldFormat();
// A span of minutes: "1 h 22 min" in English, "01:22" in Chinese, as the original shows it.
QString localDuration(int minutes);
// A whole number of km in the unit of the locale: "81" (km) or "50" (miles).
QString localDistance(int km);

// The kind of what a cell of a result table holds, for formatting.
enum class CellFormat : int {
    Text = 0,      // as it is
    Clock = 1,     // one time "HH:MM" or more within the text ("终到 00:13", "18:07+1")
    Duration = 2,  // "hh:mm" of a span
    Distance = 3,  // whole km
    Fare = 4,      // a price of the built-in tariff (yuan), or "-"
};
// `text` (a core cell) in the traveller's format.
QString formatCell(CellFormat format, const QString& text);

// In English, the full-width spaces that separate the parts of a Chinese line become two plain
// spaces; in Chinese the text is returned as it is.
QString plainSpaces(QString text);

}  // namespace zelvan
