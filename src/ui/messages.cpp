#include "ui/messages.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpacerItem>
#include <QVBoxLayout>
#include <algorithm>

namespace zelvan {
namespace {

QMessageBox::Icon iconOf(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

class QtMessageBoxes final : public MessageBoxes {
  public:
    void notify(QWidget* owner, const QString& caption, const QString& text,
                MessageIcon icon) override {
        newNoticeBox(owner, caption, text, icon)->exec();
    }

    bool askYesNo(QWidget* owner, const QString& caption, const QString& text) override {
        return newQuestionBox(owner, caption, text)->exec() == QMessageBox::Yes;
    }
};

QtMessageBoxes& qtMessageBoxes() {
    static QtMessageBoxes boxes;
    return boxes;
}

MessageBoxes* installed = nullptr;

// Room a window manager's title bar takes beside the caption: the window's icon and its
// buttons (minimise, maximise, close) and their margins.
constexpr int kTitleBarRoom = 140;

// A box as wide as its caption needs: a short text ("No results found") would otherwise make
// a box whose title bar cuts the caption to "W… g". The widest it gets is the screen's.
void widenForCaption(QMessageBox& box, const QString& caption) {
    QFont bold = box.font();
    bold.setBold(true);
    int width = QFontMetrics(bold).horizontalAdvance(caption) + kTitleBarRoom;
    if (const QScreen* screen = box.screen()) {
        width = std::min(width, screen->availableGeometry().width() - 40);
    }
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid || width <= 0) return;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

}  // namespace

std::unique_ptr<QMessageBox> newNoticeBox(QWidget* owner, const QString& caption,
                                          const QString& text, MessageIcon icon) {
    auto box = std::make_unique<QMessageBox>(iconOf(icon), caption, text, QMessageBox::Ok, owner);
    box->button(QMessageBox::Ok)->setText(QCoreApplication::translate("zelvan", "确定"));
    widenForCaption(*box, caption);
    return box;
}

std::unique_ptr<QMessageBox> newQuestionBox(QWidget* owner, const QString& caption,
                                            const QString& text) {
    auto box = std::make_unique<QMessageBox>(QMessageBox::Question, caption, text,
                                             QMessageBox::Yes | QMessageBox::No, owner);
    // The buttons speak the program's language whatever Qt translations are installed.
    box->button(QMessageBox::Yes)->setText(QCoreApplication::translate("zelvan", "是"));
    box->button(QMessageBox::No)->setText(QCoreApplication::translate("zelvan", "否"));
    box->setDefaultButton(QMessageBox::Yes);
    widenForCaption(*box, caption);
    return box;
}

MessageBoxes::Answer MessageBoxes::askYesNoOr(QWidget* owner, const QString& caption,
                                              const QString& text, const QString& other) {
    std::unique_ptr<QMessageBox> box = newQuestionBox(owner, caption, text);
    QPushButton* button = box->addButton(other, QMessageBox::ActionRole);
    const int result = box->exec();
    if (box->clickedButton() == button) return Answer::Other;
    return result == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

void MessageBoxes::showCopyable(QWidget* owner, const QString& caption, const QString& text) {
    CopyableTextBox box(owner, caption, text);
    box.exec();
}

CopyableTextBox::CopyableTextBox(QWidget* owner, const QString& caption, const QString& text)
    : QDialog(owner) {
    setObjectName(QStringLiteral("copyableTextBox"));
    setWindowTitle(caption);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    field_ = new QPlainTextEdit(text, this);
    field_->setReadOnly(true);
    field_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    field_->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(field_, 1);
    auto* buttons = new QDialogButtonBox(this);
    copy_ = buttons->addButton(QCoreApplication::translate("zelvan", "复制"),
                               QDialogButtonBox::ActionRole);
    QPushButton* ok = buttons->addButton(QCoreApplication::translate("zelvan", "确定"),
                                         QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    layout->addWidget(buttons);
    connect(copy_, &QPushButton::clicked, this, [this] {
        QGuiApplication::clipboard()->setText(field_->toPlainText());
        copy_->setText(
            QCoreApplication::translate("zelvan", "已复制"));  // the clipboard itself shows nothing
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    field_->selectAll();
    field_->setFocus();
    resize(420, 260);
}

MessageBoxes& messageBoxes() {
    return installed ? *installed : qtMessageBoxes();
}

MessageBoxes* setMessageBoxes(MessageBoxes* boxes) {
    MessageBoxes* previous = installed;
    installed = boxes;
    return previous;
}

void showNotice(QWidget* owner, const QString& caption, const QString& text, MessageIcon icon) {
    messageBoxes().notify(owner, caption, text, icon);
}

bool askYesNo(QWidget* owner, const QString& caption, const QString& text) {
    return messageBoxes().askYesNo(owner, caption, text);
}

MessageBoxes::Answer askYesNoOr(QWidget* owner, const QString& caption, const QString& text,
                                const QString& other) {
    return messageBoxes().askYesNoOr(owner, caption, text, other);
}

void showCopyable(QWidget* owner, const QString& caption, const QString& text) {
    messageBoxes().showCopyable(owner, caption, text);
}

}  // namespace zelvan
