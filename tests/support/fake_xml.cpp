// Envelope and fault texts of the fake control service, and the small XML
// scanner that finds the request element inside a SOAP Body.
#include "support/fake_service.h"

#include <vector>

namespace qortest {

namespace {

// The service prefixes, each bound to "urn:" followed by the prefix.
constexpr const char* kServicePrefixes[] = {"QORControl", "QORPVRX", "QORHostControl", "QOROscol",
                                            "QORDSR"};

bool is_name_char(char c)
{
    return c != '\0' && c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '>' && c != '/' &&
           c != '=' && c != '"' && c != '\'' && c != '<';
}

bool is_space(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view local_part(std::string_view qname)
{
    auto colon = qname.find(':');
    return colon == std::string_view::npos ? qname : qname.substr(colon + 1);
}

std::string_view prefix_part(std::string_view qname)
{
    auto colon = qname.find(':');
    return colon == std::string_view::npos ? std::string_view{} : qname.substr(0, colon);
}

struct StartTag
{
    std::string_view name;
    std::vector<std::pair<std::string, std::string>> ns_decls; // prefix ("" = default) -> URI
    bool self_closing = false;
    std::size_t end = 0; // index after '>'
};

// Parses the start tag that begins at xml[pos] == '<'. False when malformed.
bool parse_start_tag(std::string_view xml, std::size_t pos, StartTag& tag)
{
    std::size_t i = pos + 1;
    std::size_t name_begin = i;
    while (i < xml.size() && is_name_char(xml[i]))
        ++i;
    if (i == name_begin)
        return false;
    tag.name = xml.substr(name_begin, i - name_begin);
    for (;;) {
        while (i < xml.size() && is_space(xml[i]))
            ++i;
        if (i >= xml.size())
            return false;
        if (xml[i] == '>') {
            tag.end = i + 1;
            return true;
        }
        if (xml[i] == '/') {
            if (i + 1 < xml.size() && xml[i + 1] == '>') {
                tag.self_closing = true;
                tag.end = i + 2;
                return true;
            }
            return false;
        }
        std::size_t attr_begin = i;
        while (i < xml.size() && is_name_char(xml[i]))
            ++i;
        if (i == attr_begin)
            return false;
        std::string_view attr = xml.substr(attr_begin, i - attr_begin);
        while (i < xml.size() && is_space(xml[i]))
            ++i;
        if (i >= xml.size() || xml[i] != '=')
            return false;
        ++i;
        while (i < xml.size() && is_space(xml[i]))
            ++i;
        if (i >= xml.size() || (xml[i] != '"' && xml[i] != '\''))
            return false;
        char quote = xml[i++];
        auto close = xml.find(quote, i);
        if (close == std::string_view::npos)
            return false;
        std::string_view value = xml.substr(i, close - i);
        i = close + 1;
        if (attr == "xmlns") {
            tag.ns_decls.emplace_back("", std::string(value));
        } else if (attr.substr(0, 6) == "xmlns:") {
            tag.ns_decls.emplace_back(std::string(attr.substr(6)), std::string(value));
        }
    }
}

} // namespace

std::string namespace_declarations(bool soap12)
{
    std::string out;
    auto add = [&out](std::string_view prefix, std::string_view uri) {
        out += " xmlns:";
        out += prefix;
        out += "=\"";
        out += uri;
        out += '"';
    };
    add("SOAP-ENV", soap12 ? kSoap12EnvNs : kSoap11EnvNs);
    add("SOAP-ENC", soap12 ? kSoap12EncNs : kSoap11EncNs);
    add("xsi", kXsiNs);
    add("xsd", kXsdNs);
    for (const char* prefix : kServicePrefixes)
        add(prefix, std::string("urn:") + prefix);
    return out;
}

std::string xml_escape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string envelope(std::string_view body_xml, bool soap12)
{
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SOAP-ENV:Envelope";
    out += namespace_declarations(soap12);
    out += "><SOAP-ENV:Body>";
    out += body_xml;
    out += "</SOAP-ENV:Body></SOAP-ENV:Envelope>\n";
    return out;
}

std::string fault11_xml(std::string_view code, std::string_view text, std::string_view detail)
{
    std::string out = "<SOAP-ENV:Fault><faultcode>" + xml_escape(code) +
                      "</faultcode><faultstring>" + xml_escape(text) + "</faultstring>";
    if (!detail.empty()) {
        out += "<detail>";
        out += detail;
        out += "</detail>";
    }
    out += "</SOAP-ENV:Fault>";
    return out;
}

std::string fault12_xml(std::string_view code, std::string_view text, std::string_view detail)
{
    std::string out =
        "<SOAP-ENV:Fault><SOAP-ENV:Code><SOAP-ENV:Value>" + xml_escape(code) +
        "</SOAP-ENV:Value></SOAP-ENV:Code><SOAP-ENV:Reason><SOAP-ENV:Text xml:lang=\"en\">" +
        xml_escape(text) + "</SOAP-ENV:Text></SOAP-ENV:Reason>";
    if (!detail.empty()) {
        out += "<SOAP-ENV:Detail>";
        out += detail;
        out += "</SOAP-ENV:Detail>";
    }
    out += "</SOAP-ENV:Fault>";
    return out;
}

BodyElement first_body_element(std::string_view xml)
{
    // Each open element: its qualified name and the namespaces it declared.
    struct Open
    {
        std::string_view name;
        std::vector<std::pair<std::string, std::string>> ns_decls;
    };
    std::vector<Open> stack;
    std::size_t body_depth = 0; // depth of the open Body element, 0 = not inside
    std::size_t pos = 0;
    auto resolve = [&stack](std::string_view prefix, const StartTag& tag) -> std::string {
        for (auto it = tag.ns_decls.rbegin(); it != tag.ns_decls.rend(); ++it)
            if (it->first == prefix)
                return it->second;
        for (auto s = stack.rbegin(); s != stack.rend(); ++s)
            for (auto it = s->ns_decls.rbegin(); it != s->ns_decls.rend(); ++it)
                if (it->first == prefix)
                    return it->second;
        return {};
    };
    constexpr std::size_t kMaxDepth = 256;
    while ((pos = xml.find('<', pos)) != std::string_view::npos) {
        std::string_view rest = xml.substr(pos);
        if (rest.substr(0, 4) == "<!--") {
            auto end = xml.find("-->", pos + 4);
            if (end == std::string_view::npos)
                break;
            pos = end + 3;
        } else if (rest.substr(0, 9) == "<![CDATA[") {
            auto end = xml.find("]]>", pos + 9);
            if (end == std::string_view::npos)
                break;
            pos = end + 3;
        } else if (rest.substr(0, 2) == "<?") {
            auto end = xml.find("?>", pos + 2);
            if (end == std::string_view::npos)
                break;
            pos = end + 2;
        } else if (rest.substr(0, 2) == "<!") {
            auto end = xml.find('>', pos + 2);
            if (end == std::string_view::npos)
                break;
            pos = end + 1;
        } else if (rest.substr(0, 2) == "</") {
            if (stack.empty())
                break;
            if (body_depth == stack.size())
                break; // Body closed without a child
            stack.pop_back();
            auto end = xml.find('>', pos + 2);
            if (end == std::string_view::npos)
                break;
            pos = end + 1;
        } else {
            StartTag tag;
            if (!parse_start_tag(xml, pos, tag))
                break;
            if (body_depth != 0 && stack.size() == body_depth) {
                BodyElement found;
                found.qname = std::string(tag.name);
                found.local = std::string(local_part(tag.name));
                found.ns = resolve(prefix_part(tag.name), tag);
                return found;
            }
            bool is_body = local_part(tag.name) == "Body" && stack.size() == 1;
            if (is_body && tag.self_closing)
                break;
            if (!tag.self_closing) {
                if (stack.size() >= kMaxDepth)
                    break;
                stack.push_back(Open{tag.name, std::move(tag.ns_decls)});
                if (is_body)
                    body_depth = stack.size();
            }
            pos = tag.end;
        }
    }
    return {};
}

} // namespace qortest
