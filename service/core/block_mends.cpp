// The block lists of arrays read by collecting their items (see
// service/mend_generated.cmake): saving the items with the registrations of
// ids and references moved along, and dropping those registrations where
// items are taken back or a failed read's blocks are freed. The runtime
// moves every registration once per item, walking its whole id table each
// time; here one look at the entries noted since the array began serves
// the whole array (QorRegistrationMark). It drops nothing, so a chain of
// references led into freed memory.
#include "soapH.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <new>
#include <optional>
#include <vector>

namespace {

// One block of the list: its bytes and how far they move.
struct Block
{
    const char* begin;
    const char* end;
    std::ptrdiff_t by;
};

// The blocks of the current block list, found by address. The newest block
// heads the list, and the blocks land in the order they came: each moves to
// `to` plus the bytes of the blocks before it. Without memory for the
// sorted table every search walks the list.
class Blocks
{
  public:
    Blocks(const struct soap_blist* list, const char* to) : list_(list), to_(to)
    {
        try {
            sorted_.reserve(list->item);
            for_each([this](const Block& b) { sorted_.push_back(b); });
            std::sort(sorted_.begin(), sorted_.end(),
                      [](const Block& a, const Block& b) { return a.begin < b.begin; });
            indexed_ = true;
        } catch (const std::bad_alloc&) {
            sorted_.clear();
        }
    }

    // How far p moves when it lies in a block; nothing when it lies in none.
    std::optional<std::ptrdiff_t> distance(const void* p) const
    {
        const char* c = static_cast<const char*>(p);
        if (!indexed_) {
            std::optional<std::ptrdiff_t> by;
            for_each([&](const Block& b) {
                if (c >= b.begin && c < b.end)
                    by = b.by;
            });
            return by;
        }
        auto next = std::upper_bound(sorted_.begin(), sorted_.end(), c,
                                     [](const char* x, const Block& b) { return x < b.begin; });
        if (next == sorted_.begin() || c >= std::prev(next)->end)
            return std::nullopt;
        return std::prev(next)->by;
    }

  private:
    template <class Visit> void for_each(Visit visit) const
    {
        // list_->size is the sum of the blocks' sizes, so `at` stays within
        // the room at `to`. The distances are taken between addresses, as
        // the blocks and `to` are separate allocations (`to` is null where
        // nothing moves).
        std::size_t at = list_->size;
        for (const struct soap_bhead* h = list_->head; h != nullptr; h = h->next) {
            at -= h->size;
            const char* data = reinterpret_cast<const char*>(h + 1);
            const std::uintptr_t from = reinterpret_cast<std::uintptr_t>(data);
            const std::uintptr_t into = reinterpret_cast<std::uintptr_t>(to_) + at;
            visit(Block{data, data + h->size, static_cast<std::ptrdiff_t>(into - from)});
        }
    }

    const struct soap_blist* list_;
    const char* to_;
    std::vector<Block> sorted_;
    bool indexed_ = false;
};

// Where a pointer into one of the blocks goes; other pointers stay.
class Moves
{
  public:
    explicit Moves(const Blocks& blocks) : blocks_(blocks) {}
    template <class P> void apply(P*& p) const
    {
        if (p != nullptr)
            shift(p, of(p));
    }
    // The distance p moves: 0 when it lies in no block.
    std::ptrdiff_t of(const void* p) const { return blocks_.distance(p).value_or(0); }
    // From a block into the saved array: another allocation, so the
    // address is shifted, not the pointer stepped.
    template <class P> static void shift(P*& p, std::ptrdiff_t by)
    {
        p = reinterpret_cast<P*>(reinterpret_cast<std::uintptr_t>(p) +
                                 static_cast<std::uintptr_t>(by));
    }
    // A chain of locations, each holding the next (links and copies). Each
    // location is read where it still lies: the blocks are freed only after
    // the move.
    void apply_chain(void** head) const
    {
        for (void** q = head; q != nullptr;) {
            void* next = *q;
            apply(*q);
            q = static_cast<void**>(next);
        }
    }

  private:
    const Blocks& blocks_;
};

bool ids_in_use(const struct soap* soap)
{
    return (soap->version && !(soap->imode & SOAP_XML_TREE)) || (soap->mode & SOAP_XML_GRAPH);
}

bool any_ids(const struct soap* soap)
{
    return std::any_of(std::begin(soap->iht), std::end(soap->iht),
                       [](const soap_ilist* ip) { return ip != nullptr; });
}

// The registrations that the readers of the current array may have made:
// those with the entries noted since its mark and the attachments added
// since; without a mark, or with a note lost, those with any entry.
class Made
{
  public:
    explicit Made(struct soap* soap) : soap_(soap)
    {
        QorRegistrationMark* mark = QorRegistrationMark::of(soap);
        if (mark != nullptr) {
            noted_ = mark->entries(&first_, &last_);
            attachments_end_ = mark->attachments();
        }
    }

    template <class Visit> void for_each_entry(const Visit& visit) const
    {
        if (noted_) {
            std::for_each(first_, last_, visit);
            return;
        }
        for (struct soap_ilist* first : soap_->iht) {
            for (struct soap_ilist* ip = first; ip != nullptr; ip = ip->next)
                visit(ip);
        }
    }
    bool any_entries() const { return noted_ ? first_ != last_ : any_ids(soap_); }
    // The attachments from the head of the list up to this one (null: all).
    const struct soap_xlist* attachments_end() const { return attachments_end_; }
    bool any() const { return any_entries() || soap_->xlist != attachments_end_; }

