#include "ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QDir>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTime>
#include <QVBoxLayout>
#include <algorithm>

#include <cstdio>
#include <filesystem>

#include "db/data_folder.h"
#include "db/product.h"
#include "db/text.h"
#include "db/timetable_check.h"
#include "db/timetable_days.h"
#include "db/timetable_db.h"
#include "db/translation.h"
#include "res/resource_ids.h"
#include "res/texts.h"
#include "ui/about_dialog.h"
#include "ui/action_key.h"
#include "ui/app_context.h"
#include "ui/downloads_dialog.h"
#include "ui/icon.h"
#include "ui/links.h"
#include "ui/locale_formats.h"
#include "ui/messages.h"
#include "ui/modal.h"
#include "ui/preferences.h"
#include "ui/qt_text.h"
#include "ui/query_dialog.h"
#include "ui/results_dialog.h"
#include "ui/soft_key_bar.h"
#include "ui/station_dialog.h"
#include "ui/station_to_station_dialog.h"
#include "ui/train_number_dialog.h"
#include "ui/translation.h"
#include "ui/update_command.h"
#include "update/installation.h"
#include "update/version.h"

namespace zelvan {
namespace {

// The entry texts in list order (string ids).
constexpr int kEntryTextIds[] = {res::kStrStationToStation, res::kStrTrainNumber, res::kStrStation,
                                 res::kStrDownloads, res::kStrHomepage};

// The main list is read at arm's length on a handheld screen.
constexpr int kListFontPixels = 24;

// The handheld's portrait screen, grown on a large screen so that a results table shows more of
// its columns; never larger than the screen.
QSize defaultWindowSize(const QWidget& window) {
    QSize size(480, 640);
    if (QScreen* screen = window.screen()) {
        const QRect free = screen->availableGeometry();
        size = size.expandedTo(QSize(std::min(free.width() * 3 / 5, 1000), free.height() * 4 / 5))
                   .boundedTo(free.size());
    }
    return size;
}

// Ctrl+Q reaches the program from every window, the message boxes and menus included.
class QuitKeyFilter final : public QObject {
  public:
    explicit QuitKeyFilter(MainWindow* window) : QObject(window), window_(window) {}

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Q ||
            (key->modifiers() & ~Qt::KeypadModifier) != Qt::ControlModifier) {
            return false;
        }
        window_->quitFromAnywhere();
        return true;
    }

  private:
    MainWindow* window_;
};

}  // namespace

MainWindow::MainWindow(AppContext& context, TimetableDb& db, const AppOptions& options,
                       QWidget* parent)
    : QWidget(parent),
      context_(context),
      db_(db),
      updateServer_(options.updateServer.empty() ? std::string(kDefaultUpdateServer)
                                                 : options.updateServer) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(resourceText(res::kStrTitle));
    setWindowIcon(appIcon());
    if (!restoreGeometry(mainWindowGeometry())) resize(defaultWindowSize(*this));

    // Mending an update cut short may decide whether the user's folder holds a timetable.
    const DataFolder chosen = resolveDataFolder(options.dataFolder);
    if (!chosen.updateFolder.empty()) {
        recoverDataFolder(std::filesystem::path(toUtf8(chosen.updateFolder)));
    }
    const DataFolder folder = resolveDataFolder(options.dataFolder);
    updateFolder_ = folder.updateFolder;
    // The window holds the timetable for as long as it is open: copied, not mapped.
    db_.mapFiles = false;
    const bool loaded = db_.load(folder.path);
    if (!loaded) {
        std::fprintf(stderr, "zelvan: cannot load the timetable in '%s' (%s): %s\n",
                     toUtf8(folder.path).c_str(),
                     std::string(dataSourceReason(folder.source)).c_str(),
                     loadProblem(folder.path).c_str());
    }
    // The day of travel until a query sets one: today where the user is.
    db_.queryDate = dateKeyOf(QDate::currentDate());
    // The dates the core writes into its texts, in the traveller's format.
    useLocalDatesInTexts();
    checkTimetableInUse(loaded);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    createMainList();
    layout->addWidget(list_, 1);
    softKeys_ = new SoftKeyBar(res::kMenuBarMain, this);
    layout->addWidget(softKeys_);
    connect(softKeys_, &SoftKeyBar::commandTriggered, this, [this](int id) { command(id); });

    qApp->installEventFilter(new QuitKeyFilter(this));

    context_.mainList = list_;
    context_.menuBar = softKeys_;
    if (!context_.updateNotifier) {
        context_.updateNotifier = std::make_unique<WindowUpdateNotifier>(this);
    }
}

MainWindow::~MainWindow() {
    context_.updateNotifier.reset();
    context_.mainList = nullptr;
    context_.menuBar = nullptr;
}

