// File version stamps: the program's own compiled-in stamp lines, and the
// stamp lines found in another file's bytes.

#include "base/version_stamps.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#ifndef QOR_STAMP_FILE_VERSION
#define QOR_STAMP_FILE_VERSION "0, 0, 0, 0"
#endif
#ifndef QOR_STAMP_PRODUCT_VERSION
#define QOR_STAMP_PRODUCT_VERSION "0.0.0"
#endif
#ifndef QOR_STAMP_PLATFORM
#define QOR_STAMP_PLATFORM "unknown"
#endif
#ifndef QOR_STAMP_BUILD_KIND
#define QOR_STAMP_BUILD_KIND "optU"
#endif

// The program's own stamp lines; kept in the file so that a byte search of
// the program file finds them too.
extern const char kQorStampFileVersion[];
extern const char kQorStampProductVersion[];
extern const char kQorStampPlatform[];
extern const char kQorStampSpecialBuild[];
__attribute__((used)) const char kQorStampFileVersion[] =
    "#[%]QORFileVersion: " QOR_STAMP_FILE_VERSION;
__attribute__((used)) const char kQorStampProductVersion[] =
    "#[%]QORProductVersion: " QOR_STAMP_PRODUCT_VERSION;
__attribute__((used)) const char kQorStampPlatform[] = "#[%]QORPlatform: " QOR_STAMP_PLATFORM;
__attribute__((used)) const char kQorStampSpecialBuild[] =
    "#[%]QORSpecialBuild: " QOR_STAMP_BUILD_KIND " (" __DATE__ ", " __TIME__ ")";

namespace {

constexpr char kMarker[] = "#[%]QOR";
constexpr size_t kMarkerLen = sizeof(kMarker) - 1;
constexpr size_t kBlockSize = 8192;
constexpr size_t kMaxText = 126; // bytes read after a marker, a zero byte ending them

struct Stamps
{
    char* value[4] = {nullptr, nullptr, nullptr, nullptr};

    ~Stamps() { release(); }
    void release()
    {
        for (char*& v : value) {
            free(v);
            v = nullptr;
        }
    }
    bool complete() const
    {
        for (const char* v : value)
            if (v == nullptr)
                return false;
        return true;
    }
    void hand_over(char** a, char** b, char** c, char** d)
    {
        *a = value[0];
        *b = value[1];
        *c = value[2];
        *d = value[3];
        for (char*& v : value)
            v = nullptr;
    }
};

constexpr const char* kKeys[4] = {
    "FileVersion: ", "ProductVersion: ", "Platform: ", "SpecialBuild: "};

// Takes one stamp text (the bytes after a marker); a later line with the same
// key replaces the earlier value. Values that are empty do not count.
void take_text(Stamps& stamps, const char* text, size_t len)
{
    for (int k = 0; k < 4; ++k) {
        size_t key_len = strlen(kKeys[k]);
        if (len > key_len && memcmp(text, kKeys[k], key_len) == 0) {
            char* copy = strndup(text + key_len, len - key_len);
            if (copy == nullptr)
                return;
            free(stamps.value[k]);
            stamps.value[k] = copy;
            return;
        }
    }
}

char* own_value(const char* line)
{
    const char* colon = strstr(line + kMarkerLen, ": ");
    return strdup(colon != nullptr ? colon + 2 : "");
}

struct FileCloser
{
    void operator()(FILE* f) const { fclose(f); }
};

} // namespace

int GetFileVersionResource(const char*, char** file_version, char** product_version,
                           char** platform, char** special_build)
{
    *file_version = *product_version = *platform = *special_build = nullptr;
    return 0;
}

int GetFileVersionStamps(const char* path, char** file_version, char** product_version,
                         char** platform, char** special_build)
{
    Stamps stamps;
    if (path == nullptr) {
        stamps.value[0] = own_value(kQorStampFileVersion);
        stamps.value[1] = own_value(kQorStampProductVersion);
        stamps.value[2] = own_value(kQorStampPlatform);
        stamps.value[3] = own_value(kQorStampSpecialBuild);
        if (!stamps.complete()) {
            stamps.release();
            stamps.hand_over(file_version, product_version, platform, special_build);
            return 0;
        }
        stamps.hand_over(file_version, product_version, platform, special_build);
        return 1;
    }
    if (GetFileVersionResource(path, file_version, product_version, platform, special_build))
        return 1;

    *file_version = *product_version = *platform = *special_build = nullptr;
    std::unique_ptr<FILE, FileCloser> file(fopen(path, "rb"));
    if (!file)
        return 0;

    // One pass over the bytes. The text after a marker is read ahead while
    // the marker search goes on through the same bytes, so a marker inside
    // another stamp's text is found too; texts and markers may run across
    // block boundaries. Texts end in the order their markers were found.
    constexpr size_t kMaxOpen = kMaxText / kMarkerLen + 1;
    struct OpenText
    {
        char bytes[kMaxText];
        size_t len;
    };
    OpenText open[kMaxOpen];
    size_t first_open = 0, open_count = 0; // a ring of texts being read
    size_t matched = 0;                    // bytes of the marker matched so far

    unsigned char block[kBlockSize];
    size_t got;
    while ((got = fread(block, 1, sizeof block, file.get())) > 0) {
        for (size_t i = 0; i < got; ++i) {
            const char c = static_cast<char>(block[i]);
            for (size_t k = 0; k < open_count; ++k) {
                OpenText& t = open[(first_open + k) % kMaxOpen];
                if (c != '\0')
                    t.bytes[t.len++] = c;
            }
            // A text ends at its zero byte, or is cut at kMaxText bytes; the
            // oldest text always ends first.
            while (open_count > 0) {
                OpenText& t = open[first_open];
                if (c != '\0' && t.len < kMaxText)
                    break;
                take_text(stamps, t.bytes, t.len);
                first_open = (first_open + 1) % kMaxOpen;
                --open_count;
                if (stamps.complete()) {
                    stamps.hand_over(file_version, product_version, platform, special_build);
                    return 1;
                }
            }
            if (c == kMarker[matched]) {
                if (++matched == kMarkerLen) {
                    matched = 0;
                    open[(first_open + open_count) % kMaxOpen].len = 0;
                    ++open_count;
                }
            } else {
                matched = (c == kMarker[0]) ? 1 : 0;
            }
        }
    }
    // Texts cut by the end of the file, again in order: the first one that
    // completes the four ends the search.
    for (size_t k = 0; k < open_count && !stamps.complete(); ++k) {
        const OpenText& t = open[(first_open + k) % kMaxOpen];
        take_text(stamps, t.bytes, t.len);
    }
    if (stamps.complete()) {
        stamps.hand_over(file_version, product_version, platform, special_build);
        return 1;
    }
    return 0;
}
