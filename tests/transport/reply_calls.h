#ifndef QOR_TESTS_TRANSPORT_REPLY_CALLS_H
#define QOR_TESTS_TRANSPORT_REPLY_CALLS_H

// The calls that read a reply in the reply reader: the client's snapshot
// read and every webmethod of the schema, each with default request values
// (empty texts and lists, zero numbers), so that the reply reaches every
// response reader.

#include <cstddef>
#include <string_view>

struct soap;

// Calls the webmethod at the endpoint; returns the result code and sets
// *count to how much it read (the items of a list reply, the bytes of a
// snapshot, 0 otherwise).
using ReplyCallFunction = int (*)(struct soap* soap, const char* endpoint, int* count);

struct ReplyCallRow
{
    std::string_view name; // the webmethod's; "ReadSnapshot (client)" for the client's read
    ReplyCallFunction call;
};

const ReplyCallRow* reply_calls_begin();
const ReplyCallRow* reply_calls_end();

// The row of that name; null when there is none.
const ReplyCallRow* find_reply_call(std::string_view name);

#endif
