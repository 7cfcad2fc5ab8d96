// The SSL layer's profile parameters: how it reports them and which crypto
// library ssl/ssl_lib names.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <link.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "sssl/sssl.h"
#include "sssl/sssl_lib.h"
#include "sssl/sssl_param.h"

namespace {

// The SSL trace written while fn runs.
template <typename Fn> std::string traced(Fn fn)
{
    FILE* trace = std::tmpfile();
    QorSSLSetTraceFile(trace);
    fn();
    QorSSLSetTraceFile(nullptr);
    std::rewind(trace);
    std::string text;
    char chunk[1024];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, trace)) > 0)
        text.append(chunk, n);
    std::fclose(trace);
    return text;
}

const QOR_UC* nothing_defined(const QOR_UC*)
{
    return nullptr;
}

std::u16string g_asked;
const QOR_UC* library_defined(const QOR_UC* name)
{
    g_asked = name;
    return u"/opt/qor/lib\u00e4.so";
}

TEST(SsslParam, ReportsMissingAndUndefinedParameters)
{
    const struct
    {
        const char* name;
        bool required;
        sssl::ParamLookup lookup;
        bool found;
        std::string trace;
    } cases[] = {
        {"ssl_lib", true, nothing_defined, false, "    REQUIRED Parameter ssl/ssl_lib MISSING!\n"},
        {"client_cache_size", false, nothing_defined, false,
         "    Optional Parameter ssl/client_cache_size not defined\n"},
        {"ssl_lib", true, library_defined, true, "    ssl/ssl_lib = /opt/qor/lib\xc3\xa4.so\n"},
        {"ssl_lib", true, nullptr, false, "    REQUIRED Parameter ssl/ssl_lib MISSING!\n"},
    };
    for (const auto& c : cases) {
        std::string value = "unchanged";
        bool found = false;
        EXPECT_EQ(traced([&] { found = sssl::read_param(c.name, c.required, &value, c.lookup); }),
                  c.trace)
            << c.name;
        EXPECT_EQ(found, c.found) << c.name;
        EXPECT_EQ(value, c.found ? "/opt/qor/lib\xc3\xa4.so" : "unchanged") << c.name;
    }
    // The name is "ssl/" and at most 128 characters of the layer's name.
    const std::string long_name(200, 'n');
    std::string value;
    sssl::read_param(long_name.c_str(), true, &value, library_defined);
    EXPECT_EQ(g_asked, u"ssl/" + std::u16string(128, u'n'));
}

TEST(SsslParam, LibraryFilesOfAParameterValue)
{
    const std::vector<std::string> system_ssl = {"libssl.so.3", "libssl.so"};
    const std::vector<std::string> system_crypto = {"libcrypto.so.3", "libcrypto.so"};
    enum Kind { system, as_given, refused };
    const struct
    {
        std::string value;
        Kind kind;
    } cases[] = {
        {"\\\\\\qormnt\\\\SYS\\exe\\run\\qorcrypto.dll", system},
        {"/usr/lib/qor/QORCRYPTO.DLL", system},
        {"qorcrypto.dll", system},
        {"./qorcrypto.dll", system},
        {"/opt/qor/libqorcrypto.so", as_given},
        {"libqortestssl.so", as_given},
        {"/opt/qor/qorcrypto.dll.so", as_given},
        {"./libqortestssl.so", refused},
        {"lib/libqortestssl.so", refused},
        {"lib\\libqortestssl.so", refused},
        {"C:\\qor\\libqortestssl.dll", refused},
    };
    for (const auto& c : cases) {
        const sssl::CryptoLibFiles files = sssl::crypto_lib_files(c.value);
        const std::vector<std::string> given = {c.value};
        EXPECT_EQ(files.ssl, c.kind == system     ? system_ssl
                             : c.kind == as_given ? given
                                                  : std::vector<std::string>{})
            << c.value;
        EXPECT_EQ(files.crypto, c.kind == system     ? system_crypto
                                : c.kind == as_given ? given
                                                     : std::vector<std::string>{})
            << c.value;
        EXPECT_EQ(files.refused.empty(), c.kind != refused) << c.value;
    }
}

// The path of the system's TLS library, as the dynamic loader finds it.
std::string system_ssl_path()
{
    void* handle = dlopen("libssl.so.3", RTLD_NOW);
    if (handle == nullptr)
        return {};
    link_map* map = nullptr;
    std::string path;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr && map->l_name != nullptr)
        path = map->l_name;
    dlclose(handle);
    return path;
}

// Each load runs in a fresh process: the layer loads its library once.
TEST(SsslParam, LoadsTheFileTheParameterNames)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string path = system_ssl_path();
    ASSERT_FALSE(path.empty());
    auto load = [](const std::string& value) {
        const sssl::CryptoLib* lib = nullptr;
        const int rc = sssl::load_crypto_lib(value, &lib);
        std::exit(rc == SSSLRC_OK && lib != nullptr ? 0 : -rc);
    };
    // One file serves for both parts: the TLS library brings its crypto
    // library along.
    EXPECT_EXIT(load(path), ::testing::ExitedWithCode(0), "");
    // A folder name beyond ASCII is the folder it names.
    char tmpl[] = "/tmp/qor_lib_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const std::string folder_utf8 = std::string(tmpl) + "/kr\xc3\xbcpto";
    const std::string link = folder_utf8 + "/libssl.so";
    ASSERT_EQ(mkdir(folder_utf8.c_str(), 0700), 0);
    ASSERT_EQ(symlink(path.c_str(), link.c_str()), 0);
    EXPECT_EXIT(load(link), ::testing::ExitedWithCode(0), "");
    unlink(link.c_str());
    rmdir(folder_utf8.c_str());
    rmdir(tmpl);
    EXPECT_EXIT(load("/nonexistent/qortest/libssl.so"),
                ::testing::ExitedWithCode(-SSSLERR_LIB_NOT_FOUND), "");
    EXPECT_EXIT(load("C:\\qor\\exe\\qorcrypto.dll"), ::testing::ExitedWithCode(0), "");
    // A relative name with a folder is refused even where it names the
    // system's own library.
    const std::string folder = path.substr(0, path.rfind('/'));
    const std::string parent = folder.substr(0, folder.rfind('/'));
    const std::string file = path.substr(folder.size() + 1);
    auto load_in = [&](const std::string& dir, const std::string& value) {
        QorSSLSetTraceFile(stderr);
        if (chdir(dir.c_str()) == 0)
            load(value);
        std::exit(1);
    };
    const std::string refusal = "a library name with a folder must be an absolute path";
    EXPECT_EXIT(load_in(folder, "./" + file), ::testing::ExitedWithCode(-SSSLERR_LIB_NOT_FOUND),
                refusal);
    EXPECT_EXIT(load_in(parent, folder.substr(parent.size() + 1) + "/" + file),
                ::testing::ExitedWithCode(-SSSLERR_LIB_NOT_FOUND), refusal);
}

TEST(SsslParam, InitialisationReadsTheLibraryFromTheProfile)
{
    SSSL_INIT_PARAMS params{};
    params.size = sizeof params;
    params.default_creds = 0;
    int rc = -1;
    const std::string trace = traced([&] { rc = QorSSLInit(0, &params, nullptr); });
    EXPECT_EQ(rc, SSSLRC_OK);
    EXPECT_NE(trace.find("    ssl/ssl_lib = \\\\\\qormnt\\\\SYS\\exe\\run\\qorcrypto.dll\n"),
              std::string::npos)
        << trace;
    QorSSLExit();
}

} // namespace
