// zelvan: the timetable application. One instance per user; a later start brings the running
// window forward and ends.
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <exception>
#include <string_view>

#include "db/timetable_db.h"
#include "ui/app_context.h"
#include "ui/app_options.h"
#include "ui/icon.h"
#include "ui/main_window.h"
#include "ui/screenshot_tour.h"
#include "ui/single_instance.h"
#include "ui/translation.h"
#include "update/version.h"

namespace {

// Parses the command line: -1 to go on, else the exit code after printing the help, the version
// or what is wrong.
int handleCommandLine(const QStringList& arguments, zelvan::AppOptions& options) {
    QString message;
    if (!zelvan::parseAppOptions(arguments, options, message)) {
        std::fputs(message.toLocal8Bit().constData(), stderr);
        return 2;
    }
    if (!message.isEmpty()) {
        std::fputs(message.toLocal8Bit().constData(), stdout);
        return 0;
    }
    return -1;
}

// Timing the start: ends the program once the watched window has painted itself the first time.
class QuitWhenPainted : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !painted_) {
            painted_ = true;
            // After the paint, which is still running.
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    bool painted_ = false;
};

// The help and the version need no display: they are answered before the GUI starts.
bool asksOnlyForText(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "-h" || arg == "--help" || arg == "--version") return true;
    }
    return false;
}

int run(QApplication& app) {
    using namespace zelvan;
    AppOptions options;
    if (int code = handleCommandLine(QApplication::arguments(), options); code >= 0) return code;

    AppContext context;
    if (!options.screenshotFolder.isEmpty()) {
        // The tour starts from no remembered state and leaves the user's settings alone.
        QTemporaryDir settings;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
        applyLanguage(UiLanguage::System);  // the tour's language is the locale's
        MainWindow window(context, TimetableDb::instance(), options);
        if (options.windowSize.isValid()) window.resize(options.windowSize);
        // A server named on the command line is one to photograph an update against.
        bool withUpdate = options.updateServer != kDefaultUpdateServer;
        int written = runScreenshotTour(window, options.screenshotFolder, withUpdate);
        if (written < 0) {
            std::fprintf(stderr, "cannot create %s\n",
                         options.screenshotFolder.toLocal8Bit().constData());
            return 1;
        }
        std::printf("%d screenshots in %s\n", written,
                    options.screenshotFolder.toLocal8Bit().constData());
        return 0;
    }

    SingleInstance instance;
    // A start that names a timetable tells the running window, which keeps its own.
    const QString asked = options.dataFolder
                              ? QDir(QString::fromStdU16String(*options.dataFolder)).absolutePath()
                              : QString();
    if (!instance.claim(asked)) return 0;
    MainWindow window(context, TimetableDb::instance(), options);
    if (options.windowSize.isValid()) window.resize(options.windowSize);
    QObject::connect(&instance, &SingleInstance::activationRequested, &window,
                     [&window](const QString& folder) {
                         window.bringForward();
                         window.tellOtherTimetable(folder);
                     });
    QuitWhenPainted quitWhenPainted;
    if (options.quitWhenShown) window.installEventFilter(&quitWhenPainted);
    window.show();
    // Timing the start (--quit-when-shown) is about the window, not about mending a timetable.
    if (!options.quitWhenShown && !window.damage().empty()) {
        QTimer::singleShot(0, &window, &MainWindow::offerRepair);  // once the window is up
    }
    return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
    try {
        if (asksOnlyForText(argc, argv)) {
            QCoreApplication core(argc, argv);
            zelvan::applyLanguage(zelvan::savedLanguage());
            zelvan::AppOptions options;
            return std::max(handleCommandLine(QCoreApplication::arguments(), options), 0);
        }
        QApplication app(argc, argv);
        zelvan::applyLanguage(zelvan::savedLanguage());
        QApplication::setApplicationName(QStringLiteral("zelvan"));
        // The desktop entry's name: Wayland shells match the window to the entry and its icon.
        QGuiApplication::setDesktopFileName(QStringLiteral("cn.zelvan.Zelvan"));
        QApplication::setWindowIcon(zelvan::appIcon());
        return run(app);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zelvan: %s\n", error.what());
        return 1;
    }
}