  private:
    const struct soap* soap_;
    bool noted_ = false;
    struct soap_ilist* const* first_ = nullptr;
    struct soap_ilist* const* last_ = nullptr;
    const struct soap_xlist* attachments_end_ = nullptr;
};

// Takes the locations that `inside` names out of a chain (*at holds the
// first location, each location the next one). A location is read before
// its memory is freed, which is why this runs before every free of a block.
template <class Inside> void unlink_chain(void** at, const Inside& inside)
{
    while (*at != nullptr) {
        void** location = static_cast<void**>(*at);
        if (inside(location))
            *at = *location;
        else
            at = location;
    }
}

// Forgets every registration made inside the current array that points
// where `inside` says: the id table's objects, links, copies, forwarded
// copies and smart pointers, and the attachments. All registrations with
// an entry are looked at, not only the ones the runtime marks as made while
// a block list was open.
template <class Inside>
void drop_references(struct soap* soap, const Made& made, const Inside& inside)
{
    made.for_each_entry([&](struct soap_ilist* ip) {
        if (ip->ptr != nullptr && inside(ip->ptr))
            ip->ptr = nullptr;
        if (ip->smart != nullptr && inside(ip->smart))
            ip->smart = nullptr;
        unlink_chain(&ip->link, inside);
        unlink_chain(&ip->copy, inside);
        for (struct soap_flist** fp = &ip->flist; *fp != nullptr;) {
            struct soap_flist* f = *fp;
            if (inside(f->ptr)) {
                *fp = f->next;
                SOAP_FREE(soap, f);
            } else {
                fp = &f->next;
            }
        }
    });
    for (struct soap_xlist** xp = &soap->xlist; *xp != nullptr && *xp != made.attachments_end();) {
        struct soap_xlist* x = *xp;
        if (x->ptr != nullptr && inside(x->ptr)) {
            *xp = x->next;
            SOAP_FREE(soap, x);
        } else {
            xp = &x->next;
        }
    }
}

} // namespace

void qor_drop_references(struct soap* soap, const char* begin, const char* end)
{
    drop_references(soap, Made(soap), [begin, end](const void* p) {
        const char* c = static_cast<const char*>(p);
        return c >= begin && c < end;
    });
}

void qor_discard_block(struct soap* soap)
{
    const Made made(soap);
    if (soap->blist->head != nullptr && made.any()) {
        const Blocks blocks(soap->blist, nullptr);
        drop_references(soap, made,
                        [&blocks](const void* p) { return blocks.distance(p).has_value(); });
    }
    soap_end_block(soap, nullptr);
}

void qor_pop_block(struct soap* soap)
{
    const struct soap_bhead* head = soap->blist->head;
    if (head == nullptr)
        return;
    const char* data = reinterpret_cast<const char*>(head + 1);
    qor_drop_references(soap, data, data + head->size);
    soap_pop_block(soap, nullptr);
}

void qor_move_references(struct soap* soap, char* to)
{
    const struct soap_blist* list = soap->blist;
    if (list->head == nullptr)
        return;
    const Made made(soap);
    const bool ids = ids_in_use(soap) && made.any_entries();
    if (!ids && soap->xlist == made.attachments_end())
        return;
    const Blocks blocks(list, to);
    const Moves moved(blocks);
    // The same registrations as the runtime's own move: those made while a
    // block list was open (the runtime marks an entry shaky whenever it
    // registers a location while one is open, and clears the marks only
    // when the last list ends), and the attachments.
    made.for_each_entry([ids, &moved](struct soap_ilist* ip) {
        if (!ids || !ip->shaky)
            return;
        moved.apply(ip->ptr);
        moved.apply_chain(&ip->link);
        moved.apply_chain(&ip->copy);
        for (struct soap_flist* fp = ip->flist; fp != nullptr; fp = fp->next)
            moved.apply(fp->ptr);
        moved.apply(ip->smart);
    });
    for (struct soap_xlist* xp = soap->xlist; xp != nullptr && xp != made.attachments_end();
         xp = xp->next) {
        // The members of one object: they move with its data pointer.
        const std::ptrdiff_t by = xp->ptr != nullptr ? moved.of(xp->ptr) : 0;
        if (by != 0) {
            Moves::shift(xp->ptr, by);
            Moves::shift(xp->size, by);
            Moves::shift(xp->type, by);
            Moves::shift(xp->options, by);
        }
    }
}

void* qor_save_block(struct soap* soap, int* count)
{
    const std::size_t size = soap->blist->size;
    // A failed read keeps nothing: the array stays empty, so that a caller
    // that goes on past the failure finds no items it cannot reach.
    char* to = soap->error == SOAP_OK && size != 0
                   ? static_cast<char*>(soap_malloc(soap, size)) // SOAP_EOM when null
                   : nullptr;
    if (to == nullptr) {
        qor_discard_block(soap);
        if (soap->error != SOAP_OK)
            *count = 0;
        return nullptr;
    }
    qor_move_references(soap, to);
    return soap_save_block(soap, nullptr, to, 0);
}
