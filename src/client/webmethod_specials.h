#ifndef QOR_CLIENT_WEBMETHOD_SPECIALS_H
#define QOR_CLIENT_WEBMETHOD_SPECIALS_H

// What only one webmethod does: the printers of replies that no shared
// printer fits, and the runs that are no single call of the service.

#include "client/snapshot_reply.h"
#include "client/webmethods.h"
#include "soapH.h"

/* Printers, for invoke<client function, printer>. */

/* GetProcessList: the records, then the exit code rule: 3 when there is a
 * process and all are GREEN, 4 when every process is GRAY or RED (or there
 * is none). */
int print_process_list(CallContext& call, const Webmethod& webmethod,
                       const QORControl__ArrayOfOSProcess& processes);
/* GetAlerts: the records of the reply's alert list. */
int print_alerts(CallContext& call, const Webmethod& webmethod,
                 const QORControl__GetAlertsResponse& reply);
int print_start_profile(CallContext& call, const Webmethod& webmethod,
                        const QORControl__GetStartProfileResponse& reply);
int print_log_entries(CallContext& call, const Webmethod& webmethod,
                      const QORControl__ReadLogFileResponse& reply);
int print_log_analysis(CallContext& call, const Webmethod& webmethod,
                       const QORControl__AnalyseLogFilesResponse& reply);
int print_command_result(CallContext& call, const Webmethod& webmethod,
                         const QORControl__OSExecuteResponse& reply);
int print_debug_session(CallContext& call, const Webmethod& webmethod,
                        const QORControl__J2EEEnableDbgSessionResponse& reply);
/* EnqGetStatistic: one line per field without an index, in both formats. */
int print_enqueue_statistic(CallContext& call, const Webmethod& webmethod,
                            const QORControl__EnqStatistic& statistic);
int print_snapshot_name(CallContext& call, const Webmethod& webmethod,
                        const QORControl__CreateSnapshotResponse& reply);
/* ReadSnapshot: the heading block, then the snapshot stored in the local
 * file (the request's value 1). */
int store_snapshot(CallContext& call, const Webmethod& webmethod, const SnapshotData& snapshot);
int print_failover_config(CallContext& call, const Webmethod& webmethod,
                          const QORControl__HAGetFailoverConfigResponse& reply);

/* Runs without a call of their own name. */

/* StartService: its heading, then the service started through the operating
 * system (the request's value 0 is the system ID). */
int start_service(CallContext& call, const Webmethod& webmethod);
/* CheckHostAgent: "QORHostAgent Installed" (0) or "QORHostAgent NOT
 * Installed" (1). */
int check_host_agent(CallContext& call, const Webmethod& webmethod);
/* RestartServiceWait: restart_service_wait with the wait's arguments. */
int restart_service_and_wait(CallContext& call, const Webmethod& webmethod);
/* WaitforServiceStarted: wait_for_service_started with the wait's
 * arguments. */
int wait_for_service(CallContext& call, const Webmethod& webmethod);
/* Calls nothing: the state wait that the repeat loop runs is all. */
int no_call(CallContext& call, const Webmethod& webmethod);

#endif
