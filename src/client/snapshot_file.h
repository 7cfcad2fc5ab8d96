#ifndef QOR_CLIENT_SNAPSHOT_FILE_H
#define QOR_CLIENT_SNAPSHOT_FILE_H

#include <cstddef>
#include <cstdio>

#include "u16/qor_uc.h"

/* Largest piece handed to one write. */
constexpr std::size_t kSnapshotChunk = 32768;

/* Writes like fwrite: returns the number of bytes written. */
using SnapshotWriter = std::size_t (*)(const void* data, std::size_t bytes, FILE* file);

/* Writes data in pieces of at most kSnapshotChunk bytes; false when a write
 * wrote nothing or less than it was given. */
bool write_snapshot_data(FILE* file, const unsigned char* data, std::size_t size,
                         SnapshotWriter writer);

/* Stores a fetched snapshot in the local file. Without data no file is
 * created or truncated and 0 is returned. A file that cannot be opened, a
 * failed write or a failed close prints a "FAIL: " line and returns 1. */
int write_snapshot_file(const QOR_UC* local_name, const unsigned char* data, int size,
                        SnapshotWriter writer = nullptr);

#endif
