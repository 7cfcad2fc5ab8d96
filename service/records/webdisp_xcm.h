// Web dispatcher server list and the XCM connection, cache and thread tables.
//
// A member named like "cur_conn" travels as the element "cur-conn".

#import "core/types.h"

/// One server of the web dispatcher's server list.
class QORControl__WebDispServer
{
  public:
    char* sid;
    char* instance;
    char* hostname;
    char* protocol;
    char* type;
    char* status;
    int capacity;
    int load;
    int port;
    int cur_conn;
    int peak_conn;
    int max_conn;
    int sec_port;
    int sec_cur_conn;
    int sec_peak_conn;
    int sec_max_conn;
    LONG64 req_cnt_stateless;
    LONG64 req_cnt_stateful;
    LONG64 req_cnt_group;
    LONG64 resp_time_min;
    LONG64 resp_time_avg;
    LONG64 resp_time_last;
    LONG64 ping_time_last;
};

/// Result of WebDispGetServerList ("server").
class QORControl__ArrayOfWebDispServer
{
  public:
    QORControl__WebDispServer* __ptr;
    int __size;
};

/// One proxy connection of the XCM.
class QORControl__XCMProxyConnection
{
  public:
    char* conid;
    char* role;
    char* peer_address;
    int peer_port;
    char* local_address;
    int local_port;
    char* status;
    int nihdl;
    int socket;
    char* partner;
    char* internal_convid;
    char* external_convid;
    int* snc_context_length; // absent unless there is an SNC context
    char* failover_status;
    char* disconnect_time;
    char* objectid;
    char* tid_uid_mode;
};

/// Result of XCMGetProxyConnectionList ("connection").
class QORControl__ArrayOfXCMProxyConnection
{
  public:
    QORControl__XCMProxyConnection* __ptr;
    int __size;
};

/// One entry of the XCM's cache.
class QORControl__XCMCacheEntry
{
  public:
    char* name;
    int version;
    LONG64 size;
    bool valid;
    char* cache;
    char* creation_time;
    char* last_access_time;
    char* expiration_time;
    char* cacheurl;
};

/// Result of XCMGetCacheEntries ("entry").
class QORControl__ArrayOfXCMCacheEntry
{
  public:
    QORControl__XCMCacheEntry* __ptr;
    int __size;
};

/// One connection of the XCM.
class QORControl__XCMConnection
{
  public:
    char* conid;
    char* protocol;
    char* role;
    char* requesttype;
    char* peer_address;
    int peer_port;
    char* local_address;
    int local_port;
    int proc_timeout;
    int keepalive_timeout;
    char* connection_time;
    int nihdl;
};

/// Result of XCMGetConnectionList ("connection").
class QORControl__ArrayOfXCMConnection
{
  public:
    QORControl__XCMConnection* __ptr;
    int __size;
};

/// One thread of the XCM.
class QORControl__XCMThread
{
  public:
    char* name;
    char* id;
    LONG64 requests;
    char* status;
    char* requesttype;
};

/// Result of XCMGetThreadList ("thread").
class QORControl__ArrayOfXCMThread
{
  public:
    QORControl__XCMThread* __ptr;
    int __size;
};
