#include "ui/update_progress_dialog.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "res/texts.h"
#include "ui/qt_text.h"

namespace zelvan {
namespace {

// The bar counts in thousandths, so that packages over 2 GB cannot overflow its int range.
constexpr int kBarSteps = 1000;

}  // namespace

UpdateProgressDialog::UpdateProgressDialog(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("updateProgressDialog"));
    setWindowTitle(shown(res::kCaptionUpdate));
    setWindowModality(Qt::ApplicationModal);
    setMinimumWidth(320);

    auto* layout = new QVBoxLayout(this);
    phase_ = new QLabel(this);
    bytes_ = new QLabel(this);
    bar_ = new QProgressBar(this);
    bar_->setTextVisible(false);
    layout->addWidget(phase_);
    layout->addWidget(bar_);
    layout->addWidget(bytes_);
    auto* buttons = new QDialogButtonBox(this);
    cancel_ = buttons->addButton(shown(res::kButtonCancel), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(cancel_, &QPushButton::clicked, this, &UpdateProgressDialog::cancelRequested);
    setProgress({});
}

void UpdateProgressDialog::setProgress(const UpdateProgress& progress) {
    if (!cancel_->isEnabled()) return;  // stays "cancelling" until the update ends
    phase_->setText(shown(phaseText(progress.phase)));
    bool downloading = progress.phase != UpdatePhase::Installing;
    bytes_->setVisible(downloading);
    if (downloading)
        bytes_->setText(shown(res::kLabelReceived) + toQString(receivedText(progress)));
    // A bar with a length; a busy bar while checking or installing; none for a download of
    // unknown length.
    bool known = progress.phase == UpdatePhase::Downloading && progress.total > 0;
    bar_->setVisible(known || progress.phase != UpdatePhase::Downloading);
    if (known) {
        bar_->setRange(0, kBarSteps);
        bar_->setValue(static_cast<int>(std::min(progress.received, progress.total) * kBarSteps /
                                        progress.total));
    } else {
        bar_->setRange(0, 0);
    }
}

void UpdateProgressDialog::setCancelling() {
    phase_->setText(shown(res::kTextCancelling));
    cancel_->setEnabled(false);
}

void UpdateProgressDialog::reject() {
    // The dialog closes when the update ends, never by itself.
    if (cancel_->isEnabled()) emit cancelRequested();
}

void UpdateProgressDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
    reject();
}

}  // namespace zelvan
