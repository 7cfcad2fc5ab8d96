// Log-file lists, heaps and garbage-collection histories read from
// hand-written responses.
#include <gtest/gtest.h>

#include <string>

#include "service/test_records_support.h"

namespace {

using recordtest::Reader;

constexpr const char* kLogFiles = "QORControl:ListLogFilesResponse";
constexpr const char* kHeap = "QORControl:J2EEGetVMHeapInfoResponse";
constexpr const char* kGc = "QORControl:J2EEGetVMGCHistoryResponse";
constexpr const char* kGc2 = "QORControl:J2EEGetVMGCHistory2Response";

// The fourteen elements both garbage-collection records share, with every
// 64-bit figure above the 32-bit range.
constexpr const char* kGcElements =
    "<processname>server0</processname><type>full</type><reason>allocation failure</reason>"
    "<startTime>12:00:00.123</startTime><duration>1500</duration><cpuTime>-1</cpuTime>"
    "<objBytesBefore>8589934592</objBytesBefore><objBytesAfter>4294967297</objBytesAfter>"
    "<objBytesFreed>4294967295</objBytesFreed><clsBytesBefore>5000000001</clsBytesBefore>"
    "<clsBytesAfter>5000000000</clsBytesAfter><clsBytesFreed>1</clsBytesFreed>"
    "<heapSize>68719476736</heapSize><unloadedClasses>17</unloadedClasses>";

template <class GC> void ExpectGcElements(const GC& g)
{
    EXPECT_STREQ("server0", g.processname);
    EXPECT_STREQ("full", g.type);
    EXPECT_STREQ("allocation failure", g.reason);
    EXPECT_STREQ("12:00:00.123", g.startTime);
    EXPECT_EQ(1500, g.duration);
    EXPECT_EQ(-1, g.cpuTime);
    EXPECT_EQ(8589934592LL, g.objBytesBefore);
    EXPECT_EQ(4294967297LL, g.objBytesAfter);
    EXPECT_EQ(4294967295LL, g.objBytesFreed);
    EXPECT_EQ(5000000001LL, g.clsBytesBefore);
    EXPECT_EQ(5000000000LL, g.clsBytesAfter);
    EXPECT_EQ(1, g.clsBytesFreed);
    EXPECT_EQ(68719476736LL, g.heapSize);
    EXPECT_EQ(17, g.unloadedClasses);
}

TEST(LogFiles, ReadsEveryMember)
{
    Reader reader;
    QORControl__ArrayOfLogFile files;
    ASSERT_EQ(
        SOAP_OK,
        reader.ReadList(kLogFiles, "file",
                        "<item><filename>/usr/qor/work/dev_disp</filename><size>6442450944</size>"
                        "<modtime>2026 12 06 07:00:00</modtime><format>Trace</format></item>"
                        "<item><format>Log</format></item>",
                        files));
    ASSERT_EQ(2, files.__size);
    EXPECT_STREQ("/usr/qor/work/dev_disp", files.__ptr[0].filename);
    EXPECT_EQ(6442450944LL, files.__ptr[0].size);
    EXPECT_STREQ("2026 12 06 07:00:00", files.__ptr[0].modtime);
    EXPECT_STREQ("Trace", files.__ptr[0].format);
    EXPECT_EQ(nullptr, files.__ptr[1].filename);
    EXPECT_EQ(0, files.__ptr[1].size);
    EXPECT_EQ(nullptr, files.__ptr[1].modtime);
    EXPECT_STREQ("Log", files.__ptr[1].format);
}

TEST(HeapInfo, ReadsEveryMember)
{
    Reader reader;
    QORControl__ArrayOfHeapInfo heaps;
    ASSERT_EQ(
        SOAP_OK,
        reader.ReadList(kHeap, "heap",
                        "<item><processname>server0</processname><type>Java Heap</type>"
                        "<size>4294967296</size><commitSize>4294967297</commitSize>"
                        "<maxUsedSize>3000000000</maxUsedSize><initialSize>1073741824</initialSize>"
                        "<maxSize>17179869184</maxSize><dispstatus>QORControl-YELLOW</dispstatus>"
                        "</item><item><processname>server1</processname></item>",
                        heaps));
    ASSERT_EQ(2, heaps.__size);
    const QORControl__HeapInfo& h = heaps.__ptr[0];
    EXPECT_STREQ("server0", h.processname);
    EXPECT_STREQ("Java Heap", h.type);
    EXPECT_EQ(4294967296LL, h.size);
    EXPECT_EQ(4294967297LL, h.commitSize);
    EXPECT_EQ(3000000000LL, h.maxUsedSize);
    EXPECT_EQ(1073741824LL, h.initialSize);
    EXPECT_EQ(17179869184LL, h.maxSize);
    EXPECT_EQ(3, h.dispstatus);
    EXPECT_STREQ("server1", heaps.__ptr[1].processname);
    EXPECT_EQ(0, heaps.__ptr[1].dispstatus);
    EXPECT_EQ(0, heaps.__ptr[1].maxSize);
}

TEST(GcHistory, ReadsEveryMember)
{
    Reader reader;
    QORControl__ArrayOfGCInfo gc;
    ASSERT_EQ(SOAP_OK,
              reader.ReadList(kGc, "gc", std::string("<item>") + kGcElements + "</item>", gc));
    ASSERT_EQ(1, gc.__size);
    ExpectGcElements(gc.__ptr[0]);
}

TEST(GcHistory, SecondFormElementsAreSkippedByTheFirstForm)
{
    Reader reader;
    QORControl__ArrayOfGCInfo gc;
    ASSERT_EQ(SOAP_OK,
              reader.ReadList(
                  kGc, "gc",
                  std::string("<item>") + kGcElements +
                      "<pageFaults>12</pageFaults><dispstatus>QORControl-RED</dispstatus></item>",
                  gc));
    ASSERT_EQ(1, gc.__size);
    ExpectGcElements(gc.__ptr[0]);
}

TEST(GcHistory2, ReadsEveryMember)
{
    Reader reader;
    QORControl__ArrayOfGCInfo2 gc;
    ASSERT_EQ(SOAP_OK, reader.ReadList(kGc2, "gc",
                                       std::string("<item>") + kGcElements +
                                           "<pageFaults>9000000000</pageFaults>"
                                           "<dispstatus>QORControl-RED</dispstatus></item>",
                                       gc));
    ASSERT_EQ(1, gc.__size);
    ExpectGcElements(gc.__ptr[0]);
    EXPECT_EQ(9000000000LL, gc.__ptr[0].pageFaults);
    EXPECT_EQ(4, gc.__ptr[0].dispstatus);
}

TEST(GcHistory2, FirstFormItemLeavesTheAddedMembersZero)
{
    Reader reader;
    QORControl__ArrayOfGCInfo2 gc;
    ASSERT_EQ(SOAP_OK,
              reader.ReadList(kGc2, "gc", std::string("<item>") + kGcElements + "</item>", gc));
    ASSERT_EQ(1, gc.__size);
    ExpectGcElements(gc.__ptr[0]);
    EXPECT_EQ(0, gc.__ptr[0].pageFaults);
    EXPECT_EQ(0, gc.__ptr[0].dispstatus);

    Reader strict;
    strict.SetStrict(true);
    QORControl__ArrayOfGCInfo2 again;
    EXPECT_EQ(SOAP_OCCURS,
              strict.ReadList(kGc2, "gc", std::string("<item>") + kGcElements + "</item>", again));
}

} // namespace
