// The webmethod names in test order and their branches.
#include "client/dispatch.h"

#include <string_view>

namespace {

struct Entry
{
    const QOR_UC* name;
    Branch branch;
};

// Tested in this order; the first equal name runs.
constexpr Entry kBranches[] = {
    {cU("Start"), branch_start},
    {cU("StartWait"), branch_start},
    {cU("StartBypassHA"), branch_start_bypass_ha},
    {cU("InstanceStart"), branch_instance_start},
    {cU("Bootstrap"), branch_bootstrap},
    {cU("Stop"), branch_stop},
    {cU("StopWait"), branch_stop},
    {cU("StopBypassHA"), branch_stop_bypass_ha},
    {cU("InstanceStop"), branch_instance_stop},
    {cU("Shutdown"), branch_shutdown},
    {cU("RestartInstance"), branch_restart_instance},
    {cU("RestartService"), branch_restart_service},
    {cU("RestartServiceWait"), branch_restart_service_wait},
    {cU("StopService"), branch_stop_service},
    {cU("StartService"), branch_start_service},
    {cU("GetProcessList"), branch_get_process_list},
    {cU("GetVersionInfo"), branch_get_version_info},
    {cU("GetQueueStatistic"), branch_get_queue_statistic},
    {cU("GetInstanceProperties"), branch_get_instance_properties},
    {cU("VORNGetWPTable"), branch_vorn_get_wp_table},
    {cU("VORNGetSystemWPTable"), branch_vorn_get_system_wp_table},
    {cU("J2EEGetProcessList"), branch_j2ee_get_process_list},
    {cU("J2EEGetProcessList2"), branch_j2ee_get_process_list2},
    {cU("J2EEGetThreadList"), branch_j2ee_get_thread_list},
    {cU("J2EEGetThreadList2"), branch_j2ee_get_thread_list2},
    {cU("VORNReadSyslog"), branch_vorn_read_syslog},
    {cU("VORNReadRawSyslog"), branch_vorn_read_raw_syslog},
    {cU("J2EEGetSessionList"), branch_j2ee_get_session_list},
    {cU("J2EEGetWebSessionList"), branch_j2ee_get_web_session_list},
    {cU("J2EEGetWebSessionList2"), branch_j2ee_get_web_session_list2},
    {cU("J2EEGetCacheStatistic"), branch_j2ee_get_cache_statistic},
    {cU("J2EEGetCacheStatistic2"), branch_j2ee_get_cache_statistic2},
    {cU("J2EEGetApplicationAliasList"), branch_j2ee_get_application_alias_list},
    {cU("J2EEGetComponentList"), branch_j2ee_get_component_list},
    {cU("J2EEControlComponents"), branch_j2ee_control_components},
    {cU("GetAccessPointList"), branch_get_access_point_list},
    {cU("J2EEGetEJBSessionList"), branch_j2ee_get_ejb_session_list},
    {cU("J2EEGetRemoteObjectList"), branch_j2ee_get_remote_object_list},
    {cU("J2EEGetVMGCHistory"), branch_j2ee_get_vm_gc_history},
    {cU("J2EEGetVMGCHistory2"), branch_j2ee_get_vm_gc_history2},
    {cU("J2EEGetVMHeapInfo"), branch_j2ee_get_vm_heap_info},
    {cU("J2EEGetClusterMsgList"), branch_j2ee_get_cluster_msg_list},
    {cU("J2EEGetSharedTableInfo"), branch_j2ee_get_shared_table_info},
    {cU("GetStartProfile"), branch_get_start_profile},
    {cU("GetTraceFile"), branch_get_trace_file},
    {cU("GetEnvironment"), branch_get_environment},
    {cU("ParameterValue"), branch_parameter_value},
    {cU("GetAlertTree"), branch_get_alert_tree},
    {cU("GetAlerts"), branch_get_alerts},
    {cU("ListDeveloperTraces"), branch_list_developer_traces},
    {cU("ReadDeveloperTrace"), branch_read_developer_trace},
    {cU("ReadLogFile"), branch_read_log_file},
    {cU("AnalyseLogFiles"), branch_analyse_log_files},
    {cU("ListLogFiles"), branch_list_log_files},
    {cU("ConfigureLogFileList"), branch_configure_log_file_list},
    {cU("GetLogFileList"), branch_get_log_file_list},
    {cU("OSExecute"), branch_os_execute},
    {cU("SendSignal"), branch_send_signal},
    {cU("GetCallstack"), branch_get_callstack},
    {cU("J2EEControlProcess"), branch_j2ee_control_process},
    {cU("J2EEControlCluster"), branch_j2ee_control_cluster},
    {cU("J2EEEnableDbgSession"), branch_j2ee_enable_dbg_session},
    {cU("J2EEDisableDbgSession"), branch_j2ee_disable_dbg_session},
    {cU("GetSystemInstanceList"), branch_get_system_instance_list},
    {cU("StartSystem"), branch_start_system},
    {cU("StopSystem"), branch_stop_system},
    {cU("RestartSystem"), branch_restart_system},
    {cU("AccessCheck"), branch_access_check},
    {cU("XCMGetThreadList"), branch_xcm_get_thread_list},
    {cU("XCMGetConnectionList"), branch_xcm_get_connection_list},
    {cU("XCMGetProxyConnectionList"), branch_xcm_get_proxy_connection_list},
    {cU("XCMGetCacheEntries"), branch_xcm_get_cache_entries},
    {cU("WebDispGetServerList"), branch_web_disp_get_server_list},
    {cU("GetProcessParameter"), branch_get_process_parameter},
    {cU("SetProcessParameter"), branch_set_process_parameter},
    {cU("SetProcessParameter2"), branch_set_process_parameter2},
    {cU("ShmDetach"), branch_shm_detach},
    {cU("EnqGetStatistic"), branch_enq_get_statistic},
    {cU("EnqGetLockTable"), branch_enq_get_lock_table},
    {cU("J2EEGetThreadCallStack"), branch_j2ee_get_thread_call_stack},
    {cU("J2EEGetThreadTaskStack"), branch_j2ee_get_thread_task_stack},
    {cU("CreateSnapshot"), branch_create_snapshot},
    {cU("ReadSnapshot"), branch_read_snapshot},
    {cU("ListSnapshots"), branch_list_snapshots},
    {cU("DeleteSnapshots"), branch_delete_snapshots},
    {cU("CheckHostAgent"), branch_check_host_agent},
    {cU("RequestLogonFile"), branch_request_logon_file},
    {cU("UpdateInstancePSE"), branch_update_instance_pse},
    {cU("UpdateSystemPKI"), branch_update_system_pki},
    {cU("HACheckConfig"), branch_ha_check_config},
    {cU("HACheckFailoverConfig"), branch_ha_check_failover_config},
    {cU("HAGetFailoverConfig"), branch_ha_get_failover_config},
    {cU("HAFailoverToNode"), branch_ha_failover_to_node},
    {cU("WaitforStopped"), branch_wait_state},
    {cU("WaitforStarted"), branch_wait_state},
    {cU("WaitforServiceStarted"), branch_wait_service_started},
};

} // namespace

Branch find_branch(const QOR_UC* name)
{
    if (name == nullptr)
        return nullptr;
    const std::u16string_view wanted(name);
    for (const Entry& entry : kBranches) {
        if (wanted == entry.name)
            return entry.branch;
    }
    return nullptr;
}
