#ifndef QOR_CLIENT_WEBMETHOD_COLUMNS_H
#define QOR_CLIENT_WEBMETHOD_COLUMNS_H

// The column tables of the record lists: per record type the printed fields
// in order, each with its label and the printer of its member.

#include "client/record_columns.h"
#include "soapH.h"

using ProcessRecord = QORControl__OSProcess;
inline constexpr Column<ProcessRecord> kProcessColumns[] = {
    QOR_COL_STRING(ProcessRecord, name, "name"),
    QOR_COL_STRING(ProcessRecord, description, "description"),
    QOR_COL_ENUM(ProcessRecord, dispstatus, "STATE_COLOR", "dispstatus"),
    QOR_COL_STRING(ProcessRecord, textstatus, "textstatus"),
    QOR_COL_STRING(ProcessRecord, starttime, "starttime"),
    QOR_COL_STRING(ProcessRecord, elapsedtime, "elapsedtime"),
    QOR_COL_INT(ProcessRecord, pid, "pid"),
};

using VersionRecord = QORControl__InstanceVersionInfo;
inline constexpr Column<VersionRecord> kVersionColumns[] = {
    QOR_COL_STRING(VersionRecord, Filename, "Filename"),
    QOR_COL_STRING(VersionRecord, VersionInfo, "VersionInfo"),
    QOR_COL_STRING(VersionRecord, Time, "Time"),
};

using QueueRecord = QORControl__TaskHandlerQueue;
inline constexpr Column<QueueRecord> kQueueColumns[] = {
    QOR_COL_STRING(QueueRecord, Typ, "Typ"),    QOR_COL_INT(QueueRecord, Now, "Now"),
    QOR_COL_INT(QueueRecord, High, "High"),     QOR_COL_INT(QueueRecord, Max, "Max"),
    QOR_COL_INT(QueueRecord, Writes, "Writes"), QOR_COL_INT(QueueRecord, Reads, "Reads"),
};

using PropertyRecord = QORControl__InstanceProperty;
inline constexpr Column<PropertyRecord> kPropertyColumns[] = {
    QOR_COL_STRING(PropertyRecord, property, "property"),
    QOR_COL_STRING(PropertyRecord, propertytype, "propertytype"),
    QOR_COL_STRING(PropertyRecord, value, "value"),
};

#define QOR_WP_COLUMNS(R)                                                                          \
    QOR_COL_INT(R, No, "No"), QOR_COL_STRING(R, Typ, "Typ"), QOR_COL_INT(R, Pid, "Pid"),           \
        QOR_COL_STRING(R, Status, "Status"), QOR_COL_STRING(R, Reason, "Reason"),                  \
        QOR_COL_STRING(R, Start, "Start"), QOR_COL_STRING(R, Err, "Err"),                          \
        QOR_COL_STRING(R, Sem, "Sem"), QOR_COL_STRING(R, Cpu, "Cpu"),                              \
        QOR_COL_STRING(R, Time, "Time"), QOR_COL_STRING(R, Program, "Program"),                    \
        QOR_COL_STRING(R, Client, "Client"), QOR_COL_STRING(R, User, "User"),                      \
        QOR_COL_STRING(R, Action, "Action"), QOR_COL_STRING(R, Table, "Table")

using WpRecord = QORControl__WorkProcess;
inline constexpr Column<WpRecord> kWpColumns[] = {QOR_WP_COLUMNS(WpRecord)};

using SysWpRecord = QORControl__SystemWorkProcess;
inline constexpr Column<SysWpRecord> kSysWpColumns[] = {
    QOR_COL_STRING(SysWpRecord, Instance, "Instance"),
    QOR_WP_COLUMNS(SysWpRecord),
};

using SyslogRecord = QORControl__SyslogEntry;
inline constexpr Column<SyslogRecord> kSyslogColumns[] = {
    QOR_COL_STRING(SyslogRecord, Time, "Time"),
    QOR_COL_STRING(SyslogRecord, Typ, "Typ"),
    QOR_COL_STRING(SyslogRecord, Client, "Client"),
    QOR_COL_STRING(SyslogRecord, User, "User"),
    QOR_COL_STRING(SyslogRecord, Tcode, "Tcode"),
    QOR_COL_STRING(SyslogRecord, MNo, "MNo"),
    QOR_COL_STRING(SyslogRecord, Text, "Text"),
    QOR_COL_ENUM(SyslogRecord, Severity, "STATE_COLOR", "Severity"),
};

