#ifndef QOR_PLATFORM_REGULAR_FILE_H
#define QOR_PLATFORM_REGULAR_FILE_H

#include <cstddef>
#include <string>

/* How reading a file ended. */
enum class QorFileRead {
    read,       /* content holds the whole file */
    not_opened, /* it could not be opened (missing, no permission, ...) */
    refused,    /* opened, but not read: not a regular file, too large, a read failed */
};

/* Reads the whole content of a regular file of at most max_bytes. Opening
 * never blocks, so a FIFO or a device under the name cannot hold the caller
 * up; anything but a regular file is refused before a byte is read, and no
 * read goes past the bound. When the file is not read, reason says why and
 * error holds the errno value behind it (0 when there is none). */
QorFileRead qor_read_regular_file(const char* path, size_t max_bytes, std::string* content,
                                  std::string* reason, int* error);

#endif
