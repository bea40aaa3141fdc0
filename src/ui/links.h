// Opening web addresses in the desktop's browser.
#pragma once

#include <QString>

namespace zelvan {

// Hands `address` to the desktop's handler for its scheme; true when the desktop accepted it.
// Callers ignore the result: a link that cannot be opened is not reported.
bool openLink(const QString& address);

}  // namespace zelvan
