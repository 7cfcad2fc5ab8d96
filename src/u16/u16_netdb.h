#ifndef QOR_U16_U16_NETDB_H
#define QOR_U16_U16_NETDB_H

/* 16-bit host and service look-ups: the arguments go to the platform's name
 * calls as UTF-8, the results come back in static records whose texts are
 * UTF-16. One record per operation, overwritten by its next call in any
 * thread, not locked. Every failure returns null; a failed platform call
 * leaves its socket error (u16_net_last_error). */

#include <cstdint>

#include "u16/qor_uc.h"

#define MAX_HOSTNAME_LN 256    /* bytes of the UTF-8 host name; units of each host text */
#define MAX_ALIASES 64         /* alias list entries, the null entry included */
#define MAX_ADDRESSES 64       /* address list entries, the null entry included */
#define MAX_IPADDR_LN 16       /* bytes of one address */
#define MAX_SERVNAME_LN 32     /* bytes of the UTF-8 service name; units of each service text */
#define MAX_SERVPROTONAME_LN 8 /* bytes of the UTF-8 protocol name; units of the protocol text */

struct hostentU16
{
    QOR_UC* h_name;
    QOR_UC* h_aliases[MAX_ALIASES];
    int32_t h_addrtype; /* the platform's address family (AF_INET, AF_INET6) */
    int32_t h_length;
    char* h_addr_list[MAX_ADDRESSES];
};

struct serventU16
{
    QOR_UC* s_name;
    QOR_UC* s_aliases[MAX_ALIASES];
    int32_t s_port; /* network byte order, widened with sign */
    QOR_UC* s_proto;
};

/* name null: this machine. A name whose UTF-8 form does not fit whole is
 * not looked up. */
hostentU16* gethostbynameU16(const QOR_UC* name);
/* The same for the addresses of one family only (AF_INET or AF_INET6). */
hostentU16* gethostbyname2U16(const QOR_UC* name, int family);
/* protocol null matches any. */
serventU16* getservbynameU16(const QOR_UC* name, const QOR_UC* protocol);

#endif
