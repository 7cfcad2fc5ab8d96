/* Operating-system commands on the instance host and the log files. */

#import "core/types.h"
#import "core/responses.h"
#import "records/records.h"

int QORControl__OSExecute(
	char *command 1,
	int async 1,
	int timeout 1,
	char *protocolfile,
	QORControl__OSExecuteResponse &response);

int QORControl__ReadLogFile(
	char *filename 1,
	char *filter,
	char *language,
	int maxentries 1,
	char *statecookie,
	QORControl__ReadLogFileResponse &response);

int QORControl__ListLogFiles(
	QORControl__ArrayOfLogFile &file 0);

int QORControl__AnalyseLogFiles(
	char *starttime,
	char *endtime,
	int severity_level 1 = 2,
	int maxentries 1 = 10000,
	QORControl__AnalyseLogFilesResponse &response);
