// J2EE application aliases, cache statistics and web sessions (each list in
// its plain and, where there is one, its second form).

#import "core/types.h"

/// One application alias; "AppActive" and "IgnoreCookie" are text as sent.
class QORControl__J2EEApplicationAlias
{
  public:
    char* AppName;
    char* Alias;
    int TotalRequests;
    char* AppActive;
    char* IgnoreCookie;
};

/// Result of J2EEGetApplicationAliasList ("alias").
class QORControl__ArrayOfJ2EEApplicationAlias
{
  public:
    QORControl__J2EEApplicationAlias* __ptr;
    int __size;
};

/// The statistics of one cache.
class QORControl__J2EECache
{
  public:
    char* cachename;
    char* processname;
    char* type;
    LONG64 size;
    LONG64 attrSize;
    LONG64 keysSize;
    int cachedObjects;
    int usedObjects;
    int puts;
    int gets;
    int hits;
    int changes;
    int removes;
    int evictions;
    int instanceInvalidations;
    int clusterInvalidations;
    char* updateTime;
    enum QORControl__STATE_COLOR dispstatus;
};

/// Result of J2EEGetCacheStatistic ("cache").
class QORControl__ArrayOfJ2EECache
{
  public:
    QORControl__J2EECache* __ptr;
    int __size;
};

/// Second form of the cache statistics: "description" and "owner" in place
/// of "cachename".
class QORControl__J2EECache2
{
  public:
    char* description;
    char* owner;
    char* processname;
    char* type;
    LONG64 size;
    LONG64 attrSize;
    LONG64 keysSize;
    int cachedObjects;
    int usedObjects;
    int puts;
    int gets;
    int hits;
    int changes;
    int removes;
    int evictions;
    int instanceInvalidations;
    int clusterInvalidations;
    char* updateTime;
    enum QORControl__STATE_COLOR dispstatus;
};

/// Result of J2EEGetCacheStatistic2 ("cache").
class QORControl__ArrayOfJ2EECache2
{
  public:
    QORControl__J2EECache2* __ptr;
    int __size;
};

/// One web session.
class QORControl__J2EEWebSession
{
  public:
    char* processname;
    int IdHash;
    int size;
    int timeout;
    int activeRequests;
    char* startTime;
    char* updateTime;
    char* state;
    char* backingStore;
    char* user;
};

/// Result of J2EEGetWebSessionList ("session").
class QORControl__ArrayOfJ2EEWebSession
{
  public:
    QORControl__J2EEWebSession* __ptr;
    int __size;
};

/// Second form of the web session: "AppName" added at the end.
class QORControl__J2EEWebSession2
{
  public:
    char* processname;
    int IdHash;
    int size;
    int timeout;
    int activeRequests;
    char* startTime;
    char* updateTime;
    char* state;
    char* backingStore;
    char* user;
    char* AppName;
};

/// Result of J2EEGetWebSessionList2 ("session").
class QORControl__ArrayOfJ2EEWebSession2
{
  public:
    QORControl__J2EEWebSession2* __ptr;
    int __size;
};
