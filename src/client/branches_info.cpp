// Single values, text lines, logs, snapshots, HA, parameters, XCM, web
// dispatcher and enqueue listings.
#include "client/branch_helpers.h"
#include "client/snapshot_file.h"
#include "client/snapshot_reply.h"
#include "u16/u16.h"

namespace {

constexpr const QOR_UC* kNoHeader = cU("");
constexpr const QOR_UC* kEmptyLine = cU("\n");
constexpr const QOR_UC* kScript = cU("script");

using R_Snapshot = QORControl__SnapshotInfo;
constexpr Column<R_Snapshot> kSnapshotColumns[] = {
    QOR_COL_STRING(R_Snapshot, filename, "filename"),
    QOR_COL_INT64(R_Snapshot, size, "size"),
    QOR_COL_STRING(R_Snapshot, modtime, "modtime"),
    QOR_COL_STRING(R_Snapshot, description, "decription"),
};

using R_HaCheck = QORControl__HACheck;
constexpr Column<R_HaCheck> kHaCheckColumns[] = {
    QOR_COL_ENUM(R_HaCheck, state, "HAVerificationState", "state"),
    QOR_COL_ENUM(R_HaCheck, category, "HACheckCategory", "category"),
    QOR_COL_STRING(R_HaCheck, description, "description"),
    QOR_COL_STRING(R_HaCheck, comment, "comment"),
};

using R_Lock = QORControl__EnqLock;
constexpr Column<R_Lock> kLockColumns[] = {
    QOR_COL_STRING(R_Lock, lock_name, "lock_name"),
    QOR_COL_STRING(R_Lock, lock_arg, "lock_arg"),
    QOR_COL_STRING(R_Lock, lock_mode, "lock_mode"),
    QOR_COL_STRING(R_Lock, owner, "owner"),
    QOR_COL_STRING(R_Lock, owner_vb, "owner_vb"),
    QOR_COL_INT(R_Lock, use_count_owner, "use_count_owner"),
    QOR_COL_INT(R_Lock, use_count_owner_vb, "use_count_owner_vb"),
    QOR_COL_STRING(R_Lock, client, "client"),
    QOR_COL_STRING(R_Lock, user, "user"),
    QOR_COL_STRING(R_Lock, transaction, "transaction"),
    QOR_COL_STRING(R_Lock, object, "object"),
    QOR_COL_BOOL(R_Lock, backup, "backup"),
};

// A string that prints "<NULL>" when absent.
void print_string_or_null(struct soap* soap, const QOR_UC* label, const char* value, int index,
                          int last, const QOR_UC* format)
{
    print_string_field(soap, label, value != nullptr ? value : "<NULL>", index, last, format);
}

using R_Parameter = QORControl__ProfileParameter;
constexpr Column<R_Parameter> kParameterColumns[] = {
    QOR_COL_STRING(R_Parameter, name, "name"),
    QOR_COL_STRING(R_Parameter, group, "group"),
    QOR_COL_STRING(R_Parameter, description, "description"),
    QOR_COL_STRING(R_Parameter, unit, "unit"),
    Column<R_Parameter>{
        cU("restriction"),
        [](struct soap* s, const R_Parameter& r, const QOR_UC* l, int i, int last,
           const QOR_UC* f) { print_restriction_field(s, l, &r.restriction, i, last, f); }},
    Column<R_Parameter>{
        cU("subpara"),
        [](struct soap* s, const R_Parameter& r, const QOR_UC* l, int i, int last,
           const QOR_UC* f) { print_parameter_descriptions(s, l, r.sub_para, i, last, f); }},
    Column<R_Parameter>{cU("value"),
                        [](struct soap* s, const R_Parameter& r, const QOR_UC* l, int i, int last,
                           const QOR_UC* f) { print_string_or_null(s, l, r.value, i, last, f); }},
    Column<R_Parameter>{
        cU("dynamic_value"),
        [](struct soap* s, const R_Parameter& r, const QOR_UC* l, int i, int last,
           const QOR_UC* f) { print_string_or_null(s, l, r.dynamic_value, i, last, f); }},
    QOR_COL_STRINGS(R_Parameter, values, "values"),
    QOR_COL_STRINGS(R_Parameter, dynamic_values, "dynamic_values"),
};

using R_WebDisp = QORControl__WebDispServer;
constexpr Column<R_WebDisp> kWebDispColumns[] = {
    QOR_COL_STRING(R_WebDisp, sid, "sid"),
    QOR_COL_STRING(R_WebDisp, instance, "instance"),
    QOR_COL_STRING(R_WebDisp, hostname, "hostname"),
    QOR_COL_STRING(R_WebDisp, protocol, "protocol"),
    QOR_COL_STRING(R_WebDisp, type, "type"),
    QOR_COL_STRING(R_WebDisp, status, "status"),
    QOR_COL_INT(R_WebDisp, capacity, "capacity"),
    QOR_COL_INT(R_WebDisp, load, "load"),
    QOR_COL_INT(R_WebDisp, port, "port"),
    QOR_COL_INT(R_WebDisp, cur_conn, "cur_conn"),
    QOR_COL_INT(R_WebDisp, peak_conn, "peak_conn"),
    QOR_COL_INT(R_WebDisp, max_conn, "max_conn"),
    QOR_COL_INT(R_WebDisp, sec_port, "sec_port"),
    QOR_COL_INT(R_WebDisp, sec_cur_conn, "sec_cur_conn"),
    QOR_COL_INT(R_WebDisp, sec_peak_conn, "sec_peak_conn"),
    QOR_COL_INT(R_WebDisp, sec_max_conn, "sec_max_conn"),
    QOR_COL_INT64(R_WebDisp, req_cnt_stateless, "req_cnt_stateless"),
    QOR_COL_INT64(R_WebDisp, req_cnt_stateful, "req_cnt_stateful"),
    QOR_COL_INT64(R_WebDisp, req_cnt_group, "req_cnt_group"),
    QOR_COL_INT64(R_WebDisp, resp_time_min, "resp_time_min"),
    QOR_COL_INT64(R_WebDisp, resp_time_avg, "resp_time_avg"),
    QOR_COL_INT64(R_WebDisp, resp_time_last, "resp_time_last"),
    QOR_COL_INT64(R_WebDisp, ping_time_last, "ping_time_last"),
};

using R_CacheEntry = QORControl__XCMCacheEntry;
constexpr Column<R_CacheEntry> kCacheEntryColumns[] = {
    QOR_COL_STRING(R_CacheEntry, name, "name"),
    QOR_COL_INT(R_CacheEntry, version, "version"),
    QOR_COL_INT64(R_CacheEntry, size, "size"),
    QOR_COL_STRING(R_CacheEntry, cache, "cache"),
    QOR_COL_STRING(R_CacheEntry, creation_time, "creation_time"),
    QOR_COL_STRING(R_CacheEntry, last_access_time, "last_access_time"),
    QOR_COL_STRING(R_CacheEntry, expiration_time, "expiration_time"),
    QOR_COL_STRING(R_CacheEntry, cacheurl, "cacheurl"),
};

using R_Proxy = QORControl__XCMProxyConnection;
constexpr Column<R_Proxy> kProxyColumns[] = {
    QOR_COL_STRING(R_Proxy, conid, "conid"),
    QOR_COL_STRING(R_Proxy, role, "role"),
    QOR_COL_STRING(R_Proxy, peer_address, "peer_address"),
    QOR_COL_INT(R_Proxy, peer_port, "peer_port"),
    QOR_COL_STRING(R_Proxy, local_address, "local_address"),
    QOR_COL_INT(R_Proxy, local_port, "local_port"),
    QOR_COL_STRING(R_Proxy, status, "status"),
    QOR_COL_INT(R_Proxy, nihdl, "nihdl"),
    QOR_COL_INT(R_Proxy, socket, "socket"),
    QOR_COL_STRING(R_Proxy, partner, "partner"),
    QOR_COL_STRING(R_Proxy, internal_convid, "internal_convid"),
    QOR_COL_STRING(R_Proxy, external_convid, "external_convid"),
    Column<R_Proxy>{
        cU("snc_context_length"),
        [](struct soap* s, const R_Proxy& r, const QOR_UC* l, int i, int last, const QOR_UC* f) {
            // Optional: an absent value prints like an absent string.
            if (r.snc_context_length != nullptr)
                print_int_field(s, l, *r.snc_context_length, i, last, f);
            else
                print_string_field(s, l, nullptr, i, last, f);
        }},
    QOR_COL_STRING(R_Proxy, failover_status, "failover_status"),
    QOR_COL_STRING(R_Proxy, disconnect_time, "disconnect_time"),
    QOR_COL_STRING(R_Proxy, objectid, "objectid"),
    QOR_COL_STRING(R_Proxy, tid_uid_mode, "tid_uid_mode"),
};

using R_Connection = QORControl__XCMConnection;
constexpr Column<R_Connection> kConnectionColumns[] = {
    QOR_COL_STRING(R_Connection, conid, "conid"),
    QOR_COL_STRING(R_Connection, protocol, "protocol"),
    QOR_COL_STRING(R_Connection, role, "role"),
    QOR_COL_STRING(R_Connection, requesttype, "requesttype"),
    QOR_COL_STRING(R_Connection, peer_address, "peer_address"),
    QOR_COL_INT(R_Connection, peer_port, "peer_port"),
    QOR_COL_STRING(R_Connection, local_address, "local_address"),
    QOR_COL_INT(R_Connection, local_port, "local_port"),
    QOR_COL_INT(R_Connection, proc_timeout, "proc_timeout"),
    QOR_COL_INT(R_Connection, keepalive_timeout, "keepalive_timeout"),
    QOR_COL_STRING(R_Connection, connection_time, "connection_time"),
    QOR_COL_INT(R_Connection, nihdl, "nihdl"),
};

using R_XcmThread = QORControl__XCMThread;
constexpr Column<R_XcmThread> kXcmThreadColumns[] = {
    QOR_COL_STRING(R_XcmThread, name, "name"),
    QOR_COL_STRING(R_XcmThread, id, "id"),
    QOR_COL_INT64(R_XcmThread, requests, "requests"),
    QOR_COL_STRING(R_XcmThread, status, "status"),
    QOR_COL_STRING(R_XcmThread, requesttype, "requesttype"),
};

using R_Instance = QORControl__QORInstance;
constexpr Column<R_Instance> kInstanceColumns[] = {
    QOR_COL_STRING(R_Instance, hostname, "hostname"),
    QOR_COL_INT(R_Instance, instanceNr, "instanceNr"),
    QOR_COL_INT(R_Instance, httpPort, "httpPort"),
    QOR_COL_INT(R_Instance, httpsPort, "httpsPort"),
    QOR_COL_STRING(R_Instance, startPriority, "startPriority"),
    QOR_COL_STRING(R_Instance, features, "features"),
    QOR_COL_ENUM(R_Instance, dispstatus, "STATE_COLOR", "dispstatus"),
};

using R_LogFile = QORControl__LogFile;
constexpr Column<R_LogFile> kLogFileColumns[] = {
    QOR_COL_STRING(R_LogFile, filename, "filename"),
    QOR_COL_INT64(R_LogFile, size, "size"),
    QOR_COL_STRING(R_LogFile, modtime, "modtime"),
    QOR_COL_STRING(R_LogFile, format, "format"),
};

using R_DirEntry = QORControl__DirEntry;
constexpr Column<R_DirEntry> kDirEntryColumns[] = {
    QOR_COL_STRING(R_DirEntry, filename, "filename"),
    QOR_COL_INT64(R_DirEntry, size, "size"),
    QOR_COL_STRING(R_DirEntry, modtime, "modtime"),
};

using R_Alert = QORControl__Alert;
constexpr Column<R_Alert> kAlertColumns[] = {
    QOR_COL_STRING(R_Alert, Object, "Object"),
    QOR_COL_STRING(R_Alert, Attribute, "Attribute"),
    QOR_COL_ENUM(R_Alert, Value, "STATE_COLOR", "Value"),
    QOR_COL_STRING(R_Alert, Description, "Description"),
    QOR_COL_STRING(R_Alert, Time, "Time"),
    QOR_COL_STRING(R_Alert, Tid, "Tid"),
    QOR_COL_STRING(R_Alert, Aid, "Aid"),
};

using R_AlertNode = QORControl__AlertNode;
constexpr Column<R_AlertNode> kAlertNodeColumns[] = {
    QOR_COL_STRING(R_AlertNode, name, "name"),
    QOR_COL_INT(R_AlertNode, parent, "parent"),
    QOR_COL_ENUM(R_AlertNode, ActualValue, "STATE_COLOR", "ActualValue"),
    QOR_COL_STRING(R_AlertNode, description, "description"),
    QOR_COL_STRING(R_AlertNode, Time, "Time"),
    QOR_COL_STRING(R_AlertNode, AnalyseTool, "AnalyseTool"),
    QOR_COL_ENUM(R_AlertNode, VisibleLevel, "VISIBLE_LEVEL", "VisibleLevel"),
    QOR_COL_ENUM(R_AlertNode, HighAlertValue, "STATE_COLOR", "HighAlertValue"),
    QOR_COL_STRING(R_AlertNode, AlDescription, "AlDescription"),
    QOR_COL_STRING(R_AlertNode, AlTime, "AlTime"),
    QOR_COL_STRING(R_AlertNode, Tid, "Tid"),
};

using R_Statistic = QORControl__EnqStatistic;
constexpr Column<R_Statistic> kStatisticColumns[] = {
    QOR_COL_INT(R_Statistic, owner_now, "owner_now"),
    QOR_COL_INT(R_Statistic, owner_high, "owner_high"),
    QOR_COL_INT(R_Statistic, owner_max, "owner_max"),
    QOR_COL_ENUM(R_Statistic, owner_state, "STATE_COLOR", "owner_state"),
    QOR_COL_INT(R_Statistic, arguments_now, "arguments_now"),
    QOR_COL_INT(R_Statistic, arguments_high, "arguments_high"),
    QOR_COL_INT(R_Statistic, arguments_max, "arguments_max"),
    QOR_COL_ENUM(R_Statistic, arguments_state, "STATE_COLOR", "arguments_state"),
    QOR_COL_INT(R_Statistic, locks_now, "locks_now"),
    QOR_COL_INT(R_Statistic, locks_high, "locks_high"),
    QOR_COL_INT(R_Statistic, locks_max, "locks_max"),
    QOR_COL_ENUM(R_Statistic, locks_state, "STATE_COLOR", "locks_state"),
    QOR_COL_INT64(R_Statistic, enqueue_requests, "enqueue_requests"),
    QOR_COL_INT64(R_Statistic, enqueue_rejects, "enqueue_rejects"),
    QOR_COL_INT64(R_Statistic, enqueue_errors, "enqueue_errors"),
    QOR_COL_INT64(R_Statistic, dequeue_requests, "dequeue_requests"),
    QOR_COL_INT64(R_Statistic, dequeue_errors, "dequeue_errors"),
    QOR_COL_INT64(R_Statistic, dequeue_all_requests, "dequeue_all_requests"),
    QOR_COL_INT64(R_Statistic, cleanup_requests, "cleanup_requests"),
    QOR_COL_INT64(R_Statistic, backup_requests, "backup_requests"),
    QOR_COL_INT64(R_Statistic, reporting_requests, "reporting_requests"),
    QOR_COL_INT64(R_Statistic, compress_requests, "compress_requests"),
    QOR_COL_INT64(R_Statistic, verify_requests, "verify_requests"),
    QOR_COL_DOUBLE(R_Statistic, lock_time, "lock_time"),
    QOR_COL_DOUBLE(R_Statistic, lock_wait_time, "lock_wait_time"),
    QOR_COL_DOUBLE(R_Statistic, server_time, "server_time"),
    QOR_COL_ENUM(R_Statistic, replication_state, "STATE_COLOR", "replication_state"),
};

// Prints a name and its lines: the text-file responses.
template <class Response>
int print_lines_result(CallContext& call, const QOR_UC* header, const Response& response)
{
    const int status = print_result_header(call.soap, call.format, call.name, header);
    if (status == 0)
        print_string_lines(call, cU("lines"), response.lines);
    return status;
}

// RequestLogonFile and ParameterValue: one value with an empty field name.
int print_single_value(CallContext& call, const char* value)
{
    const int status = print_result_header(call.soap, call.format, call.name, kEmptyLine);
    if (status == 0)
        print_string_field(call.soap, cU(""), value, 0, 1, call.format);
    return status;
}

} // namespace

