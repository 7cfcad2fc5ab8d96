// Room for the strings that the readers of element text copy out of a reply:
// inside the reader of an array, pieces of the context's memory that many
// strings share; elsewhere an allocation per string. A list of 100000
// records holds some 600000 strings; an allocation each made reading it a
// third slower and took half as much memory again.
#include "soapH.h"

#include <sanitizer/asan_interface.h>

#include <algorithm>

namespace {

// Pieces of up to kPieceSize bytes hold the strings of up to kLongestShared
// bytes (with the NUL); a longer one gets an allocation of its own, so that
// at most that much of a piece stays unused when the next string does not
// fit.
constexpr std::size_t kPieceSize = 4096;
constexpr std::size_t kLongestShared = 256;
static_assert(kLongestShared <= kPieceSize, "a piece may hold any shared string");
// Bytes after each piece that are never handed out: in the sanitizer build a
// write past the piece's last string lands there and is reported; the bytes
// that the toolkit keeps after the block are not watched.
constexpr std::size_t kGuard = 8;

} // namespace

char* QorStringScope::take(std::size_t n)
{
    // An array inside an array shares the pieces of the outer one; a piece
    // of its own would leave most of it unused for every item.
    if (keeper_ != this)
        return keeper_->take(n);
    // The pieces are allocated while the scope lives, inside one call of a
    // reader, where soap_end, which releases them, never runs.
    if (n > static_cast<std::size_t>(end_ - room_)) {
        // The first piece is the first string's, each next one the larger
        // of the string and twice the piece before, up to kPieceSize. A new
        // piece is less than twice the strings handed out so far, this one
        // included (the piece before was full but for less than it), and
        // the pieces before it add up to no more than it or are full but for
        // less than kLongestShared each, so a scope's pieces come to less
        // than four times its strings, however few: a list of one short
        // string, read on its own, took a whole 4 KiB piece.
        const std::size_t size = std::max(n, std::min(2 * piece_, kPieceSize));
        char* piece = static_cast<char*>(soap_malloc(soap_, size + kGuard));
        if (piece == nullptr)
            return nullptr; // soap_malloc set SOAP_EOM
        piece_ = size;
        room_ = piece;
        end_ = piece + size;
        ASAN_POISON_MEMORY_REGION(piece, size + kGuard);
    }
    // [room_, end_) is the unused end of the current piece, and n fits it:
    // a new piece is at least n bytes.
    char* room = room_;
    room_ += n;
    // Never past the piece: in the sanitizer build a string that did not fit
    // is reported where it is written.
    ASAN_UNPOISON_MEMORY_REGION(room, std::min(room_, end_) - room);
    return room;
}

char* qor_string_room(struct soap* soap, std::size_t n)
{
    QorStringScope* scope = n <= kLongestShared ? QorStringScope::of(soap) : nullptr;
    return scope != nullptr ? scope->take(n) : static_cast<char*>(soap_malloc(soap, n));
}
