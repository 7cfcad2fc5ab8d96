// Reading DEFAULT.PFL: the first lookup of a parameter library whose
// DEFAULT.PFL holds N names that the built-in table does not know, against
// reading the same lines alone with the profile line reader (the floor of
// any reading), for several N in one run.
//
//   bench_param [N ...]      (default 10000 20000 50000 100000)
//
// Prints one line per N: the seconds of both and the microseconds per name.
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "param/param_library.h"
#include "param/param_line_reader.h"
#include "u16/u16.h"

namespace {

double seconds_since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Every line names a parameter of its own; a tenth of the values refer to
// a built-in parameter, as profiles do.
void write_profile(const std::string& file, long names)
{
    std::ofstream out(file, std::ios::binary);
    for (long i = 0; i < names; ++i) {
        out << "bench/param_" << (i * 7919 % names) << " = ";
        if (i % 10 == 0)
            out << "$(DIR_SEP)value_" << i << "\n";
        else
            out << "value_" << i << "\n";
    }
}

double read_lines_only(const std::string& file, long* pairs)
{
    const auto start = std::chrono::steady_clock::now();
    FILE* f = std::fopen(file.c_str(), "r");
    std::vector<QOR_UC> name(4096), value(4096);
    *pairs = 0;
    while (f != nullptr &&
           qorparam_read_line(f, name.data(), name.size(), value.data(), value.size(), {-1, 1}))
        ++*pairs;
    if (f != nullptr) {
        U16ForgetStream(f);
        std::fclose(f);
    }
    return seconds_since(start);
}

double first_lookup(const std::string& dir, std::string* count)
{
    FILE* messages = std::fopen("/dev/null", "w");
    param::Sources sources = param::system_sources();
    sources.messages = messages;
    sources.second_args.emplace_back(u"DIR_PROFILE", std::u16string(dir.begin(), dir.end()));
    const auto start = std::chrono::steady_clock::now();
    double took = 0;
    {
        param::Library library(std::move(sources));
        const QOR_UC* n = library.lookup(u"__QORPROFILE_n_DEFAULT");
        took = seconds_since(start);
        count->clear();
        for (; n != nullptr && *n != 0; ++n)
            count->push_back(static_cast<char>(*n));
    }
    std::fclose(messages);
    return took;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<long> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::strtol(argv[i], nullptr, 10));
    if (sizes.empty())
        sizes = {10000, 20000, 50000, 100000};

    char tmpl[] = "/tmp/qor_bench_param_XXXXXX";
    if (mkdtemp(tmpl) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string dir = tmpl;
    const std::string file = dir + "/DEFAULT.PFL";
    std::printf("%8s  %14s  %14s  %10s  %s\n", "names", "read lines s", "first lookup s", "us/name",
                "entries counted");
    for (long n : sizes) {
        write_profile(file, n);
        long pairs = 0;
        const double lines = read_lines_only(file, &pairs);
        std::string counted;
        const double whole = first_lookup(dir, &counted);
        std::printf("%8ld  %14.3f  %14.3f  %10.2f  %s\n", pairs, lines, whole,
                    n > 0 ? whole * 1e6 / static_cast<double>(n) : 0.0, counted.c_str());
        std::fflush(stdout);
    }
    unlink(file.c_str());
    rmdir(dir.c_str());
    return 0;
}