void print_string_lines(CallContext& call, const QOR_UC* label,
                        const QORControl__ArrayOfString& lines)
{
    if (lines.__ptr == nullptr)
        return;
    for (int i = 0; i < lines.__size; ++i)
        print_string_field(call.soap, label, lines.__ptr[i], i, 1, call.format);
}

int branch_request_logon_file(CallContext& call)
{
    char* filename = nullptr;
    soap_call_QORControl__RequestLogonFile(call.soap, call.endpoint, kNoAction,
                                           call.settings.args.logon_user, &filename);
    return print_single_value(call, filename);
}

int branch_parameter_value(CallContext& call)
{
    char* value = nullptr;
    soap_call_QORControl__ParameterValue(call.soap, call.endpoint, kNoAction,
                                         call.settings.args.parameter, &value);
    return print_single_value(call, value);
}

int branch_create_snapshot(CallContext& call)
{
    WebmethodArgs& a = call.settings.args;
    QORControl__ArrayOfString files = list_array(call.soap, a.list);
    QORControl__CreateSnapshotResponse response;
    soap_call_QORControl__CreateSnapshot(
        call.soap, call.endpoint, kNoAction, a.description, a.datcol_param, a.severity, a.starttime,
        a.endtime, a.analyse_maxentries, a.snapshot_maxentries, files, response);
    const int status = print_result_header(call.soap, call.format, call.name, kNoHeader);
    if (status == 0)
        print_string_field(call.soap, cU("filename"), response.filename, -1, 1, kScript);
    return status;
}

