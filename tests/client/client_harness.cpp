#include "client_harness.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

namespace clienttest {

FakeTime::FakeTime()
{
    environment_.sleep = [this](int seconds) { loop_sleeps.push_back(seconds); };
    environment_.wait_timing.now = [this]() { return now++; };
    environment_.wait_timing.sleep = [this](int seconds) {
        wait_sleeps.push_back(seconds);
        now += seconds;
    };
    environment_.account_name = [this](char* buffer, int size) {
        if (static_cast<int>(account.size()) + 1 > size)
            return 0;
        std::snprintf(buffer, static_cast<std::size_t>(size), "%s", account.c_str());
        return 1;
    };
}

std::string mask_time_stamps(const std::string& text)
{
    static const std::regex stamp(R"(\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d)");
    return std::regex_replace(text, stamp, "<TS>");
}

RunResult run(const std::vector<std::string>& words, const ClientEnvironment& environment)
{
    std::vector<std::u16string> storage;
    storage.emplace_back(u"qorcontrol");
    for (const std::string& word : words) {
        std::u16string wide;
        // The words of the tests are ASCII or UTF-8 of the BMP.
        for (std::size_t i = 0; i < word.size();) {
            unsigned char c = static_cast<unsigned char>(word[i]);
            char16_t unit = c;
            std::size_t len = 1;
            if (c >= 0xE0) {
                unit = static_cast<char16_t>(((c & 0x0F) << 12) | ((word[i + 1] & 0x3F) << 6) |
                                             (word[i + 2] & 0x3F));
                len = 3;
            } else if (c >= 0xC0) {
                unit = static_cast<char16_t>(((c & 0x1F) << 6) | (word[i + 1] & 0x3F));
                len = 2;
            }
            wide.push_back(unit);
            i += len;
        }
        storage.push_back(wide);
    }
    std::vector<const QOR_UC*> argv;
    for (const std::u16string& s : storage)
        argv.push_back(s.c_str());
    argv.push_back(nullptr);

    RunResult result;
    std::fflush(stdout);
    testing::internal::CaptureStdout();
    result.exit_code = run_client(static_cast<int>(storage.size()), argv.data(), environment);
    std::fflush(stdout);
    result.out = mask_time_stamps(testing::internal::GetCapturedStdout());
    return result;
}

RunResult run(const std::vector<std::string>& words)
{
    FakeTime time;
    return run(words, time.environment());
}

std::vector<std::string> Instance::address() const
{
    char nr_text[8];
    std::snprintf(nr_text, sizeof nr_text, "%02d", nr);
    return {"-host", "127.0.0.1", "-nr", nr_text};
}

std::vector<std::string> Instance::call(const std::vector<std::string>& function_words) const
{
    std::vector<std::string> words = address();
    words.push_back("-function");
    words.insert(words.end(), function_words.begin(), function_words.end());
    return words;
}

Instance start_instance()
{
    Instance instance;
    instance.service = qortest::FakeService::on_free_instance_port(instance.nr);
    return instance;
}

std::string element_text(const std::string& xml, const std::string& name)
{
    const std::regex element("<" + name + "(\\s[^>]*)?>([^<]*)</" + name + ">");
    std::smatch match;
    if (std::regex_search(xml, match, element))
        return match[2].str();
    return "";
}

bool has_element(const std::string& xml, const std::string& name)
{
    const std::regex element("<" + name + "(\\s[^>]*)?/?>");
    return std::regex_search(xml, element);
}

std::string read_file(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

std::string heading(const std::string& webmethod)
{
    return "\n<TS>\n" + webmethod + "\n";
}

std::string base64(const std::string& bytes)
{
    static const char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const unsigned v = (static_cast<unsigned char>(bytes[i]) << 16) |
                           (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                           static_cast<unsigned char>(bytes[i + 2]);
        out += {kAlphabet[v >> 18], kAlphabet[(v >> 12) & 63], kAlphabet[(v >> 6) & 63],
                kAlphabet[v & 63]};
    }
    const std::size_t left = bytes.size() - i;
    if (left > 0) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        if (left == 2)
            v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += {kAlphabet[v >> 18], kAlphabet[(v >> 12) & 63],
                left == 2 ? kAlphabet[(v >> 6) & 63] : '=', '='};
    }
    return out;
}

} // namespace clienttest
