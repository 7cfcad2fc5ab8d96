// Instance information, VORN work processes and system log, access points
// and the J2EE engine's lists. The column headers are fixed texts that do
// not always name every printed field; scripts rely on both as they are.
#include "client/branch_helpers.h"

namespace {

using R_Version = QORControl__InstanceVersionInfo;
constexpr Column<R_Version> kVersionColumns[] = {
    QOR_COL_STRING(R_Version, Filename, "Filename"),
    QOR_COL_STRING(R_Version, VersionInfo, "VersionInfo"),
    QOR_COL_STRING(R_Version, Time, "Time"),
};

using R_Queue = QORControl__TaskHandlerQueue;
constexpr Column<R_Queue> kQueueColumns[] = {
    QOR_COL_STRING(R_Queue, Typ, "Typ"),    QOR_COL_INT(R_Queue, Now, "Now"),
    QOR_COL_INT(R_Queue, High, "High"),     QOR_COL_INT(R_Queue, Max, "Max"),
    QOR_COL_INT(R_Queue, Writes, "Writes"), QOR_COL_INT(R_Queue, Reads, "Reads"),
};

using R_Property = QORControl__InstanceProperty;
constexpr Column<R_Property> kPropertyColumns[] = {
    QOR_COL_STRING(R_Property, property, "property"),
    QOR_COL_STRING(R_Property, propertytype, "propertytype"),
    QOR_COL_STRING(R_Property, value, "value"),
};

#define QOR_WP_COLUMNS(R)                                                                          \
    QOR_COL_INT(R, No, "No"), QOR_COL_STRING(R, Typ, "Typ"), QOR_COL_INT(R, Pid, "Pid"),           \
        QOR_COL_STRING(R, Status, "Status"), QOR_COL_STRING(R, Reason, "Reason"),                  \
        QOR_COL_STRING(R, Start, "Start"), QOR_COL_STRING(R, Err, "Err"),                          \
        QOR_COL_STRING(R, Sem, "Sem"), QOR_COL_STRING(R, Cpu, "Cpu"),                              \
        QOR_COL_STRING(R, Time, "Time"), QOR_COL_STRING(R, Program, "Program"),                    \
        QOR_COL_STRING(R, Client, "Client"), QOR_COL_STRING(R, User, "User"),                      \
        QOR_COL_STRING(R, Action, "Action"), QOR_COL_STRING(R, Table, "Table")

using R_Wp = QORControl__WorkProcess;
constexpr Column<R_Wp> kWpColumns[] = {QOR_WP_COLUMNS(R_Wp)};

using R_SysWp = QORControl__SystemWorkProcess;
constexpr Column<R_SysWp> kSysWpColumns[] = {
    QOR_COL_STRING(R_SysWp, Instance, "Instance"),
    QOR_WP_COLUMNS(R_SysWp),
};

using R_Syslog = QORControl__SyslogEntry;
constexpr Column<R_Syslog> kSyslogColumns[] = {
    QOR_COL_STRING(R_Syslog, Time, "Time"),
    QOR_COL_STRING(R_Syslog, Typ, "Typ"),
    QOR_COL_STRING(R_Syslog, Client, "Client"),
    QOR_COL_STRING(R_Syslog, User, "User"),
    QOR_COL_STRING(R_Syslog, Tcode, "Tcode"),
    QOR_COL_STRING(R_Syslog, MNo, "MNo"),
    QOR_COL_STRING(R_Syslog, Text, "Text"),
    QOR_COL_ENUM(R_Syslog, Severity, "STATE_COLOR", "Severity"),
};

using R_Access = QORControl__AccessPoint;
constexpr Column<R_Access> kAccessColumns[] = {
    QOR_COL_STRING(R_Access, address, "address"),
    QOR_COL_INT(R_Access, port, "port"),
    QOR_COL_STRING(R_Access, protocol, "protocol"),
    QOR_COL_STRING(R_Access, processname, "processname"),
    QOR_COL_STRING(R_Access, active, "active"),
};

#define QOR_J2EE_PROCESS_COLUMNS(R)                                                                \
    QOR_COL_INT(R, telnetPort, "telnetPort"), QOR_COL_STRING(R, name, "name"),                     \
        QOR_COL_INT(R, pid, "pid"), QOR_COL_STRING(R, type, "type"),                               \
        QOR_COL_STRING(R, restart, "restart"), QOR_COL_STRING(R, exitCode, "exitCode"),            \
        QOR_COL_ENUM(R, state, "J2EE_PSTATE", "state"), QOR_COL_STRING(R, statetext, "statetext"), \
        QOR_COL_STRING(R, startTime, "startTime"), QOR_COL_STRING(R, elapsedTime, "elapsedTime"),  \
        QOR_COL_INT(R, restartCount, "restartCount"), QOR_COL_INT(R, errorCount, "errorCount"),    \
        QOR_COL_STRING(R, cpu, "cpu"), QOR_COL_STRING(R, debug, "debug")

using R_J2eeProcess = QORControl__J2EEProcess;
constexpr Column<R_J2eeProcess> kJ2eeProcessColumns[] = {QOR_J2EE_PROCESS_COLUMNS(R_J2eeProcess)};

using R_J2eeProcess2 = QORControl__J2EEProcess2;
constexpr Column<R_J2eeProcess2> kJ2eeProcess2Columns[] = {
    QOR_J2EE_PROCESS_COLUMNS(R_J2eeProcess2),
    QOR_COL_INT(R_J2eeProcess2, clusterId, "clusterId"),
};

#define QOR_J2EE_THREAD_COLUMNS(R)                                                                 \
    QOR_COL_STRING(R, processname, "processname"), QOR_COL_STRING(R, startTime, "startTime"),      \
        QOR_COL_STRING(R, updateTime, "updateTime"),                                               \
        QOR_COL_STRING(R, taskupdateTime, "taskupdateTime"),                                       \
        QOR_COL_STRING(R, subtaskupdateTime, "subtaskupdateTime"),                                 \
        QOR_COL_STRING(R, task, "task"), QOR_COL_STRING(R, subtask, "subtask"),                    \
        QOR_COL_STRING(R, name, "name"), QOR_COL_STRING(R, classname, "classname"),                \
        QOR_COL_STRING(R, user, "user"), QOR_COL_STRING(R, pool, "pool"),                          \
        QOR_COL_STRING(R, state, "state"),                                                         \
        QOR_COL_ENUM(R, dispstatus, "STATE_COLOR", "dispstatus")

using R_Thread = QORControl__J2EEThread;
constexpr Column<R_Thread> kThreadColumns[] = {QOR_J2EE_THREAD_COLUMNS(R_Thread)};

using R_Thread2 = QORControl__J2EEThread2;
constexpr Column<R_Thread2> kThread2Columns[] = {
    QOR_J2EE_THREAD_COLUMNS(R_Thread2),
    QOR_COL_INT(R_Thread2, index, "index"),
};

using R_Session = QORControl__J2EESession;
constexpr Column<R_Session> kSessionColumns[] = {
    QOR_COL_STRING(R_Session, processname, "processname"),
    QOR_COL_INT(R_Session, IdHash, "IdHash"),
    QOR_COL_INT(R_Session, size, "size"),
    QOR_COL_INT(R_Session, timeout, "timeout"),
    QOR_COL_INT(R_Session, activeRequests, "activeRequests"),
    QOR_COL_STRING(R_Session, startTime, "startTime"),
    QOR_COL_STRING(R_Session, updateTime, "updateTime"),
    QOR_COL_STRING(R_Session, sticky, "sticky"),
    QOR_COL_STRING(R_Session, corrupt, "corrupt"),
    QOR_COL_STRING(R_Session, backingStore, "backingStore"),
};

#define QOR_WEB_SESSION_COLUMNS(R)                                                                 \
    QOR_COL_STRING(R, processname, "processname"), QOR_COL_INT(R, IdHash, "IdHash"),               \
        QOR_COL_INT(R, size, "size"), QOR_COL_INT(R, timeout, "timeout"),                          \
        QOR_COL_INT(R, activeRequests, "activeRequests"),                                          \
        QOR_COL_STRING(R, startTime, "startTime"), QOR_COL_STRING(R, updateTime, "updateTime"),    \
        QOR_COL_STRING(R, state, "state"), QOR_COL_STRING(R, backingStore, "backingStore"),        \
        QOR_COL_STRING(R, user, "user")

using R_WebSession = QORControl__J2EEWebSession;
constexpr Column<R_WebSession> kWebSessionColumns[] = {QOR_WEB_SESSION_COLUMNS(R_WebSession)};

using R_WebSession2 = QORControl__J2EEWebSession2;
constexpr Column<R_WebSession2> kWebSession2Columns[] = {
    QOR_WEB_SESSION_COLUMNS(R_WebSession2),
    QOR_COL_STRING(R_WebSession2, AppName, "AppName"),
};

#define QOR_CACHE_COUNTER_COLUMNS(R)                                                               \
    QOR_COL_INT64(R, size, "size"), QOR_COL_INT64(R, attrSize, "attrSize"),                        \
        QOR_COL_INT64(R, keysSize, "keysSize"), QOR_COL_INT(R, cachedObjects, "cachedObjects"),    \
        QOR_COL_INT(R, usedObjects, "usedObjects"), QOR_COL_INT(R, puts, "puts"),                  \
        QOR_COL_INT(R, gets, "gets"), QOR_COL_INT(R, hits, "hits"),                                \
        QOR_COL_INT(R, changes, "changes"), QOR_COL_INT(R, removes, "removes"),                    \
        QOR_COL_INT(R, evictions, "evictions"),                                                    \
        QOR_COL_INT(R, instanceInvalidations, "instanceInvalidations"),                            \
        QOR_COL_INT(R, clusterInvalidations, "clusterInvalidations"),                              \
        QOR_COL_STRING(R, updateTime, "updateTime"),                                               \
        QOR_COL_ENUM(R, dispstatus, "STATE_COLOR", "dispstatus")

using R_Cache = QORControl__J2EECache;
constexpr Column<R_Cache> kCacheColumns[] = {
    QOR_COL_STRING(R_Cache, cachename, "cachename"),
    QOR_COL_STRING(R_Cache, processname, "processname"),
    QOR_COL_STRING(R_Cache, type, "type"),
    QOR_CACHE_COUNTER_COLUMNS(R_Cache),
};

using R_Cache2 = QORControl__J2EECache2;
constexpr Column<R_Cache2> kCache2Columns[] = {
    QOR_COL_STRING(R_Cache2, description, "description"),
    QOR_COL_STRING(R_Cache2, owner, "owner"),
    QOR_COL_STRING(R_Cache2, processname, "processname"),
    QOR_COL_STRING(R_Cache2, type, "type"),
    QOR_CACHE_COUNTER_COLUMNS(R_Cache2),
};

using R_Alias = QORControl__J2EEApplicationAlias;
constexpr Column<R_Alias> kAliasColumns[] = {
    QOR_COL_STRING(R_Alias, AppName, "AppName"),
    QOR_COL_STRING(R_Alias, Alias, "Alias"),
    QOR_COL_INT(R_Alias, TotalRequests, "TotalRequests"),
    QOR_COL_STRING(R_Alias, AppActive, "AppActive"),
    QOR_COL_STRING(R_Alias, IgnoreCookie, "IgnoreCookie"),
};

using R_Component = QORControl__J2EEComponentInfo;
constexpr Column<R_Component> kComponentColumns[] = {
    QOR_COL_STRING(R_Component, type, "type"),
    QOR_COL_STRING(R_Component, name, "name"),
    QOR_COL_STRING(R_Component, startupmode, "startupmode"),
    QOR_COL_STRING(R_Component, status, "status"),
    QOR_COL_STRING(R_Component, expectedstatus, "expectedstatus"),
    QOR_COL_ENUM(R_Component, dispstatus, "STATE_COLOR", "dispstatus"),
    QOR_COL_STRING(R_Component, details, "details"),
};

using R_Heap = QORControl__HeapInfo;
constexpr Column<R_Heap> kHeapColumns[] = {
    QOR_COL_STRING(R_Heap, processname, "processname"),
    QOR_COL_STRING(R_Heap, type, "type"),
    QOR_COL_INT64(R_Heap, size, "size"),
    QOR_COL_INT64(R_Heap, commitSize, "commitSize"),
    QOR_COL_INT64(R_Heap, maxUsedSize, "maxUsedSize"),
    QOR_COL_INT64(R_Heap, initialSize, "initialSize"),
    QOR_COL_INT64(R_Heap, maxSize, "maxSize"),
    QOR_COL_ENUM(R_Heap, dispstatus, "STATE_COLOR", "dispstatus"),
};

#define QOR_GC_COLUMNS(R)                                                                          \
    QOR_COL_STRING(R, processname, "processname"), QOR_COL_STRING(R, type, "type"),                \
        QOR_COL_STRING(R, reason, "reason"), QOR_COL_STRING(R, startTime, "startTime"),            \
        QOR_COL_INT(R, duration, "duration"), QOR_COL_INT(R, cpuTime, "cpuTime"),                  \
        QOR_COL_INT64(R, objBytesBefore, "objBytesBefore"),                                        \
        QOR_COL_INT64(R, objBytesAfter, "objBytesAfter"),                                          \
        QOR_COL_INT64(R, objBytesFreed, "objBytesFreed"),                                          \
        QOR_COL_INT64(R, clsBytesBefore, "clsBytesBefore"),                                        \
        QOR_COL_INT64(R, clsBytesAfter, "clsBytesAfter"),                                          \
        QOR_COL_INT64(R, clsBytesFreed, "clsBytesFreed"), QOR_COL_INT64(R, heapSize, "heapSize"),  \
        QOR_COL_INT(R, unloadedClasses, "unloadedClasses")

using R_Gc = QORControl__GCInfo;
constexpr Column<R_Gc> kGcColumns[] = {QOR_GC_COLUMNS(R_Gc)};

using R_Gc2 = QORControl__GCInfo2;
constexpr Column<R_Gc2> kGc2Columns[] = {
    QOR_GC_COLUMNS(R_Gc2),
    QOR_COL_INT64(R_Gc2, pageFaults, "pageFaults"),
    QOR_COL_ENUM(R_Gc2, dispstatus, "STATE_COLOR", "dispstatus"),
};

using R_ClusterMsg = QORControl__J2EEClusterMsg;
constexpr Column<R_ClusterMsg> kClusterMsgColumns[] = {
    QOR_COL_STRING(R_ClusterMsg, service, "service"),
    QOR_COL_STRING(R_ClusterMsg, id, "id"),
    QOR_COL_INT64(R_ClusterMsg, count, "count"),
    QOR_COL_INT64(R_ClusterMsg, length, "length"),
    QOR_COL_INT64(R_ClusterMsg, avg_length, "avg_length"),
    QOR_COL_INT64(R_ClusterMsg, max_length, "max_length"),
    QOR_COL_INT64(R_ClusterMsg, count_p2p_msg, "count_p2p_msg"),
    QOR_COL_INT64(R_ClusterMsg, count_p2p_request, "count_p2p_request"),
    QOR_COL_INT64(R_ClusterMsg, count_p2p_reply, "count_p2p_reply"),
    QOR_COL_INT64(R_ClusterMsg, count_broadcast_msg, "count_broadcast_msg"),
    QOR_COL_INT64(R_ClusterMsg, count_broadcast_request, "count_broadcast_request"),
};

using R_SharedTable = QORControl__J2EESharedTableInfo;
constexpr Column<R_SharedTable> kSharedTableColumns[] = {
    QOR_COL_STRING(R_SharedTable, table, "table"),
    QOR_COL_INT(R_SharedTable, used, "used"),
    QOR_COL_INT(R_SharedTable, peak, "peak"),
    QOR_COL_INT(R_SharedTable, limit, "limit"),
    QOR_COL_ENUM(R_SharedTable, dispstatus, "STATE_COLOR", "dispstatus"),
};

using R_Ejb = QORControl__J2EEEJBSession;
constexpr Column<R_Ejb> kEjbColumns[] = {
    QOR_COL_INT(R_Ejb, IdHash, "IdHash"),
    QOR_COL_STRING(R_Ejb, state, "state"),
    QOR_COL_INT(R_Ejb, size, "size"),
    QOR_COL_INT(R_Ejb, activeRequests, "activeRequests"),
    QOR_COL_INT(R_Ejb, totalRequests, "totalRequests"),
    QOR_COL_STRING(R_Ejb, backingStore, "backingStore"),
    QOR_COL_STRING(R_Ejb, processname, "processname"),
    QOR_COL_STRING(R_Ejb, startTime, "startTime"),
    QOR_COL_STRING(R_Ejb, updateTime, "updateTime"),
    QOR_COL_INT(R_Ejb, responseTime, "responseTime"),
    QOR_COL_STRING(R_Ejb, user, "user"),
    QOR_COL_STRING(R_Ejb, transaction, "transaction"),
    QOR_COL_STRING(R_Ejb, ejb, "ejb"),
    QOR_COL_STRING(R_Ejb, application, "application"),
    QOR_COL_STRING(R_Ejb, reference, "reference"),
};

using R_Remote = QORControl__J2EERemoteObject;
constexpr Column<R_Remote> kRemoteColumns[] = {
    QOR_COL_INT(R_Remote, IdHash, "IdHash"),
    QOR_COL_STRING(R_Remote, address, "address"),
    QOR_COL_INT(R_Remote, port, "port"),
    QOR_COL_STRING(R_Remote, protocol, "protocol"),
    QOR_COL_STRING(R_Remote, direction, "direction"),
    QOR_COL_INT(R_Remote, stubs, "stubs"),
    QOR_COL_INT(R_Remote, implementations, "implementations"),
    QOR_COL_STRING(R_Remote, creationTime, "creationTime"),
    QOR_COL_STRING(R_Remote, updateTime, "updateTime"),
    QOR_COL_STRING(R_Remote, processname, "processname"),
};

constexpr const QOR_UC kCacheHeader[] =
    cU("cachename, processname, type, size, attrSize, keysSize, cachedObjects, usedObjects, "
       "puts, gets, hits, changes, removes, evictions, updateTime, dispstatus\n");

constexpr const QOR_UC kGcHeader[] =
    cU("processname, type, reason, startTime, duration, cpuTime, objBytesBefore, "
       "objBytesAfter, objBytesFreed, clsBytesBefore, clsBytesAfter, clsBytesFreed, heapSize, "
       "unloadedClasses");

} // namespace

