// A whole file held in memory: its bytes, mapped from the file or owned, and its length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace zelvan {

// The file a paged span reads its pages from as they are first asked for (ByteSpan::ready).
// A large timetable's files are read this way rather than mapped: a question then holds the
// few pages it reads, where a mapping of the file would be charged with every 64 KB around each
// record it touches (on kernels with large page-cache folios, every 2 MB), and a file cut short
// on disk reads as zeros instead of ending the program.
struct PagedSource {
    static constexpr std::size_t kPage = 4096;
    int fd = -1;
    std::vector<std::uint64_t> loaded;  // bit per page of the span's bytes: read from the file
    PagedSource() = default;
    PagedSource(const PagedSource&) = delete;
    PagedSource& operator=(const PagedSource&) = delete;
    ~PagedSource();
    // Reads the pages of [offset, offset + count) of `bytes` (`length` in all) not read yet.
    void load(std::uint8_t* bytes, std::size_t length, std::size_t offset, std::size_t count);
};

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
    // Set for a paged span: its bytes are read from the file as ready() first asks for them
    // (the buffer is reserved whole, its untouched pages take no memory). Every reader of a
    // span that may be paged goes through ready().
    std::shared_ptr<PagedSource> pages;

    bool empty() const { return length <= 0 || !data; }
    bool paged() const { return pages != nullptr; }
    // The bytes from `offset` on, the `count` of them up to the end of the span read first where
    // the span is paged; `offset` <= length.
    const std::uint8_t* ready(std::size_t offset, std::size_t count) const {
        if (pages) {
            const std::size_t size = static_cast<std::size_t>(length);
            if (offset < size) {
                pages->load(data.get(), size, offset,
                            count < size - offset ? count : size - offset);
            }
        }
        return data.get() + offset;
    }
    // The whole span, read.
    const std::uint8_t* whole() const { return ready(0, static_cast<std::size_t>(length)); }
    // Frees the buffer and marks the span released.
    void release() {
        data.reset();
        pages.reset();
        length = 0;
    }
};

}  // namespace zelvan
