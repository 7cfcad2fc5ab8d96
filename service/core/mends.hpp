// Hand-written helpers that the generated schema code calls; included into
// the generated soapStub.h.
#pragma once

#include <stdsoap2.h>

#include <cstddef>
#include <new>
#include <string>
#include <vector>

// Reads the text of an enumeration or boolean element that names none of the
// type's values.  An empty text leaves the value unchanged (returns 0 and
// sets *present to false); outside strict mode any decimal number is taken
// as it is; anything else is SOAP_TYPE.
int qor_enum_number(struct soap* soap, const char* text, long* value, bool* present);

// Called for each item of an array that is read by collecting its items:
// true when it cannot take one more (its count is an int), the list's block
// list then discarded (the read returns at once); otherwise keeps the
// context's item limit above the count, so that the item array can be
// allocated however long the list is.
bool qor_too_many_items(struct soap* soap, int count);

// The reader of an array element that declares its size (SOAP-ENC:arrayType
// "T[n]" or arraySize, with an offset) holds one for its whole call: it
// decides how many items the array gets and which slot each item read goes
// to, so that no item is dropped or put over another.
class QorDeclaredArray
{
  public:
    explicit QorDeclaredArray(struct soap* soap) : soap_(soap) {}

    // Right after the array's start tag: true, with *size the number of
    // items (the declared size less the offset) and *offset the offset, when
    // the size is usable; false when the element declares none, or a
    // dimension that is no number or is negative, a size above 100000 or an
    // offset beyond the size, and the items are then collected as they come.
    // The size of several dimensions is their product.
    bool declare(int* size, int* offset);

    // Before each item, with *slot the one after the item before: true, with
    // *slot the index the item goes to, when an item follows and the array
    // has room for it: the slot its SOAP-ENC:position names (every index
    // counted, the last one fastest, less the offset), or else *slot as
    // given. False, with the error cleared, when no item follows; false with
    // the error set when an item has no room (SOAP_END_TAG, "closing tag
    // expected", naming it: *slot is beyond the last slot, which ends the
    // items whatever slots are still empty, or the slot it goes to is filled
    // already), when its position names no slot of the array (SOAP_IOB), or
    // when the input fails.
    bool place(int* slot);

  private:
    bool named_slot(int* slot) const;
    bool taken(int slot) const;

    struct soap* soap_;
    int size_ = 0;
    int offset_ = 0;
    // The sizes of the dimensions after the first; the first only bounds
    // the slot, which the size does.
    std::vector<long> later_;
    int placed_ = 0;
    // The slots filled, once an item came with a position; until then the
    // items went in order and the first placed_ slots are the ones filled.
    std::vector<bool> filled_;
};

// Ends a client call whose reply did not hold the expected response element.
// A SOAP Fault goes to the runtime's soap_recv_fault, except that a fault
// whose content the readers refuse fails with that error (the runtime
// reports the HTTP status); another element fails the call with
// SOAP_TAG_MISMATCH and the fault code Client (Sender under SOAP 1.2); any
// other failure, an empty Body included, keeps its own error.
int qor_recv_fault(struct soap* soap);

// Stores the fault record that soap_getfault read (null when it read none)
// as the context's, and gives its result (0 when a record was read). When
// none was, keeps for qor_recv_fault the fault that a step of the read
// stated (the transport's refusal), or else the error of readers that
// refused the fault's content and the element it names.
struct SOAP_ENV__Fault;
int qor_fault_read(struct soap* soap, struct SOAP_ENV__Fault* read);

// Reads the literal text of a fault's detail from the next child element
// on, as soap_inliteral with "-any" reads it but with markup read
// as soap_get reads it, and appends it to *text.  Returns false, with the
// runtime's error set, when nothing follows.
bool qor_detail_literal(struct soap* soap, char** text);

// Called before the detail's reader looks for its next child element:
// passes over the blanks, character data, comments, processing
// instructions, declarations and CDATA sections that come first, read as
// soap_get reads them (the detail's text begins at the next child element).
// Returns 0 when something else comes next, which is left to read; -1 with
// the context's error set when the input ends inside markup.
int qor_detail_skip(struct soap* soap);