int branch_get_version_info(CallContext& call)
{
    QORControl__ArrayOfInstanceVersionInfo result;
    soap_call_QORControl__GetVersionInfo(call.soap, call.endpoint, kNoAction, result);
    return print_list_result(call, cU("Filename, VersionInfo, Time\n"), result, kVersionColumns);
}

int branch_get_queue_statistic(CallContext& call)
{
    QORControl__ArrayOfTaskHandlerQueue result;
    soap_call_QORControl__GetQueueStatistic(call.soap, call.endpoint, kNoAction, result);
    return print_list_result(call, cU("Typ, Now, High, Max, Writes, Reads\n"), result,
                             kQueueColumns);
}

int branch_get_instance_properties(CallContext& call)
{
    QORControl__ArrayOfInstanceProperties result;
    soap_call_QORControl__GetInstanceProperties(call.soap, call.endpoint, kNoAction, result);
    return print_list_result(call, cU("property, propertytype, value\n"), result, kPropertyColumns);
}

int branch_vorn_get_wp_table(CallContext& call)
{
    QORControl__ArrayOfWorkProcess result;
    soap_call_QORControl__VORNGetWPTable(call.soap, call.endpoint, kNoAction, result);
    return print_list_result(call,
                             cU("No, Typ, Pid, Status, Reason, Start, Err, Sem, Cpu, Time, "
                                "Program, Client, User, Action, Table\n"),
                             result, kWpColumns);
}

