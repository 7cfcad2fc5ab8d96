// Dynamic library loader against a small library built with the tests.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "base/dl.h"
#include "base/err.h"
#include "trace_capture.h"

namespace {

std::u16string wide(const std::string& s)
{
    return std::u16string(s.begin(), s.end()); // test names are ASCII
}

std::string narrow(const QOR_UC* s)
{
    std::string out;
    for (; *s != 0; ++s)
        out += static_cast<char>(*s < 0x80 ? *s : '?');
    return out;
}

std::string upper(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    return s;
}

// A temporary directory with links to the test library under other names.
class LinkDir
{
  public:
    LinkDir()
    {
        char tmpl[] = "/tmp/qor_dl_XXXXXX";
        dir_ = mkdtemp(tmpl);
    }
    ~LinkDir()
    {
        for (const std::string& p : links_)
            unlink(p.c_str());
        rmdir(dir_.c_str());
    }
    std::string link(const std::string& file)
    {
        std::string path = dir_ + "/" + file;
        EXPECT_EQ(symlink(QOR_TEST_DL_LIB, path.c_str()), 0) << path;
        links_.push_back(path);
        return path;
    }
    const std::string& dir() const { return dir_; }

  private:
    std::string dir_;
    std::vector<std::string> links_;
};

TEST(DlLoad, SameLibraryInOtherCaseSharesItsRow)
{
    const std::u16string name = wide(QOR_TEST_DL_LIB);
    const std::u16string other_case = wide(upper(QOR_TEST_DL_LIB));
    DL_HDL a = 99, b = 99;
    ASSERT_EQ(DlLoadLib(name.c_str(), &a), DL_OK);
    ASSERT_EQ(DlLoadLib(other_case.c_str(), &b), DL_OK);
    EXPECT_EQ(a, b);

    DL_FUNC fn = nullptr;
    ASSERT_EQ(DlLoadFunc(a, u"qor_dl_test_answer", 0, &fn), DL_OK);
    EXPECT_EQ(reinterpret_cast<int (*)(void)>(fn)(), 42);

    TraceCapture trace(2);
    DL_HDL first = a;
    ASSERT_EQ(DlUnloadLib(&a), DL_OK);
    EXPECT_EQ(a, DL_HDL_INVALID);
    EXPECT_NE(
        trace.take().find("DlUnloadLib(): successful (usage_count=1) hdl " + std::to_string(first)),
        std::string::npos);
    // Still loaded: functions resolve through the other handle.
    EXPECT_EQ(DlLoadFunc(b, u"qor_dl_test_twice", 0, &fn), DL_OK);
    ASSERT_EQ(DlUnloadLib(&b), DL_OK);
    EXPECT_NE(trace.take().find("DlUnloadLib() successful FreeLibrary(\""), std::string::npos);
    // The row is free again: the old handle is invalid.
    DL_FUNC untouched = reinterpret_cast<DL_FUNC>(0x10);
    EXPECT_EQ(DlLoadFunc(first, u"qor_dl_test_answer", 0, &untouched), DLEINVAL);
    EXPECT_EQ(untouched, reinterpret_cast<DL_FUNC>(0x10));
}

TEST(DlLoad, SuccessTraceNamesTheFile)
{
    TraceCapture trace(2);
    const std::u16string name = wide(QOR_TEST_DL_LIB);
    DL_HDL h = DL_HDL_INVALID;
    ASSERT_EQ(DlLoadLib(name.c_str(), &h), DL_OK);
    std::string text = trace.take();
    EXPECT_NE(text.find("DlLoadLib success: LoadLibrary(\"" + std::string(QOR_TEST_DL_LIB) +
                        "\"), hdl " + std::to_string(h) + ", count 1, addr "),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("    using \"" + std::string(QOR_TEST_DL_LIB) + "\"\n"), std::string::npos)
        << text;
    ASSERT_EQ(DlUnloadLib(&h), DL_OK);
}

TEST(DlLoad, MissingFunctionLeavesOutputAlone)
{
    const std::u16string name = wide(QOR_TEST_DL_LIB);
    DL_HDL h = DL_HDL_INVALID;
    ASSERT_EQ(DlLoadLib(name.c_str(), &h), DL_OK);
    TraceCapture trace(3);
    DL_FUNC fn = reinterpret_cast<DL_FUNC>(0x20);
    EXPECT_EQ(DlLoadFunc(h, u"qor_dl_no_such_function", 0, &fn), DLENOACCESS);
    EXPECT_EQ(fn, reinterpret_cast<DL_FUNC>(0x20));
    std::string text = trace.take();
    EXPECT_NE(text.find("DlLoadFunc(): failed GetProcAddress(\"qor_dl_no_such_function\") from"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("        with error "), std::string::npos);
    EXPECT_NE(text.find("qor_dl_no_such_function"), std::string::npos);
    ASSERT_EQ(DlLoadFunc(h, u"qor_dl_test_twice", 0, &fn), DL_OK);
    EXPECT_NE(trace.take().find("DlLoadFunc(): successful GetProcAddress(\"qor_dl_test_twice\")"),
              std::string::npos);
    EXPECT_EQ(reinterpret_cast<int (*)(int)>(fn)(21), 42);
    ASSERT_EQ(DlUnloadLib(&h), DL_OK);
}

TEST(DlLoad, InvalidNamesAndHandles)
{
    TraceCapture trace(1);
    struct Case
    {
        const char* what;
        const QOR_UC* name;
        int rc;
        const char* traced;
    } cases[] = {
        {"null", nullptr, DLENOACCESS, "DlLoadLib: no libname supplied"},
        {"empty", u"", DLENOACCESS, "DlLoadLib: empty libname supplied"},
    };
    for (const Case& c : cases) {
        DL_HDL h = 5;
        EXPECT_EQ(DlLoadLib(c.name, &h), c.rc) << c.what;
        EXPECT_EQ(h, DL_HDL_INVALID);
        EXPECT_NE(trace.take().find(c.traced), std::string::npos) << c.what;
    }
    for (DL_HDL bad : {DL_HDL_INVALID, -7, 64, 1000, 63}) {
        DL_HDL h = bad;
        EXPECT_EQ(DlUnloadLib(&h), DLEINVAL) << bad;
        EXPECT_EQ(h, bad);
        EXPECT_NE(trace.take().find("DlUnloadLib(): invalid handle (" + std::to_string(bad) + ")"),
                  std::string::npos);
        DL_FUNC fn = nullptr;
        EXPECT_EQ(DlLoadFunc(bad, u"x", 0, &fn), DLEINVAL);
        EXPECT_NE(trace.take().find("DlLoadFunc(): invalid handle (" + std::to_string(bad) + ")"),
                  std::string::npos);
    }
}

TEST(DlLoad, NameLengthLimit)
{
    LinkDir dir;
    TraceCapture trace(1);
    // A real file whose path has exactly 255 characters.
    const std::string prefix = dir.dir() + "/";
    std::string file(255 - prefix.size() - 3, 'n');
    const std::string path255 = dir.link(file + ".so");
    ASSERT_EQ(path255.size(), 255u);
    DL_HDL h = DL_HDL_INVALID;
    EXPECT_EQ(DlLoadLib(wide(path255).c_str(), &h), DL_OK);
    EXPECT_EQ(DlUnloadLib(&h), DL_OK);

    const std::string path256 = path255 + "x";
    EXPECT_EQ(DlLoadLib(wide(path256).c_str(), &h), DLEINVAL);
    EXPECT_EQ(h, DL_HDL_INVALID);
    EXPECT_NE(trace.take().find("DlLoadLib: libname of 256 chars is too long (max 256)"),
              std::string::npos);
}

TEST(DlLoad, TableOf64RowsFillsUp)
{
    LinkDir dir;
    TraceCapture trace(1);
    std::vector<DL_HDL> handles;
    for (int i = 0; i < DL_MAX_HANDLES; ++i) {
        std::string path = dir.link("lib" + std::to_string(i) + ".so");
        DL_HDL h = DL_HDL_INVALID;
        ASSERT_EQ(DlLoadLib(wide(path).c_str(), &h), DL_OK) << i;
        handles.push_back(h);
    }
    EXPECT_EQ(handles.back(), DL_MAX_HANDLES - 1);
    std::string extra = dir.link("lib64.so");
    DL_HDL h = 3;
    EXPECT_EQ(DlLoadLib(wide(extra).c_str(), &h), DLENOFREE);
    EXPECT_EQ(h, DL_HDL_INVALID);
    EXPECT_NE(trace.take().find("DlLoadLib: no free handle (max 64)"), std::string::npos);
    // An already loaded name still shares its row.
    std::string again = dir.dir() + "/lib7.so";
    EXPECT_EQ(DlLoadLib(wide(again).c_str(), &h), DL_OK);
    EXPECT_EQ(h, handles[7]);
    EXPECT_EQ(DlUnloadLib(&h), DL_OK);
    for (DL_HDL& each : handles)
        EXPECT_EQ(DlUnloadLib(&each), DL_OK);
}

TEST(DlLoad, FailedLoadRecordsErrorInformation)
{
    TraceCapture trace(1);
    struct Case
    {
        std::string name;
    } cases[] = {{"/nonexistent/libqor_missing.so"}, {"/nonexistent/100%s%d%%lib.so"}};
    for (const Case& c : cases) {
        DL_HDL h = 1;
        ErrClear();
        EXPECT_EQ(DlLoadLib(wide(c.name).c_str(), &h), DLENOACCESS);
        EXPECT_EQ(h, DL_HDL_INVALID);
        EXPECT_EQ(narrow(ErrGetFld(ERR_FLD_COMPONENT)), "DL (Dynamic Loader)");
        EXPECT_EQ(narrow(ErrGetFld(ERR_FLD_ERROR)), "DlLoadLib()==DLENOACCESS");
        EXPECT_EQ(narrow(ErrGetFld(ERR_FLD_RC)), "-2");
        EXPECT_EQ(narrow(ErrGetFld(ERR_FLD_VERSION)), "4");
        const std::string detail = narrow(ErrGetFld(ERR_FLD_DETAIL));
        EXPECT_EQ(detail.rfind("LoadLibrary(\"" + c.name + "\")\n  Error ", 0), 0u) << detail;
        // The loader's own message names the file.
        EXPECT_NE(detail.find(" = \""), std::string::npos) << detail;
        EXPECT_NE(detail.find("cannot open shared object file"), std::string::npos) << detail;
        const std::string text = trace.take();
        EXPECT_NE(text.find("*** ERROR => DlLoadLib()==DLENOACCESS - LoadLibrary(\""),
                  std::string::npos)
            << text;
    }
}

} // namespace
