// Fake control service for integration tests: a small HTTP/1.1 server on
// the loopback (or a unix-domain socket) that answers SOAP requests from a
// per-test script of hand-written replies and records every request.
//
// It is written with plain sockets on purpose and shares no code with the
// generated service layer, so a wrong schema cannot pass its own round trip.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qortest {

using Headers = std::vector<std::pair<std::string, std::string>>;

// Bounds that keep a misbehaving client from hanging or exhausting a test.
inline constexpr std::size_t kMaxHeaderBytes = 64 * 1024;
inline constexpr std::size_t kMaxBodyBytes = 16 * 1024 * 1024;
inline constexpr std::chrono::milliseconds kIdleTimeout{20000};    // per connection
inline constexpr std::chrono::milliseconds kMaxDelay{30000};       // Reply::after is clamped
inline constexpr std::chrono::milliseconds kMaxWait{60000};        // wait_for_requests is clamped
inline constexpr std::size_t kMaxConnections = 64;                 // open at the same time
inline constexpr std::chrono::milliseconds kPieceGap{20};          // between Reply::raw_pieces
inline constexpr std::size_t kMaxEndlessBytes = 256 * 1024 * 1024; // Reply::endless stops here

// Namespace URIs of the envelope.
inline constexpr const char* kSoap11EnvNs = "http://schemas.xmlsoap.org/soap/envelope/";
inline constexpr const char* kSoap11EncNs = "http://schemas.xmlsoap.org/soap/encoding/";
inline constexpr const char* kSoap12EnvNs = "http://www.w3.org/2003/05/soap-envelope";
inline constexpr const char* kSoap12EncNs = "http://www.w3.org/2003/05/soap-encoding";
inline constexpr const char* kXsiNs = "http://www.w3.org/2001/XMLSchema-instance";
inline constexpr const char* kXsdNs = "http://www.w3.org/2001/XMLSchema";

// The nine xmlns declarations (SOAP-ENV, SOAP-ENC, xsi, xsd, QORControl,
// QORPVRX, QORHostControl, QOROscol, QORDSR), each starting with a space.
std::string namespace_declarations(bool soap12 = false);

// Escapes &, <, >, " and ' for element text and attribute values.
std::string xml_escape(std::string_view text);

// A complete envelope around `body_xml`, which is inserted verbatim into
// SOAP-ENV:Body. All nine namespaces are declared on the Envelope element.
std::string envelope(std::string_view body_xml, bool soap12 = false);

// SOAP 1.1 fault body: faultcode, faultstring (escaped), optional detail
// (verbatim XML, element omitted when empty).
std::string fault11_xml(std::string_view code, std::string_view text, std::string_view detail = {});
// SOAP 1.2 fault body: Code/Value, Reason/Text (escaped), optional Detail.
std::string fault12_xml(std::string_view code, std::string_view text, std::string_view detail = {});

// One DIME record. `type_uri` selects the absolute-URI type format,
// otherwise the type is a media type. `chunked` sets the chunk flag.
struct DimeRecord
{
    std::string id;
    std::string type;
    std::string data;
    bool type_uri = false;
    bool chunked = false;
};
// The record that carries a SOAP 1.1 envelope (type = envelope namespace URI).
DimeRecord dime_envelope_record(std::string envelope_xml);
// Encodes records as one DIME message: message-begin on the first,
// message-end on the last, every field padded to a multiple of 4 bytes.
std::string dime_message(const std::vector<DimeRecord>& records);

// One scripted reply.
struct Reply
{
    enum class Kind { Http, Raw, Drop };
    Kind kind = Kind::Http;
    int status = 200;
    std::string reason; // empty: the usual text for the status
    std::string content_type = "text/xml; charset=utf-8";
    Headers headers;          // extra header lines
    std::string body;         // for Raw: every byte written to the socket
    bool chunked = false;     // send the body with chunked transfer coding
    bool close_after = false; // "Connection: close" and close after the reply
    bool last = false;        // the service stops listening before it writes the reply
    std::chrono::milliseconds delay{0};
    std::vector<std::string> pieces; // for Raw: written one by one, a pause after each
    bool hold_open = false;          // for Raw: wait for the client to close
    std::string repeat;              // for Raw: written again and again after body
    std::shared_ptr<std::atomic<std::size_t>> sent; // counts the bytes of a Raw reply

