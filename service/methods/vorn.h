/*
 * The VORN runtime: system log, work process tables, call stacks and the
 * acknowledgement of alerts (whose elements the client never sends).
 */

#import "core/types.h"
#import "core/responses.h"
#import "records/records.h"

int QORControl__VORNReadSyslog(
	QORControl__ArrayOfSyslogEntry &log 0);

int QORControl__VORNReadRawSyslog(
	QORControl__ArrayOfRawSyslogEntry &log 0);

int QORControl__VORNGetWPTable(
	QORControl__ArrayOfWorkProcess &workprocess 0);

int QORControl__VORNGetSystemWPTable(
	bool activeonly 1,
	QORControl__ArrayOfSystemWorkProcess &workprocess 0);

int QORControl__GetCallstack(
	int pid 1,
	QORControl__GetCallstackResponse &response);

/* Elements of a webmethod without a client call. */
struct QORControl__VORNAcknowledgeAlerts {
	char *M5Client 1;
	char *M5User 1;
	char *M5Password 1;
	QORControl__ArrayOfString Aid 1;
};

struct QORControl__VORNAcknowledgeAlertsResponse {
	QORControl__ArrayOfInt *alert;
};
