// J2EE component list, shared tables, cluster messages, remote objects and
// EJB sessions.

#import "core/types.h"

/// One component as J2EEGetComponentList reports it.
class QORControl__J2EEComponentInfo
{
  public:
    char* type;
    char* name;
    char* startupmode;
    char* status;
    char* expectedstatus;
    char* details;
    enum QORControl__STATE_COLOR dispstatus;
};

/// Result of J2EEGetComponentList ("component").
class QORControl__ArrayOfJ2EEComponentInfo
{
  public:
    QORControl__J2EEComponentInfo* __ptr;
    int __size;
};

/// The figures of one shared table.
class QORControl__J2EESharedTableInfo
{
  public:
    char* table;
    int used;
    int peak;
    int limit;
    enum QORControl__STATE_COLOR dispstatus;
};

/// Result of J2EEGetSharedTableInfo ("jsf").
class QORControl__ArrayOfJ2EESharedTableInfo
{
  public:
    QORControl__J2EESharedTableInfo* __ptr;
    int __size;
};

/// Message statistics of one service of the cluster communication; a member
/// named like "avg_length" travels as "avg-length".
class QORControl__J2EEClusterMsg
{
  public:
    char* service;
    char* id;
    LONG64 count;
    LONG64 length;
    LONG64 avg_length;
    LONG64 max_length;
    LONG64 count_p2p_msg;
    LONG64 count_p2p_request;
    LONG64 count_p2p_reply;
    LONG64 count_broadcast_msg;
    LONG64 count_broadcast_request;
};

/// Result of J2EEGetClusterMsgList ("msg").
class QORControl__ArrayOfJ2EEClusterMsg
{
  public:
    QORControl__J2EEClusterMsg* __ptr;
    int __size;
};

/// One remote object.
class QORControl__J2EERemoteObject
{
  public:
    int IdHash;
    char* address;
    int port;
    char* protocol;
    char* direction;
    int stubs;
    int implementations;
    char* creationTime;
    char* updateTime;
    char* processname;
};

/// Result of J2EEGetRemoteObjectList ("remoteobject").
class QORControl__ArrayOfJ2EERemoteObject
{
  public:
    QORControl__J2EERemoteObject* __ptr;
    int __size;
};

/// One EJB session.
class QORControl__J2EEEJBSession
{
  public:
    int IdHash;
    char* state;
    int size;
    int activeRequests;
    int totalRequests;
    char* backingStore;
    char* processname;
    char* startTime;
    char* updateTime;
    int responseTime;
    char* user;
    char* transaction;
    char* ejb;
    char* application;
    char* reference;
};

/// Result of J2EEGetEJBSessionList ("ejbsession").
class QORControl__ArrayOfJ2EEEJBSession
{
  public:
    QORControl__J2EEEJBSession* __ptr;
    int __size;
};
