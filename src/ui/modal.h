// Opening a modal dialog. The application runs the dialog's own event loop; tests and the
// screenshot tour install a runner that shows the dialog and drives it without blocking.
#pragma once

#include <functional>

class QDialog;

namespace zelvan {

// Shows `dialog` modally and returns its result when it closes. The runner, when one is
// installed, is responsible for showing and closing.
using ModalRunner = std::function<int(QDialog&)>;

int runModal(QDialog& dialog);
// Installs `runner` (empty: QDialog::exec again) and returns the previous one.
ModalRunner setModalRunner(ModalRunner runner);

}  // namespace zelvan
