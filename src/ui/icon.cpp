#include "ui/icon.h"

// The resources are compiled into a static library: register them before first use.
static void initZelvanResources() {
    Q_INIT_RESOURCE(zelvan);
}

namespace zelvan {

QIcon appIcon() {
    static const bool registered = (initZelvanResources(), true);
    (void)registered;
    return QIcon(QStringLiteral(":/zelvan/zelvan.svg"));
}

}  // namespace zelvan