int branch_vorn_get_system_wp_table(CallContext& call)
{
    QORControl__ArrayOfSystemWorkProcess result;
    soap_call_QORControl__VORNGetSystemWPTable(call.soap, call.endpoint, kNoAction,
                                               call.settings.args.active_only != 0, result);
    return print_list_result(call,
                             cU("Instance, No, Typ, Pid, Status, Reason, Start, Err, Sem, Cpu, "
                                "Time, Program, Client, User, Action, Table\n"),
                             result, kSysWpColumns);
}

int branch_j2ee_get_process_list(CallContext& call)
{
    QORControl__ArrayOfJ2EEProcess result;
    soap_call_QORControl__J2EEGetProcessList(call.soap, call.endpoint, kNoAction, result);
    return print_list_result(call,
                             cU("telnetPort, name, pid, type, restart, exitCode, state, "
                                "startTime, elapsedTime, restartCount, errorCount, cpu, debug\n"),
                             result, kJ2eeProcessColumns);
}

int branch_j2ee_get_process_list2(CallContext& call)
{
    QORControl__ArrayOfJ2EEProcess2 result;
    soap_call_QORControl__J2EEGetProcessList2(call.soap, call.endpoint, kNoAction, result);
    return print_list_result(call,
                             cU("telnetPort, name, pid, type, restart, exitCode, state, "
                                "startTime, elapsedTime, restartCount, errorCount, cpu, debug, "
                                "clusterId\n"),
                             result, kJ2eeProcess2Columns);
}

