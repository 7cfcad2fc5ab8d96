#ifndef QOR_TESTS_U16_ALLOC_PROBE_H
#define QOR_TESTS_U16_ALLOC_PROBE_H

#include <cstddef>

namespace u16test {

/* Watches operator new while an instance lives (this test program replaces
 * it): the largest block asked for. */
class AllocationProbe
{
  public:
    AllocationProbe();
    ~AllocationProbe();
    AllocationProbe(const AllocationProbe&) = delete;
    AllocationProbe& operator=(const AllocationProbe&) = delete;
    std::size_t largest() const;
};

} // namespace u16test

#endif
