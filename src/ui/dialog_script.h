// Drives modal dialogs without their own event loops: while a script is installed, every dialog
// that opens is shown and handed to the next step of the script, and closed after the step if
// the step left it open. The screenshot tour and the tests walk the program this way.
#pragma once

#include <deque>
#include <functional>

#include "ui/modal.h"

class QDialog;

namespace zelvan {

class DialogScript {
  public:
    using Step = std::function<void(QDialog&)>;

    // Installs the script as the modal runner until it is destroyed.
    DialogScript();
    ~DialogScript();
    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;

    // Adds a step for the next dialog that opens.
    void then(Step step);
    // Drops the steps not used yet.
    void clear() { steps_.clear(); }
    // Steps not used yet.
    int pending() const { return static_cast<int>(steps_.size()); }
    // Dialogs that opened when no step was left; each was closed at once.
    int unexpected() const { return unexpected_; }

  private:
    int run(QDialog& dialog);

    std::deque<Step> steps_;
    int unexpected_ = 0;
    ModalRunner previous_;
};

}  // namespace zelvan