using AccessRecord = QORControl__AccessPoint;
inline constexpr Column<AccessRecord> kAccessColumns[] = {
    QOR_COL_STRING(AccessRecord, address, "address"),
    QOR_COL_INT(AccessRecord, port, "port"),
    QOR_COL_STRING(AccessRecord, protocol, "protocol"),
    QOR_COL_STRING(AccessRecord, processname, "processname"),
    QOR_COL_STRING(AccessRecord, active, "active"),
};

#define QOR_J2EE_PROCESS_COLUMNS(R)                                                                \
    QOR_COL_INT(R, telnetPort, "telnetPort"), QOR_COL_STRING(R, name, "name"),                     \
        QOR_COL_INT(R, pid, "pid"), QOR_COL_STRING(R, type, "type"),                               \
        QOR_COL_STRING(R, restart, "restart"), QOR_COL_STRING(R, exitCode, "exitCode"),            \
        QOR_COL_ENUM(R, state, "J2EE_PSTATE", "state"), QOR_COL_STRING(R, statetext, "statetext"), \
        QOR_COL_STRING(R, startTime, "startTime"), QOR_COL_STRING(R, elapsedTime, "elapsedTime"),  \
        QOR_COL_INT(R, restartCount, "restartCount"), QOR_COL_INT(R, errorCount, "errorCount"),    \
        QOR_COL_STRING(R, cpu, "cpu"), QOR_COL_STRING(R, debug, "debug")

using J2eeProcessRecord = QORControl__J2EEProcess;
inline constexpr Column<J2eeProcessRecord> kJ2eeProcessColumns[] = {
    QOR_J2EE_PROCESS_COLUMNS(J2eeProcessRecord)};

