#include "ui/main_window.h"

#include <QApplication>
#include <QListWidget>
#include <QMouseEvent>
#include <QShortcut>
#include <QVBoxLayout>

#include <cstdio>

#include "db/data_folder.h"
#include "db/product.h"
#include "db/text.h"
#include "db/timetable_db.h"
#include "res/resource_ids.h"
#include "res/texts.h"
#include "ui/about_dialog.h"
#include "ui/action_key.h"
#include "ui/app_context.h"
#include "ui/downloads_dialog.h"
#include "ui/icon.h"
#include "ui/links.h"
#include "ui/messages.h"
#include "ui/modal.h"
#include "ui/qt_text.h"
#include "ui/soft_key_bar.h"
#include "ui/station_dialog.h"
#include "ui/station_to_station_dialog.h"
#include "ui/train_number_dialog.h"
#include "ui/update_command.h"
#include "update/version.h"

namespace zelvan {
namespace {

// The entry texts in list order (string ids).
constexpr int kEntryTextIds[] = {res::kStrStationToStation, res::kStrTrainNumber, res::kStrStation,
                                 res::kStrDownloads, res::kStrHomepage};

// The main list is read at arm's length on a handheld screen.
constexpr int kListFontPixels = 24;

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
    resize(480, 640);

    const DataFolder folder = resolveDataFolder(options.dataFolder);
    updateFolder_ = folder.updateFolder;
    if (!db_.load(folder.path)) {
        std::fprintf(stderr, "zelvan: cannot load the timetable in '%s' (%s): %s\n",
                     toUtf8(folder.path).c_str(),
                     std::string(dataSourceReason(folder.source)).c_str(),
                     loadProblem(folder.path).c_str());
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    createMainList();
    layout->addWidget(list_, 1);
    softKeys_ = new SoftKeyBar(res::kMenuBarMain, this);
    layout->addWidget(softKeys_);
    connect(softKeys_, &SoftKeyBar::commandTriggered, this, [this](int id) { command(id); });

    auto* quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this);
    quit->setContext(Qt::WindowShortcut);
    connect(quit, &QShortcut::activated, this, [this] { command(res::kCmdLeftKey); });

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
    for (int id : kEntryTextIds) list_->addItem(resourceText(id));

    // A tap opens the entry at once; a tap beside the entries asks for one.
    connect(list_, &QListWidget::clicked, this,
            [this](const QModelIndex&) { openSelectedEntry(); });
    list_->viewport()->installEventFilter(this);
    onActionKey(list_, [this](int) { openSelectedEntry(); });
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (list_ && watched == list_->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            !list_->indexAt(mouse->position().toPoint()).isValid()) {
            list_->clearSelection();
            openSelectedEntry();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::openSelectedEntry() {
    const QList<QListWidgetItem*> selected = list_->selectedItems();
    if (selected.isEmpty()) {
        showNotice(list_, toQString(res::kCaptionError), toQString(res::kTextSelectRecord),
                   MessageIcon::Warning);
        return;
    }
    openEntry(list_->row(selected.first()));
}

void MainWindow::openEntry(int index) {
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
            openLink(toQString(kMobileSiteAddress));
            break;
    }
}

bool MainWindow::command(int id) {
    switch (id) {
        case res::kCmdOk:
        case res::kCmdMenuOk:
            openSelectedEntry();
            return true;
        case res::kCmdUpdate:
            runUpdate();
            return true;
        case res::kCmdAbout: {
            AboutDialog dialog(db_, this);
            runModal(dialog);
            return true;
        }
        case res::kCmdLeftKey:
            close();
            return true;
        default:
            return false;
    }
}

void MainWindow::runUpdate() {
    if (!context_.updateNotifier) return;
    if (update_) {
        context_.updateNotifier->showError(std::u16string(kTextUpdateBusy));
        return;
    }
    UpdateSession session(db_, updateServer_, updateFolder_, *context_.updateNotifier, this);
    update_ = &session;
    session.exec();
    update_ = nullptr;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (update_) update_->cancel(true);
    QWidget::closeEvent(event);
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
