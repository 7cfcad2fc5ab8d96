// The local copy of a fetched snapshot: what the reply must hold, and that
// an old copy survives every failure.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "client/snapshot_file.h"
#include "client/snapshot_reply.h"
#include "client_harness.h"

namespace {

using qortest::DimeRecord;
using qortest::Reply;

std::vector<std::size_t> pieces;
std::size_t short_after = 0; // 0: never short

std::size_t recording_writer(const void*, std::size_t bytes, FILE*)
{
    pieces.push_back(bytes);
    if (short_after != 0 && pieces.size() >= short_after)
        return bytes / 2;
    return bytes;
}

// The recording writer for a short write, else the real one.
SnapshotWriter recording_writer_or_null(std::size_t short_write_after)
{
    return short_write_after != 0 ? recording_writer : nullptr;
}

using clienttest::read_file;

void write_file(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

bool exists(const std::string& path)
{
    struct stat st
    {
    };
    return lstat(path.c_str(), &st) == 0;
}

// The names in a folder, "." and ".." left out.
std::vector<std::string> folder_names(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        closedir(dir);
    }
    return names;
}

std::u16string wide(const std::string& s)
{
    return std::u16string(s.begin(), s.end());
}

// A fresh folder under /tmp, removed with everything in it.
class Folder
{
  public:
    Folder()
    {
        char pattern[] = "/tmp/qor_snap_XXXXXX";
        path_ = mkdtemp(pattern);
    }
    ~Folder() { std::system(("rm -rf '" + path_ + "'").c_str()); }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

TEST(ClientSnapshotBase64, ValidTextAndEveryKindOfInvalidText)
{
    const struct
    {
        std::string text;
        bool valid;
        std::string bytes;
    } cases[] = {
        {"", true, ""},
        {"aGk=", true, "hi"},
        {" aG\r\nVs\tbG8= \n", true, "hello"},
        {"+/+/", true, "\xfb\xff\xbf"},
        {"a===", false, ""},
        {"aG=k", false, ""},
        {"aGk=\n=", false, ""},
        {"aGk", false, ""},
        {"aGVsbG8=\xc3\xa9", false, ""},
    };
    for (const auto& c : cases) {
        Base64Decoder decoder;
        std::string bytes;
        for (const char ch : c.text) {
            unsigned char out[3];
            const int n = decoder.put(static_cast<unsigned char>(ch), out);
            bytes.append(reinterpret_cast<const char*>(out), static_cast<std::size_t>(n));
        }
        EXPECT_EQ(decoder.complete(), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(bytes, c.bytes) << c.text;
        }
    }
}

TEST(ClientSnapshotFile, WritesInPiecesOfAtMost32K)
{
    const struct
    {
        std::size_t size;
        std::vector<std::size_t> pieces;
    } cases[] = {
        {1, {1}},
        {32768, {32768}},
        {32769, {32768, 1}},
        {70000, {32768, 32768, 4464}},
    };
    std::vector<unsigned char> data(70000, 'x');
    for (const auto& c : cases) {
        pieces.clear();
        short_after = 0;
        EXPECT_TRUE(write_snapshot_data(nullptr, data.data(), c.size, recording_writer));
        EXPECT_EQ(pieces, c.pieces);
    }
    pieces.clear();
    short_after = 2;
    EXPECT_FALSE(write_snapshot_data(nullptr, data.data(), 70000, recording_writer));
    EXPECT_EQ(pieces.size(), 2u);
    short_after = 0;
}

// Each way of writing the local copy, with the target's bytes before and
// after: the old copy is replaced only by a complete new one, and no
// temporary file stays behind.
TEST(ClientSnapshotFile, TheOldCopyIsReplacedOnlyWhenTheNewOneIsComplete)
{
    const std::string data = "PK\x03\x04 snapshot";
    const struct
    {
        const char* label;
        const char* before; // null: no file
        std::string data;
        std::size_t short_after;
        const char* name; // below the folder
        int result;
        const char* printed; // "%s" is the local name
        const char* after;   // null: no file
    } cases[] = {
        {"new file", nullptr, data, 0, "copy.zip", 0, "", "PK\x03\x04 snapshot"},
        {"over an old copy", "old", data, 0, "copy.zip", 0, "", "PK\x03\x04 snapshot"},
        {"empty snapshot", "old", "", 0, "copy.zip", 0, "", ""},
        {"short write", "old", data, 1, "copy.zip", 1, "FAIL: cannot write local file %s\n", "old"},
        {"short write, no old copy", nullptr, data, 1, "copy.zip", 1,
         "FAIL: cannot write local file %s\n", nullptr},
        {"missing folder", nullptr, data, 0, "none/copy.zip", 1,
         "FAIL: cannot open local file %s\n", nullptr},
    };
    const mode_t saved_mask = umask(022);
    for (const auto& c : cases) {
        Folder folder;
        const std::string path = folder / c.name;
        if (c.before != nullptr)
            write_file(path, c.before);
        pieces.clear();
        short_after = c.short_after;
        testing::internal::CaptureStdout();
        EXPECT_EQ(write_snapshot_file(wide(path).c_str(),
                                      reinterpret_cast<const unsigned char*>(c.data.data()),
                                      c.data.size(), recording_writer_or_null(c.short_after)),
                  c.result)
            << c.label;
        std::string printed = c.printed;
        if (const std::size_t at = printed.find("%s"); at != std::string::npos)
            printed.replace(at, 2, path);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), printed) << c.label;
        EXPECT_EQ(exists(path), c.after != nullptr) << c.label;
        if (c.after != nullptr) {
            EXPECT_EQ(read_file(path), c.after) << c.label;
        }
        const std::vector<std::string> expected_names =
            c.after != nullptr ? std::vector<std::string>{c.name} : std::vector<std::string>{};
        EXPECT_EQ(folder_names(folder.path()), expected_names) << c.label;
        struct stat st
        {
        };
        if (c.after != nullptr && c.before == nullptr && stat(path.c_str(), &st) == 0) {
            EXPECT_EQ(st.st_mode & 0777, 0644u) << c.label;
        }
    }
    short_after = 0;
    umask(saved_mask);
}

