// The slots of an array that declares its size. The generated reader moved
// back to whatever slot a position named and read the item over the one
// there, and took only the first index of a position while the size counted
// every dimension: both gave a list with items lost or misplaced, and OK.
#include "soapH.h"

#include <cerrno>
#include <cstdlib>

namespace {

// The most items an array may declare; a larger size is read as none.
constexpr long kMaxDeclaredItems = 100000;

// Reads the number at *text and moves past it; false when none stands there.
bool read_number(const char*& text, long* value)
{
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(text, &end, 10);
    if (end == text || errno == ERANGE)
        return false;
    *value = number;
    text = end;
    return true;
}

// The text of the SOAP-ENC:position attribute of the element just peeked
// at, found as the runtime found it (the last one that matches); the runtime
// keeps only its indices, each cut to an int and any text read as 0.
const char* position_text(struct soap* soap)
{
    const int error = soap->error; // an undeclared prefix sets it
    const char* text = nullptr;
    for (const struct soap_attribute* tp = soap->attributes; tp; tp = tp->next) {
        if (tp->visible && tp->value && !soap_match_tag(soap, tp->name, "SOAP-ENC:position"))
            text = tp->value;
    }
    soap->error = error;
    return text;
}

} // namespace

bool QorDeclaredArray::declare(int* size, int* offset)
{
    // Both texts end with a NUL within the context's arrays; each step below
    // moves past a byte only after looking at it, so neither is read beyond
    // its end. Sizes and offsets stay at most 100001 before each product,
    // so the products fit a long.
    const char* dimension = soap_->arraySize;
    const char* offsets = soap_->arrayOffset;
    *offset = 0;
    if (*dimension == '\0')
        return false;
    if (*dimension == '[')
        ++dimension;
    long items = 1;
    long skip = 0;
    for (bool first = true;; first = false) {
        long extent = 0;
        if (!read_number(dimension, &extent) || extent < 0)
            return false;
        if (extent > kMaxDeclaredItems) {
            if (items != 0)
                return false;
            // An array with an empty dimension stays empty; a smaller
            // stand-in keeps the products below from overflowing.
            extent = kMaxDeclaredItems + 1;
        }
        items *= extent;
        if (items > kMaxDeclaredItems)
            return false;
        if (!first)
            later_.push_back(extent);
        if (*offsets != '\0') {
            ++offsets; // the "[" or "," before the offset in this dimension
            long part = 0;
            if (read_number(offsets, &part) && (part < 0 || part > kMaxDeclaredItems))
                return false;
            skip = skip * extent + part;
            if (skip > kMaxDeclaredItems)
                return false; // beyond any size that counts
        }
        // A comma or a blank leads to the next dimension, "]" or the end
        // close the list; anything else after a size (as in "[2x]" or
        // "[1e3]") makes it no number.
        if (*dimension == ']' || *dimension == '\0')
            break;
        if (*dimension != ',' && *dimension != ' ')
            return false;
        ++dimension;
    }
    if (skip > items)
        return false;
    size_ = *size = static_cast<int>(items - skip);
    offset_ = *offset = static_cast<int>(skip);
    return true;
}

bool QorDeclaredArray::place(int* slot)
{
    if (soap_peek_element(soap_) != SOAP_OK) {
        if (soap_->error == SOAP_NO_TAG)
            soap_->error = SOAP_OK;
        return false;
    }
    // The items end when the slot after the item before is beyond the last
    // one, whatever slots are still empty; an item still there has no room
    // and meets the end-tag check, which the runtime's soap_element_end_in
    // makes only in strict mode (otherwise it skips the item).
    int at = *slot;
    if (at >= size_) {
        soap_->error = SOAP_END_TAG;
        return false;
    }
    if (soap_->position > 0) {
        if (!named_slot(&at)) {
            soap_->error = SOAP_IOB;
            return false;
        }
        if (filled_.empty()) {
            filled_.assign(static_cast<std::size_t>(size_), false);
            for (int i = 0; i < placed_; ++i)
                filled_[static_cast<std::size_t>(i)] = true;
        }
    }
    // A second item for one slot has no room either: the array holds more
    // items than it declared, and the item there would be lost.
    if (taken(at)) {
        soap_->error = SOAP_END_TAG;
        return false;
    }
    if (!filled_.empty())
        filled_[static_cast<std::size_t>(at)] = true;
    ++placed_;
    *slot = at;
    return true;
}

bool QorDeclaredArray::taken(int slot) const
{
    return filled_.empty() ? slot < placed_ : filled_[static_cast<std::size_t>(slot)];
}

bool QorDeclaredArray::named_slot(int* slot) const
{
    // Read as soap_getposition reads it: the first index begins after the
    // first byte; each is read as strtol reads it (blanks, a sign) and what
    // follows it up to "," or "]" is passed over; "]" or the end of the
    // text ends the list, and so do SOAP_MAXDIMS indices. Where the runtime
    // reads an index without digits as 0 or cuts one to an int, the position
    // names no slot. One index per dimension, each from 0 to 100000 and
    // below its dimension's size (the first bounded by the slot's check),
    // so that the slot fits a long.
    const char* text = position_text(soap_);
    if (text == nullptr || *text == '\0')
        return false;
    ++text;
    long at = 0;
    std::size_t k = 0;
    do {
        const char* number = text;
        long index = 0;
        if (!read_number(number, &index) || index < 0 || index > kMaxDeclaredItems)
            return false;
        if (k > 0) {
            if (k > later_.size() || index >= later_[k - 1])
                return false;
            at *= later_[k - 1];
        }
        at += index;
        ++k;
        // Each step looks at a byte before it moves past it, and the text
        // ends with a NUL, so it is never read beyond its end.
        while (*text != '\0' && *text != ',' && *text != ']')
            ++text;
        if (*text == ',')
            ++text;
    } while (k < SOAP_MAXDIMS && *text != '\0' && *text != ']');
    if (k != later_.size() + 1)
        return false; // not one index per dimension
    at -= offset_;
    if (at < 0 || at >= size_)
        return false;
    *slot = static_cast<int>(at);
    return true;
}
