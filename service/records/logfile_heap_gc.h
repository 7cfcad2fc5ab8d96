// Log files of the instance, heaps of the J2EE virtual machines and their
// garbage collections (two forms).

#import "core/types.h"

/// One log file of the instance.
class QORControl__LogFile
{
  public:
    char* filename;
    LONG64 size;
    char* modtime;
    char* format;
};

/// Result of ListLogFiles ("file").
class QORControl__ArrayOfLogFile
{
  public:
    QORControl__LogFile* __ptr;
    int __size;
};

/// One heap of a J2EE process.
class QORControl__HeapInfo
{
  public:
    char* processname;
    char* type;
    LONG64 size;
    LONG64 commitSize;
    LONG64 maxUsedSize;
    LONG64 initialSize;
    LONG64 maxSize;
    enum QORControl__STATE_COLOR dispstatus;
};

/// Result of J2EEGetVMHeapInfo ("heap").
class QORControl__ArrayOfHeapInfo
{
  public:
    QORControl__HeapInfo* __ptr;
    int __size;
};

/// One garbage collection of a J2EE process.
class QORControl__GCInfo
{
  public:
    char* processname;
    char* type;
    char* reason;
    char* startTime;
    int duration;
    int cpuTime;
    LONG64 objBytesBefore;
    LONG64 objBytesAfter;
    LONG64 objBytesFreed;
    LONG64 clsBytesBefore;
    LONG64 clsBytesAfter;
    LONG64 clsBytesFreed;
    LONG64 heapSize;
    int unloadedClasses;
};

/// Result of J2EEGetVMGCHistory ("gc").
class QORControl__ArrayOfGCInfo
{
  public:
    QORControl__GCInfo* __ptr;
    int __size;
};

/// Second form of the garbage-collection record: a class of its own with two
/// more members at the end.
class QORControl__GCInfo2
{
  public:
    char* processname;
    char* type;
    char* reason;
    char* startTime;
    int duration;
    int cpuTime;
    LONG64 objBytesBefore;
    LONG64 objBytesAfter;
    LONG64 objBytesFreed;
    LONG64 clsBytesBefore;
    LONG64 clsBytesAfter;
    LONG64 clsBytesFreed;
    LONG64 heapSize;
    int unloadedClasses;
    LONG64 pageFaults;
    enum QORControl__STATE_COLOR dispstatus;
};

/// Result of J2EEGetVMGCHistory2 ("gc").
class QORControl__ArrayOfGCInfo2
{
  public:
    QORControl__GCInfo2* __ptr;
    int __size;
};
