/*
 * XCM, the web dispatcher and the enqueue server; and the elements of
 * EnqRemoveLocks, which the client never sends.
 */

#import "core/types.h"
#import "records/records.h"

int QORControl__XCMGetThreadList(
	QORControl__ArrayOfXCMThread &thread 0);

int QORControl__XCMGetConnectionList(
	QORControl__ArrayOfXCMConnection &connection 0);

int QORControl__XCMGetCacheEntries(
	QORControl__ArrayOfXCMCacheEntry &entry 0);

int QORControl__XCMGetProxyConnectionList(
	QORControl__ArrayOfXCMProxyConnection &connection 0);

int QORControl__WebDispGetServerList(
	QORControl__ArrayOfWebDispServer &server 0);

int QORControl__EnqGetLockTable(
	QORControl__ArrayOfEnqLock &lock 0);

/* Answered by the element "QORControl:EnqStatistic" itself. */
int QORControl__EnqGetStatistic(
	QORControl__EnqStatistic &statistic);

struct QORControl__EnqRemoveLocks {
	QORControl__ArrayOfEnqLock *lock;
};

struct QORControl__EnqRemoveLocksResponse { };
