#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "u16/u16_errtext.h"
#include "u16/u16_errtext_table.h"

namespace {

TEST(U16ErrorTexts, QuotedRows)
{
    struct Case
    {
        uint32_t code;
        const char16_t* text;
    } cases[] = {
        {0, u""},
        {35, u""},
        {37, u""},
        {5, u"EIO*: Input/output error OR: Access is denied."},
        {15, u"ERROR_INVALID_DRIVE: The system cannot find the drive specified."},
        {34, u"ERANGE*: Result too large OR: The wrong diskette is in the drive. Insert param_2 "
             u"(Volume Serial Number: %3) into drive %1."},
        {38, u"ENAMETOOLONG*: Filename too long OR: Reached the end of the file."},
        {42, u"EILSEQ*: Illegal byte sequence"},
        {50, u"ERROR_NOT_SUPPORTED: The request is not supported."},
        {0x00090323,
         u"SEC_I_NO_LSA_CONTEXT: There is no LSA mode context associated with this context."},
        {0x80004001, u"E_NOTIMPL: Not implemented"},
        {0x80004002, u"E_NOINTERFACE: No such interface supported"},
        {0x80004003, u"E_POINTER: Invalid pointer"},
        {0x80004004, u"E_ABORT: Operation aborted"},
        {0x80004005, u"E_FAIL: Unspecified error"},
        {0x8000000A,
         u"E_PENDING: The data necessary to complete this operation is not yet available."},
        {0x80070005, u"E_ACCESSDENIED: General access denied error"},
        {0x80070006, u"E_HANDLE: Invalid handle"},
        {0x8007000E, u"E_OUTOFMEMORY: Ran out of memory"},
        {0x80070057, u"E_INVALIDARG: One or more arguments are invalid"},
        {0xC03A001D, u"ERROR_VIRTDISK_UNSUPPORTED_DISK_SECTOR_SIZE: The sector size of the "
                     u"physical disk on which the virtual disk resides is not supported."},
        {0xC03A001E, u""},
        {0xFFFFFFFF, u""},
        {10061, u"WSAECONNREFUSED: No connection could be made because the target machine actively "
                u"refused it."},
        {1060, u"ERROR_SERVICE_DOES_NOT_EXIST: The specified service does not exist as an "
               u"installed service."},
        {12029,
         u"ERROR_WINHTTP_CANNOT_CONNECT: A connection with the server could not be established"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(std::u16string(syserrtextU16(c.code)), c.text) << std::hex << c.code;
}

TEST(U16ErrorTexts, TableIsOrderedAndWellFormed)
{
    ASSERT_GT(kSysErrTextRows, 100u);
    EXPECT_EQ(kSysErrText[kSysErrTextRows].code, 0u);
    EXPECT_EQ(kSysErrText[kSysErrTextRows].text, nullptr);
    for (size_t i = 0; i < kSysErrTextRows; ++i) {
        if (i > 0) {
            EXPECT_LT(kSysErrText[i - 1].code, kSysErrText[i].code) << i;
        }
        const std::u16string t = kSysErrText[i].text;
        const size_t colon = t.find(u": ");
        ASSERT_NE(colon, std::u16string::npos) << i;
        for (size_t k = 0; k < colon; ++k) {
            const char16_t c = t[k];
            EXPECT_TRUE((c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' ||
                        c == u'*')
                << i;
        }
        /* Every row but code 0 is found through the lookup. */
        if (kSysErrText[i].code != 0) {
            EXPECT_EQ(syserrtextU16(kSysErrText[i].code), kSysErrText[i].text);
        }
    }
}

TEST(U16ErrorTexts, LinuxErrnoMappedBySymbol)
{
    struct Case
    {
        int e;
        const char16_t* prefix;
    } cases[] = {
        {EPERM, u"EPERM*"},         {ENAMETOOLONG, u"ENAMETOOLONG*"},
        {EILSEQ, u"EILSEQ*"},       {ENOSYS, u"ENOSYS*"},
        {ENOTEMPTY, u"ENOTEMPTY*"}, {EDEADLK, u"EDEADLOCK*"},
        {ENOLCK, u"ENOLCK*"},       {ERANGE, u"ERANGE*"},
        {EAGAIN, u"EAGAIN*"},
    };
    for (const Case& c : cases) {
        const std::u16string t = syserrtextErrnoU16(c.e);
        EXPECT_EQ(t.compare(0, std::char_traits<char16_t>::length(c.prefix), c.prefix), 0) << c.e;
    }
    EXPECT_EQ(std::u16string(syserrtextErrnoU16(ENOTBLK)), u"");
    EXPECT_EQ(std::u16string(syserrtextErrnoU16(0)), u"");
}

} // namespace
