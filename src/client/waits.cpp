// The client-side waits: polls of the control service until a state is
// reached or the deadline passed.

#include "client/waits.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "client/result_header.h"
#include "client/strings.h"
#include "soapH.h"
#include "u16/u16.h"

namespace {

constexpr int64_t kErrorTolerance = 60; // seconds of failed polls tolerated after a success
constexpr int kConfirmGap = 10; // seconds between the first all-GREEN poll and its confirmation
constexpr const char* kPidPrefix = "pid        "; // "pid" and eight blanks
constexpr size_t kPidPrefixLen = 11;
constexpr int kPidLine = 4; // the fifth line of the trace file

bool equals(const char* text, const char* expected)
{
    return text != nullptr && std::strcmp(text, expected) == 0;
}

// A negative number of seconds counts as none.
int non_negative(int seconds)
{
    return seconds < 0 ? 0 : seconds;
}

int64_t deadline_after(const WaitTiming& timing, int timeout)
{
    return timing.now() + static_cast<int64_t>(non_negative(timeout));
}

void release(struct soap* soap)
{
    soap_destroy(soap);
    soap_end(soap);
}

// 16-bit copy of a UTF-8 text of the context for printing; "" for none.
const QOR_UC* wide(struct soap* soap, const char* text)
{
    const QOR_UC* w = text != nullptr ? utf8_to_wide(soap, text) : nullptr;
    return w != nullptr ? w : cU("");
}

void print_fail_fault(struct soap* soap)
{
    printfU16(cU("FAIL: %s\n"), wide(soap, fault_text(soap)));
}

// Reads the pid from the fifth line of a trace file; 0 when it has none.
int pid_of_trace(const QORControl__GetTraceFileResponse& trace)
{
    if (trace.lines.__size <= kPidLine || trace.lines.__ptr == nullptr)
        return 0;
    const char* line = trace.lines.__ptr[kPidLine];
    if (line == nullptr || std::strncmp(line, kPidPrefix, kPidPrefixLen) != 0)
        return 0;
    int pid = 0;
    if (std::sscanf(line, "pid        %d", &pid) != 1 || pid <= 0)
        return 0;
    return pid;
}

bool reports_j2ee_table(const QORControl__ArrayOfInstanceProperties& props)
{
    for (int i = 0; i < props.__size && props.__ptr != nullptr; ++i) {
        const QORControl__InstanceProperty& p = props.__ptr[i];
        if (equals(p.property, "J2EE Process Table") && equals(p.propertytype, "NodeWebmethod") &&
            p.value != nullptr && std::strstr(p.value, "J2EEGetProcessList") != nullptr)
            return true;
    }
    return false;
}

// Index of the first J2EE process that failed to start, or -1.
int failed_j2ee_index(const QORControl__ArrayOfJ2EEProcess& list)
{
    for (int i = 0; i < list.__size && list.__ptr != nullptr; ++i) {
        const QORControl__J2EEProcess& p = list.__ptr[i];
        if (equals(p.restart, "No") && p.state == QORControl_J2EE_STOPPED && p.errorCount > 0 &&
            !equals(p.statetext, "Disabled"))
            return i;
    }
    return -1;
}

bool is_down(QORControl__STATE_COLOR c)
{
    return c == QORControl_GRAY || c == QORControl_RED;
}

} // namespace

const WaitTiming& real_wait_timing()
{
    static const WaitTiming timing{[] { return static_cast<int64_t>(std::time(nullptr)); },
                                   [](int seconds) {
                                       if (seconds > 0)
                                           nlsui_sleep(static_cast<uint32_t>(seconds));
                                   }};
    return timing;
}

