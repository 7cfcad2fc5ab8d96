// Thread library: keys, mutexes, ids, asctime and return-code texts.

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "base/thr.h"
#include "base/thr_internal.h"
#include "u16/u16_string.h"

namespace {

std::u16string text(const QOR_UC* s)
{
    return s != nullptr ? std::u16string(s) : std::u16string(u"<null>");
}

TEST(ThrKeys, GetOnUncreatedKeyCreatesItOnceAndYieldsNull)
{
    THR_KEY key = THR_KEY_NOT_CREATED;
    EXPECT_EQ(ThrKeyVarGet(&key), nullptr);
    ASSERT_NE(key, THR_KEY_NOT_CREATED);
    const THR_KEY first = key;
    EXPECT_TRUE(ThrIKeyListed(first));
    EXPECT_EQ(ThrKeyVarGet(&key), nullptr);
    EXPECT_EQ(key, first) << "a second get must not create a new index";
    EXPECT_EQ(ThrKeyVarDelete(&key), THR_ERR_OK);
}

TEST(ThrKeys, CreateDeleteAndErrorCodes)
{
    THR_KEY key = THR_KEY_NOT_CREATED;
    ASSERT_EQ(ThrKeyVarCreate(&key, nullptr), THR_ERR_OK);
    const THR_KEY created = key;
    // An existing key is reported and left alone.
    EXPECT_EQ(ThrKeyVarCreate(&key, nullptr), THR_ERR_EXISTS);
    EXPECT_EQ(key, created);

    int value = 7;
    EXPECT_EQ(ThrKeyVarSet(&key, &value), THR_ERR_OK);
    EXPECT_EQ(ThrKeyVarGet(&key), &value);

    EXPECT_EQ(ThrKeyVarDelete(&key), THR_ERR_OK);
    EXPECT_EQ(key, THR_KEY_NOT_CREATED);
    EXPECT_FALSE(ThrIKeyListed(created));
    // Deleting a key that is not created is a parameter error.
    EXPECT_EQ(ThrKeyVarDelete(&key), THR_ERR_INVALID_PARAM);
    EXPECT_EQ(ThrKeyVarCreate(nullptr, nullptr), THR_ERR_INVALID_PARAM);
}

TEST(ThrKeys, StaleKeyValueIsReplacedByANewKey)
{
    THR_KEY key = THR_KEY_NOT_CREATED;
    ASSERT_EQ(ThrKeyVarCreate(&key, nullptr), THR_ERR_OK);
    THR_KEY copy = key;
    ASSERT_EQ(ThrKeyVarDelete(&key), THR_ERR_OK);
    // copy still holds the deleted index: not in the list, so it is stale.
    ASSERT_EQ(ThrKeyVarCreate(&copy, nullptr), THR_ERR_OK);
    EXPECT_TRUE(ThrIKeyListed(copy));
    EXPECT_EQ(ThrKeyVarDelete(&copy), THR_ERR_OK);
}

TEST(ThrKeys, FailedNodeAllocationLeavesNoIndexBehind)
{
    THR_KEY key = THR_KEY_NOT_CREATED;
    ThrIFailNextNodeAlloc();
    EXPECT_EQ(ThrKeyVarCreate(&key, nullptr), THR_ERR_NOMEM);
    EXPECT_EQ(key, THR_KEY_NOT_CREATED);
    // The next creation works normally.
    ASSERT_EQ(ThrKeyVarCreate(&key, nullptr), THR_ERR_OK);
    EXPECT_EQ(ThrKeyVarDelete(&key), THR_ERR_OK);
}

TEST(ThrKeys, ValuesArePerThreadAndCleanedUpAtThreadExit)
{
    static std::atomic<int> cleaned{0};
    cleaned = 0;
    THR_KEY key = THR_KEY_NOT_CREATED;
    ASSERT_EQ(ThrKeyVarCreate(&key, [](void* v) { cleaned += *static_cast<int*>(v); }), THR_ERR_OK);
    int main_value = 1;
    ASSERT_EQ(ThrKeyVarSet(&key, &main_value), THR_ERR_OK);
    int thread_value = 5;
    void* seen_before = &main_value;
    std::thread t([&] {
        seen_before = ThrKeyVarGet(&key);
        ThrKeyVarSet(&key, &thread_value);
    });
    t.join();
    EXPECT_EQ(seen_before, nullptr);
    EXPECT_EQ(cleaned.load(), 5);
    EXPECT_EQ(ThrKeyVarGet(&key), &main_value);
    ThrKeyVarSet(&key, nullptr);
    EXPECT_EQ(ThrKeyVarDelete(&key), THR_ERR_OK);
}

// Many threads create the same key at once: exactly one index results.
TEST(ThrConcurrency, KeyCreationRaceGivesOneKey)
{
    for (int round = 0; round < 20; ++round) {
        THR_KEY key = THR_KEY_NOT_CREATED;
        std::atomic<int> created{0}, existed{0};
        std::vector<std::thread> threads;
        for (int i = 0; i < 6; ++i)
            threads.emplace_back([&] {
                THR_RC rc = ThrKeyVarCreate(&key, nullptr);
                if (rc == THR_ERR_OK)
                    ++created;
                else if (rc == THR_ERR_EXISTS)
                    ++existed;
            });
        for (auto& t : threads)
            t.join();
        EXPECT_EQ(created.load(), 1);
        EXPECT_EQ(existed.load(), 5);
        EXPECT_EQ(ThrKeyVarDelete(&key), THR_ERR_OK);
    }
}

TEST(ThrMutex, PlainMutexIsInactiveWhileTheLibraryIsOff)
{
    THR_MTX mtx;
    ASSERT_EQ(ThrMtxInit(&mtx, u"test"), THR_ERR_OK);
    EXPECT_EQ(ThrMtxLock(&mtx), THR_ERR_OK);
    // Not really taken: another thread can still get the critical section.
    bool other_got_it = false;
    std::thread t([&] {
        if (pthread_mutex_trylock(&mtx.cs) == 0) {
            other_got_it = true;
            pthread_mutex_unlock(&mtx.cs);
        }
    });
    t.join();
    EXPECT_TRUE(other_got_it);
    EXPECT_EQ(ThrMtxUnlock(&mtx), THR_ERR_OK);
    EXPECT_EQ(ThrMtxDelete(&mtx), THR_ERR_NOT_INITIALIZED);
    // Delete left it alone: still usable.
    EXPECT_EQ(pthread_mutex_trylock(&mtx.cs), 0);
    pthread_mutex_unlock(&mtx.cs);
    pthread_mutex_destroy(&mtx.cs);
}

TEST(ThrRecMutex, NestedLockingKeepsCountAndTag)
{
    THR_REC_MTX mtx;
    ASSERT_EQ(ThrRecMtxInit(&mtx, u"mytag"), THR_ERR_OK);
    EXPECT_EQ(mtx.owner, -1);
    EXPECT_EQ(text(mtx.tag), u"mytag");
    ThrRecMtxLock(&mtx);
    ThrRecMtxLock(&mtx);
    EXPECT_EQ(mtx.count, 2);
    ThrRecMtxUnlock(&mtx);
    ThrRecMtxUnlock(&mtx);
    EXPECT_EQ(mtx.count, 0);
    EXPECT_EQ(mtx.owner, -1);
    EXPECT_EQ(ThrRecMtxDelete(&mtx), THR_ERR_OK);
    EXPECT_EQ(mtx.tag, nullptr);

    ASSERT_EQ(ThrRecMtxInit(&mtx, nullptr), THR_ERR_OK);
    EXPECT_EQ(mtx.tag, nullptr);
    ThrRecMtxDelete(&mtx);
}

TEST(ThrRecMutex, SerialisesThreads)
{
    THR_REC_MTX mtx;
    ThrRecMtxInit(&mtx, u"counter");
    long counter = 0;
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i)
        threads.emplace_back([&] {
            for (int k = 0; k < 1000; ++k) {
                ThrRecMtxLock(&mtx);
                ThrRecMtxLock(&mtx);
                ++counter;
                ThrRecMtxUnlock(&mtx);
                ThrRecMtxUnlock(&mtx);
            }
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(counter, 4000);
    EXPECT_EQ(mtx.count, 0);
    ThrRecMtxDelete(&mtx);
}

/* A thread that does not hold the mutex cannot unlock it: the holder's
 * count stays and it still leaves the critical section itself. */
TEST(ThrRecMutex, UnlockByAThreadThatDoesNotHoldItChangesNothing)
{
    THR_REC_MTX mtx;
    ThrRecMtxInit(&mtx, u"foreign");
    for (const int depth : {1, 2}) {
        std::promise<THR_ID_T> locked;
        std::promise<void> tried;
        std::thread holder([&, depth] {
            for (int i = 0; i < depth; ++i)
                ThrRecMtxLock(&mtx);
            locked.set_value(ThrGetCurrentId());
            tried.get_future().wait();
            for (int i = 0; i < depth; ++i)
                EXPECT_EQ(ThrRecMtxUnlock(&mtx), THR_ERR_OK) << depth;
        });
        const THR_ID_T holder_id = locked.get_future().get();
        EXPECT_EQ(ThrRecMtxUnlock(&mtx), THR_ERR_NOT_OWNER) << depth;
        EXPECT_EQ(mtx.count, depth);
        EXPECT_EQ(mtx.owner, static_cast<int32_t>(holder_id));
        tried.set_value();
        holder.join();
        EXPECT_EQ(mtx.count, 0);
        EXPECT_EQ(mtx.owner, -1);
        EXPECT_EQ(ThrRecMtxLock(&mtx), THR_ERR_OK);
        EXPECT_EQ(ThrRecMtxUnlock(&mtx), THR_ERR_OK);
    }
    ThrRecMtxDelete(&mtx);
}

using ThrRecMutexDeathTest = ::testing::Test;

TEST_F(ThrRecMutexDeathTest, UnbalancedUnlockPanicsWithTag)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    struct Case
    {
        const QOR_UC* tag;
        const char* expected;
    } cases[] = {
        {u"dptrace", "ThrRecMtxUnlock: PANIC: #unlock > #lock, tag: \"dptrace\""},
        {nullptr, "ThrRecMtxUnlock: PANIC: #unlock > #lock, tag: \"not set\""},
    };
    for (const Case& c : cases) {
        EXPECT_DEATH(
            {
                THR_REC_MTX mtx;
                ThrRecMtxInit(&mtx, c.tag);
                ThrRecMtxLock(&mtx);
                ThrRecMtxLock(&mtx);
                ThrRecMtxUnlock(&mtx);
                ThrRecMtxUnlock(&mtx);
                ThrRecMtxUnlock(&mtx);
            },
            c.expected);
    }
}

TEST(ThrIds, CurrentIdIsTheKernelThreadIdAndDiffersAcrossThreads)
{
    const THR_ID_T me = ThrGetCurrentId();
    EXPECT_EQ(me, static_cast<THR_ID_T>(gettid()));
    THR_ID_T other = me;
    std::thread t([&] { other = ThrGetCurrentId(); });
    t.join();
    EXPECT_EQ(ThrIdEqual(me, me), 1);
    EXPECT_EQ(ThrIdEqual(me, other), 0);

    struct Case
    {
        THR_ID_T id;
        const char16_t* text;
    } cases[] = {{0, u"0"}, {42, u"42"}, {4294967294u, u"4294967294"}};
    for (const Case& c : cases) {
        QOR_UC buf[THR_ID_STR_LEN];
        EXPECT_EQ(ThrIdToStr(buf, c.id), buf);
        EXPECT_EQ(text(buf), c.text);
        QOR_UC buf2[THR_ID_STR_LEN];
        ThrIdFormat(buf2, c.id);
        EXPECT_EQ(text(buf2), c.text);
    }
}

TEST(ThrAsctimeText, FormatsAndRejectsInvalidTimes)
{
    struct tm t = {};
    t.tm_year = 126;
    t.tm_mon = 11;
    t.tm_mday = 5;
    t.tm_wday = 6;
    t.tm_hour = 15;
    t.tm_min = 21;
    t.tm_sec = 28;
    QOR_UC buf[THR_ASCTIME_LEN];
    ASSERT_EQ(ThrAsctime(&t, buf), buf);
    EXPECT_EQ(text(buf), u"Sat Dec  5 15:21:28 2026\n");
    t.tm_mday = 25;
    t.tm_wday = 5;
    ThrAsctime(&t, buf);
    EXPECT_EQ(text(buf), u"Fri Dec 25 15:21:28 2026\n");

    struct tm bad = t;
    bad.tm_mon = 12;
    EXPECT_EQ(ThrAsctime(&bad, buf), nullptr);
    bad = t;
    bad.tm_year = 10000 - 1900;
    EXPECT_EQ(ThrAsctime(&bad, buf), nullptr);
    EXPECT_EQ(ThrAsctime(nullptr, buf), nullptr);
}

TEST(ThrErrTexts, KnownAndUnknownCodes)
{
    struct Case
    {
        THR_RC rc;
        const char16_t* expected;
    } cases[] = {
        {0, u"Operation completed successfully."},
        {3, u"Attempt was made to initialize an item which already exists."},
        {8, u"Thread library not yet initialized."},
        {15, u"Operation timed out."},
        {16, u"Error code not defined by the thread library."},
        {-1, u"Error code not defined by the thread library."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(text(ThrErrText(c.rc)), c.expected) << c.rc;
}

} // namespace
