// The main logic: command line, set-up, repeat loop and exit code.
#include "client/run_client.h"

#include <cstdio>

#include "client/logon_file.h"
#include "client/options.h"
#include "client/setup.h"
#include "client/webmethods.h"
#include "platform/client_account.h"
#include "rscpc/startup.h"
#include "soapH.h"
#include "u16/u16.h"

namespace {

// Hands what was printed to standard output on; false when it could not be
// written (a full device, a reader that went away).
bool output_written()
{
    return std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
}

// Closes a -trace file at the end of the run (not the standard output).
struct TraceFileCloser
{
    FILE*& trace;
    ~TraceFileCloser()
    {
        if (trace != nullptr && trace != stdout) {
            std::fclose(trace);
            trace = nullptr;
        } else if (trace == stdout) {
            std::fflush(stdout);
        }
    }
};

int run(int argc, const QOR_UC* const* argv, const ClientEnvironment& environment)
{
    rscpi_init(RSCP_ACCEPT_ALL); // its result is of no concern to the client
    ClientSettings settings;
    TraceFileCloser trace_closer{settings.trace};
    parse_command_line(argc, argv, settings);

    ClientSession session;
    setup_client(session, settings);
    struct soap* soap = &session.soap;

    int result = 0;
    CallContext call{soap,        session.endpoint.c_str(), settings,
                     environment, settings.webmethod,       settings.format};
    // A negative count repeats without end; it is never decremented, so it
    // cannot run over.
    for (int remaining = settings.repeat_count; remaining != 0;
         remaining = remaining > 0 ? remaining - 1 : remaining) {
        if (settings.user != nullptr)
            result = logon_file_step(call);
        const Webmethod* webmethod = find_webmethod(settings.webmethod);
        if (webmethod == nullptr) {
            printfU16(cU("Unknown webmethod: %s\n"), settings.webmethod);
            client_exit(1);
        }
        result = webmethod->run(call, *webmethod);
        if (webmethod->wait != StateWait::kNone) {
            // A failed call before the wait ends the run at once.
            if (result != 0)
                return result;
            result = state_wait(soap, call.endpoint, settings.webmethod, webmethod->wait,
                                settings.arguments.wait_timeout, settings.arguments.wait_delay,
                                environment.wait_timing);
        }
        soap_destroy(soap);
        soap_end(soap);
        // A call's output is out before the delay; output that was lost ends
        // the run, as no exit code may claim success for it.
        if (!output_written())
            client_exit(1);
        if (remaining != 1 && environment.sleep)
            environment.sleep(settings.repeat_delay);
    }
    return result;
}

} // namespace

const ClientEnvironment& real_client_environment(void)
{
    static const ClientEnvironment environment{
        [](int seconds) { nlsui_sleep(seconds > 0 ? static_cast<uint32_t>(seconds) : 0); },
        real_wait_timing(),
        [](char* buffer, int size) { return client_account_name(buffer, size); },
    };
    return environment;
}

int run_client(int argc, const QOR_UC* const* argv)
{
    return run_client(argc, argv, real_client_environment());
}

int run_client(int argc, const QOR_UC* const* argv, const ClientEnvironment& environment)
{
    int result = 0;
    try {
        result = run(argc, argv, environment);
    } catch (const ClientExit& exit) {
        result = exit.code;
    }
    if (!output_written())
        result = 1;
    return result;
}
