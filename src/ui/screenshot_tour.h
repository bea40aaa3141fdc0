// The screenshot tour: walks through every view of the program over the main window with the
// timetable it has loaded, and saves each view as a PNG file.
#pragma once

#include <QString>

namespace zelvan {

class MainWindow;

// Saves the views into `folder` (created if missing) as NN-name.png; returns the number of files
// written, or -1 when the folder cannot be made. The sample timetable's stations are used;
// views whose query finds nothing in another timetable are skipped. With `withUpdate` the tour
// ends with the update command against the window's update server (a slow one, so that the
// progress dialog can be seen advancing), which it cancels half-way.
int runScreenshotTour(MainWindow& window, const QString& folder, bool withUpdate = false);

}  // namespace zelvan