using J2eeProcess2Record = QORControl__J2EEProcess2;
inline constexpr Column<J2eeProcess2Record> kJ2eeProcess2Columns[] = {
    QOR_J2EE_PROCESS_COLUMNS(J2eeProcess2Record),
    QOR_COL_INT(J2eeProcess2Record, clusterId, "clusterId"),
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

using ThreadRecord = QORControl__J2EEThread;
inline constexpr Column<ThreadRecord> kThreadColumns[] = {QOR_J2EE_THREAD_COLUMNS(ThreadRecord)};

using Thread2Record = QORControl__J2EEThread2;
inline constexpr Column<Thread2Record> kThread2Columns[] = {
    QOR_J2EE_THREAD_COLUMNS(Thread2Record),
    QOR_COL_INT(Thread2Record, index, "index"),
};

using SessionRecord = QORControl__J2EESession;
inline constexpr Column<SessionRecord> kSessionColumns[] = {
    QOR_COL_STRING(SessionRecord, processname, "processname"),
    QOR_COL_INT(SessionRecord, IdHash, "IdHash"),
    QOR_COL_INT(SessionRecord, size, "size"),
    QOR_COL_INT(SessionRecord, timeout, "timeout"),
    QOR_COL_INT(SessionRecord, activeRequests, "activeRequests"),
    QOR_COL_STRING(SessionRecord, startTime, "startTime"),
    QOR_COL_STRING(SessionRecord, updateTime, "updateTime"),
    QOR_COL_STRING(SessionRecord, sticky, "sticky"),
    QOR_COL_STRING(SessionRecord, corrupt, "corrupt"),
    QOR_COL_STRING(SessionRecord, backingStore, "backingStore"),
};

#define QOR_WEB_SESSION_COLUMNS(R)                                                                 \
    QOR_COL_STRING(R, processname, "processname"), QOR_COL_INT(R, IdHash, "IdHash"),               \
        QOR_COL_INT(R, size, "size"), QOR_COL_INT(R, timeout, "timeout"),                          \
        QOR_COL_INT(R, activeRequests, "activeRequests"),                                          \
        QOR_COL_STRING(R, startTime, "startTime"), QOR_COL_STRING(R, updateTime, "updateTime"),    \
        QOR_COL_STRING(R, state, "state"), QOR_COL_STRING(R, backingStore, "backingStore"),        \
        QOR_COL_STRING(R, user, "user")

using WebSessionRecord = QORControl__J2EEWebSession;
inline constexpr Column<WebSessionRecord> kWebSessionColumns[] = {
    QOR_WEB_SESSION_COLUMNS(WebSessionRecord)};

using WebSession2Record = QORControl__J2EEWebSession2;
inline constexpr Column<WebSession2Record> kWebSession2Columns[] = {
    QOR_WEB_SESSION_COLUMNS(WebSession2Record),
    QOR_COL_STRING(WebSession2Record, AppName, "AppName"),
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

using CacheRecord = QORControl__J2EECache;
inline constexpr Column<CacheRecord> kCacheColumns[] = {
    QOR_COL_STRING(CacheRecord, cachename, "cachename"),
    QOR_COL_STRING(CacheRecord, processname, "processname"),
    QOR_COL_STRING(CacheRecord, type, "type"),
    QOR_CACHE_COUNTER_COLUMNS(CacheRecord),
};

using Cache2Record = QORControl__J2EECache2;
inline constexpr Column<Cache2Record> kCache2Columns[] = {
    QOR_COL_STRING(Cache2Record, description, "description"),
    QOR_COL_STRING(Cache2Record, owner, "owner"),
    QOR_COL_STRING(Cache2Record, processname, "processname"),
    QOR_COL_STRING(Cache2Record, type, "type"),
    QOR_CACHE_COUNTER_COLUMNS(Cache2Record),
};

using AliasRecord = QORControl__J2EEApplicationAlias;
inline constexpr Column<AliasRecord> kAliasColumns[] = {
    QOR_COL_STRING(AliasRecord, AppName, "AppName"),
    QOR_COL_STRING(AliasRecord, Alias, "Alias"),
    QOR_COL_INT(AliasRecord, TotalRequests, "TotalRequests"),
    QOR_COL_STRING(AliasRecord, AppActive, "AppActive"),
    QOR_COL_STRING(AliasRecord, IgnoreCookie, "IgnoreCookie"),
};

using ComponentRecord = QORControl__J2EEComponentInfo;
inline constexpr Column<ComponentRecord> kComponentColumns[] = {
    QOR_COL_STRING(ComponentRecord, type, "type"),
    QOR_COL_STRING(ComponentRecord, name, "name"),
    QOR_COL_STRING(ComponentRecord, startupmode, "startupmode"),
    QOR_COL_STRING(ComponentRecord, status, "status"),
    QOR_COL_STRING(ComponentRecord, expectedstatus, "expectedstatus"),
    QOR_COL_ENUM(ComponentRecord, dispstatus, "STATE_COLOR", "dispstatus"),
    QOR_COL_STRING(ComponentRecord, details, "details"),
};

using HeapRecord = QORControl__HeapInfo;
inline constexpr Column<HeapRecord> kHeapColumns[] = {
    QOR_COL_STRING(HeapRecord, processname, "processname"),
    QOR_COL_STRING(HeapRecord, type, "type"),
    QOR_COL_INT64(HeapRecord, size, "size"),
    QOR_COL_INT64(HeapRecord, commitSize, "commitSize"),
    QOR_COL_INT64(HeapRecord, maxUsedSize, "maxUsedSize"),
    QOR_COL_INT64(HeapRecord, initialSize, "initialSize"),
    QOR_COL_INT64(HeapRecord, maxSize, "maxSize"),
    QOR_COL_ENUM(HeapRecord, dispstatus, "STATE_COLOR", "dispstatus"),
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

using GcRecord = QORControl__GCInfo;
inline constexpr Column<GcRecord> kGcColumns[] = {QOR_GC_COLUMNS(GcRecord)};

using Gc2Record = QORControl__GCInfo2;
inline constexpr Column<Gc2Record> kGc2Columns[] = {
    QOR_GC_COLUMNS(Gc2Record),
    QOR_COL_INT64(Gc2Record, pageFaults, "pageFaults"),
    QOR_COL_ENUM(Gc2Record, dispstatus, "STATE_COLOR", "dispstatus"),
};

using ClusterMsgRecord = QORControl__J2EEClusterMsg;
inline constexpr Column<ClusterMsgRecord> kClusterMsgColumns[] = {
    QOR_COL_STRING(ClusterMsgRecord, service, "service"),
    QOR_COL_STRING(ClusterMsgRecord, id, "id"),
    QOR_COL_INT64(ClusterMsgRecord, count, "count"),
    QOR_COL_INT64(ClusterMsgRecord, length, "length"),
    QOR_COL_INT64(ClusterMsgRecord, avg_length, "avg_length"),
    QOR_COL_INT64(ClusterMsgRecord, max_length, "max_length"),
    QOR_COL_INT64(ClusterMsgRecord, count_p2p_msg, "count_p2p_msg"),
    QOR_COL_INT64(ClusterMsgRecord, count_p2p_request, "count_p2p_request"),
    QOR_COL_INT64(ClusterMsgRecord, count_p2p_reply, "count_p2p_reply"),
    QOR_COL_INT64(ClusterMsgRecord, count_broadcast_msg, "count_broadcast_msg"),
    QOR_COL_INT64(ClusterMsgRecord, count_broadcast_request, "count_broadcast_request"),
};

using SharedTableRecord = QORControl__J2EESharedTableInfo;
inline constexpr Column<SharedTableRecord> kSharedTableColumns[] = {
    QOR_COL_STRING(SharedTableRecord, table, "table"),
    QOR_COL_INT(SharedTableRecord, used, "used"),
    QOR_COL_INT(SharedTableRecord, peak, "peak"),
    QOR_COL_INT(SharedTableRecord, limit, "limit"),
    QOR_COL_ENUM(SharedTableRecord, dispstatus, "STATE_COLOR", "dispstatus"),
};

using EjbRecord = QORControl__J2EEEJBSession;
inline constexpr Column<EjbRecord> kEjbColumns[] = {
    QOR_COL_INT(EjbRecord, IdHash, "IdHash"),
    QOR_COL_STRING(EjbRecord, state, "state"),
    QOR_COL_INT(EjbRecord, size, "size"),
    QOR_COL_INT(EjbRecord, activeRequests, "activeRequests"),
    QOR_COL_INT(EjbRecord, totalRequests, "totalRequests"),
    QOR_COL_STRING(EjbRecord, backingStore, "backingStore"),
    QOR_COL_STRING(EjbRecord, processname, "processname"),
    QOR_COL_STRING(EjbRecord, startTime, "startTime"),
    QOR_COL_STRING(EjbRecord, updateTime, "updateTime"),
    QOR_COL_INT(EjbRecord, responseTime, "responseTime"),
    QOR_COL_STRING(EjbRecord, user, "user"),
    QOR_COL_STRING(EjbRecord, transaction, "transaction"),
    QOR_COL_STRING(EjbRecord, ejb, "ejb"),
    QOR_COL_STRING(EjbRecord, application, "application"),
    QOR_COL_STRING(EjbRecord, reference, "reference"),
};

using RemoteRecord = QORControl__J2EERemoteObject;
inline constexpr Column<RemoteRecord> kRemoteColumns[] = {
    QOR_COL_INT(RemoteRecord, IdHash, "IdHash"),
    QOR_COL_STRING(RemoteRecord, address, "address"),
    QOR_COL_INT(RemoteRecord, port, "port"),
    QOR_COL_STRING(RemoteRecord, protocol, "protocol"),
    QOR_COL_STRING(RemoteRecord, direction, "direction"),
    QOR_COL_INT(RemoteRecord, stubs, "stubs"),
    QOR_COL_INT(RemoteRecord, implementations, "implementations"),
    QOR_COL_STRING(RemoteRecord, creationTime, "creationTime"),
    QOR_COL_STRING(RemoteRecord, updateTime, "updateTime"),
    QOR_COL_STRING(RemoteRecord, processname, "processname"),
};

using SnapshotRecord = QORControl__SnapshotInfo;
inline constexpr Column<SnapshotRecord> kSnapshotColumns[] = {
    QOR_COL_STRING(SnapshotRecord, filename, "filename"),
    QOR_COL_INT64(SnapshotRecord, size, "size"),
    QOR_COL_STRING(SnapshotRecord, modtime, "modtime"),
    QOR_COL_STRING(SnapshotRecord, description, "decription"),
};

using HaCheckRecord = QORControl__HACheck;
inline constexpr Column<HaCheckRecord> kHaCheckColumns[] = {
    QOR_COL_ENUM(HaCheckRecord, state, "HAVerificationState", "state"),
    QOR_COL_ENUM(HaCheckRecord, category, "HACheckCategory", "category"),
    QOR_COL_STRING(HaCheckRecord, description, "description"),
    QOR_COL_STRING(HaCheckRecord, comment, "comment"),
};

using LockRecord = QORControl__EnqLock;
inline constexpr Column<LockRecord> kLockColumns[] = {
    QOR_COL_STRING(LockRecord, lock_name, "lock_name"),
    QOR_COL_STRING(LockRecord, lock_arg, "lock_arg"),
    QOR_COL_STRING(LockRecord, lock_mode, "lock_mode"),
    QOR_COL_STRING(LockRecord, owner, "owner"),
    QOR_COL_STRING(LockRecord, owner_vb, "owner_vb"),
    QOR_COL_INT(LockRecord, use_count_owner, "use_count_owner"),
    QOR_COL_INT(LockRecord, use_count_owner_vb, "use_count_owner_vb"),
    QOR_COL_STRING(LockRecord, client, "client"),
    QOR_COL_STRING(LockRecord, user, "user"),
    QOR_COL_STRING(LockRecord, transaction, "transaction"),
    QOR_COL_STRING(LockRecord, object, "object"),
    QOR_COL_BOOL(LockRecord, backup, "backup"),
};

// A string that prints "<NULL>" when absent.
inline void print_string_or_null(struct soap* soap, const QOR_UC* label, const char* value,
                                 int index, int last, const QOR_UC* format)
{
    print_string_field(soap, label, value != nullptr ? value : "<NULL>", index, last, format);
}

using ParameterRecord = QORControl__ProfileParameter;
inline constexpr Column<ParameterRecord> kParameterColumns[] = {
    QOR_COL_STRING(ParameterRecord, name, "name"),
    QOR_COL_STRING(ParameterRecord, group, "group"),
    QOR_COL_STRING(ParameterRecord, description, "description"),
    QOR_COL_STRING(ParameterRecord, unit, "unit"),
    Column<ParameterRecord>{
        cU("restriction"),
        [](struct soap* s, const ParameterRecord& r, const QOR_UC* l, int i, int last,
           const QOR_UC* f) { print_restriction_field(s, l, &r.restriction, i, last, f); }},
    Column<ParameterRecord>{
        cU("subpara"),
        [](struct soap* s, const ParameterRecord& r, const QOR_UC* l, int i, int last,
           const QOR_UC* f) { print_parameter_descriptions(s, l, r.sub_para, i, last, f); }},
    Column<ParameterRecord>{
        cU("value"), [](struct soap* s, const ParameterRecord& r, const QOR_UC* l, int i, int last,
                        const QOR_UC* f) { print_string_or_null(s, l, r.value, i, last, f); }},
    Column<ParameterRecord>{
        cU("dynamic_value"),
        [](struct soap* s, const ParameterRecord& r, const QOR_UC* l, int i, int last,
           const QOR_UC* f) { print_string_or_null(s, l, r.dynamic_value, i, last, f); }},
    QOR_COL_STRINGS(ParameterRecord, values, "values"),
    QOR_COL_STRINGS(ParameterRecord, dynamic_values, "dynamic_values"),
};

using WebDispRecord = QORControl__WebDispServer;
inline constexpr Column<WebDispRecord> kWebDispColumns[] = {
    QOR_COL_STRING(WebDispRecord, sid, "sid"),
    QOR_COL_STRING(WebDispRecord, instance, "instance"),
    QOR_COL_STRING(WebDispRecord, hostname, "hostname"),
    QOR_COL_STRING(WebDispRecord, protocol, "protocol"),
    QOR_COL_STRING(WebDispRecord, type, "type"),
    QOR_COL_STRING(WebDispRecord, status, "status"),
    QOR_COL_INT(WebDispRecord, capacity, "capacity"),
    QOR_COL_INT(WebDispRecord, load, "load"),
    QOR_COL_INT(WebDispRecord, port, "port"),
    QOR_COL_INT(WebDispRecord, cur_conn, "cur_conn"),
    QOR_COL_INT(WebDispRecord, peak_conn, "peak_conn"),
    QOR_COL_INT(WebDispRecord, max_conn, "max_conn"),
    QOR_COL_INT(WebDispRecord, sec_port, "sec_port"),
    QOR_COL_INT(WebDispRecord, sec_cur_conn, "sec_cur_conn"),
    QOR_COL_INT(WebDispRecord, sec_peak_conn, "sec_peak_conn"),
    QOR_COL_INT(WebDispRecord, sec_max_conn, "sec_max_conn"),
    QOR_COL_INT64(WebDispRecord, req_cnt_stateless, "req_cnt_stateless"),
    QOR_COL_INT64(WebDispRecord, req_cnt_stateful, "req_cnt_stateful"),
    QOR_COL_INT64(WebDispRecord, req_cnt_group, "req_cnt_group"),
    QOR_COL_INT64(WebDispRecord, resp_time_min, "resp_time_min"),
    QOR_COL_INT64(WebDispRecord, resp_time_avg, "resp_time_avg"),
    QOR_COL_INT64(WebDispRecord, resp_time_last, "resp_time_last"),
    QOR_COL_INT64(WebDispRecord, ping_time_last, "ping_time_last"),
};

using CacheEntryRecord = QORControl__XCMCacheEntry;
inline constexpr Column<CacheEntryRecord> kCacheEntryColumns[] = {
    QOR_COL_STRING(CacheEntryRecord, name, "name"),
    QOR_COL_INT(CacheEntryRecord, version, "version"),
    QOR_COL_INT64(CacheEntryRecord, size, "size"),
    QOR_COL_STRING(CacheEntryRecord, cache, "cache"),
    QOR_COL_STRING(CacheEntryRecord, creation_time, "creation_time"),
    QOR_COL_STRING(CacheEntryRecord, last_access_time, "last_access_time"),
    QOR_COL_STRING(CacheEntryRecord, expiration_time, "expiration_time"),
    QOR_COL_STRING(CacheEntryRecord, cacheurl, "cacheurl"),
};

using ProxyRecord = QORControl__XCMProxyConnection;
inline constexpr Column<ProxyRecord> kProxyColumns[] = {
    QOR_COL_STRING(ProxyRecord, conid, "conid"),
    QOR_COL_STRING(ProxyRecord, role, "role"),
    QOR_COL_STRING(ProxyRecord, peer_address, "peer_address"),
    QOR_COL_INT(ProxyRecord, peer_port, "peer_port"),
    QOR_COL_STRING(ProxyRecord, local_address, "local_address"),
    QOR_COL_INT(ProxyRecord, local_port, "local_port"),
    QOR_COL_STRING(ProxyRecord, status, "status"),
    QOR_COL_INT(ProxyRecord, nihdl, "nihdl"),
    QOR_COL_INT(ProxyRecord, socket, "socket"),
    QOR_COL_STRING(ProxyRecord, partner, "partner"),
    QOR_COL_STRING(ProxyRecord, internal_convid, "internal_convid"),
    QOR_COL_STRING(ProxyRecord, external_convid, "external_convid"),
    Column<ProxyRecord>{cU("snc_context_length"),
                        [](struct soap* s, const ProxyRecord& r, const QOR_UC* l, int i, int last,
                           const QOR_UC* f) {
                            // Optional: an absent value prints like an absent string.
                            if (r.snc_context_length != nullptr)
                                print_int_field(s, l, *r.snc_context_length, i, last, f);
                            else
                                print_string_field(s, l, nullptr, i, last, f);
                        }},
    QOR_COL_STRING(ProxyRecord, failover_status, "failover_status"),
    QOR_COL_STRING(ProxyRecord, disconnect_time, "disconnect_time"),
    QOR_COL_STRING(ProxyRecord, objectid, "objectid"),
    QOR_COL_STRING(ProxyRecord, tid_uid_mode, "tid_uid_mode"),
};

using ConnectionRecord = QORControl__XCMConnection;
inline constexpr Column<ConnectionRecord> kConnectionColumns[] = {
    QOR_COL_STRING(ConnectionRecord, conid, "conid"),
    QOR_COL_STRING(ConnectionRecord, protocol, "protocol"),
    QOR_COL_STRING(ConnectionRecord, role, "role"),
    QOR_COL_STRING(ConnectionRecord, requesttype, "requesttype"),
    QOR_COL_STRING(ConnectionRecord, peer_address, "peer_address"),
    QOR_COL_INT(ConnectionRecord, peer_port, "peer_port"),
    QOR_COL_STRING(ConnectionRecord, local_address, "local_address"),
    QOR_COL_INT(ConnectionRecord, local_port, "local_port"),
    QOR_COL_INT(ConnectionRecord, proc_timeout, "proc_timeout"),
    QOR_COL_INT(ConnectionRecord, keepalive_timeout, "keepalive_timeout"),
    QOR_COL_STRING(ConnectionRecord, connection_time, "connection_time"),
    QOR_COL_INT(ConnectionRecord, nihdl, "nihdl"),
};

using XcmThreadRecord = QORControl__XCMThread;
inline constexpr Column<XcmThreadRecord> kXcmThreadColumns[] = {
    QOR_COL_STRING(XcmThreadRecord, name, "name"),
    QOR_COL_STRING(XcmThreadRecord, id, "id"),
    QOR_COL_INT64(XcmThreadRecord, requests, "requests"),
    QOR_COL_STRING(XcmThreadRecord, status, "status"),
    QOR_COL_STRING(XcmThreadRecord, requesttype, "requesttype"),
};

using InstanceRecord = QORControl__QORInstance;
inline constexpr Column<InstanceRecord> kInstanceColumns[] = {
    QOR_COL_STRING(InstanceRecord, hostname, "hostname"),
    QOR_COL_INT(InstanceRecord, instanceNr, "instanceNr"),
    QOR_COL_INT(InstanceRecord, httpPort, "httpPort"),
    QOR_COL_INT(InstanceRecord, httpsPort, "httpsPort"),
    QOR_COL_STRING(InstanceRecord, startPriority, "startPriority"),
    QOR_COL_STRING(InstanceRecord, features, "features"),
    QOR_COL_ENUM(InstanceRecord, dispstatus, "STATE_COLOR", "dispstatus"),
};

using LogFileRecord = QORControl__LogFile;
inline constexpr Column<LogFileRecord> kLogFileColumns[] = {
    QOR_COL_STRING(LogFileRecord, filename, "filename"),
    QOR_COL_INT64(LogFileRecord, size, "size"),
    QOR_COL_STRING(LogFileRecord, modtime, "modtime"),
    QOR_COL_STRING(LogFileRecord, format, "format"),
};

using DirEntryRecord = QORControl__DirEntry;
inline constexpr Column<DirEntryRecord> kDirEntryColumns[] = {
    QOR_COL_STRING(DirEntryRecord, filename, "filename"),
    QOR_COL_INT64(DirEntryRecord, size, "size"),
    QOR_COL_STRING(DirEntryRecord, modtime, "modtime"),
};

using AlertRecord = QORControl__Alert;
inline constexpr Column<AlertRecord> kAlertColumns[] = {
    QOR_COL_STRING(AlertRecord, Object, "Object"),
    QOR_COL_STRING(AlertRecord, Attribute, "Attribute"),
    QOR_COL_ENUM(AlertRecord, Value, "STATE_COLOR", "Value"),
    QOR_COL_STRING(AlertRecord, Description, "Description"),
    QOR_COL_STRING(AlertRecord, Time, "Time"),
    QOR_COL_STRING(AlertRecord, Tid, "Tid"),
    QOR_COL_STRING(AlertRecord, Aid, "Aid"),
};

using AlertNodeRecord = QORControl__AlertNode;
inline constexpr Column<AlertNodeRecord> kAlertNodeColumns[] = {
    QOR_COL_STRING(AlertNodeRecord, name, "name"),
    QOR_COL_INT(AlertNodeRecord, parent, "parent"),
    QOR_COL_ENUM(AlertNodeRecord, ActualValue, "STATE_COLOR", "ActualValue"),
    QOR_COL_STRING(AlertNodeRecord, description, "description"),
    QOR_COL_STRING(AlertNodeRecord, Time, "Time"),
    QOR_COL_STRING(AlertNodeRecord, AnalyseTool, "AnalyseTool"),
    QOR_COL_ENUM(AlertNodeRecord, VisibleLevel, "VISIBLE_LEVEL", "VisibleLevel"),
    QOR_COL_ENUM(AlertNodeRecord, HighAlertValue, "STATE_COLOR", "HighAlertValue"),
    QOR_COL_STRING(AlertNodeRecord, AlDescription, "AlDescription"),
    QOR_COL_STRING(AlertNodeRecord, AlTime, "AlTime"),
    QOR_COL_STRING(AlertNodeRecord, Tid, "Tid"),
};

using StatisticRecord = QORControl__EnqStatistic;
inline constexpr Column<StatisticRecord> kStatisticColumns[] = {
    QOR_COL_INT(StatisticRecord, owner_now, "owner_now"),
    QOR_COL_INT(StatisticRecord, owner_high, "owner_high"),
    QOR_COL_INT(StatisticRecord, owner_max, "owner_max"),
    QOR_COL_ENUM(StatisticRecord, owner_state, "STATE_COLOR", "owner_state"),
    QOR_COL_INT(StatisticRecord, arguments_now, "arguments_now"),
    QOR_COL_INT(StatisticRecord, arguments_high, "arguments_high"),
    QOR_COL_INT(StatisticRecord, arguments_max, "arguments_max"),
    QOR_COL_ENUM(StatisticRecord, arguments_state, "STATE_COLOR", "arguments_state"),
    QOR_COL_INT(StatisticRecord, locks_now, "locks_now"),
    QOR_COL_INT(StatisticRecord, locks_high, "locks_high"),
    QOR_COL_INT(StatisticRecord, locks_max, "locks_max"),
    QOR_COL_ENUM(StatisticRecord, locks_state, "STATE_COLOR", "locks_state"),
    QOR_COL_INT64(StatisticRecord, enqueue_requests, "enqueue_requests"),
    QOR_COL_INT64(StatisticRecord, enqueue_rejects, "enqueue_rejects"),
    QOR_COL_INT64(StatisticRecord, enqueue_errors, "enqueue_errors"),
    QOR_COL_INT64(StatisticRecord, dequeue_requests, "dequeue_requests"),
    QOR_COL_INT64(StatisticRecord, dequeue_errors, "dequeue_errors"),
    QOR_COL_INT64(StatisticRecord, dequeue_all_requests, "dequeue_all_requests"),
    QOR_COL_INT64(StatisticRecord, cleanup_requests, "cleanup_requests"),
    QOR_COL_INT64(StatisticRecord, backup_requests, "backup_requests"),
    QOR_COL_INT64(StatisticRecord, reporting_requests, "reporting_requests"),
    QOR_COL_INT64(StatisticRecord, compress_requests, "compress_requests"),
    QOR_COL_INT64(StatisticRecord, verify_requests, "verify_requests"),
    QOR_COL_DOUBLE(StatisticRecord, lock_time, "lock_time"),
    QOR_COL_DOUBLE(StatisticRecord, lock_wait_time, "lock_wait_time"),
    QOR_COL_DOUBLE(StatisticRecord, server_time, "server_time"),
    QOR_COL_ENUM(StatisticRecord, replication_state, "STATE_COLOR", "replication_state"),
};

#endif
