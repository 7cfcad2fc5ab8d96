// The way from a ReadSnapshot reply's snapshot element through hrefs to the
// element that holds its data.
#include "client/snapshot_references.h"

using Kind = SnapshotElement::Kind;

void SnapshotReferences::keep(const std::string& id, const SnapshotElement& element)
{
    elements_.emplace(id, element);
    follow();
}

void SnapshotReferences::start(const SnapshotElement& element)
{
    result_ = element;
    started_ = true;
    by_reference_ = element.kind == Kind::kReference;
    follow();
}

void SnapshotReferences::follow()
{
    // Each step goes to an element kept earlier, and the way only grows: a
    // way of more steps than elements has come back to one and never ends.
    while (started_ && result_.kind == Kind::kReference) {
        const auto found = elements_.find(result_.href);
        if (found == elements_.end())
            return;
        if (++steps_ > elements_.size()) {
            result_ = SnapshotElement{};
            return;
        }
        result_ = found->second;
    }
}
