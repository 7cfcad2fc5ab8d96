#include "reply_reader.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "soapH.h"
#include "transport/plugin_data.h"

namespace {

struct Feed
{
    const std::string* reply = nullptr;
    std::size_t at = 0;
    const ReadSizes* sizes = nullptr;
    int (*parser_step)(struct soap*, const char*, size_t) = nullptr;
    ReplyReading* reading = nullptr;
    const qortransport::PluginData* plugin = nullptr;
};

// A descriptor that the toolkit may take for its socket; never closed.
int placeholder()
{
    static const int fd = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    return fd;
}

SOAP_SOCKET fake_open(struct soap*, const char*, const char*, int)
{
    return placeholder();
}

int fake_send(struct soap*, const char*, size_t)
{
    return SOAP_OK;
}

int fake_close_socket(struct soap*, SOAP_SOCKET)
{
    return SOAP_OK;
}

size_t fake_recv(struct soap* soap, char* s, size_t n)
{
    auto* f = static_cast<Feed*>(soap->user);
    if (f->plugin != nullptr && !f->plugin->shape.error().empty())
        ++f->reading->reads_after_refusal;
    std::size_t k = std::min(n, f->reply->size() - f->at);
    if (*f->sizes) {
        if (const std::size_t size = (*f->sizes)(f->at))
            k = std::min(k, size);
    }
    std::memcpy(s, f->reply->data() + f->at, k);
    f->at += k;
    return k;
}

std::size_t namespaces_in_scope(const struct soap* soap)
{
    std::size_t n = 0;
    for (const soap_nlist* p = soap->nlist; p != nullptr; p = p->next)
        ++n;
    return n;
}

// Looks at the parser's lists whenever it takes in more bytes.
int sample(struct soap* soap, const char* data, size_t n)
{
    auto* f = static_cast<Feed*>(soap->user);
    f->reading->most_namespaces = std::max(f->reading->most_namespaces, namespaces_in_scope(soap));
    return f->parser_step != nullptr ? f->parser_step(soap, data, n) : SOAP_OK;
}

std::string fault_of(struct soap* soap)
{
    soap_set_fault(soap);
    const char** code = soap_faultstring(soap);
    const char** detail = soap_faultdetail(soap);
    std::string text = code != nullptr && *code != nullptr ? *code : "";
    if (detail != nullptr && *detail != nullptr)
        text += std::string(", ") + *detail;
    return text;
}

} // namespace

ReplyReading read_reply(const std::string& reply, ReplyCall call, const ReadSizes& sizes,
                        bool with_plugin)
{
    const ReplyCallRow* row =
        find_reply_call(call == ReplyCall::Snapshot ? "ReadSnapshot (client)" : "GetProcessList");
    return read_reply(reply, row->call, sizes, with_plugin);
}

ReplyReading read_reply(const std::string& reply, ReplyCallFunction call, const ReadSizes& sizes,
                        bool with_plugin)
{
    ReplyReading reading;
    Feed feed{&reply, 0, &sizes, nullptr, &reading};
    const int mode = SOAP_IO_KEEPALIVE | SOAP_C_UTFSTRING;
    struct soap* soap = soap_new2(mode, mode);
    soap->user = &feed;
    qortransport::PluginData* d = nullptr;
    if (with_plugin) {
        plugin_arg arg{};
        arg.transport_type = GSOAP_HTTP;
        soap_register_plugin_arg(soap, plugin_register, &arg);
        d = qortransport::plugin_data(soap);
        feed.plugin = d;
    }
    if (d != nullptr) {
        d->saved.fopen = fake_open;
        d->saved.fsend = fake_send;
        d->saved.frecv = fake_recv;
    } else {
        soap->fopen = fake_open;
        soap->fsend = fake_send;
        soap->frecv = fake_recv;
    }
    soap->fclosesocket = fake_close_socket;
    feed.parser_step = soap->fpreparerecv;
    soap->fpreparerecv = sample;

    reading.rc = call(soap, "http://127.0.0.1:1", &reading.count);
    reading.most_namespaces = std::max(reading.most_namespaces, namespaces_in_scope(soap));
    for (const auto* a = soap->attributes; a != nullptr; a = a->next)
        ++reading.attribute_names;
    for (const soap_ilist* bucket : soap->iht)
        for (const soap_ilist* p = bucket; p != nullptr; p = p->next)
            ++reading.ids;
    if (reading.rc != SOAP_OK)
        reading.fault = fault_of(soap);
    if (d != nullptr) {
        reading.refusal = d->reply_refused ? d->shape.error() : "";
        reading.envelope_ended = d->shape.xml_ended();
        reading.counting = d->shape.counting();
    }
    soap_destroy(soap);
    soap_end(soap);
    soap_free(soap);
    return reading;
}
