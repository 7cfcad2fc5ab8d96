#ifndef QOR_PLATFORM_REGULAR_FILE_H
#define QOR_PLATFORM_REGULAR_FILE_H

#include <cstddef>
#include <string>

/* Opens a regular file for reading, acting on nothing else: the name is
 * looked at first (a link is followed to what it leads to) and opened only
 * when it names a regular file, so that a FIFO, a device or a socket under
 * the name is never opened; opening never blocks and never takes a
 * controlling terminal. The name is opened as a place only (O_PATH), which
 * must hold the file looked at (same device and inode), and that file is
 * then opened for reading through /proc, never by its name again: without
 * /proc the file is refused. Returns the descriptor, or -1: then refused tells
 * whether the name was found but refused (not a regular file, changed while
 * it was opened) or could not be looked at or opened at all (missing, no
 * permission, ...), reason says why and error holds the errno value behind
 * it (0 when there is none). */
int qor_open_regular_file(const char* path, bool* refused, std::string* reason, int* error);

/* Called, when set, between looking at the name and opening it (tests swap
 * the file there); nullptr removes it. */
void qor_regular_file_set_open_hook(void (*hook)(const char* path));

/* How reading a file ended. */
enum class QorFileRead {
    read,       /* content holds the whole file */
    not_opened, /* it could not be opened (missing, no permission, ...) */
    refused,    /* not read: not a regular file, changed while opened, too large,
                   a read failed */
};

/* Reads the whole content of a regular file of at most max_bytes, opened as
 * qor_open_regular_file opens it; no read goes past the bound. When the file
 * is not read, reason says why and error holds the errno value behind it (0
 * when there is none). */
QorFileRead qor_read_regular_file(const char* path, size_t max_bytes, std::string* content,
                                  std::string* reason, int* error);

#endif
