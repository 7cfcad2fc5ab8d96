// The caller's account name for the logon-file request.
#include "platform/client_account.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <cstring>

namespace {

std::string user_name()
{
    std::vector<char> buf(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buf.data(), buf.size(), &found) == 0 && found != nullptr &&
        found->pw_name != nullptr && found->pw_name[0] != 0)
        return found->pw_name;
    const char* env = std::getenv("USER");
    return env != nullptr ? env : "";
}

std::string short_host_name()
{
    char host[256] = "";
    if (gethostname(host, sizeof host - 1) != 0)
        return "";
    host[sizeof host - 1] = 0;
    std::string name(host);
    const std::size_t dot = name.find('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

} // namespace

int client_account_name(char* buffer, int size)
{
    if (buffer == nullptr || size <= 0)
        return 0;
    buffer[0] = 0;
    const std::string user = user_name();
    const std::string host = short_host_name();
    if (user.empty() || host.empty())
        return 0;
    const std::string account = host + "\\" + user;
    if (account.size() + 1 > static_cast<std::size_t>(size))
        return 0;
    std::memcpy(buffer, account.c_str(), account.size() + 1);
    return 1;
}
