/*
 * The J2EE engine of the instance: process control and the lists of its
 * processes, threads, sessions, caches, virtual machines and components.
 */

#import "core/types.h"
#import "records/records.h"

int QORControl__J2EEGetProcessList(
	QORControl__ArrayOfJ2EEProcess &process 0);

int QORControl__J2EEGetProcessList2(
	QORControl__ArrayOfJ2EEProcess2 &process 0);

int QORControl__J2EEControlProcess(
	char *processname 1,
	char *function 1,
	struct QORControl__J2EEControlProcessResponse { } *out);

int QORControl__J2EEControlCluster(
	char *processname 1,
	char *function 1,
	char *host,
	int nr 1 = -1,
	struct QORControl__J2EEControlClusterResponse { } *out);

int QORControl__J2EEGetThreadList(
	QORControl__ArrayOfJ2EEThread &thread 0);

int QORControl__J2EEGetThreadList2(
	QORControl__ArrayOfJ2EEThread2 &thread 0);

int QORControl__J2EEGetSessionList(
	QORControl__ArrayOfJ2EESession &session 0);

int QORControl__J2EEGetWebSessionList(
	QORControl__ArrayOfJ2EEWebSession &session 0);

int QORControl__J2EEGetWebSessionList2(
	QORControl__ArrayOfJ2EEWebSession2 &session 0);

int QORControl__J2EEGetCacheStatistic(
	QORControl__ArrayOfJ2EECache &cache 0);

int QORControl__J2EEGetCacheStatistic2(
	QORControl__ArrayOfJ2EECache2 &cache 0);

int QORControl__J2EEGetApplicationAliasList(
	QORControl__ArrayOfJ2EEApplicationAlias &alias 0);

int QORControl__J2EEGetVMGCHistory(
	QORControl__ArrayOfGCInfo &gc 0);

int QORControl__J2EEGetVMGCHistory2(
	QORControl__ArrayOfGCInfo2 &gc 0);

int QORControl__J2EEGetVMHeapInfo(
	QORControl__ArrayOfHeapInfo &heap 0);

int QORControl__J2EEGetEJBSessionList(
	QORControl__ArrayOfJ2EEEJBSession &ejbsession 0);

int QORControl__J2EEGetRemoteObjectList(
	QORControl__ArrayOfJ2EERemoteObject &remoteobject 0);

int QORControl__J2EEGetClusterMsgList(
	QORControl__ArrayOfJ2EEClusterMsg &msg 0);

int QORControl__J2EEGetSharedTableInfo(
	QORControl__ArrayOfJ2EESharedTableInfo &jsf 0);

int QORControl__J2EEEnableDbgSession(
	char *processname,
	char *flags,
	char *client 1,
	QORControl__J2EEEnableDbgSessionResponse &response);

int QORControl__J2EEDisableDbgSession(
	char *key 1,
	struct QORControl__J2EEDisableDbgSessionResponse { } *out);

int QORControl__J2EEGetThreadCallStack(
	int index 1,
	QORControl__J2EEGetThreadCallStackResponse &response);

int QORControl__J2EEGetThreadTaskStack(
	int index 1,
	QORControl__J2EEGetThreadTaskStackResponse &response);

int QORControl__J2EEGetComponentList(
	QORControl__ArrayOfJ2EEComponentInfo &component 0);

/* componentNames: the names as one comma-separated text */
int QORControl__J2EEControlComponents(
	char *processName,
	char *operation,
	char *componentType,
	char *componentNames,
	struct QORControl__J2EEControlComponentsResponse { } *out);
