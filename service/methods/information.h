/*
 * Information about the instance: a parameter's value, the operating-system
 * processes, the start profile, the trace file, the environment, version
 * information, task handler queues and instance properties.
 */

#import "core/types.h"
#import "core/responses.h"
#import "records/records.h"

int QORControl__ParameterValue(
	char *parameter 1,
	char **value);

int QORControl__GetProcessList(
	QORControl__ArrayOfOSProcess &process);

int QORControl__GetStartProfile(
	QORControl__GetStartProfileResponse &response);

int QORControl__GetTraceFile(
	QORControl__GetTraceFileResponse &response);

int QORControl__GetEnvironment(
	QORControl__ArrayOfString &env);

int QORControl__GetVersionInfo(
	QORControl__ArrayOfInstanceVersionInfo &version);

int QORControl__GetQueueStatistic(
	QORControl__ArrayOfTaskHandlerQueue &queue);

int QORControl__GetInstanceProperties(
	QORControl__ArrayOfInstanceProperties &properties);