int branch_j2ee_enable_dbg_session(CallContext& call)
{
    const WebmethodArgs& a = call.settings.args;
    QORControl__J2EEEnableDbgSessionResponse response;
    soap_call_QORControl__J2EEEnableDbgSession(call.soap, call.endpoint, kNoAction, a.processname,
                                               a.dbg_flags, a.dbg_client, response);
    const int status = print_result_header(call.soap, call.format, call.name, cU("key, port\n"));
    if (status == 0) {
        print_string_field(call.soap, cU("key"), response.key, 0, 0, call.format);
        print_int_field(call.soap, cU("port"), response.port, 0, 1, call.format);
    }
    return status;
}

int branch_enq_get_statistic(CallContext& call)
{
    QORControl__EnqStatistic statistic;
    soap_call_QORControl__EnqGetStatistic(call.soap, call.endpoint, kNoAction, statistic);
    const int status =
        print_result_header(call.soap, call.format, cU("EnqGetStatistic"), kNoHeader);
    if (status == 0) {
        // One line per field without an index, in both formats.
        constexpr std::size_t kCount = sizeof kStatisticColumns / sizeof kStatisticColumns[0];
        for (std::size_t c = 0; c < kCount; ++c)
            kStatisticColumns[c].print(call.soap, statistic, kStatisticColumns[c].label, -1,
                                       c + 1 == kCount, kScript);
    }
    return status;
}

