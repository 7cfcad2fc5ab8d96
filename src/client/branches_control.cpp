// Webmethods that only report success or a fault, and the special branches
// of the instance control (process list, service start, host agent, waits).
#include <string_view>

#include "client/branch_helpers.h"
#include "client/host_agent.h"
#include "client/service_start.h"
#include "client/waits.h"
#include "u16/u16.h"

namespace {

constexpr const QOR_UC* kNoHeader = cU("");
constexpr const QOR_UC* kEmptyLine = cU("\n");

// GetProcessList's exit code rule: 3 when there is a process and all are
// GREEN, 4 when every process is GRAY or RED (or there is none), else
// unchanged.
int process_state_result(const QORControl__ArrayOfOSProcess& processes, int result)
{
    const int count = processes.__ptr != nullptr ? processes.__size : 0;
    bool all_green = count > 0;
    bool all_down = true;
    for (int i = 0; i < count; ++i) {
        const int color = processes.__ptr[i].dispstatus;
        if (color != 2)
            all_green = false;
        if (color != 1 && color != 4)
            all_down = false;
    }
    if (all_green)
        return 3;
    if (all_down)
        return 4;
    return result;
}

using R_Process = QORControl__OSProcess;
constexpr Column<R_Process> kProcessColumns[] = {
    QOR_COL_STRING(R_Process, name, "name"),
    QOR_COL_STRING(R_Process, description, "description"),
    QOR_COL_ENUM(R_Process, dispstatus, "STATE_COLOR", "dispstatus"),
    QOR_COL_STRING(R_Process, textstatus, "textstatus"),
    QOR_COL_STRING(R_Process, starttime, "starttime"),
    QOR_COL_STRING(R_Process, elapsedtime, "elapsedtime"),
    QOR_COL_INT(R_Process, pid, "pid"),
};

// The one parameter record of the two set webmethods.
int set_process_parameter(CallContext& call, bool with_mode)
{
    WebmethodArgs& a = call.settings.args;
    QORControl__ArrayOfString values = list_array(call.soap, a.list);
    QORControl__SetProfileParameter parameter;
    parameter.soap_default(call.soap);
    parameter.name = a.parameter_name;
    parameter.value = a.has_values ? nullptr : a.parameter_value;
    parameter.values = a.has_values ? &values : nullptr;
    QORControl__ArrayOfSetProfileParameter parameters;
    parameters.soap_default(call.soap);
    parameters.__ptr = &parameter;
    parameters.__size = 1;
    if (with_mode) {
        QORControl__SetProcessParameter2Response out;
        soap_call_QORControl__SetProcessParameter2(
            call.soap, call.endpoint, kNoAction, a.processtype, a.process_pid,
            static_cast<QORControl__PERSISTENCE_TYPE>(a.persistence), parameters, &out);
    } else {
        QORControl__SetProcessParameterResponse out;
        soap_call_QORControl__SetProcessParameter(call.soap, call.endpoint, kNoAction,
                                                  a.processtype, a.process_pid, parameters, &out);
    }
    return print_result_header(call.soap, call.format, call.name, kNoHeader);
}

} // namespace

int branch_start(CallContext& call)
{
    QORControl__StartResponse out;
    soap_call_QORControl__Start(call.soap, call.endpoint, kNoAction, call.settings.args.runlevel,
                                &out);
    return print_result_header(call.soap, call.format, cU("Start"), kNoHeader, true);
}

int branch_start_bypass_ha(CallContext& call)
{
    QORControl__StartBypassHAResponse out;
    soap_call_QORControl__StartBypassHA(call.soap, call.endpoint, kNoAction,
                                        call.settings.args.runlevel, &out);
    return print_result_header(call.soap, call.format, call.name, kNoHeader, true);
}

int branch_instance_start(CallContext& call)
{
    const WebmethodArgs& a = call.settings.args;
    QORControl__InstanceStartResponse out;
    soap_call_QORControl__InstanceStart(call.soap, call.endpoint, kNoAction, a.host, a.instance_nr,
                                        a.runlevel, &out);
    return print_result_header(call.soap, call.format, call.name, kNoHeader);
}

int branch_bootstrap(CallContext& call)
{
    const WebmethodArgs& a = call.settings.args;
    QORControl__BootstrapResponse out;
    soap_call_QORControl__Bootstrap(call.soap, call.endpoint, kNoAction, a.host, a.instance_nr,
                                    &out);
    return print_result_header(call.soap, call.format, call.name, kNoHeader);
}

int branch_stop(CallContext& call)
{
    QORControl__StopResponse out;
    soap_call_QORControl__Stop(call.soap, call.endpoint, kNoAction, call.settings.args.softtimeout,
                               0, &out);
    return print_result_header(call.soap, call.format, cU("Stop"), kNoHeader);
}