void MainWindow::createMainList() {
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("mainList"));
    list_->setProperty("controlId", res::kIdMainList);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    QFont font = list_->font();
    font.setPixelSize(kListFontPixels);
    list_->setFont(font);
    fillMainList();
    // What looks selected is selected: the first entry, which the action key then opens.
    list_->setCurrentRow(0);

    // A tap opens the entry at once; a tap beside the entries asks for one.
    connect(list_, &QListWidget::clicked, this,
            [this](const QModelIndex&) { openSelectedEntry(); });
    list_->viewport()->installEventFilter(this);
    onActionKey(list_, [this](int) { openSelectedEntry(); });
}

void MainWindow::fillMainList() {
    const int current = list_->currentRow();
    list_->clear();
    for (int id : kEntryTextIds) list_->addItem(resourceText(id));
    for (const Favourite& favourite : favouriteEntries()) list_->addItem(favouriteText(favourite));
    if (current >= 0) list_->setCurrentRow(std::min(current, list_->count() - 1));
}

QList<Favourite> MainWindow::favouriteEntries() const {
    return favourites(toQString(db_.folder));
}

void MainWindow::removeSelectedFavourite() {
    const int index = list_->currentRow() - static_cast<int>(std::size(kEntryTextIds));
    QList<Favourite> list = favouriteEntries();
    if (index < 0 || index >= list.size() || list_->selectedItems().isEmpty()) {
        showNotice(this, shown(res::kCaptionInfo),
                   QCoreApplication::translate(
                       "zelvan", "请先在列表中选择一个收藏。站站查询和车站查询的菜单中可以收藏。"));
        return;
    }
    list.removeAt(index);
    setFavourites(toQString(db_.folder), list);
    fillMainList();
}

void MainWindow::openFavourite(const Favourite& favourite) {
    ResultContext& results = context_.results;
    if (!results.days) results.days = timetableDays(db_);
    if (results.travelDay == 0) results.travelDay = dateKeyOf(openingTravelDay(db_, *results.days));
    // The day of travel as the dialogs have it; on today, the list opens at the next train.
    db_.queryDate = results.travelDay;
    const QDate day = dateOfKey(results.travelDay);
    const QTime now = QTime::currentTime();
    results.fromMinutes = day == timetableToday(db_) ? now.hour() * 60 + now.minute() : -1;
    const std::u16string from = toU16(favourite.from);
    if (favourite.kind == Favourite::Kind::Station) {
        results.stationRows.clear();
        db_.queryStation(from, results.stationRows);
        if (!results.stationRows.empty()) {
            results.stationName = from;
            results.mode = ResultMode::StationTrains;
            showResults(this, results, db_, ResultMode::StationTrains);
            return;
        }
    } else {
        results.rows.clear();
        db_.queryStationToStation(from, toU16(favourite.to), results.rows);
        if (!results.rows.empty()) {
            results.fromName = from;
            results.toName = toU16(favourite.to);
            results.mode = ResultMode::Direct;
            showResults(this, results, db_, ResultMode::Direct);
            return;
        }
    }
    showNotice(this, shown(res::kCaptionWarning), shown(res::kTextNothingFound));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (list_ && watched == list_->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            !list_->indexAt(mouse->position().toPoint()).isValid()) {
            // Nothing is chosen, and nothing looks chosen either.
            list_->clearSelection();
            list_->setCurrentIndex(QModelIndex());
            openSelectedEntry();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::openSelectedEntry() {
    const QList<QListWidgetItem*> selected = list_->selectedItems();
    if (selected.isEmpty()) {
        showNotice(list_, shown(res::kCaptionError), shown(res::kTextSelectRecord),
                   MessageIcon::Warning);
        return;
    }
    openEntry(list_->row(selected.first()));
}

void MainWindow::openEntry(int index) {
    const bool query = index >= static_cast<int>(MainEntry::StationToStation) &&
                       index <= static_cast<int>(MainEntry::Station);
    if (query && !damage_.empty()) {
        offerRepair();  // rather than empty answers from a broken timetable
        return;
    }
    const int favourite = index - static_cast<int>(std::size(kEntryTextIds));
    if (favourite >= 0) {
        const QList<Favourite> list = favouriteEntries();
        if (favourite >= list.size()) return;
        if (!damage_.empty()) {
            offerRepair();
            return;
        }
        openFavourite(list[favourite]);
        return;
    }
    switch (static_cast<MainEntry>(index)) {
        case MainEntry::StationToStation: {
            StationToStationDialog dialog(context_.results, db_, this);
            runModal(dialog);
            break;
        }
        case MainEntry::TrainNumber: {
            TrainNumberDialog dialog(context_.results, db_, this);
            runModal(dialog);
            break;
        }
        case MainEntry::Station: {
            StationDialog dialog(context_.results, db_, this);
            runModal(dialog);
            break;
        }
        case MainEntry::Downloads: {
            DownloadsDialog dialog(context_, db_, this);
            runModal(dialog);
            break;
        }
        case MainEntry::Homepage:
            openLinkOrShow(this, resourceText(res::kStrHomepage), toQString(kMobileSiteAddress));
            break;
    }
    // A question the dialog kept ("收藏") is on the list from now on.
    if (query) fillMainList();
}

bool MainWindow::command(int id) {
    switch (id) {
        case res::kCmdOk:
        case res::kCmdMenuOk:
            openSelectedEntry();
            return true;
        case res::kCmdUpdate:
            runUpdate();
            // A timetable installed by the update is read again on the next journey question,
            // and its days when next asked.
            context_.results.planner.reset();
            context_.results.days.reset();
            return true;
        case res::kCmdRemoveFavourite:
            removeSelectedFavourite();
            return true;
        case res::kCmdRollBack:
            // Putting the previous timetable back replaces the one in use: asked first, when
            // there is one to put back (otherwise rollBack says there is none).
            if (!update_ && !updateFolder_.empty() &&
                hasPreviousTimetable(std::filesystem::path(toUtf8(updateFolder_))) &&
                !askYesNo(this, shown(res::kCaptionInfo), shown(res::kTextAskRollBack))) {
                return true;
            }
            rollBack();
            return true;
        case res::kCmdAbout: {
            AboutDialog dialog(db_, this);
            runModal(dialog);
            return true;
        }
        case res::kCmdLanguage:
            chooseLanguage();
            return true;
        case res::kCmdLeftKey:
            close();
            return true;
        default:
            return false;
    }
}

void MainWindow::chooseLanguage() {
    zelvan::chooseLanguage(*softKeys_);
}

void MainWindow::setTexts() {
    setWindowTitle(resourceText(res::kStrTitle));
    fillMainList();
}

void MainWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange && list_) setTexts();
    QWidget::changeEvent(event);
}