int branch_ha_get_failover_config(CallContext& call)
{
    QORControl__HAGetFailoverConfigResponse response;
    soap_call_QORControl__HAGetFailoverConfig(call.soap, call.endpoint, kNoAction, response);
    const int status = print_result_header(call.soap, call.format, call.name, kNoHeader);
    if (status != 0)
        return status;
    struct soap* soap = call.soap;
    print_bool_field(soap, cU("HAActive"), response.HAActive, -1, 0, kScript);
    print_string_field(soap, cU("HAProductVersion"), response.HAProductVersion, -1, 0, kScript);
    print_string_field(soap, cU("HAQORInterfaceVersion"), response.HAQORInterfaceVersion, -1, 0,
                       kScript);
    print_string_field(soap, cU("HADocumentation"), response.HADocumentation, -1, 0, kScript);
    print_string_field(soap, cU("HAActiveNode"), response.HAActiveNode, -1, 0, kScript);
    printfU16(cU("HANodes: "));
    const QORControl__ArrayOfString& nodes = response.HANodes;
    if (nodes.__ptr != nullptr) {
        for (int i = 0; i < nodes.__size; ++i)
            print_string_field(soap, cU("HANodes"), nodes.__ptr[i], -1, i + 1 == nodes.__size,
                               cU("list"));
    }
    return status;
}