int branch_stop_bypass_ha(CallContext& call)
{
    QORControl__StopBypassHAResponse out;
    soap_call_QORControl__StopBypassHA(call.soap, call.endpoint, kNoAction,
                                       call.settings.args.softtimeout, 0, &out);
    return print_result_header(call.soap, call.format, call.name, kNoHeader);
}

int branch_instance_stop(CallContext& call)
{
    const WebmethodArgs& a = call.settings.args;
    QORControl__InstanceStopResponse out;
    soap_call_QORControl__InstanceStop(call.soap, call.endpoint, kNoAction, a.host, a.instance_nr,
                                       a.softtimeout, &out);
    return print_result_header(call.soap, call.format, call.name, kNoHeader);
}

int branch_shutdown(CallContext& call)
{
    QORControl__ShutdownResponse out;
    soap_call_QORControl__Shutdown(call.soap, call.endpoint, kNoAction, 0, &out);
    return print_result_header(call.soap, call.format, call.name, kNoHeader);
}

int branch_restart_instance(CallContext& call)
{
    const WebmethodArgs& a = call.settings.args;
    QORControl__RestartInstanceResponse out;
    soap_call_QORControl__RestartInstance(call.soap, call.endpoint, kNoAction, a.softtimeout,
                                          a.runlevel, &out);
    return print_result_header(call.soap, call.format, call.name, kNoHeader);
}

int branch_restart_service(CallContext& call)
{
    QORControl__RestartServiceResponse out;
    soap_call_QORControl__RestartService(call.soap, call.endpoint, kNoAction, &out);
    return print_result_header(call.soap, call.format, call.name, kNoHeader);
}

int branch_restart_service_wait(CallContext& call)
{
    return restart_service_wait(call.soap, call.endpoint, call.format, call.name,
                                call.settings.wait_timeout, call.settings.wait_delay,
                                call.environment.wait_timing);
}

int branch_stop_service(CallContext& call)
{
    QORControl__StopServiceResponse out;
    soap_call_QORControl__StopService(call.soap, call.endpoint, kNoAction, &out);
    const bool unreachable = call.soap->error == SOAP_TCP_ERROR;
    const int status = print_result_header(call.soap, call.format, call.name, kNoHeader);
    // A service that cannot be reached any more counts as stopped.
    return unreachable ? 0 : status;
}

int branch_start_service(CallContext& call)
{
    print_call_heading(cU("StartService"));
    return start_instance_service(call.settings.args.system_id, call.settings.instance_nr,
                                  call.settings.host_typed);
}

int branch_get_process_list(CallContext& call)
{
    QORControl__ArrayOfOSProcess result;
    soap_call_QORControl__GetProcessList(call.soap, call.endpoint, kNoAction, result);
    const int status = print_list_result(call, result, kProcessColumns);
    if (status != 0)
        return status;
    return process_state_result(result, status);
}

int branch_start_system(CallContext& call)
{
    const WebmethodArgs& a = call.settings.args;
    QORControl__StartSystemResponse out;
    soap_call_QORControl__StartSystem(call.soap, call.endpoint, kNoAction,
                                      static_cast<QORControl__StartStopOption>(a.system_option),
                                      a.level, a.start_wait_timeout, a.runlevel, &out);
    return print_result_header(call.soap, call.format, call.name, kNoHeader);
}

int branch_stop_system(CallContext& call)
{
    const WebmethodArgs& a = call.settings.args;
    QORControl__StopSystemResponse out;
    soap_call_QORControl__StopSystem(call.soap, call.endpoint, kNoAction,
                                     static_cast<QORControl__StartStopOption>(a.system_option),
                                     a.level, a.softtimeout, a.stop_wait_timeout, &out);
    return print_result_header(call.soap, call.format, call.name, kNoHeader);
}

int branch_restart_system(CallContext& call)
{
    const WebmethodArgs& a = call.settings.args;
    QORControl__RestartSystemResponse out;
    soap_call_QORControl__RestartSystem(call.soap, call.endpoint, kNoAction,
                                        static_cast<QORControl__StartStopOption>(a.system_option),
                                        a.level, a.softtimeout, a.stop_wait_timeout, a.runlevel,
                                        &out);
    return print_result_header(call.soap, call.format, call.name, kNoHeader);
}

int branch_access_check(CallContext& call)
{
    QORControl__AccessCheckResponse out;
    soap_call_QORControl__AccessCheck(call.soap, call.endpoint, kNoAction,
                                      call.settings.args.function_name, &out);
    return print_result_header(call.soap, call.format, call.name, kNoHeader);
}

int branch_send_signal(CallContext& call)
{
    const WebmethodArgs& a = call.settings.args;
    QORControl__SendSignalResponse out;
    soap_call_QORControl__SendSignal(call.soap, call.endpoint, kNoAction, a.pid, a.signal, &out);
    return print_result_header(call.soap, call.format, call.name, kNoHeader);
}

