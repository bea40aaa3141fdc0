// The "更新" command of the main window: the update check with its questions and notices shown
// as message boxes over the main window.
#pragma once

#include <QPointer>
#include <QWidget>
#include <string>

#include "update/update_checker.h"

namespace zelvan {

class TimetableDb;

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

// Runs the update check against `server` (base address, no trailing "/") for `db`, asking
// through `notifier`. The check and its network connection live until the process ends.
UpdateOutcome runUpdate(TimetableDb& db, const std::string& server, UpdateNotifier& notifier);

}  // namespace zelvan
