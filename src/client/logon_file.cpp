// The logon-file authentication at the top of a repetition.
#include "client/logon_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "client/result_header.h"
#include "client/strings.h"
#include "platform/regular_file.h"
#include "soapH.h"
#include "transport/plugin.h"
#include "u16/u16.h"

namespace {

// Room for the account name: 128 16-bit units, as UTF-8.
constexpr int kAccountBytes = 128 * 4;

// The password read from the logon file; it lives for the rest of the run.
std::string& logon_password()
{
    static std::string password;
    return password;
}

char kLogonUser[] = QOR_LOGON_FILE_USER;

} // namespace

std::string read_logon_password(const char* file_name, const std::string& not_local, char* password,
                                int size)
{
    if (password == nullptr || size <= 0)
        return {};
    password[0] = 0;
    if (file_name == nullptr)
        return {};
    const std::string name = file_name;
    if (!not_local.empty())
        return "logon file " + name + " not read: " + not_local;
    bool refused = false;
    std::string reason;
    int error = 0;
    const int fd = qor_open_regular_file(file_name, &refused, &reason, &error);
    if (fd < 0)
        return refused ? "logon file " + name + " not read: " + reason : std::string();
    struct stat file
    {
    }, input{};
    if (::fstat(fd, &file) != 0)
        reason = std::strerror(errno);
    else if (::fstat(STDIN_FILENO, &input) == 0 && input.st_dev == file.st_dev &&
             input.st_ino == file.st_ino)
        reason = "it is the standard input";
    if (!reason.empty()) {
        ::close(fd);
        return "logon file " + name + " not read: " + reason;
    }
    // One line: up to the first line end, which stays part of it.
    int length = 0;
    while (length < size - 1) {
        const ssize_t n = ::read(fd, password + length, static_cast<size_t>(size - 1 - length));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        const void* line_end = std::memchr(password + length, '\n', static_cast<size_t>(n));
        length += static_cast<int>(n);
        if (line_end != nullptr) {
            length = static_cast<int>(static_cast<const char*>(line_end) - password) + 1;
            break;
        }
    }
    password[length] = 0;
    ::close(fd);
    return {};
}

int logon_file_step(CallContext& call)
{
    ClientSettings& s = call.settings;
    if (s.user == nullptr)
        return 0;
    int result = 0;
    if (s.user[0] == 0) {
        struct soap* soap = call.soap;
        char account[kAccountBytes] = "";
        if (!call.environment.account_name ||
            call.environment.account_name(account, kAccountBytes) != 1)
            account[0] = 0;
        char* account_utf8 = wide_to_utf8(soap, utf8_to_wide(soap, account));
        // The request itself carries no credentials.
        soap->userid = nullptr;
        soap->passwd = nullptr;
        char* filename = nullptr;
        soap_call_QORControl__RequestLogonFile(soap, call.endpoint, "", account_utf8, &filename);
        s.user = kLogonUser;
        soap->userid = kLogonUser;
        soap->passwd = "";
        result = print_result_header(soap, call.format, cU("RequestLogonFile"), cU("\n"));
        char password[1024] = "";
        // A name that cannot be converted is a file that cannot be opened.
        if (result == 0 && utf8_to_wide(soap, filename) != nullptr) {
            // The secret goes only to a service on this machine: the one at
            // the other end of the request's connection, whatever the host
            // text names.
            std::string not_local;
            if (plugin_request_was_local(soap, &not_local) == 1)
                not_local.clear();
            const std::string refused =
                read_logon_password(filename, not_local, password, sizeof password);
            if (!refused.empty()) {
                const QOR_UC* text = utf8_to_wide(soap, refused.c_str());
                printfU16(cU("FAIL: %s\n"), text != nullptr ? text : cU("logon file not read"));
                result = 1;
            }
        }
        logon_password() = password;
        s.password = logon_password().data();
        // Read from this machine's file for a service on it, the password
        // goes nowhere else, whatever the later calls' connections reach.
        if (password[0] != 0)
            plugin_keep_password_on_this_machine(soap);
    }
    call.soap->userid = s.user;
    call.soap->passwd = s.password;
    return result;
}
