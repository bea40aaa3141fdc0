#include "ui/dialog_script.h"

#include <QApplication>
#include <QDialog>

namespace zelvan {

DialogScript::DialogScript() {
    previous_ = setModalRunner([this](QDialog& dialog) { return run(dialog); });
}

DialogScript::~DialogScript() {
    setModalRunner(std::move(previous_));
}

void DialogScript::then(Step step) {
    steps_.push_back(std::move(step));
}

int DialogScript::run(QDialog& dialog) {
    dialog.setResult(0);
    dialog.show();
    // Active as a modal dialog would be, so that its keys and shortcuts reach it.
    dialog.activateWindow();
    QApplication::setActiveWindow(&dialog);
    QCoreApplication::processEvents();
    if (steps_.empty()) {
        ++unexpected_;
    } else {
        Step step = std::move(steps_.front());
        steps_.pop_front();
        step(dialog);
    }
    // Closing as the user would, so that the dialog's own closing rules run.
    if (dialog.isVisible()) dialog.close();
    return dialog.result();
}

}  // namespace zelvan
