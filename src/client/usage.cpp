// The usage text and print_usage.
#include "client/options.h"

#include <cstdlib>
#include <cstring>

#include "base/version_stamps.h"
#include "u16/u16.h"

namespace {

// Every line ends in a line feed; two lines keep a trailing blank.
constexpr const QOR_UC kUsage[] = uR"USAGE(NAME
    qorcontrol (Version: %s) 

SYNOPSIS
    qorcontrol [-prot <protocol>]
               [-trace <filename>]
               [-debug]
               [-user <user> <password>]
               [-queryuser]
               [-repeat <N> <D>]
               [-format <format>]
               [-host <hostname>]
               -nr <instance number>
               -function <webmethod> [parameter list]

DESCRIPTION
    Control and monitor QOR instances via WebService interface of QOR Start Service.

OPTIONS
    -prot <protocol>
        Specify the protocol for the communication with the QOR instance.
        Available protocols are:
          NI_HTTP     HTTP  using QOR NI sockets (default, prefer Unix domain sockets)
          NI_HTTPS    HTTPS using QOR NI sockets (prefer Unix domain sockets)
          GSOAP_HTTP  HTTP  using gsoap build in sockets
          WINHTTP     HTTP  using Windows winhttp
          WINHTTPS    HTTPS using Windows winhttp
          PIPE        Windows named pipes (on Unix same as NI_HTTP)
    -trace <filename>
        Trace SOAP request/response
    -debug
        Write local trace to stderr
    -user <user> <password>
        OS user and password for Webservice authentication
    -queryuser 
        Query interactively for user and password
    -repeat <N> <D>
        Repeat webmethod call <N> times (-1=forever) with <D> sec delay
    -format <format>
        Specify the format for the output of the webmethod.
        Available formats are:
          list    List output format (default)
          script  Script output format
    -host <hostname>
        Host to connect to (default: localhost)

WEBMETHODS
    Start [runlevel]
    InstanceStart <hostname> <instance number> [runlevel]
    Bootstrap [<hostname> <instance number>]
    Stop [softtimeout sec]
    InstanceStop <hostname> <instance number> [softtimeout sec]
    Shutdown
    RestartInstance [<softtimeout sec> [runlevel]]
    StopService
    StartService <SID>
    RestartService
    ParameterValue [<parameter>]
    GetStartProfile
    GetTraceFile
    GetAlertTree
    GetAlerts
    GetEnvironment
    GetVersionInfo
    GetQueueStatistic
    GetProcessList
    GetInstanceProperties
    ListDeveloperTraces
    ReadDeveloperTrace <filename> <filesize>
    ListLogFiles
    ReadLogFile <filename> [<filter> [<language> [<maxentries> [<cookie>]]]]
    AnalyseLogFiles [<severity 0..2> [<maxentries>
        [<starttime YYYY MM DD HH:MM:SS> <endtime YYYY MM DD HH:MM:SS>]]]
    ConfigureLogFileList set|add|remove [<filename1> <filename2>... <filenameN>]
    GetLogFileList
    CreateSnapshot [<description> [<datcol_param> [<analyse_severity -1..2>
        [<analyse_maxentries> [<analyse_starttime YYYY MM DD HH:MM:SS>
        <analyse_endtime YYYY MM DD HH:MM:SS> [maxentries
        [<filename1> ... <filenameN>]]]]]]]
    ReadSnapshot <filename> [<local filename>]
    ListSnapshots
    DeleteSnapshots <filename1> [<filename2>... <filenameN>]
    GetAccessPointList
    GetProcessParameter <processtype> [pid]
    SetProcessParameter <processtype> <pid> <parameter> <value1>
        [<value2> ... <valueN>]
    SetProcessParameter2 <processtype> <pid> [DYNAMIC|PERSIST|DYNAMIC_PERSIST] <parameter> <value1>
        [<value2> ... <valueN>]
    OSExecute <command> <async> <timeout> <protocolfile>
    SendSignal <pid> <signal>
    GetCallstack <pid>
    GetSystemInstanceList [<timeout sec>]
    StartSystem [ALL|SCS|DIALOG|VORN|J2EE|TOVA|ENQREP|ZDB|ALLNOZDB|LEVEL <level>
        [<waittimeout sec> [runlevel]]]
    StopSystem [ALL|SCS|DIALOG|VORN|J2EE|TOVA|ENQREP|ZDB|ALLNOZDB|LEVEL <level>
        [<waittimeout sec> [<softtimeout sec>]]]
    RestartSystem [ALL|SCS|DIALOG|VORN|J2EE|TOVA|ENQREP|ZDB|ALLNOZDB|LEVEL <level>
        [<waittimeout sec> [<softtimeout sec> [runlevel]]]]
    AccessCheck <function>
    RequestLogonFile <user>
    UpdateSystemPKI [<force>]
    UpdateInstancePSE [<force>]
    HACheckConfig
    HACheckFailoverConfig
    HAGetFailoverConfig
    HAFailoverToNode <node>
    VORNReadSyslog
    VORNReadRawSyslog
    VORNGetWPTable
    VORNGetSystemWPTable [<activeonly>]
    J2EEControlProcess <processname> <function>
    J2EEControlCluster <processname> <function> [<hostname> <instance number>]
    J2EEEnableDbgSession <client> [<processname> <debugflags>]
    J2EEDisableDbgSession <debugkey>
    J2EEGetProcessList
    J2EEGetProcessList2
    J2EEGetThreadList
    J2EEGetThreadList2
    J2EEGetThreadCallStack [<threadindex>]
    J2EEGetThreadTaskStack [<threadindex>]
    J2EEGetSessionList
    J2EEGetCacheStatistic
    J2EEGetCacheStatistic2
    J2EEGetApplicationAliasList
    J2EEGetComponentList
    J2EEControlComponents <process name> <operation> <componenttype>
        <componentname1>,...,<componentnameN>
    J2EEGetWebSessionList
    J2EEGetWebSessionList2
    J2EEGetEJBSessionList
    J2EEGetRemoteObjectList
    J2EEGetVMGCHistory
    J2EEGetVMGCHistory2
    J2EEGetVMHeapInfo
    J2EEGetClusterMsgList
    J2EEGetSharedTableInfo
    XCMGetThreadList
    XCMGetConnectionList
    XCMGetProxyConnectionList
    XCMGetCacheEntries
    WebDispGetServerList
    EnqGetStatistic
    EnqGetLockTable
    StartWait <timeout sec> <delay sec>
    StopWait <timeout sec> <delay sec>
    WaitforStarted <timeout sec> <delay sec>
    WaitforStopped <timeout sec> <delay sec>
    RestartServiceWait <timeout sec> <delay sec>
    WaitforServiceStarted <timeout sec> <delay sec>
    CheckHostAgent

EXITCODES
    0  Last webmethod call successful
    1  Last webmethod call failed, invalid parameter
    2  StartWait, StopWait, WaitforStarted, WaitforStopped, RestartServiceWait
       timed out
    3  GetProcessList succeeded, all processes running correctly
    4  GetProcessList succeeded, all processes stopped

SECURITY
    Trusted connects without user and password check are possible through
    Unix domain socket or Windows named pipes. Protected webmethods like
    Start or Stop require a trusted connection or OS user and password
    authentication.

EXAMPLES
    qorcontrol -nr 0 -function GetProcessList
      Gets the list of processes on instance 00 on localhost
)USAGE";

} // namespace

const QOR_UC* usage_text(void)
{
    return kUsage;
}

void print_usage(void)
{
    QOR_UC version[128] = {0};
    char* file_version = nullptr;
    char* product_version = nullptr;
    char* platform = nullptr;
    char* special_build = nullptr;
    if (GetFileVersionStamps(nullptr, &file_version, &product_version, &platform, &special_build) !=
            0 &&
        product_version != nullptr &&
        std::strlen(product_version) < sizeof version / sizeof *version) {
        A7ToU16(version, product_version);
    }
    std::free(file_version);
    std::free(product_version);
    std::free(platform);
    std::free(special_build);
    printfU16(kUsage, version);
    client_exit(1);
}
