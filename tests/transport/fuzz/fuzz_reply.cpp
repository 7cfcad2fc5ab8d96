// libFuzzer target for the receive path (built with clang and QOR_FUZZ=ON;
// not part of the test runs): raw reply bytes, status line, header and body
// in any framing, go through the plug-in's HTTP framing and reply bounds
// into the toolkit's reader. The first byte chooses the call (a row of the
// reply reader's table: every webmethod, and the snapshot as the client
// reads it), the second the size of the reads (0: one read). Whatever the reader takes in stays
// within the bounds (one attribute name or namespace declaration more is read with the bytes that
// exceed a bound), and a reply that the call accepts was counted by the bounds up to the end of its
// envelope; once they refuse a reply, nothing more is read; and what they make of a reply is the
// same in one read.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <stdsoap2.h>

#include "reply_reader.h"
#include "transport/xml_shape.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using qortransport::XmlShape;
    if (size < 2)
        return 0;
    const auto calls = static_cast<std::size_t>(reply_calls_end() - reply_calls_begin());
    const ReplyCallFunction call = reply_calls_begin()[data[0] % calls].call;
    const std::size_t piece = data[1];
    const std::string reply(reinterpret_cast<const char*>(data) + 2, size - 2);
    const ReplyReading r = read_reply(reply, call, [piece](std::size_t) { return piece; });
    const bool over = r.attribute_names > XmlShape::kMaxAttributeNames + 1 ||
                      r.most_namespaces > XmlShape::kMaxNamespaces + 1 ||
                      r.ids > XmlShape::kMaxReferences + 1;
    // The reader may end an envelope before the bounds see it end (where it
    // passes over an element, a "/>" in text or values ends one), but never
    // while they do not count what it reads.
    if (over || (r.rc == SOAP_OK && !r.envelope_ended && !r.counting) ||
        r.reads_after_refusal > 0) {
        std::fprintf(stderr,
                     "rc %d (%s), refused: \"%s\", envelope ended: %d, %zu attribute "
                     "names, %zu namespaces, %zu ids, %d reads after the refusal\n",
                     r.rc, r.fault.c_str(), r.refusal.c_str(), r.envelope_ended, r.attribute_names,
                     r.most_namespaces, r.ids, r.reads_after_refusal);
        std::abort();
    }
    // Nor does what the bounds make of a reply depend on the size of the
    // reads: whether it is read, what is read, or why it is refused.
    if (piece != 0) {
        const ReplyReading whole = read_reply(reply, call);
        if ((whole.rc == SOAP_OK) != (r.rc == SOAP_OK) || whole.count != r.count ||
            whole.refusal != r.refusal) {
            std::fprintf(stderr,
                         "in reads of %zu: rc %d (%s), count %d, refused: \"%s\"; whole: rc %d "
                         "(%s), count %d, refused: \"%s\"\n",
                         piece, r.rc, r.fault.c_str(), r.count, r.refusal.c_str(), whole.rc,
                         whole.fault.c_str(), whole.count, whole.refusal.c_str());
            std::abort();
        }
    }
    return 0;
}
