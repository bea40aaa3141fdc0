// The command line of the application: where the timetable lies, which update server to ask,
// and the screenshot tour.
#pragma once

#include <QSize>
#include <QString>
#include <QStringList>
#include <optional>
#include <string>

namespace zelvan {

struct AppOptions {
    std::optional<std::u16string> dataFolder;  // --data DIR; none: resolveDataFolder's choice
    std::string updateServer;                  // --server URL; the built-in server by default
    QString screenshotFolder;                  // --screenshots DIR; empty: run normally
    QSize windowSize;                          // --size WxH; invalid: the remembered or default
    bool quitWhenShown = false;                // --quit-when-shown: end once the window painted
};

// Parses `arguments` (the program name first). False with `message` set for bad usage; true
// with `message` set when only help or the version was asked for.
bool parseAppOptions(const QStringList& arguments, AppOptions& options, QString& message);

}  // namespace zelvan
