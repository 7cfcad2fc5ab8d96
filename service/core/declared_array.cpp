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
    // An item when every slot is filled is one too many, wherever its
    // position points; the runtime's soap_element_end_in sets the end-tag
    // error for it only in strict mode and otherwise skips it.
    if (placed_ == size_) {
        soap_->error = SOAP_END_TAG;
        return false;
    }
    int at = *slot;
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
    // A second item for one slot has no room either, as one after the last
    // slot: the array holds more items than it declared.
    if (at >= size_ || taken(at)) {
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
    // As the dimensions: a list of numbers, "[" first, separated by commas
    // or blanks, closed by "]" or the end. One index per dimension, each
    // below its dimension's size (the first bounded by the slot's check);
    // at most 100000, so that the slot fits a long.
    const char* text = position_text(soap_);
    if (text == nullptr)
        return false;
    if (*text == '[')
        ++text;
    long at = 0;
    for (std::size_t k = 0;; ++k) {
        long index = 0;
        if (!read_number(text, &index) || index < 0 || index > kMaxDeclaredItems)
            return false;
        if (k > 0) {
            if (k > later_.size() || index >= later_[k - 1])
                return false;
            at *= later_[k - 1];
        }
        at += index;
        if (*text == ']' || *text == '\0') {
            if (k != later_.size())
                return false; // fewer indices than dimensions
            break;
        }
        if (*text != ',' && *text != ' ')
            return false;
        ++text;
    }
    at -= offset_;
    if (at < 0 || at >= size_)
        return false;
    *slot = static_cast<int>(at);
    return true;
}
