// Instances of the system, access points, instance properties and file
// versions.

#import "core/types.h"

/// One instance of the system.
class QORControl__QORInstance
{
  public:
    char* hostname;
    int instanceNr;
    int httpPort;
    int httpsPort;
    char* startPriority;
    char* features;
    enum QORControl__STATE_COLOR dispstatus;
};

/// Result of GetSystemInstanceList ("instance").
class QORControl__ArrayOfQORInstance
{
  public:
    QORControl__QORInstance* __ptr;
    int __size;
};

/// One network access point of the instance; "active" is text as sent.
class QORControl__AccessPoint
{
  public:
    char* address;
    int port;
    char* protocol;
    char* processname;
    char* active;
};

/// Result of GetAccessPointList ("accesspoint").
class QORControl__ArrayOfAccessPoint
{
  public:
    QORControl__AccessPoint* __ptr;
    int __size;
};

/// One property of the instance.
class QORControl__InstanceProperty
{
  public:
    char* property;
    char* propertytype;
    char* value;
};

/// Result of GetInstanceProperties ("properties"); the array's name is
/// plural while its items are InstanceProperty records.
class QORControl__ArrayOfInstanceProperties
{
  public:
    QORControl__InstanceProperty* __ptr;
    int __size;
};

/// The version of one file of the instance.
class QORControl__InstanceVersionInfo
{
  public:
    char* Filename;
    char* VersionInfo;
    char* Time;
};

/// Result of GetVersionInfo ("version").
class QORControl__ArrayOfInstanceVersionInfo
{
  public:
    QORControl__InstanceVersionInfo* __ptr;
    int __size;
};
