// Dynamic library loader: a table of 64 loaded libraries with usage counts.

#include "base/dl.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include "base/dptrc.h"
#include "base/err.h"
#include "platform/base_dl.h"
#include "rscp/rscp_utf.h"
#include "u16/u16_printf.h"
#include "u16/u16_string.h"

namespace {

constexpr const QOR_UC* kComponent = u"DL (Dynamic Loader)";
constexpr uint32_t kComponentVersion = 4;
constexpr int kSysTextUnits = 256;
constexpr int kDetailUnits = 512;
constexpr int kUtf8PerUnit = 3; // a unit, or half a surrogate pair, never needs more

enum RowState : unsigned char { kUnset = 0, kFree = 1, kLoaded = 2 };

struct Row
{
    RowState state;
    uint32_t usage;
    uint32_t name_len;
    QOR_UC name[DL_MAX_NAME];
    void* module;
};

Row g_table[DL_MAX_HANDLES];
bool g_table_uninitialised = true;

void init_table()
{
    if (!g_table_uninitialised)
        return;
    for (Row& row : g_table) {
        row.state = kFree;
        row.usage = 0;
        row.name_len = 0;
        row.name[0] = 0;
        row.module = nullptr;
    }
    g_table_uninitialised = false;
}

template <typename... Args> void error_trace(int line, const QOR_UC* fmt, Args... args)
{
    if (DpTrcLevel < 1)
        return;
    DpTrcLock();
    DpTrcSetLoc(DPTRC_FILE, line);
    DpTrcEntryLevel = 1;
    DpTrcErr(DpTrcHdl, fmt, args...);
    DpTrcEntryLevel = 2;
    DpTrcUnlock();
}

template <typename... Args> void trace(int level, const QOR_UC* fmt, Args... args)
{
    if (DpTrcLevel < level)
        return;
    DpTrcLock();
    DpTrcEntryLevel = level;
    DpTrc(DpTrcHdl, fmt, args...);
    DpTrcEntryLevel = 2;
    DpTrcUnlock();
}

// The system's text of a failure (the loader's own message), cut to
// size - 1 units, without carriage returns and line feeds.
void err_text(QOR_UC* buf, int size, const BaseDlError& error)
{
    if (size <= 1)
        return;
    int32_t len = 0;
    rscpUtf8zToU16(buf, size, &len, error.text);
    QOR_UC* out = buf;
    for (const QOR_UC* p = buf; *p != 0; ++p)
        if (*p != u'\r' && *p != u'\n')
            *out++ = *p;
    *out = 0;
}

bool equal_ignoring_case(const QOR_UC* a, const QOR_UC* b)
{
    auto fold = [](QOR_UC c) -> QOR_UC { return (c >= u'A' && c <= u'Z') ? c + 32 : c; };
    for (; *a != 0 && *b != 0; ++a, ++b)
        if (fold(*a) != fold(*b))
            return false;
    return *a == *b;
}

struct FreeDeleter
{
    void operator()(char* p) const { free(p); }
};

// A heap UTF-8 copy large enough for any 16-bit text of len units.
std::unique_ptr<char, FreeDeleter> to_utf8(const QOR_UC* text, size_t len)
{
    const size_t size = len * kUtf8PerUnit + 1;
    std::unique_ptr<char, FreeDeleter> out(static_cast<char*>(malloc(size)));
    if (out) {
        int32_t produced = 0;
        if (rscpU16zToUtf8(out.get(), static_cast<int32_t>(size), &produced, text) != 0)
            out.reset();
    }
    return out;
}

bool valid_handle(DL_HDL hdl)
{
    return hdl >= 0 && hdl < DL_MAX_HANDLES && g_table[hdl].state == kLoaded;
}

} // namespace

