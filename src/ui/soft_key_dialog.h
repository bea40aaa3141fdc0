// A full-screen modal dialog with soft keys: it covers its owner's window, shows its controls
// above a soft-key bar and handles every key, popup item, Escape and close as a command number.
#pragma once

#include <QDialog>
#include <QElapsedTimer>

class QVBoxLayout;

namespace zelvan {

class SoftKeyBar;

class SoftKeyDialog : public QDialog {
    Q_OBJECT

  public:
    // `menuBarId` names the soft keys (res/menu_bars.h); 0 for a dialog without them.
    SoftKeyDialog(int menuBarId, QWidget* owner);

    SoftKeyBar* softKeys() const { return softKeys_; }
    // Runs command `id` of this dialog; true when the dialog acted on it.
    virtual bool command(int id) = 0;
    // True from the dialog's showing until the platform's double-click interval has passed.
    // Clicks in that time belong to the gesture that opened the dialog (the second click of a
    // double-click lands on the new view) and are not passed to it.
    bool justOpened() const;

  protected:
    // The area above the soft keys that holds the dialog's controls.
    QVBoxLayout* body() const { return body_; }
    // The command that Escape sends: the dialog's "返回".
    virtual int escapeCommand() const = 0;
    // Ends the dialog with `result`; the place for a view to restore shared state.
    virtual void finish(int result) { done(result); }

    void reject() override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    QVBoxLayout* body_ = nullptr;
    SoftKeyBar* softKeys_ = nullptr;
    QElapsedTimer shown_;
};

}  // namespace zelvan
