// The UI tests run real widgets: one QApplication for the whole run, on the offscreen platform
// unless the environment names another.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QStyleHints>
#include <QTemporaryDir>

#include "ui_fixture.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The settings the program remembers go to a folder of this run, never the user's.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    // Tests click into views they have just opened; the test of that guard sets its own.
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(0);
    // No test may reach a real browser or messaging program.
    zelvan::test::LinkRecorder links;
    zelvan::test::LinkRecorder::install(&links);
    ::testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    zelvan::test::LinkRecorder::install(nullptr);
    return result;
}