int DlLoadLib(const QOR_UC* name, DL_HDL* hdl)
{
    *hdl = DL_HDL_INVALID;
    init_table();
    if (name == nullptr || name[0] == 0) {
        error_trace(__LINE__, u"%s: %s libname supplied\n", u"DlLoadLib",
                    name == nullptr ? u"no" : u"empty");
        return DLENOACCESS;
    }
    const size_t len = strnlenU16(name, DL_MAX_NAME);
    if (len >= DL_MAX_NAME) {
        error_trace(__LINE__, u"%s: libname of %d chars is too long (max %d)\n", u"DlLoadLib",
                    static_cast<int>(strlenU16(name)), DL_MAX_NAME);
        return DLEINVAL;
    }

    int index = -1;
    for (int i = 0; i < DL_MAX_HANDLES; ++i) {
        if (g_table[i].state == kLoaded && g_table[i].name_len == len &&
            equal_ignoring_case(g_table[i].name, name)) {
            index = i;
            break;
        }
    }
    if (index < 0) {
        for (int i = 0; i < DL_MAX_HANDLES; ++i) {
            if (g_table[i].state == kFree) {
                index = i;
                break;
            }
        }
        if (index < 0) {
            error_trace(__LINE__, u"%s: no free handle (max %d)\n", u"DlLoadLib", DL_MAX_HANDLES);
            return DLENOFREE;
        }
        BaseDlError error{};
        std::unique_ptr<char, FreeDeleter> utf8 = to_utf8(name, len);
        void* module = nullptr;
        if (utf8)
            module = base_dl_open(utf8.get(), &error);
        else
            strcpy(error.text, "library name cannot be converted");
        if (module == nullptr) {
            const QOR_UC* short_text = u"DlLoadLib()==DLENOACCESS";
            QOR_UC sys_text[kSysTextUnits];
            err_text(sys_text, kSysTextUnits, error);
            QOR_UC detail[2 * kDetailUnits];
            snprintfCutU16(detail, sizeof detail / sizeof detail[0],
                           u"%.32s(\"%.256s\")\n  Error %lu = \"%.256s\"", u"LoadLibrary", name,
                           static_cast<unsigned>(error.code), sys_text);
            QOR_UC escaped[kDetailUnits];
            ErrIEscapePercent(detail, escaped, kDetailUnits);
            error_trace(__LINE__, u"%s - %s\n", short_text, escaped);
            ErrSet(kComponent, kComponentVersion, DPTRC_FILE, __LINE__, short_text, DLENOACCESS,
                   escaped);
            return DLENOACCESS;
        }
        Row& row = g_table[index];
        row.module = module;
        row.state = kLoaded;
        row.usage = 0;
        row.name_len = static_cast<uint32_t>(len);
        strncpyTruncU16(row.name, DL_MAX_NAME, name, DL_MAX_NAME - 1);
    }

    Row& row = g_table[index];
    row.usage++;
    *hdl = index;
    if (DpTrcLevel >= 2) {
        trace(2, u"%s success: %s(\"%.256s\"), hdl %d, count %d, addr %p\n", u"DlLoadLib",
              u"LoadLibrary", name, index, static_cast<int>(row.usage), row.module);
        char path[DL_MAX_NAME * kUtf8PerUnit];
        if (base_dl_module_path(row.module, path, sizeof path)) {
            QOR_UC wide[DL_MAX_NAME];
            int32_t units = 0;
            if (rscpUtf8zToU16(wide, DL_MAX_NAME, &units, path) == 0 && units < DL_MAX_NAME - 1)
                trace(2, u"    using \"%s\"\n", wide);
        }
    }
    return DL_OK;
}

int DlUnloadLib(DL_HDL* hdl)
{
    init_table();
    if (!valid_handle(*hdl)) {
        error_trace(__LINE__, u"%s(): invalid handle (%d)\n", u"DlUnloadLib", *hdl);
        return DLEINVAL;
    }
    Row& row = g_table[*hdl];
    if (row.usage > 0)
        row.usage--;
    if (row.usage > 0) {
        trace(2, u"%s(): successful (usage_count=%d) hdl %d (\"%.256s\")\n", u"DlUnloadLib",
              static_cast<int>(row.usage), *hdl, row.name);
    } else {
        BaseDlError error{};
        if (!base_dl_close(row.module, &error)) {
            QOR_UC sys_text[kSysTextUnits];
            err_text(sys_text, kSysTextUnits, error);
            error_trace(__LINE__,
                        u"%s() FAILED FreeLibrary(\"%.256s\") -> Error %lu = \"%.256s\"\n",
                        u"DlUnloadLib", row.name, static_cast<unsigned>(error.code), sys_text);
            return DLEUNLOAD;
        }
        trace(2, u"%s() successful FreeLibrary(\"%.256s\") hdl %d\n", u"DlUnloadLib", row.name,
              *hdl);
        row.module = nullptr;
        row.state = kFree;
        row.name[0] = 0;
        row.name_len = 0;
        row.usage = 0;
    }
    *hdl = DL_HDL_INVALID;
    return DL_OK;
}

int DlLoadFunc(DL_HDL hdl, const QOR_UC* function, uint32_t, DL_FUNC* fn)
{
    init_table();
    if (!valid_handle(hdl)) {
        error_trace(__LINE__, u"%s(): invalid handle (%d)\n", u"DlLoadFunc", hdl);
        return DLEINVAL;
    }
    const Row& row = g_table[hdl];
    const QOR_UC* name = function != nullptr ? function : u"";
    BaseDlError error{};
    void* address = nullptr;
    std::unique_ptr<char, FreeDeleter> utf8 = to_utf8(name, strlenU16(name));
    if (utf8)
        address = base_dl_symbol(row.module, utf8.get(), &error);
    else
        strcpy(error.text, "function name cannot be converted");

    if (address != nullptr) {
        *fn = reinterpret_cast<DL_FUNC>(address);
        trace(3, u"%s(): successful GetProcAddress(\"%.256s\") from \"%.256s\"\n", u"DlLoadFunc",
              name, row.name);
        return DL_OK;
    }
    if (DpTrcLevel >= 3) {
        QOR_UC sys_text[kSysTextUnits];
        err_text(sys_text, kSysTextUnits, error);
        DpTrcLock();
        DpTrcEntryLevel = 3;
        DpTrc(DpTrcHdl, u"%s(): failed GetProcAddress(\"%.256s\") from \"%.256s\"\n", u"DlLoadFunc",
              name, row.name);
        DpTrc(DpTrcHdl, u"        with error %lu = \"%.256s\"\n", static_cast<unsigned>(error.code),
              sys_text);
        DpTrcEntryLevel = 2;
        DpTrcUnlock();
    }
    return DLENOACCESS;
}
