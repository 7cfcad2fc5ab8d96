#ifndef QOR_CLIENT_WRITE_TARGET_H
#define QOR_CLIENT_WRITE_TARGET_H

#include <sys/stat.h>

#include <string>

#include "client/descriptor.h"

/* The entry that a write of a path reaches: the folder that holds it and its
 * name there, with what stands under the name now. */
struct WriteTarget
{
    Descriptor folder; /* an O_PATH descriptor of the folder */
    std::string name;  /* one component, never "." or ".." */
    Descriptor entry;  /* an O_PATH descriptor of what the name holds, if anything */
    struct stat status
    {
    }; /* of entry, when it is valid */
};

/* Walks the path one component at a time through descriptors, so that no
 * name is looked up twice, and follows links itself, at most 40, but never
 * another user's link in a sticky folder (only one of the caller's own or of
 * the folder's owner). A link in a /proc file system is followed by the
 * kernel, as open(2) follows it, and never by its text: in the middle of the
 * path the walk goes on from the folder it leads to; at the end the walk
 * stops at it (/dev/stderr, /dev/fd/3), as it stands for an open file that
 * only the kernel can reach. A component before "." or ".." must be a
 * folder, as open(2) wants it, and the path must be shorter than PATH_MAX
 * bytes, as open(2) takes it. False when the walk fails or the path names a
 * folder ("/" at its end, or "." or ".." last); else target holds the
 * folder, the last name and, when the name exists, what it holds: never a
 * link, as links are followed, but the link of /proc that ends the path. */
bool find_write_target(const std::string& path, WriteTarget* target);

/* Whether what the descriptor (O_PATH will do) holds has the append-only or
 * immutable attribute: no name in such a folder can be removed or replaced,
 * nor can such a file be replaced. */
bool is_append_only_or_immutable(int fd);

#endif
