#ifndef QOR_CLIENT_SNAPSHOT_REPLY_H
#define QOR_CLIENT_SNAPSHOT_REPLY_H

#include <cstddef>
#include <cstdint>

#include <stdsoap2.h>

/* Checks and decodes base64 text as it arrives: the alphabet A-Z a-z 0-9 +
 * /, white space anywhere, groups of four characters, and "=" only to pad
 * the last group. */
class Base64Decoder
{
  public:
    /* Takes the next character of the text; returns how many bytes it
     * completes (0 to 3), stored in out. */
    int put(int c, unsigned char out[3]);
    /* Marks the text as not valid (something else than text came). */
    void reject() { valid_ = false; }
    /* Nothing invalid so far. */
    bool valid() const { return valid_; }
    /* Valid, and the text ends on a complete group. */
    bool complete() const { return valid_ && count_ == 0; }
    /* Takes the next four characters at once when they are a whole group
     * of the alphabet and the text so far is valid and ends between groups:
     * returns true with their three bytes in out; false, having taken
     * nothing, otherwise. */
    bool put_group(const unsigned char in[4], unsigned char out[3]);

  private:
    uint32_t bits_ = 0;
    int count_ = 0;   // characters of the current group
    int padding_ = 0; // "=" in the current group
    bool closed_ = false;
    bool valid_ = true;
};

/* The bytes of a fetched snapshot (size 0 for an empty one); they belong to
 * the SOAP context. */
struct SnapshotData
{
    const unsigned char* bytes = nullptr;
    std::size_t size = 0;
};

/* Calls ReadSnapshot like the generated client call, but reads the snapshot
 * element itself: no snapshot element or xsi:nil fails the call with "No
 * snapshot data in the reply", base64 text that is not valid fails it with
 * "Invalid base64 data in the snapshot" (the reply is still read to its
 * end), an empty element is a snapshot of 0 bytes, and an href to a DIME or
 * MIME attachment gets its bytes (bind_attachment). A MIME part in base64,
 * as its Content-Transfer-Encoding line writes it (as the transport plug-in
 * followed it), is decoded and checked like the element's text; one in
 * another encoding that is not the bytes themselves (7bit, 8bit, binary)
 * fails the call with "Unsupported encoding of the snapshot". The snapshot
 * element is read whatever its xsi:type. An href "#id" leads to the element
 * with that id, among the response's members or, in SOAP 1.1, after the
 * response in the Body, before or after the href, and through further such
 * hrefs; that element is read by the same rules, except that an xsi:type
 * other than the class's, base64Binary or base64 fails the call with
 * SOAP_TYPE. An id that no element has fails the call with SOAP_MISSING_ID,
 * one that two elements have with SOAP_DUPLICATE_ID, and hrefs that lead in
 * a circle with "No snapshot data in the reply". Returns the context's error
 * code. */
int call_read_snapshot(struct soap* soap, const char* endpoint, const char* action, char* filename,
                       SnapshotData* data);

#endif
