// Every message box of the program goes through here, so that one object decides how they are
// shown (Qt message boxes in the application, a recording double in tests).
#pragma once

#include <QDialog>
#include <QString>
#include <memory>

class QMessageBox;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace zelvan {

enum class MessageIcon : int { None = 0, Information = 1, Warning = 2 };

class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    // A notice with an OK button.
    virtual void notify(QWidget* owner, const QString& caption, const QString& text,
                        MessageIcon icon) = 0;
    // A question with Yes and No; true for Yes.
    virtual bool askYesNo(QWidget* owner, const QString& caption, const QString& text) = 0;
    // The question with a third answer besides Yes and No: a button `other` of its own.
    // Answer::Other for it; by default a Qt message box.
    enum class Answer : int { No = 0, Yes = 1, Other = 2 };
    virtual Answer askYesNoOr(QWidget* owner, const QString& caption, const QString& text,
                              const QString& other);
    // Text the platform could not hand on (a link, a text message), shown so that the user can
    // select and copy it; by default a modal CopyableTextBox.
    virtual void showCopyable(QWidget* owner, const QString& caption, const QString& text);
};

// A box of selectable, read-only text with "复制" (copy all to the clipboard; it then reads
// "已复制") and "确定".
class CopyableTextBox : public QDialog {
    Q_OBJECT

  public:
    CopyableTextBox(QWidget* owner, const QString& caption, const QString& text);

    QPlainTextEdit* textField() const { return field_; }
    QPushButton* copyButton() const { return copy_; }

  private:
    QPlainTextEdit* field_ = nullptr;
    QPushButton* copy_ = nullptr;
};

// The Qt message boxes the program shows, built but not shown yet: a notice with OK, and a
// question with Yes (the default) and No.
std::unique_ptr<QMessageBox> newNoticeBox(QWidget* owner, const QString& caption,
                                          const QString& text, MessageIcon icon);
std::unique_ptr<QMessageBox> newQuestionBox(QWidget* owner, const QString& caption,
                                            const QString& text);

// The message boxes in use: the ones last installed, else modal Qt message boxes.
MessageBoxes& messageBoxes();
// Installs `boxes` (nullptr: the Qt message boxes again) and returns the previous ones. The
// caller keeps ownership.
MessageBoxes* setMessageBoxes(MessageBoxes* boxes);

// Shorthands for the current message boxes.
void showNotice(QWidget* owner, const QString& caption, const QString& text,
                MessageIcon icon = MessageIcon::None);
bool askYesNo(QWidget* owner, const QString& caption, const QString& text);
MessageBoxes::Answer askYesNoOr(QWidget* owner, const QString& caption, const QString& text,
                                const QString& other);
void showCopyable(QWidget* owner, const QString& caption, const QString& text);

}  // namespace zelvan
