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

/* What the walk does with a link of /proc that ends the path (where
 * /dev/stderr and /dev/fd/3 lead). Its text names a path only now and then
 * ("pipe:[123]" for a pipe, "... (deleted)" for a removed file); the kernel
 * opens the open file it stands for. Only the kernel makes links there. */
enum class ProcLinkAtEnd {
    kFollowText, /* followed like any link */
    kKeep,       /* the walk ends at it: entry and status are the link's own */
};

/* Walks the path one component at a time through descriptors, so that no
 * name is looked up twice, and follows links itself, at most 40, but never
 * another user's link in a sticky folder (only one of the caller's own or of
 * the folder's owner). A component before "." or ".." must be a folder, as
 * open(2) wants it, and the path must be shorter than PATH_MAX bytes, as
 * open(2) takes it. False when the walk fails or the path names a folder
 * ("/" at its end, or "." or ".." last); else target holds the folder, the
 * last name and, when the name exists, what it holds (a link's own target
 * never: a link there has been followed, unless proc_link kept it). */
bool find_write_target(const std::string& path, WriteTarget* target,
                       ProcLinkAtEnd proc_link = ProcLinkAtEnd::kFollowText);

/* Whether what the descriptor (O_PATH will do) holds has the append-only or
 * immutable attribute: no name in such a folder can be removed or replaced,
 * nor can such a file be replaced. */
bool is_append_only_or_immutable(int fd);

#endif
