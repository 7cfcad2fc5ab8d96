// The SSL layer's profile parameters: how it reports them and which crypto
// library ssl/ssl_lib names.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <link.h>
#include <stdlib.h>

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
    char tmpl[] = "/tmp/qor_ssllib_XXXXXX";
    const int fd = mkstemp(tmpl);
    ASSERT_GE(fd, 0);
    const std::string existing = tmpl;
    const std::vector<std::string> system_ssl = {"libssl.so.3", "libssl.so"};
    const std::vector<std::string> system_crypto = {"libcrypto.so.3", "libcrypto.so"};
    const struct
    {
        std::string value;
        bool system;
    } cases[] = {
        {"\\\\\\qormnt\\\\SYS\\exe\\run\\qorcrypto.dll", true},
        {"/usr/lib/qor/QORCRYPTO.DLL", true},
        {"qorcrypto.dll", true},
        {existing, false},
        {"libqortestssl.so", false},
        {"/opt/qor/qorcrypto.dll.so", false},
    };
    for (const auto& c : cases) {
        const sssl::CryptoLibFiles files = sssl::crypto_lib_files(c.value);
        if (c.system) {
            EXPECT_EQ(files.ssl, system_ssl) << c.value;
            EXPECT_EQ(files.crypto, system_crypto) << c.value;
        } else {
            EXPECT_EQ(files.ssl, std::vector<std::string>{c.value}) << c.value;
            EXPECT_EQ(files.crypto, std::vector<std::string>{c.value}) << c.value;
        }
    }
    // A file of the Windows name that exists is that file.
    const std::string dll = existing + "qorcrypto.dll";
    std::fclose(std::fopen(dll.c_str(), "w"));
    EXPECT_EQ(sssl::crypto_lib_files(dll).ssl, std::vector<std::string>{dll});
    std::remove(dll.c_str());
    std::remove(existing.c_str());
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
    EXPECT_EXIT(load("/nonexistent/qortest/libssl.so"),
                ::testing::ExitedWithCode(-SSSLERR_LIB_NOT_FOUND), "");
    EXPECT_EXIT(load("C:\\qor\\exe\\qorcrypto.dll"), ::testing::ExitedWithCode(0), "");
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
