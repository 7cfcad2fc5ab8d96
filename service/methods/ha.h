/* High availability, and start and stop bypassing it. */

#import "core/types.h"
#import "core/responses.h"
#import "records/records.h"

int QORControl__HACheckConfig(
	QORControl__ArrayOfHACheck &check 0);

int QORControl__HACheckFailoverConfig(
	QORControl__ArrayOfHACheck &check 0);

int QORControl__HAGetFailoverConfig(
	QORControl__HAGetFailoverConfigResponse &response);

int QORControl__HAFailoverToNode(
	char *node 1,
	struct QORControl__HAFailoverToNodeResponse { } *out);

int QORControl__StartBypassHA(
	char *runlevel,
	struct QORControl__StartBypassHAResponse { } *out);

int QORControl__StopBypassHA(
	int softtimeout 1,
	int IsSystemStop 1,
	struct QORControl__StopBypassHAResponse { } *out);
