// A whole file held in memory: an owned byte buffer and its length in bytes.
#pragma once

#include <cstdint>
#include <memory>

namespace zelvan {

// The buffer has two spare zero bytes after the data so that text readers may treat it as
// NUL-terminated; they carry no data, and no decoder reads at or beyond `length`.
struct ByteSpan {
    std::unique_ptr<std::uint8_t[]> data;
    std::int32_t length = 0;

    bool empty() const { return length <= 0 || !data; }
    // Frees the buffer and marks the span released.
    void release() {
        data.reset();
        length = 0;
    }
};

}  // namespace zelvan
