#include "ui/soft_key_dialog.h"

#include <QCloseEvent>
#include <QVBoxLayout>

#include "res/resource_ids.h"
#include "ui/soft_key_bar.h"

namespace zelvan {

SoftKeyDialog::SoftKeyDialog(int menuBarId, QWidget* owner) : QDialog(owner) {
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    body_ = new QVBoxLayout;
    layout->addLayout(body_, 1);
    if (menuBarId != 0) {
        softKeys_ = new SoftKeyBar(menuBarId, this);
        layout->addWidget(softKeys_);
        connect(softKeys_, &SoftKeyBar::commandTriggered, this, [this](int id) { command(id); });
    }
}

void SoftKeyDialog::reject() {
    // Escape (and QDialog's own cancel paths) act as the dialog's "返回".
    command(escapeCommand());
}

void SoftKeyDialog::closeEvent(QCloseEvent* event) {
    finish(res::kResultClosed);
    event->accept();
}

void SoftKeyDialog::showEvent(QShowEvent* event) {
    // Full screen on a handheld; on a desktop the dialog takes the place of the window that
    // opened it, so every view of the program fills the same frame.
    if (QWidget* owner = parentWidget()) {
        QWidget* frame = owner->window();
        setGeometry(frame->geometry());
    }
    QDialog::showEvent(event);
}

}  // namespace zelvan
