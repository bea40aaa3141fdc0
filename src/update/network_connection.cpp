#include "update/network_connection.h"

namespace zelvan {

bool NetworkConnection::connect(const NetworkId&) {
    release();
    held_ = true;
    return true;
}

bool NetworkConnection::waitConnected(int) {
    return held_;
}

void NetworkConnection::release() {
    held_ = false;
}

UpdateOutcome runUpdateCommand(NetworkConnection& connection, UpdateChecker& checker,
                               UpdateNotifier& notifier) {
    connection.connect();
    connection.waitConnected(10);
    checker.setNotifier(&notifier);
    return checker.startCheck();
}

}  // namespace zelvan
