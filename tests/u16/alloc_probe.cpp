// Replaces the global operator new and delete of this test program (the
// library's other forms call these) so that a test can see how large the
// blocks are that the code under test asks for.
#include "alloc_probe.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> g_watching{false};
std::atomic<std::size_t> g_largest{0};

} // namespace

namespace u16test {

AllocationProbe::AllocationProbe()
{
    g_largest.store(0);
    g_watching.store(true);
}

AllocationProbe::~AllocationProbe()
{
    g_watching.store(false);
}

std::size_t AllocationProbe::largest() const
{
    return g_largest.load();
}

} // namespace u16test

void* operator new(std::size_t size)
{
    if (g_watching.load(std::memory_order_relaxed) && size > g_largest.load())
        g_largest.store(size);
    if (void* p = std::malloc(size != 0 ? size : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
