// The main window: the five entries of the program in one list, with "退出" and the menu of
// "关于", "确定" and "更新" on its soft keys. Creating it loads the timetable.
#pragma once

#include <QWidget>
#include <string>

#include "ui/app_options.h"

class QListWidget;

namespace zelvan {

class SoftKeyBar;
class TimetableDb;
class UpdateSession;
struct AppContext;

// The entries of the main list; an entry's position is its meaning.
enum class MainEntry : int {
    StationToStation = 0,
    TrainNumber = 1,
    Station = 2,
    Downloads = 3,
    Homepage = 4,
};

class MainWindow : public QWidget {
    Q_OBJECT

  public:
    // Loads `db` from `options.dataFolder` (none: the folder resolveDataFolder chooses); a
    // failed load only gets a line on stderr, the queries then find nothing.
    MainWindow(AppContext& context, TimetableDb& db, const AppOptions& options,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    QListWidget* mainList() const { return list_; }
    SoftKeyBar* softKeys() const { return softKeys_; }

    // Opens the selected entry; with none selected, says so.
    void openSelectedEntry();
    // Opens entry `index` of the main list (outside 0-4: nothing).
    void openEntry(int index);
    // Runs command `id` of the main window; true when it acted.
    bool command(int id);
    // Brings the program to the front: this window, or the dialog open over it.
    void bringForward();
    // The update command's run while it lasts, else null.
    UpdateSession* updateSession() const { return update_; }
    // Ctrl+Q from any window: closes the menus and dialogs open over this window, the topmost
    // first, then ends the program as "退出" does.
    void quitFromAnywhere();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Closing the window stops a running update first and remembers where the window was.
    void closeEvent(QCloseEvent* event) override;

  private:
    void createMainList();
    // The update command; a second one while the first runs is refused with a message.
    void runUpdate();

    AppContext& context_;
    TimetableDb& db_;
    std::string updateServer_;
    std::u16string updateFolder_;  // where "更新" installs a new timetable
    QListWidget* list_ = nullptr;
    SoftKeyBar* softKeys_ = nullptr;
    UpdateSession* update_ = nullptr;
};

}  // namespace zelvan
