#ifndef QOR_CLIENT_LOGON_FILE_H
#define QOR_CLIENT_LOGON_FILE_H

#include <string>

#include "client/webmethods.h"

/* The fixed user name of the logon-file authentication. */
#define QOR_LOGON_FILE_USER "{5D2A9C41-7B3E-4F08-9A61-C2E4B7D08F13}"

/* The first line of a logon file (at most size - 1 bytes, a line end kept)
 * as the password; empty when the file cannot be opened or read. The file is
 * read only when the service runs on this machine (not_local empty, else
 * why it does not) and it is a regular file other than the standard input;
 * a FIFO, a device or a directory is never opened. Returns why a file was
 * refused, or "" when it was not. */
std::string read_logon_password(const char* file_name, const std::string& not_local, char* password,
                                int size);

/* Start of a repetition when a user was given: an empty user name fetches a
 * logon file from the service (printed as "RequestLogonFile") and switches
 * to the fixed user name and the password the file holds, or prints
 * "FAIL: " with the reason when the file is refused (also when the service
 * that answered does not run on this machine, judged by the connection that
 * carried the request: plugin_request_was_local); a password read goes
 * only to this machine from then on (plugin_keep_password_on_this_machine).
 * Then the context gets the user and the password. Returns the
 * RequestLogonFile header's result (1 for a refused file), or 0 when no file
 * was requested. */
int logon_file_step(CallContext& call);

#endif
