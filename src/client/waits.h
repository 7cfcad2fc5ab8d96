#ifndef QOR_CLIENT_WAITS_H
#define QOR_CLIENT_WAITS_H

// The client-side waits: loops that poll the control service until the
// instance or its service reached a state or a deadline passed. Each returns
// the result that becomes the exit code.

#include <cstdint>
#include <functional>

#include "u16/qor_uc.h"

struct soap;

// Time source and sleeper of the waits; tests inject their own.
struct WaitTiming
{
    std::function<int64_t()> now;   // current time, seconds
    std::function<void(int)> sleep; // sleeps that many seconds (0: returns)
};
// The real clock (time()) and sleeper (nlsui_sleep).
const WaitTiming& real_wait_timing();

// The state a webmethod waits for after its call (if any).
enum class StateWait {
    kNone,
    kStarted, // every process GREEN
    kStopped, // every process GRAY or RED
};

// Polls GetProcessList until every process is GREEN (kStarted, confirmed by
// a second poll) or GRAY/RED (kStopped). Prints the heading with the given
// name, then "OK" (0), "FAIL: <fault>" (1) or "FAIL: process ... not
// running", "FAIL: j2ee process ... failed", "FAIL: Timeout" (2). A wait that
// follows a call expects that call made and printed by the caller.
int state_wait(struct soap* soap, const char* endpoint, const QOR_UC* webmethod, StateWait until,
               int timeout, int delay, const WaitTiming& timing = real_wait_timing());

// RestartServiceWait: reads the service's pid from GetTraceFile, calls
// RestartService and polls GetTraceFile until another pid shows. Both calls
// are printed with print_result_header in the given format.
int restart_service_wait(struct soap* soap, const char* endpoint, const QOR_UC* format,
                         const QOR_UC* webmethod, int timeout, int delay,
                         const WaitTiming& timing = real_wait_timing());

// WaitforServiceStarted: polls GetProcessList until a call succeeds; prints
// only "OK" (0) or "FAIL: Timeout" (1).
int wait_for_service_started(struct soap* soap, const char* endpoint, int timeout, int delay,
                             const WaitTiming& timing = real_wait_timing());

#endif
