/*
 * Starting, stopping and restarting the instance, its service and its
 * processes.  Every response is empty: success or a SOAP Fault.
 */

#import "core/types.h"

int QORControl__Start(
	char *runlevel,
	struct QORControl__StartResponse { } *out);

int QORControl__InstanceStart(
	char *host 1,
	int nr 1,
	char *runlevel,
	struct QORControl__InstanceStartResponse { } *out);

int QORControl__Bootstrap(
	char *host,
	int nr 1 = -1,
	struct QORControl__BootstrapResponse { } *out);

int QORControl__Stop(
	int softtimeout 1,
	int IsSystemStop 1,
	struct QORControl__StopResponse { } *out);

int QORControl__InstanceStop(
	char *host 1,
	int nr 1,
	int softtimeout 1,
	struct QORControl__InstanceStopResponse { } *out);

int QORControl__Shutdown(
	int IsSystemStop 1,
	struct QORControl__ShutdownResponse { } *out);

int QORControl__RestartService(
	struct QORControl__RestartServiceResponse { } *out);

int QORControl__StopService(
	struct QORControl__StopServiceResponse { } *out);

int QORControl__RestartInstance(
	int softtimeout 1,
	char *runlevel,
	struct QORControl__RestartInstanceResponse { } *out);

int QORControl__SendSignal(
	int pid 1,
	char *signal 1,
	struct QORControl__SendSignalResponse { } *out);
