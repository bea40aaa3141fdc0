// The UI tests run real widgets: one QApplication for the whole run, on the offscreen platform
// unless the environment names another.
#include <gtest/gtest.h>

#include <QApplication>

#include "ui_fixture.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    // No test may reach a real browser or messaging program.
    zelvan::test::LinkRecorder links;
    zelvan::test::LinkRecorder::install(&links);
    ::testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    zelvan::test::LinkRecorder::install(nullptr);
    return result;
}
