// System log of the trace: the three record forms through an injected sink.

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "base/dptrc.h"
#include "rscp/rscp_utf.h"

namespace {

std::vector<std::u16string> g_entries;

void sink(int kind, const QOR_UC* id, const QOR_UC* record)
{
    const std::string k = std::to_string(kind);
    g_entries.push_back(std::u16string(k.begin(), k.end()) + u"|" + id + u"|" + record);
    errno = EIO; // the caller's errno must survive the hook
}

std::u16string repeat(size_t n, QOR_UC c = u' ')
{
    return std::u16string(n, c);
}

TEST(SysLog, RecordForms)
{
    DpTrcSetLoc(u"/src/ni/nixx.cpp", 321);
    const std::u16string loc = u"nixx.cpp321 ";
    struct Case
    {
        std::u16string message;
        bool raw;
        DpSysLogCopy copy;
        std::u16string entry; // empty: nothing logged
    } cases[] = {
        {u"short", false, PadCopyU16z, u"109|Q0I|short" + repeat(33) + u"detail connect" + loc},
        {repeat(38, u'a'), false, PadCopyU16z,
         u"109|Q0I|" + repeat(38, u'a') + u"detail connect" + loc},
        {repeat(39, u'b'), false, PadCopyU16z, u"108|Q0I|" + repeat(39, u'b') + repeat(13) + loc},
        {repeat(52, u'c'), false, PadCopyU16z, u"108|Q0I|" + repeat(52, u'c') + loc},
        {repeat(53, u'd'), false, PadCopyU16z, u"32|Q0I|" + repeat(53, u'd') + repeat(11)},
        {repeat(150, u'e'), false, PadCopyU16z, u"32|Q0I|" + repeat(64, u'e')},
        {u"rc=-8", true, PadCopyU16z, u"108|Q0I|rc=-8" + repeat(47) + loc},
        {u"short", false, nullptr, u""},
        {u"rc=-8", true, nullptr, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message.size());
        g_entries.clear();
        DpSysLogSetHooks(sink, c.copy);
        errno = 7;
        if (c.raw)
            DpSysLogRaw(u"Q0I", u"%s", c.message.c_str());
        else
            DpSysLog(u"Q0I", u"detail text", u"connect", u"%s", c.message.c_str());
        EXPECT_EQ(errno, 7);
        EXPECT_EQ(g_entries, c.entry.empty() ? std::vector<std::u16string>{}
                                             : std::vector<std::u16string>{c.entry});
    }
    DpSysLogSetHooks(nullptr, PadCopyU16z);
    DpSysLog(u"Q0I", u"a", u"b", u"%s", u"c");
    DpSysLogSetHooks(DpSysLogToSystem, PadCopyU16z);
    EXPECT_TRUE(g_entries.empty()) << "nothing without a writer";
}

} // namespace
