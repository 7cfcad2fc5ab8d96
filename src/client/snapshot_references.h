#ifndef QOR_CLIENT_SNAPSHOT_REFERENCES_H
#define QOR_CLIENT_SNAPSHOT_REFERENCES_H

#include <cstddef>
#include <string>
#include <unordered_map>

/* What one element of a ReadSnapshot reply says about the snapshot. */
struct SnapshotElement
{
    enum class Kind {
        kAbsent,     // no snapshot element, or references that lead in a circle
        kNil,        // xsi:nil
        kInline,     // base64 text, decoded into bytes and size
        kAttachment, // an href to a DIME or MIME attachment (bind_attachment)
        kReference,  // an href to another element of the message
        kOtherType,  // an xsi:type other than the base64 type's
    } kind = Kind::kAbsent;
    bool valid = true; // kInline, kAttachment: the text was valid base64
    unsigned char* bytes = nullptr;
    std::size_t size = 0;
    std::string href; // kReference: "#" and the id; kAttachment: the attachment's
    std::string type; // kOtherType: the xsi:type and the element's tag
    std::string tag;
};

/* The elements of a reply that carry an id, kept while the snapshot
 * element's href may still lead to one of them, and the way from the
 * snapshot element through them to its data. Elements before the snapshot
 * element count as well as those after it. */
class SnapshotReferences
{
  public:
    /* An element with this id has been kept. */
    bool has(const std::string& id) const { return elements_.count(id) != 0; }
    /* Keeps an element with an id. */
    void keep(const std::string& id, const SnapshotElement& element);
    /* The snapshot element itself, where the way starts. */
    void start(const SnapshotElement& element);
    /* More elements are wanted: the snapshot element has not come, or its way
     * leads to an id that no element kept so far has. */
    bool open() const { return !started_ || result_.kind == SnapshotElement::Kind::kReference; }
    /* The element the way ends at: a reference when it is still open. */
    const SnapshotElement& result() const { return result_; }
    /* The snapshot element is an href to another element. */
    bool by_reference() const { return by_reference_; }

  private:
    void follow();

    std::unordered_map<std::string, SnapshotElement> elements_;
    SnapshotElement result_;
    bool started_ = false;
    bool by_reference_ = false;
    std::size_t steps_ = 0;
};

#endif
