/* The system the instance belongs to, and the access check. */

#import "core/types.h"
#import "records/records.h"

int QORControl__GetAccessPointList(
	QORControl__ArrayOfAccessPoint &accesspoint 0);

int QORControl__GetSystemInstanceList(
	int timeout 1,
	QORControl__ArrayOfQORInstance &instance 0);

int QORControl__StartSystem(
	enum QORControl__StartStopOption options 1,
	char *prioritylevel,
	int waittimeout 1,
	char *runlevel,
	struct QORControl__StartSystemResponse { } *out);

/* softtimeout stands before waittimeout on the wire */
int QORControl__StopSystem(
	enum QORControl__StartStopOption options 1,
	char *prioritylevel,
	int softtimeout 1,
	int waittimeout 1,
	struct QORControl__StopSystemResponse { } *out);

int QORControl__RestartSystem(
	enum QORControl__StartStopOption options 1,
	char *prioritylevel,
	int softtimeout 1,
	int waittimeout 1,
	char *runlevel,
	struct QORControl__RestartSystemResponse { } *out);

int QORControl__AccessCheck(
	char *function 1,
	struct QORControl__AccessCheckResponse { } *out);