int branch_j2ee_get_thread_list(CallContext& call)
{
    QORControl__ArrayOfJ2EEThread result;
    soap_call_QORControl__J2EEGetThreadList(call.soap, call.endpoint, kNoAction, result);
    return print_list_result(call,
                             cU("processname, startTime, updateTime, taskupdateTime, "
                                "subtaskupdateTime, task, subtask, name, classname, user, pool, "
                                "state\n"),
                             result, kThreadColumns);
}

int branch_j2ee_get_thread_list2(CallContext& call)
{
    QORControl__ArrayOfJ2EEThread2 result;
    soap_call_QORControl__J2EEGetThreadList2(call.soap, call.endpoint, kNoAction, result);
    return print_list_result(call,
                             cU("processname, startTime, updateTime, taskupdateTime, "
                                "subtaskupdateTime, task, subtask, name, classname, user, pool, "
                                "state, index\n"),
                             result, kThread2Columns);
}

int branch_vorn_read_syslog(CallContext& call)
{
    QORControl__ArrayOfSyslogEntry result;
    soap_call_QORControl__VORNReadSyslog(call.soap, call.endpoint, kNoAction, result);
    return print_list_result(call, cU("Time, Typ, Client, User, Tcode, MNo, Text, Severity\n"),
                             result, kSyslogColumns);
}

