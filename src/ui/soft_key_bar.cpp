#include "ui/soft_key_bar.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>

#include "res/menu_bars.h"
#include "ui/qt_text.h"
#include "ui/translation.h"

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

bool chooseLanguage(const SoftKeyBar& keys) {
    QMenu menu(const_cast<SoftKeyBar*>(&keys));
    menu.setObjectName(QStringLiteral("languageMenu"));
    const UiLanguage current = savedLanguage();
    // The languages are named in their own language, the first in the language in use.
    const std::pair<UiLanguage, QString> choices[] = {
        {UiLanguage::System, QCoreApplication::translate("zelvan", "跟随系统")},
        {UiLanguage::Chinese, QStringLiteral("中文")},
        {UiLanguage::English, QStringLiteral("English")},
    };
    for (const auto& [language, text] : choices) {
        QAction* action = menu.addAction(text);
        action->setCheckable(true);
        action->setChecked(language == current);
        action->setData(static_cast<int>(language));
    }
    // Where the menu it was chosen from stood: above the right soft key.
    const QWidget* key = keys.rightKey() ? static_cast<const QWidget*>(keys.rightKey()) : &keys;
    const QPoint topRight = key->mapToGlobal(QPoint(key->width(), 0));
    const QSize size = menu.sizeHint();
    const QAction* chosen =
        menu.exec(QPoint(topRight.x() - size.width(), topRight.y() - size.height()));
    if (!chosen) return false;
    const auto language = static_cast<UiLanguage>(chosen->data().toInt());
    saveLanguage(language);
    applyLanguage(language);
    return true;
}

}  // namespace zelvan