void MainWindow::runUpdate() {
    if (!context_.updateNotifier) return;
    if (update_) {
        context_.updateNotifier->showError(translated(kTextUpdateBusy));
        return;
    }
    UpdateSession session(db_, updateServer_, updateFolder_, *context_.updateNotifier, this);
    update_ = &session;
    const UpdateOutcome outcome = session.exec();
    update_ = nullptr;
    if (outcome == UpdateOutcome::Updated) checkTimetableInUse(true);
}

void MainWindow::checkTimetableInUse(bool loaded) {
    const CheckReport report = checkInstalledTimetable(std::filesystem::path(toUtf8(db_.folder)));
    damage_.clear();
    if (!report.passed()) {
        damage_ = damageText(report);
    } else if (!loaded) {
        damage_ = QCoreApplication::translate("zelvan", "数据文件无法读取").toStdU16String();
    }
}

void MainWindow::offerRepair() {
    if (damage_.empty()) return;
    const QString text =
        QCoreApplication::translate("zelvan", "%1，时刻表不能使用。\n").arg(toQString(damage_));
    const QString caption = shown(res::kCaptionError);
    if (!updateFolder_.empty() &&
        hasPreviousTimetable(std::filesystem::path(toUtf8(updateFolder_))) &&
        askYesNo(this, caption,
                 text + QCoreApplication::translate("zelvan", "恢复上一版时刻表吗?"))) {
        rollBack();
        return;
    }
    if (askYesNo(this, caption,
                 text + QCoreApplication::translate("zelvan", "现在就去更新时刻表吗?"))) {
        command(res::kCmdUpdate);
    }
}

void MainWindow::rollBack() {
    InstallResult result;
    result.status = InstallStatus::Nothing;
    if (update_) {
        result.status = InstallStatus::Busy;
    } else if (!updateFolder_.empty()) {
        result = rollBackTimetable(db_, std::filesystem::path(toUtf8(updateFolder_)));
    }
    if (result.status == InstallStatus::Installed) {
        checkTimetableInUse(true);
        context_.results.planner.reset();
        context_.results.days.reset();
    }
    showNotice(this, shown(res::kCaptionInfo), shown(rollBackText(result, db_)),
               result.status == InstallStatus::Installed ? MessageIcon::Information
                                                         : MessageIcon::Warning);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (update_) update_->cancel(true);
    rememberMainWindowGeometry(saveGeometry());
    QWidget::closeEvent(event);
}

void MainWindow::quitFromAnywhere() {
    // Each close ends that window's own event loop; the loops unwind once this returns.
    for (QWidget* popup = QApplication::activePopupWidget(); popup;) {
        popup->close();
        QWidget* next = QApplication::activePopupWidget();
        popup = next == popup ? nullptr : next;
    }
    for (QWidget* modal = QApplication::activeModalWidget(); modal && modal != this;) {
        modal->close();
        QWidget* next = QApplication::activeModalWidget();
        modal = next == modal ? nullptr : next;
    }
    command(res::kCmdLeftKey);
}

void MainWindow::tellOtherTimetable(const QString& folder) {
    if (folder.isEmpty()) return;
    const QString inUse = toQString(db_.folder);
    if (QDir(folder) == QDir(inUse)) return;
    QWidget* front = QApplication::activeModalWidget();
    showNotice(front ? front : this, shown(res::kCaptionInfo),
               shown(res::kTextOtherTimetable)
                   .arg(QDir::toNativeSeparators(folder), QDir::toNativeSeparators(inUse)));
}

void MainWindow::bringForward() {
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
    if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->raise();
        modal->activateWindow();
    }
}

}  // namespace zelvan
