// The action key (Return, Enter, Select) on a list chooses the current entry as a tap does.
// Qt's own `activated` signal is not used for this: some styles emit it on a single click as
// well, which would open an entry twice.
#pragma once

#include <functional>

class QAbstractItemView;

namespace zelvan {

// Calls `choose` with the view's current row (-1 for none) when the action key is pressed in
// `view`.
void onActionKey(QAbstractItemView* view, std::function<void(int row)> choose);

}  // namespace zelvan
