#include "ui/locale_formats.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <cmath>

#include "fare/result_table.h"
#include "ui/translation.h"

namespace zelvan {
namespace {

constexpr double kKmPerMile = 1.609344;

// The locale's long date format, abbreviated: weekday and month names short.
QString mediumDateFormat(const QLocale& locale) {
    QString format = locale.dateFormat(QLocale::LongFormat);
    format.replace(QStringLiteral("dddd"), QStringLiteral("ddd"));
    format.replace(QStringLiteral("MMMM"), QStringLiteral("MMM"));
    return format;
}

}  // namespace

QLocale formatLocale() {
    const QLocale desktop;  // the system's, unless a test set another default
    if (englishInUse()) {
        if (desktop.language() == QLocale::English) return desktop;
        const QLocale local(QLocale::English, desktop.territory());
        if (local.language() == QLocale::English && local.territory() == desktop.territory()) {
            return local;
        }
        return QLocale(QLocale::English, QLocale::UnitedStates);
    }
    if (desktop.language() == QLocale::Chinese) return desktop;
    return QLocale(QLocale::Chinese, QLocale::China);
}

bool showsMiles() {
    return formatLocale().measurementSystem() != QLocale::MetricSystem;
}

QString localDay(const QDate& date) {
    const QLocale locale = formatLocale();
    return locale.toString(date, mediumDateFormat(locale));
}

QString localDay(DateKey date) {
    return localDay(QDate(date / 10000, date / 100 % 100, date % 100));
}

QString localDate(DateKey date) {
    // The locale's long date without the weekday, its month named short.
    const QLocale locale = formatLocale();
    const QString format = locale.dateFormat(QLocale::LongFormat)
                               .remove(QRegularExpression(QStringLiteral("d{4}[,，、 ]*")))
                               .replace(QStringLiteral("MMMM"), QStringLiteral("MMM"))
                               .trimmed();
    return locale.toString(QDate(date / 10000, date / 100 % 100, date % 100), format);
}

void useLocalDatesInTexts() {
    setDateTextFormat([](DateKey date) { return localDate(date).toStdU16String(); });
}

QString localDays(const TimetableDays& days) {
    if (!days.known()) return {};
    return QCoreApplication::translate("zelvan", "%1至%2")
        .arg(localDate(days.first), localDate(days.last));
}

QString localClock(int minutes) {
    return formatLocale().toString(QTime(minutes / 60 % 24, minutes % 60), timeFieldFormat());
}

QString timeFieldFormat() {
    QString format = formatLocale().timeFormat(QLocale::ShortFormat);
    // Hours as the locale writes them, always with minutes and without seconds.
    format.remove(QRegularExpression(QStringLiteral("[:.]ss?")));
    return format;
}

QString localDuration(int minutes) {
    if (!englishInUse()) {
        return QStringLiteral("%1:%2")
            .arg(minutes / 60, 2, 10, QLatin1Char('0'))
            .arg(minutes % 60, 2, 10, QLatin1Char('0'));
    }
    if (minutes < 60) return QCoreApplication::translate("zelvan", "%1 分").arg(minutes);
    return QCoreApplication::translate("zelvan", "%1 小时 %2 分")
        .arg(minutes / 60)
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString localDistance(int km) {
    if (!showsMiles()) return QString::number(km);
    return QString::number(static_cast<int>(std::lround(km / kKmPerMile)));
}

QString formatCell(CellFormat format, const QString& text) {
    switch (format) {
        case CellFormat::Text:
            return text;
        case CellFormat::Clock: {
            // Every "H:MM" or "HH:MM" standing on its own (not part of a longer number).
            static const QRegularExpression time(
                QStringLiteral("(?<![\\d:])(\\d{1,2}):(\\d{2})(?![\\d:])"));
            QString out;
            qsizetype last = 0;
            for (auto it = time.globalMatch(text); it.hasNext();) {
                const QRegularExpressionMatch match = it.next();
                const int hours = match.captured(1).toInt();
                const int minutes = match.captured(2).toInt();
                out += text.mid(last, match.capturedStart() - last);
                if (hours > 23 || minutes > 59) {
                    out += match.captured();
                } else {
                    const QString clock = localClock(hours * 60 + minutes);
                    out += clock;
                    // "4:45 PM +1": a day mark does not run into the letters.
                    const qsizetype end = match.capturedEnd();
                    if (end < text.size() && (text[end] == u'+' || text[end] == u'-') &&
                        clock.back().isLetter()) {
                        out += u' ';
                    }
                }
                last = match.capturedEnd();
            }
            return out + text.mid(last);
        }
        case CellFormat::Duration: {
            static const QRegularExpression span(QStringLiteral("^(\\d+):(\\d{2})$"));
            const QRegularExpressionMatch match = span.match(text);
            if (!match.hasMatch()) return text;
            return localDuration(match.captured(1).toInt() * 60 + match.captured(2).toInt());
        }
        case CellFormat::Distance: {
            bool number = false;
            const int km = text.toInt(&number);
            return number ? localDistance(km) : text;
        }
        case CellFormat::Fare:
            // The built-in tariff prices in yuan; a reader in another language is told so.
            if (englishInUse() && !text.isEmpty() && text.front().isDigit()) {
                return QStringLiteral("CNY ") + text;
            }
            return text;
    }
    return text;
}

QString plainSpaces(QString text) {
    if (englishInUse()) text.replace(QChar(0x3000), QStringLiteral("  "));
    return text;
}

}  // namespace zelvan
