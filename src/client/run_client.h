#ifndef QOR_CLIENT_RUN_CLIENT_H
#define QOR_CLIENT_RUN_CLIENT_H

#include <functional>

#include "client/waits.h"
#include "u16/qor_uc.h"

/* What a run takes from its surroundings; tests inject their own. */
struct ClientEnvironment
{
    /* Sleeps between repetitions (seconds; 0 returns at once). */
    std::function<void(int)> sleep;
    /* Clock and sleeper of the client-side waits. */
    WaitTiming wait_timing;
    /* The caller's account name (UTF-8) for the logon-file request; 1 on
     * success. */
    std::function<int(char* buffer, int size)> account_name;
};

/* The real surroundings: nlsui_sleep, the system clock, the account name of
 * the process's user. */
const ClientEnvironment& real_client_environment(void);

/* The main logic: parses the command line, sets up endpoint, transport and
 * credentials, runs the repeat loop and returns the exit code of the last
 * call (command-line and set-up errors return 1 after their message). */
int run_client(int argc, const QOR_UC* const* argv);
int run_client(int argc, const QOR_UC* const* argv, const ClientEnvironment& environment);

#endif
