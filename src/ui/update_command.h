// The "更新" command of the main window: the update check on a worker thread, its questions and
// notices as message boxes over the main window, its progress in a modal dialog, and a cancel
// that stops it at once.
#pragma once

#include <QEventLoop>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "update/cancel_token.h"
#include "update/update_checker.h"

namespace zelvan {

class TimetableDb;
class UpdateProgressDialog;

// Questions and notices of the update check as message boxes owned by the main window.
class WindowUpdateNotifier final : public UpdateNotifier {
  public:
    explicit WindowUpdateNotifier(QWidget* window) : window_(window) {}

    bool ask(bool programFlag, bool questionFlag, const std::u16string& text) override;
    void showError(const std::u16string& text) override;
    void openHomepage() override;

  private:
    QPointer<QWidget> window_;
};

// One run of the update command against `server` (base address, no trailing "/") for `db`,
// installing into `installFolder` (see UpdateChecker::setInstallFolder).
//
// The check runs on a worker thread, so that the window repaints, moves and answers while a
// slow server sends. Whatever the check shows is handed to this (the GUI) thread: questions,
// notices and errors go to `shown` one at a time while the worker waits for the answer, so
// they keep the order and the nesting of a check that ran here; progress is shown in a modal
// dialog, at once for the package and after half a second for the version file. Until the
// check ends, input to `window` is dropped, as under a modal dialog, and the database belongs
// to the worker.
class UpdateSession : public QObject {
    Q_OBJECT

  public:
    UpdateSession(TimetableDb& db, const std::string& server, const std::u16string& installFolder,
                  UpdateNotifier& shown, QWidget* window);
    // Cancels a check that still runs (quietly) and waits for it.
    ~UpdateSession() override;
    UpdateSession(const UpdateSession&) = delete;
    UpdateSession& operator=(const UpdateSession&) = delete;

    // Runs the check to its end while the event loop runs; returns how it ended.
    UpdateOutcome exec();
    // Stops the check at its next safe point. The user's cancel is followed by its notice; a
    // `quiet` one (the window is closing) shows nothing more.
    void cancel(bool quiet = false);

    UpdateProgressDialog* progressDialog() const { return dialog_.get(); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    class WorkerNotifier;
    struct Reply {
        bool done = false;
        bool answer = false;
    };

    // Worker side: runs `call` with `shown_` on this thread and waits for its answer (false
    // without running it once a quiet cancel came).
    bool callShown(std::function<bool(UpdateNotifier&)> call);
    void postProgress(const UpdateProgress& progress);
    // GUI side.
    void applyProgress();
    void showBusy();
    bool quiet() const;

    TimetableDb& db_;
    std::string server_;
    std::u16string installFolder_;
    UpdateNotifier& shown_;
    QPointer<QWidget> window_;
    std::unique_ptr<UpdateProgressDialog> dialog_;
    std::unique_ptr<WorkerNotifier> notifier_;
    CancelToken token_;
    QEventLoop loop_;
    std::thread worker_;
    std::atomic<bool> finished_{false};
    UpdateOutcome outcome_ = UpdateOutcome::Failed;  // written by the worker before finished_
    bool asked_ = false;                             // a question or notice has been shown

    mutable std::mutex mutex_;  // guards what follows
    std::condition_variable replied_;
    bool quiet_ = false;
    UpdateProgress latest_;
    bool progressPosted_ = false;
};

}  // namespace zelvan
