#include "ui/screenshot_tour.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTime>
#include <QTimeEdit>
#include <QTimer>

#include "res/resource_ids.h"
#include "ui/dialog_script.h"
#include "ui/icon.h"
#include "ui/journey_dialog.h"
#include "ui/links.h"
#include "ui/main_window.h"
#include "ui/messages.h"
#include "ui/results_dialog.h"
#include "ui/soft_key_bar.h"
#include "ui/station_combo.h"
#include "ui/station_dialog.h"
#include "ui/station_to_station_dialog.h"
#include "ui/train_number_dialog.h"
#include "ui/update_command.h"
#include "ui/update_progress_dialog.h"

namespace zelvan {
namespace {

void settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

// Height of the caption strip drawn over each window: the offscreen platform draws no frames,
// and the captions are part of what the views show.
constexpr int kCaptionHeight = 24;

// `window` under a caption strip with its title.
QPixmap withCaption(QWidget* window, const QPixmap& content) {
    QPixmap shot(content.width(), content.height() + kCaptionHeight);
    shot.fill(Qt::white);
    QPainter painter(&shot);
    painter.fillRect(0, 0, shot.width(), kCaptionHeight, QColor(31, 95, 191));
    painter.setPen(Qt::white);
    QFont font = window->font();
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(8, 0, shot.width() - 16, kCaptionHeight),
                     Qt::AlignVCenter | Qt::AlignLeft, window->windowTitle());
    painter.drawPixmap(0, kCaptionHeight, content);
    return shot;
}

// The window of `widget` with every popup and message box that stands over it, as one picture.
QPixmap grabWithOverlays(QWidget* widget) {
    QWidget* frame = widget->window();
    QPixmap shot = frame->grab();
    QPainter painter(&shot);
    const QPoint origin = frame->mapToGlobal(QPoint(0, 0));
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top == frame || !top->isVisible()) continue;
        const QPoint at = top->mapToGlobal(QPoint(0, 0)) - origin;
        if (top->windowType() == Qt::Popup) {
            painter.drawPixmap(at, top->grab());
        } else if (qobject_cast<QMessageBox*>(top) || qobject_cast<UpdateProgressDialog*>(top) ||
                   qobject_cast<CopyableTextBox*>(top)) {
            painter.drawPixmap(at - QPoint(0, kCaptionHeight), withCaption(top, top->grab()));
        }
    }
    painter.end();
    return withCaption(frame, shot);
}

class Tour {
  public:
    explicit Tour(QString folder) : folder_(std::move(folder)) {}

    void save(const QString& name, QWidget* widget) {
        settle();
        saveImage(name, grabWithOverlays(widget));
    }
    void saveImage(const QString& name, const QPixmap& image) {
        QString file = QDir(folder_).filePath(
            QStringLiteral("%1-%2.png").arg(++index_, 2, 10, QLatin1Char('0')).arg(name));
        if (image.save(file)) ++written_;
    }
    int written() const { return written_; }

  private:
    QString folder_;
    int index_ = 0;
    int written_ = 0;
};

// Message boxes that are shown, photographed over their owner and answered Yes.
class PhotographedMessages final : public MessageBoxes {
  public:
    PhotographedMessages(Tour& tour, QWidget* fallbackOwner)
        : tour_(tour), fallbackOwner_(fallbackOwner) {}
    void nextName(QString name) { name_ = std::move(name); }

    void notify(QWidget* owner, const QString& caption, const QString& text,
                MessageIcon icon) override {
        photograph(*newNoticeBox(owner ? owner : fallbackOwner_, caption, text, icon));
    }
    bool askYesNo(QWidget* owner, const QString& caption, const QString& text) override {
        photograph(*newQuestionBox(owner ? owner : fallbackOwner_, caption, text));
        return true;
    }
    Answer askYesNoOr(QWidget* owner, const QString& caption, const QString& text,
                      const QString& other) override {
        std::unique_ptr<QMessageBox> box =
            newQuestionBox(owner ? owner : fallbackOwner_, caption, text);
        box->addButton(other, QMessageBox::ActionRole);
        photograph(*box);
        return Answer::Yes;
    }
    void showCopyable(QWidget* owner, const QString& caption, const QString& text) override {
        CopyableTextBox box(owner ? owner : fallbackOwner_, caption, text);
        // Over the middle of its owner, as the window manager would place it.
        QWidget* frame = box.parentWidget()->window();
        box.move(frame->geometry().center() - QPoint(box.width() / 2, box.height() / 2));
        photograph(box);
    }

