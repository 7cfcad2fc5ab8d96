// What only one webmethod does.
#include "client/webmethod_specials.h"

#include "client/host_agent.h"
#include "client/result_header.h"
#include "client/service_start.h"
#include "client/snapshot_file.h"
#include "client/typed_words.h"
#include "client/waits.h"
#include "client/webmethod_calls.h"
#include "client/webmethod_columns.h"
#include "u16/u16.h"

namespace {

constexpr const QOR_UC* kScript = cU("script");

constexpr int kGreen = 2;
constexpr int kGray = 1;
constexpr int kRed = 4;

int process_state_result(const QORControl__ArrayOfOSProcess& processes, int result)
{
    const int count = processes.__ptr != nullptr ? processes.__size : 0;
    bool all_green = count > 0;
    bool all_down = true;
    for (int i = 0; i < count; ++i) {
        const int color = processes.__ptr[i].dispstatus;
        if (color != kGreen)
            all_green = false;
        if (color != kGray && color != kRed)
            all_down = false;
    }
    if (all_green)
        return 3;
    if (all_down)
        return 4;
    return result;
}

// The heading block, then the reply's fields when the call succeeded.
template <class PrintFields>
int print_with_fields(CallContext& call, const Webmethod& webmethod, PrintFields print_fields)
{
    const int status = print_heading(call, webmethod, webmethod.header);
    if (status == 0)
        print_fields();
    return status;
}

} // namespace

int print_process_list(CallContext& call, const Webmethod& webmethod,
                       const QORControl__ArrayOfOSProcess& processes)
{
    const int status = records<kProcessColumns>(call, webmethod, processes);
    if (status != 0)
        return status;
    return process_state_result(processes, status);
}

int print_alerts(CallContext& call, const Webmethod& webmethod,
                 const QORControl__GetAlertsResponse& reply)
{
    return records<kAlertColumns>(call, webmethod, reply.alert);
}

int print_start_profile(CallContext& call, const Webmethod& webmethod,
                        const QORControl__GetStartProfileResponse& reply)
{
    return print_with_fields(call, webmethod, [&] {
        const bool list = is_list_format(call.format);
        print_string_field(call.soap, cU("name"), reply.name, list ? -1 : 0, 0, kScript);
        if (list)
            printfU16(cU("lines\n"));
        print_string_lines(call, cU("lines"), reply.lines);
    });
}

int print_log_entries(CallContext& call, const Webmethod& webmethod,
                      const QORControl__ReadLogFileResponse& reply)
{
    return print_with_fields(call, webmethod, [&] {
        print_string_field(call.soap, cU("format"), reply.format, 0, 1, call.format);
        print_string_field(call.soap, cU("startcookie"), reply.startcookie, 0, 1, call.format);
        print_string_field(call.soap, cU("endcookie"), reply.endcookie, 0, 1, call.format);
        print_string_lines(call, cU("fields"), reply.fields);
    });
}

int print_log_analysis(CallContext& call, const Webmethod& webmethod,
                       const QORControl__AnalyseLogFilesResponse& reply)
{
    return print_with_fields(call, webmethod, [&] {
        print_string_field(call.soap, cU("format"), reply.format, 0, 1, call.format);
        print_string_lines(call, cU("fields"), reply.fields);
    });
}

int print_command_result(CallContext& call, const Webmethod& webmethod,
                         const QORControl__OSExecuteResponse& reply)
{
    return print_with_fields(call, webmethod, [&] {
        print_int_field(call.soap, cU("exitcode"), reply.exitcode, 0, 0, call.format);
        print_int_field(call.soap, cU("pid"), reply.pid, 0, 1, call.format);
        print_string_lines(call, cU("lines"), reply.lines);
    });
}

int print_debug_session(CallContext& call, const Webmethod& webmethod,
                        const QORControl__J2EEEnableDbgSessionResponse& reply)
{
    return print_with_fields(call, webmethod, [&] {
        print_string_field(call.soap, cU("key"), reply.key, 0, 0, call.format);
        print_int_field(call.soap, cU("port"), reply.port, 0, 1, call.format);
    });
}