int branch_os_execute(CallContext& call)
{
    const WebmethodArgs& a = call.settings.args;
    QORControl__OSExecuteResponse response;
    soap_call_QORControl__OSExecute(call.soap, call.endpoint, kNoAction, a.command, a.async,
                                    a.exec_timeout, a.protocolfile, response);
    const int status =
        print_result_header(call.soap, call.format, call.name, cU("exitcode, pid, lines\n"));
    if (status == 0) {
        print_int_field(call.soap, cU("exitcode"), response.exitcode, 0, 0, call.format);
        print_int_field(call.soap, cU("pid"), response.pid, 0, 1, call.format);
        print_string_lines(call, cU("lines"), response.lines);
    }
    return status;
}

int branch_analyse_log_files(CallContext& call)
{
    const WebmethodArgs& a = call.settings.args;
    QORControl__AnalyseLogFilesResponse response;
    soap_call_QORControl__AnalyseLogFiles(call.soap, call.endpoint, kNoAction, a.starttime,
                                          a.endtime, a.severity, a.analyse_maxentries, response);
    const int status = print_result_header(call.soap, call.format, call.name, cU("fields\n"));
    if (status == 0) {
        print_string_field(call.soap, cU("format"), response.format, 0, 1, call.format);
        print_string_lines(call, cU("fields"), response.fields);
    }
    return status;
}