  private:
    void photograph(QDialog& box) {
        box.show();
        settle();
        tour_.save(name_.isEmpty() ? QStringLiteral("message") : name_, box.parentWidget());
        box.close();
        name_.clear();
    }

    Tour& tour_;
    QWidget* fallbackOwner_;
    QString name_;
};

void typeStation(StationCombo* combo, const QString& typed) {
    combo->setEditText(typed);
    combo->suggestFor(typed);
}

void chooseStation(StationCombo* combo, const QString& name) {
    combo->suggestions()->popup()->hide();
    combo->setEditText(name);
}

// The station-to-station query for `from` -> `to`, the message it may show named `message`.
void queryNaming(StationToStationDialog& dialog, PhotographedMessages& messages,
                 const QString& from, const QString& to, const QString& message) {
    chooseStation(dialog.fromStation(), from);
    dialog.toStation()->setEditText(to);
    messages.nextName(message);
    dialog.runQuery();
}

void selectRow(ResultsDialog& view, int row) {
    view.table()->selectRow(row);
    view.table()->setFocus();
}

// Direct trains, a train's stops, a station's trains; then a transfer.
void stationToStationViews(Tour& tour, DialogScript& script, PhotographedMessages& messages) {
    script.then([&](QDialog& d) {
        auto* found = qobject_cast<StationToStationDialog*>(&d);
        if (!found) return;
        auto& dialog = *found;
        typeStation(dialog.fromStation(), QStringLiteral("bj"));
        tour.save(QStringLiteral("station-to-station-suggestions"), &dialog);
        typeStation(dialog.fromStation(), QStringLiteral("beijing"));
        tour.save(QStringLiteral("station-to-station-pinyin"), &dialog);
        typeStation(dialog.fromStation(), QStringLiteral("xi'an"));
        tour.save(QStringLiteral("station-to-station-pinyin-apostrophe"), &dialog);
        queryNaming(dialog, messages, QStringLiteral("北京"), QStringLiteral("火星"),
                    QStringLiteral("unknown-station"));
        dialog.toStation()->setEditText(QStringLiteral("上海"));
        tour.save(QStringLiteral("station-to-station"), &dialog);
        dialog.runQuery();
        dialog.fromStation()->setEditText(QStringLiteral("青岛"));
        dialog.toStation()->setEditText(QStringLiteral("宁波东"));
        messages.nextName(QStringLiteral("transfer-question"));
        dialog.runQuery();
    });
    script.then([&](QDialog& d) {
        auto* found = qobject_cast<ResultsDialog*>(&d);
        if (!found) return;
        auto& view = *found;
        tour.save(QStringLiteral("direct-trains"), &view);
        view.softKeys()->pressRight();
        tour.save(QStringLiteral("results-menu"), &view);
        view.softKeys()->popupMenu()->hide();
        // Without a messaging program the message is shown for copying.
        messages.nextName(QStringLiteral("text-message-copy"));
        view.command(res::kCmdSendMessage);
        selectRow(view, 0);
        view.command(res::kCmdLeftKey);
    });
    script.then([&](QDialog& d) {
        auto* found = qobject_cast<ResultsDialog*>(&d);
        if (!found) return;
        auto& view = *found;
        tour.save(QStringLiteral("train-stops"), &view);
        view.openRow(view.table()->rowCount() > 1 ? 1 : 0);
    });
    script.then([&](QDialog& d) { tour.save(QStringLiteral("stop-station-trains"), &d); });
    script.then([&](QDialog& d) {
        auto* found = qobject_cast<ResultsDialog*>(&d);
        if (!found) return;
        auto& view = *found;
        tour.save(QStringLiteral("transfer-stations"), &view);
        view.openRow(0);
    });
    script.then([&](QDialog& d) { tour.save(QStringLiteral("transfer-trains"), &d); });
}

