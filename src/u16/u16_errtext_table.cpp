#include "u16/u16_errtext_table.h"

/* Texts: symbolic name, ": ", message. Codes 1 to 42 carry the runtime's
 * errno meaning too ("*" after the errno name). Ascending by code. */
const SysErrTextRow kSysErrText[] = {
    {0x00000000, u"ERROR_SUCCESS: The operation completed successfully."},
    {0x00000001, u"EPERM*: Operation not permitted OR: Incorrect function."},
    {0x00000002,
     u"ENOENT*: No such file or directory OR: The system cannot find the file specified."},
    {0x00000003, u"ESRCH*: No such process OR: The system cannot find the path specified."},
    {0x00000004, u"EINTR*: Interrupted function call OR: The system cannot open the file."},
    {0x00000005, u"EIO*: Input/output error OR: Access is denied."},
    {0x00000006, u"ENXIO*: No such device or address OR: The handle is invalid."},
    {0x00000007, u"E2BIG*: Arg list too long OR: The storage control blocks were destroyed."},
    {0x00000008,
     u"ENOEXEC*: Exec format error OR: Not enough storage is available to process this command."},
    {0x00000009, u"EBADF*: Bad file descriptor OR: The storage control block address is invalid."},
    {0x0000000A, u"ECHILD*: No child processes OR: The environment is incorrect."},
    {0x0000000B, u"EAGAIN*: Resource temporarily unavailable OR: An attempt was made to load a "
                 u"program with an incorrect format."},
    {0x0000000C, u"ENOMEM*: Not enough space OR: The access code is invalid."},
    {0x0000000D, u"EACCES*: Permission denied OR: The data is invalid."},
    {0x0000000E,
     u"EFAULT*: Bad address OR: Not enough storage is available to complete this operation."},
    {0x0000000F, u"ERROR_INVALID_DRIVE: The system cannot find the drive specified."},
    {0x00000010, u"EBUSY*: Resource device OR: The directory cannot be removed."},
    {0x00000011,
     u"EEXIST*: File exists OR: The system cannot move the file to a different disk drive."},
    {0x00000012, u"EXDEV*: Improper link OR: There are no more files."},
    {0x00000013, u"ENODEV*: No such device OR: The media is write protected."},
    {0x00000014, u"ENOTDIR*: Not a directory OR: The system cannot find the device specified."},
    {0x00000015, u"EISDIR*: Is a directory OR: The device is not ready."},
    {0x00000016, u"EINVAL*: Invalid argument OR: The device does not recognize the command."},
    {0x00000017,
     u"ENFILE*: Too many open files in system OR: Data error (cyclic redundancy check)."},
    {0x00000018, u"EMFILE*: Too many open files OR: The program issued a command but the command "
                 u"length is incorrect."},
    {0x00000019, u"ENOTTY*: Inappropriate I/O control operation OR: The drive cannot locate a "
                 u"specific area or track on the disk."},
    {0x0000001A, u"ERROR_NOT_DOS_DISK: The specified disk or diskette cannot be accessed."},
    {0x0000001B, u"EFBIG*: File too large OR: The drive cannot find the sector requested."},
    {0x0000001C, u"ENOSPC*: No space left on device OR: The printer is out of paper."},
    {0x0000001D, u"ESPIPE*: Invalid seek OR: The system cannot write to the specified device."},
    {0x0000001E,
     u"EROFS*: Read-only file system OR: The system cannot read from the specified device."},
    {0x0000001F,
     u"EMLINK*: Too many links OR: A device attached to the system is not functioning."},
    {0x00000020, u"EPIPE*: Broken pipe OR: The process cannot access the file because it is being "
                 u"used by another process."},
    {0x00000021, u"EDOM*: Domain error OR: The process cannot access the file because another "
                 u"process has locked a portion of the file."},
    {0x00000022, u"ERANGE*: Result too large OR: The wrong diskette is in the drive. Insert "
                 u"param_2 (Volume Serial Number: %3) into drive %1."},
    {0x00000024, u"EDEADLOCK*: Resource deadlock avoided OR: Too many files opened for sharing."},
    {0x00000026, u"ENAMETOOLONG*: Filename too long OR: Reached the end of the file."},
    {0x00000027, u"ENOLCK*: No locks available OR: The disk is full."},
    {0x00000028, u"ENOSYS*: Function not implemented"},
    {0x00000029, u"ENOTEMPTY*: Directory not empty"},
    {0x0000002A, u"EILSEQ*: Illegal byte sequence"},
    {0x00000032, u"ERROR_NOT_SUPPORTED: The request is not supported."},
    {0x00000035, u"ERROR_BAD_NETPATH: The network path was not found."},
    {0x00000040, u"ERROR_NETNAME_DELETED: The specified network name is no longer available."},
    {0x00000043, u"ERROR_BAD_NET_NAME: The network name cannot be found."},
    {0x00000050, u"ERROR_FILE_EXISTS: The file exists."},
    {0x00000057, u"ERROR_INVALID_PARAMETER: The parameter is incorrect."},
    {0x0000006D, u"ERROR_BROKEN_PIPE: The pipe has been ended."},
    {0x0000006E, u"ERROR_OPEN_FAILED: The system cannot open the device or file specified."},
    {0x0000006F, u"ERROR_BUFFER_OVERFLOW: The file name is too long."},
    {0x00000070, u"ERROR_DISK_FULL: There is not enough space on the disk."},
    {0x00000078, u"ERROR_CALL_NOT_IMPLEMENTED: This function is not supported on this system."},
    {0x0000007A, u"ERROR_INSUFFICIENT_BUFFER: The data area passed to a system call is too small."},
    {0x0000007B,
     u"ERROR_INVALID_NAME: The filename, directory name, or volume label syntax is incorrect."},
    {0x0000007E, u"ERROR_MOD_NOT_FOUND: The specified module could not be found."},
    {0x0000007F, u"ERROR_PROC_NOT_FOUND: The specified procedure could not be found."},
    {0x000000A1, u"ERROR_BAD_PATHNAME: The specified path is invalid."},
    {0x000000AA, u"ERROR_BUSY: The requested resource is in use."},
    {0x000000B7, u"ERROR_ALREADY_EXISTS: Cannot create a file when that file already exists."},
    {0x000000C1, u"ERROR_BAD_EXE_FORMAT: param_1 is not a valid application."},
    {0x000000CB,
     u"ERROR_ENVVAR_NOT_FOUND: The system could not find the environment option that was entered."},
    {0x000000CE, u"ERROR_FILENAME_EXCED_RANGE: The filename or extension is too long."},
    {0x000000E6, u"ERROR_BAD_PIPE: The pipe state is invalid."},
    {0x000000E7, u"ERROR_PIPE_BUSY: All pipe instances are busy."},
    {0x000000E8, u"ERROR_NO_DATA: The pipe is being closed."},
    {0x000000E9, u"ERROR_PIPE_NOT_CONNECTED: No process is on the other end of the pipe."},
    {0x000000EA, u"ERROR_MORE_DATA: More data is available."},
    {0x00000102, u"WAIT_TIMEOUT: The wait operation timed out."},
    {0x00000103, u"ERROR_NO_MORE_ITEMS: No more data is available."},
    {0x0000010B, u"ERROR_DIRECTORY: The directory name is invalid."},
    {0x00000217, u"ERROR_PIPE_CONNECTED: There is a process on other end of the pipe."},
    {0x00000218, u"ERROR_PIPE_LISTENING: Waiting for a process to open the other end of the pipe."},
    {0x000003E3, u"ERROR_OPERATION_ABORTED: The I/O operation has been aborted because of either a "
                 u"thread exit or an application request."},
    {0x000003E4, u"ERROR_IO_INCOMPLETE: Overlapped I/O event is not in a signaled state."},
    {0x000003E5, u"ERROR_IO_PENDING: Overlapped I/O operation is in progress."},
    {0x000003E9, u"ERROR_STACK_OVERFLOW: Recursion too deep; the stack overflowed."},
    {0x0000041B, u"ERROR_DEPENDENT_SERVICES_RUNNING: A stop control has been sent to a service "
                 u"that other running services are dependent on."},
    {0x0000041C,
     u"ERROR_INVALID_SERVICE_CONTROL: The requested control is not valid for this service."},
    {0x0000041D, u"ERROR_SERVICE_REQUEST_TIMEOUT: The service did not respond to the start or "
                 u"control request in a timely fashion."},
    {0x0000041E, u"ERROR_SERVICE_NO_THREAD: A thread could not be created for the service."},
    {0x0000041F, u"ERROR_SERVICE_DATABASE_LOCKED: The service database is locked."},
    {0x00000420, u"ERROR_SERVICE_ALREADY_RUNNING: An instance of the service is already running."},
    {0x00000421, u"ERROR_INVALID_SERVICE_ACCOUNT: The account name is invalid or does not exist, "
                 u"or the password is invalid for the account name specified."},
    {0x00000422, u"ERROR_SERVICE_DISABLED: The service cannot be started, either because it is "
                 u"disabled or because it has no enabled devices associated with it."},
    {0x00000423, u"ERROR_CIRCULAR_DEPENDENCY: Circular service dependency was specified."},
    {0x00000424, u"ERROR_SERVICE_DOES_NOT_EXIST: The specified service does not exist as an "
                 u"installed service."},
    {0x00000425,
     u"ERROR_SERVICE_CANNOT_ACCEPT_CTRL: The service cannot accept control messages at this time."},
    {0x00000426, u"ERROR_SERVICE_NOT_ACTIVE: The service has not been started."},
    {0x00000427, u"ERROR_FAILED_SERVICE_CONTROLLER_CONNECT: The service process could not connect "
                 u"to the service controller."},
    {0x00000428, u"ERROR_EXCEPTION_IN_SERVICE: An exception occurred in the service when handling "
                 u"the control request."},
    {0x00000429, u"ERROR_DATABASE_DOES_NOT_EXIST: The database specified does not exist."},
    {0x0000042A,
     u"ERROR_SERVICE_SPECIFIC_ERROR: The service has returned a service-specific error code."},
    {0x0000042B, u"ERROR_PROCESS_ABORTED: The process terminated unexpectedly."},
    {0x0000042C,
     u"ERROR_SERVICE_DEPENDENCY_FAIL: The dependency service or group failed to start."},
    {0x0000042D, u"ERROR_SERVICE_LOGON_FAILED: The service did not start due to a logon failure."},
    {0x0000042E,
     u"ERROR_SERVICE_START_HANG: After starting, the service hung in a start-pending state."},
    {0x0000042F, u"ERROR_INVALID_SERVICE_LOCK: The specified service database lock is invalid."},
    {0x00000430,
     u"ERROR_SERVICE_MARKED_FOR_DELETE: The specified service has been marked for deletion."},
    {0x00000431, u"ERROR_SERVICE_EXISTS: The specified service already exists."},
    {0x00000433, u"ERROR_SERVICE_DEPENDENCY_DELETED: The dependency service does not exist or has "
                 u"been marked for deletion."},
    {0x00000436, u"ERROR_DUPLICATE_SERVICE_NAME: The name is already in use as either a service "
                 u"name or a service display name."},
    {0x00000437,
     u"ERROR_DIFFERENT_SERVICE_ACCOUNT: The account specified for this service is different from "
     u"the account specified for other services running in the same process."},
    {0x0000045B, u"ERROR_SHUTDOWN_IN_PROGRESS: A system shutdown is in progress."},
    {0x000004C7, u"ERROR_CANCELLED: The operation was canceled by the user."},
    {0x0000052E, u"ERROR_LOGON_FAILURE: The user name or password is incorrect."},
    {0x0000052F,
     u"ERROR_ACCOUNT_RESTRICTION: Account restrictions are preventing this user from signing in."},
    {0x00000532, u"ERROR_PASSWORD_EXPIRED: The password for this account has expired."},
    {0x00000533, u"ERROR_ACCOUNT_DISABLED: This user can't sign in because this account is "
                 u"currently disabled."},
    {0x00000534, u"ERROR_NONE_MAPPED: No mapping between account names and security IDs was done."},
    {0x000005B4, u"ERROR_TIMEOUT: This operation returned because the timeout period expired."},
    {0x000006BA, u"RPC_S_SERVER_UNAVAILABLE: The RPC server is unavailable."},
    {0x00002714,
     u"WSAEINTR: A blocking operation was interrupted by a call to WSACancelBlockingCall."},
    {0x00002719, u"WSAEBADF: The file handle supplied is not valid."},
    {0x0000271D, u"WSAEACCES: An attempt was made to access a socket in a way forbidden by its "
                 u"access permissions."},
    {0x0000271E, u"WSAEFAULT: The system detected an invalid pointer address in attempting to use "
                 u"a pointer argument in a call."},
    {0x00002726, u"WSAEINVAL: An invalid argument was supplied."},
    {0x00002728, u"WSAEMFILE: Too many open sockets."},
    {0x00002733,
     u"WSAEWOULDBLOCK: A non-blocking socket operation could not be completed immediately."},
    {0x00002734, u"WSAEINPROGRESS: A blocking operation is currently executing."},
    {0x00002735, u"WSAEALREADY: An operation was attempted on a non-blocking socket that already "
                 u"had an operation in progress."},
    {0x00002736, u"WSAENOTSOCK: An operation was attempted on something that is not a socket."},
    {0x00002737, u"WSAEDESTADDRREQ: A required address was omitted from an operation on a socket."},
    {0x00002738, u"WSAEMSGSIZE: A message sent on a datagram socket was larger than the internal "
                 u"message buffer or some other network limit, or the buffer used to receive a "
                 u"datagram into was smaller than the datagram itself."},
    {0x00002739, u"WSAEPROTOTYPE: A protocol was specified in the socket function call that does "
                 u"not support the semantics of the socket type requested."},
    {0x0000273A, u"WSAENOPROTOOPT: An unknown, invalid, or unsupported option or level was "
                 u"specified in a getsockopt or setsockopt call."},
    {0x0000273B, u"WSAEPROTONOSUPPORT: The requested protocol has not been configured into the "
                 u"system, or no implementation for it exists."},
    {0x0000273C, u"WSAESOCKTNOSUPPORT: The support for the specified socket type does not exist in "
                 u"this address family."},
    {0x0000273D,
     u"WSAEOPNOTSUPP: The attempted operation is not supported for the type of object referenced."},
    {0x0000273E, u"WSAEPFNOSUPPORT: The protocol family has not been configured into the system or "
                 u"no implementation for it exists."},
    {0x0000273F, u"WSAEAFNOSUPPORT: An address incompatible with the requested protocol was used."},
    {0x00002740, u"WSAEADDRINUSE: Only one usage of each socket address (protocol/network "
                 u"address/port) is normally permitted."},
    {0x00002741, u"WSAEADDRNOTAVAIL: The requested address is not valid in its context."},
    {0x00002742, u"WSAENETDOWN: A socket operation encountered a dead network."},
    {0x00002743, u"WSAENETUNREACH: A socket operation was attempted to an unreachable network."},
    {0x00002744, u"WSAENETRESET: The connection has been broken due to keep-alive activity "
                 u"detecting a failure while the operation was in progress."},
    {0x00002745, u"WSAECONNABORTED: An established connection was aborted by the software in your "
                 u"host machine."},
    {0x00002746, u"WSAECONNRESET: An existing connection was forcibly closed by the remote host."},
    {0x00002747, u"WSAENOBUFS: An operation on a socket could not be performed because the system "
                 u"lacked sufficient buffer space or because a queue was full."},
    {0x00002748, u"WSAEISCONN: A connect request was made on an already connected socket."},
    {0x00002749, u"WSAENOTCONN: A request to send or receive data was disallowed because the "
                 u"socket is not connected and (when sending on a datagram socket using a sendto "
                 u"call) no address was supplied."},
    {0x0000274A,
     u"WSAESHUTDOWN: A request to send or receive data was disallowed because the socket had "
     u"already been shut down in that direction with a previous shutdown call."},
    {0x0000274B, u"WSAETOOMANYREFS: Too many references to some kernel object."},
    {0x0000274C, u"WSAETIMEDOUT: A connection attempt failed because the connected party did not "
                 u"properly respond after a period of time, or established connection failed "
                 u"because connected host has failed to respond."},
    {0x0000274D, u"WSAECONNREFUSED: No connection could be made because the target machine "
                 u"actively refused it."},
    {0x0000274E, u"WSAELOOP: Cannot translate name."},
    {0x0000274F, u"WSAENAMETOOLONG: Name component or name was too long."},
    {0x00002750, u"WSAEHOSTDOWN: A socket operation failed because the destination host was down."},
    {0x00002751, u"WSAEHOSTUNREACH: A socket operation was attempted to an unreachable host."},
    {0x00002752, u"WSAENOTEMPTY: Cannot remove a directory that is not empty."},
    {0x00002753, u"WSAEPROCLIM: A Windows Sockets implementation may have a limit on the number of "
                 u"applications that may use it simultaneously."},
    {0x0000276B, u"WSASYSNOTREADY: WSAStartup cannot function at this time because the underlying "
                 u"system it uses to provide network services is currently unavailable."},
    {0x0000276C, u"WSAVERNOTSUPPORTED: The Windows Sockets version requested is not supported."},
    {0x0000276D,
     u"WSANOTINITIALISED: Either the application has not called WSAStartup, or WSAStartup failed."},
    {0x00002775, u"WSAEDISCON: Returned by WSARecv or WSARecvFrom to indicate the remote party has "
                 u"initiated a graceful shutdown sequence."},
    {0x0000277D, u"WSATYPE_NOT_FOUND: The specified class was not found."},
    {0x00002AF9, u"WSAHOST_NOT_FOUND: No such host is known."},
    {0x00002AFA,
     u"WSATRY_AGAIN: This is usually a temporary error during hostname resolution and means that "
     u"the local server did not receive a response from an authoritative server."},
    {0x00002AFB, u"WSANO_RECOVERY: A non-recoverable error occurred during a database lookup."},
    {0x00002AFC,
     u"WSANO_DATA: The requested name is valid, but no data of the requested type was found."},
    {0x00002EE1, u"ERROR_WINHTTP_OUT_OF_HANDLES: No more handles could be generated at this time."},
    {0x00002EE2, u"ERROR_WINHTTP_TIMEOUT: The operation timed out"},
    {0x00002EE4, u"ERROR_WINHTTP_INTERNAL_ERROR: An internal error occurred in the HTTP services"},
    {0x00002EE5, u"ERROR_WINHTTP_INVALID_URL: The URL is invalid"},
    {0x00002EE6, u"ERROR_WINHTTP_UNRECOGNIZED_SCHEME: The URL does not use a recognized protocol"},
    {0x00002EE7,
     u"ERROR_WINHTTP_NAME_NOT_RESOLVED: The server name or address could not be resolved"},
    {0x00002EE9, u"ERROR_WINHTTP_INVALID_OPTION: The option is invalid"},
    {0x00002EEB,
     u"ERROR_WINHTTP_OPTION_NOT_SETTABLE: The requested option cannot be set, only queried"},
    {0x00002EEC, u"ERROR_WINHTTP_SHUTDOWN: The HTTP services have been shut down"},
    {0x00002EEF, u"ERROR_WINHTTP_LOGIN_FAILURE: The login attempt failed"},
    {0x00002EF1, u"ERROR_WINHTTP_OPERATION_CANCELLED: The operation was canceled"},
    {0x00002EF2, u"ERROR_WINHTTP_INCORRECT_HANDLE_TYPE: The type of handle supplied is incorrect "
                 u"for this operation"},
    {0x00002EF3,
     u"ERROR_WINHTTP_INCORRECT_HANDLE_STATE: The handle supplied is not in the correct state"},
    {0x00002EFD,
     u"ERROR_WINHTTP_CANNOT_CONNECT: A connection with the server could not be established"},
    {0x00002EFE,
     u"ERROR_WINHTTP_CONNECTION_ERROR: The connection with the server was terminated abnormally"},
    {0x00002F00, u"ERROR_WINHTTP_RESEND_REQUEST: The request must be resent"},
    {0x00002F05, u"ERROR_WINHTTP_SECURE_CERT_DATE_INVALID: The date in the certificate is invalid "
                 u"or has expired"},
    {0x00002F06, u"ERROR_WINHTTP_SECURE_CERT_CN_INVALID: The host name in the certificate is "
                 u"invalid or does not match"},
    {0x00002F0C, u"ERROR_WINHTTP_CLIENT_AUTH_CERT_NEEDED: A certificate is required to complete "
                 u"client authentication"},
    {0x00002F0D,
     u"ERROR_WINHTTP_SECURE_INVALID_CA: The certificate authority is invalid or incorrect"},
    {0x00002F19, u"ERROR_WINHTTP_SECURE_CERT_REV_FAILED: Revocation information for the security "
                 u"certificate for this site is not available"},
    {0x00002F76, u"ERROR_WINHTTP_HEADER_NOT_FOUND: The requested header could not be located"},
    {0x00002F78, u"ERROR_WINHTTP_INVALID_SERVER_RESPONSE: The server response could not be parsed"},
    {0x00002F7C, u"ERROR_WINHTTP_REDIRECT_FAILED: The redirection failed because either the scheme "
                 u"changed or all attempts made to redirect failed"},
    {0x00002F7D,
     u"ERROR_WINHTTP_SECURE_CHANNEL_ERROR: An error occurred in the secure channel support"},
    {0x00002F89, u"ERROR_WINHTTP_SECURE_INVALID_CERT: The certificate is invalid"},
    {0x00002F8A, u"ERROR_WINHTTP_SECURE_CERT_REVOKED: The certificate has been revoked"},
    {0x00002F8F, u"ERROR_WINHTTP_SECURE_FAILURE: A security error occurred"},
    {0x00002F99, u"ERROR_WINHTTP_CLIENT_CERT_NO_PRIVATE_KEY: The client certificate has no private "
                 u"key associated with it"},
    {0x00090323,
     u"SEC_I_NO_LSA_CONTEXT: There is no LSA mode context associated with this context."},
    {0x8000000A, u"E_PENDING: The data necessary to complete this operation is not yet available."},
    {0x80004001, u"E_NOTIMPL: Not implemented"},
    {0x80004002, u"E_NOINTERFACE: No such interface supported"},
    {0x80004003, u"E_POINTER: Invalid pointer"},
    {0x80004004, u"E_ABORT: Operation aborted"},
    {0x80004005, u"E_FAIL: Unspecified error"},
    {0x8000FFFF, u"E_UNEXPECTED: Catastrophic failure"},
    {0x80070005, u"E_ACCESSDENIED: General access denied error"},
    {0x80070006, u"E_HANDLE: Invalid handle"},
    {0x8007000E, u"E_OUTOFMEMORY: Ran out of memory"},
    {0x80070057, u"E_INVALIDARG: One or more arguments are invalid"},
    {0x80090308, u"SEC_E_INVALID_TOKEN: The token supplied to the function is invalid"},
    {0x80090325, u"SEC_E_UNTRUSTED_ROOT: The certificate chain was issued by an authority that is "
                 u"not trusted."},
    {0x80090327,
     u"SEC_E_CERT_UNKNOWN: An unknown error occurred while processing the certificate."},
    {0x80090328, u"SEC_E_CERT_EXPIRED: The received certificate has expired."},
    {0x800B0101,
     u"CERT_E_EXPIRED: A required certificate is not within its validity period when verifying "
     u"against the current system clock or the timestamp in the signed file."},
    {0x800B0109, u"CERT_E_UNTRUSTEDROOT: A certificate chain processed, but terminated in a root "
                 u"certificate which is not trusted by the trust provider."},
    {0x800B010F, u"CERT_E_CN_NO_MATCH: The certificate's CN name does not match the passed value."},
    {0xC03A001D, u"ERROR_VIRTDISK_UNSUPPORTED_DISK_SECTOR_SIZE: The sector size of the physical "
                 u"disk on which the virtual disk resides is not supported."},
    {0, nullptr},
};

const size_t kSysErrTextRows = sizeof kSysErrText / sizeof kSysErrText[0] - 1;
