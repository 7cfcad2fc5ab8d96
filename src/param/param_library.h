#ifndef QOR_PARAM_PARAM_LIBRARY_H
#define QOR_PARAM_PARAM_LIBRARY_H

// The parameter library behind qorparam: the runtime table built from the
// built-in rows, the profile files and the argument lists, with references
// resolved and formulas evaluated, all on the first lookup. The process has
// one library (qorparam); tests make their own with their own sources.

#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "param/param_arena.h"
#include "param/param_table.h"
#include "u16/qor_uc.h"

namespace param {

// The value levels of a record, each named after the number the library
// sets it by (see set_level).
enum Level {
    L11,     // built-in default
    L12,     // first argument list
    L13,     // built-in default, resolved
    L21,     // DEFAULT.PFL
    L23,     // DEFAULT.PFL layer being resolved
    L24,     // DEFAULT.PFL layer, resolved
    L31,     // instance profile and first argument list
    L32,     // second argument list
    L33,     // upper layer being resolved
    L34,     // upper layer, resolved
    Current, // what qorparam answers
    kLevels
};

struct Record
{
    const QOR_UC* name = nullptr;
    const QOR_UC* v[kLevels] = {};
    bool complete24 = false;
    bool complete34 = false;
};

// Processors as the system groups them: one entry per core with the number
// of logical processors it runs, and the number of packages.
struct CpuTopology
{
    bool known = false;
    int packages = 0;
    std::vector<int> core_threads;
};

using ArgList = std::vector<std::pair<std::u16string, std::u16string>>;

// Everything the library takes from outside.
struct Sources
{
    std::function<const char*(const char*)> getenv; // UTF-8 names and values
    std::function<int64_t()> physical_memory;       // bytes, -1 unknown
    std::function<int()> logical_processors;
    std::function<CpuTopology()> cpu_topology;
    std::function<std::u16string()> computer_name; // "" unknown
    std::function<bool(const QOR_UC*)> is_local_host;
    // The local directory of a share of this machine (the share service and
    // the share registry); empty: no share is known.
    std::function<bool(const QOR_UC* share, std::u16string* path)> share_path;
    std::function<bool(const QOR_UC* share, std::u16string* path)> registry_share_path;
    FILE* messages = stderr;
    // The two argument lists; QORPROFILE in the second names the instance
    // profile. args_handed_over says whether they came from qorargv.
    ArgList first_args;
    ArgList second_args;
    bool args_handed_over = false;
    // Decides whether the table or an arena block may grow by the given
    // bytes (tests); empty: always.
    std::function<bool(size_t)> may_allocate;
    // The built-in rows, ended by a row without name; null: the program's.
    const QorParamDesc* table = nullptr;
};

// The sources of this process: environment, system, NI, standard error.
Sources system_sources();

// The three resolution contexts.
struct Context
{
    Level target, source, value;
    bool Record::*complete; // null for context 13
};
extern const Context kContext13, kContext23, kContext33;

class Library
{
  public:
    explicit Library(Sources sources);
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    // The current value of a parameter, or null; initialises on the first
    // call.
    const QOR_UC* lookup(const QOR_UC* name);
    // The record of a parameter after initialisation (tests), or null.
    const Record* find(const QOR_UC* name);
    const std::vector<Record>& records() const { return table_; }

    // Sets a level and every level derived from it that still holds the
    // same text pointer.
    static void set_level(Record& record, const QOR_UC* text, Level level);

  private:
    struct Buffer
    {
        std::vector<QOR_UC> text;
    };

    void initialise();
    const QorParamDesc* table() const;
    // Counted lookup of a record (no initialisation).
    Record* record(const QOR_UC* name);
    void count_call(const QOR_UC* name);
    QOR_UC* buffer(const QOR_UC* name);
    // Copies as much of text as the library text holds.
    void set_buffer(const QOR_UC* name, const QOR_UC* text);
    void write_buffer(const QOR_UC* name, const QOR_UC* format, long long number);
    void message(const QOR_UC* format, ...);

    // Table (param_library.cpp).
    bool build_table();
    bool add_record(const QOR_UC* name, const QOR_UC* value, Level level);
    // Puts the records added since the last merge into the table's order.
    void merge_added();
    void apply_args(const ArgList& args, bool first);
    void duplicate_check();
    void consistency_checks();

    // Sources (param_sources.cpp).
    void set_hardware_values();
    void environment_switches();
    void fix_instance_number();
    void read_instance_profile();
    void property_file_default();
    void read_default_profile();

    // Resolution (param_resolve.cpp).
    void resolve_context(const Context& ctx);
    void replace_instance(Record& rec, const Context& ctx);
    // The text a walk at this depth works on; null when there is none or
    // the walk went too deep (reported).
    const QOR_UC* walk_text(const Record& rec, const Context& ctx, int depth);
    void replace_refs(Record& rec, const Context& ctx, int depth);
    void replace_env(Record& rec, const Context& ctx, int depth);
    bool replace_text(Record& rec, const Context& ctx, size_t start, size_t end,
                      const QOR_UC* value);

    // Host share paths (param_system.cpp) and formulas (param_formula_step.cpp).
    void set_host_paths();
    void evaluate_formulas();

    Sources src_;
    long mallocs_ = 0;
    Arena arena_;
    std::once_flag init_once_;
    std::mutex stats_lock_;
    std::map<std::u16string, Buffer> buffers_;
    std::map<std::u16string, std::u16string> default_override_;
    std::deque<std::u16string> heap_; // texts of the library outside the arena
    std::vector<Record> table_;
    bool table_present_ = false;
    // Records added while a source is read wait behind the sorted ones,
    // found by name, until the source is done: one sort for all of them
    // instead of one insertion each.
    size_t sorted_ = 0;
    std::unordered_map<std::u16string_view, size_t> added_;
    int calls_ = 0;
    QOR_UC instance_[3] = {u'?', u'?', 0};
    bool instance_from_profile_ = false;
    bool switch_700_ = false;
    bool switch_msid_ = false;
    bool qorsystem_copied_ = false;
    int64_t memory_bytes_ = -1;
    int cores_ = 0;
    int n_default_ = 0;
    int n_pf_file_ = 0;
    std::u16string default_path_;
};

} // namespace param

#endif
