#include "transport/curl_lib.h"

#include <mutex>
#include <string>

#include "base/dl.h"

namespace qortransport {
namespace {

constexpr const char* kLibNames[] = {"libcurl.so.4", "libcurl.so"};

template <typename Fn> bool bind(DL_HDL hdl, const char* name, Fn* slot)
{
    const std::string n(name);
    const std::u16string wide(n.begin(), n.end());
    DL_FUNC fn = nullptr;
    if (DlLoadFunc(hdl, wide.c_str(), 0, &fn) != DL_OK || fn == nullptr)
        return false;
    *slot = reinterpret_cast<Fn>(fn);
    return true;
}

const CurlLib* load()
{
    static CurlLib lib;
    DL_HDL hdl = DL_HDL_INVALID;
    for (const char* name : kLibNames) {
        const std::string n(name);
        const std::u16string wide(n.begin(), n.end());
        if (DlLoadLib(wide.c_str(), &hdl) == DL_OK)
            break;
        hdl = DL_HDL_INVALID;
    }
    if (hdl == DL_HDL_INVALID)
        return nullptr;
    bool ok = bind(hdl, "curl_global_init", &lib.global_init) &&
              bind(hdl, "curl_easy_init", &lib.easy_init) &&
              bind(hdl, "curl_easy_cleanup", &lib.easy_cleanup) &&
              bind(hdl, "curl_easy_reset", &lib.easy_reset) &&
              bind(hdl, "curl_easy_setopt", &lib.easy_setopt) &&
              bind(hdl, "curl_easy_perform", &lib.easy_perform) &&
              bind(hdl, "curl_easy_getinfo", &lib.easy_getinfo) &&
              bind(hdl, "curl_easy_pause", &lib.easy_pause) &&
              bind(hdl, "curl_slist_append", &lib.slist_append) &&
              bind(hdl, "curl_slist_free_all", &lib.slist_free_all) &&
              bind(hdl, "curl_multi_init", &lib.multi_init) &&
              bind(hdl, "curl_multi_cleanup", &lib.multi_cleanup) &&
              bind(hdl, "curl_multi_add_handle", &lib.multi_add_handle) &&
              bind(hdl, "curl_multi_remove_handle", &lib.multi_remove_handle) &&
              bind(hdl, "curl_multi_perform", &lib.multi_perform) &&
              bind(hdl, "curl_multi_poll", &lib.multi_poll) &&
              bind(hdl, "curl_multi_info_read", &lib.multi_info_read);
    if (!ok || lib.global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
        DlUnloadLib(&hdl);
        return nullptr;
    }
    return &lib; // stays loaded for the rest of the process
}

} // namespace

const CurlLib* curl_lib()
{
    static std::once_flag once;
    static const CurlLib* lib = nullptr;
    std::call_once(once, [] { lib = load(); });
    return lib;
}

} // namespace qortransport
