// zelvan: the timetable application. One instance per user; a later start brings the running
// window forward and ends.
#include <QApplication>
#include <cstdio>
#include <exception>

#include "db/timetable_db.h"
#include "ui/app_context.h"
#include "ui/app_options.h"
#include "ui/icon.h"
#include "ui/main_window.h"
#include "ui/screenshot_tour.h"
#include "ui/single_instance.h"
#include "update/version.h"

namespace {

int run(QApplication& app) {
    using namespace zelvan;
    AppOptions options;
    QString message;
    if (!parseAppOptions(QApplication::arguments(), options, message)) {
        std::fputs(message.toLocal8Bit().constData(), stderr);
        return 2;
    }
    if (!message.isEmpty()) {
        std::fputs(message.toLocal8Bit().constData(), stdout);
        return 0;
    }

    AppContext context;
    if (!options.screenshotFolder.isEmpty()) {
        MainWindow window(context, TimetableDb::instance(), options);
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
    if (!instance.claim()) return 0;
    MainWindow window(context, TimetableDb::instance(), options);
    QObject::connect(&instance, &SingleInstance::activationRequested, &window,
                     &MainWindow::bringForward);
    window.show();
    return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zelvan"));
    QApplication::setWindowIcon(zelvan::appIcon());
    try {
        return run(app);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zelvan: %s\n", error.what());
        return 1;
    }
}
