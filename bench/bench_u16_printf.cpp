/* printfU16 writing list lines of the client's shape to a file, against the
 * C library's fprintf writing the same bytes from UTF-8 strings. */
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "u16/u16.h"

namespace {

double seconds_since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    const long lines = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 1000000;
    const std::string dir = argc > 2 ? argv[2] : "/tmp";
    const std::string path16 = dir + "/bench_u16_printf.out";
    const std::string path8 = dir + "/bench_u16_fprintf.out";

    const QOR_UC* name16 = u"qorwp.EXE";
    const QOR_UC* state16 = u"Running";
    const QOR_UC* text16 = u"Dispatcher l\u00e4uft, Verbindung aktiv";
    const char* name8 = "qorwp.EXE";
    const char* state8 = "Running";
    const char* text8 = "Dispatcher l\xC3\xA4uft, Verbindung aktiv";

    /* Best of three rounds of each, alternating, against a busy machine. */
    const std::u16string path16w(path16.begin(), path16.end());
    double t16 = 1e9, t8 = 1e9;
    for (int round = 0; round < 3; ++round) {
        FILE* f16 = fopenU16(path16w.c_str(), u"w");
        if (f16 == nullptr)
            return 1;
        auto start = std::chrono::steady_clock::now();
        for (long i = 0; i < lines; ++i)
            fprintfU16(f16, u"%s, %s, %s, %d\n", name16, state16, text16, static_cast<int>(i));
        std::fclose(f16);
        const double a16 = seconds_since(start);
        if (a16 < t16)
            t16 = a16;

        FILE* f8 = std::fopen(path8.c_str(), "w");
        if (f8 == nullptr)
            return 1;
        start = std::chrono::steady_clock::now();
        for (long i = 0; i < lines; ++i)
            std::fprintf(f8, "%s, %s, %s, %d\n", name8, state8, text8, static_cast<int>(i));
        std::fclose(f8);
        const double a8 = seconds_since(start);
        if (a8 < t8)
            t8 = a8;
    }

    /* Both files must hold the same bytes. */
    FILE* a = std::fopen(path16.c_str(), "rb");
    FILE* b = std::fopen(path8.c_str(), "rb");
    bool same = a != nullptr && b != nullptr;
    while (same) {
        const int ca = std::fgetc(a), cb = std::fgetc(b);
        if (ca != cb)
            same = false;
        if (ca == EOF || cb == EOF)
            break;
    }
    if (a != nullptr)
        std::fclose(a);
    if (b != nullptr)
        std::fclose(b);
    std::remove(path16.c_str());
    std::remove(path8.c_str());

    std::printf("lines                 %ld\n", lines);
    std::printf("printfU16 (UTF-16)    %.3f s\n", t16);
    std::printf("fprintf (UTF-8)       %.3f s\n", t8);
    std::printf("ratio                 %.2f (goal <= 1.5)\n", t16 / t8);
    std::printf("identical output      %s\n", same ? "yes" : "NO");
    return same ? 0 : 2;
}
