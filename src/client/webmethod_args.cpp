// The arguments that follow "-function <webmethod>": per webmethod, which
// words are mandatory, which optional with which default, and how each is
// converted. Exactly one rule applies: the one whose name equals the
// webmethod name.
#include <string_view>

#include "client/options.h"
#include "client/strings.h"

namespace {

using Word = std::u16string_view;

char kEmpty[] = "";
char kEnglish[] = "EN";
char kDefaultSnapshotFile[] = "DEFAULT";

// Reads the words after the webmethod name, one rule's worth.
class ArgReader
{
  public:
    ArgReader(int argc, const QOR_UC* const* argv, int* index)
        : argc_(argc), argv_(argv), index_(index)
    {
    }

    bool more() const { return *index_ + 1 < argc_; }

    const QOR_UC* word()
    {
        if (!more())
            print_usage();
        return argv_[++*index_];
    }
    char* text() { return wide_to_utf8(nullptr, word()); }
    int number() { return word_to_int(word()); }
    int flag() { return number() > 0 ? 1 : 0; }

    // Every remaining word, option words included.
    std::vector<char*> rest()
    {
        std::vector<char*> items;
        while (more())
            items.push_back(text());
        return items;
    }

  private:
    int argc_;
    const QOR_UC* const* argv_;
    int* index_;
};

// StartSystem, StopSystem and RestartSystem: an optional option word, with
// "LEVEL" followed by the mandatory level.
void read_system_option(ArgReader& in, WebmethodArgs& a)
{
    if (!in.more())
        return;
    a.system_option = parse_system_option(in.word());
    if (a.system_option < 0)
        print_usage();
    if (a.system_option == 5 /* LEVEL */)
        a.level = in.text();
}

// The values of SetProcessParameter(2): exactly one word is the single value,
// anything else (none included) is the values list.
void read_parameter_values(ArgReader& in, WebmethodArgs& a)
{
    std::vector<char*> values = in.rest();
    if (values.size() == 1) {
        a.parameter_value = values[0];
        a.has_values = false;
    } else {
        a.list = std::move(values);
        a.has_values = true;
    }
}

} // namespace

