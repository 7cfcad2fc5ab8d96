#ifndef QOR_CLIENT_WEBMETHOD_COLUMNS_H
#define QOR_CLIENT_WEBMETHOD_COLUMNS_H

// The column tables of the record lists: per record type the printed fields
// in order, each with its label and the printer of its member.

#include "client/record_columns.h"
#include "soapH.h"

using R_Process = QORControl__OSProcess;
inline constexpr Column<R_Process> kProcessColumns[] = {
    QOR_COL_STRING(R_Process, name, "name"),
    QOR_COL_STRING(R_Process, description, "description"),
    QOR_COL_ENUM(R_Process, dispstatus, "STATE_COLOR", "dispstatus"),
    QOR_COL_STRING(R_Process, textstatus, "textstatus"),
    QOR_COL_STRING(R_Process, starttime, "starttime"),
    QOR_COL_STRING(R_Process, elapsedtime, "elapsedtime"),
    QOR_COL_INT(R_Process, pid, "pid"),
};

using R_Version = QORControl__InstanceVersionInfo;
inline constexpr Column<R_Version> kVersionColumns[] = {
    QOR_COL_STRING(R_Version, Filename, "Filename"),
    QOR_COL_STRING(R_Version, VersionInfo, "VersionInfo"),
    QOR_COL_STRING(R_Version, Time, "Time"),
};

using R_Queue = QORControl__TaskHandlerQueue;
inline constexpr Column<R_Queue> kQueueColumns[] = {
    QOR_COL_STRING(R_Queue, Typ, "Typ"),    QOR_COL_INT(R_Queue, Now, "Now"),
    QOR_COL_INT(R_Queue, High, "High"),     QOR_COL_INT(R_Queue, Max, "Max"),
    QOR_COL_INT(R_Queue, Writes, "Writes"), QOR_COL_INT(R_Queue, Reads, "Reads"),
};

