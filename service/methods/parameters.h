/* Parameters of one process of the instance, and shared memory. */

#import "core/types.h"
#import "records/records.h"

int QORControl__GetProcessParameter(
	char *processtype,
	int pid 1 = -1,
	QORControl__ArrayOfProfileParameter &parameter 0);

int QORControl__SetProcessParameter(
	char *processtype,
	int pid 1 = -1,
	QORControl__ArrayOfSetProfileParameter parameter 1,
	struct QORControl__SetProcessParameterResponse { } *out);

int QORControl__SetProcessParameter2(
	char *processtype,
	int pid 1 = -1,
	enum QORControl__PERSISTENCE_TYPE persistence 1 = QORControl_DYNAMIC,
	QORControl__ArrayOfSetProfileParameter parameter 1,
	struct QORControl__SetProcessParameter2Response { } *out);

int QORControl__ShmDetach(
	struct QORControl__ShmDetachResponse { } *out);
