#ifndef QOR_PARAM_PARAM_ARENA_H
#define QOR_PARAM_PARAM_ARENA_H

// The arena of the parameter library: texts the library makes (profile
// values, resolved values) are carved from blocks of 8193 units and never
// freed while the library lives.

#include <cstddef>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "u16/qor_uc.h"

namespace param {

class Arena
{
  public:
    static constexpr size_t kBlockUnits = 8193;
    static constexpr size_t kMaxRequest = 8192;

    // may_allocate (may be empty) decides whether a block may be taken from
    // the heap; allocated_bytes counts 8192 per block taken.
    Arena(FILE* messages, std::function<bool(size_t)> may_allocate, long* allocated_bytes);
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;

    // Room for n units: from the current block when at least 2n units remain
    // there, else from a new one. Null when n exceeds 8192 (reported) or no
    // block can be had; the current block is then dropped.
    QOR_UC* reserve(size_t n);
    // A terminated copy of the first length units of text, or null.
    QOR_UC* copy(const QOR_UC* text, size_t length);
    QOR_UC* copy(const QOR_UC* text);
    // Makes sure that a block with room for 8192 units is at hand.
    bool ensure_block();
    // Whether text was carved from this arena (and so may be written).
    bool owns(const QOR_UC* text) const;

  private:
    bool new_block();

    FILE* messages_;
    std::function<bool(size_t)> may_allocate_;
    long* allocated_bytes_;
    std::vector<std::unique_ptr<QOR_UC[]>> blocks_;
    // Used once, when the first block cannot be allocated; never handed out
    // a second time, so the texts in it stay intact.
    alignas(16) QOR_UC fallback_[kBlockUnits];
    bool fallback_used_ = false;
    QOR_UC* current_ = nullptr;
    size_t left_ = 0;
};

} // namespace param

#endif
