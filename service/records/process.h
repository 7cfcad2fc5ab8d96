// Operating-system processes, work-process tables and task-handler queues.

#import "core/types.h"

/// One operating-system process of the instance. Its "dispstatus" decides
/// the client's exit codes after GetProcessList and its wait functions.
class QORControl__OSProcess
{
  public:
    char* name;
    char* description;
    enum QORControl__STATE_COLOR dispstatus;
    char* textstatus;
    char* starttime;
    char* elapsedtime;
    int pid;
};

/// Result of GetProcessList ("process").
class QORControl__ArrayOfOSProcess
{
  public:
    QORControl__OSProcess* __ptr;
    int __size;
};

/// One row of the instance's work-process table.
class QORControl__WorkProcess
{
  public:
    int No;
    char* Typ;
    int Pid;
    char* Status;
    char* Reason;
    char* Start;
    char* Err;
    char* Sem;
    char* Cpu;
    char* Time;
    char* Program;
    char* Client;
    char* User;
    char* Action;
    char* Table;
};

/// Result of VORNGetWPTable ("workprocess").
class QORControl__ArrayOfWorkProcess
{
  public:
    QORControl__WorkProcess* __ptr;
    int __size;
};

/// One row of the system-wide work-process table: the instance, then the
/// columns of the instance's table.
class QORControl__SystemWorkProcess
{
  public:
    char* Instance;
    int No;
    char* Typ;
    int Pid;
    char* Status;
    char* Reason;
    char* Start;
    char* Err;
    char* Sem;
    char* Cpu;
    char* Time;
    char* Program;
    char* Client;
    char* User;
    char* Action;
    char* Table;
};

/// Result of VORNGetSystemWPTable ("workprocess").
class QORControl__ArrayOfSystemWorkProcess
{
  public:
    QORControl__SystemWorkProcess* __ptr;
    int __size;
};

/// One queue of the instance's task handler.
class QORControl__TaskHandlerQueue
{
  public:
    char* Typ;
    int Now;
    int High;
    int Max;
    int Writes;
    int Reads;
};

/// Result of GetQueueStatistic ("queue").
class QORControl__ArrayOfTaskHandlerQueue
{
  public:
    QORControl__TaskHandlerQueue* __ptr;
    int __size;
};
