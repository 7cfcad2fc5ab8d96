// Large and unusual replies from the fake control service, each read by the
// qorcontrol program as a whole process and fetched by curl, side by side:
// the time, the reply's throughput, the program's peak memory and how the
// call ended.
//
//   bench_client [--runs N] [--processes N] [--snapshot-mb N] [--only WORD[,WORD...]] [CURL]
//
// --only keeps the replies whose name holds one of the WORDs.
//
// The shapes: a GetProcessList of many processes printed in list format;
// items that carry ids, dangling references, attributes and namespace
// declarations by the hundred thousand, also under a Content-Type that names
// DIME in a parameter, in a DIME record that declares less than its XML and
// in a MIME part (each must end, with its result or a "FAIL: ", in well
// under a second); a ReadSnapshot among 300,000 small attachments whose
// response names 499 of them; and a ReadSnapshot whose snapshot comes as a
// MIME attachment (bytes or base64), a DIME attachment and as inline base64
// text, in its element or in the one its href names. Arrays inside records:
// a GetProcessParameter of 100,000 parameters that each hold a one-item
// list of values, without ids and with ids on the first 999 parameters (the
// latter must take no more than 1.2 times the former). Arrays of their own:
// many small lists of strings, or of records, after a short process list,
// which no bound counts (the peak memory against the reply).
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "support/fake_service.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr const char* kTime = "/usr/bin/time";

std::string program_path()
{
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return "qorcontrol";
    self[n] = 0;
    std::string dir(self);
    dir.erase(dir.rfind('/'));
    return dir + "/../src/client/qorcontrol";
}

std::string process_item(int i, const std::string& attributes)
{
    char item[512];
    std::snprintf(item, sizeof item,
                  "<item%s><name>qorwp_%d</name><description>Dispatcher process %d"
                  "</description><dispstatus>QORControl-GREEN</dispstatus>"
                  "<textstatus>Running</textstatus><starttime>2026 12 06 10:00:00"
                  "</starttime><elapsedtime>8:00:00</elapsedtime><pid>%d</pid></item>",
                  attributes.c_str(), i, i, 10000 + i);
    return item;
}

std::string process_list(const std::string& items)
{
    return "<QORControl:GetProcessListResponse><process>" + items +
           "</process></QORControl:GetProcessListResponse>";
}

// A parameter whose list of values holds one item.
std::string parameter_item(int i, const std::string& attributes)
{
    const std::string n = std::to_string(i);
    return "<item" + attributes + "><name>qor/param_" + n + "</name><value>" + n +
           "</value><values><item>" + n + "</item></values></item>";
}

std::string parameter_list(const std::string& items)
{
    return "<QORControl:GetProcessParameterResponse><parameter>" + items +
           "</parameter></QORControl:GetProcessParameterResponse>";
}

// n items, the i-th made by item(i).
std::string repeat(int n, const std::function<std::string(int)>& item)
{
    std::string out;
    for (int i = 0; i < n; ++i)
        out += item(i);
    return out;
}

std::string snapshot_bytes(std::size_t size)
{
    std::string data(size, '\0');
    unsigned x = 12345;
    for (char& c : data) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 16);
    }
    return data;
}

