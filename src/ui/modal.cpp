#include "ui/modal.h"

#include <QDialog>
#include <utility>

namespace zelvan {
namespace {

ModalRunner& currentRunner() {
    static ModalRunner runner;
    return runner;
}

}  // namespace

int runModal(QDialog& dialog) {
    // A copy: the runner may install another one while a nested dialog runs.
    ModalRunner runner = currentRunner();
    if (runner) return runner(dialog);
    return dialog.exec();
}

ModalRunner setModalRunner(ModalRunner runner) {
    return std::exchange(currentRunner(), std::move(runner));
}

}  // namespace zelvan
