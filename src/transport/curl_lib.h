#ifndef QOR_TRANSPORT_CURL_LIB_H
#define QOR_TRANSPORT_CURL_LIB_H

// The HTTP library under the WinHTTP stand-in, loaded on first use and bound
// by name, so that a run over the other transports neither loads it nor the
// many libraries it pulls in. Its header supplies the types and constants.

#include <curl/curl.h>

namespace qortransport {

struct CurlLib
{
    CURLcode (*global_init)(long);
    CURL* (*easy_init)(void);
    void (*easy_cleanup)(CURL*);
    void (*easy_reset)(CURL*);
    CURLcode (*easy_setopt)(CURL*, CURLoption, ...);
    CURLcode (*easy_perform)(CURL*);
    CURLcode (*easy_getinfo)(CURL*, CURLINFO, ...);
    CURLcode (*easy_pause)(CURL*, int);
    curl_slist* (*slist_append)(curl_slist*, const char*);
    void (*slist_free_all)(curl_slist*);
    CURLM* (*multi_init)(void);
    CURLMcode (*multi_cleanup)(CURLM*);
    CURLMcode (*multi_add_handle)(CURLM*, CURL*);
    CURLMcode (*multi_remove_handle)(CURLM*, CURL*);
    CURLMcode (*multi_perform)(CURLM*, int*);
    CURLMcode (*multi_poll)(CURLM*, curl_waitfd*, unsigned int, int, int*);
    CURLMsg* (*multi_info_read)(CURLM*, int*);
};

// The bound library (loaded and globally initialised once), or null when it
// cannot be loaded.
const CurlLib* curl_lib();

} // namespace qortransport

#endif