int branch_read_log_file(CallContext& call)
{
    const WebmethodArgs& a = call.settings.args;
    QORControl__ReadLogFileResponse response;
    soap_call_QORControl__ReadLogFile(call.soap, call.endpoint, kNoAction, a.filename, a.filter,
                                      a.language, a.maxentries, a.cookie, response);
    const int status = print_result_header(call.soap, call.format, call.name, cU("fields\n"));
    if (status == 0) {
        print_string_field(call.soap, cU("format"), response.format, 0, 1, call.format);
        print_string_field(call.soap, cU("startcookie"), response.startcookie, 0, 1, call.format);
        print_string_field(call.soap, cU("endcookie"), response.endcookie, 0, 1, call.format);
        print_string_lines(call, cU("fields"), response.fields);
    }
    return status;
}

int branch_get_start_profile(CallContext& call)
{
    QORControl__GetStartProfileResponse response;
    soap_call_QORControl__GetStartProfile(call.soap, call.endpoint, kNoAction, response);
    const int status = print_result_header(call.soap, call.format, call.name, kNoHeader);
    if (status == 0) {
        const bool list = is_list_format(call.format);
        print_string_field(call.soap, cU("name"), response.name, list ? -1 : 0, 0, kScript);
        if (list)
            printfU16(cU("lines\n"));
        print_string_lines(call, cU("lines"), response.lines);
    }
    return status;
}

