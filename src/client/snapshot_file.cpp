// The local copy of a fetched snapshot.
#include "client/snapshot_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "u16/u16.h"

namespace {

std::size_t stdio_write(const void* data, std::size_t bytes, FILE* file)
{
    return std::fwrite(data, 1, bytes, file);
}

enum class Outcome { kDone, kNoOpen, kNoWrite, kNoClose, kNoReplace };

int report(Outcome outcome, const QOR_UC* local_name)
{
    switch (outcome) {
    case Outcome::kDone:
        return 0;
    case Outcome::kNoOpen:
        printfU16(cU("FAIL: cannot open local file %s\n"), local_name);
        break;
    case Outcome::kNoWrite:
        printfU16(cU("FAIL: cannot write local file %s\n"), local_name);
        break;
    case Outcome::kNoClose:
        printfU16(cU("FAIL: cannot close local file %s\n"), local_name);
        break;
    case Outcome::kNoReplace:
        printfU16(cU("FAIL: cannot replace local file %s\n"), local_name);
        break;
    }
    return 1;
}

// Writes and closes the stream; the stream is closed in every case.
Outcome write_and_close(FILE* file, const unsigned char* data, std::size_t size,
                        SnapshotWriter writer, bool sync)
{
    const bool written = write_snapshot_data(file, data, size, writer);
    // A full disk may show only when the data leaves the buffers.
    const bool flushed = std::fflush(file) == 0 && (!sync || fsync(fileno(file)) == 0);
    const bool closed = std::fclose(file) == 0;
    if (!written)
        return Outcome::kNoWrite;
    return flushed && closed ? Outcome::kDone : Outcome::kNoClose;
}

// The file a write of the path reaches: a symbolic link's target.
std::string write_target(const std::string& path)
{
    struct stat link
    {
    };
    if (lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        if (char* resolved = realpath(path.c_str(), nullptr)) {
            std::string target(resolved);
            std::free(resolved);
            return target;
        }
    }
    return path;
}

mode_t new_file_mode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

Outcome replace_file(const std::string& path, const struct stat* old, const unsigned char* data,
                     std::size_t size, SnapshotWriter writer)
{
    const std::string target = write_target(path);
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "./" : target.substr(0, slash + 1);
    std::string temporary = folder + ".qorcontrol-XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0)
        return Outcome::kNoOpen;
    fchmod(fd, old != nullptr ? (old->st_mode & 07777) : new_file_mode());
    FILE* file = fdopen(fd, "wb");
    if (file == nullptr) {
        close(fd);
        unlink(temporary.c_str());
        return Outcome::kNoOpen;
    }
    Outcome outcome = write_and_close(file, data, size, writer, true);
    if (outcome == Outcome::kDone && std::rename(temporary.c_str(), target.c_str()) != 0)
        outcome = Outcome::kNoReplace;
    if (outcome != Outcome::kDone)
        unlink(temporary.c_str());
    return outcome;
}

} // namespace

bool write_snapshot_data(FILE* file, const unsigned char* data, std::size_t size,
                         SnapshotWriter writer)
{
    while (size > 0) {
        const std::size_t piece = std::min(size, kSnapshotChunk);
        const std::size_t written = writer(data, piece, file);
        if (written != piece)
            return false; // nothing or a short piece written
        data += written;
        size -= written;
    }
    return true;
}

int write_snapshot_file(const QOR_UC* local_name, const unsigned char* data, std::size_t size,
                        SnapshotWriter writer)
{
    if (local_name == nullptr)
        local_name = cU("");
    if (writer == nullptr)
        writer = stdio_write;
    std::string path;
    if (!nlsui_file_path(local_name, &path) || path.empty())
        return report(Outcome::kNoOpen, local_name);
    struct stat old
    {
    };
    const bool exists = stat(path.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) {
        // A device or pipe has no folder to be replaced in.
        FILE* file = std::fopen(path.c_str(), "wb");
        if (file == nullptr)
            return report(Outcome::kNoOpen, local_name);
        return report(write_and_close(file, data, size, writer, false), local_name);
    }
    return report(replace_file(path, exists ? &old : nullptr, data, size, writer), local_name);
}
