// A request to stop an update, made from another thread or from a signal handler and seen by
// the download and the install at their next safe point.
#pragma once

#include <atomic>

namespace zelvan {

class CancelToken {
  public:
    CancelToken();
    ~CancelToken();
    CancelToken(const CancelToken&) = delete;
    CancelToken& operator=(const CancelToken&) = delete;

    // Asks everything that watches this token to stop. Safe from any thread and from a signal
    // handler (an atomic store and a write(2)); asking twice is the same as asking once.
    void cancel();
    bool cancelled() const { return cancelled_.load(); }
    // A descriptor that polls readable once `cancel` was called (-1 if none could be made: then
    // only `cancelled` tells, and waiting code must poll it).
    int waitDescriptor() const { return pipe_[0]; }

  private:
    std::atomic<bool> cancelled_{false};
    int pipe_[2] = {-1, -1};
};

}  // namespace zelvan
