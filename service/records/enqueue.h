// Enqueue server statistics and lock table.
//
// A member named like "owner_now" travels as the element "owner-now".

#import "core/types.h"

/// The whole response body of EnqGetStatistic, read as the element
/// "QORControl:EnqStatistic".
class QORControl__EnqStatistic
{
  public:
    int owner_now;
    int owner_high;
    int owner_max;
    enum QORControl__STATE_COLOR owner_state;
    int arguments_now;
    int arguments_high;
    int arguments_max;
    enum QORControl__STATE_COLOR arguments_state;
    int locks_now;
    int locks_high;
    int locks_max;
    enum QORControl__STATE_COLOR locks_state;
    LONG64 enqueue_requests;
    LONG64 enqueue_rejects;
    LONG64 enqueue_errors;
    LONG64 dequeue_requests;
    LONG64 dequeue_errors;
    LONG64 dequeue_all_requests;
    LONG64 cleanup_requests;
    LONG64 backup_requests;
    LONG64 reporting_requests;
    LONG64 compress_requests;
    LONG64 verify_requests;
    double lock_time;
    double lock_wait_time;
    double server_time;
    enum QORControl__STATE_COLOR replication_state;
};

/// One entry of the lock table.
class QORControl__EnqLock
{
  public:
    char* lock_name;
    char* lock_arg;
    char* lock_mode;
    char* owner;
    char* owner_vb;
    int use_count_owner;
    int use_count_owner_vb;
    char* client;
    char* user;
    char* transaction;
    char* object;
    bool backup;
};

/// Result of EnqGetLockTable ("lock"); also the "lock" of EnqRemoveLocks.
class QORControl__ArrayOfEnqLock
{
  public:
    QORControl__EnqLock* __ptr;
    int __size;
};
