// The modal window of a running update: the phase ("正在检查更新…", "正在下载…", "正在安装…"),
// the bytes received and, when the server gave a length, the total and a bar; and "取消".
#pragma once

#include <QDialog>

#include "update/update_progress.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace zelvan {

class UpdateProgressDialog : public QDialog {
    Q_OBJECT

  public:
    explicit UpdateProgressDialog(QWidget* owner);

    void setProgress(const UpdateProgress& progress);
    // After a cancel: the button is spent until the update ends.
    void setCancelling();

    QLabel* phaseLabel() const { return phase_; }
    QLabel* bytesLabel() const { return bytes_; }
    QProgressBar* bar() const { return bar_; }
    QPushButton* cancelButton() const { return cancel_; }

  signals:
    // "取消", Escape or the window's close: the update should stop.
    void cancelRequested();

  protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

  private:
    QLabel* phase_ = nullptr;
    QLabel* bytes_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace zelvan