// What the readers of a context hold for their whole call, of one kind
// (Scope): the scopes of a thread nest, as reading is synchronous, and the
// outermost of a context (its keeper) holds what those inside it share.
template <class Scope> class QorNestedScope
{
  public:
    QorNestedScope(const QorNestedScope&) = delete;
    QorNestedScope& operator=(const QorNestedScope&) = delete;

    // The innermost scope of the context on this thread; null when none.
    static Scope* of(const struct soap* soap)
    {
        QorNestedScope* scope = innermost_;
        while (scope != nullptr && scope->soap_ != soap)
            scope = scope->outer_;
        return static_cast<Scope*>(scope);
    }

  protected:
    explicit QorNestedScope(struct soap* soap)
        : soap_(soap), keeper_(keeper_for(soap)), outer_(innermost_)
    {
        innermost_ = this;
    }
    ~QorNestedScope() { innermost_ = outer_; }

    struct soap* const soap_;
    Scope* const keeper_;

  private:
    // The keeper of the context's scopes: the outermost one's, or this one
    // when it is the first.
    Scope* keeper_for(const struct soap* soap)
    {
        Scope* outer = of(soap);
        return outer != nullptr ? outer->keeper_ : static_cast<Scope*>(this);
    }

    QorNestedScope* const outer_;
    static inline thread_local QorNestedScope* innermost_ = nullptr;
};

// The entries of the id table that the readers inside an array register
// locations with, noted as they come, so that taking back an item or saving
// the items looks at the entries noted since the array began instead of the
// whole table: records that each hold an array and carry many ids would cost
// records times ids. The reader of an array holds a mark for its whole call;
// the keeper keeps the notes of all the marks inside it until it ends.
class QorRegistrationMark : public QorNestedScope<QorRegistrationMark>
{
  public:
    explicit QorRegistrationMark(struct soap* soap);

    // Notes the entry under `key` (an id or href, as the runtime was given
    // it) when the context has a mark; nothing when the key is empty or
    // names no entry.
    static void note(struct soap* soap, const char* key);

    // Of the innermost mark: the entries noted since it was set, each once,
    // in [*first, *last); false when a note could not be kept (no memory),
    // and every entry of the table may hold what it registered.
    bool entries(struct soap_ilist* const** first, struct soap_ilist* const** last);
    // The head of the attachment list when the mark was set: the
    // attachments added since stand before it.
    const struct soap_xlist* attachments() const { return attachments_; }

  private:
    // The keeper's, made before any mark's place in them is taken.
    std::vector<struct soap_ilist*> notes_;
    bool lost_ = false; // a note could not be kept
    std::size_t from_;  // where this mark's notes begin in the keeper's
    const struct soap_xlist* attachments_;
};

// The runtime's soap_id_enter, soap_id_lookup and soap_id_forward, each
// noting the entry it registered with (see QorRegistrationMark).
inline void* qor_id_enter(struct soap* soap, const char* id, void* p, int t, size_t n,
                          const char* type, const char* arrayType,
                          void* (*finstantiate)(struct soap*, int, const char*, const char*,
                                                size_t*),
                          int (*fbase)(int, int))
{
    void* entered = soap_id_enter(soap, id, p, t, n, type, arrayType, finstantiate, fbase);
    QorRegistrationMark::note(soap, id);
    return entered;
}

inline void* qor_id_lookup(struct soap* soap, const char* id, void** p, int t, size_t n,
                           unsigned int k, int (*fbase)(int, int))
{
    void* found = soap_id_lookup(soap, id, p, t, n, k, fbase);
    QorRegistrationMark::note(soap, id);
    return found;
}

inline void* qor_id_forward(struct soap* soap, const char* id, void* p, size_t i, int t, int tt,
                            size_t n, unsigned int k,
                            void (*finsert)(struct soap*, int, int, void*, size_t, const void*,
                                            void**),
                            int (*fbase)(int, int))
{
    void* forwarded = soap_id_forward(soap, id, p, i, t, tt, n, k, finsert, fbase);
    QorRegistrationMark::note(soap, id);
    return forwarded;
}

// A reader of the runtime's own (read()) that registers the id and href of
// the element whose start tag was just read, noting their entries.
template <class Read> auto qor_noting(struct soap* soap, Read read) -> decltype(read())
{
    if (*soap->id == '\0' && *soap->href == '\0')
        return read();
    const std::string id = soap->id;
    const std::string href = soap->href;
    auto result = read();
    QorRegistrationMark::note(soap, id.c_str());
    QorRegistrationMark::note(soap, href.c_str());
    return result;
}

// The runtime's string reader (same arguments as soap_instring), except that
// an element in the empty-tag form (<name/>) gives a null string; one with a
// start and an end tag and nothing between gives the empty string.
char** qor_instring(struct soap* soap, const char* tag, char** p, const char* type, int t, int flag,
                    long minlen, long maxlen, const char* pattern);

