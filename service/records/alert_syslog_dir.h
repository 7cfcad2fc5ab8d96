// Alerts, the alert tree, system-log entries and directory listings.

#import "core/types.h"

/// One alert of the instance.
class QORControl__Alert
{
  public:
    char* Object;
    char* Attribute;
    enum QORControl__STATE_COLOR Value;
    char* Description;
    char* Time;
    char* Tid;
    char* Aid;
};

/// The alerts of GetAlerts, held by value in its response ("alert").
class QORControl__ArrayOfAlert
{
  public:
    QORControl__Alert* __ptr;
    int __size;
};

/// One node of the alert tree, which travels as a flat list of nodes.
class QORControl__AlertNode
{
  public:
    char* name;
    int parent;
    enum QORControl__STATE_COLOR ActualValue;
    char* description;
    char* Time;
    char* AnalyseTool;
    enum QORControl__VISIBLE_LEVEL VisibleLevel;
    enum QORControl__STATE_COLOR HighAlertValue;
    char* AlDescription;
    char* AlTime;
    char* Tid;
};

/// Result of GetAlertTree ("tree").
class QORControl__ArrayOfAlertNode
{
  public:
    QORControl__AlertNode* __ptr;
    int __size;
};

/// One entry of the system log.
class QORControl__SyslogEntry
{
  public:
    char* Time;
    char* Typ;
    char* Client;
    char* User;
    char* Tcode;
    char* MNo;
    char* Text;
    enum QORControl__STATE_COLOR Severity;
};

/// Result of VORNReadSyslog ("log").
class QORControl__ArrayOfSyslogEntry
{
  public:
    QORControl__SyslogEntry* __ptr;
    int __size;
};

/// Result of VORNReadRawSyslog ("log"): one plain string per raw entry.
class QORControl__ArrayOfRawSyslogEntry
{
  public:
    char** __ptr;
    int __size;
};

/// One file of a directory listing.
class QORControl__DirEntry
{
  public:
    char* filename;
    LONG64 size;
    char* modtime;
};

/// Result of ListDeveloperTraces ("file").
class QORControl__ArrayOfDirEntry
{
  public:
    QORControl__DirEntry* __ptr;
    int __size;
};
