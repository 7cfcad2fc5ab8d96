// The local copy of a fetched snapshot.
#include "client/snapshot_file.h"

#include <algorithm>

#include "u16/u16.h"

namespace {

std::size_t stdio_write(const void* data, std::size_t bytes, FILE* file)
{
    return std::fwrite(data, 1, bytes, file);
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

int write_snapshot_file(const QOR_UC* local_name, const unsigned char* data, int size,
                        SnapshotWriter writer)
{
    if (data == nullptr || size <= 0)
        return 0;
    if (local_name == nullptr)
        local_name = cU("");
    FILE* file = fopenU16(local_name, cU("wb"));
    if (file == nullptr) {
        printfU16(cU("FAIL: cannot open local file %s\n"), local_name);
        return 1;
    }
    const bool written = write_snapshot_data(file, data, static_cast<std::size_t>(size),
                                             writer != nullptr ? writer : stdio_write);
    const bool closed = std::fclose(file) == 0;
    if (!written) {
        printfU16(cU("FAIL: cannot write local file %s\n"), local_name);
        return 1;
    }
    if (!closed) {
        printfU16(cU("FAIL: cannot close local file %s\n"), local_name);
        return 1;
    }
    return 0;
}
