#ifndef QOR_CLIENT_SNAPSHOT_FILE_H
#define QOR_CLIENT_SNAPSHOT_FILE_H

#include <cstddef>
#include <cstdio>

#include "client/temporary_file.h"
#include "u16/qor_uc.h"

/* Largest piece handed to one write. */
constexpr std::size_t kSnapshotChunk = 32768;

/* Writes like fwrite: returns the number of bytes written. */
using SnapshotWriter = std::size_t (*)(const void* data, std::size_t bytes, FILE* file);

/* Writes data in pieces of at most kSnapshotChunk bytes; false when a write
 * wrote nothing or less than it was given. */
bool write_snapshot_data(FILE* file, const unsigned char* data, std::size_t size,
                         SnapshotWriter writer);

/* Stores a fetched snapshot (size bytes, 0 for an empty one) in the local
 * file. The path is walked through descriptors, so that what is judged is
 * what is written: links on the way are followed (one of /proc as the kernel
 * follows it), except another user's link in a sticky folder, and "." and
 * ".." need a folder before them. A regular file, or a name that does not
 * exist yet, is replaced only when complete: the bytes go to a new file in
 * the same folder, unnamed where the file system allows it (so that nothing
 * of it stays whatever ends the program), else hidden and removed on a
 * failure, SIGINT, SIGTERM, SIGHUP, SIGQUIT or SIGXFSZ; it is synced and
 * then given the name. An old copy stays as it was on failure. A file that
 * is append-only or immutable, or any file in a folder that is, is not
 * replaced ("cannot replace"); in an append-only folder a new file is
 * unnamed until complete, or, where the file system has no unnamed files,
 * written in place, and a failure then leaves it incomplete and says so. An
 * existing file must be writable, and its copy keeps its permissions less
 * any set-ID bit and what the umask takes away; the group bits stay only
 * with the old file's group, which the copy takes when the old file is the
 * caller's own. A FIFO, device or socket is refused without being opened,
 * and so is a link of /proc that ends the path (/dev/fd/3): the open file it
 * stands for has no folder to be replaced in. The null device (NUL) drops
 * the bytes. A failure prints a "FAIL: " line naming the local file and
 * returns 1; success returns 0. The files are opened through open (openat
 * when null). */
int write_snapshot_file(const QOR_UC* local_name, const unsigned char* data, std::size_t size,
                        SnapshotWriter writer = nullptr, FileOpener open = nullptr);

#endif
