// The program's icon (resource 101), drawn from the SVG among the program's resources.
#pragma once

#include <QIcon>

namespace zelvan {

QIcon appIcon();

}  // namespace zelvan