int branch_j2ee_control_process(CallContext& call)
{
    const WebmethodArgs& a = call.settings.args;
    QORControl__J2EEControlProcessResponse out;
    soap_call_QORControl__J2EEControlProcess(call.soap, call.endpoint, kNoAction, a.processname,
                                             a.j2ee_function, &out);
    return print_result_header(call.soap, call.format, call.name, kNoHeader);
}

int branch_j2ee_control_cluster(CallContext& call)
{
    const WebmethodArgs& a = call.settings.args;
    QORControl__J2EEControlClusterResponse out;
    soap_call_QORControl__J2EEControlCluster(call.soap, call.endpoint, kNoAction, a.processname,
                                             a.j2ee_function, a.host, a.instance_nr, &out);
    return print_result_header(call.soap, call.format, call.name, kNoHeader);
}

int branch_j2ee_disable_dbg_session(CallContext& call)
{
    QORControl__J2EEDisableDbgSessionResponse out;
    soap_call_QORControl__J2EEDisableDbgSession(call.soap, call.endpoint, kNoAction,
                                                call.settings.args.dbg_key, &out);
    return print_result_header(call.soap, call.format, call.name, kNoHeader);
}

int branch_j2ee_control_components(CallContext& call)
{
    const WebmethodArgs& a = call.settings.args;
    QORControl__J2EEControlComponentsResponse out;
    soap_call_QORControl__J2EEControlComponents(call.soap, call.endpoint, kNoAction, a.processname,
                                                a.operation, a.component_type, a.component_names,
                                                &out);
    return print_result_header(call.soap, call.format, cU("J2EEControlComponents"), kNoHeader);
}

int branch_configure_log_file_list(CallContext& call)
{
    WebmethodArgs& a = call.settings.args;
    QORControl__ArrayOfString files = list_array(call.soap, a.list);
    QORControl__ConfigureLogFileListResponse out;
    soap_call_QORControl__ConfigureLogFileList(
        call.soap, call.endpoint, kNoAction,
        static_cast<QORControl__LogFileConfigOperation>(a.logfile_mode), &files, &out);
    return print_result_header(call.soap, call.format, call.name, kNoHeader);
}

int branch_delete_snapshots(CallContext& call)
{
    QORControl__ArrayOfString files = list_array(call.soap, call.settings.args.list);
    QORControl__DeleteSnapshotsResponse out;
    soap_call_QORControl__DeleteSnapshots(call.soap, call.endpoint, kNoAction, &files, out);
    return print_result_header(call.soap, call.format, call.name, kNoHeader);
}

int branch_shm_detach(CallContext& call)
{
    QORControl__ShmDetachResponse out;
    soap_call_QORControl__ShmDetach(call.soap, call.endpoint, kNoAction, &out);
    return print_result_header(call.soap, call.format, call.name, kNoHeader);
}

int branch_set_process_parameter(CallContext& call)
{
    return set_process_parameter(call, false);
}

int branch_set_process_parameter2(CallContext& call)
{
    return set_process_parameter(call, true);
}

int branch_ha_failover_to_node(CallContext& call)
{
    QORControl__HAFailoverToNodeResponse out;
    soap_call_QORControl__HAFailoverToNode(call.soap, call.endpoint, kNoAction,
                                           call.settings.args.node, &out);
    return print_result_header(call.soap, call.format, call.name, kEmptyLine);
}

int branch_update_system_pki(CallContext& call)
{
    QORControl__UpdateSystemPKIResponse out;
    soap_call_QORControl__UpdateSystemPKI(call.soap, call.endpoint, kNoAction,
                                          call.settings.args.force != 0, &out);
    return print_result_header(call.soap, call.format, call.name, kEmptyLine);
}

int branch_update_instance_pse(CallContext& call)
{
    QORControl__UpdateInstancePSEResponse out;
    soap_call_QORControl__UpdateInstancePSE(call.soap, call.endpoint, kNoAction,
                                            call.settings.args.force != 0, &out);
    return print_result_header(call.soap, call.format, call.name, kEmptyLine);
}

int branch_check_host_agent(CallContext&)
{
    if (check_host_agent_installed() == 0) {
        printfU16(cU("QORHostAgent Installed\n"));
        return 0;
    }
    printfU16(cU("QORHostAgent NOT Installed\n"));
    return 1;
}

int branch_wait_state(CallContext&)
{
    // WaitforStarted and WaitforStopped call nothing before their wait,
    // which the repeat loop runs.
    return 0;
}

int branch_wait_service_started(CallContext& call)
{
    return wait_for_service_started(call.soap, call.endpoint, call.settings.wait_timeout,
                                    call.settings.wait_delay, call.environment.wait_timing);
}
