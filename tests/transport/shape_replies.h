#ifndef QOR_TESTS_TRANSPORT_SHAPE_REPLIES_H
#define QOR_TESTS_TRANSPORT_SHAPE_REPLIES_H

// Whole replies (status line, header, body) whose XML the reply bounds must
// find where the toolkit parses it: hostile Content-Type, DIME and MIME
// layouts, and the layouts of legitimate snapshots.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "reply_reader.h"

struct ReplyBytes
{
    std::string bytes;
    std::vector<std::size_t> marks; // where records, parts and the body begin
};

struct ShapeReply
{
    std::string name;
    ReplyCall call;
    std::function<ReplyBytes()> make;
    std::string refusal; // "": read as the toolkit alone reads it
    bool toolkit_over;   // the toolkit alone takes in more than a bound allows
    bool large;          // too large for a seed
    // "": the call ends as with the toolkit alone; else its fault in every
    // delivery, where the toolkit alone reads on past a failure of its own
    // from wherever its last read ended.
    std::string fault = {};
    // The reply that the toolkit alone reads as this one is to be read (the
    // same envelope in one DIME record); none: this one.
    std::function<ReplyBytes()> like;
};

const std::vector<ShapeReply>& shape_replies();

// The reply with its body in chunks of the given size instead of its length.
ReplyBytes in_chunks(const ReplyBytes& reply, std::size_t size);

// Sixteen attributes (" name=''") whose names differ but have the same 64-bit
// FNV-1a hash: each name joins one of two strings of each of four pairs.
std::string attributes_of_one_hash();

#endif
