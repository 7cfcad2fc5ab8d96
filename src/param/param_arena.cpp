#include "param/param_arena.h"

#include <cerrno>
#include <functional>
#include <new>

#include "u16/u16.h"

namespace param {

Arena::Arena(FILE* messages, std::function<bool(size_t)> may_allocate, long* allocated_bytes)
    : messages_(messages), may_allocate_(std::move(may_allocate)), allocated_bytes_(allocated_bytes)
{
}

bool Arena::new_block()
{
    current_ = nullptr;
    left_ = 0;
    if (!may_allocate_ || may_allocate_(kBlockUnits * sizeof(QOR_UC))) {
        try {
            blocks_.push_back(std::make_unique<QOR_UC[]>(kBlockUnits));
            current_ = blocks_.back().get();
            left_ = kMaxRequest;
            if (allocated_bytes_ != nullptr)
                *allocated_bytes_ += 8192;
            return true;
        } catch (const std::bad_alloc&) {
        }
    }
    errno = ENOMEM;
    const QOR_UC* reason = strerrorU16(errno);
    fprintfU16(messages_, u"qorparam(11): malloc: %s\n", reason);
    if (fallback_used_)
        return false;
    fallback_used_ = true;
    current_ = fallback_;
    left_ = kMaxRequest;
    return true;
}

QOR_UC* Arena::reserve(size_t n)
{
    if (n > kMaxRequest) {
        fprintfU16(messages_, u"%sqorparam(10): line or value too long\n", u"");
        current_ = nullptr;
        left_ = 0;
        return nullptr;
    }
    if ((current_ == nullptr || left_ < 2 * n) && !new_block())
        return nullptr;
    QOR_UC* room = current_;
    current_ += n;
    left_ -= n;
    return room;
}

QOR_UC* Arena::copy(const QOR_UC* text, size_t length)
{
    QOR_UC* room = reserve(length + 1);
    if (room == nullptr)
        return nullptr;
    for (size_t i = 0; i < length; ++i)
        room[i] = text[i];
    room[length] = 0;
    return room;
}

QOR_UC* Arena::copy(const QOR_UC* text)
{
    return copy(text, strlenU16(text));
}

bool Arena::ensure_block()
{
    return (current_ != nullptr && left_ >= kMaxRequest) || new_block();
}

bool Arena::owns(const QOR_UC* text) const
{
    auto inside = [text](const QOR_UC* block) {
        return std::less_equal<const QOR_UC*>()(block, text) &&
               std::less<const QOR_UC*>()(text, block + kBlockUnits);
    };
    if (fallback_used_ && inside(fallback_))
        return true;
    for (const auto& block : blocks_)
        if (inside(block.get()))
            return true;
    return false;
}

} // namespace param
