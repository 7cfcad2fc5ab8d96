// The notes of the id table's entries that the readers inside an array
// register locations with (see QorRegistrationMark): an array's end, or an
// item taken back, looks at the entries noted since its reader began. A
// GetProcessParameter of 100,000 parameters that each hold a list of values
// took five times as long with ids on its first 999 parameters, as each
// list's end walked the whole table.
#include "soapH.h"

#include <algorithm>
#include <functional>
#include <new>

QorRegistrationMark::QorRegistrationMark(struct soap* soap)
    : QorNestedScope(soap), from_(keeper_->notes_.size()), attachments_(soap->xlist)
{
}

void QorRegistrationMark::note(struct soap* soap, const char* key)
{
    QorRegistrationMark* mark = key != nullptr && *key != '\0' ? of(soap) : nullptr;
    if (mark == nullptr)
        return;
    QorRegistrationMark* keeper = mark->keeper_;
    struct soap_ilist* entry = soap_lookup(soap, key);
    if (entry == nullptr || keeper->lost_)
        return;
    try {
        keeper->notes_.push_back(entry);
    } catch (const std::bad_alloc&) {
        keeper->lost_ = true; // from here on every entry is looked at
    }
}

bool QorRegistrationMark::entries(struct soap_ilist* const** first, struct soap_ilist* const** last)
{
    std::vector<struct soap_ilist*>& notes = keeper_->notes_;
    if (keeper_->lost_)
        return false;
    // The innermost mark's notes end the keeper's, so making them unique
    // leaves the notes of the outer marks as they were. An entry is looked
    // at once: moving a chain twice would read where it was moved to
    // before the items are there.
    const auto begin = notes.begin() + static_cast<std::ptrdiff_t>(from_);
    std::sort(begin, notes.end(), std::less<struct soap_ilist*>());
    notes.erase(std::unique(begin, notes.end()), notes.end());
    *first = notes.data() + from_;
    *last = notes.data() + notes.size();
    return true;
}
