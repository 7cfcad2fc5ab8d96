// Saving the items of an array read by collecting them (see
// service/mend_generated.cmake): the runtime moves every registered id and
// reference once per item, walking its whole id table each time; here one
// walk serves the whole array.
#include "soapH.h"

#include <algorithm>
#include <iterator>
#include <vector>

namespace {

// One block of the list: its bytes and how far they move.
struct Move
{
    const char* begin;
    const char* end;
    std::ptrdiff_t by;
};

// Where a pointer into one of the blocks goes; other pointers stay.
class Moves
{
  public:
    explicit Moves(std::vector<Move> moves) : moves_(std::move(moves))
    {
        std::sort(moves_.begin(), moves_.end(),
                  [](const Move& a, const Move& b) { return a.begin < b.begin; });
    }
    // The distance p moves: 0 when it lies in no block.
    std::ptrdiff_t of(const void* p) const
    {
        const char* c = static_cast<const char*>(p);
        auto next = std::upper_bound(moves_.begin(), moves_.end(), c,
                                     [](const char* x, const Move& m) { return x < m.begin; });
        if (next == moves_.begin())
            return 0;
        const Move& m = *std::prev(next);
        return c < m.end ? m.by : 0;
    }
    template <class P> void apply(P*& p) const
    {
        if (p != nullptr)
            shift(p, of(p));
    }
    template <class P> static void shift(P*& p, std::ptrdiff_t by)
    {
        p = reinterpret_cast<P*>(reinterpret_cast<char*>(p) + by);
    }
    // A chain of locations, each holding the next (links and copies).
    void apply_chain(void** head) const
    {
        for (void** q = head; q != nullptr;) {
            void* next = *q;
            apply(*q);
            q = static_cast<void**>(next);
        }
    }

  private:
    std::vector<Move> moves_;
};

bool ids_in_use(const struct soap* soap)
{
    return (soap->version && !(soap->imode & SOAP_XML_TREE)) || (soap->mode & SOAP_XML_GRAPH);
}

} // namespace

void qor_move_references(struct soap* soap, char* to)
{
    const struct soap_blist* blocks = soap->blist;
    const bool ids =
        ids_in_use(soap) && std::any_of(std::begin(soap->iht), std::end(soap->iht),
                                        [](const soap_ilist* ip) { return ip != nullptr; });
    if (blocks == nullptr || (!ids && soap->xlist == nullptr))
        return;
    // The newest block heads the list; the blocks land in the order they came.
    std::vector<Move> moves;
    std::size_t at = blocks->size;
    for (const struct soap_bhead* h = blocks->head; h != nullptr; h = h->next) {
        at -= h->size;
        const char* data = reinterpret_cast<const char*>(h + 1);
        moves.push_back({data, data + h->size, to + at - data});
    }
    const Moves moved(std::move(moves));
    // The same registrations as the runtime's own move: those made while a
    // block list was open, and the attachments.
    for (struct soap_ilist* first : soap->iht) {
        for (struct soap_ilist* ip = first; ids && ip != nullptr; ip = ip->next) {
            if (!ip->shaky)
                continue;
            moved.apply(ip->ptr);
            moved.apply_chain(&ip->link);
            moved.apply_chain(&ip->copy);
            for (struct soap_flist* fp = ip->flist; fp != nullptr; fp = fp->next)
                moved.apply(fp->ptr);
            moved.apply(ip->smart);
        }
    }
    for (struct soap_xlist* xp = soap->xlist; xp != nullptr; xp = xp->next) {
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

void* qor_save_block(struct soap* soap)
{
    const std::size_t size = soap->blist->size;
    char* to = size != 0 ? static_cast<char*>(soap_malloc(soap, size)) : nullptr;
    if (size != 0 && to == nullptr) {
        soap_end_block(soap, nullptr);
        return nullptr; // soap_malloc set SOAP_EOM
    }
    if (to != nullptr)
        qor_move_references(soap, to);
    return soap_save_block(soap, nullptr, to, 0);
}
