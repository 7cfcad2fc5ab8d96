// The arguments that follow "-function <webmethod>", read by the argument
// rule of the webmethod's row: which words are mandatory, which optional with
// which default, how each is converted and where it goes in the request.
#include <string_view>

#include "client/options.h"
#include "client/strings.h"
#include "client/webmethods.h"

namespace {

using Word = std::u16string_view;

constexpr int kLevelOption = 5; // the option word "LEVEL"
constexpr int kHostAgentInstance = 99;

// The words after the webmethod name.
class ArgReader
{
  public:
    ArgReader(int argc, const QOR_UC* const* argv, int* index)
        : argc_(argc), argv_(argv), index_(index)
    {
    }

    bool more() const { return *index_ + 1 < argc_; }
    const QOR_UC* peek() const { return argv_[*index_ + 1]; }
    // The last word read, as typed.
    const QOR_UC* last() const { return argv_[*index_]; }

    // The next word; none left is a usage error.
    const QOR_UC* word()
    {
        if (!more())
            print_usage();
        return argv_[++*index_];
    }
    char* text() { return wide_to_utf8(nullptr, word()); }
    int number() { return word_to_int(word()); }

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

int log_file_mode(Word word)
{
    if (word == u"set")
        return 0;
    if (word == u"add")
        return 1;
    if (word == u"remove")
        return 2;
    return -1;
}

// The value of an optional argument that found no word.
void set_default(const Arg& arg, const QOR_UC* last_word, ArgumentValue& value)
{
    switch (arg.kind) {
    case ArgKind::kList:
        // The request takes char* but never writes through it.
        if (arg.text != nullptr)
            value.list.push_back(const_cast<char*>(arg.text));
        break;
    case ArgKind::kLocalFile:
        value.word = last_word;
        break;
    case ArgKind::kText:
        value.text = arg.text;
        break;
    case ArgKind::kFixed:
        value.text = arg.text;
        value.number = arg.number;
        break;
    default:
        value.number = arg.number;
        break;
    }
}

// Reads one argument; returns whether it read a word.
bool read_arg(ArgReader& in, const Arg& arg, const ArgumentValue* previous, bool previous_read,
              const ClientSettings& settings, ArgumentValue& value, Arguments& arguments)
{
    switch (arg.kind) {
    case ArgKind::kFixed:
        set_default(arg, nullptr, value);
        return false;
    case ArgKind::kLevel:
        // Only the option word "LEVEL" takes a level, and then it must be there.
        if (!previous_read || previous == nullptr || previous->number != kLevelOption)
            return false;
        value.text = in.text();
        return true;
    case ArgKind::kParameterMode:
        // Any other word is the parameter name: the mode stays DYNAMIC (0).
        value.number = in.more() ? parse_parameter_mode(in.peek()) : -1;
        if (value.number < 0) {
            value.number = 0;
            return false;
        }
        in.word();
        return true;
    case ArgKind::kSystemId:
        // The host agent's service needs no system ID.
        if (settings.instance_nr == kHostAgentInstance) {
            value.word = cU("QOR");
            return false;
        }
        value.word = in.word();
        return true;
    default:
        break;
    }
    const bool mandatory = arg.presence == Presence::kMandatory ||
                           (arg.presence == Presence::kWithPrevious && previous_read);
    if (!mandatory && !in.more()) {
        set_default(arg, in.last(), value);
        return false;
    }
    switch (arg.kind) {
    case ArgKind::kText:
        value.text = in.text();
        break;
    case ArgKind::kNumber:
        value.number = in.number();
        break;
    case ArgKind::kFlag:
        value.number = in.number() > 0 ? 1 : 0;
        break;
    case ArgKind::kList:
        if (!in.more())
            print_usage(); // a mandatory list needs one word
        value.list = in.rest();
        break;
    case ArgKind::kWaitTimeout:
        arguments.wait_timeout = in.number();
        break;
    case ArgKind::kWaitDelay:
        arguments.wait_delay = in.number();
        break;
    case ArgKind::kSystemOption:
        value.number = parse_system_option(in.word());
        if (value.number < 0)
            print_usage();
        break;
    case ArgKind::kLogFileMode:
        value.number = log_file_mode(in.word());
        if (value.number < 0)
            print_usage();
        break;
    case ArgKind::kLocalFile:
        value.word = in.word();
        break;
    default:
        break;
    }
    return true;
}

} // namespace

void parse_webmethod_args(int argc, const QOR_UC* const* argv, int* index, ClientSettings& s)
{
    // Nothing of an earlier "-function" carries over.
    s.arguments = Arguments();
    const Webmethod* webmethod = find_webmethod(s.webmethod);
    if (webmethod == nullptr)
        return; // read as options again; the run ends with "Unknown webmethod"
    ArgReader in(argc, argv, index);
    ArgumentValue unused;
    const ArgumentValue* previous = nullptr;
    bool previous_read = false;
    int place = 0;
    for (const Arg& arg : webmethod->arguments.args) {
        if (arg.kind == ArgKind::kEnd)
            break;
        ArgumentValue* value = &unused;
        if (is_request_value(arg.kind)) {
            const int own_place = place++;
            value = &s.arguments.values[arg.request >= 0 ? arg.request : own_place];
        }
        previous_read = read_arg(in, arg, previous, previous_read, s, *value, s.arguments);
        previous = value;
    }
}
