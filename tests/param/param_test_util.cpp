#include "param_test_util.h"

#include <stdlib.h>
#include <unistd.h>

#include <fstream>

#include "u16/u16.h"

namespace paramtest {

std::string narrow(const QOR_UC* text)
{
    std::string out;
    for (; text != nullptr && *text != 0; ++text)
        out.push_back(*text < 0x80 ? static_cast<char>(*text) : '?');
    return out;
}

std::u16string wide(const std::string& text)
{
    return std::u16string(text.begin(), text.end());
}

TempDir::TempDir()
{
    char tmpl[] = "/tmp/qor_param_XXXXXX";
    path_ = mkdtemp(tmpl);
}

TempDir::~TempDir()
{
    std::system(("rm -rf '" + path_ + "'").c_str());
}

std::string TempDir::write(const std::string& name, const std::string& content) const
{
    const std::string file = path_ + "/" + name;
    std::ofstream(file, std::ios::binary) << content;
    return file;
}

ParamRun::ParamRun() : messages_(std::tmpfile()) {}

ParamRun::~ParamRun()
{
    library_.reset();
    std::fclose(messages_);
}

param::Library& ParamRun::make()
{
    param::Sources s = sources;
    const auto* environment = &env;
    s.getenv = [environment](const char* name) -> const char* {
        auto it = environment->find(name);
        return it != environment->end() ? it->second.c_str() : nullptr;
    };
    s.physical_memory = [m = memory] { return m; };
    s.logical_processors = [n = logical] { return n; };
    s.cpu_topology = [t = topology] { return t; };
    if (!s.computer_name)
        s.computer_name = [] { return std::u16string(u"qorhost1"); };
    if (!s.is_local_host)
        s.is_local_host = [](const QOR_UC*) { return false; };
    s.messages = messages_;
    library_ = std::make_unique<param::Library>(std::move(s));
    return *library_;
}

std::string ParamRun::value(const char* name)
{
    const QOR_UC* v = library_->lookup(wide(name).c_str());
    return v != nullptr ? narrow(v) : "<null>";
}

std::string ParamRun::messages()
{
    std::fflush(messages_);
    std::rewind(messages_);
    std::string text;
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, messages_)) > 0)
        text.append(chunk, n);
    std::fseek(messages_, 0, SEEK_END);
    return text;
}

} // namespace paramtest