// An old copy keeps its permissions; a symbolic link keeps pointing to the
// file it names, which gets the new bytes.
TEST(ClientSnapshotFile, PermissionsAndLinksOfTheOldCopyStay)
{
    Folder folder;
    const std::string path = folder / "copy.zip";
    write_file(path, "old");
    chmod(path.c_str(), 0640);
    const std::string link = folder / "link.zip";
    ASSERT_EQ(symlink("copy.zip", link.c_str()), 0);
    const unsigned char data[] = {'n', 'e', 'w'};
    testing::internal::CaptureStdout();
    EXPECT_EQ(write_snapshot_file(wide(link).c_str(), data, sizeof data), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    struct stat st
    {
    };
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(read_file(path), "new");
    EXPECT_EQ(folder_names(folder.path()).size(), 2u);
}

// A replaced file's copy never carries a set-ID or sticky bit, nor more
// permissions than the old file and the umask allow.
TEST(ClientSnapshotFile, TheCopyOfASetIdFileHasNoSetIdBits)
{
    // old mode, umask, new mode
    const mode_t cases[][3] = {{06755, 022, 0755}, {04777, 027, 0750}, {01606, 0, 0606}};
    for (const auto& c : cases) {
        Folder folder;
        const std::string path = folder / "copy.zip";
        write_file(path, "old");
        ASSERT_EQ(chmod(path.c_str(), c[0]), 0);
        const mode_t saved_mask = umask(c[1]);
        EXPECT_EQ(write_snapshot_file(wide(path).c_str(), nullptr, 0), 0);
        umask(saved_mask);
        struct stat st
        {
        };
        ASSERT_EQ(stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, c[2]) << std::oct << c[0];
    }
}

int g_signal = 0;

std::size_t signalling_writer(const void*, std::size_t bytes, FILE*)
{
    raise(g_signal);
    return bytes;
}

// SIGINT or SIGTERM while the new copy is written ends the program as that
// signal does, and the temporary file goes with it.
TEST(ClientSnapshotFileDeathTest, ASignalDuringTheWriteLeavesNoTemporaryFile)
{
    const unsigned char data[] = {'n', 'e', 'w'};
    for (const int signal : {SIGINT, SIGTERM}) {
        Folder folder;
        const std::string path = folder / "copy.zip";
        write_file(path, "old");
        g_signal = signal;
        EXPECT_EXIT(write_snapshot_file(wide(path).c_str(), data, sizeof data, signalling_writer),
                    testing::KilledBySignal(signal), "");
        EXPECT_EQ(folder_names(folder.path()), std::vector<std::string>{"copy.zip"}) << signal;
        EXPECT_EQ(read_file(path), "old");
    }
}

TEST(ClientSnapshotFile, ADeviceIsWrittenDirectlyAndAFullOneFails)
{
    if (!exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    // A small snapshot stays in the stream's buffer until the close, a large
    // one meets the full device while it is written.
    const struct
    {
        std::size_t size;
        const char* printed;
    } cases[] = {
        {4, "FAIL: cannot close local file /dev/full\n"},
        {70000, "FAIL: cannot write local file /dev/full\n"},
    };
    const std::vector<unsigned char> data(70000, 'z');
    for (const auto& c : cases) {
        testing::internal::CaptureStdout();
        EXPECT_EQ(write_snapshot_file(u"/dev/full", data.data(), c.size), 1);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.printed) << c.size;
    }
    testing::internal::CaptureStdout();
    EXPECT_EQ(write_snapshot_file(u"NUL", data.data(), 10), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

// Runs body in a child process that may not write into the folder (as the
// user nobody when the tests run as root, for whom permissions do not
// count); the child prints what body printed on standard error and exits
// with its result.
void in_unwritable_folder(const std::string& folder, const std::function<int()>& body)
{
    chmod(folder.c_str(), 0555);
    EXPECT_EXIT(
        {
            if (geteuid() == 0 && setuid(65534) != 0)
                std::_Exit(99);
            std::_Exit(body());
        },
        testing::ExitedWithCode(1), "FAIL: cannot open local file .*/copy.zip");
    chmod(folder.c_str(), 0700);
}

std::string snapshot_response(const std::string& inner)
{
    return "<QORControl:ReadSnapshotResponse>" + inner + "</QORControl:ReadSnapshotResponse>";
}

// 3000 bytes of a snapshot.
std::string snapshot_bytes()
{
    std::string bytes(3000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>((i * 11 + 5) & 0xff);
    return bytes;
}

// The snapshot element of snapshot_bytes() in base64 with `stray` after its
// first 100 groups of four (300 bytes).
std::string with_stray(const std::string& stray)
{
    std::string text = clienttest::base64(snapshot_bytes());
    text.insert(400, stray);
    return "<snapshot>" + text + "</snapshot>";
}

// A MIME reply: the envelope as the root part, then the snapshot's part.
Reply mime_reply(const std::string& envelope, const std::string& encoding,
                 const std::string& content)
{
    return Reply::http(200,
                       "--b\r\nContent-Type: text/xml\r\nContent-ID: <root>\r\n\r\n" + envelope +
                           "\r\n--b\r\nContent-Transfer-Encoding: " + encoding +
                           "\r\nContent-ID: <s1>\r\n\r\n" + content + "\r\n--b--\r\n",
                       "multipart/related; boundary=b; type=\"text/xml\"; start=\"<root>\"");
}

// Each reply of the service, with the local copy's bytes before and after:
// a reply without valid snapshot data fails and touches no file; an empty
// element is a snapshot of 0 bytes.
TEST(ClientReadSnapshot, EveryReplyWithTheLocalCopyBeforeAndAfter)
{
    const std::string no_data = "FAIL: No snapshot data in the reply\n";
    const std::string invalid = "FAIL: Invalid base64 data in the snapshot\n";
    // Every byte value, over many blocks of decoded bytes, in lines of 76.
    std::string large(70001, '\0');
    for (std::size_t i = 0; i < large.size(); ++i)
        large[i] = static_cast<char>((i * 7 + 3) & 0xff);
    std::string large_text = clienttest::base64(large);
    for (std::size_t at = 76; at < large_text.size(); at += 77)
        large_text.insert(at, "\n");
    // Decoded bytes beyond one block of the collected data.
    std::string huge(1500001, '\0');
    for (std::size_t i = 0; i < huge.size(); ++i)
        huge[i] = static_cast<char>((i * 13 + i / 7) & 0xff);
    const std::string envelope =
        qortest::envelope(snapshot_response("<snapshot href=\"cid:s1\"/>"));
    const std::string unsupported = "FAIL: Unsupported encoding of the snapshot\n";
    const struct
    {
        const char* label;
        Reply reply;
        int exit_code;
        std::string printed; // after the heading
        std::string after;   // the local copy, "old" before
    } cases[] = {
        {"absent", Reply::ok("<QORControl:ReadSnapshotResponse/>"), 1, no_data, "old"},
        {"absent among others", Reply::ok(snapshot_response("<name>s.zip</name>")), 1, no_data,
         "old"},
        {"nil", Reply::ok(snapshot_response("<snapshot xsi:nil=\"true\"/>")), 1, no_data, "old"},
        {"nil with end tag", Reply::ok(snapshot_response("<snapshot xsi:nil=\"1\"></snapshot>")), 1,
         no_data, "old"},
        {"outside the alphabet", Reply::ok(snapshot_response("<snapshot>aGVs!G8=</snapshot>")), 1,
         invalid, "old"},
        {"padding inside", Reply::ok(snapshot_response("<snapshot>aGk=aGk=</snapshot>")), 1,
         invalid, "old"},
        {"incomplete group", Reply::ok(snapshot_response("<snapshot>aGVsbG</snapshot>")), 1,
         invalid, "old"},
        {"element inside", Reply::ok(snapshot_response("<snapshot>aGk=<x/>aGk=</snapshot>")), 1,
         invalid, "old"},
        {"greater-than among the groups", Reply::ok(snapshot_response(with_stray(">"))), 1, invalid,
         "old"},
        {"quote among the groups", Reply::ok(snapshot_response(with_stray("\""))), 1, invalid,
         "old"},
        {"apostrophe among the groups", Reply::ok(snapshot_response(with_stray("'"))), 1, invalid,
         "old"},
        {"empty", Reply::ok(snapshot_response("<snapshot></snapshot>")), 0, "OK\n", ""},
        {"empty tag", Reply::ok(snapshot_response("<snapshot/>")), 0, "OK\n", ""},
        {"good",
         Reply::ok(snapshot_response("<snapshot>aGVs&#10;bG8g\r\n c25h cHNob3Q=</snapshot>")), 0,
         "OK\n", "hello snapshot"},
        {"large", Reply::ok(snapshot_response("<snapshot>" + large_text + "</snapshot>")), 0,
         "OK\n", large},
        {"huge",
         Reply::ok(snapshot_response("<snapshot>" + clienttest::base64(huge) + "</snapshot>")), 0,
         "OK\n", huge},
        {"attachment",
         Reply::dime({qortest::dime_envelope_record(envelope),
                      DimeRecord{"cid:s1", "application/zip", "PK\x03\x04"}}),
         0, "OK\n", "PK\x03\x04"},
        {"MIME base64", mime_reply(envelope, "base64", "UEsDBCB6\r\naXA=\r\n"), 0, "OK\n",
         "PK\x03\x04 zip"},
        {"MIME base64 not valid", mime_reply(envelope, "base64", "UEsDB*B6"), 1, invalid, "old"},
        {"MIME binary", mime_reply(envelope, "binary", "PK\x03\x04=3D"), 0, "OK\n",
         "PK\x03\x04=3D"},
        {"MIME quoted-printable", mime_reply(envelope, "quoted-printable", "PK=03=04"), 1,
         unsupported, "old"},
        {"fault", Reply::fault11("SOAP-ENV:Server", "gone"), 1, "FAIL: gone\n", "old"},
    };
    clienttest::Instance instance = clienttest::start_instance();
    for (const auto& c : cases) {
        Folder folder;
        const std::string path = folder / "copy.zip";
        write_file(path, "old");
        instance.service->set_default(c.reply);
        const clienttest::RunResult r =
            clienttest::run(instance.call({"ReadSnapshot", "s.zip", path}));
        EXPECT_EQ(r.exit_code, c.exit_code) << c.label;
        EXPECT_EQ(r.out, clienttest::heading("ReadSnapshot") + c.printed) << c.label;
        EXPECT_TRUE(read_file(path) == c.after) << c.label;
        EXPECT_EQ(folder_names(folder.path()), std::vector<std::string>{"copy.zip"}) << c.label;
    }
}

// The reads of a context go to the toolkit's own receive step in pieces of
// at most `size` bytes.
struct Pieces
{
    std::size_t size = 0;
    size_t (*recv)(struct soap*, char*, size_t) = nullptr;
};

size_t piecewise_recv(struct soap* soap, char* s, size_t n)
{
    const Pieces* pieces = static_cast<const Pieces*>(soap->user);
    return pieces->recv(soap, s, std::min(n, pieces->size));
}

// Inline base64 in every form, each reply read whole, byte by byte and in odd
// pieces: the snapshot's bytes, or a failure with nothing handed over.
TEST(ClientReadSnapshot, InlineBase64InEveryPiece)
{
    const std::string bytes = snapshot_bytes();
    std::string lines = clienttest::base64(bytes);
    for (std::size_t at = 76; at < lines.size(); at += 78)
        lines.insert(at, "\r\n");
    const std::string text = clienttest::base64(bytes);
    // The character at 400 of the text as a long reference.
    char reference[16];
    std::snprintf(reference, sizeof reference, "&#x000%X;", static_cast<unsigned char>(text[400]));
    const std::string invalid = "Invalid base64 data in the snapshot";
    const std::string syntax =
        "Validation constraint violation: syntax error in element 'snapshot'";
    const struct
    {
        const char* label;
        std::string element;
        std::string fault; // empty: the bytes arrive
    } cases[] = {
        {"lines", "<snapshot>\n " + lines + "\t\n</snapshot>", ""},
        {"long reference",
         "<snapshot>" + text.substr(0, 400) + reference + text.substr(401) + "</snapshot>", ""},
        {"greater-than", with_stray(">"), invalid},
        {"quote", with_stray("\""), invalid},
        {"apostrophe", with_stray("'"), invalid},
        {"padding", with_stray("="), invalid},
        {"escaped less-than", with_stray("&lt;"), invalid},
        {"reference to no character", with_stray("&#0;"), syntax},
        {"unended reference", with_stray("&#65"), syntax},
    };
    qortest::FakeService service;
    struct soap* soap = soap_new1(SOAP_C_UTFSTRING); // a connection per call
    Pieces pieces;
    pieces.recv = soap->frecv;
    soap->user = &pieces;
    soap->frecv = piecewise_recv;
    char filename[] = "s.zip";
    for (const auto& c : cases) {
        service.set_default(Reply::ok(snapshot_response(c.element)));
        for (const std::size_t size : {std::size_t{65536}, std::size_t{1}, std::size_t{7}}) {
            pieces.size = size;
            SnapshotData data;
            const int error =
                call_read_snapshot(soap, service.endpoint().c_str(), "", filename, &data);
            if (c.fault.empty()) {
                EXPECT_EQ(error, SOAP_OK) << c.label << " in pieces of " << size;
                EXPECT_TRUE(std::string(reinterpret_cast<const char*>(data.bytes), data.size) ==
                            bytes)
                    << c.label << " in pieces of " << size;
            } else {
                EXPECT_NE(error, SOAP_OK) << c.label << " in pieces of " << size;
                EXPECT_EQ(data.size, 0u) << c.label << " in pieces of " << size;
                soap_set_fault(soap); // the text the client prints after "FAIL: "
                const char** fault = soap_faultstring(soap);
                EXPECT_EQ(fault != nullptr && *fault != nullptr ? *fault : "", c.fault)
                    << c.label << " in pieces of " << size;
            }
            soap_destroy(soap);
            soap_end(soap);
        }
    }
    soap_free(soap);
}

// A reply whose base64 is not valid is still read to its end: the next call
// of a repeated run goes over the same connection.
TEST(ClientReadSnapshot, AnInvalidReplyLeavesTheConnectionUsable)
{
    Folder folder;
    clienttest::Instance instance = clienttest::start_instance();
    instance.service->set_default(Reply::ok(snapshot_response("<snapshot>a*Gk=</snapshot>")));
    std::vector<std::string> words = {"-repeat", "2", "0"};
    const std::vector<std::string> call = instance.call({"ReadSnapshot", "s.zip", folder / "c"});
    words.insert(words.end(), call.begin(), call.end());
    EXPECT_EQ(clienttest::run(words).exit_code, 1);
    EXPECT_EQ(instance.service->request_count(), 2u);
    EXPECT_EQ(instance.service->connections_accepted(), 1u);
    EXPECT_TRUE(folder_names(folder.path()).empty());
}

TEST(ClientReadSnapshotDeathTest, AnUnwritableFolderLeavesTheOldCopy)
{
    Folder folder;
    const std::string path = folder / "copy.zip";
    write_file(path, "old");
    chmod(path.c_str(), 0644);
    clienttest::Instance instance = clienttest::start_instance();
    instance.service->set_default(Reply::ok(snapshot_response("<snapshot>bmV3</snapshot>")));
    in_unwritable_folder(folder.path(), [&] {
        const clienttest::RunResult r =
            clienttest::run(instance.call({"ReadSnapshot", "s.zip", path}));
        std::fputs(r.out.c_str(), stderr);
        return r.exit_code;
    });
    EXPECT_EQ(instance.service->request_count(), 1u);
    EXPECT_EQ(read_file(path), "old");
    EXPECT_EQ(folder_names(folder.path()), std::vector<std::string>{"copy.zip"});
}

// As root: a link "l" that another user owns in a sticky folder is never
// followed, wherever it stands on the way, and nothing is written; one's own
// is, but not on to another user's link "m" there.
TEST(ClientReadSnapshot, AnotherUsersLinkInAStickyFolderIsNeverFollowed)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only root can give a link to another user";
    const struct
    {
        uid_t owner;        // of "l"
        const char* target; // of "l", below the victim's folder V unless it is "m"
        const char* local_name;
        const char* victim; // afterwards
    } cases[] = {
        {65534, "/victim", "l", "victim"},
        {65534, "", "l/victim", "victim"},
        {0, "m", "l", "victim"},
        {0, "/victim", "l", "new"},
    };
    clienttest::Instance instance = clienttest::start_instance();
    instance.service->set_default(Reply::ok(snapshot_response("<snapshot>bmV3</snapshot>")));
    for (const auto& c : cases) {
        Folder shared;
        Folder system;
        ASSERT_EQ(chmod(shared.path().c_str(), 01777), 0);
        write_file(system / "victim", "victim");
        const std::string target = std::string(c.target) == "m" ? "m" : system.path() + c.target;
        for (const auto& [name, to, owner] :
             {std::tuple{"l", target, c.owner}, std::tuple{"m", system / "victim", uid_t{65534}}}) {
            ASSERT_EQ(symlink(to.c_str(), (shared / name).c_str()), 0);
            ASSERT_EQ(lchown((shared / name).c_str(), owner, owner), 0);
        }
        const std::string path = shared / c.local_name;
        const bool fails = std::string(c.victim) == "victim";
        const clienttest::RunResult r =
            clienttest::run(instance.call({"ReadSnapshot", "s.zip", path}));
        EXPECT_EQ(r.exit_code, fails ? 1 : 0) << path;
        EXPECT_EQ(r.out, clienttest::heading("ReadSnapshot") + "OK\n" +
                             (fails ? "FAIL: cannot open local file " + path + "\n" : ""));
        EXPECT_EQ(read_file(system / "victim"), c.victim) << path;
        EXPECT_EQ(folder_names(system.path()), std::vector<std::string>{"victim"}) << path;
        EXPECT_EQ(folder_names(shared.path()).size(), 2u) << path;
    }
}

} // namespace
