// StartService: starts the instance's service through the Service Control
// Manager.

#include "client/service_start.h"

#include <algorithm>
#include <string>

#include "u16/u16.h"

namespace {

constexpr int kHostAgentNr = 99;

void print_fail(const QOR_UC* step, uint32_t error)
{
    const QOR_UC* text = syserrtextU16(error);
    printfU16(cU("FAIL: %s failed [%s]\n"), step, text != nullptr ? text : cU(""));
}

} // namespace

void instance_service_name(const QOR_UC* sid, int nr, QOR_UC* buf, int size)
{
    if (buf == nullptr || size <= 0)
        return;
    std::u16string name;
    if (nr == kHostAgentNr) {
        name = u"QorHostExec";
    } else {
        name = u"QOR";
        for (int i = 0; sid != nullptr && i < 3 && sid[i] != 0; ++i)
            name += sid[i];
        name += u'_';
        std::string digits = std::to_string(nr < 0 ? -static_cast<long>(nr) : nr);
        if (digits.size() < 2)
            digits.insert(0, 2 - digits.size(), '0');
        if (nr < 0)
            digits.insert(0, 1, '-');
        name.append(digits.begin(), digits.end());
    }
    const size_t n = std::min(name.size(), static_cast<size_t>(size - 1));
    name.copy(buf, n);
    buf[n] = 0;
}

int start_instance_service(const QOR_UC* sid, int nr, const QOR_UC* machine)
{
    return start_instance_service(sid, nr, machine, system_scm());
}

int start_instance_service(const QOR_UC* sid, int nr, const QOR_UC* machine, ScmApi& scm)
{
    SC_HANDLE manager = scm.OpenSCManagerW(machine, nullptr, SC_MANAGER_CONNECT);
    if (manager == nullptr) {
        print_fail(cU("OpenSCManager"), scm.GetLastError());
        return 1;
    }
    QOR_UC name[64];
    instance_service_name(sid, nr, name, 64);
    SC_HANDLE service = scm.OpenServiceW(manager, name, SERVICE_START);
    if (service == nullptr) {
        print_fail(cU("OpenService"), scm.GetLastError());
        scm.CloseServiceHandle(manager);
        return 1;
    }
    if (!scm.StartServiceW(service, 0, nullptr)) {
        uint32_t error = scm.GetLastError();
        if (error != SCM_ERROR_SERVICE_ALREADY_RUNNING) {
            print_fail(cU("StartService"), error);
            scm.CloseServiceHandle(service);
            scm.CloseServiceHandle(manager);
            return 1;
        }
    }
    scm.CloseServiceHandle(service);
    scm.CloseServiceHandle(manager);
    printfU16(cU("OK\n"));
    return 0;
}
