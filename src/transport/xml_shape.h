#ifndef QOR_TRANSPORT_XML_SHAPE_H
#define QOR_TRANSPORT_XML_SHAPE_H

// Bounds the shape of an XML reply before the toolkit's parser reads it. The
// parser keeps one list of every attribute name of a message (each name once,
// its first 2047 bytes compared whole) and a list of the namespace
// declarations in scope, and walks them at every element; the ids and
// references of a message end in a table that it walks whole where a
// reference is resolved. Replies that fill these lists take time that grows
// with the square of their size, so a reply that would exceed one of the
// bounds below is refused before its excess is parsed.
//
// The bytes are split the way the toolkit's reader splits them: its character
// references take up to seven bytes, comments, declarations and processing
// instructions are passed over with their nesting of angle brackets, CDATA
// sections end at "]]>", attribute values may be unquoted, and so on, so that
// no attribute that the toolkit reads goes uncounted. An unquoted value that
// ends at "/" or ">" is refused: the reader keeps that byte back, reads each
// later value of the tag as empty and takes its bytes for an attribute name.
// So is one that begins with the lead byte of a UTF-8 sequence: the reader
// takes the bytes of the sequence after its second unlooked at, a blank or
// quote that ends the value among them.
//
// Element text is read whole by the schema's own readers (a fault's detail
// is kept as written), but attribute values and QNames (a fault's code, an
// element of type QName) only by the toolkit's reader, which takes seven
// bytes after "&", stops there and makes some character of whatever it
// took. There a reference must be one that this reader takes whole and that
// names the character it makes: "&#" and decimal digits or "&#x" and
// hexadecimal ones, of a character other than zero or a surrogate, or a
// name that the reader decodes right (those of service/core/
// named_references.hpp, the only ones that element text takes either), then
// ";", all within eight bytes. Any other reference is refused.
//
// Where the toolkit passes over an element it does not know, it only counts
// "<" and "/>" to find the element's end, also inside tags and values, and
// it reads a reference after any "&", in a tag too. Three things that are
// never well-formed would let that count run ahead of the elements, so that
// the toolkit goes on reading past the point where the document ends here:
// a "<" inside a tag (a start or end tag or a value of one), a "/" in a tag
// that is not followed by ">", and a "&" in a tag outside its values, whose
// seven bytes may take the tag's ">", text and end tags. All are refused, and
// so the toolkit never reads markup after the end of the document's first
// element, which ends what is counted.

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

namespace qortransport {

class XmlShape
{
  public:
    // Attributes named id, href or ref in any namespace, in one reply.
    static constexpr std::size_t kMaxReferences = 1000;
    // Distinct attribute names in one reply.
    static constexpr std::size_t kMaxAttributeNames = 256;
    // Namespace declarations in scope at any element.
    static constexpr std::size_t kMaxNamespaces = 128;

    // Takes the next bytes of the document; false once it exceeds a bound.
    bool feed(const char* data, std::size_t n);
    // Which bound the document exceeded, or what it holds that is refused;
    // empty while nothing is.
    const std::string& error() const { return error_; }
    // The first element that has content has ended: the toolkit reads no
    // markup after it, and the bytes that follow are not looked at.
    bool ended() const { return ended_; }

  private:
    enum class State : std::uint8_t {
        Text,        // character data
        Reference,   // after "&": up to seven bytes, the last one ";"
        Lt,          // after "<" and blanks
        Bang,        // after "<!"
        BangDash,    // after "<!-"
        Comment,     // after "<!--"
        CommentDash, // a "-" in a comment
        ToBracket,   // after "<![", up to the "[" that opens a CDATA section
        Markup,      // to the ">" that closes a declaration, with nested "<" ">"
        Pi,          // after "<?", up to "?"
        EndTag,      // after "</"
        TagName,
        TagBlank, // between the attributes of a start tag
        AttrName,
        AttrBlank,  // blanks after an attribute name
        ValueStart, // after "=", up to the quote
        Value,
        Slash, // after "/" in a start tag: the ">" of an empty tag
    };

    enum class Context : std::uint8_t { Text, Value, QName }; // where a reference stands

    void text(const char*& p, const char* end);
    void reference_begins(Context context);
    void reference_byte(unsigned char c);
    void tag_name_bytes(const char* p, const char* end);
    bool tag_is(const char* name) const;
    void element_started(bool qname_text);
    void value_byte(unsigned char c);
    void value_done();
    void skip_cdata(const char*& p, const char* end);
    bool cdata_byte(unsigned char c);
    void held_bracket();
    void value(const char*& p, const char* end);
    bool attribute_done();
    void start_tag_done(bool body);
    void end_tag_done();
    void close_scopes(); // the declarations of elements that have ended
    void element_ended();
    bool refuse(const char* what, std::size_t bound);
    void refuse(const char* what);
    void refuse_in_tag(char c); // a "<" or "&" outside the values of a tag

    State state_ = State::Text;
    State back_ = State::Text; // where a reference or markup returns to
    bool cdata_ = false;       // in a CDATA section (the toolkit keeps this across tags)
    char cdata_brackets_ = 0;  // "]" seen in a row in a CDATA section
    char quote_ = 0;           // '"' or '\'' in a quoted value, ' ' in an unquoted one
    // The bytes of the reference being read after "&", as the toolkit takes
    // them; where it stands.
    char reference_[7] = {};
    std::size_t reference_length_ = 0;
    Context reference_context_ = Context::Text;
    int markup_depth_ = 0;
    // The toolkit keeps this many bytes of an attribute name.
    static constexpr std::size_t kNameBytes = 2047;
    std::string name_;              // the attribute name being read, as the toolkit keeps it
    std::size_t declared_here_ = 0; // namespace declarations of the current start tag
    // The element name being read, after its last ":" (from the first four
    // levels only), and what its attributes tell of its text.
    char tag_local_[9] = {};
    std::size_t tag_local_length_ = 0;
    bool type_value_ = false; // in the value of an attribute named type
    char type_local_[5] = {}; // that value after its last ":"
    std::size_t type_local_length_ = 0;
    bool qname_text_ = false; // the element's type may be QName
    std::size_t depth_ = 0;
    bool in_fault_ = false;       // in a Fault, the Body's element
    std::size_t qname_depth_ = 0; // the element whose text is a QName; 0: none
    bool ended_ = false;
    std::size_t in_scope_ = 0;
    std::vector<std::pair<std::size_t, std::size_t>> scopes_; // depth, declarations
    std::unordered_set<std::string> names_;                   // the distinct attribute names
    std::size_t references_ = 0;
    std::string error_;
    const char* next_lt_ = nullptr; // the next "<" of the bytes being fed
};

} // namespace qortransport

#endif
