// Processor cores and the host share paths LOCALHOSTPATH, LOCALHOSTSIDPATH
// and GLOBALHOSTPATH.
#include "param/param_system.h"

#include "u16/u16.h"

namespace param {

namespace {

constexpr size_t kPathUnits = 260;

// Formats into a path of at most 259 units; empty when it does not fit.
std::u16string format_path(const QOR_UC* format, const QOR_UC* a, const QOR_UC* b = u"",
                           const QOR_UC* c = u"")
{
    QOR_UC path[kPathUnits];
    if (snprintfU16(path, kPathUnits, format, a, b, c) < 0)
        return {};
    return path;
}

} // namespace

int core_count(int logical, const CpuTopology& topology)
{
    if (!topology.known)
        return logical;
    if (topology.packages > 0)
        return static_cast<int>(topology.core_threads.size());
    if (topology.core_threads.empty())
        return logical;
    int threads = 0;
    for (int t : topology.core_threads)
        threads += t;
    return threads;
}

bool split_local_unc(const QOR_UC* path, const Sources& sources, std::u16string* share,
                     std::u16string* rest)
{
    if (path == nullptr || path[0] != u'\\' || path[1] != u'\\')
        return false;
    const QOR_UC* host_end = strchrU16(path + 2, u'\\');
    if (host_end == nullptr)
        return false;
    const QOR_UC* share_end = strchrU16(host_end + 1, u'\\');
    if (share_end == nullptr)
        return false;
    const std::u16string host(path + 2, host_end);
    bool local = host == u".";
    if (!local && !host.empty() && sources.computer_name) {
        const std::u16string computer = sources.computer_name();
        local = !computer.empty() && strcasecmpU16(host.c_str(), computer.c_str()) == 0;
    }
    if (!local && !host.empty() && sources.is_local_host)
        local = sources.is_local_host(host.c_str());
    if (!local)
        return false;
    share->assign(host_end + 1, share_end);
    rest->assign(share_end);
    return true;
}

std::u16string join_path(const std::u16string& path, const std::u16string& rest)
{
    if (path.empty())
        return rest;
    if (path.back() == u'\\' || path.back() == u'/')
        return path.substr(0, path.size() - 1) + rest;
    return path + rest;
}

void localize_unc_path(QOR_UC* path, size_t size, const Sources& sources)
{
    std::u16string share, rest, local;
    if (!split_local_unc(path, sources, &share, &rest))
        return;
    std::u16string joined;
    if (sources.share_path && sources.share_path(share.c_str(), &local)) {
        joined = join_path(local, rest);
    } else if (sources.registry_share_path && sources.registry_share_path(share.c_str(), &local) &&
               local.size() + rest.size() + 1 < strlenU16(path)) {
        joined = join_path(local, rest);
    } else {
        return;
    }
    if (joined.size() < size)
        strcpy_sU16(path, size, joined.c_str());
}

void Library::set_host_paths()
{
    auto text = [this](const QOR_UC* name, Level level) -> const QOR_UC* {
        const Record* r = record(name);
        return r != nullptr && r->v[level] != nullptr ? r->v[level] : u"";
    };
    const QOR_UC* global_host = text(u"QORGLOBALHOST", L32);
    const QOR_UC* local_host = text(u"QORLOCALHOST", L32);
    const QOR_UC* local_host_31 = text(u"QORLOCALHOST", L31);
    const QOR_UC* system_name = text(u"QORSYSTEMNAME", L32);
    const QOR_UC* system = text(u"QORSYSTEM", L32);
    // A path that does not fit leaves the text as it was.
    auto store = [this](const QOR_UC* name, std::u16string path) {
        if (path.empty())
            return;
        QOR_UC local[kPathUnits];
        strcpy_sU16(local, kPathUnits, path.c_str());
        localize_unc_path(local, kPathUnits, src_);
        set_buffer(name, local);
    };
    store(u"LOCALHOSTPATH", format_path(u"\\\\%s\\qorloc\\", local_host));
    const bool global_is_local = strcasecmpU16(global_host, local_host_31) == 0;
    if (switch_msid_) {
        if (global_is_local)
            store(u"GLOBALHOSTPATH", format_path(u"\\\\%s\\qormnt%s\\", global_host, system_name));
        store(u"LOCALHOSTSIDPATH",
              format_path(u"\\\\%s\\qorloc%s_%s\\", local_host, system_name, system));
    } else {
        if (global_is_local)
            store(u"GLOBALHOSTPATH", format_path(u"\\\\%s\\qormnt\\", global_host));
        set_buffer(u"LOCALHOSTSIDPATH", buffer(u"LOCALHOSTPATH"));
    }
}

} // namespace param