// The strings that the readers of element text copy out of a reply, while an
// array is read (its reader holds a scope for its whole call), are cut from
// pieces of the context's memory that many of them share, released by
// soap_end like the rest. An inner scope of the same context shares the
// pieces of its keeper.
class QorStringScope : public QorNestedScope<QorStringScope>
{
  public:
    explicit QorStringScope(struct soap* soap) : QorNestedScope(soap) {}

    // Room for n bytes, at most the longest shared string; null with
    // SOAP_EOM.
    char* take(std::size_t n);

  private:
    char* room_ = nullptr; // the unused end of the current piece
    char* end_ = nullptr;
    std::size_t piece_ = 0; // the size of the current piece
};

// Room for a string of n bytes (its NUL included) in the context's memory:
// from the context's scope when one is active and the string is short, an
// allocation of its own otherwise. Null with SOAP_EOM.
char* qor_string_room(struct soap* soap, std::size_t n);

// The text of a string element whose start tag was just read, with its end
// tag, taken straight from the input buffer when both lie there and the text
// holds no reference, markup or byte above 0x7F: a copy in *p and true;
// false, with nothing read, otherwise.
bool qor_plain_string(struct soap* soap, char** p);

// The same for a number or enumeration element: its value, without the blanks
// around it, in soap->tmpbuf as the runtime's soap_value leaves it.
bool qor_plain_value(struct soap* soap);

// The runtime's soap_get, except that a character reference of any length is
// read whole ("&#x1F600;", "&#x0000041;"; the runtime stops after seven bytes
// and reads the rest as text) and one that names no character (zero, a
// surrogate, beyond U+10FFFF, no digits, no ";", a name the runtime does not
// know) fails the read: EOF, with SOAP_SYNTAX_ERROR in the context.
soap_wchar qor_get(struct soap* soap);

// The runtime's soap_string_in for the text of a string element (flag 1) on
// qor_get: the text up to the element's end tag, which is left to read, with
// the elements inside it kept as markup. A copy in the context's memory; null
// with the context's error set.
char* qor_string_text(struct soap* soap);

// The runtime's soap_value on qor_get: the value of a number, enumeration or
// boolean element without the blanks around it, in soap->tmpbuf; blanks are
// taken in any number, a value longer than the buffer fails with
// SOAP_LENGTH. Null with the context's error set.
const char* qor_value_text(struct soap* soap);

// The runtime's soap_value for the number, enumeration and boolean readers:
// in place when the value is plain, else through qor_value_text. When it has
// read the end tag too, or failed, it says so by clearing soap->body, so that
// the reader does not look for another one.
const char* qor_value(struct soap* soap);

// After the start tag of a number element: true when its value is read
// here, because it has content and no reference and its xsi:type is the
// one the caller expects, one that the runtime's reader takes for it (an
// xsd:short for an xsd:int) or none is given; false when the runtime's
// reader is to read the element (or to refuse its type).
bool qor_number_here(struct soap* soap, const char* type);

// The runtime's number reader `read` (soap_inint and its kin), with the
// value of a number element read by qor_value and converted by `convert`
// (soap_s2int and its kin); an element without content, with a reference or
// of another type goes to `read`.
template <class T>
T* qor_in_number(struct soap* soap, const char* tag, T* a, const char* type, int t,
                 T* (*read)(struct soap*, const char*, T*, const char*, int),
                 int (*convert)(struct soap*, const char*, T*))
{
    if (soap_element_begin_in(soap, tag, 0, nullptr))
        return nullptr;
    if (!qor_number_here(soap, type)) {
        soap_revert(soap); // the runtime's reader reads the same start tag again
        return qor_noting(soap, [&] { return read(soap, tag, a, type, t); });
    }
    // As the runtime's reader: a new number when none is given, entered
    // under the element's id (the id table then points at *a: an item's
    // slot in a block list, dropped with the item when it is taken back).
    a = static_cast<T*>(
        qor_id_enter(soap, soap->id, a, t, sizeof(T), nullptr, nullptr, nullptr, nullptr));
    const char* value = a != nullptr ? qor_value(soap) : nullptr;
    if (value == nullptr || convert(soap, value, a) ||
        (soap->body && soap_element_end_in(soap, tag)))
        return nullptr;
    return a;
}

// The runtime's string writer (same arguments as soap_outstring), except that
// an empty string is written with a start and an end tag (<name></name>) and
// a line feed in the text as "&#xA;".
int qor_outstring(struct soap* soap, const char* tag, int id, char* const* p, const char* type,
                  int t);

