#include "ui/update_command.h"

#include <QApplication>
#include <QCursor>

#include "db/product.h"
#include "res/texts.h"
#include "ui/links.h"
#include "ui/messages.h"
#include "ui/qt_text.h"
#include "update/network_connection.h"

namespace zelvan {
namespace {

// Shows the normal cursor while a message box waits for the user in the middle of the check.
class NormalCursor {
  public:
    NormalCursor() : waiting_(QApplication::overrideCursor() != nullptr) {
        if (waiting_) QApplication::restoreOverrideCursor();
    }
    ~NormalCursor() {
        if (waiting_) QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    NormalCursor(const NormalCursor&) = delete;
    NormalCursor& operator=(const NormalCursor&) = delete;

  private:
    bool waiting_;
};

}  // namespace

bool WindowUpdateNotifier::ask(bool programFlag, bool questionFlag, const std::u16string& text) {
    NormalCursor cursor;
    if (programFlag || questionFlag) {
        return askYesNo(window_, toQString(res::kCaptionUpdateFound), toQString(text));
    }
    showNotice(window_, toQString(res::kCaptionNoUpdate), toQString(text),
               MessageIcon::Information);
    return false;
}

void WindowUpdateNotifier::showError(const std::u16string& text) {
    NormalCursor cursor;
    showNotice(window_, toQString(res::kCaptionInfo), toQString(text), MessageIcon::Warning);
}

void WindowUpdateNotifier::openHomepage() {
    openLink(toQString(kMobileSiteAddress));
}

UpdateOutcome runUpdate(TimetableDb& db, const std::string& server, UpdateNotifier& notifier) {
    static NetworkConnection connection;
    static UpdateChecker checker(db, server);
    checker.setServer(server);
    // The check runs on this thread and blocks the window while it downloads.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    UpdateOutcome outcome = runUpdateCommand(connection, checker, notifier);
    QApplication::restoreOverrideCursor();
    return outcome;
}

}  // namespace zelvan
