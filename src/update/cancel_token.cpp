#include "update/cancel_token.h"

#include <fcntl.h>
#include <unistd.h>

namespace zelvan {

static_assert(std::atomic<bool>::is_always_lock_free, "cancel() must be async-signal-safe");

CancelToken::CancelToken() {
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) pipe_[0] = pipe_[1] = -1;
}

CancelToken::~CancelToken() {
    for (int fd : pipe_) {
        if (fd >= 0) ::close(fd);
    }
}

void CancelToken::cancel() {
    if (cancelled_.exchange(true)) return;
    if (pipe_[1] >= 0) {
        // One byte is enough: nobody reads it, the descriptor just stays readable.
        [[maybe_unused]] ssize_t n = ::write(pipe_[1], "x", 1);
    }
}

}  // namespace zelvan
