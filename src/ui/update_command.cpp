#include "ui/update_command.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

#include "db/product.h"
#include "res/texts.h"
#include "ui/links.h"
#include "ui/messages.h"
#include "ui/qt_text.h"
#include "ui/update_progress_dialog.h"
#include "update/network_connection.h"

namespace zelvan {
namespace {

// A version file that takes longer than this gets a busy indicator.
constexpr int kBusyDelayMs = 500;

// The process's one update check and its data connection: created on first use, kept until
// the process ends.
UpdateChecker& updateChecker(TimetableDb& db) {
    static UpdateChecker checker(db);
    return checker;
}

NetworkConnection& networkConnection() {
    static NetworkConnection connection;
    return connection;
}

}  // namespace

bool WindowUpdateNotifier::ask(bool programFlag, bool questionFlag, const std::u16string& text) {
    if (programFlag || questionFlag) {
        return askYesNo(window_, shown(res::kCaptionUpdateFound), shown(text));
    }
    // The checker says a cancelled update the way it says "no update"; it is no such answer.
    const bool cancelled = text == kTextUpdateCancelled;
    showNotice(window_, shown(cancelled ? res::kCaptionInfo : res::kCaptionNoUpdate), shown(text),
               MessageIcon::Information);
    return false;
}

void WindowUpdateNotifier::showError(const std::u16string& text) {
    showNotice(window_, shown(res::kCaptionInfo), shown(text), MessageIcon::Warning);
}

void WindowUpdateNotifier::openHomepage() {
    openLink(toQString(kMobileSiteAddress));
}

// Runs on the worker: hands everything to the session's thread.
class UpdateSession::WorkerNotifier final : public UpdateNotifier {
  public:
    explicit WorkerNotifier(UpdateSession& session) : session_(session) {}

    bool ask(bool programFlag, bool questionFlag, const std::u16string& text) override {
        return session_.callShown([programFlag, questionFlag, text](UpdateNotifier& shown) {
            return shown.ask(programFlag, questionFlag, text);
        });
    }
    void showError(const std::u16string& text) override {
        session_.callShown([text](UpdateNotifier& shown) {
            shown.showError(text);
            return false;
        });
    }
    void openHomepage() override {
        session_.callShown([](UpdateNotifier& shown) {
            shown.openHomepage();
            return false;
        });
    }
    void showProgress(const UpdateProgress& progress) override { session_.postProgress(progress); }

  private:
    UpdateSession& session_;
};

UpdateSession::UpdateSession(TimetableDb& db, const std::string& server,
                             const std::u16string& installFolder, UpdateNotifier& shown,
                             QWidget* window)
    : db_(db),
      server_(server),
      installFolder_(installFolder),
      shown_(shown),
      window_(window),
      dialog_(std::make_unique<UpdateProgressDialog>(window)),
      notifier_(std::make_unique<WorkerNotifier>(*this)) {
    connect(dialog_.get(), &UpdateProgressDialog::cancelRequested, this, [this] { cancel(); });
}

UpdateSession::~UpdateSession() {
    if (worker_.joinable()) {
        cancel(true);
        worker_.join();
    }
}

UpdateOutcome UpdateSession::exec() {
    UpdateChecker& checker = updateChecker(db_);
    checker.setServer(server_);
    checker.setInstallFolder(installFolder_);
    checker.setCancelToken(&token_);
    qApp->installEventFilter(this);
    if (window_) window_->setCursor(Qt::BusyCursor);
    QTimer::singleShot(kBusyDelayMs, this, [this] { showBusy(); });

    worker_ = std::thread([this, &checker] {
        outcome_ = runUpdateCommand(networkConnection(), checker, *notifier_);
        finished_ = true;
        QMetaObject::invokeMethod(
            this, [this] { loop_.quit(); }, Qt::QueuedConnection);
    });
    // Ends when the worker does, or early when the application quits: then the check is
    // stopped and waited for here.
    if (!finished_) loop_.exec();
    if (!finished_) cancel(true);
    worker_.join();

    checker.setCancelToken(nullptr);
    checker.setNotifier(nullptr);
    dialog_->hide();
    if (window_) window_->unsetCursor();
    qApp->removeEventFilter(this);
    return outcome_;
}

void UpdateSession::cancel(bool quiet) {
    if (quiet) {
        std::lock_guard lock(mutex_);
        quiet_ = true;
        replied_.notify_all();
    }
    token_.cancel();
    if (quiet) {
        dialog_->hide();
    } else {
        dialog_->setCancelling();
    }
}

bool UpdateSession::quiet() const {
    std::lock_guard lock(mutex_);
    return quiet_;
}

bool UpdateSession::callShown(std::function<bool(UpdateNotifier&)> call) {
    auto reply = std::make_shared<Reply>();
    if (quiet()) return false;
    QMetaObject::invokeMethod(
        this,
        [this, reply, call = std::move(call)] {
            bool answer = false;
            if (!quiet()) {
                asked_ = true;
                dialog_->hide();  // a question or notice stands alone
                answer = call(shown_);
            }
            std::lock_guard lock(mutex_);
            reply->done = true;
            reply->answer = answer;
            replied_.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(mutex_);
    replied_.wait(lock, [&] { return reply->done || quiet_; });
    return reply->done && reply->answer;
}

void UpdateSession::postProgress(const UpdateProgress& progress) {
    // Pieces arrive far faster than a window repaints: keep the latest, post once.
    std::lock_guard lock(mutex_);
    latest_ = progress;
    if (progressPosted_) return;
    progressPosted_ = true;
    QMetaObject::invokeMethod(
        this, [this] { applyProgress(); }, Qt::QueuedConnection);
}

void UpdateSession::applyProgress() {
    UpdateProgress progress;
    {
        std::lock_guard lock(mutex_);
        progress = latest_;
        progressPosted_ = false;
    }
    dialog_->setProgress(progress);
    if (progress.phase != UpdatePhase::Checking && !quiet() && !dialog_->isVisible()) {
        dialog_->show();
    }
}

void UpdateSession::showBusy() {
    // Only while the version file is still on its way: once a question was asked, the dialog
    // follows the package's progress.
    if (finished_ || asked_ || quiet() || dialog_->isVisible()) return;
    dialog_->show();
}

bool UpdateSession::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin: {
            auto* widget = qobject_cast<QWidget*>(watched);
            return widget && window_ && widget->window() == window_;
        }
        default:
            return false;
    }
}

}  // namespace zelvan