std::string base64(const std::string& data)
{
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((data.size() + 2) / 3 * 4 + data.size() / 57);
    std::size_t i = 0;
    for (; i + 2 < data.size(); i += 3) {
        const unsigned v = (static_cast<unsigned char>(data[i]) << 16) |
                           (static_cast<unsigned char>(data[i + 1]) << 8) |
                           static_cast<unsigned char>(data[i + 2]);
        out += digits[v >> 18];
        out += digits[(v >> 12) & 63];
        out += digits[(v >> 6) & 63];
        out += digits[v & 63];
        if (i % 57 == 54)
            out += '\n';
    }
    if (i < data.size()) {
        const unsigned v = (static_cast<unsigned char>(data[i]) << 16) |
                           (i + 1 < data.size() ? static_cast<unsigned char>(data[i + 1]) << 8 : 0);
        out += digits[v >> 18];
        out += digits[(v >> 12) & 63];
        out += i + 1 < data.size() ? digits[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

struct Run
{
    double seconds = -1;
    long peak_kb = 0;
    int status = -1;
};

// Runs a program with its output in out_path; the peak memory comes from
// /usr/bin/time, whose own small process starts it (a child spawned from this
// large process would count this process's memory as its own).
Run run_once(std::vector<std::string> words, const std::string& out_path)
{
    const std::string peak_file = out_path + ".peak";
    const bool timed = access(kTime, X_OK) == 0;
    if (timed)
        words.insert(words.begin(), {kTime, "-f", "peak %M", "-o", peak_file});
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    Run run;
    const auto start = Clock::now();
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return run;
    int status = 0;
    waitpid(pid, &status, 0);
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (timed) {
        // After a line about a non-zero exit code, when there is one.
        std::ifstream peak(peak_file);
        std::string line;
        while (std::getline(peak, line))
            std::sscanf(line.c_str(), "peak %ld", &run.peak_kb);
        std::remove(peak_file.c_str());
    }
    return run;
}

// The line that tells how the call ended: the first "FAIL: " line, or the
// first line after the heading.
std::string outcome(const std::string& out_path)
{
    std::ifstream in(out_path);
    std::string line;
    std::vector<std::string> lines;
    while (lines.size() < 4 && std::getline(in, line)) {
        if (line.rfind("FAIL: ", 0) == 0)
            return line.substr(0, 60);
        lines.push_back(line);
    }
    return lines.size() > 3 ? lines[3].substr(0, 60) : "(no output)";
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

struct Reply
{
    qortest::Reply reply;
    std::size_t bytes;         // the HTTP body
    std::size_t payload_bytes; // the snapshot's size, or 0
};

// A reply of text: the envelope around body.
Reply text_reply(const std::string& body)
{
    std::string envelope = qortest::envelope(body);
    const std::size_t size = envelope.size();
    return {qortest::Reply::http(200, std::move(envelope)), size, 0};
}

// A reply of text under another Content-Type, the body made from the
// envelope around inner.
Reply framed_reply(const std::string& inner, const std::string& content_type,
                   const std::function<std::string(const std::string&)>& frame)
{
    std::string body = frame(qortest::envelope(inner));
    const std::size_t size = body.size();
    return {qortest::Reply::http(200, std::move(body), content_type), size, 0};
}

// A MIME message: the envelope as its SOAP part, then the attachment.
std::string mime_message(const std::string& envelope, const std::string& attachment,
                         const std::string& headers = "")
{
    return "--b\r\nContent-Type: text/xml\r\nContent-ID: <root>\r\n\r\n" + envelope +
           "\r\n--b\r\nContent-Type: application/zip\r\n" + headers + "Content-ID: <s1>\r\n\r\n" +
           attachment + "\r\n--b--\r\n";
}

const char* const kMultipart = "multipart/related; boundary=b; start=\"<root>\"";

// A MIME message: the envelope as its SOAP part, then n small attachments
// with the ids a0, a1, ...
std::string many_attachments(const std::string& envelope, int n)
{
    std::string message = "--b\r\nContent-Type: text/xml\r\nContent-ID: <root>\r\n\r\n" + envelope;
    for (int i = 0; i < n; ++i)
        message += "\r\n--b\r\nContent-ID: <a" + std::to_string(i) + ">\r\n\r\nPK";
    return message + "\r\n--b--\r\n";
}

// Whether name holds one of the comma-separated words (all names when none).
bool named(const std::string& name, const std::string& words)
{
    std::size_t at = 0;
    do {
        const std::size_t end = std::min(words.find(',', at), words.size());
        if (name.find(words.substr(at, end - at)) != std::string::npos)
            return true;
        at = end + 1;
    } while (at <= words.size());
    return false;
}

struct Shape
{
    std::string name;
    std::function<Reply()> make;   // made when its turn comes: the large ones take room
    std::vector<std::string> call; // -function and its arguments
    std::string goal;
};

} // namespace

int main(int argc, char** argv)
{
    int runs = 3;
    int processes = 100000;
    int snapshot_mb = 100;
    std::string curl = "/usr/bin/curl";
    std::string only;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (a == "--processes" && i + 1 < argc)
            processes = std::max(1, std::atoi(argv[++i]));
        else if (a == "--snapshot-mb" && i + 1 < argc)
            snapshot_mb = std::max(1, std::atoi(argv[++i]));
        else if (a == "--only" && i + 1 < argc)
            only = argv[++i];
        else
            curl = a;
    }
    const std::string program = program_path();
    if (access(program.c_str(), X_OK) != 0 || access(curl.c_str(), X_OK) != 0) {
        std::fprintf(stderr, "bench_client: needs %s and %s\n", program.c_str(), curl.c_str());
        return 1;
    }
    int nr = 0;
    auto service = qortest::FakeService::on_free_instance_port(nr);
    const std::string work = "/tmp/bench_client_" + std::to_string(getpid());
    const std::string out_path = work + ".out";
    const std::string snapshot_path = work + ".zip";

    const std::vector<std::string> list = {"-format", "list", "-function", "GetProcessList"};
    const std::vector<std::string> parameters = {"-function", "GetProcessParameter", "disp"};
    const std::vector<std::string> read_snapshot = {"-function", "ReadSnapshot", "s.zip",
                                                    snapshot_path};
    const std::size_t snapshot_size = static_cast<std::size_t>(snapshot_mb) << 20;
    const std::string snapshot_name = std::to_string(snapshot_mb) + " MB snapshot";
    const std::vector<Shape> shapes = {
        {"process list, list format",
         [&] {
             return text_reply(
                 process_list(repeat(processes, [](int i) { return process_item(i, ""); })));
         },
         list, ">= 120 MB/s, peak <= 2x reply"},
        {"100,000 parameters, values",
         [] {
             return text_reply(
                 parameter_list(repeat(100000, [](int i) { return parameter_item(i, ""); })));
         },
         parameters, "the row below within 1.2x"},
        {"100,000 parameters, 999 ids",
         [] {
             return text_reply(parameter_list(repeat(100000, [](int i) {
                 return parameter_item(i, i < 999 ? " id=\"p" + std::to_string(i) + "\"" : "");
             })));
         },
         parameters, "<= 1.2x the row above"},
        {"200,000 string lists after",
         [] {
             return text_reply(process_list(process_item(0, "")) + repeat(200000, [](int) {
                                   return std::string("<QORControl:ArrayOfString><i>a</i>"
                                                      "</QORControl:ArrayOfString>");
                               }));
         },
         list, "peak <= 5x reply"},
        {"150,000 record lists after",
         [] {
             return text_reply(process_list(process_item(0, "")) + repeat(150000, [](int) {
                                   return std::string("<QORControl:ArrayOfOSProcess><i><name>a"
                                                      "</name></i></QORControl:ArrayOfOSProcess>");
                               }));
         },
         list, "peak <= 5x reply"},
        {"100,000 items with ids",
         [] {
             return text_reply(process_list(repeat(100000, [](int i) {
                 return process_item(i, " id=\"i" + std::to_string(i) + "\"");
             })));
         },
         list, "ends in < 1 s"},
        {"100,000 dangling hrefs",
         [] {
             return text_reply(process_list(repeat(
                 100000, [](int i) { return "<item href=\"#m" + std::to_string(i) + "\"/>"; })));
         },
         list, "ends in < 1 s"},
        {"200,000 attributes",
         [] {
             return text_reply(process_list(
                 "<item" +
                 repeat(200000, [](int i) { return " a" + std::to_string(i) + "=\"\""; }) +
                 "><pid>1</pid></item>"));
         },
         list, "ends in < 1 s"},
        {"200,000 namespace declarations",
         [] {
             return text_reply(process_list("<item" +
                                            repeat(200000,
                                                   [](int i) {
                                                       const std::string n = std::to_string(i);
                                                       return " xmlns:n" + n + "=\"urn:n" + n +
                                                              "\"";
                                                   }) +
                                            "><pid>1</pid></item>"));
         },
         list, "ends in < 1 s"},
        {"200,000 xmlns, DIME parameter",
         [] {
             return framed_reply(process_list("<item" +
                                              repeat(200000,
                                                     [](int i) {
                                                         const std::string n = std::to_string(i);
                                                         return " xmlns:n" + n + "=\"urn:n\"";
                                                     }) +
                                              "><pid>1</pid></item>"),
                                 "text/xml; profile=\"application/dime\"",
                                 [](const std::string& xml) { return xml; });
         },
         list, "ends in < 1 s"},
        {"100,000 ids, DIME record shorter",
         [] {
             return framed_reply(
                 process_list(repeat(
                     100000,
                     [](int i) { return process_item(i, " id=\"i" + std::to_string(i) + "\""); })),
                 "application/dime", [](const std::string& xml) {
                     std::string dime = qortest::dime_message({qortest::dime_envelope_record(xml)});
                     return dime.replace(8, 4, "\0\0\0\x28", 4);
                 });
         },
         list, "ends in < 1 s"},
        {"100,000 ids, MIME",
         [] {
             return framed_reply(
                 process_list(repeat(
                     100000,
                     [](int i) { return process_item(i, " id=\"i" + std::to_string(i) + "\""); })),
                 kMultipart, [](const std::string& xml) { return mime_message(xml, "PK"); });
         },
         list, "ends in < 1 s"},
        // Each of the elements before the snapshot names one of the last
        // attachments: the reader must not make the toolkit match every
        // attachment against all of them (999 ids and hrefs stay within the
        // reply's bound).
        {"300,000 attachments, 499 hrefs",
         [] {
             return framed_reply(
                 "<QORControl:ReadSnapshotResponse>" +
                     repeat(499,
                            [](int i) {
                                return "<x id=\"i" + std::to_string(i) + "\" href=\"cid:a" +
                                       std::to_string(300000 - 499 + i) + "\"/>";
                            }) +
                     "<snapshot href=\"cid:a0\"/></QORControl:ReadSnapshotResponse>",
                 kMultipart, [](const std::string& xml) { return many_attachments(xml, 300000); });
         },
         read_snapshot, "ends in < 1 s"},
        {snapshot_name + ", MIME",
         [&] {
             Reply r = framed_reply("<QORControl:ReadSnapshotResponse><snapshot href=\"cid:s1\"/>"
                                    "</QORControl:ReadSnapshotResponse>",
                                    kMultipart, [&](const std::string& xml) {
                                        return mime_message(xml, snapshot_bytes(snapshot_size));
                                    });
             r.payload_bytes = snapshot_size;
             return r;
         },
         // The toolkit joins the blocks of a MIME part into one piece.
         read_snapshot, ">= curl/2, peak <= 2.2x snapshot"},
        {snapshot_name + ", MIME base64",
         [&] {
             Reply r =
                 framed_reply("<QORControl:ReadSnapshotResponse><snapshot href=\"cid:s1\"/>"
                              "</QORControl:ReadSnapshotResponse>",
                              kMultipart, [&](const std::string& xml) {
                                  return mime_message(xml, base64(snapshot_bytes(snapshot_size)),
                                                      "Content-Transfer-Encoding: base64\r\n");
                              });
             r.payload_bytes = snapshot_size;
             return r;
         },
         // The toolkit reads the part's text as it reads bytes; the text is
         // decoded where it lies.
         read_snapshot, ">= curl/2.5, peak <= 3x snapshot"},
        {snapshot_name + ", DIME",
         [&] {
             const std::string envelope =
                 qortest::envelope("<QORControl:ReadSnapshotResponse><snapshot href=\"cid:s1\"/>"
                                   "</QORControl:ReadSnapshotResponse>");
             qortest::Reply dime = qortest::Reply::dime(
                 {qortest::dime_envelope_record(envelope),
                  {"cid:s1", "application/zip", snapshot_bytes(snapshot_size)}});
             const std::size_t size = dime.body.size();
             return Reply{std::move(dime), size, snapshot_size};
         },
         read_snapshot, ">= curl/2, peak <= 2x snapshot"},
        {snapshot_name + ", base64",
         [&] {
             Reply r = text_reply("<QORControl:ReadSnapshotResponse><snapshot>" +
                                  base64(snapshot_bytes(snapshot_size)) +
                                  "</snapshot></QORControl:ReadSnapshotResponse>");
             r.payload_bytes = snapshot_size;
             return r;
         },
         read_snapshot, ">= curl/2, peak <= 2x snapshot"},
        {snapshot_name + ", base64 by href",
         [&] {
             Reply r = text_reply("<QORControl:ReadSnapshotResponse><snapshot href=\"#s\"/>"
                                  "</QORControl:ReadSnapshotResponse><x id=\"s\">" +
                                  base64(snapshot_bytes(snapshot_size)) + "</x>");
             r.payload_bytes = snapshot_size;
             return r;
         },
         read_snapshot, ">= curl/2, peak <= 2x snapshot"},
    };

    char nr_text[8];
    std::snprintf(nr_text, sizeof nr_text, "%02d", nr);
    const std::string url = "http://127.0.0.1:" + std::to_string(50013 + 100 * nr) + "/";
    std::printf("%-32s %8s | %8s %8s | %8s %8s | %8s %6s | %s\n", "reply", "MB", "qorctl s", "MB/s",
                "curl s", "MB/s", "peak MB", "xsize", "result (goal)");
    for (const Shape& shape : shapes) {
        if (!named(shape.name, only))
            continue;
        Reply reply = shape.make();
        service->set_default(std::move(reply.reply));
        std::vector<std::string> words = {program, "-host", "127.0.0.1", "-nr", nr_text};
        words.insert(words.end(), shape.call.begin(), shape.call.end());
        std::vector<double> q, c;
        long peak_kb = 0;
        for (int i = 0; i < runs; ++i) {
            const Run r = run_once(words, out_path);
            q.push_back(r.seconds);
            peak_kb = std::max(peak_kb, r.peak_kb);
        }
        const std::string result = outcome(out_path);
        // curl posts the request that qorcontrol sent and fetches the same reply.
        const std::string body_file = work + ".request";
        {
            std::ofstream out(body_file, std::ios::binary);
            out << service->last_request().body;
        }
        for (int i = 0; i < runs; ++i) {
            c.push_back(run_once({curl, "-s", "-o", out_path + ".curl", "-H",
                                  "Content-Type: text/xml; charset=utf-8", "-H", "SOAPAction: \"\"",
                                  "--data-binary", "@" + body_file, url},
                                 out_path)
                            .seconds);
        }
        std::remove(body_file.c_str());
        std::remove((out_path + ".curl").c_str());
        const double mb = static_cast<double>(reply.bytes) / 1e6;
        const double mq = median(q), mc = median(c);
        const double against =
            static_cast<double>(reply.payload_bytes != 0 ? reply.payload_bytes : reply.bytes);
        std::printf("%-32s %8.1f | %8.3f %8.1f | %8.3f %8.1f | %8.1f %6.2f | %s (%s)\n",
                    shape.name.c_str(), mb, mq, mb / mq, mc, mb / mc, peak_kb / 1024.0,
                    static_cast<double>(peak_kb) * 1024.0 / against, result.c_str(),
                    shape.goal.c_str());
        std::fflush(stdout);
    }
    std::remove(out_path.c_str());
    std::remove(snapshot_path.c_str());
    std::printf("xsize: the peak memory against the reply, or against the snapshot's size\n");
    return 0;
}
