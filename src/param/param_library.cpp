// The runtime table: building it from the built-in rows, the layering of
// values, lookups with their statistics, records added from profiles and
// argument lists, and the order of initialisation.
#include "param/param_library.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <new>

#include "ni/ni.h"
#include "param/qorparam.h"
#include "platform/param_sys.h"
#include "u16/u16.h"

namespace param {

namespace {

// Levels that follow a level while they hold the same text pointer.
const std::vector<Level> kDerived[kLevels] = {
    /* L11 */ {L21, L13}, /* L12 */ {L21},     /* L13 */ {},     /* L21 */ {L31, L23},
    /* L23 */ {L24},      /* L24 */ {},        /* L31 */ {L32},  /* L32 */ {L33},
    /* L33 */ {L34},      /* L34 */ {Current}, /* Current */ {},
};

// Room of the library's own texts (units with the terminator); a buffer
// not listed gets 256 units.
struct BufferSize
{
    const QOR_UC* name;
    size_t units;
};
constexpr BufferSize kBufferSizes[] = {
    {u"__QORPROFILE_n_DEFAULT", 16}, {u"__QORPROFILE_n_PF_FILE", 16},
    {u"__QORPROFILE_CALLS", 10},     {u"__QORPROFILE_CALL_LAST_NAME", 499},
    {u"__QORPROFILE_MALLOCS", 32},   {u"QORPROFILE_IN_EFFECT", 400},
    {u"__QORPROFILE_DEFAULT", 400},  {u"QORSYSTEMNAME", 200},
    {u"PHYS_MEMSIZE", 256},          {u"CPU_CORES", 16},
    {u"LOCALHOSTPATH", 260},         {u"LOCALHOSTSIDPATH", 260},
    {u"GLOBALHOSTPATH", 260},        {u"jstartup/xcm_properties", 64},
};

// wcscmp order: by 16-bit units.
bool name_less(const Record& a, const Record& b)
{
    const QOR_UC* p = a.name;
    const QOR_UC* q = b.name;
    while (*p != 0 && *p == *q) {
        ++p;
        ++q;
    }
    return *p < *q;
}

} // namespace

const Context kContext13 = {L13, L11, L13, nullptr};
const Context kContext23 = {L23, L21, L24, &Record::complete24};
const Context kContext33 = {L33, L32, L34, &Record::complete34};

Library::Library(Sources sources)
    : src_(std::move(sources)), arena_(src_.messages, src_.may_allocate, &mallocs_)
{
    for (const QorParamDesc* d = table(); d->name != nullptr; ++d) {
        const QorParamDesc& row = *d;
        if (!row.library_buffer)
            continue;
        const size_t first = strlenU16(row.default_value) + 1;
        size_t units = 256;
        for (const BufferSize& b : kBufferSizes)
            if (strcmpU16(b.name, row.name) == 0)
                units = b.units;
        Buffer& buf = buffers_[row.name];
        buf.text.assign(std::max(units, first), 0);
        std::copy(row.default_value, row.default_value + first, buf.text.begin());
    }
}

const QorParamDesc* Library::table() const
{
    return src_.table != nullptr ? src_.table : qorparam_builtin_table;
}

void Library::message(const QOR_UC* format, ...)
{
    va_list ap;
    va_start(ap, format);
    vfprintfU16(src_.messages, format, ap);
    va_end(ap);
}

QOR_UC* Library::buffer(const QOR_UC* name)
{
    auto it = buffers_.find(name);
    return it != buffers_.end() ? it->second.text.data() : nullptr;
}

void Library::set_buffer(const QOR_UC* name, const QOR_UC* text)
{
    auto it = buffers_.find(name);
    if (it != buffers_.end())
        strncpyTruncU16(it->second.text.data(), it->second.text.size(), text,
                        it->second.text.size() - 1);
}

void Library::write_buffer(const QOR_UC* name, const QOR_UC* format, long long number)
{
    auto it = buffers_.find(name);
    if (it != buffers_.end())
        snprintfU16(it->second.text.data(), it->second.text.size(), format, number);
}

void Library::set_level(Record& record, const QOR_UC* text, Level level)
{
    const QOR_UC* old = record.v[level];
    for (Level derived : kDerived[level])
        if (record.v[derived] == old)
            set_level(record, text, derived);
    record.v[level] = text;
}

const QOR_UC* Library::lookup(const QOR_UC* name)
{
    if (name == nullptr)
        return nullptr;
    std::call_once(init_once_, [this] { initialise(); });
    const Record* r = record(name);
    return r != nullptr ? r->v[Current] : nullptr;
}

const Record* Library::find(const QOR_UC* name)
{
    std::call_once(init_once_, [this] { initialise(); });
    if (name == nullptr || !table_present_)
        return nullptr;
    Record key;
    key.name = name;
    auto it = std::lower_bound(table_.begin(), table_.end(), key, name_less);
    return it != table_.end() && strcmpU16(it->name, name) == 0 ? &*it : nullptr;
}

Record* Library::record(const QOR_UC* name)
{
    if (name == nullptr)
        return nullptr;
    Record* found = nullptr;
    if (table_present_) {
        Record key;
        key.name = name;
        const auto end = table_.begin() + static_cast<std::ptrdiff_t>(sorted_);
        auto it = std::lower_bound(table_.begin(), end, key, name_less);
        if (it != end && strcmpU16(it->name, name) == 0) {
            found = &*it;
        } else if (!added_.empty()) {
            auto at = added_.find(name);
            if (at != added_.end())
                found = &table_[at->second];
        }
    }
    if (name[0] != u'$')
        count_call(name);
    return found;
}

void Library::count_call(const QOR_UC* name)
{
    std::lock_guard<std::mutex> guard(stats_lock_);
    ++calls_;
    write_buffer(u"__QORPROFILE_CALLS", u"%5.5lld", calls_);
    if (QOR_UC* last = buffer(u"__QORPROFILE_CALL_LAST_NAME"))
        strncpyTruncU16(last, 499, name, 498);
}

bool Library::build_table()
{
    size_t count = src_.first_args.size();
    for (const QorParamDesc* d = table(); d->name != nullptr; ++d) {
        const QorParamDesc& row = *d;
        if (!row.family)
            ++count;
        else
            for (const QOR_UC* const* v = row.values; v != nullptr && *v != nullptr; ++v)
                ++count;
    }
    bool ok = !src_.may_allocate || src_.may_allocate(count * sizeof(Record));
    if (ok) {
        try {
            table_.reserve(count);
        } catch (const std::bad_alloc&) {
            ok = false;
        }
    }
    if (!ok || !arena_.ensure_block()) {
        errno = ENOMEM;
        message(u"qorparam(3): malloc: %s\n", strerrorU16(errno));
        table_.clear();
        table_present_ = false;
        return false;
    }
    mallocs_ += static_cast<long>(count * sizeof(Record));
    write_buffer(u"__QORPROFILE_MALLOCS", u"%lld", mallocs_);

    for (const QorParamDesc* d = table(); d->name != nullptr; ++d) {
        const QorParamDesc& row = *d;
        if (row.family) {
            int index = 0;
            for (const QOR_UC* const* v = row.values; v != nullptr && *v != nullptr; ++v) {
                QOR_UC name[512];
                snprintfU16(name, 512, u"%s_%d", row.name, index++);
                heap_.emplace_back(name);
                Record r;
                r.name = heap_.back().c_str();
                std::fill(std::begin(r.v), std::end(r.v), *v);
                table_.push_back(r);
            }
            continue;
        }
        const QOR_UC* def = row.default_value;
        auto over = default_override_.find(row.name);
        if (over != default_override_.end())
            def = over->second.c_str();
        else if (row.library_buffer)
            def = buffer(row.name);
        Record r;
        r.name = row.name;
        std::fill(std::begin(r.v), std::end(r.v), def);
        table_.push_back(r);
    }
    table_present_ = true;
    std::sort(table_.begin(), table_.end(), name_less);
    sorted_ = table_.size();
    return true;
}

bool Library::add_record(const QOR_UC* name, const QOR_UC* value, Level level)
{
    if (!table_present_)
        return false;
    if (table_.size() == table_.capacity()) {
        // Twice the room: adding many names costs no more than sorting them.
        const size_t capacity = std::max<size_t>(2 * table_.size(), 32);
        const size_t bytes = capacity * sizeof(Record);
        bool ok = !src_.may_allocate || src_.may_allocate(bytes);
        if (ok) {
            try {
                table_.reserve(capacity);
            } catch (const std::bad_alloc&) {
                ok = false;
            }
        }
        if (!ok)
            return false;
        mallocs_ += static_cast<long>(bytes);
        write_buffer(u"__QORPROFILE_MALLOCS", u"%lld", mallocs_);
    }
    const QOR_UC* name_copy = arena_.copy(name);
    const QOR_UC* value_copy = name_copy != nullptr ? arena_.copy(value) : nullptr;
    if (value_copy == nullptr)
        return false;
    static const QOR_UC kMarker[] = u"[not_in_qorparam.c]";
    Record r;
    r.name = name_copy;
    if (level == L21) {
        r.v[L11] = r.v[L13] = kMarker;
    } else {
        std::fill(std::begin(r.v), std::end(r.v), kMarker);
    }
    set_level(r, value_copy, level);
    table_.push_back(r);
    added_.emplace(name_copy, table_.size() - 1);
    return true;
}

void Library::merge_added()
{
    if (added_.empty())
        return;
    const auto middle = table_.begin() + static_cast<std::ptrdiff_t>(sorted_);
    std::sort(middle, table_.end(), name_less);
    std::inplace_merge(table_.begin(), middle, table_.end(), name_less);
    sorted_ = table_.size();
    added_.clear();
}

void Library::apply_args(const ArgList& args, bool first)
{
    for (const auto& [name, value] : args) {
        Record* r = record(name.c_str());
        if (r == nullptr) {
            if (first && add_record(name.c_str(), value.c_str(), L21))
                ++n_default_;
            continue;
        }
        if (first) {
            set_level(*r, value.c_str(), L12);
            set_level(*r, value.c_str(), L31);
        } else {
            set_level(*r, value.c_str(), L32);
        }
    }
    merge_added();
}

void Library::duplicate_check()
{
    for (size_t i = 1; i < table_.size(); ++i)
        if (strcmpU16(table_[i - 1].name, table_[i].name) == 0) {
            message(u"%sqorparam: Duplicate Profile Parameter \"%s\"\n", u"", table_[i].name);
            return;
        }
}

void Library::consistency_checks()
{
    const Record* sysname = record(u"QORSYSTEMNAME");
    if (sysname == nullptr) {
        message(u"%sqorparam: parameter \"%s\" not found.\n", u"", u"QORSYSTEMNAME");
    } else if (sysname->v[L34] == nullptr) {
        message(u"%sqorparam: parameter \"%s\" empty.\n", u"", u"QORSYSTEMNAME");
    } else {
        const QOR_UC* resolved = sysname->v[L34];
        for (Level level : {L33, L32, L31, L21, L11}) {
            const QOR_UC* text = sysname->v[level];
            if (text != nullptr && strcmpU16(text, resolved) != 0)
                message(u"%sqorparam: \"%s\": \"%s\" <--> \"%s\"\n", u"", sysname->name, text,
                        resolved);
        }
    }
    const Record* profile_dir = record(u"DIR_PROFILE");
    if (profile_dir != nullptr && profile_dir->v[L11] != nullptr &&
        profile_dir->v[L21] != nullptr && strcmpU16(profile_dir->v[L11], profile_dir->v[L21]) != 0)
        message(u"%sqorparam: \"%s\": must not be in \"%s\"\n", u"", u"DIR_PROFILE",
                default_path_.c_str());
}

void Library::initialise()
{
    set_hardware_values();
    if (!src_.args_handed_over) {
        message(u"%sqorparam: qorargv(argc, argv) has not been called!\n", u"");
        environment_switches();
    }
    if (!build_table())
        return;
    resolve_context(kContext13);
    apply_args(src_.second_args, false);
    fix_instance_number();
    read_instance_profile();
    set_host_paths();
    property_file_default();
    read_default_profile();
    apply_args(src_.first_args, true);
    resolve_context(kContext23);
    resolve_context(kContext33);
    evaluate_formulas();
    duplicate_check();
    consistency_checks();
    write_buffer(u"__QORPROFILE_MALLOCS", u"%lld", mallocs_);
}

Sources system_sources()
{
    Sources s;
    s.getenv = [](const char* name) -> const char* { return std::getenv(name); };
    s.physical_memory = [] { return qor_sys_physical_memory(); };
    s.logical_processors = [] { return qor_sys_logical_processors(); };
    s.cpu_topology = [] {
        CpuTopology t;
        QorSysCpuTopology sys;
        if (qor_sys_cpu_topology(QOR_SYS_CPU_DIR, &sys)) {
            t.known = true;
            t.packages = sys.packages;
            t.core_threads = sys.core_threads;
        }
        return t;
    };
    // The computer name is the host name, however long.
    s.computer_name = [] {
        QOR_UC name[256];
        return gethostnameU16(name, 256) == 0 ? std::u16string(name) : std::u16string();
    };
    s.is_local_host = [](const QOR_UC* host) { return NiIsLocalHost(host) == 1; };
    s.messages = stderr;
    return s;
}

} // namespace param

const QOR_UC* qorparam(const QOR_UC* name)
{
    if (name == nullptr)
        return nullptr;
    // Made on the first lookup; it lives until the process ends.
    static param::Library library(param::system_sources());
    return library.lookup(name);
}
