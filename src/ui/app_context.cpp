#include "ui/app_context.h"

#include "update/update_checker.h"

namespace zelvan {

AppContext::AppContext() = default;
AppContext::~AppContext() = default;

}  // namespace zelvan
