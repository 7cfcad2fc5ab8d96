#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "converter_fixture.h"
#include "rscp/rscp_utf.h"
#include "rscpc/errors.h"
#include "rscpc/options.h"
#include "rscpc/startup.h"
#include "rscpc/state.h"
#include "rscpc/tables.h"

namespace {

using Startup = ConverterTest;

std::u16string header_text(const ccc::Block& b, uint32_t offset, size_t n)
{
    std::u16string s(n, u' ');
    b.text(offset, s.data(), n);
    return s;
}

std::string newest_error_text()
{
    const rscpe_record* r = rscpe_get_record();
    const rscpe_entry& e = r->entries[r->count > 0 ? (r->count < 5 ? r->count - 1 : 4) : 0];
    std::u16string text(e.text, 68);
    text.erase(text.find_last_not_of(u' ') + 1);
    return utf8(text);
}

TEST_F(Startup, CleanStartBuildsTheCacheAndWritesNothing)
{
    /* The real writers: a clean start prints nothing at all. */
    rscp_writers[RSCP_WRITER_STDERR] = rscp_write_stderr;
    rscp_writers[RSCP_WRITER_INFO] = rscp_write_null;
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    EXPECT_EQ(rscpi_init(RSCP_ACCEPT_ALL), 0u);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    const ccc::Block b = cache();
    EXPECT_EQ(rscp_converter().state, RSCP_INITIALIZED);
    EXPECT_EQ(b.size(), 6000000u);
    const struct
    {
        uint32_t offset;
        uint32_t value;
    } fields[] = {
        {ccc::kCccFormat, 77},
        {ccc::kVersion, ccc::kVersionComplete},
        {ccc::kLength, 6000000},
        {ccc::kCache07, 600000},
        {ccc::kEndT2, 5400000},
        {ccc::kFirstT2, 5400000},
        {ccc::kFirstT7, 6000000},
        {ccc::kEndT7, 6000000},
        {ccc::kFirstT1, 95976},
        {ccc::kEndT1, 95976},
        {ccc::kAttaches, 1},
        {ccc::kReorgVersion, 1},
        {ccc::kMaxQorCode, 2442},
        {ccc::kMaxUchar, 1200000},
        {ccc::kMbcCopy, 2},
        {ccc::kProtection, 1},
        {ccc::kTcp01Offset, 7544 + 184 * 395},
    };
    for (const auto& f : fields)
        EXPECT_EQ(b.u32(f.offset), f.value) << "offset " << f.offset;
    EXPECT_EQ(b.u8(ccc::kReorgDone), 1);
    EXPECT_EQ(header_text(b, ccc::kEyeCatcher, 12), std::u16string(u">>RSCPCCC<<\0", 12));
    EXPECT_EQ(header_text(b, ccc::kKindOfMemory, 12), u"malloc      ");
    EXPECT_EQ(header_text(b, ccc::kCreateDate, 16), kTestStamp);
    EXPECT_EQ(b.u64(ccc::kAttachAddresses), reinterpret_cast<uintptr_t>(b.base()));
    /* The conversions now report to the recorder. */
    char out[2];
    rscpe_reset();
    EXPECT_EQ(U16zToUtf8(out, 2, nullptr, u"ab"), RSCPETOOLONG);
    EXPECT_EQ(rscpe_get_record()->entries[0].letter, u'O');
    EXPECT_EQ(std::u16string(rscpe_get_record()->entries[0].module, 8), u"rscpu86r");
    /* Once up, a second start does nothing. */
    EXPECT_EQ(rscpi_init(0), 0u);
    EXPECT_EQ(b.u32(ccc::kAttaches), 1u);
}

TEST_F(Startup, CacheSizeSettings)
{
    const struct
    {
        const char16_t* size;
        const char16_t* cache07;
        uint32_t rc;
        uint32_t length;
        uint32_t area07;
        const char* error;
    } cases[] = {
        {u"169999", nullptr, RSCPEINTERN, 0, 0, "QORPARAM(rsts/ccc/cachesize) too small"},
        {u"170000", nullptr, 0, 170000, 17000, ""},
        {u"170001", nullptr, 0, 170016, 17001, ""},
        {u"20000000", nullptr, 0, 16776192, 1677619, "QORPARAM(rsts/ccc/cachesize) too large"},
        {u"400000", u"199", RSCPEINTERN, 0, 0, "QORPARAM(rsts/ccc/cache07) too small"},
        {u"400000", u"", 0, 400000, 40000, ""},
        {u"400000", u"50001", 0, 400000, 50016, ""},
    };
    for (const auto& c : cases) {
        rscp_converter_reset();
        parameters.clear();
        set_parameter(u"rsts/ccc/cachesize", c.size);
        if (c.cache07 != nullptr)
            set_parameter(u"rsts/ccc/cache07", c.cache07);
        EXPECT_EQ(rscpi_init(RSCP_ACCEPT_ALL), c.rc) << utf8(c.size);
        EXPECT_EQ(cache().u32(ccc::kLength), c.length) << utf8(c.size);
        EXPECT_EQ(cache().u32(ccc::kCache07), c.area07) << utf8(c.size);
        EXPECT_EQ(newest_error_text(), c.error) << utf8(c.size);
        if (c.rc != 0) {
            EXPECT_EQ(std::u16string(rscpe_get_record()->entries[0].module, 8), u"rscpmc  ");
            /* Stopped before the cache existed: the next start is a loop. */
            EXPECT_EQ(rscp_converter().state, RSCP_INIT_STARTED);
            EXPECT_EQ(rscpi_init(RSCP_ACCEPT_ALL), RSCPEINTERN);
            EXPECT_EQ(newest_error_text(), "char code converter init loop");
        }
    }
}

TEST_F(Startup, DataThatDoesNotFitDamagesTheConverter)
{
    set_parameter(u"rsts/ccc/cachesize", u"170000");
    set_parameter(u"rsts/ccc/cache07", u"85000");
    EXPECT_EQ(rscpi_init(RSCP_ACCEPT_ALL), RSCPEINTERN);
    EXPECT_EQ(rscp_converter().state, RSCP_DAMAGED);
    const std::vector<std::string> lines = take_stderr_writer_lines();
    EXPECT_EQ(lines.back(), "CCC-cache init failed.");
    EXPECT_EQ(rscpi_init(RSCP_ACCEPT_ALL), RSCPEINTERN);
    EXPECT_EQ(newest_error_text(), "char code converter damaged");
}

TEST_F(Startup, PrivateUseCharacterSettings)
{
    const struct
    {
        const char16_t* value;
        QOR_UC taken;
        const char* syslog;
    } cases[] = {
        {u"E000", 0xE000, nullptr},
        {u"f8fe", 0xF8FE, nullptr},
        {u"F900", 0xF8FD, "rscp/pua/icon2intro&range:E000..F8FF&"},
        {u"E00", 0xF8FD, "rscp/pua/icon2intro&length != 4&"},
        {u"E0G0", 0xF8FD, "rscp/pua/icon2intro&range:E000..F8FF&"},
    };
    for (const auto& c : cases) {
        rscp_converter_reset();
        take_stderr_writer_lines();
        set_parameter(u"rscp/pua/icon2intro", c.value);
        ASSERT_EQ(rscpi_init(RSCP_ACCEPT_ALL), 0u);
        EXPECT_EQ(rscp_converter().pua[1], c.taken) << utf8(c.value);
        const std::vector<std::string> lines = take_stderr_writer_lines();
        if (c.syslog == nullptr) {
            EXPECT_TRUE(lines.empty());
            continue;
        }
        ASSERT_EQ(lines.size(), 1u);
        std::string want = std::string("Syslog: i E16 : ") + c.syslog;
        want.resize(80, ' ');
        EXPECT_EQ(lines[0], want);
    }
}

TEST_F(Startup, AStartInReinitializeStateReusesTheBlock)
{
    ASSERT_EQ(rscpi_init(RSCP_ACCEPT_ALL), 0u);
    unsigned char* block = rscp_converter().cache;
    ASSERT_EQ(rscpso_set_option(3, 500000, RSCP_ACCEPT_ALL), 0u);
    rscpSetState(RSCP_REINITIALIZE);
    take_stderr_writer_lines();
    EXPECT_EQ(rscpi_init(RSCP_ACCEPT_ALL), 0u);
    EXPECT_EQ(rscp_converter().cache, block);
    EXPECT_EQ(rscp_converter().state, RSCP_INITIALIZED);
    EXPECT_EQ(cache().u32(ccc::kEndT2), 5500000u); /* rebuilt with the new area */
    EXPECT_EQ(cache().u32(ccc::kAttaches), 1u);
    const std::vector<std::string> lines = take_stderr_writer_lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Try CCC initialization in state: 5 . (CCC not in reach.)");
    EXPECT_EQ(lines[1].rfind("In reinitialize state reuse shared memory at ", 0), 0u);
    EXPECT_EQ(lines[1].substr(lines[1].size() - 19), ". CCC.reorg_done=F.");
    /* The reorganisation within the start-up brought the converter back. */
    EXPECT_EQ(lines[lines.size() - 2],
              "Code page converter switched back to initialized state. CCC.reorg_done=T.");
    EXPECT_EQ(lines.back(), "Syslog:   CQE : CCC in initialized state.                    "
                            "        rscpmc  135");
}

TEST_F(Startup, HistoryKeepsTheLastSevenStates)
{
    for (int32_t s = 1; s <= 8; ++s)
        rscpSetState(s % 6);
    const RscpConverter& c = rscp_converter();
    const int32_t want[RSCP_HISTORY_SIZE] = {2, 1, 0, 5, 4, 3, 2};
    for (int i = 0; i < RSCP_HISTORY_SIZE; ++i)
        EXPECT_EQ(c.history[i].state, want[i]) << i;
    EXPECT_EQ(c.state, 2);
}

TEST_F(Startup, EnvironmentVariables)
{
    struct Case
    {
        const char* name;
        const char* value;
        std::function<void(Startup&)> check;
    };
    const std::vector<Case> cases = {
        {"RSCPTRACE", "5",
         [](Startup& t) {
             int32_t value = 0;
             EXPECT_EQ(rscpgo_get_option(5, &value), 0u);
             EXPECT_EQ(value, 5);
             EXPECT_TRUE(rscpe_trace_first() && rscpe_trace_second());
             /* The quality check after the start finds the odd value. */
             EXPECT_EQ(t.take_stderr_writer_lines(),
                       std::vector<std::string>{"CCC: verbose strange value:         5 (0x5)"});
             const std::vector<std::string> info = t.take_info_writer_lines();
             EXPECT_EQ(info.back(), "rscpmc:reinit:         1 warnings");
         }},
        {"RSCP_ON_ERROR", "1",
         [](Startup& t) {
             int32_t value = -1;
             EXPECT_EQ(rscpgo_get_option(6, &value), 0u);
             EXPECT_EQ(value, 1);
             EXPECT_TRUE(rscpe_on_error_first());
             t.take_stderr_writer_lines();
             rscpso_set_option(15, 1, RSCP_ACCEPT_ALL); /* an illegal option: reported */
             const std::vector<std::string> lines = t.take_stderr_writer_lines();
             EXPECT_NE(std::find(lines.begin(), lines.end(),
                                 "|                              RSCP - Error                 "
                                 "           |"),
                       lines.end());
         }},
        {"SNC_LEGACY_QOR_CP", "1100",
         [](Startup& t) {
             EXPECT_EQ(header_text(t.cache(), ccc::kLegacyCodePage, 4), u"1100");
             EXPECT_EQ(t.cache().u32(ccc::kTableReads + 4 * 10), 1u);
         }},
        {"I18N_RSCPSWITCHACCESS_legRFC", "1", [](Startup&) {}},
    };
    for (const Case& c : cases) {
        rscp_converter_reset();
        take_stderr_writer_lines();
        setenv(c.name, c.value, 1);
        testing::internal::CaptureStderr();
        ASSERT_EQ(rscpi_init(RSCP_ACCEPT_ALL), 0u) << c.name;
        const std::string direct = testing::internal::GetCapturedStderr();
        unsetenv(c.name);
        if (std::strcmp(c.name, "I18N_RSCPSWITCHACCESS_legRFC") == 0)
            EXPECT_EQ(direct.rfind("Legacy RFC config read krn/rscp/rscpmc;", 0), 0u) << direct;
        else
            EXPECT_EQ(direct, "") << c.name;
        c.check(*this);
    }
    /* Without SNC_LEGACY_QOR_CP the legacy code page stays blank. */
    rscp_converter_reset();
    ASSERT_EQ(rscpi_init(RSCP_ACCEPT_ALL), 0u);
    EXPECT_EQ(header_text(cache(), ccc::kLegacyCodePage, 4), u"    ");
}

TEST_F(Startup, DatabaseCodePagesFromTcpdbDat)
{
    struct Case
    {
        std::string file;
        std::vector<std::u16string> stored; /* after the pre-stored 4103 */
        uint16_t added;
        std::string direct; /* written straight to standard error */
        std::vector<std::string> errors;
    };
    const std::string not_empty = "Database table TCPDB not empty. See note 42305\n";
    const std::vector<Case> cases = {
        {"TCPDB\n4103\r\n4102\n", {u"4102"}, 2, "", {}},
        {"TCPDB\n1100\n41034\n",
         {u"1100"},
         1,
         "TCPDB.DAT line 3: format error: \"41034\".\n" + not_empty,
         {"TCPDB should be empty."}},
        /* A long line is one line: no part of it passes for a code page. */
        {"4103" + std::string(40, 'x') + "6100\n4110\n",
         {u"4110"},
         1,
         "TCPDB.DAT line 1: format error: \"4103xxxxxxxxxxxxxxxx\".\n" + not_empty,
         {"TCPDB should be empty."}},
        /* Bytes that are not printable ASCII are shown escaped; four of
         * them are no code page. */
        {"\n4102\nTCPDB\n\xff\xfe\xfd\xfc\n\x1b[2J\\\n\xc3\xa4\xc3\xa4\n",
         {u"4102"},
         1,
         "TCPDB.DAT line 1: format error: \"\".\n"
         "TCPDB.DAT line 3: format error: \"TCPDB\".\n"
         "TCPDB.DAT line 4: format error: \"\\xFF\\xFE\\xFD\\xFC\".\n"
         "TCPDB.DAT line 5: format error: \"\\x1B[2J\\x5C\".\n"
         "TCPDB.DAT line 6: format error: \"\\xC3\\xA4\\xC3\\xA4\".\n",
         {}},
        /* An encoded surrogate is one character, as the file reader
         * decodes it. */
        {"\xed\xa0\x80"
         "123\n",
         {u"\xD800"
          u"123"},
         1,
         not_empty,
         {"TCPDB should be empty."}},
        /* A file of exactly 4096 bytes is read. */
        {"4103\r\n" +
             [] {
                 std::string lines;
                 for (int i = 0; i < 818; ++i)
                     lines += "4103\n";
                 return lines;
             }(),
         {},
         819,
         "",
         {}},
        {"6100\n6140\n",
         {u"6100", u"6140"},
         2,
         not_empty + not_empty,
         {"Still using ambiguous blended code page?", "Still using unambiguous blended code page?",
          "TCPDB should be empty.", "TCPDB should be empty."}},
    };
    for (const Case& c : cases) {
        rscp_converter_reset();
        take_recorded_errors();
        write_file("TCPDB.DAT", c.file);
        testing::internal::CaptureStderr();
        std::vector<std::string> texts;
        rscph.rscph_SyslogId = [](QOR_UC, const QOR_UC*, const QOR_UC*) {};
        ASSERT_EQ(rscpi_init(RSCP_ACCEPT_ALL), 0u);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.direct) << c.file;
        const ccc::Block b = cache();
        EXPECT_EQ(b.u16(ccc::kTcpdbCount), c.added) << c.file;
        ASSERT_EQ(b.u16(ccc::kDbCpCount), 1 + c.stored.size()) << c.file;
        EXPECT_EQ(header_text(b, ccc::kDbCodePages, 4), u"4103");
        for (size_t i = 0; i < c.stored.size(); ++i)
            EXPECT_EQ(header_text(b, ccc::kDbCodePages + 8 * (i + 1), 4), c.stored[i]) << c.file;
        EXPECT_EQ(take_recorded_errors(), c.errors) << c.file;
    }
}

