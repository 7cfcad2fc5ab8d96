// Zero bytes of an area; untouched pages of private memory are counted
// from the kernel's page map instead of being read.
#include "rscpc/zero_count.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>

namespace {

uint64_t scan(const unsigned char* p, size_t n)
{
    uint64_t zeros = 0;
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t word;
        std::memcpy(&word, p + i, 8);
        if (word == 0) {
            zeros += 8;
            continue;
        }
        for (size_t k = 0; k < 8; ++k)
            zeros += p[i + k] == 0 ? 1 : 0;
    }
    for (; i < n; ++i)
        zeros += p[i] == 0 ? 1 : 0;
    return zeros;
}

/* Page-map entry bits: the page is in memory, or in swap. */
constexpr uint64_t kPresent = 1ull << 63;
constexpr uint64_t kSwapped = 1ull << 62;

class PageMap
{
  public:
    PageMap() : fd_(::open("/proc/self/pagemap", O_RDONLY | O_CLOEXEC)) {}
    ~PageMap()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    PageMap(const PageMap&) = delete;
    PageMap& operator=(const PageMap&) = delete;

    /* The entries of count pages from the page of address; false when the
     * map cannot be read. */
    bool read(uintptr_t address, size_t page_size, uint64_t* entries, size_t count) const
    {
        if (fd_ < 0)
            return false;
        const off_t at = static_cast<off_t>(address / page_size * sizeof(uint64_t));
        const ssize_t want = static_cast<ssize_t>(count * sizeof(uint64_t));
        return ::pread(fd_, entries, static_cast<size_t>(want), at) == want;
    }

  private:
    int fd_;
};

} // namespace

uint64_t rscp_count_zero_bytes(const unsigned char* p, size_t n, bool heap_memory)
{
    const long page_size = ::sysconf(_SC_PAGESIZE);
    if (!heap_memory || page_size <= 0 || n < 16 * static_cast<size_t>(page_size))
        return scan(p, n);
    const size_t page = static_cast<size_t>(page_size);
    const uintptr_t begin = reinterpret_cast<uintptr_t>(p);
    const uintptr_t first = (begin + page - 1) / page * page;
    const uintptr_t last = (begin + n) / page * page;
    uint64_t zeros = scan(p, first - begin) + scan(p + (last - begin), begin + n - last);
    const PageMap map;
    uint64_t entries[512];
    for (uintptr_t at = first; at < last;) {
        const size_t count = (last - at) / page < 512 ? (last - at) / page : 512;
        if (!map.read(at, page, entries, count))
            return zeros + scan(p + (at - begin), last - at);
        for (size_t i = 0; i < count; ++i, at += page) {
            if ((entries[i] & (kPresent | kSwapped)) == 0)
                zeros += page;
            else
                zeros += scan(p + (at - begin), page);
        }
    }
    return zeros;
}
