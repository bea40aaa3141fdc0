#include "ui/soft_key_bar.h"

#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>

#include "res/menu_bars.h"
#include "ui/qt_text.h"

namespace zelvan {

SoftKeyBar::SoftKeyBar(int menuBarId, QWidget* parent) : QWidget(parent), menuBarId_(menuBarId) {
    setObjectName(QStringLiteral("softKeyBar%1").arg(menuBarId));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const res::MenuBarDescription* description = res::menuBarDescription(menuBarId);
    if (!description) return;

    left_ = new QPushButton(resourceText(description->left.textId), this);
    right_ = new QPushButton(resourceText(description->right.textId), this);
    for (QPushButton* key : {left_, right_}) {
        // The keys never take the focus: the window's own controls keep it while keys are
        // pressed, as with hardware soft keys.
        key->setFocusPolicy(Qt::NoFocus);
        key->setAutoDefault(false);
        key->setMinimumHeight(32);
        layout->addWidget(key, 1);
    }
    leftCommand_ = description->left.command;
    rightCommand_ = description->right.command;
    if (description->right.popup && !description->popupItems.empty()) {
        popup_ = new QMenu(this);
        for (const res::MenuItem& item : description->popupItems) {
            QAction* action = popup_->addAction(shown(item.text));
            action->setData(item.command);
            int command = item.command;
            connect(action, &QAction::triggered, this,
                    [this, command] { emit commandTriggered(command); });
        }
    }
    connect(left_, &QPushButton::clicked, this, &SoftKeyBar::pressLeft);
    connect(right_, &QPushButton::clicked, this, &SoftKeyBar::pressRight);

    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    f1->setContext(Qt::WindowShortcut);
    connect(f1, &QShortcut::activated, this, &SoftKeyBar::pressLeft);
    auto* f2 = new QShortcut(QKeySequence(Qt::Key_F2), this);
    f2->setContext(Qt::WindowShortcut);
    connect(f2, &QShortcut::activated, this, &SoftKeyBar::pressRight);
}

void SoftKeyBar::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) setTexts();
    QWidget::changeEvent(event);
}

void SoftKeyBar::setTexts() {
    const res::MenuBarDescription* description = res::menuBarDescription(menuBarId_);
    if (!description || !left_) return;
    left_->setText(resourceText(description->left.textId));
    right_->setText(resourceText(description->right.textId));
    if (!popup_) return;
    const QList<QAction*> actions = popup_->actions();
    for (qsizetype i = 0; i < actions.size(); ++i) {
        const auto item = static_cast<std::size_t>(i);
        if (item < description->popupItems.size()) {
            actions[i]->setText(shown(description->popupItems[item].text));
        }
    }
}

void SoftKeyBar::pressLeft() {
    if (left_ && leftCommand_ != 0) emit commandTriggered(leftCommand_);
}

void SoftKeyBar::pressRight() {
    if (!right_) return;
    if (popup_) {
        openPopup();
    } else if (rightCommand_ != 0) {
        emit commandTriggered(rightCommand_);
    }
}

void SoftKeyBar::openPopup() {
    // Above the key, right-aligned with it, the way a soft-key menu rises from the bar.
    QSize size = popup_->sizeHint();
    QPoint topRight = right_->mapToGlobal(QPoint(right_->width(), 0));
    popup_->popup(QPoint(topRight.x() - size.width(), topRight.y() - size.height()));
}

}  // namespace zelvan