// Journeys with changes: the dialog's popup, the journeys, one journey's legs, a leg's train.
void journeyViews(Tour& tour, DialogScript& script) {
    script.then([&](QDialog& d) {
        auto* found = qobject_cast<StationToStationDialog*>(&d);
        if (!found) return;
        auto& dialog = *found;
        dialog.fromStation()->setEditText(QStringLiteral("青岛"));
        dialog.toStation()->setEditText(QStringLiteral("宁波东"));
        dialog.softKeys()->pressRight();
        tour.save(QStringLiteral("station-to-station-menu"), &dialog);
        dialog.softKeys()->popupMenu()->hide();
        dialog.command(res::kCmdJourneys);
    });
    script.then([&](QDialog& d) {
        auto* found = qobject_cast<JourneyDialog*>(&d);
        if (!found) return;
        // The whole day, as the journeys have always been shown.
        found->time()->setTime(QTime(0, 0));
        tour.save(QStringLiteral("journey-question"), found);
        found->runQuery();
    });
    script.then([&](QDialog& d) {
        auto* found = qobject_cast<ResultsDialog*>(&d);
        if (!found) return;
        tour.save(QStringLiteral("journeys"), found);
        // The first journey that changes between two stations of a place, to show that change.
        const QTableWidget& table = *found->table();
        int shown = 0;
        for (int r = 0; r < table.rowCount(); ++r) {
            if (table.item(r, 3) && table.item(r, 3)->text().contains(u' ')) {
                shown = r;
                break;
            }
        }
        selectRow(*found, shown);
        found->command(res::kCmdLeftKey);
    });
    script.then([&](QDialog& d) {
        auto* found = qobject_cast<ResultsDialog*>(&d);
        if (!found) return;
        tour.save(QStringLiteral("journey-legs"), found);
        found->openRow(found->table()->rowCount() > 1 ? 1 : 0);
    });
    script.then([&](QDialog& d) { tour.save(QStringLiteral("journey-train-stops"), &d); });
}

void trainNumberViews(Tour& tour, DialogScript& script, PhotographedMessages& messages) {
    script.then([&](QDialog& d) {
        auto* found = qobject_cast<TrainNumberDialog*>(&d);
        if (!found) return;
        auto& dialog = *found;
        dialog.trainNumber()->setText(QStringLiteral("k1"));
        tour.save(QStringLiteral("train-number"), &dialog);
        dialog.runQuery();
        dialog.trainNumber()->setText(QStringLiteral("K1227"));
        dialog.runQuery();
        dialog.trainNumber()->setText(QStringLiteral("XYZ"));
        messages.nextName(QStringLiteral("nothing-found"));
        dialog.runQuery();
    });
    script.then([&](QDialog& d) { tour.save(QStringLiteral("train-choice"), &d); });
    script.then([&](QDialog& d) { tour.save(QStringLiteral("train-stops-status"), &d); });
}

void stationViews(Tour& tour, DialogScript& script) {
    script.then([&](QDialog& d) {
        auto* found = qobject_cast<StationDialog*>(&d);
        if (!found) return;
        auto& dialog = *found;
        // The stations used before, offered in the drop-down.
        dialog.stationName()->showPopup();
        tour.save(QStringLiteral("station-recent"), &dialog);
        dialog.stationName()->hidePopup();
        dialog.stationName()->setEditText(QStringLiteral("北京南"));
        tour.save(QStringLiteral("station"), &dialog);
        dialog.runQuery();
    });
    script.then([&](QDialog& d) { tour.save(QStringLiteral("station-trains"), &d); });
}

// Typed names (an empty field, several stations, the same station twice), then the direct
// trains sorted by a click on 开点 and reversed, scrolled right with the train column in view.
// Last in the tour, so that the views before keep their numbers.
void travellerViews(Tour& tour, DialogScript& script, PhotographedMessages& messages) {
    script.then([&](QDialog& d) {
        auto* found = qobject_cast<StationToStationDialog*>(&d);
        if (!found) return;
        auto& dialog = *found;
        queryNaming(dialog, messages, QString(), QStringLiteral("上海"),
                    QStringLiteral("empty-station"));
        dialog.fromStation()->setEditText(QStringLiteral("bei"));
        dialog.runQuery();
        tour.save(QStringLiteral("typed-name-several"), &dialog);
        queryNaming(dialog, messages, QStringLiteral("beijing"), QStringLiteral("北京"),
                    QStringLiteral("same-stations"));
        dialog.toStation()->setEditText(QStringLiteral("shanghai"));
        dialog.runQuery();
    });
    script.then([&](QDialog& d) {
        auto* found = qobject_cast<ResultsDialog*>(&d);
        if (!found) return;
        auto& view = *found;
        view.sortByColumn(1);
        tour.save(QStringLiteral("direct-trains-by-departure"), &view);
        view.sortByColumn(1);
        QScrollBar* sideways = view.table()->horizontalScrollBar();
        sideways->setValue(sideways->maximum());
        tour.save(QStringLiteral("direct-trains-latest-first-scrolled"), &view);
        sideways->setValue(0);
        view.sortByColumn(1);  // the listed order again
    });
}