void parse_webmethod_args(int argc, const QOR_UC* const* argv, int* index, ClientSettings& s)
{
    ArgReader in(argc, argv, index);
    WebmethodArgs& a = s.args;
    const Word name(s.webmethod);

    if (name == u"StartWait" || name == u"StopWait" || name == u"WaitforStopped" ||
        name == u"WaitforStarted" || name == u"RestartServiceWait" ||
        name == u"WaitforServiceStarted") {
        s.wait_timeout = in.number();
        s.wait_delay = in.number();
    }
    // StartWait calls Start without a run level and StopWait calls Stop with
    // the soft time-out 0, whatever an earlier "-function Start" or
    // "-function Stop" on the same command line stored.
    if (name == u"StartWait")
        a.runlevel = nullptr;
    if (name == u"StopWait")
        a.softtimeout = 0;
    if (name == u"Start" || name == u"StartBypassHA") {
        if (in.more())
            a.runlevel = in.text();
    }
    if (name == u"Stop" || name == u"StopBypassHA") {
        if (in.more())
            a.softtimeout = in.number();
    }
    if (name == u"RestartInstance") {
        if (in.more())
            a.softtimeout = in.number();
        if (in.more())
            a.runlevel = in.text();
    }
    if (name == u"InstanceStart") {
        a.host = in.text();
        a.instance_nr = in.number();
        if (in.more())
            a.runlevel = in.text();
    }
    if (name == u"InstanceStop") {
        a.host = in.text();
        a.instance_nr = in.number();
        if (in.more())
            a.softtimeout = in.number();
    }
    if (name == u"Bootstrap" || name == u"J2EEControlCluster") {
        if (name == u"J2EEControlCluster") {
            a.processname = in.text();
            a.j2ee_function = in.text();
        }
        if (in.more()) {
            a.host = in.text();
            a.instance_nr = in.number();
        }
    }
    if (name == u"StartService") {
        // The host agent's service needs no system ID.
        if (s.instance_nr == 99)
            a.system_id = u"QOR";
        else
            a.system_id = in.word();
    }
    if (name == u"StartSystem") {
        read_system_option(in, a);
        if (in.more())
            a.start_wait_timeout = in.number();
        if (in.more())
            a.runlevel = in.text();
    }
    if (name == u"StopSystem" || name == u"RestartSystem") {
        read_system_option(in, a);
        if (in.more())
            a.stop_wait_timeout = in.number();
        if (in.more())
            a.softtimeout = in.number();
        if (name == u"RestartSystem" && in.more())
            a.runlevel = in.text();
    }
    if (name == u"GetSystemInstanceList") {
        if (in.more())
            a.timeout = in.number();
    }
    if (name == u"HAFailoverToNode")
        a.node = in.text();
    if (name == u"UpdateInstancePSE" || name == u"UpdateSystemPKI") {
        if (in.more())
            a.force = in.flag();
    }
    if (name == u"AccessCheck")
        a.function_name = in.text();
    if (name == u"RequestLogonFile")
        a.logon_user = in.text();
    if (name == u"ParameterValue")
        a.parameter = in.more() ? in.text() : kEmpty;
    if (name == u"ReadDeveloperTrace") {
        a.filename = in.text();
        a.size = in.number();
    }
    if (name == u"ReadLogFile") {
        a.filename = in.text();
        a.filter = in.more() ? in.text() : kEmpty;
        a.language = in.more() ? in.text() : kEnglish;
        a.maxentries = in.more() ? in.number() : 0;
        a.cookie = in.more() ? in.text() : kEmpty;
    }
    if (name == u"AnalyseLogFiles") {
        if (in.more())
            a.severity = in.number();
        if (in.more())
            a.analyse_maxentries = in.number();
        a.starttime = in.more() ? in.text() : kEmpty;
        a.endtime = in.more() ? in.text() : kEmpty;
    }
    if (name == u"ConfigureLogFileList") {
        const Word mode(in.word());
        if (mode == u"set")
            a.logfile_mode = 0;
        else if (mode == u"add")
            a.logfile_mode = 1;
        else if (mode == u"remove")
            a.logfile_mode = 2;
        else
            print_usage();
        a.list = in.rest();
    }
    if (name == u"CreateSnapshot") {
        if (in.more())
            a.description = in.text();
        if (in.more())
            a.datcol_param = in.text();
        if (in.more())
            a.severity = in.number();
        if (in.more())
            a.analyse_maxentries = in.number();
        a.starttime = in.more() ? in.text() : kEmpty;
        a.endtime = in.more() ? in.text() : kEmpty;
        if (in.more())
            a.snapshot_maxentries = in.number();
        a.list = in.rest();
        if (a.list.empty())
            a.list.push_back(kDefaultSnapshotFile);
    }
    if (name == u"DeleteSnapshots") {
        in.word(); // at least one name is mandatory
        --*index;
        a.list = in.rest();
    }
    if (name == u"ReadSnapshot") {
        const QOR_UC* file = in.word();
        a.filename = wide_to_utf8(nullptr, file);
        a.local_filename = in.more() ? in.word() : file;
    }
    if (name == u"OSExecute") {
        a.command = in.text();
        a.async = in.number();
        a.exec_timeout = in.number();
        a.protocolfile = in.more() ? in.text() : kEmpty;
    }
    if (name == u"SendSignal") {
        a.pid = in.number();
        a.signal = in.text();
    }
    if (name == u"GetCallstack")
        a.pid = in.number();
    if (name == u"GetProcessParameter") {
        a.processtype = in.text();
        if (in.more())
            a.process_pid = in.number();
    }
    if (name == u"SetProcessParameter") {
        a.processtype = in.text();
        a.process_pid = in.number();
        a.parameter_name = in.text();
        read_parameter_values(in, a);
    }
    if (name == u"SetProcessParameter2") {
        a.processtype = in.text();
        a.process_pid = in.number();
        const QOR_UC* word = in.word();
        const int mode = parse_parameter_mode(word);
        if (mode >= 0) {
            a.persistence = mode;
            a.parameter_name = in.text();
        } else {
            a.persistence = 0;
            a.parameter_name = wide_to_utf8(nullptr, word);
        }
        read_parameter_values(in, a);
    }
    if (name == u"VORNGetSystemWPTable") {
        if (in.more())
            a.active_only = in.flag();
    }
    if (name == u"J2EEControlProcess") {
        a.processname = in.text();
        a.j2ee_function = in.text();
    }
    if (name == u"J2EEControlComponents") {
        a.processname = in.text();
        a.operation = in.text();
        a.component_type = in.text();
        a.component_names = in.text();
    }
    if (name == u"J2EEEnableDbgSession") {
        a.dbg_client = in.text();
        if (in.more())
            a.processname = in.text();
        if (in.more())
            a.dbg_flags = in.text();
    }
    if (name == u"J2EEDisableDbgSession")
        a.dbg_key = in.text();
    if (name == u"J2EEGetThreadCallStack" || name == u"J2EEGetThreadTaskStack") {
        if (in.more())
            a.thread_index = in.number();
    }
}
