// Error information: fields, message numbers, replacement, transport form.

#include <gtest/gtest.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "base/dptrc.h"
#include "base/err.h"
#include "base/thr.h"
#include "rscp/rscp_utf.h"
#include "trace_capture.h"
#include "u16/u16_errtext.h"

namespace {

std::u16string fld(int n)
{
    return ErrGetFld(n);
}

std::string narrow(const std::u16string& s)
{
    std::string out;
    for (char16_t c : s)
        out += static_cast<char>(c < 0x80 ? c : '?');
    return out;
}

// Runs f on a thread of its own, which starts without error information.
template <typename F> void on_fresh_thread(F f)
{
    std::thread t(f);
    t.join();
}

// A record of the given field values (21 of them).
std::u16string record(const std::vector<std::u16string>& fields)
{
    std::u16string r;
    for (const auto& f : fields) {
        r += f;
        r += u'\0';
    }
    return r;
}

std::vector<std::u16string> sample_fields()
{
    return {u"*ERR*",
            u"1",
            u"error",
            u"-1",
            u"COMP",
            u"740",
            u"3",
            u"mod.c",
            u"10",
            u"detail",
            u"Sat Dec  5 15:21:28 2026",
            u"",
            u"",
            u"",
            u"9",
            u"",
            u"",
            u"",
            u"",
            u"",
            u"*ERR*"};
}

TEST(ErrSetFields, MessageNumbersAndArgumentValues)
{
    struct Case
    {
        const char* name;
        const QOR_UC* error;
        const QOR_UC* detail;
        std::u16string want_error, want_detail, descr_no, descr_vargs, detail_no, detail_vargs;
    } cases[] = {
        {"message number on ERROR", u"(12345)open %s failed", u"name %s rc %d",
         u"open first failed", u"name second rc 17", u"12345", u"first", u"", u""},
        {"four characters are no number", u"(1234)open %s failed", u"name %s rc %d",
         u"(1234)open first failed", u"name second rc 17", u"", u"", u"", u""},
        {"message number on DETAIL", u"open %s failed", u"(00042)name %s rc %d",
         u"open first failed", u"name second rc 17", u"", u"", u"00042", u"second;;;;17"},
        {"both, %% skipped", u"(11111)100%% of %s", u"(22222)%s %5d", u"100% of first",
         u"second    17", u"11111", u"first", u"22222", u"second;;;;   17"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(ErrSet(u"NI (network interface)", 40, u"nixx.c", 321, c.error, -8, c.detail,
                         u"first", u"second", 17),
                  ERR_OK);
        EXPECT_EQ(fld(ERR_FLD_ERROR), c.want_error);
        EXPECT_EQ(fld(ERR_FLD_DETAIL), c.want_detail);
        EXPECT_EQ(fld(ERR_FLD_DESCR_MSG_NO), c.descr_no);
        EXPECT_EQ(fld(ERR_FLD_DESCR_VARGS), c.descr_vargs);
        EXPECT_EQ(fld(ERR_FLD_DETAIL_MSG_NO), c.detail_no);
        EXPECT_EQ(fld(ERR_FLD_DETAIL_VARGS), c.detail_vargs);
        EXPECT_EQ(fld(ERR_FLD_COMPONENT), u"NI (network interface)");
        EXPECT_EQ(fld(ERR_FLD_RC), u"-8");
        EXPECT_EQ(fld(ERR_FLD_VERSION), u"40");
        EXPECT_EQ(fld(ERR_FLD_MODULE), u"nixx.c");
        EXPECT_EQ(fld(ERR_FLD_LINE), u"321");
        EXPECT_EQ(fld(ERR_FLD_RELEASE), u"740");
        EXPECT_EQ(fld(ERR_FLD_FORMAT_VERSION), u"1");
        EXPECT_EQ(fld(ERR_FLD_EYECATCHER), u"*ERR*");
        EXPECT_EQ(fld(ERR_FLD_EYECATCHER_END), u"*ERR*");
        EXPECT_EQ(fld(ERR_FLD_SYSCALL), u"");
        EXPECT_EQ(fld(ERR_FLD_ERRNO), u"");
        EXPECT_EQ(fld(ERR_FLD_TIME).size(), 24u);
    }
}

TEST(ErrSetFields, ZeroValuesAreEmptyAndTheCounterRises)
{
    on_fresh_thread([] {
        ASSERT_EQ(ErrSet(u"C", 0, nullptr, 0, nullptr, 0, nullptr), ERR_OK);
        EXPECT_EQ(fld(ERR_FLD_RC), u"");
        EXPECT_EQ(fld(ERR_FLD_VERSION), u"");
        EXPECT_EQ(fld(ERR_FLD_LINE), u"");
        EXPECT_EQ(fld(ERR_FLD_MODULE), u"");
        EXPECT_EQ(fld(ERR_FLD_ERROR), u"");
        EXPECT_EQ(fld(ERR_FLD_COUNTER), u"1");
        ASSERT_EQ(ErrSet(u"C", 0, nullptr, 0, u"e", 5, u"d"), ERR_OK);
        EXPECT_EQ(fld(ERR_FLD_COUNTER), u"2");
    });
}

TEST(ErrSetFields, SeparatorInsideAnArgumentDoesNotMoveTheSplit)
{
    ASSERT_EQ(ErrSet(u"C", 1, u"f", 1, u"(12345)err %s", 1, u"(54321)det %s", u"x::::y", u"z"),
              ERR_OK);
    EXPECT_EQ(fld(ERR_FLD_ERROR), u"err x::::y");
    EXPECT_EQ(fld(ERR_FLD_DETAIL), u"det z");
    EXPECT_EQ(fld(ERR_FLD_DESCR_VARGS), u"x::::y");
    EXPECT_EQ(fld(ERR_FLD_DETAIL_VARGS), u"z");
}

std::vector<std::string> g_logged;

TEST(ErrSetFields, SystemErrorAndLogLine)
{
    g_logged.clear();
    DpSysLogSetHooks(
        [](int kind, const QOR_UC* id, const QOR_UC* record) {
            g_logged.push_back(std::to_string(kind) + "|" + narrow(id) + "|" + narrow(record));
        },
        PadCopyU16z);
    TraceCapture trace(1);
    ASSERT_EQ(ErrSetSys(u"NI", 40, u"nisock.c", 77, 1, u"connect failed", -10, u"connect to %s",
                        u"connect", ECONNREFUSED, u"host"),
              ERR_OK);
    EXPECT_EQ(fld(ERR_FLD_SYSCALL), u"connect");
    const std::string code = std::to_string(ECONNREFUSED);
    EXPECT_EQ(fld(ERR_FLD_ERRNO), std::u16string(code.begin(), code.end()));
    EXPECT_EQ(fld(ERR_FLD_ERRNO_TEXT),
              std::u16string(syserrtextErrnoU16(ECONNREFUSED)).substr(0, 127));
    EXPECT_EQ(fld(ERR_FLD_DETAIL), u"connect to host");
    const std::string text = trace.take();
    EXPECT_NE(
        text.find("***LOG Q0I=> connect to host: connect (" + std::to_string(ECONNREFUSED) + ": "),
        std::string::npos)
        << text;
    EXPECT_NE(text.find(") [nisock.c 77]\n"), std::string::npos) << text;

    // "%14.14s%3d" of the system call and the code, DETAIL and the system
    // call cut to 7, file name and line.
    const std::string message = std::string(7, ' ') + "connect" + code;
    ASSERT_EQ(g_logged.size(), 1u);
    EXPECT_EQ(g_logged[0], "109|Q0I|" + message + std::string(38 - message.size(), ' ') +
                               "connectconnectnisock.c77  ");

    // The system log does not depend on the trace level; records without
    // the log flag stay out of it.
    DpTrcLevel = 0;
    ASSERT_EQ(ErrSetSys(u"NI", 40, u"nisock.c", 77, 1, u"connect failed", -10, u"connect to %s",
                        u"connect", ECONNREFUSED, u"host"),
              ERR_OK);
    ASSERT_EQ(ErrSetSys(u"NI", 40, u"nisock.c", 78, 0, u"e", -10, u"d", u"connect", 5), ERR_OK);
    DpSysLogSetHooks(DpSysLogToSystem, PadCopyU16z);
    EXPECT_EQ(g_logged.size(), 2u);
    EXPECT_EQ(trace.take(), "");
}

TEST(ErrGetFields, WithoutInformationOrOutOfRange)
{
    on_fresh_thread([] {
        EXPECT_FALSE(ErrIsSet());
        EXPECT_EQ(fld(ERR_FLD_ERROR), u"");
        const QOR_UC* area = nullptr;
        int len = -1;
        EXPECT_EQ(ErrGetAttr(&area, &len), ERR_NO_INFO);
        EXPECT_EQ(len, 0);
        EXPECT_EQ(ErrReplace(ERR_FLD_RC, 5), ERR_NO_INFO);
    });
    ASSERT_EQ(ErrSet(u"C", 1, u"f", 1, u"e", 1, u"d"), ERR_OK);
    for (int n : {-1, 21, 1000})
        EXPECT_EQ(fld(n), u"") << n;
    ASSERT_TRUE(ErrIsSet());
    EXPECT_EQ(ErrClear(), ERR_OK);
    EXPECT_FALSE(ErrIsSet());
    EXPECT_EQ(fld(ERR_FLD_COMPONENT), u"");
}

TEST(ErrCopy, RecordLimitsAndEyecatchers)
{
    on_fresh_thread([] {
        auto fields = sample_fields();
        std::u16string r = record(fields);
        fields[ERR_FLD_DETAIL] += std::u16string(500 - r.size(), u'd');
        std::u16string full = record(fields);
        ASSERT_EQ(full.size(), 500u);
        ASSERT_EQ(ErrCpTo(full.data(), 500), ERR_OK);
        EXPECT_EQ(fld(ERR_FLD_COUNTER), u"1") << "the counter is replaced";
        EXPECT_EQ(fld(ERR_FLD_DETAIL), fields[ERR_FLD_DETAIL]);
        const std::u16string full_detail = fields[ERR_FLD_DETAIL];

        fields[ERR_FLD_DETAIL] += u"x";
        std::u16string too_long = record(fields);
        EXPECT_EQ(ErrCpTo(too_long.data(), 501), ERR_TOO_LARGE);

        std::u16string bad = full;
        bad[1] = u'X';
        EXPECT_EQ(ErrCpTo(bad.data(), 500), ERR_INVALID);
        bad = full;
        bad[bad.size() - 3] = u'X';
        EXPECT_EQ(ErrCpTo(bad.data(), 500), ERR_INVALID);
        // A full record is taken over even when the counter's new value no
        // longer fits: it keeps the counter it came with.
        for (int i = 0; i < 8; ++i)
            ASSERT_EQ(ErrSet(u"C", 1, u"f", 1, u"e", 1, u"d"), ERR_OK);
        EXPECT_EQ(ErrCpTo(full.data(), 500), ERR_OK);
        EXPECT_EQ(fld(ERR_FLD_COUNTER), u"9") << "as sent";
        EXPECT_EQ(fld(ERR_FLD_DETAIL), full_detail);

        // Too short to hold both eyecatchers: refused without reading beyond.
        std::vector<QOR_UC> tiny = {u'*', u'E', u'R'};
        EXPECT_EQ(ErrCpTo(tiny.data(), 3), ERR_INVALID);
        EXPECT_EQ(ErrCpTo(nullptr, 0), ERR_INVALID);
    });
}

// A refused record is shown as a hex dump of its 16-bit units between two
// empty lines, with the values of credentials hidden.
TEST(ErrCopy, RefusedRecordsAreDumped)
{
    const std::string tag = "[Thr " + std::to_string(ThrGetCurrentId()) + "] ";
    const std::string rule = tag + std::string(72, '-') + "\n";
    const std::u16string tiny = u"*ER";
    {
        TraceCapture trace(1);
        EXPECT_EQ(ErrCpTo(tiny.data(), 3), ERR_INVALID);
        const std::string text = trace.take();
        const std::string error = "*** ERROR => ErrCpTo: bad err info (eyecatcher destroyed) [";
        char address[32];
        snprintf(address, sizeof address, "%" PRIxPTR, reinterpret_cast<uintptr_t>(tiny.data()));
        const std::string dump = tag + "\n" + tag + "Address   Offset  bad err info\n" + rule +
                                 tag + address + "  000000  2a004500 5200" + std::string(23, ' ') +
                                 "|*.E.R.          |\n" + rule + tag + "\n";
        const size_t at = text.find(error);
        ASSERT_NE(at, std::string::npos) << text;
        EXPECT_EQ(text.substr(text.find("]\n", at) + 2), dump);
    }
    {
        TraceCapture trace(0);
        EXPECT_EQ(ErrCpTo(tiny.data(), 3), ERR_INVALID);
        EXPECT_EQ(trace.take(), "");
    }
    {
        TraceCapture trace(1);
        const std::string net = "qor-password=geheim&rest" + std::string(21, '\0');
        EXPECT_EQ(ErrCpNetToInt(reinterpret_cast<const unsigned char*>(net.data()),
                                static_cast<int>(net.size())),
                  ERR_INVALID);
        const std::string text = trace.take();
        EXPECT_NE(text.find("xxxxxxxx 72006500 73007400 |........r.e.s.t.|"), std::string::npos)
            << "the password is hidden: " << text;
    }
}

TEST(ErrReplaceFields, ValuesAndFollowUps)
{
    ASSERT_EQ(ErrSet(u"C", 1, u"f.c", 1, u"e", 1, u"d"), ERR_OK);
    EXPECT_EQ(ErrReplace(ERR_FLD_TIME, u"x"), ERR_NOT_REPLACEABLE);
    for (int n : {0, 1, 20, 21, -1})
        EXPECT_EQ(ErrReplace(n, u"x"), ERR_NOT_REPLACEABLE) << n;

    EXPECT_EQ(ErrReplace(ERR_FLD_ERRNO, 0), ERR_OK);
    EXPECT_EQ(fld(ERR_FLD_ERRNO), u"0");
    EXPECT_EQ(fld(ERR_FLD_ERRNO_TEXT), std::u16string(syserrtextErrnoU16(0)));
    EXPECT_EQ(ErrReplace(ERR_FLD_ERRNO, ENOENT), ERR_OK);
    EXPECT_EQ(fld(ERR_FLD_ERRNO), u"2");
    EXPECT_EQ(fld(ERR_FLD_ERRNO_TEXT), std::u16string(syserrtextErrnoU16(ENOENT)).substr(0, 127));
    EXPECT_FALSE(fld(ERR_FLD_ERRNO_TEXT).empty());

    EXPECT_EQ(ErrReplace(ERR_FLD_ERROR, u"(54321)new %s %d", u"v", 3), ERR_OK);
    EXPECT_EQ(fld(ERR_FLD_ERROR), u"new v 3");
    EXPECT_EQ(fld(ERR_FLD_DESCR_MSG_NO), u"54321");
    EXPECT_EQ(fld(ERR_FLD_DESCR_VARGS), u"v;;;;3");
    EXPECT_EQ(ErrReplace(ERR_FLD_ERROR, u"plain %s", u"w"), ERR_OK);
    EXPECT_EQ(fld(ERR_FLD_ERROR), u"plain w");
    EXPECT_EQ(fld(ERR_FLD_DESCR_MSG_NO), u"");
    EXPECT_EQ(fld(ERR_FLD_DESCR_VARGS), u"");

    EXPECT_EQ(ErrReplace(ERR_FLD_RC, 0), ERR_OK);
    EXPECT_EQ(fld(ERR_FLD_RC), u"");
    EXPECT_EQ(ErrReplace(ERR_FLD_RC, -104), ERR_OK);
    EXPECT_EQ(fld(ERR_FLD_RC), u"-104");
    EXPECT_EQ(ErrReplace(ERR_FLD_LOCATION, u"%s:%d", u"host", 3200), ERR_OK);
    EXPECT_EQ(fld(ERR_FLD_LOCATION), u"host:3200");
    EXPECT_EQ(ErrReplace(ERR_FLD_COMPONENT, u"OTHER"), ERR_OK);
    EXPECT_EQ(fld(ERR_FLD_COMPONENT), u"OTHER");
    // Neighbours are unchanged after the moves.
    EXPECT_EQ(fld(ERR_FLD_RELEASE), u"740");
    EXPECT_EQ(fld(ERR_FLD_MODULE), u"f.c");
    EXPECT_EQ(fld(ERR_FLD_DETAIL), u"d");
    EXPECT_EQ(fld(ERR_FLD_EYECATCHER_END), u"*ERR*");

    // A value that would make the record too long is refused.
    const QOR_UC* area = nullptr;
    int before = 0;
    ErrGetAttr(&area, &before);
    std::u16string big(490, u'b');
    EXPECT_EQ(ErrReplace(ERR_FLD_SYSCALL, big.c_str()), ERR_TOO_LARGE);
    int after = 0;
    ErrGetAttr(&area, &after);
    EXPECT_EQ(after, before);
    EXPECT_EQ(fld(ERR_FLD_SYSCALL), u"");
}

TEST(ErrTooLarge, RecordIsTracedAndDropped)
{
    TraceCapture trace(1);
    ASSERT_EQ(ErrSet(u"C", 1, u"f", 1, u"e", 1, u"d"), ERR_OK);
    std::u16string big(400, u'x');
    EXPECT_EQ(ErrISetSys(u"COMP", 1, u"f.c", 2, 0, big.c_str(), 3, big.c_str(), nullptr, 0, nullptr,
                         nullptr, nullptr, nullptr),
              ERR_TOO_LARGE);
    EXPECT_FALSE(ErrIsSet()) << "the old record is gone";
    const std::string text = trace.take();
    EXPECT_NE(text.find("*** ERROR => ErrISetSys: error info too large ["), std::string::npos);
    for (const char* line : {"LOCATION    \n", "COMPONENT   COMP\n", "RC          3\n",
                             "SYSTEM CALL \n", "DESCR MSG NO\n", "COUNTER     "})
        EXPECT_NE(text.find(line), std::string::npos) << line;
}

TEST(ErrNet, RoundTripInUtf8)
{
    struct Case
    {
        const char* name;
        std::u16string detail;
    } cases[] = {
        {"ascii", u"plain detail"},
        {"non-ascii", u"caf\u00e9 \u20ac \U0001F600"},
        {"longer than 500 bytes in UTF-8", std::u16string(300, u'\u20ac')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(ErrSet(u"C", 1, u"f", 1, u"e", 1, u"%s", c.detail.c_str()), ERR_OK);
        const QOR_UC* area = nullptr;
        int len = 0;
        ASSERT_EQ(ErrGetAttr(&area, &len), ERR_OK);
        const std::u16string original(area, len);

        unsigned char net[1600];
        int bytes = 0;
        ASSERT_EQ(ErrCpToNet(net, &bytes, sizeof net), ERR_OK);
        EXPECT_GE(bytes, len);
        ASSERT_EQ(ErrClear(), ERR_OK);
        ASSERT_EQ(ErrCpNetToInt(net, bytes), ERR_OK);
        ASSERT_EQ(ErrGetAttr(&area, &len), ERR_OK);
        EXPECT_EQ(std::u16string(area, len), original);
        EXPECT_EQ(fld(ERR_FLD_DETAIL), c.detail);
    }
}

TEST(ErrNet, ReceivedRecordsAreChecked)
{
    std::string eye = std::string("*ERR*") + '\0';
    struct Case
    {
        const char* name;
        std::string bytes;
        int rc;
    } cases[] = {
        {"two fields only", eye + eye, ERR_INVALID},
        {"bad eyecatcher", "*ERX*" + std::string(1, '\0') + std::string(19, '\0') + eye,
         ERR_INVALID},
        {"too short", "*E", ERR_INVALID},
        {"too long", std::string(1501, 'a'), ERR_TOO_LARGE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(ErrSet(u"C", 1, u"f", 1, u"e", 1, u"d"), ERR_OK);
        EXPECT_EQ(ErrCpNetToInt(reinterpret_cast<const unsigned char*>(c.bytes.data()),
                                static_cast<int>(c.bytes.size())),
                  c.rc);
        if (c.rc == ERR_INVALID) {
            EXPECT_FALSE(ErrIsSet());
        }
    }
    // An EBCDIC record: "*ERR*", "1", 18 empty fields, "*ERR*".
    std::vector<unsigned char> ebcdic = {0x5C, 0xC5, 0xD9, 0xD9, 0x5C, 0x00, 0xF1, 0x00};
    ebcdic.insert(ebcdic.end(), 18, 0x00);
    for (unsigned char b : {0x5C, 0xC5, 0xD9, 0xD9, 0x5C, 0x00})
        ebcdic.push_back(b);
    ASSERT_EQ(ErrCpNetToInt(ebcdic.data(), static_cast<int>(ebcdic.size())), ERR_OK);
    EXPECT_EQ(fld(ERR_FLD_FORMAT_VERSION), u"1");
    EXPECT_EQ(fld(ERR_FLD_EYECATCHER_END), u"*ERR*");
}

TEST(ErrNet, OverlongReceivedRecordsAreTraced)
{
    // More than 500 characters, whether the bytes could still hold a record
    // (600 ASCII bytes) or not (1501 bytes): refused alike.
    for (size_t bytes : {600u, 1501u}) {
        TraceCapture trace(1);
        ASSERT_EQ(ErrSet(u"C", 1, u"f", 1, u"e", 1, u"d"), ERR_OK);
        const std::string data(bytes, 'a');
        EXPECT_EQ(ErrCpNetToInt(reinterpret_cast<const unsigned char*>(data.data()),
                                static_cast<int>(bytes)),
                  ERR_TOO_LARGE)
            << bytes;
        EXPECT_NE(trace.take().find("*** ERROR => ErrCpNetToInt2: internal area too small (500<" +
                                    std::to_string(bytes) + ") ["),
                  std::string::npos)
            << bytes;
        EXPECT_EQ(fld(ERR_FLD_ERROR), u"e") << "the current record stays, " << bytes;
    }
    on_fresh_thread([] {
        // A record of exactly 500 characters, longer in UTF-8, still travels.
        auto fields = sample_fields();
        fields[ERR_FLD_DETAIL] = std::u16string(500 - record(fields).size() + 6, u'\u20ac');
        const std::u16string full = record(fields);
        ASSERT_EQ(full.size(), 500u);
        ASSERT_EQ(ErrCpTo(full.data(), 500), ERR_OK);
        unsigned char net[1600];
        int bytes = 0;
        ASSERT_EQ(ErrCpToNet(net, &bytes, sizeof net), ERR_OK);
        EXPECT_GT(bytes, 1000);
        ASSERT_EQ(ErrClear(), ERR_OK);
        ASSERT_EQ(ErrCpNetToInt(net, bytes), ERR_OK);
        EXPECT_EQ(fld(ERR_FLD_DETAIL), fields[ERR_FLD_DETAIL]);
    });
}

TEST(ErrTexts, EscapePercentAndSystemText)
{
    struct Case
    {
        const QOR_UC* src;
        size_t size;
        std::u16string expected;
    } cases[] = {
        {u"12%", 4, u"12"}, // the doubled "%" would not fit
        {u"12%", 5, u"12%%"}, {u"a%b%", 10, u"a%%b%%"}, {u"abcdef", 4, u"abc"}, {u"", 1, u""},
    };
    for (const Case& c : cases) {
        QOR_UC buf[16];
        ASSERT_EQ(ErrIEscapePercent(c.src, buf, c.size), buf);
        EXPECT_EQ(std::u16string(buf), c.expected) << narrow(c.src) << " " << c.size;
    }
    QOR_UC buf[8];
    EXPECT_EQ(ErrIEscapePercent(u"x", buf, 0), nullptr);

    EXPECT_EQ(ErrSysText(ENOENT, buf, 0), nullptr);
    ASSERT_EQ(ErrSysText(ENOENT, buf, 1), buf);
    EXPECT_EQ(std::u16string(buf), u"");
    ASSERT_EQ(ErrSysText(ENOENT, buf, 8), buf);
    EXPECT_EQ(std::u16string(buf), std::u16string(syserrtextErrnoU16(ENOENT)).substr(0, 7));
}

TEST(ErrThreads, RecordsArePerThread)
{
    ASSERT_EQ(ErrSet(u"MAIN", 1, u"f", 1, u"main error", 1, u"d"), ERR_OK);
    std::u16string seen_in_thread = u"unset";
    on_fresh_thread([&] {
        seen_in_thread = fld(ERR_FLD_ERROR);
        ErrSet(u"T", 1, u"f", 1, u"thread error", 1, u"d");
    });
    EXPECT_EQ(seen_in_thread, u"");
    EXPECT_EQ(fld(ERR_FLD_ERROR), u"main error");
}

} // namespace
