#include "ui/app_options.h"

#include <QCommandLineParser>
#include <QUrl>

#include "ui/qt_text.h"
#include "update/version.h"

namespace zelvan {

bool parseAppOptions(const QStringList& arguments, AppOptions& options, QString& message) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Zelvan时刻表: offline railway timetable"));
    QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Show this help."));
    QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Show the version."));
    QCommandLineOption data(QStringLiteral("data"),
                            QStringLiteral("Read the timetable from DIR (default: ZELVAN_DATA, "
                                           "else the first of the user's data folder, the "
                                           "program's folder and the installed timetable that "
                                           "holds one)."),
                            QStringLiteral("DIR"));
    QCommandLineOption server(QStringLiteral("server"),
                              QStringLiteral("Base address of the update server (default %1).")
                                  .arg(QString::fromLatin1(kDefaultUpdateServer)),
                              QStringLiteral("URL"));
    QCommandLineOption screenshots(QStringLiteral("screenshots"),
                                   QStringLiteral("Walk through every view, save each as a PNG "
                                                  "file in DIR and exit."),
                                   QStringLiteral("DIR"));
    QCommandLineOption quitWhenShown(
        QStringLiteral("quit-when-shown"),
        QStringLiteral("Quit once the main window has painted itself (for timing the start)."));
    QCommandLineOption size(QStringLiteral("size"),
                            QStringLiteral("Open the main window WIDTHxHEIGHT pixels large, as "
                                           "540x960 (a phone) or 1366x768."),
                            QStringLiteral("WIDTHxHEIGHT"));
    parser.addOptions({help, version, data, server, screenshots, size, quitWhenShown});
    if (!parser.parse(arguments)) {
        message = parser.errorText() + u'\n' + parser.helpText();
        return false;
    }
    if (!parser.positionalArguments().isEmpty()) {
        message =
            QStringLiteral("unexpected argument: %1\n").arg(parser.positionalArguments().first()) +
            parser.helpText();
        return false;
    }
    if (parser.isSet(help)) {
        message = parser.helpText();
        return true;
    }
    if (parser.isSet(version)) {
        message = QStringLiteral("zelvan %1-%2\n")
                      .arg(toQString(kProgramVersion), toQString(kProgramBuild));
        return true;
    }
    if (parser.isSet(data)) options.dataFolder = toU16(parser.value(data));
    options.updateServer = std::string(kDefaultUpdateServer);
    if (parser.isSet(server)) {
        QString base = parser.value(server);
        while (base.endsWith(u'/')) base.chop(1);
        QUrl url(base, QUrl::StrictMode);
        if (!url.isValid() || (url.scheme() != u"http" && url.scheme() != u"https")) {
            message = QStringLiteral("--server needs an http:// or https:// address\n");
            return false;
        }
        options.updateServer = base.toStdString();
    }
    if (parser.isSet(size)) {
        const QStringList parts = parser.value(size).split(u'x');
        bool wide = false;
        bool high = false;
        const int width = parts.size() == 2 ? parts[0].toInt(&wide) : 0;
        const int height = parts.size() == 2 ? parts[1].toInt(&high) : 0;
        if (!wide || !high || width < 200 || height < 200 || width > 10000 || height > 10000) {
            message = QStringLiteral("--size needs WIDTHxHEIGHT in pixels, each 200 to 10000\n");
            return false;
        }
        options.windowSize = QSize(width, height);
    }
    options.screenshotFolder = parser.value(screenshots);
    options.quitWhenShown = parser.isSet(quitWhenShown);
    return true;
}

}  // namespace zelvan
