// The logon-file authentication at the top of a repetition.
#include "client/logon_file.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "client/result_header.h"
#include "client/strings.h"
#include "soapH.h"
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

void read_logon_password(const QOR_UC* file_name, char* password, int size)
{
    if (password == nullptr || size <= 0)
        return;
    password[0] = 0;
    FILE* file = file_name != nullptr ? fopenU16(file_name, cU("rb")) : nullptr;
    if (file == nullptr)
        return;
    if (std::fgets(password, size, file) == nullptr)
        password[0] = 0;
    std::fclose(file);
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
        if (result == 0)
            read_logon_password(utf8_to_wide(soap, filename), password, sizeof password);
        logon_password() = password;
        s.password = logon_password().data();
    }
    call.soap->userid = s.user;
    call.soap->passwd = s.password;
    return result;
}
