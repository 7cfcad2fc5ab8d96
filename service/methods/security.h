/*
 * The service's list of log files, the logon file and the security material
 * of system and instance; and the ticket elements, which the client never
 * sends.
 */

#import "core/types.h"

int QORControl__ConfigureLogFileList(
	enum QORControl__LogFileConfigOperation operation 1,
	QORControl__ArrayOfString *logfiles,
	struct QORControl__ConfigureLogFileListResponse { } *out);

int QORControl__GetLogFileList(
	QORControl__ArrayOfString &logfiles 0);

int QORControl__RequestLogonFile(
	char *user 1,
	char **filename);

int QORControl__UpdateSystemPKI(
	bool force 1,
	struct QORControl__UpdateSystemPKIResponse { } *out);

int QORControl__UpdateInstancePSE(
	bool force 1,
	struct QORControl__UpdateInstancePSEResponse { } *out);

/* Elements of webmethods without a client call. */
struct QORControl__RequestTicket {
	char *host 1;
	int nr 1;
	char *challenge 1;
};

struct QORControl__RequestTicketResponse { };

struct QORControl__SendTicket {
	char *proof 1;
	char *challenge 1;
};

struct QORControl__SendTicketResponse { };
