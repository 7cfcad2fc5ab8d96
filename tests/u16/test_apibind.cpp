#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "u16/u16_apibind.h"
#include "u16/u16_apibind_table.h"
#include "u16/u16_test_util.h"

namespace {

using u16test::W;

const std::u16string kTestLib = W(QOR_TEST_DL_LIB);

bool library_loaded(const char* path)
{
    void* handle = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
    if (handle == nullptr)
        return false;
    dlclose(handle);
    return true;
}

using Twice = int (*)(int);

// Runs before any test of this file loads the library for good.
TEST(ApiBindByName, ALibraryWithoutTheProcedureIsUnloadedAgain)
{
    ASSERT_FALSE(library_loaded(QOR_TEST_DL_LIB)) << "run this test before the binding ones";
    std::atomic<Twice> slot{nullptr};
    ApiBindByName("qor_no_such_procedure", kTestLib.c_str(), &slot);
    EXPECT_EQ(slot.load(), nullptr);
    EXPECT_FALSE(library_loaded(QOR_TEST_DL_LIB));
    ApiBindByName("qor_dl_test_twice", u"/nonexistent/libqor_none.so", &slot);
    EXPECT_EQ(slot.load(), nullptr);
}

TEST(ApiBindByName, StoresTheProcedureAndKeepsItsLibrary)
{
    std::atomic<Twice> slot{nullptr};
    ApiBindByName("qor_dl_test_twice", kTestLib.c_str(), &slot);
    ASSERT_NE(slot.load(), nullptr);
    EXPECT_EQ(slot.load()(21), 42);
    EXPECT_TRUE(library_loaded(QOR_TEST_DL_LIB));
}

// Slots of the table's kind over the test library and over a library that
// does not exist yet.
std::string g_late_library = "/tmp/qor_apibind_late_" + std::to_string(getpid()) + ".so";
std::u16string g_late_library_w = W(g_late_library);

ApiSlot<int(int)> present_twice{"qor_dl_test_twice", kTestLib.c_str(),
                                &ApiStub<present_twice>::call,
                                &ApiAbsent<ApiReturns<-1>, int(int)>::call};
ApiSlot<int(int)> late_twice{"qor_dl_test_twice", g_late_library_w.c_str(),
                             &ApiStub<late_twice>::call,
                             &ApiAbsent<ApiReturns<-1>, int(int)>::call};

TEST(ApiSlot, TheFirstCallBindsAndLaterCallsGoStraightThere)
{
    const auto stub = present_twice.fn.load();
    EXPECT_EQ(present_twice(5), 10);
    EXPECT_NE(present_twice.fn.load(), stub);
    EXPECT_EQ(present_twice.first_call.load(), 0);
    EXPECT_EQ(present_twice(-4), -8);
}

TEST(ApiSlot, AMissingLibraryGivesTheAbsentBehaviourAndIsTriedOnce)
{
    std::remove(g_late_library.c_str());
    const auto stub = late_twice.fn.load();
    EXPECT_EQ(late_twice(5), -1);
    EXPECT_EQ(late_twice.fn.load(), stub);
    // The library that appears later is not tried again.
    {
        std::ifstream from(QOR_TEST_DL_LIB, std::ios::binary);
        std::ofstream to(g_late_library, std::ios::binary);
        to << from.rdbuf();
    }
    EXPECT_EQ(late_twice(5), -1);
    EXPECT_EQ(late_twice.fn.load(), stub);
    std::remove(g_late_library.c_str());
}

TEST(BoundFunctions, GiveTheirAbsentBehaviourOnThisSystem)
{
    using namespace qorapi;
    ApiSetLastError(0);
    EXPECT_EQ(NetShareGetInfo(nullptr, nullptr, 2, nullptr), 2310u);
    EXPECT_EQ(NetShareGetInfo(nullptr, nullptr, 2, nullptr), 2310u) << "later calls alike";
    EXPECT_EQ(SetSecurityInfo(nullptr, 0, 0, nullptr, nullptr, nullptr, nullptr), 50u);
    EXPECT_EQ(PdhCollectQueryData(nullptr), 50u);
    EXPECT_EQ(GlobalMemoryStatusEx(nullptr), 50);
    EXPECT_EQ(NT_CleanAddressSpace(), 50u);
    EXPECT_EQ(EqualSid(nullptr, nullptr), 0);
    EXPECT_EQ(CreateJobObjectW(nullptr, u"job"), nullptr);
    EXPECT_EQ(GetAdaptersInfo(nullptr, nullptr), 0u);
    EXPECT_EQ(ApiGetLastError(), 0u) << "only the invalid-function kind sets the last error";
    EXPECT_EQ(GetMaximumProcessorCount(0), 0u);
    EXPECT_EQ(ApiGetLastError(), 1u);

    Dword count = 7;
    EXPECT_EQ(GetProcessHandleCount(nullptr, &count), 0);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(GetProcessHandleCount(nullptr, nullptr), 0);

    U16SystemInfo info{};
    GetNativeSystemInfo(&info);
    EXPECT_EQ(info.page_size, static_cast<uint32_t>(sysconf(_SC_PAGESIZE)));
    EXPECT_EQ(info.number_of_processors, static_cast<uint32_t>(sysconf(_SC_NPROCESSORS_ONLN)));
    EXPECT_NE(info.active_processor_mask, 0u);
}

} // namespace
