// J2EE sessions, threads and processes (threads and processes in their plain
// and second forms).

#import "core/types.h"

/// One session of a J2EE process; "sticky" and "corrupt" are text as sent.
class QORControl__J2EESession
{
  public:
    char* processname;
    int IdHash;
    int size;
    int timeout;
    int activeRequests;
    char* startTime;
    char* updateTime;
    char* sticky;
    char* corrupt;
    char* backingStore;
};

/// Result of J2EEGetSessionList ("session").
class QORControl__ArrayOfJ2EESession
{
  public:
    QORControl__J2EESession* __ptr;
    int __size;
};

/// One thread of a J2EE process.
class QORControl__J2EEThread
{
  public:
    char* processname;
    char* startTime;
    char* updateTime;
    char* taskupdateTime;
    char* subtaskupdateTime;
    char* task;
    char* subtask;
    char* name;
    char* classname;
    char* user;
    char* pool;
    char* state;
    enum QORControl__STATE_COLOR dispstatus;
};

/// Result of J2EEGetThreadList ("thread").
class QORControl__ArrayOfJ2EEThread
{
  public:
    QORControl__J2EEThread* __ptr;
    int __size;
};

/// Second form of the thread record: "index" added at the end.
class QORControl__J2EEThread2
{
  public:
    char* processname;
    char* startTime;
    char* updateTime;
    char* taskupdateTime;
    char* subtaskupdateTime;
    char* task;
    char* subtask;
    char* name;
    char* classname;
    char* user;
    char* pool;
    char* state;
    enum QORControl__STATE_COLOR dispstatus;
    int index;
};

/// Result of J2EEGetThreadList2 ("thread").
class QORControl__ArrayOfJ2EEThread2
{
  public:
    QORControl__J2EEThread2* __ptr;
    int __size;
};

/// One J2EE process.
class QORControl__J2EEProcess
{
  public:
    int telnetPort;
    char* name;
    int pid;
    char* type;
    char* restart;
    char* exitCode;
    enum QORControl__J2EE_PSTATE state;
    char* statetext;
    char* startTime;
    char* elapsedTime;
    int restartCount;
    int errorCount;
    char* cpu;
    char* debug;
};

/// Result of J2EEGetProcessList ("process").
class QORControl__ArrayOfJ2EEProcess
{
  public:
    QORControl__J2EEProcess* __ptr;
    int __size;
};

/// Second form of the J2EE process record: "clusterId" added at the end.
class QORControl__J2EEProcess2
{
  public:
    int telnetPort;
    char* name;
    int pid;
    char* type;
    char* restart;
    char* exitCode;
    enum QORControl__J2EE_PSTATE state;
    char* statetext;
    char* startTime;
    char* elapsedTime;
    int restartCount;
    int errorCount;
    char* cpu;
    char* debug;
    int clusterId;
};

/// Result of J2EEGetProcessList2 ("process").
class QORControl__ArrayOfJ2EEProcess2
{
  public:
    QORControl__J2EEProcess2* __ptr;
    int __size;
};
