// A whole file held in memory: its bytes, mapped from the file or owned, and its length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace zelvan {

// Frees what a ByteSpan holds: unmaps a mapped file (mappedBytes > 0), else deletes the buffer.
struct SpanRelease {
    std::size_t mappedBytes = 0;
    SpanRelease() = default;
    explicit SpanRelease(std::size_t mapped) : mappedBytes(mapped) {}
    // Buffers made with std::make_unique<std::uint8_t[]> are deleted.
    SpanRelease(std::default_delete<std::uint8_t[]>) {}
    void operator()(std::uint8_t* bytes) const;
};

// The bytes are followed by two spare zero bytes so that text readers may treat them as
// NUL-terminated; they carry no data, and no decoder reads at or beyond `length`. A mapped file
// is read-only and must not be rewritten in place while it is held (our writers replace data
// files by renaming a new file over them, which leaves the mapped one intact).
struct ByteSpan {
    std::unique_ptr<std::uint8_t[], SpanRelease> data;
    std::int32_t length = 0;

    bool empty() const { return length <= 0 || !data; }
    // Frees the buffer and marks the span released.
    void release() {
        data.reset();
        length = 0;
    }
};

}  // namespace zelvan