TEST_F(Startup, TcpdbDatThatIsNoListIsNotRead)
{
    const struct
    {
        const char* what;
        std::function<void()> make;
        const char* reason;
    } cases[] = {
        {"a FIFO without writer", [] { ASSERT_EQ(mkfifo("TCPDB.DAT", 0600), 0); },
         "not a regular file"},
        {"a link to the zero device", [] { ASSERT_EQ(symlink("/dev/zero", "TCPDB.DAT"), 0); },
         "not a regular file"},
        {"a link to the random device", [] { ASSERT_EQ(symlink("/dev/urandom", "TCPDB.DAT"), 0); },
         "not a regular file"},
        {"a directory", [] { ASSERT_EQ(mkdir("TCPDB.DAT", 0700), 0); }, "not a regular file"},
        {"a file of 4097 bytes",
         [] { std::ofstream("TCPDB.DAT") << "1100\n"
                                         << std::string(4092, 'x'); },
         "larger than 4096 bytes"},
    };
    for (const auto& c : cases) {
        rscp_converter_reset();
        std::filesystem::remove_all("TCPDB.DAT");
        c.make();
        take_recorded_errors();
        take_stderr_writer_lines();
        testing::internal::CaptureStderr();
        ASSERT_EQ(rscpi_init(RSCP_ACCEPT_ALL), 0u) << c.what;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << c.what;
        EXPECT_EQ(cache().u16(ccc::kTcpdbCount), 0) << c.what;
        EXPECT_EQ(cache().u16(ccc::kDbCpCount), 1) << c.what;
        EXPECT_EQ(take_recorded_errors(), std::vector<std::string>{"TCPDB.DAT not read"}) << c.what;
        const rscpe_entry& e = rscpe_get_record()->entries[0];
        EXPECT_EQ(std::u16string(e.module, 8), u"rscpdl  ");
        std::string syslog = "Syslog: k CP6 : TCPDB.DAT&" + std::string(c.reason) + "&";
        syslog.resize(69, ' ');
        EXPECT_EQ(take_stderr_writer_lines(), std::vector<std::string>{syslog + "rscpdl   33"})
            << c.what;
    }
}

