#ifndef QOR_CLIENT_DISPATCH_H
#define QOR_CLIENT_DISPATCH_H

#include "client/run_client.h"
#include "client/settings.h"
#include "u16/qor_uc.h"

struct soap;

/* What one branch of the dispatch works with. */
struct CallContext
{
    struct soap* soap;
    const char* endpoint;
    ClientSettings& settings;
    const ClientEnvironment& environment;
    const QOR_UC* name;   /* the webmethod name as typed */
    const QOR_UC* format; /* "list" or anything else for script */
};

/* Runs one webmethod call and prints its result; returns the result code. */
using Branch = int (*)(CallContext& call);

/* The branch of a webmethod name (exact, case-sensitive), or null. */
Branch find_branch(const QOR_UC* name);

/* The branches, by group. */
int branch_start(CallContext& call);
int branch_stop(CallContext& call);
int branch_start_bypass_ha(CallContext& call);
int branch_stop_bypass_ha(CallContext& call);
int branch_instance_start(CallContext& call);
int branch_instance_stop(CallContext& call);
int branch_bootstrap(CallContext& call);
int branch_shutdown(CallContext& call);
int branch_restart_instance(CallContext& call);
int branch_restart_service(CallContext& call);
int branch_restart_service_wait(CallContext& call);
int branch_stop_service(CallContext& call);
int branch_start_service(CallContext& call);
int branch_get_process_list(CallContext& call);
int branch_start_system(CallContext& call);
int branch_stop_system(CallContext& call);
int branch_restart_system(CallContext& call);
int branch_access_check(CallContext& call);
int branch_send_signal(CallContext& call);
int branch_j2ee_control_process(CallContext& call);
int branch_j2ee_control_cluster(CallContext& call);
int branch_j2ee_disable_dbg_session(CallContext& call);
int branch_j2ee_control_components(CallContext& call);
int branch_configure_log_file_list(CallContext& call);
int branch_delete_snapshots(CallContext& call);
int branch_shm_detach(CallContext& call);
int branch_set_process_parameter(CallContext& call);
int branch_set_process_parameter2(CallContext& call);
int branch_ha_failover_to_node(CallContext& call);
int branch_update_system_pki(CallContext& call);
int branch_update_instance_pse(CallContext& call);
int branch_check_host_agent(CallContext& call);
int branch_wait_state(CallContext& call);
int branch_wait_service_started(CallContext& call);

/* Instance information, VORN and J2EE lists. */
int branch_get_version_info(CallContext& call);
int branch_get_queue_statistic(CallContext& call);
int branch_get_instance_properties(CallContext& call);
int branch_vorn_get_wp_table(CallContext& call);
int branch_vorn_get_system_wp_table(CallContext& call);
int branch_j2ee_get_process_list(CallContext& call);
int branch_j2ee_get_process_list2(CallContext& call);
int branch_j2ee_get_thread_list(CallContext& call);
int branch_j2ee_get_thread_list2(CallContext& call);
int branch_vorn_read_syslog(CallContext& call);
int branch_vorn_read_raw_syslog(CallContext& call);
int branch_j2ee_get_session_list(CallContext& call);
int branch_j2ee_get_web_session_list(CallContext& call);
int branch_j2ee_get_web_session_list2(CallContext& call);
int branch_j2ee_get_cache_statistic(CallContext& call);
int branch_j2ee_get_cache_statistic2(CallContext& call);
int branch_j2ee_get_application_alias_list(CallContext& call);
int branch_j2ee_get_component_list(CallContext& call);
int branch_get_access_point_list(CallContext& call);
int branch_j2ee_get_ejb_session_list(CallContext& call);
int branch_j2ee_get_remote_object_list(CallContext& call);
int branch_j2ee_get_vm_gc_history(CallContext& call);
int branch_j2ee_get_vm_gc_history2(CallContext& call);
int branch_j2ee_get_vm_heap_info(CallContext& call);
int branch_j2ee_get_cluster_msg_list(CallContext& call);
int branch_j2ee_get_shared_table_info(CallContext& call);

/* Single values, lines, logs, snapshots, HA and parameters. */
int branch_get_start_profile(CallContext& call);
int branch_get_trace_file(CallContext& call);
int branch_get_environment(CallContext& call);
int branch_parameter_value(CallContext& call);
int branch_get_alert_tree(CallContext& call);
int branch_get_alerts(CallContext& call);
int branch_list_developer_traces(CallContext& call);
int branch_read_developer_trace(CallContext& call);
int branch_read_log_file(CallContext& call);
int branch_analyse_log_files(CallContext& call);
int branch_list_log_files(CallContext& call);
int branch_get_log_file_list(CallContext& call);
int branch_os_execute(CallContext& call);
int branch_get_callstack(CallContext& call);
int branch_j2ee_enable_dbg_session(CallContext& call);
int branch_get_system_instance_list(CallContext& call);
int branch_xcm_get_thread_list(CallContext& call);
int branch_xcm_get_connection_list(CallContext& call);
int branch_xcm_get_proxy_connection_list(CallContext& call);
int branch_xcm_get_cache_entries(CallContext& call);
int branch_web_disp_get_server_list(CallContext& call);
int branch_get_process_parameter(CallContext& call);
int branch_enq_get_statistic(CallContext& call);
int branch_enq_get_lock_table(CallContext& call);
int branch_j2ee_get_thread_call_stack(CallContext& call);
int branch_j2ee_get_thread_task_stack(CallContext& call);
int branch_create_snapshot(CallContext& call);
int branch_read_snapshot(CallContext& call);
int branch_list_snapshots(CallContext& call);
int branch_request_logon_file(CallContext& call);
int branch_ha_check_config(CallContext& call);
int branch_ha_check_failover_config(CallContext& call);
int branch_ha_get_failover_config(CallContext& call);

#endif
