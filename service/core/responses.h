/*
 * Response elements that the schema declares as classes.  The client keeps
 * an object of each on its stack; the client call resets it and reads the
 * response element into it in place.  Members held by value are required
 * (checked in strict mode only); strings are optional.
 */

#import "core/types.h"
#import "records/records.h"

class QORControl__GetStartProfileResponse {
public:
	char *name;
	QORControl__ArrayOfString lines 1;
};

class QORControl__GetTraceFileResponse {
public:
	char *name;
	QORControl__ArrayOfString lines 1;
};

class QORControl__GetAlertsResponse {
public:
	char *RootTidName;
	QORControl__ArrayOfAlert alert 1;
};

class QORControl__ReadDeveloperTraceResponse {
public:
	char *name;
	QORControl__ArrayOfString lines 1;
};

class QORControl__OSExecuteResponse {
public:
	int exitcode 1;
	int pid 1;
	QORControl__ArrayOfString lines 1;
};

class QORControl__ReadLogFileResponse {
public:
	char *format;
	char *startcookie;
	char *endcookie;
	QORControl__ArrayOfString fields 1;
};

class QORControl__AnalyseLogFilesResponse {
public:
	char *format;
	QORControl__ArrayOfString fields 1;
};

class QORControl__CreateSnapshotResponse {
public:
	char *filename;
};

class QORControl__DeleteSnapshotsResponse {
public:
};

class QORControl__HAGetFailoverConfigResponse {
public:
	bool HAActive 1;
	char *HAProductVersion;
	char *HAQORInterfaceVersion;
	char *HADocumentation;
	char *HAActiveNode;
	QORControl__ArrayOfString HANodes 1;
};

class QORControl__GetCallstackResponse {
public:
	QORControl__ArrayOfString lines 1;
};

class QORControl__J2EEEnableDbgSessionResponse {
public:
	char *key;
	int port 1;
};

class QORControl__J2EEGetThreadCallStackResponse {
public:
	char *name;
	QORControl__ArrayOfString lines 1;
};

class QORControl__J2EEGetThreadTaskStackResponse {
public:
	char *name;
	QORControl__ArrayOfString lines 1;
};
