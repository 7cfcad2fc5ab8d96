/* The alert tree, the alerts and the developer trace files. */

#import "core/types.h"
#import "core/responses.h"
#import "records/records.h"

int QORControl__GetAlertTree(
	QORControl__ArrayOfAlertNode &tree 0);

/* The client always sends RootTid as an empty string. */
int QORControl__GetAlerts(
	char *RootTid,
	QORControl__GetAlertsResponse &response);

int QORControl__ListDeveloperTraces(
	QORControl__ArrayOfDirEntry &file 0);

int QORControl__ReadDeveloperTrace(
	char *filename 1,
	int size 1,
	QORControl__ReadDeveloperTraceResponse &response);
