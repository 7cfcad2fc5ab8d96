// Finds where a write of a local path lands, through descriptors only.
#include "client/write_target.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <utility>

namespace {

constexpr int kMaxLinks = 40; // as many as the kernel follows in one path
constexpr int kFolderFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;

// Whether a link in this folder may be followed: in a sticky folder only a
// link of the caller's own or of the folder's owner, as the kernel protects
// shared folders, so that no other user's link leads a write elsewhere.
bool may_follow(const struct stat& link, int folder)
{
    struct stat dir
    {
    };
    if (fstat(folder, &dir) != 0)
        return false;
    return (dir.st_mode & S_ISVTX) == 0 || link.st_uid == geteuid() || link.st_uid == dir.st_uid;
}

// The text of the link that the descriptor holds; false when it is empty or
// cannot be read whole.
bool read_link(int link, std::string* text)
{
    std::string buffer(PATH_MAX, '\0');
    const ssize_t n = readlinkat(link, "", buffer.data(), buffer.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size())
        return false;
    buffer.resize(static_cast<std::size_t>(n));
    *text = std::move(buffer);
    return true;
}

// Whether the link that the descriptor holds is one of a /proc file system:
// its own file system, not its folder's, as a mount may put a link of /proc
// in another file system's folder, or another file system's link in a folder
// of /proc.
bool in_proc(int link)
{
    struct statfs file_system
    {
    };
    return fstatfs(link, &file_system) == 0 && file_system.f_type == PROC_SUPER_MAGIC;
}

} // namespace

bool find_write_target(const std::string& path, WriteTarget* target)
{
    // open(2) takes no longer path, with its terminating zero, either.
    if (path.empty() || path.size() >= PATH_MAX)
        return false;
    Descriptor folder(open(path[0] == '/' ? "/" : ".", kFolderFlags));
    std::string rest = path; // what is still to be walked
    int links = 0;
    while (folder.valid()) {
        const std::size_t start = rest.find_first_not_of('/');
        if (start == std::string::npos)
            return false; // the path ends in a folder
        std::size_t end = rest.find('/', start);
        if (end == std::string::npos)
            end = rest.size();
        const std::string name = rest.substr(start, end - start);
        const bool last = rest.find_first_not_of('/', end) == std::string::npos;
        rest.erase(0, end);
        if (last && (!rest.empty() || name == "." || name == ".."))
            return false; // a folder
        // The folder is one already: "." stays in it, ".." goes to its
        // parent, which after a link is the parent of the link's target.
        if (name == ".")
            continue;
        if (name == "..") {
            folder = Descriptor(openat(folder.get(), "..", kFolderFlags));
            continue;
        }
        Descriptor entry(openat(folder.get(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        struct stat status
        {
        };
        if (!entry.valid()) {
            if (!last || errno != ENOENT)
                return false;
        } else if (fstat(entry.get(), &status) != 0) {
            return false;
        } else if (S_ISLNK(status.st_mode)) {
            if (++links > kMaxLinks || !may_follow(status, folder.get()))
                return false;
            if (!in_proc(entry.get())) {
                std::string link;
                if (!read_link(entry.get(), &link))
                    return false;
                if (link[0] == '/')
                    folder = Descriptor(open("/", kFolderFlags));
                rest.insert(0, link);
                continue;
            }
            // Only the kernel knows where a link of /proc leads: its text may
            // name another mount namespace's path, "pipe:[123]" or a removed
            // file. It follows one in the middle itself; one at the end stays.
            if (!last) {
                folder = Descriptor(openat(folder.get(), name.c_str(), kFolderFlags));
                continue;
            }
        } else if (!last) {
            if (!S_ISDIR(status.st_mode))
                return false;
            folder = std::move(entry);
            continue;
        } else if (S_ISDIR(status.st_mode)) {
            return false;
        }
        target->folder = std::move(folder);
        target->name = name;
        target->entry = std::move(entry);
        target->status = status;
        return true;
    }
    return false;
}

bool is_append_only_or_immutable(int fd)
{
    // statx reads the attributes through the judged descriptor itself;
    // FS_IOC_GETFLAGS would need the folder or the file opened for reading.
    struct statx status
    {
    };
    if (statx(fd, "", AT_EMPTY_PATH | AT_STATX_SYNC_AS_STAT, 0, &status) != 0)
        return false;
    return (status.stx_attributes & (STATX_ATTR_APPEND | STATX_ATTR_IMMUTABLE)) != 0;
}