    // 200 with envelope(body_xml).
    static Reply ok(std::string_view body_xml);
    // 200 with an empty response element, e.g. ok_empty("Start") gives
    // <QORControl:StartResponse/>.
    static Reply ok_empty(std::string_view webmethod);
    // HTTP 500 with a SOAP 1.1 / 1.2 fault envelope (1.2: application/soap+xml).
    static Reply fault11(std::string_view code, std::string_view text,
                         std::string_view detail = {});
    static Reply fault12(std::string_view code, std::string_view text,
                         std::string_view detail = {});
    // Any status with any body (e.g. malformed or truncated XML with proper framing).
    static Reply http(int status, std::string body = {},
                      std::string content_type = "text/xml; charset=utf-8");
    // Bytes written verbatim (status line and headers included), then the
    // connection is closed.
    static Reply raw(std::string bytes);
    // Bytes written verbatim in these pieces with a pause (kPieceGap) after
    // each, so that they arrive as separate segments; then the connection is
    // closed.
    static Reply raw_pieces(std::vector<std::string> pieces);
    // A reply without end: `start`, then `piece` again and again until the
    // client closes the connection or kMaxEndlessBytes were written; *sent
    // counts the bytes written.
    static Reply endless(std::string start, std::string piece,
                         std::shared_ptr<std::atomic<std::size_t>> sent);
    // Close the connection without writing anything.
    static Reply drop();
    // 200, Content-Type application/dime, body dime_message(records).
    static Reply dime(const std::vector<DimeRecord>& records);

    Reply& after(std::chrono::milliseconds d); // wait before replying (clamped to kMaxDelay)
    Reply& with_header(std::string name, std::string value);
    Reply& closing(); // close_after = true
    // The service goes away with this reply: it stops listening before it
    // writes it (the next connection to its address is refused) and closes
    // the connection after it.
    Reply& then_gone();
    Reply& as_chunked(); // chunked = true
    Reply& holding();    // hold_open = true: a Raw reply's connection stays open
};

// One recorded request.
struct Request
{
    std::string request_line; // "POST / HTTP/1.1"
    std::string method, target, version;
    Headers headers;  // in arrival order, names as sent
    std::string body; // de-chunked
    bool body_chunked = false;
    std::string element;        // local name of the first child of SOAP Body, "" if none
    std::string element_qname;  // that child's name as written, e.g. "QORControl:Start"
    std::string element_ns;     // namespace URI its prefix is bound to, "" if unbound
    std::size_t connection = 0; // 0-based index of the accepted connection

    // Value of the first header of that name (case-insensitive), "" if absent.
    std::string header(std::string_view name) const;
    bool has_header(std::string_view name) const;
    // The bytes of a "Basic" Authorization value, decoded strictly (padded
    // base64, nothing else); nullopt when there is none or it is not exact.
    std::optional<std::string> basic_credentials() const;
};

// Extracts (local name, qualified name, namespace URI) of the first child
// element of the SOAP Body in `xml`; all empty when there is none.
struct BodyElement
{
    std::string local, qname, ns;
};
BodyElement first_body_element(std::string_view xml);

// The loopback address a TCP fake listens on.
// 127.0.0.1, ::1, 127.0.0.2, 127.0.0.3 (which only a test that needs a port
// no other test takes uses)
enum class Loopback { V4, V6, V4Second, V4Third };

class FakeService
{
  public:
    FakeService(); // 127.0.0.1, ephemeral port
    // That port (0: ephemeral) on the loopback address; throws when it is taken
    // or the machine has no such address.
    explicit FakeService(std::uint16_t port, Loopback where = Loopback::V4);
    explicit FakeService(const std::string& unix_socket_path); // removes a stale file first
    ~FakeService(); // stops, closes every connection, joins
    FakeService(const FakeService&) = delete;
    FakeService& operator=(const FakeService&) = delete;

    // The client's HTTP port of an instance number: 50013 + 100 * nr.
    static constexpr std::uint16_t instance_port(int nr)
    {
        return static_cast<std::uint16_t>(50013 + 100 * nr);
    }
    // Listens at instance_port(nr) of the first nr in [first, last] whose port
    // is free (tests run in parallel) and stores that nr; throws when none is.
    static std::unique_ptr<FakeService> on_free_instance_port(int& nr, int first = 1, int last = 98,
                                                              Loopback where = Loopback::V4);

    std::uint16_t port() const;             // 0 for a unix socket
    const std::string& socket_path() const; // "" for TCP
    std::string endpoint() const;           // "http://<address>:<port>", "http://[::1]:<port>"

    // Replies for requests whose body element has this local name: each queued
    // reply is used once, the last one repeats.
    void script(const std::string& element, Reply reply);
    void script(const std::string& element, std::vector<Reply> replies);
    // Reply when no script matches (initially a SOAP 1.1 Client fault
    // "No reply scripted for <element>").
    void set_default(Reply reply);

    std::vector<Request> requests() const;
    std::size_t request_count() const;
    Request request(std::size_t index) const; // throws std::out_of_range
    Request last_request() const;             // throws std::out_of_range when none
    std::size_t connections_accepted() const;
    // Connections it still serves or holds: not yet closed by the client,
    // by the service or after kIdleTimeout without a byte from the client.
    std::size_t connections_open() const;
    // True once at least n requests were recorded; false after the timeout
    // (clamped to kMaxWait).
    bool wait_for_requests(std::size_t n,
                           std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;
    void clear_requests();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace qortest