int state_wait(struct soap* soap, const char* endpoint, const QOR_UC* webmethod, StateWait until,
               int timeout, int delay, const WaitTiming& timing)
{
    const bool start_kind = until == StateWait::kStarted;
    delay = non_negative(delay);

    int failed = -1;      // process found GRAY or RED during a start
    int failed_j2ee = -1; // J2EE process that failed during a start
    bool ok = false;
    bool no_success_yet = true;
    bool j2ee_check = false;
    int grace = 1;
    bool first_error = true;
    int64_t first_error_time = 0;
    const int64_t deadline = deadline_after(timing, timeout);

    if (start_kind) {
        QORControl__ArrayOfInstanceProperties props;
        if (soap_call_QORControl__GetInstanceProperties(soap, endpoint, "", props) == SOAP_OK)
            j2ee_check = reports_j2ee_table(props);
    }

    QORControl__ArrayOfOSProcess processes;
    QORControl__ArrayOfJ2EEProcess j2ee;
    bool go_on = true;
    do {
        release(soap);
        processes = QORControl__ArrayOfOSProcess();
        j2ee = QORControl__ArrayOfJ2EEProcess();
        go_on = true;
        int count = 0;
        if (soap_call_QORControl__GetProcessList(soap, endpoint, "", processes) != SOAP_OK) {
            if (!no_success_yet) {
                if (first_error) {
                    first_error = false;
                    first_error_time = timing.now();
                } else if (timing.now() >= first_error_time + kErrorTolerance) {
                    go_on = false;
                    ok = false;
                }
            } else {
                go_on = false;
                ok = false;
            }
        } else {
            no_success_yet = false;
            const int n = processes.__ptr != nullptr ? processes.__size : 0;
            for (int i = 0; i < n; ++i) {
                const QORControl__STATE_COLOR c = processes.__ptr[i].dispstatus;
                if (start_kind) {
                    if (is_down(c)) {
                        failed = i;
                        go_on = false;
                        ok = false;
                        break;
                    }
                    if (c == QORControl_GREEN)
                        ++count;
                } else if (is_down(c)) {
                    ++count;
                }
            }
            if (start_kind) {
                if (count == n && count > 0) {
                    if (ok) {
                        go_on = false;
                    } else {
                        go_on = true;
                        ok = true;
                        if (delay < kConfirmGap)
                            timing.sleep(kConfirmGap - delay);
                    }
                }
                if (go_on && !ok && j2ee_check &&
                    soap_call_QORControl__J2EEGetProcessList(soap, endpoint, "", j2ee) == SOAP_OK) {
                    int i = failed_j2ee_index(j2ee);
                    if (i >= 0) {
                        failed_j2ee = i;
                        go_on = false;
                        ok = false;
                    }
                }
            } else if (count == n) {
                go_on = false;
                ok = true;
            }
            if (go_on || ok) {
                grace = 1;
            } else if (grace > 0) {
                --grace;
                go_on = true;
                failed = -1;
                failed_j2ee = -1;
                if (delay < kConfirmGap)
                    timing.sleep(kConfirmGap - delay);
            }
        }
        if (go_on)
            timing.sleep(delay);
    } while (go_on && timing.now() < deadline);

    print_call_heading(webmethod);
    if (ok) {
        printfU16(cU("OK\n"));
        return 0;
    }
    if (soap->error != SOAP_OK) {
        print_fail_fault(soap);
        return 1;
    }
    if (failed >= 0 && failed < processes.__size && processes.__ptr != nullptr) {
        const QORControl__OSProcess& p = processes.__ptr[failed];
        printfU16(cU("FAIL: process %s %s not running\n"), wide(soap, p.name),
                  wide(soap, p.description));
    } else if (failed_j2ee >= 0 && failed_j2ee < j2ee.__size && j2ee.__ptr != nullptr) {
        printfU16(cU("FAIL: j2ee process %s failed\n"), wide(soap, j2ee.__ptr[failed_j2ee].name));
    } else {
        printfU16(cU("FAIL: Timeout\n"));
    }
    return 2;
}

int restart_service_wait(struct soap* soap, const char* endpoint, const QOR_UC* format,
                         const QOR_UC* webmethod, int timeout, int delay, const WaitTiming& timing)
{
    QORControl__GetTraceFileResponse trace;
    int rc = soap_call_QORControl__GetTraceFile(soap, endpoint, "", trace);
    const int result = print_result_header(soap, format, cU("GetTraceFile"), cU(""));
    if (rc != SOAP_OK)
        return result;

    // A fifth line that names no usable pid leaves nothing to compare with.
    const int old_pid = pid_of_trace(trace);
    if (old_pid <= 0) {
        print_call_heading(webmethod);
        printfU16(cU("FAIL: PID not found\n"));
        return 1;
    }

    QORControl__RestartServiceResponse restart;
    soap_call_QORControl__RestartService(soap, endpoint, "", &restart);
    // The wait goes on whatever the restart call answered; its line says it.
    print_result_header(soap, format, cU("RestartService"), cU(""));

    const int64_t deadline = deadline_after(timing, timeout);
    delay = non_negative(delay);
    do {
        release(soap);
        QORControl__GetTraceFileResponse now_trace;
        if (soap_call_QORControl__GetTraceFile(soap, endpoint, "", now_trace) == SOAP_OK) {
            const int new_pid = pid_of_trace(now_trace);
            if (new_pid > 0 && new_pid != old_pid) {
                print_call_heading(webmethod);
                printfU16(cU("OK\n"));
                return 0;
            }
        }
        timing.sleep(delay);
    } while (timing.now() < deadline);

    print_call_heading(webmethod);
    printfU16(cU("FAIL: Timeout\n"));
    return 2;
}

int wait_for_service_started(struct soap* soap, const char* endpoint, int timeout, int delay,
                             const WaitTiming& timing)
{
    const int64_t deadline = deadline_after(timing, timeout);
    delay = non_negative(delay);
    int result = 1;
    do {
        QORControl__ArrayOfOSProcess processes;
        if (soap_call_QORControl__GetProcessList(soap, endpoint, "", processes) == SOAP_OK) {
            result = 0;
            break;
        }
        release(soap);
        timing.sleep(delay);
    } while (timing.now() < deadline);
    printfU16(result == 0 ? cU("OK\n") : cU("FAIL: Timeout\n"));
    return result;
}