// The update: its question, the progress dialog at a quarter and at two thirds of the package,
// then "取消" and the notice that follows.
void updateViews(Tour& tour, MainWindow& window, PhotographedMessages& messages) {
    QTimer watch;
    watch.setInterval(20);
    int shots = 0;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        UpdateSession* session = window.updateSession();
        UpdateProgressDialog* dialog = session ? session->progressDialog() : nullptr;
        if (!dialog || !dialog->isVisible() || !dialog->cancelButton()->isEnabled()) return;
        const int marks[] = {250, 660};
        if (shots < 2 && dialog->bar()->value() >= marks[shots]) {
            tour.save(QStringLiteral("update-progress"), &window);
            if (++shots == 2) {
                messages.nextName(QStringLiteral("update-cancelled"));
                dialog->cancelButton()->click();
            }
        }
    });
    watch.start();
    messages.nextName(QStringLiteral("update-question"));
    window.command(res::kCmdUpdate);
}

}  // namespace

int runScreenshotTour(MainWindow& window, const QString& folder, bool withUpdate) {
    if (!QDir().mkpath(folder)) return -1;
    Tour tour(folder);
    PhotographedMessages messages(tour, &window);
    MessageBoxes* previousMessages = setMessageBoxes(&messages);
    // Nothing leaves the tour: links and messages are taken for unopenable and shown instead.
    LinkOpener previousOpener = setLinkOpener([](const QUrl&) { return false; });
    {
        DialogScript script;
        window.show();
        settle();
        tour.save(QStringLiteral("main"), &window);
        window.softKeys()->pressRight();
        tour.save(QStringLiteral("main-menu"), &window);
        window.softKeys()->popupMenu()->hide();

        window.mainList()->clearSelection();
        messages.nextName(QStringLiteral("select-record"));
        window.openSelectedEntry();

        // Each group starts afresh: a query that finds nothing in another timetable leaves
        // steps of its group unused.
        stationToStationViews(tour, script, messages);
        window.openEntry(static_cast<int>(MainEntry::StationToStation));
        script.clear();
        journeyViews(tour, script);
        window.openEntry(static_cast<int>(MainEntry::StationToStation));
        script.clear();
        trainNumberViews(tour, script, messages);
        window.openEntry(static_cast<int>(MainEntry::TrainNumber));
        script.clear();
        stationViews(tour, script);
        window.openEntry(static_cast<int>(MainEntry::Station));
        script.clear();

        script.then([&](QDialog& d) { tour.save(QStringLiteral("downloads"), &d); });
        window.openEntry(static_cast<int>(MainEntry::Downloads));
        script.then([&](QDialog& d) { tour.save(QStringLiteral("about"), &d); });
        window.command(res::kCmdAbout);
        // Without a browser the homepage's address is shown for copying.
        messages.nextName(QStringLiteral("homepage-copy"));
        window.openEntry(static_cast<int>(MainEntry::Homepage));
        tour.saveImage(QStringLiteral("icon"), appIcon().pixmap(128, 128));
        script.clear();
        travellerViews(tour, script, messages);
        window.openEntry(static_cast<int>(MainEntry::StationToStation));
        script.clear();
        // A second start that names another timetable: the running window says so.
        messages.nextName(QStringLiteral("other-timetable"));
        window.tellOtherTimetable(QDir::tempPath());
        if (withUpdate) updateViews(tour, window, messages);
    }
    setMessageBoxes(previousMessages);
    setLinkOpener(std::move(previousOpener));
    return tour.written();
}

}  // namespace zelvan
