#ifndef QOR_TESTS_TRANSPORT_REPLY_READER_H
#define QOR_TESTS_TRANSPORT_REPLY_READER_H

// Reads raw reply bytes (status line, header, body) with a call of the
// client, handed to the toolkit in pieces of the given sizes instead of over
// a connection: through the plug-in's receive path (its HTTP framing and
// reply bounds) or by the toolkit alone. Tells what the call made of the
// reply and how much the toolkit's parser took in: its list of attribute
// names, the namespace declarations it held in scope, its table of ids.

#include <cstddef>
#include <functional>
#include <string>

#include "reply_calls.h"

enum class ReplyCall { ProcessList, Snapshot };

struct ReplyReading
{
    int rc = -1;
    std::string fault;           // "" when rc is SOAP_OK
    int count = -1;              // what the call read when rc is SOAP_OK (see ReplyCallFunction)
    std::string refusal;         // why the bounds failed the call; "" for the toolkit alone
    bool envelope_ended = false; // the bounds followed the envelope to its end
    bool counting = false;       // the bounds count every byte that comes as XML
    int reads_after_refusal = 0; // reads from the connection once the bounds refused
    std::size_t attribute_names = 0;
    std::size_t most_namespaces = 0; // sampled whenever the toolkit read more
    std::size_t ids = 0;
};

// The size of the read that begins at a byte of the reply; 0, or none: as
// many bytes as the toolkit asks for.
using ReadSizes = std::function<std::size_t(std::size_t at)>;

ReplyReading read_reply(const std::string& reply, ReplyCallFunction call,
                        const ReadSizes& sizes = {}, bool with_plugin = true);

// GetProcessList, or the snapshot as the client reads it.
ReplyReading read_reply(const std::string& reply, ReplyCall call, const ReadSizes& sizes = {},
                        bool with_plugin = true);

#endif
