// CheckHostAgent: looks for the host agent's programs in the machine's
// folder of installed programs.

#include "client/host_agent.h"

#include <unistd.h>

#include <cstdio>
#include <string>

#include "client/options.h"
#include "rscp/rscp_utf.h"
#include "u16/u16.h"

namespace {

constexpr size_t kMaxPath = 260; // units of a path, terminator excluded
constexpr const char* kPrograms[] = {"qorhostexec", "qorstartsrv"};

// A path as printed: decoded from UTF-8, as a folder name may hold any
// character; a byte that is no UTF-8 shows as U+FFFD.
std::u16string widen(const std::string& s)
{
    std::u16string wide(s.size() + 1, u'\0');
    int32_t length = 0;
    rscpUtf8zToU16(wide.data(), static_cast<int32_t>(wide.size()), &length, s.c_str());
    wide.resize(static_cast<std::size_t>(length));
    return wide;
}

} // namespace

int check_host_agent_installed(void)
{
    return check_host_agent_installed_in(QOR_PROGRAM_FILES_DIR);
}

int check_host_agent_installed_in(const char* program_files)
{
    if (program_files == nullptr || *program_files == '\0' ||
        std::char_traits<char>::length(program_files) > kMaxPath) {
        printfU16(cU("Unable to get the default \"Program Folder\" path.\n"));
        client_exit(1);
    }
    std::string folder = program_files;
    if (folder.back() != '/')
        folder += '/';
    folder += QOR_HOST_AGENT_SUBDIR;
    if (folder.size() >= kMaxPath) {
        printfU16(cU("Unable to appent the path %s to %s\n"), widen(program_files).c_str(),
                  widen(QOR_HOST_AGENT_SUBDIR).c_str());
        client_exit(1);
    }
    for (const char* program : kPrograms) {
        const std::string path = folder + "/" + program;
        // A name that does not fit the path buffer cannot name an existing program.
        if (path.size() > kMaxPath || ::access(path.c_str(), F_OK) != 0)
            return 1;
    }
    return 0;
}
