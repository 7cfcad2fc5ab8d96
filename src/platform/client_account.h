#ifndef QOR_PLATFORM_CLIENT_ACCOUNT_H
#define QOR_PLATFORM_CLIENT_ACCOUNT_H

/* The caller's account name in the "DOMAIN\user" form of the logon-file
 * request, as UTF-8: the short host name, "\" and the user name. Writes at
 * most size bytes including the terminator; returns 1 on success, 0 when the
 * name is unknown or does not fit (the buffer then holds an empty string). */
int client_account_name(char* buffer, int size);

#endif