int branch_vorn_read_raw_syslog(CallContext& call)
{
    QORControl__ArrayOfRawSyslogEntry result;
    soap_call_QORControl__VORNReadRawSyslog(call.soap, call.endpoint, kNoAction, result);
    const int status = print_result_header(call.soap, call.format, call.name, cU("Entry\n"));
    if (status == 0 && result.__ptr != nullptr) {
        for (int i = 0; i < result.__size; ++i)
            print_string_field(call.soap, cU("Entry"), result.__ptr[i], i, 1, call.format);
    }
    return status;
}

int branch_j2ee_get_session_list(CallContext& call)
{
    QORControl__ArrayOfJ2EESession result;
    soap_call_QORControl__J2EEGetSessionList(call.soap, call.endpoint, kNoAction, result);
    return print_list_result(call,
                             cU("processname, IdHash, size, timeout, activeRequests, startTime, "
                                "updateTime, sticky, corrupt\n"),
                             result, kSessionColumns);
}

int branch_j2ee_get_web_session_list(CallContext& call)
{
    QORControl__ArrayOfJ2EEWebSession result;
    soap_call_QORControl__J2EEGetWebSessionList(call.soap, call.endpoint, kNoAction, result);
    return print_list_result(call,
                             cU("processname, IdHash, size, timeout, activeRequests, startTime, "
                                "updateTime, state, backingStore, user\n"),
                             result, kWebSessionColumns);
}