int branch_get_callstack(CallContext& call)
{
    QORControl__GetCallstackResponse response;
    soap_call_QORControl__GetCallstack(call.soap, call.endpoint, kNoAction, call.settings.args.pid,
                                       response);
    return print_lines_result(call, kNoHeader, response);
}

int branch_get_trace_file(CallContext& call)
{
    QORControl__GetTraceFileResponse response;
    soap_call_QORControl__GetTraceFile(call.soap, call.endpoint, kNoAction, response);
    return print_lines_result(call, cU("lines\n"), response);
}

int branch_read_developer_trace(CallContext& call)
{
    QORControl__ReadDeveloperTraceResponse response;
    soap_call_QORControl__ReadDeveloperTrace(call.soap, call.endpoint, kNoAction,
                                             call.settings.args.filename, call.settings.args.size,
                                             response);
    return print_lines_result(call, cU("lines\n"), response);
}

int branch_j2ee_get_thread_call_stack(CallContext& call)
{
    QORControl__J2EEGetThreadCallStackResponse response;
    soap_call_QORControl__J2EEGetThreadCallStack(call.soap, call.endpoint, kNoAction,
                                                 call.settings.args.thread_index, response);
    return print_lines_result(call, cU("lines\n"), response);
}

int branch_j2ee_get_thread_task_stack(CallContext& call)
{
    QORControl__J2EEGetThreadTaskStackResponse response;
    soap_call_QORControl__J2EEGetThreadTaskStack(call.soap, call.endpoint, kNoAction,
                                                 call.settings.args.thread_index, response);
    return print_lines_result(call, cU("lines\n"), response);
}

int branch_get_environment(CallContext& call)
{
    QORControl__ArrayOfString env;
    soap_call_QORControl__GetEnvironment(call.soap, call.endpoint, kNoAction, env);
    const int status = print_result_header(call.soap, call.format, call.name, cU("lines\n"));
    if (status == 0)
        print_string_lines(call, cU("lines"), env);
    return status;
}

int branch_get_log_file_list(CallContext& call)
{
    QORControl__ArrayOfString files;
    soap_call_QORControl__GetLogFileList(call.soap, call.endpoint, kNoAction, files);
    const int status = print_result_header(call.soap, call.format, call.name, cU("filename\n"));
    if (status == 0)
        print_string_lines(call, cU("filename"), files);
    return status;
}

int branch_read_snapshot(CallContext& call)
{
    SnapshotData snapshot;
    call_read_snapshot(call.soap, call.endpoint, kNoAction, call.settings.args.filename, &snapshot);
    const int status = print_result_header(call.soap, call.format, call.name, kNoHeader);
    if (status != 0)
        return status;
    return write_snapshot_file(call.settings.args.local_filename, snapshot.bytes, snapshot.size);
}

int branch_list_snapshots(CallContext& call)
{
    QORControl__ArrayOfSnapshotInfo result;
    soap_call_QORControl__ListSnapshots(call.soap, call.endpoint, kNoAction, result);
    return print_list_result(call, cU("filename, size, modtime, description\n"), result,
                             kSnapshotColumns);
}

int branch_ha_check_config(CallContext& call)
{
    QORControl__ArrayOfHACheck result;
    soap_call_QORControl__HACheckConfig(call.soap, call.endpoint, kNoAction, result);
    return print_list_result(call, result, kHaCheckColumns);
}

