#ifndef QOR_CLIENT_LOGON_FILE_H
#define QOR_CLIENT_LOGON_FILE_H

#include "client/dispatch.h"

/* The fixed user name of the logon-file authentication. */
#define QOR_LOGON_FILE_USER "{5D2A9C41-7B3E-4F08-9A61-C2E4B7D08F13}"

/* The first line of a logon file (at most 1023 bytes, a line end kept) as
 * the password; empty when the file cannot be opened or read. */
void read_logon_password(const QOR_UC* file_name, char* password, int size);

/* Start of a repetition when a user was given: an empty user name fetches a
 * logon file from the service (printed as "RequestLogonFile") and switches
 * to the fixed user name and the password the file holds; then the context
 * gets the user and the password. Returns the RequestLogonFile header's
 * result, or 0 when no file was requested. */
int logon_file_step(CallContext& call);

#endif
