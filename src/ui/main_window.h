// The main window: the five entries of the program in one list, with "退出" and the menu of
// "关于", "确定" and "更新" on its soft keys. Creating it loads the timetable.
#pragma once

#include <QWidget>
#include <string>

#include "ui/app_options.h"
#include "ui/preferences.h"

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
    // Loads `db` from `options.dataFolder` (none: the folder resolveDataFolder chooses), after
    // mending an update that a crash cut short where updates go, and checks the timetable; a
    // failed load also gets a line on stderr.
    MainWindow(AppContext& context, TimetableDb& db, const AppOptions& options,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    QListWidget* mainList() const { return list_; }
    SoftKeyBar* softKeys() const { return softKeys_; }

    // Opens the selected entry; with none selected, says so.
    void openSelectedEntry();
    // Opens entry `index` of the main list: 0-4 as MainEntry names them, from 5 on the
    // favourite questions (their answer for the day of travel at once); others: nothing.
    void openEntry(int index);
    // The favourites of the timetable in use, entry 5 of the main list and on.
    QList<Favourite> favouriteEntries() const;
    // The menu's "删除所选收藏": the favourite chosen in the list goes (with none chosen, says
    // how to choose one).
    void removeSelectedFavourite();
    // Runs command `id` of the main window; true when it acted.
    bool command(int id);
    // Brings the program to the front: this window, or the dialog open over it.
    void bringForward();
    // A later start asked for the timetable in `folder`: when that is not the one in use, says
    // so over the frontmost window (the one in use stays; empty `folder`: nothing to say).
    void tellOtherTimetable(const QString& folder);
    // The update command's run while it lasts, else null.
    UpdateSession* updateSession() const { return update_; }
    // Ctrl+Q from any window: closes the menus and dialogs open over this window, the topmost
    // first, then ends the program as "退出" does.
    void quitFromAnywhere();

    // Why the timetable in use cannot be used ("数据文件 T3.dat 损坏"); empty when it passed
    // the check.
    const std::u16string& damage() const { return damage_; }
    // With a damaged timetable: says which file is damaged and offers the previous timetable
    // (when an update left one) and the update. Queries are not opened on a damaged timetable.
    void offerRepair();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Closing the window stops a running update first and remembers where the window was.
    void closeEvent(QCloseEvent* event) override;
    // A change of language: the caption and the list take the new language's texts.
    void changeEvent(QEvent* event) override;

  private:
    void createMainList();
    // The five entries and the favourites of the timetable in use, in the language in use.
    void fillMainList();
    // The answer of favourite `favourite` for the day of travel.
    void openFavourite(const Favourite& favourite);
    // The update command; a second one while the first runs is refused with a message.
    void runUpdate();
    // Checks the timetable that `db_` holds; `loaded` is what its load said.
    void checkTimetableInUse(bool loaded);
    // The menu's "恢复上一版": the timetable the last update replaced, back in place.
    void rollBack();
    // The menu's "语言": 跟随系统, 中文 or English, applied at once and remembered.
    void chooseLanguage();
    void setTexts();

    AppContext& context_;
    TimetableDb& db_;
    std::string updateServer_;
    std::u16string updateFolder_;  // where "更新" installs a new timetable
    std::u16string damage_;
    QListWidget* list_ = nullptr;
    SoftKeyBar* softKeys_ = nullptr;
    UpdateSession* update_ = nullptr;
};

}  // namespace zelvan