int branch_ha_check_failover_config(CallContext& call)
{
    QORControl__ArrayOfHACheck result;
    soap_call_QORControl__HACheckFailoverConfig(call.soap, call.endpoint, kNoAction, result);
    return print_list_result(call, result, kHaCheckColumns);
}

int branch_enq_get_lock_table(CallContext& call)
{
    QORControl__ArrayOfEnqLock result;
    soap_call_QORControl__EnqGetLockTable(call.soap, call.endpoint, kNoAction, result);
    return print_list_result(call, result, kLockColumns);
}

int branch_get_process_parameter(CallContext& call)
{
    QORControl__ArrayOfProfileParameter result;
    soap_call_QORControl__GetProcessParameter(call.soap, call.endpoint, kNoAction,
                                              call.settings.args.processtype,
                                              call.settings.args.process_pid, result);
    return print_list_result(call,
                             cU("name, group, description, unit, restriction, sub_para, value, "
                                "dynamic_value, values, dynamic_values\n"),
                             result, kParameterColumns);
}

int branch_web_disp_get_server_list(CallContext& call)
{
    QORControl__ArrayOfWebDispServer result;
    soap_call_QORControl__WebDispGetServerList(call.soap, call.endpoint, kNoAction, result);
    return print_list_result(call, result, kWebDispColumns);
}

int branch_xcm_get_cache_entries(CallContext& call)
{
    QORControl__ArrayOfXCMCacheEntry result;
    soap_call_QORControl__XCMGetCacheEntries(call.soap, call.endpoint, kNoAction, result);
    return print_list_result(call, result, kCacheEntryColumns);
}

int branch_xcm_get_proxy_connection_list(CallContext& call)
{
    QORControl__ArrayOfXCMProxyConnection result;
    soap_call_QORControl__XCMGetProxyConnectionList(call.soap, call.endpoint, kNoAction, result);
    return print_list_result(call, result, kProxyColumns);
}

int branch_xcm_get_connection_list(CallContext& call)
{
    QORControl__ArrayOfXCMConnection result;
    soap_call_QORControl__XCMGetConnectionList(call.soap, call.endpoint, kNoAction, result);
    return print_list_result(call, result, kConnectionColumns);
}

int branch_xcm_get_thread_list(CallContext& call)
{
    QORControl__ArrayOfXCMThread result;
    soap_call_QORControl__XCMGetThreadList(call.soap, call.endpoint, kNoAction, result);
    return print_list_result(call, result, kXcmThreadColumns);
}

int branch_get_system_instance_list(CallContext& call)
{
    QORControl__ArrayOfQORInstance result;
    soap_call_QORControl__GetSystemInstanceList(call.soap, call.endpoint, kNoAction,
                                                call.settings.args.timeout, result);
    return print_list_result(call, result, kInstanceColumns);
}

int branch_list_log_files(CallContext& call)
{
    QORControl__ArrayOfLogFile result;
    soap_call_QORControl__ListLogFiles(call.soap, call.endpoint, kNoAction, result);
    return print_list_result(call, result, kLogFileColumns);
}

int branch_list_developer_traces(CallContext& call)
{
    QORControl__ArrayOfDirEntry result;
    soap_call_QORControl__ListDeveloperTraces(call.soap, call.endpoint, kNoAction, result);
    return print_list_result(call, result, kDirEntryColumns);
}

int branch_get_alerts(CallContext& call)
{
    QORControl__GetAlertsResponse response;
    char root_tid[] = "";
    soap_call_QORControl__GetAlerts(call.soap, call.endpoint, kNoAction, root_tid, response);
    return print_list_result(call, response.alert, kAlertColumns);
}

int branch_get_alert_tree(CallContext& call)
{
    QORControl__ArrayOfAlertNode result;
    soap_call_QORControl__GetAlertTree(call.soap, call.endpoint, kNoAction, result);
    return print_list_result(call, result, kAlertNodeColumns);
}