int branch_j2ee_get_web_session_list2(CallContext& call)
{
    QORControl__ArrayOfJ2EEWebSession2 result;
    soap_call_QORControl__J2EEGetWebSessionList2(call.soap, call.endpoint, kNoAction, result);
    return print_list_result(call,
                             cU("processname, IdHash, size, timeout, activeRequests, startTime, "
                                "updateTime, state, backingStore, user, AppName\n"),
                             result, kWebSession2Columns);
}

int branch_j2ee_get_cache_statistic(CallContext& call)
{
    QORControl__ArrayOfJ2EECache result;
    soap_call_QORControl__J2EEGetCacheStatistic(call.soap, call.endpoint, kNoAction, result);
    return print_list_result(call, kCacheHeader, result, kCacheColumns);
}

int branch_j2ee_get_cache_statistic2(CallContext& call)
{
    QORControl__ArrayOfJ2EECache2 result;
    soap_call_QORControl__J2EEGetCacheStatistic2(call.soap, call.endpoint, kNoAction, result);
    return print_list_result(call, kCacheHeader, result, kCache2Columns);
}

int branch_j2ee_get_application_alias_list(CallContext& call)
{
    QORControl__ArrayOfJ2EEApplicationAlias result;
    soap_call_QORControl__J2EEGetApplicationAliasList(call.soap, call.endpoint, kNoAction, result);
    return print_list_result(call, cU("AppName, Alias, TotalRequests, AppActive, IgnoreCookie\n"),
                             result, kAliasColumns);
}

