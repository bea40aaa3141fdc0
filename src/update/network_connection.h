// The data connection that the update command asks for before the update check talks HTTP.
// On a desktop the operating system keeps the network up: there is no connection manager to
// ask, so a request succeeds at once and nothing waits.
#pragma once

#include <array>
#include <cstdint>

#include "update/update_checker.h"

namespace zelvan {

class NetworkConnection {
  public:
    // Identifier of the destination network a connection is requested for.
    using NetworkId = std::array<std::uint8_t, 16>;

    NetworkConnection() = default;
    ~NetworkConnection() { release(); }
    NetworkConnection(const NetworkConnection&) = delete;
    NetworkConnection& operator=(const NetworkConnection&) = delete;

    // Releases any held connection and requests one for `destination`; true when held.
    bool connect(const NetworkId& destination = {});
    // True once the held connection is up, false when `seconds` pass first.
    bool waitConnected(int seconds);
    // Releases the held connection, if any.
    void release();
    bool held() const { return held_; }

  private:
    bool held_ = false;
};

// The update command: brings up the connection, waits for it (its result does not matter: the
// check reports its own network errors), then runs the check with `notifier`.
UpdateOutcome runUpdateCommand(NetworkConnection& connection, UpdateChecker& checker,
                               UpdateNotifier& notifier);

}  // namespace zelvan
