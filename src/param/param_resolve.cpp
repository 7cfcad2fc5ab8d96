// Resolution of a level: the instance number for "$$", other parameters for
// "$(NAME)" (the last reference first, so that an inner reference can build
// the name of an outer one) and environment variables for "%(NAME)".
#include <string>

#include "param/param_library.h"
#include "u16/u16.h"

namespace param {

namespace {

constexpr int kMaxDepth = 21;
// Units of a reference name the library takes; longer names count as
// missing.
constexpr size_t kMaxRefName = 4095;

} // namespace

void Library::resolve_context(const Context& ctx)
{
    for (Record& r : table_)
        replace_instance(r, ctx);
    for (Record& r : table_)
        replace_refs(r, ctx, 1);
    for (Record& r : table_)
        replace_env(r, ctx, 1);
    if (ctx.complete != nullptr)
        for (Record& r : table_)
            r.*ctx.complete = true;
}

void Library::replace_instance(Record& rec, const Context& ctx)
{
    if (rec.v[ctx.target] == nullptr)
        return;
    if (&ctx == &kContext23 && !qorsystem_copied_ && strcmpU16(rec.name, u"QORSYSTEM") == 0) {
        qorsystem_copied_ = true;
        if (rec.v[L21] != nullptr)
            if (const QOR_UC* own = arena_.copy(rec.v[L21]))
                set_level(rec, own, L23);
    }
    const QOR_UC* text = rec.v[ctx.target];
    if (strstrU16(text, u"$$") == nullptr)
        return;
    std::u16string replaced(text);
    for (size_t i = 0; i + 1 < replaced.size(); ++i)
        if (replaced[i] == u'$' && replaced[i + 1] == u'$') {
            replaced[i] = instance_[0];
            replaced[i + 1] = instance_[1];
        }
    if (text != rec.v[ctx.source] && arena_.owns(text)) {
        replaced.copy(const_cast<QOR_UC*>(text), replaced.size());
        return;
    }
    if (const QOR_UC* copy = arena_.copy(replaced.c_str(), replaced.size()))
        set_level(rec, copy, ctx.target);
}

bool Library::replace_text(Record& rec, const Context& ctx, size_t start, size_t end,
                           const QOR_UC* value)
{
    const QOR_UC* text = rec.v[ctx.target];
    std::u16string replaced(text, start);
    replaced += value;
    replaced += text + end;
    const size_t old_length = strlenU16(text);
    // A text of this record's own that does not grow is changed in place.
    if (text != rec.v[ctx.source] && replaced.size() <= old_length && arena_.owns(text)) {
        QOR_UC* own = const_cast<QOR_UC*>(text);
        replaced.copy(own, replaced.size());
        own[replaced.size()] = 0;
        return true;
    }
    const QOR_UC* copy = arena_.copy(replaced.c_str(), replaced.size());
    if (copy == nullptr)
        return false;
    set_level(rec, copy, ctx.target);
    return true;
}

const QOR_UC* Library::walk_text(const Record& rec, const Context& ctx, int depth)
{
    const QOR_UC* text = rec.v[ctx.target];
    if (text != nullptr && depth >= kMaxDepth) {
        message(u"%sqorparam(12): %s = %s recursive.\n", u"", rec.name, text);
        return nullptr;
    }
    return text;
}

void Library::replace_refs(Record& rec, const Context& ctx, int depth)
{
    for (;; ++depth) {
        const QOR_UC* text = walk_text(rec, ctx, depth);
        if (text == nullptr)
            return;
        const size_t length = strlenU16(text);
        bool replaced = false;
        for (size_t i = length; i-- > 0 && !replaced;) {
            if (text[i] != u'$' || text[i + 1] != u'(')
                continue;
            const QOR_UC* close = strchrU16(text + i + 2, u')');
            if (close == nullptr) {
                message(u"%sqorparam(15): %s: '%c' missing.\n", u"", rec.name, u')');
                continue;
            }
            const std::u16string name(text + i + 2, close);
            if (name == rec.name) {
                message(u"%sqorparam(13): %s = %s recursive.\n", u"", rec.name, text);
                return;
            }
            const QOR_UC* value = nullptr;
            Record* ref = name.size() <= kMaxRefName ? record(name.c_str()) : nullptr;
            if (ref != nullptr && ctx.complete != nullptr && !(ref->*ctx.complete)) {
                replace_instance(*ref, ctx);
                replace_refs(*ref, ctx, depth + 1);
            }
            if (ref != nullptr)
                value = ref->v[ctx.value];
            if (value == nullptr) {
                message(u"%sqorparam(14): %s (ref.by %s) missing.\n", u"", name.c_str(), rec.name);
                continue;
            }
            // The value is copied first: the referenced text may be this
            // record's own only by pointer, never by storage.
            const std::u16string copied(value);
            if (!replace_text(rec, ctx, i, static_cast<size_t>(close - text) + 1, copied.c_str()))
                return;
            replaced = true;
        }
        if (!replaced)
            return;
    }
}

void Library::replace_env(Record& rec, const Context& ctx, int depth)
{
    for (;; ++depth) {
        const QOR_UC* text = walk_text(rec, ctx, depth);
        if (text == nullptr)
            return;
        bool replaced = false;
        for (const QOR_UC* open = strstrU16(text, u"%("); open != nullptr && !replaced;
             open = strstrU16(open + 2, u"%(")) {
            const QOR_UC* close = strchrU16(open + 2, u')');
            if (close == nullptr) {
                message(u"%sqorparam(15): %s: '%c' missing.\n", u"", rec.name, u')');
                continue;
            }
            const std::u16string name(open + 2, close);
            if (name == rec.name) {
                message(u"%sqorparam(13): %s = %s recursive.\n", u"", rec.name, text);
                return;
            }
            // A name longer than the library takes is a variable that is not set.
            std::u16string value;
            std::string utf8(name.size() * 3 + 1, '\0');
            const int n =
                nlsui_u16_to_utf8(utf8.data(), name.c_str(), static_cast<int>(utf8.size()));
            const char* env = n >= 0 && name.size() <= kMaxRefName && src_.getenv
                                  ? src_.getenv(utf8.c_str())
                                  : nullptr;
            if (env != nullptr) {
                value.resize(std::char_traits<char>::length(env) + 1);
                const int units =
                    nlsui_utf8_to_u16(value.data(), env, static_cast<int>(value.size()));
                value.resize(units > 0 ? static_cast<size_t>(units) : 0);
            }
            if (!replace_text(rec, ctx, static_cast<size_t>(open - text),
                              static_cast<size_t>(close - text) + 1, value.c_str()))
                return;
            replaced = true;
        }
        if (!replaced)
            return;
    }
}

} // namespace param