int print_enqueue_statistic(CallContext& call, const Webmethod& webmethod,
                            const QORControl__EnqStatistic& statistic)
{
    return print_with_fields(call, webmethod, [&] {
        constexpr std::size_t kCount = sizeof kStatisticColumns / sizeof kStatisticColumns[0];
        for (std::size_t c = 0; c < kCount; ++c)
            kStatisticColumns[c].print(call.soap, statistic, kStatisticColumns[c].label, -1,
                                       c + 1 == kCount, kScript);
    });
}

int print_snapshot_name(CallContext& call, const Webmethod& webmethod,
                        const QORControl__CreateSnapshotResponse& reply)
{
    return print_with_fields(call, webmethod, [&] {
        print_string_field(call.soap, cU("filename"), reply.filename, -1, 1, kScript);
    });
}

int store_snapshot(CallContext& call, const Webmethod& webmethod, const SnapshotData& snapshot)
{
    const int status = print_heading(call, webmethod, webmethod.header);
    if (status != 0)
        return status;
    const QOR_UC* local_name = call.settings.arguments.values[1].word;
    // Typed with bytes that are not UTF-8, its 16-bit form names another
    // file: refused as a name that cannot be opened, and nothing touched.
    if (!word_typed_as_utf8(local_name)) {
        printfU16(cU("FAIL: cannot open local file %s\n"), local_name);
        return 1;
    }
    return write_snapshot_file(local_name, snapshot.bytes, snapshot.size);
}

int print_failover_config(CallContext& call, const Webmethod& webmethod,
                          const QORControl__HAGetFailoverConfigResponse& reply)
{
    const int status = print_heading(call, webmethod, webmethod.header);
    if (status != 0)
        return status;
    struct soap* soap = call.soap;
    print_bool_field(soap, cU("HAActive"), reply.HAActive, -1, 0, kScript);
    print_string_field(soap, cU("HAProductVersion"), reply.HAProductVersion, -1, 0, kScript);
    print_string_field(soap, cU("HAQORInterfaceVersion"), reply.HAQORInterfaceVersion, -1, 0,
                       kScript);
    print_string_field(soap, cU("HADocumentation"), reply.HADocumentation, -1, 0, kScript);
    print_string_field(soap, cU("HAActiveNode"), reply.HAActiveNode, -1, 0, kScript);
    printfU16(cU("HANodes: "));
    const QORControl__ArrayOfString& nodes = reply.HANodes;
    if (nodes.__ptr != nullptr) {
        for (int i = 0; i < nodes.__size; ++i)
            print_string_field(soap, cU("HANodes"), nodes.__ptr[i], -1, i + 1 == nodes.__size,
                               cU("list"));
    }
    return status;
}

int start_service(CallContext& call, const Webmethod& webmethod)
{
    print_call_heading(webmethod.name);
    return start_instance_service(call.settings.arguments.values[0].word, call.settings.instance_nr,
                                  call.settings.host_typed);
}

int check_host_agent(CallContext&, const Webmethod&)
{
    if (check_host_agent_installed() == 0) {
        printfU16(cU("QORHostAgent Installed\n"));
        return 0;
    }
    printfU16(cU("QORHostAgent NOT Installed\n"));
    return 1;
}

int restart_service_and_wait(CallContext& call, const Webmethod&)
{
    const Arguments& a = call.settings.arguments;
    return restart_service_wait(call.soap, call.endpoint, call.format, call.name, a.wait_timeout,
                                a.wait_delay, call.environment.wait_timing);
}

int wait_for_service(CallContext& call, const Webmethod&)
{
    const Arguments& a = call.settings.arguments;
    return wait_for_service_started(call.soap, call.endpoint, a.wait_timeout, a.wait_delay,
                                    call.environment.wait_timing);
}

int no_call(CallContext&, const Webmethod&)
{
    return 0;
}
