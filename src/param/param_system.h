#ifndef QOR_PARAM_PARAM_SYSTEM_H
#define QOR_PARAM_PARAM_SYSTEM_H

// Facts of the machine for the parameter library: the number of processor
// cores, and share paths in UNC form (\\host\share\rest) that name this
// machine turned into local directories.

#include <cstddef>
#include <string>

#include "param/param_library.h"

namespace param {

// Cores from the topology: the number of core entries when a package is
// known, else the logical processors of the core entries, else logical.
int core_count(int logical, const CpuTopology& topology);

// True when path is \\host\share\rest with a host that denotes this machine
// ("." , the computer name in any case, or a name the system calls local);
// rest begins with the backslash after the share.
bool split_local_unc(const QOR_UC* path, const Sources& sources, std::u16string* share,
                     std::u16string* rest);

// Path and rest with exactly one separator between them (rest begins with
// one).
std::u16string join_path(const std::u16string& path, const std::u16string& rest);

// Turns a UNC path of this machine into the share's local directory joined
// with the rest, in a buffer of size units; a path that is not local, a share
// nobody knows or a result that does not fit leaves the buffer unchanged.
void localize_unc_path(QOR_UC* path, size_t size, const Sources& sources);

} // namespace param

#endif
