#include "param/param_line_reader.h"

#include <algorithm>
#include <limits>
#include <string>

#include "u16/u16.h"

namespace {

constexpr size_t kMaxLine = 4095;

bool blank(QOR_UC c)
{
    return c == u' ' || c == u'\t';
}

void copy_cut(QOR_UC* target, size_t size, const std::u16string& text)
{
    if (size == 0)
        return;
    const size_t n = std::min(text.size(), size - 1);
    text.copy(target, n);
    target[n] = 0;
}

// The percentage of a value ("50%" and the like, read as a decimal number)
// applied to the hardware; false when the result is out of range, and the
// value then stays as it was.
bool apply_percentage(const std::u16string& name, std::u16string* value,
                      const ParamHardware& hardware)
{
    const long long percent = wcstolU16(value->c_str(), nullptr, 10);
    QOR_UC text[32];
    if (name == u"PHYS_MEMSIZE") {
        const __int128 megabytes =
            static_cast<__int128>(hardware.memory_bytes) * percent / 100 / 1048576;
        if (megabytes > std::numeric_limits<int64_t>::max() ||
            megabytes < std::numeric_limits<int64_t>::min())
            return false;
        snprintfU16(text, 32, u"%I64d", static_cast<int64_t>(megabytes));
    } else {
        const long long cores = static_cast<long long>(hardware.cores) * percent / 100;
        if (cores > std::numeric_limits<int>::max() || cores < std::numeric_limits<int>::min())
            return false;
        snprintfU16(text, 32, u"%d", static_cast<int>(cores));
    }
    *value = text;
    return true;
}

} // namespace

bool qorparam_read_line(FILE* file, QOR_UC* name, size_t name_size, QOR_UC* value,
                        size_t value_size, const ParamHardware& hardware)
{
    std::u16string line;
    for (;;) {
        line.clear();
        bool any = false, ended = false;
        int c;
        while ((c = fgetcU16(file)) != -1) {
            any = true;
            if (c == u'\n')
                break;
            // A NUL character ends what the line says: names and values are
            // terminated texts.
            ended = ended || c == 0;
            if (!ended && c != u'\r' && line.size() < kMaxLine)
                line.push_back(static_cast<QOR_UC>(c));
        }
        if (!any)
            return false;
        if (line.empty() || line[0] == u'#')
            continue;
        const size_t equals = line.find(u'=');
        if (equals == std::u16string::npos)
            continue;
        size_t start = 0;
        while (start < line.size() && blank(line[start]))
            ++start;
        size_t end = start;
        while (end < line.size() && !blank(line[end]) && line[end] != u'=')
            ++end;
        if (end == start)
            continue;
        const std::u16string key = line.substr(start, end - start);
        size_t first = equals + 1, last = line.size();
        while (first < last && blank(line[first]))
            ++first;
        while (last > first && blank(line[last - 1]))
            --last;
        std::u16string text = line.substr(first, last - first);
        if (text.find(u'%') != std::u16string::npos &&
            (key == u"PHYS_MEMSIZE" || key == u"CPU_CORES"))
            apply_percentage(key, &text, hardware);
        copy_cut(name, name_size, key);
        copy_cut(value, value_size, text);
        return true;
    }
}