int branch_j2ee_get_component_list(CallContext& call)
{
    QORControl__ArrayOfJ2EEComponentInfo result;
    soap_call_QORControl__J2EEGetComponentList(call.soap, call.endpoint, kNoAction, result);
    return print_list_result(
        call, cU("type, name, startupmode, status, expectedstatus, dispstatus, details\n"), result,
        kComponentColumns);
}

int branch_get_access_point_list(CallContext& call)
{
    QORControl__ArrayOfAccessPoint result;
    soap_call_QORControl__GetAccessPointList(call.soap, call.endpoint, kNoAction, result);
    return print_list_result(call, cU("address, port, protocol, processname, active\n"), result,
                             kAccessColumns);
}

int branch_j2ee_get_ejb_session_list(CallContext& call)
{
    QORControl__ArrayOfJ2EEEJBSession result;
    soap_call_QORControl__J2EEGetEJBSessionList(call.soap, call.endpoint, kNoAction, result);
    return print_list_result(call,
                             cU("IdHash, state, size, activeRequests, totalRequests, "
                                "backingStore, processname, startTime, updateTime, responseTime, "
                                "user, transaction, ejb, application, reference\n"),
                             result, kEjbColumns);
}

int branch_j2ee_get_remote_object_list(CallContext& call)
{
    QORControl__ArrayOfJ2EERemoteObject result;
    soap_call_QORControl__J2EEGetRemoteObjectList(call.soap, call.endpoint, kNoAction, result);
    return print_list_result(call,
                             cU("IdHash, address, port, protocol, direction, stubs, "
                                "implementations, creationTime, updateTime, processname\n"),
                             result, kRemoteColumns);
}

int branch_j2ee_get_vm_gc_history(CallContext& call)
{
    QORControl__ArrayOfGCInfo result;
    soap_call_QORControl__J2EEGetVMGCHistory(call.soap, call.endpoint, kNoAction, result);
    const std::u16string header = std::u16string(kGcHeader) + u"\n";
    return print_list_result(call, header.c_str(), result, kGcColumns);
}

int branch_j2ee_get_vm_gc_history2(CallContext& call)
{
    QORControl__ArrayOfGCInfo2 result;
    soap_call_QORControl__J2EEGetVMGCHistory2(call.soap, call.endpoint, kNoAction, result);
    const std::u16string header = std::u16string(kGcHeader) + u", pageFaults, dispstatus\n";
    return print_list_result(call, header.c_str(), result, kGc2Columns);
}

int branch_j2ee_get_vm_heap_info(CallContext& call)
{
    QORControl__ArrayOfHeapInfo result;
    soap_call_QORControl__J2EEGetVMHeapInfo(call.soap, call.endpoint, kNoAction, result);
    return print_list_result(call,
                             cU("processname, type, size, commitSize, maxUsedSize, initialSize, "
                                "maxSize, dispstatus\n"),
                             result, kHeapColumns);
}

int branch_j2ee_get_cluster_msg_list(CallContext& call)
{
    QORControl__ArrayOfJ2EEClusterMsg result;
    soap_call_QORControl__J2EEGetClusterMsgList(call.soap, call.endpoint, kNoAction, result);
    return print_list_result(call, result, kClusterMsgColumns);
}

int branch_j2ee_get_shared_table_info(CallContext& call)
{
    QORControl__ArrayOfJ2EESharedTableInfo result;
    soap_call_QORControl__J2EEGetSharedTableInfo(call.soap, call.endpoint, kNoAction, result);
    return print_list_result(call, cU("table, used, peak, limit, dispstatus\n"), result,
                             kSharedTableColumns);
}