using R_Property = QORControl__InstanceProperty;
inline constexpr Column<R_Property> kPropertyColumns[] = {
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
inline constexpr Column<R_Wp> kWpColumns[] = {QOR_WP_COLUMNS(R_Wp)};

using R_SysWp = QORControl__SystemWorkProcess;
inline constexpr Column<R_SysWp> kSysWpColumns[] = {
    QOR_COL_STRING(R_SysWp, Instance, "Instance"),
    QOR_WP_COLUMNS(R_SysWp),
};

using R_Syslog = QORControl__SyslogEntry;
inline constexpr Column<R_Syslog> kSyslogColumns[] = {
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
inline constexpr Column<R_Access> kAccessColumns[] = {
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
inline constexpr Column<R_J2eeProcess> kJ2eeProcessColumns[] = {
    QOR_J2EE_PROCESS_COLUMNS(R_J2eeProcess)};

using R_J2eeProcess2 = QORControl__J2EEProcess2;
inline constexpr Column<R_J2eeProcess2> kJ2eeProcess2Columns[] = {
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
inline constexpr Column<R_Thread> kThreadColumns[] = {QOR_J2EE_THREAD_COLUMNS(R_Thread)};

using R_Thread2 = QORControl__J2EEThread2;
inline constexpr Column<R_Thread2> kThread2Columns[] = {
    QOR_J2EE_THREAD_COLUMNS(R_Thread2),
    QOR_COL_INT(R_Thread2, index, "index"),
};

using R_Session = QORControl__J2EESession;
inline constexpr Column<R_Session> kSessionColumns[] = {
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
inline constexpr Column<R_WebSession> kWebSessionColumns[] = {
    QOR_WEB_SESSION_COLUMNS(R_WebSession)};

using R_WebSession2 = QORControl__J2EEWebSession2;
inline constexpr Column<R_WebSession2> kWebSession2Columns[] = {
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
inline constexpr Column<R_Cache> kCacheColumns[] = {
    QOR_COL_STRING(R_Cache, cachename, "cachename"),
    QOR_COL_STRING(R_Cache, processname, "processname"),
    QOR_COL_STRING(R_Cache, type, "type"),
    QOR_CACHE_COUNTER_COLUMNS(R_Cache),
};

using R_Cache2 = QORControl__J2EECache2;
inline constexpr Column<R_Cache2> kCache2Columns[] = {
    QOR_COL_STRING(R_Cache2, description, "description"),
    QOR_COL_STRING(R_Cache2, owner, "owner"),
    QOR_COL_STRING(R_Cache2, processname, "processname"),
    QOR_COL_STRING(R_Cache2, type, "type"),
    QOR_CACHE_COUNTER_COLUMNS(R_Cache2),
};

using R_Alias = QORControl__J2EEApplicationAlias;
inline constexpr Column<R_Alias> kAliasColumns[] = {
    QOR_COL_STRING(R_Alias, AppName, "AppName"),
    QOR_COL_STRING(R_Alias, Alias, "Alias"),
    QOR_COL_INT(R_Alias, TotalRequests, "TotalRequests"),
    QOR_COL_STRING(R_Alias, AppActive, "AppActive"),
    QOR_COL_STRING(R_Alias, IgnoreCookie, "IgnoreCookie"),
};

using R_Component = QORControl__J2EEComponentInfo;
inline constexpr Column<R_Component> kComponentColumns[] = {
    QOR_COL_STRING(R_Component, type, "type"),
    QOR_COL_STRING(R_Component, name, "name"),
    QOR_COL_STRING(R_Component, startupmode, "startupmode"),
    QOR_COL_STRING(R_Component, status, "status"),
    QOR_COL_STRING(R_Component, expectedstatus, "expectedstatus"),
    QOR_COL_ENUM(R_Component, dispstatus, "STATE_COLOR", "dispstatus"),
    QOR_COL_STRING(R_Component, details, "details"),
};

using R_Heap = QORControl__HeapInfo;
inline constexpr Column<R_Heap> kHeapColumns[] = {
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
inline constexpr Column<R_Gc> kGcColumns[] = {QOR_GC_COLUMNS(R_Gc)};

using R_Gc2 = QORControl__GCInfo2;
inline constexpr Column<R_Gc2> kGc2Columns[] = {
    QOR_GC_COLUMNS(R_Gc2),
    QOR_COL_INT64(R_Gc2, pageFaults, "pageFaults"),
    QOR_COL_ENUM(R_Gc2, dispstatus, "STATE_COLOR", "dispstatus"),
};

using R_ClusterMsg = QORControl__J2EEClusterMsg;
inline constexpr Column<R_ClusterMsg> kClusterMsgColumns[] = {
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
inline constexpr Column<R_SharedTable> kSharedTableColumns[] = {
    QOR_COL_STRING(R_SharedTable, table, "table"),
    QOR_COL_INT(R_SharedTable, used, "used"),
    QOR_COL_INT(R_SharedTable, peak, "peak"),
    QOR_COL_INT(R_SharedTable, limit, "limit"),
    QOR_COL_ENUM(R_SharedTable, dispstatus, "STATE_COLOR", "dispstatus"),
};

using R_Ejb = QORControl__J2EEEJBSession;
inline constexpr Column<R_Ejb> kEjbColumns[] = {
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
inline constexpr Column<R_Remote> kRemoteColumns[] = {
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

using R_Snapshot = QORControl__SnapshotInfo;
inline constexpr Column<R_Snapshot> kSnapshotColumns[] = {
    QOR_COL_STRING(R_Snapshot, filename, "filename"),
    QOR_COL_INT64(R_Snapshot, size, "size"),
    QOR_COL_STRING(R_Snapshot, modtime, "modtime"),
    QOR_COL_STRING(R_Snapshot, description, "decription"),
};

using R_HaCheck = QORControl__HACheck;
inline constexpr Column<R_HaCheck> kHaCheckColumns[] = {
    QOR_COL_ENUM(R_HaCheck, state, "HAVerificationState", "state"),
    QOR_COL_ENUM(R_HaCheck, category, "HACheckCategory", "category"),
    QOR_COL_STRING(R_HaCheck, description, "description"),
    QOR_COL_STRING(R_HaCheck, comment, "comment"),
};

using R_Lock = QORControl__EnqLock;
inline constexpr Column<R_Lock> kLockColumns[] = {
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
inline void print_string_or_null(struct soap* soap, const QOR_UC* label, const char* value,
                                 int index, int last, const QOR_UC* format)
{
    print_string_field(soap, label, value != nullptr ? value : "<NULL>", index, last, format);
}

using R_Parameter = QORControl__ProfileParameter;
inline constexpr Column<R_Parameter> kParameterColumns[] = {
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
inline constexpr Column<R_WebDisp> kWebDispColumns[] = {
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
inline constexpr Column<R_CacheEntry> kCacheEntryColumns[] = {
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
inline constexpr Column<R_Proxy> kProxyColumns[] = {
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
inline constexpr Column<R_Connection> kConnectionColumns[] = {
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
inline constexpr Column<R_XcmThread> kXcmThreadColumns[] = {
    QOR_COL_STRING(R_XcmThread, name, "name"),
    QOR_COL_STRING(R_XcmThread, id, "id"),
    QOR_COL_INT64(R_XcmThread, requests, "requests"),
    QOR_COL_STRING(R_XcmThread, status, "status"),
    QOR_COL_STRING(R_XcmThread, requesttype, "requesttype"),
};

using R_Instance = QORControl__QORInstance;
inline constexpr Column<R_Instance> kInstanceColumns[] = {
    QOR_COL_STRING(R_Instance, hostname, "hostname"),
    QOR_COL_INT(R_Instance, instanceNr, "instanceNr"),
    QOR_COL_INT(R_Instance, httpPort, "httpPort"),
    QOR_COL_INT(R_Instance, httpsPort, "httpsPort"),
    QOR_COL_STRING(R_Instance, startPriority, "startPriority"),
    QOR_COL_STRING(R_Instance, features, "features"),
    QOR_COL_ENUM(R_Instance, dispstatus, "STATE_COLOR", "dispstatus"),
};

using R_LogFile = QORControl__LogFile;
inline constexpr Column<R_LogFile> kLogFileColumns[] = {
    QOR_COL_STRING(R_LogFile, filename, "filename"),
    QOR_COL_INT64(R_LogFile, size, "size"),
    QOR_COL_STRING(R_LogFile, modtime, "modtime"),
    QOR_COL_STRING(R_LogFile, format, "format"),
};

using R_DirEntry = QORControl__DirEntry;
inline constexpr Column<R_DirEntry> kDirEntryColumns[] = {
    QOR_COL_STRING(R_DirEntry, filename, "filename"),
    QOR_COL_INT64(R_DirEntry, size, "size"),
    QOR_COL_STRING(R_DirEntry, modtime, "modtime"),
};

using R_Alert = QORControl__Alert;
inline constexpr Column<R_Alert> kAlertColumns[] = {
    QOR_COL_STRING(R_Alert, Object, "Object"),
    QOR_COL_STRING(R_Alert, Attribute, "Attribute"),
    QOR_COL_ENUM(R_Alert, Value, "STATE_COLOR", "Value"),
    QOR_COL_STRING(R_Alert, Description, "Description"),
    QOR_COL_STRING(R_Alert, Time, "Time"),
    QOR_COL_STRING(R_Alert, Tid, "Tid"),
    QOR_COL_STRING(R_Alert, Aid, "Aid"),
};

using R_AlertNode = QORControl__AlertNode;
inline constexpr Column<R_AlertNode> kAlertNodeColumns[] = {
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
inline constexpr Column<R_Statistic> kStatisticColumns[] = {
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

#endif
