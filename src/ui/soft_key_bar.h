// The two soft keys at the bottom of every window: a bar of two buttons built from a menu-bar
// description. F1 presses the left key and F2 the right one; a key with a popup opens its menu.
#pragma once

#include <QWidget>

class QMenu;
class QPushButton;

namespace zelvan {

class SoftKeyBar : public QWidget {
    Q_OBJECT

  public:
    // The bar of menu-bar description `menuBarId` (res/menu_bars.h); an unknown number gives
    // a bar without keys.
    SoftKeyBar(int menuBarId, QWidget* parent);

    QPushButton* leftKey() const { return left_; }
    QPushButton* rightKey() const { return right_; }
    // The popup of the right key; null when the key sends a command instead.
    QMenu* popupMenu() const { return popup_; }

    // As a tap on the key: its command is sent, or its popup opens above it.
    void pressLeft();
    void pressRight();

  signals:
    // A key or popup item was chosen; `command` is its command number (res/resource_ids.h).
    void commandTriggered(int command);

  protected:
    // A change of language: the keys and the popup take the texts of the new one.
    void changeEvent(QEvent* event) override;

  private:
    void openPopup();
    void setTexts();

    int menuBarId_ = 0;
    QPushButton* left_ = nullptr;
    QPushButton* right_ = nullptr;
    QMenu* popup_ = nullptr;
    int leftCommand_ = 0;
    int rightCommand_ = 0;
};

// The popup's "语言": 跟随系统, 中文 or English in a menu above the right key of `keys`; the
// choice applies at once to every window open and is remembered. False when none was chosen.
bool chooseLanguage(const SoftKeyBar& keys);

}  // namespace zelvan
