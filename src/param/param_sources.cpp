// Where values come from: hardware values, the environment switches and the
// Windows defaults, the instance number, the instance profile, the property
// file of J instances and DEFAULT.PFL.
#include <cerrno>
#include <cstdio>

#include "param/param_library.h"
#include "param/param_line_reader.h"
#include "param/param_system.h"
#include "u16/u16.h"

namespace param {

namespace {

// Defaults that differ on Windows from the built-in rows (not taken when
// QORPARAM700 is set).
struct WindowsDefault
{
    const QOR_UC* name;
    const QOR_UC* value;
};
constexpr WindowsDefault kWindowsDefaults[] = {
    {u"QORTRANSHOST", u""},
    {u"DIR_EXECUTABLE", u"$(DIR_EXE_ROOT)\\$(EXETYPE)"},
};

constexpr size_t kLineBuffer = 4096;

bool is_digit(QOR_UC c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

void Library::set_hardware_values()
{
    memory_bytes_ = src_.physical_memory ? src_.physical_memory() : -1;
    write_buffer(u"PHYS_MEMSIZE", u"%I64d", memory_bytes_ < 0 ? 0 : memory_bytes_ / 1048576);
    const int logical = src_.logical_processors ? src_.logical_processors() : 1;
    cores_ = core_count(logical, src_.cpu_topology ? src_.cpu_topology() : CpuTopology{});
    write_buffer(u"CPU_CORES", u"%lld", cores_);
}

void Library::environment_switches()
{
    switch_700_ = src_.getenv && src_.getenv("QORPARAM700") != nullptr;
    switch_msid_ = src_.getenv && src_.getenv("QORPARAMMSID") != nullptr;
    set_buffer(u"GLOBALHOSTPATH", switch_msid_ ? u"\\\\$(QORGLOBALHOST)\\qormnt$(QORSYSTEMNAME)\\"
                                               : u"\\\\$(QORGLOBALHOST)\\qormnt\\");
    set_buffer(u"LOCALHOSTSIDPATH",
               switch_msid_ ? u"\\\\$(QORLOCALHOST)\\qorloc$(QORSYSTEMNAME)_$(QORSYSTEM)\\"
                            : u"\\\\$(QORLOCALHOST)\\qorloc\\");
    if (switch_700_)
        return;
    for (const WindowsDefault& d : kWindowsDefaults)
        default_override_.emplace(d.name, d.value);
}

void Library::fix_instance_number()
{
    if (instance_from_profile_ || instance_[0] != u'?' || instance_[1] != u'?')
        return;
    const char* env = src_.getenv ? src_.getenv("QORSYSTEM") : nullptr;
    if (env != nullptr && env[0] >= '0' && env[0] <= '9' && env[1] >= '0' && env[1] <= '9' &&
        env[2] == 0) {
        instance_[0] = static_cast<QOR_UC>(env[0]);
        instance_[1] = static_cast<QOR_UC>(env[1]);
        return;
    }
    if (env != nullptr)
        message(u"%sqorparam(9): environment variable $%s format error.\n", u"", u"QORSYSTEM");
    instance_[0] = instance_[1] = u'0';
}

void Library::read_instance_profile()
{
    std::u16string file_name;
    for (const auto& [name, value] : src_.second_args)
        if (name == u"QORPROFILE") {
            file_name = value;
            break;
        }
    while (!file_name.empty() && file_name.back() < 0x20)
        file_name.pop_back();

    FILE* file = nullptr;
    if (file_name.empty()) {
        message(u"%sqorparam(1c): No Profile used.\n", u"");
    } else if ((file = fopenU16(file_name.c_str(), u"r")) == nullptr) {
        const QOR_UC* reason = strerrorU16(errno);
        message(u"%sqorparam(2): fopenU(\"%s\",\"r\"): %s\n", u"", file_name.c_str(), reason);
        message(u"%sNo Profile used.\n", u"");
    }
    if (file != nullptr) {
        set_buffer(u"QORPROFILE_IN_EFFECT", file_name.c_str());
        bool systemname_taken = false;
        QOR_UC name[kLineBuffer], value[kLineBuffer];
        while (qorparam_read_line(file, name, kLineBuffer, value, kLineBuffer,
                                  ParamHardware{memory_bytes_, cores_})) {
            ++n_pf_file_;
            const bool is_system = strcmpU16(name, u"QORSYSTEM") == 0;
            if (is_system && is_digit(value[0]) && is_digit(value[1]) && !instance_from_profile_) {
                instance_[0] = value[0];
                instance_[1] = value[1];
                instance_from_profile_ = true;
            }
            Record* r = record(name);
            if (r == nullptr) {
                // Unknown: a new record whose lower levels hold the marker.
                if (!add_record(name, value, L31)) {
                    errno = ENOMEM;
                    message(u"qorparam(5): realloc: %s\n", strerrorU16(errno));
                }
                continue;
            }
            const QOR_UC* copy = arena_.copy(value);
            if (copy == nullptr)
                continue;
            if (strcmpU16(name, u"QORSYSTEMNAME") == 0 && !systemname_taken) {
                set_buffer(u"QORSYSTEMNAME", copy);
                systemname_taken = true;
            }
            if (!is_system)
                set_level(*r, copy, L31);
        }
        U16ForgetStream(file);
        std::fclose(file);
        merge_added();
    }
    const QOR_UC* systemname = buffer(u"QORSYSTEMNAME");
    if (systemname == nullptr || systemname[0] == 0)
        message(u"%sqorparam: QORSYSTEMNAME neither in Profile nor in Commandline\n", u"");
    write_buffer(u"__QORPROFILE_n_PF_FILE", u"%5.5lld", n_pf_file_);
}

void Library::property_file_default()
{
    const Record* r = record(u"INSTANCE_NAME");
    const QOR_UC* name = r != nullptr ? r->v[Current] : nullptr;
    if (name != nullptr && (name[0] == u'J' || name[0] == u'j'))
        set_buffer(u"jstartup/xcm_properties", u"$(DIR_EXECUTABLE)$(DIR_SEP)xcm.properties");
}

void Library::read_default_profile()
{
    Record* dir = record(u"DIR_PROFILE");
    if (dir != nullptr) {
        replace_instance(*dir, kContext33);
        replace_refs(*dir, kContext33, 1);
        dir->complete34 = true;
    }
    // The directory and the file name joined with this system's separator.
    // Only an absolute directory is read: a share path (\\host\share\...)
    // means nothing here, and any directory that is not absolute would name
    // a file of whatever directory the program happens to run in.
    QOR_UC path[kLineBuffer] = {0};
    if (dir != nullptr && dir->v[L34] != nullptr && dir->v[L34][0] == u'/' &&
        (strcpy_sU16(path, kLineBuffer, dir->v[L34]) != 0 ||
         strcat_sU16(path, kLineBuffer, u"/") != 0 ||
         strcat_sU16(path, kLineBuffer, u"DEFAULT.PFL") != 0))
        path[0] = 0;
    FILE* file = path[0] != 0 ? fopenU16(path, u"r") : nullptr;
    if (file != nullptr) {
        default_path_ = path;
        set_buffer(u"__QORPROFILE_DEFAULT", path);
        QOR_UC name[kLineBuffer], value[kLineBuffer];
        while (qorparam_read_line(file, name, kLineBuffer, value, kLineBuffer,
                                  ParamHardware{memory_bytes_, cores_})) {
            Record* r = record(name);
            if (r == nullptr) {
                if (add_record(name, value, L21))
                    ++n_default_;
                continue;
            }
            const QOR_UC* copy = arena_.copy(value);
            if (copy == nullptr)
                continue;
            if (strcmpU16(name, u"QORSYSTEM") == 0)
                r->v[L21] = copy;
            else
                set_level(*r, copy, L21);
            ++n_default_;
        }
        U16ForgetStream(file);
        std::fclose(file);
        merge_added();
    }
    write_buffer(u"__QORPROFILE_n_DEFAULT", u"%5.5lld", n_default_);
}

} // namespace param
