#include "ui/soft_key_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QStyleHints>
#include <QVBoxLayout>

#include "res/resource_ids.h"
#include "ui/soft_key_bar.h"

namespace zelvan {
namespace {

// Swallows the mouse buttons aimed at a dialog that has just opened (SoftKeyDialog::justOpened).
class FreshDialogClickGuard final : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
                break;
            default:
                return false;
        }
        auto* widget = qobject_cast<QWidget*>(watched);
        auto* dialog = widget ? qobject_cast<SoftKeyDialog*>(widget->window()) : nullptr;
        return dialog && dialog->justOpened();
    }
};

void guardFreshDialogs() {
    static QObject* guard = nullptr;
    if (guard || !qApp) return;
    guard = new FreshDialogClickGuard(qApp);
    qApp->installEventFilter(guard);
}

}  // namespace

SoftKeyDialog::SoftKeyDialog(int menuBarId, QWidget* owner) : QDialog(owner) {
    guardFreshDialogs();
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    body_ = new QVBoxLayout;
    layout->addLayout(body_, 1);
    if (menuBarId != 0) {
        softKeys_ = new SoftKeyBar(menuBarId, this);
        layout->addWidget(softKeys_);
        // The language is chosen alike in every window.
        connect(softKeys_, &SoftKeyBar::commandTriggered, this, [this](int id) {
            if (id == res::kCmdLanguage) {
                chooseLanguage(*softKeys_);
            } else {
                command(id);
            }
        });
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
        // A maximized or full-screen frame stays so in every view opened over it.
        const Qt::WindowStates kept = Qt::WindowMaximized | Qt::WindowFullScreen;
        setWindowState((windowState() & ~kept) | (frame->windowState() & kept));
    }
    shown_.start();
    QDialog::showEvent(event);
}

bool SoftKeyDialog::justOpened() const {
    return shown_.isValid() &&
           shown_.elapsed() < QGuiApplication::styleHints()->mouseDoubleClickInterval();
}

}  // namespace zelvan
