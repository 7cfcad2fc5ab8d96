#ifndef QOR_PLATFORM_U16_NETDB_H
#define QOR_PLATFORM_U16_NETDB_H

/* The classic socket name calls - host by name and by address, service by
 * name and by port - over the C library's resolver (getaddrinfo,
 * getnameinfo, the services table). Results live in per-thread records,
 * valid until the thread's next call of the same kind; a failed call leaves
 * its code, in the Windows Sockets numbering below, as the thread's last
 * socket error. The resolver can be replaced as a whole (tests). */

#include <netdb.h>

/* Socket error codes (Windows Sockets numbering). */
#define U16_WSA_NOT_ENOUGH_MEMORY 8
#define U16_WSAEINTR 10004
#define U16_WSAEINVAL 10022
#define U16_WSAEINPROGRESS 10036
#define U16_WSAEAFNOSUPPORT 10047
#define U16_WSANOTINITIALISED 10093
#define U16_WSAHOST_NOT_FOUND 11001
#define U16_WSATRY_AGAIN 11002
#define U16_WSANO_RECOVERY 11003
#define U16_WSANO_DATA 11004

struct U16NetResolver
{
    /* name null: this machine. A host record holds the addresses of one
     * family: of the family asked for (AF_INET or AF_INET6), or for
     * AF_UNSPEC IPv4 when the name has IPv4 addresses, else IPv6. */
    const hostent* (*host_by_name)(const char* name, int family);
    const hostent* (*host_by_addr)(const void* address, int length, int family);
    /* s_port in network byte order; protocol null matches any. */
    const servent* (*serv_by_name)(const char* name, const char* protocol);
    const servent* (*serv_by_port)(int port, const char* protocol);
};

/* The classic call: host_by_name with AF_UNSPEC. */
const hostent* u16_net_gethostbyname(const char* name);
/* The addresses of one family only (AF_INET or AF_INET6). */
const hostent* u16_net_gethostbyname2(const char* name, int family);
const hostent* u16_net_gethostbyaddr(const void* address, int length, int family);
const servent* u16_net_getservbyname(const char* name, const char* protocol);
const servent* u16_net_getservbyport(int port, const char* protocol);

/* The calling thread's last socket error. */
int u16_net_last_error(void);
void u16_net_set_last_error(int code);

/* Replaces the resolver; null restores the C library's. */
void u16_net_set_resolver(const U16NetResolver* resolver);
/* The C library's resolver reads services from this file (the services
 * file's format) instead of the system's services database; null or ""
 * returns to the database. */
void u16_net_set_services_file(const char* path);

#endif
