#ifndef QOR_CLIENT_WEBMETHODS_H
#define QOR_CLIENT_WEBMETHODS_H

// What the client knows about a webmethod, one row each: the name typed
// after "-function", the rule that reads the words after it, what runs (the
// client function and the printer of its reply) and the rules of the repeat
// loop. The rows stand in webmethods.cpp.

#include <cstddef>

#include "client/arguments.h"
#include "client/run_client.h"
#include "client/settings.h"
#include "client/waits.h"
#include "u16/qor_uc.h"

struct soap;

/* What one run of a webmethod works with. */
struct CallContext
{
    struct soap* soap;
    const char* endpoint;
    ClientSettings& settings;
    const ClientEnvironment& environment;
    const QOR_UC* name;   /* the webmethod name as typed */
    const QOR_UC* format; /* "list" or anything else for script */
};

/* What an argument word is. */
enum class ArgKind : unsigned char {
    kEnd,           /* no more arguments */
    kText,          /* converted to UTF-8 */
    kNumber,        /* read in base 10 */
    kFlag,          /* 1 when the number is above 0, else 0 */
    kList,          /* every remaining word, option words included */
    kFixed,         /* takes no word: a value the request always carries */
    kWaitTimeout,   /* number of seconds for the wait */
    kWaitDelay,     /* number of seconds between the wait's polls */
    kSystemOption,  /* ALL, SCS, DIALOG, ... (another word: the usage text) */
    kLevel,         /* text, read only after the option word "LEVEL" */
    kLogFileMode,   /* "set" 0, "add" 1, "remove" 2 (another word: the usage text) */
    kParameterMode, /* DYNAMIC, PERSIST, DYNAMIC_PERSIST; any other word is left for the next
                       argument and the mode is DYNAMIC */
    kSystemId,      /* the word as typed; none read and "QOR" when -nr 99 came before */
    kLocalFile,     /* the word as typed; by default the word before it */
};

/* Whether an argument word must be there. */
enum class Presence : unsigned char {
    kMandatory,    /* no word left: the usage text */
    kOptional,     /* read when a word is left, else the default */
    kWithPrevious, /* mandatory when the argument before read a word, else the default */
};

/* One argument of a rule, in command-line order. */
struct Arg
{
    ArgKind kind = ArgKind::kEnd;
    Presence presence = Presence::kMandatory;
    int number = 0;             /* default of a number or flag */
    const char* text = nullptr; /* default of a text; the one entry of a list's default */
    int request = -1;           /* its place among the request's values; -1: its place in
                                   command-line order (the wait's arguments not counted) */

    /* The value goes to that place of the request (counted from 0) where it
     * differs from the command-line order. */
    constexpr Arg sent(int place) const
    {
        Arg arg = *this;
        arg.request = place;
        return arg;
    }
    /* Mandatory when the argument before read a word, else the default. */
    constexpr Arg with_previous() const
    {
        Arg arg = *this;
        arg.presence = Presence::kWithPrevious;
        return arg;
    }
};

/* Whether an argument's value goes into the request (the wait's do not). */
constexpr bool is_request_value(ArgKind kind)
{
    return kind != ArgKind::kEnd && kind != ArgKind::kWaitTimeout && kind != ArgKind::kWaitDelay;
}

/* The most arguments one rule has. */
constexpr int kMaxArgs = 8;

/* The words after the webmethod name; the first kEnd ends the rule. */
struct ArgRule
{
    Arg args[kMaxArgs];
};

struct Webmethod;

/* Runs one call of the webmethod (or its client-side step) and prints its
 * result; returns the result code. */
using Run = int (*)(CallContext& call, const Webmethod& webmethod);

/* Rules that the repeat loop and the printers follow. */
enum WebmethodRule : unsigned {
    kUnlisted = 1u << 0,             /* not in the usage text */
    kAlreadyStartedIsOk = 1u << 1,   /* the fault "Instance already started" is success */
    kUnreachableIsStopped = 1u << 2, /* a service that cannot be reached counts as stopped */
};

struct Webmethod
{
    const QOR_UC* name;             /* compared exactly and case-sensitively */
    ArgRule arguments;              /* the words after the name */
    Run run;                        /* the client function and its printer, or a client-side step */
    const QOR_UC* header = nullptr; /* column header printed after "OK" in list format;
                                       null: none (a column table: its labels) */
    unsigned rules = 0;             /* WebmethodRule bits */
    StateWait wait = StateWait::kNone;    /* the state wait after a successful run */
    const QOR_UC* printed_name = nullptr; /* null: the name as typed */
};

/* The row of a webmethod name, or null. */
const Webmethod* find_webmethod(const QOR_UC* name);

/* All rows, in dispatch order. */
const Webmethod* webmethods_begin();
const Webmethod* webmethods_end();

#endif
