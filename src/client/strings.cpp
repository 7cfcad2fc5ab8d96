// UTF-16 <-> UTF-8 conversions of the client, in the SOAP context's memory
// or, without a context, in heap memory kept until the process ends.
#include "client/strings.h"

#include <cstddef>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include <stdsoap2.h>

#include "rscp/rscp_utf.h"
#include "u16/u16_string.h"

namespace {

// Heap blocks that live until the process ends. They are kept reachable here
// so that leak checkers do not report the settings of a run.
void* keep_until_exit(std::size_t bytes)
{
    static std::mutex lock;
    static std::vector<std::unique_ptr<unsigned char[]>> blocks;
    std::unique_ptr<unsigned char[]> block(new (std::nothrow) unsigned char[bytes]);
    if (!block)
        return nullptr;
    void* memory = block.get();
    std::lock_guard<std::mutex> guard(lock);
    blocks.push_back(std::move(block));
    return memory;
}

void* allocate(struct soap* soap, std::size_t bytes)
{
    return soap != nullptr ? soap_malloc(soap, bytes) : keep_until_exit(bytes);
}

std::size_t unit_count(const QOR_UC* text)
{
    std::size_t n = 0;
    while (text[n] != 0)
        ++n;
    return n;
}

} // namespace

void replace_control_chars(char* text)
{
    if (text == nullptr)
        return;
    for (unsigned char* p = reinterpret_cast<unsigned char*>(text); *p != 0; ++p) {
        if (*p < 32 && *p != '\t' && *p != '\n' && *p != '\r')
            *p = '#';
    }
}

char* wide_to_utf8(struct soap* soap, const QOR_UC* text)
{
    if (text == nullptr)
        return nullptr;
    const std::size_t bytes = unit_count(text) * 4 + 1;
    char* target = static_cast<char*>(allocate(soap, bytes));
    if (target == nullptr)
        return nullptr;
    int32_t length = 0;
    if (rscpU16zToUtf8(target, static_cast<int32_t>(bytes), &length, text) != 0)
        return nullptr;
    replace_control_chars(target);
    return target;
}

QOR_UC* utf8_to_wide(struct soap* soap, const char* text)
{
    if (text == nullptr)
        return nullptr;
    const std::size_t units = std::strlen(text) + 1;
    QOR_UC* target = static_cast<QOR_UC*>(allocate(soap, units * sizeof(QOR_UC)));
    if (target == nullptr)
        return nullptr;
    int32_t length = 0;
    if (rscpUtf8zToU16(target, static_cast<int32_t>(units), &length, text) != 0)
        return nullptr;
    return target;
}

bool wide_gives_bytes(const QOR_UC* wide, std::string_view bytes)
{
    // A unit gives at most three bytes, a pair four.
    std::string back(strlenU16(wide) * 3 + 1, '\0');
    int32_t length = 0;
    return rscpU16zToUtf8(back.data(), static_cast<int32_t>(back.size()), &length, wide) == 0 &&
           std::string_view(back.data(), static_cast<std::size_t>(length)) == bytes;
}

QOR_UC* word_to_wide(const char* word, bool* utf8)
{
    if (word == nullptr)
        return nullptr;
    // A byte gives at most one unit: the conversion never runs out of room.
    const std::size_t bytes = std::strlen(word);
    QOR_UC* target = static_cast<QOR_UC*>(keep_until_exit((bytes + 1) * sizeof(QOR_UC)));
    if (target == nullptr)
        return nullptr;
    static const QOR_UC kReplacement = 0xFFFD;
    uint32_t replaced = 0;
    const auto* s = reinterpret_cast<const unsigned char*>(word);
    const unsigned char* end = s + bytes;
    QOR_UC* d = target;
    // A word is whole: a character cut off by its end never comes complete,
    // so its lead byte is replaced and the bytes after it are read again.
    while (ConvUtf8ToU16(&s, end, &d, target + bytes, &kReplacement, &replaced) == RSCPEUNIQ) {
        *d++ = kReplacement;
        ++replaced;
        ++s;
    }
    *d = 0;
    // Encoded surrogates need no replacement, yet they come back as other
    // bytes (a pair as one four-byte character) or as none.
    *utf8 = replaced == 0 && wide_gives_bytes(target, std::string_view(word, bytes));
    return target;
}