TEST_F(Startup, MoreThanFiftyDatabaseCodePagesAreCountedNotStored)
{
    std::string file;
    for (int i = 0; i < 60; ++i)
        file += std::to_string(1100 + i) + "\n";
    write_file("TCPDB.DAT", file);
    testing::internal::CaptureStderr();
    ASSERT_EQ(rscpi_init(RSCP_ACCEPT_ALL), 0u);
    const std::string direct = testing::internal::GetCapturedStderr();
    const ccc::Block b = cache();
    EXPECT_EQ(b.u16(ccc::kTcpdbCount), 60);
    EXPECT_EQ(b.u16(ccc::kDbCpCount), 50);
    /* Each stored one but 4103 is reported, no entry beyond the list. */
    size_t reports = 0;
    for (size_t at = direct.find("not empty"); at != std::string::npos;
         at = direct.find("not empty", at + 1))
        ++reports;
    EXPECT_EQ(reports, 49u);
}

TEST_F(Startup, WritesStayInsideTheCacheBlock)
{
    use_guarded_block();
    set_parameter(u"rsts/ccc/cachesize", u"170000");
    ASSERT_EQ(rscpi_init(RSCP_ACCEPT_ALL), 0u);
    EXPECT_TRUE(guards_intact());
    /* A block that was not handed out zero-filled is cleared first. */
    EXPECT_EQ(cache().u8(169999), 0);
    const struct
    {
        uint32_t length;
        uint32_t rc;
    } records[] = {{8, 0},
                   {100, 0},
                   {0xFFFFFFF0u, RSCPETOOLONG},
                   {200000, RSCPETOOLONG},
                   {16000, 0},
                   {2000, RSCPETOOLONG}};
    std::vector<unsigned char> data(200000, 0x77);
    uint32_t previous = cache().u32(ccc::kFirstT7);
    for (const auto& r : records) {
        uint32_t offset = 1;
        void* at = &offset;
        EXPECT_EQ(rscpAllocLongChar(data.data(), r.length, &offset, &at), r.rc) << r.length;
        if (r.rc == 0) {
            EXPECT_EQ(offset % 8, 0u);
            EXPECT_LE(offset + r.length, previous);
            EXPECT_GE(offset, cache().u32(ccc::kEndT2));
            previous = offset;
        } else {
            EXPECT_EQ(offset, 0u);
            EXPECT_EQ(at, nullptr);
        }
        EXPECT_TRUE(guards_intact()) << r.length;
    }
    /* A header whose area bounds point past the block never moves a write
     * there. */
    ccc::Block b = cache();
    b.set<uint32_t>(ccc::kFirstT7, 170000 + 4096);
    uint32_t offset = 0;
    void* at = nullptr;
    EXPECT_EQ(rscpAllocLongChar(data.data(), 64, &offset, &at), RSCPETOOLONG);
    EXPECT_TRUE(guards_intact());
}

TEST_F(Startup, CharacterNumbersBeyondTheAreaAreNotStored)
{
    use_guarded_block();
    set_parameter(u"rsts/ccc/cachesize", u"170000");
    ASSERT_EQ(rscpi_init(RSCP_ACCEPT_ALL), 0u);
    /* A record with a number far above the others: the character table
     * would end past the block; nothing is written there, and a build
     * with such a record fails as too small. */
    QOR_UC record[41];
    std::u16string text = u"60000" + std::u16string(30, u' ') + u"ABCDEF";
    std::copy(text.begin(), text.end(), record);
    rscpll_store_TCP01(record);
    EXPECT_TRUE(guards_intact());
    EXPECT_EQ(cache().u16(ccc::kTcp01Mappings), 60000);
}

} // namespace
