/*
 * XCM, the web dispatcher and the enqueue server; and the elements of
 * EnqRemoveLocks, which the client never sends.
 */

#import "core/types.h"
#import "records/records.h"

int QORControl__XCMGetThreadList(
	QORControl__ArrayOfXCMThread &thread);

int QORControl__XCMGetConnectionList(
	QORControl__ArrayOfXCMConnection &connection);

int QORControl__XCMGetCacheEntries(
	QORControl__ArrayOfXCMCacheEntry &entry);

int QORControl__XCMGetProxyConnectionList(
	QORControl__ArrayOfXCMProxyConnection &connection);

int QORControl__WebDispGetServerList(
	QORControl__ArrayOfWebDispServer &server);

int QORControl__EnqGetLockTable(
	QORControl__ArrayOfEnqLock &lock);

/* Answered by the element "QORControl:EnqStatistic" itself. */
int QORControl__EnqGetStatistic(
	QORControl__EnqStatistic &statistic);

struct QORControl__EnqRemoveLocks {
	QORControl__ArrayOfEnqLock *lock;
};

struct QORControl__EnqRemoveLocksResponse { };
