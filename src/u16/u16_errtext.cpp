#include "u16/u16_errtext.h"

#include <cerrno>
#include <cstddef>

#include "u16/u16_errtext_table.h"

namespace {

const QOR_UC kEmpty[] = u"";

/* Runtime errno numbering of the table's first rows. */
int runtime_errno(int e)
{
    switch (e) {
    case EPERM:
        return 1;
    case ENOENT:
        return 2;
    case ESRCH:
        return 3;
    case EINTR:
        return 4;
    case EIO:
        return 5;
    case ENXIO:
        return 6;
    case E2BIG:
        return 7;
    case ENOEXEC:
        return 8;
    case EBADF:
        return 9;
    case ECHILD:
        return 10;
    case EAGAIN:
        return 11;
    case ENOMEM:
        return 12;
    case EACCES:
        return 13;
    case EFAULT:
        return 14;
    case EBUSY:
        return 16;
    case EEXIST:
        return 17;
    case EXDEV:
        return 18;
    case ENODEV:
        return 19;
    case ENOTDIR:
        return 20;
    case EISDIR:
        return 21;
    case EINVAL:
        return 22;
    case ENFILE:
        return 23;
    case EMFILE:
        return 24;
    case ENOTTY:
        return 25;
    case EFBIG:
        return 27;
    case ENOSPC:
        return 28;
    case ESPIPE:
        return 29;
    case EROFS:
        return 30;
    case EMLINK:
        return 31;
    case EPIPE:
        return 32;
    case EDOM:
        return 33;
    case ERANGE:
        return 34;
    case EDEADLK:
        return 36;
    case ENAMETOOLONG:
        return 38;
    case ENOLCK:
        return 39;
    case ENOSYS:
        return 40;
    case ENOTEMPTY:
        return 41;
    case EILSEQ:
        return 42;
    default:
        return 0;
    }
}

} // namespace

const QOR_UC* syserrtextU16(uint32_t code)
{
    if (code == 0)
        return kEmpty;
    size_t lo = 0;
    size_t hi = kSysErrTextRows;
    while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        const uint32_t c = kSysErrText[mid].code;
        if (c == code)
            return kSysErrText[mid].text;
        if (c < code)
            lo = mid + 1;
        else
            hi = mid;
    }
    return kEmpty;
}

const QOR_UC* syserrtextErrnoU16(int linux_errno)
{
    const int code = runtime_errno(linux_errno);
    return code == 0 ? kEmpty : syserrtextU16(static_cast<uint32_t>(code));
}