// The registrations of ids and references (the id table's objects, links,
// copies, forwarded copies and smart pointers, and the attachments) that lie
// in the items of an array read by collecting them, in the current block
// list, must never outlive the memory they point into. Every reader that
// runs between an item's push and its pop or the array's save ends the
// block lists it opens, when it fails too, so the current list is always the
// array's own.

// Moves the registrations that lie in the blocks of the current block list
// to where the items go: the blocks in order, one after the other, from `to`
// on (room for all of them).  One pass over the runtime's tables for the
// whole array, where the runtime's own save makes one per item.
void qor_move_references(struct soap* soap, char* to);

// Drops the registrations that lie in [begin, end): an item about to be
// taken back, before its memory is freed or reused.
void qor_drop_references(struct soap* soap, const char* begin, const char* end);

// Ends the current block list without saving it, the registrations in its
// blocks dropped first: a failed read, or one without items.
void qor_discard_block(struct soap* soap);

// Takes back the last string or number item (one block each) that was not
// read, with the registrations made in it.
void qor_pop_block(struct soap* soap);

// Saves the current block list of string or number items in one piece of the
// context's memory, with the references moved along; null when it is empty.
// After a failed read (the context's error set) it saves nothing: it
// discards the list and sets *count, the array's size, to 0.
void* qor_save_block(struct soap* soap, int* count);

// The record items of an array read by collecting them are kept in the
// current block list a few dozen to a block: one allocation for many items.
// A block holds kItemsPerBlock items; its size is the part in use, always a
// whole number of items. Its data follows the block header, which malloc
// aligns for any type, and the items are packed from there, so each item is
// aligned as T needs.
constexpr std::size_t kItemsPerBlock = 64;

// Room for one more item, made with the item's constructor; null when there
// is no memory (SOAP_EOM set).
template <class T> T* qor_push_item(struct soap* soap)
{
    struct soap_blist* b = soap->blist;
    char* room;
    // Every block of the list was pushed here for kItemsPerBlock items of T,
    // so one with less in use has room for one more right after its last.
    if (b->head != nullptr && b->head->size < kItemsPerBlock * sizeof(T)) {
        room = reinterpret_cast<char*>(b->head + 1) + b->head->size;
        soap_size_block(soap, b, b->head->size + sizeof(T));
    } else {
        room = static_cast<char*>(soap_push_block(soap, b, kItemsPerBlock * sizeof(T)));
        if (room == nullptr)
            return nullptr;
        soap_size_block(soap, b, sizeof(T));
    }
    return new (room) T();
}

// Takes back the last item (one that was not read, or failed), with the
// registrations made in it: they are dropped before its bytes are freed (the
// block's only item) or left beyond the part in use, where the next item
// reuses them.
template <class T> void qor_pop_item(struct soap* soap)
{
    struct soap_blist* b = soap->blist;
    if (b->head == nullptr)
        return;
    const char* item = reinterpret_cast<const char*>(b->head + 1) + b->head->size - sizeof(T);
    qor_drop_references(soap, item, item + sizeof(T));
    if (b->head->size > sizeof(T))
        soap_size_block(soap, b, b->head->size - sizeof(T));
    else
        soap_pop_block(soap, b);
}

// Saves the current block list of record items into a new array of them
// made by `make` (soap_new_T), with the references moved along, and ends the
// block list; returns the array, null when it is empty. After a failed read
// (the context's error set), or when the array cannot be made, it saves
// nothing: it discards the list and sets *count, the array's size, to 0.
template <class T> T* qor_save_items(struct soap* soap, int* count, T* (*make)(struct soap*, int))
{
    // The list holds *count items, fewer than INT_MAX (qor_too_many_items).
    const std::size_t items = soap->blist->size / sizeof(T);
    T* to = soap->error == SOAP_OK && items != 0 ? make(soap, static_cast<int>(items)) : nullptr;
    if (to == nullptr) {
        if (items != 0 && soap->error == SOAP_OK)
            soap->error = SOAP_EOM;
        qor_discard_block(soap);
        if (soap->error != SOAP_OK)
            *count = 0;
        return nullptr;
    }
    qor_move_references(soap, reinterpret_cast<char*>(to));
    T* at = to;
    for (char* q = soap_first_block(soap, nullptr); q; q = soap_next_block(soap, nullptr)) {
        const T* item = static_cast<const T*>(static_cast<void*>(q));
        for (std::size_t n = soap_block_size(soap, nullptr) / sizeof(T); n > 0; --n)
            *at++ = *item++;
    }
    soap_end_block(soap, nullptr);
    return to;
}
