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
	QORControl__ArrayOfOSProcess &process 0);

int QORControl__GetStartProfile(
	QORControl__GetStartProfileResponse &response);

int QORControl__GetTraceFile(
	QORControl__GetTraceFileResponse &response);

int QORControl__GetEnvironment(
	QORControl__ArrayOfString &env 0);

int QORControl__GetVersionInfo(
	QORControl__ArrayOfInstanceVersionInfo &version 0);

int QORControl__GetQueueStatistic(
	QORControl__ArrayOfTaskHandlerQueue &queue 0);

int QORControl__GetInstanceProperties(
	QORControl__ArrayOfInstanceProperties &properties 0);
