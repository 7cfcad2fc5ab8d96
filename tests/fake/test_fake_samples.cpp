// The sample replies that qor-fake-service serves: each file answers the
// request element it is named after, and is well-formed once wrapped.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/fake_service.h"

namespace qortest {
namespace {

// Checks that start and end tags nest properly; returns "" or a complaint.
std::string check_nesting(const std::string& xml)
{
    std::vector<std::string> open;
    std::size_t pos = 0;
    while ((pos = xml.find('<', pos)) != std::string::npos) {
        auto end = xml.find('>', pos);
        if (end == std::string::npos)
            return "unterminated tag";
        std::string tag = xml.substr(pos + 1, end - pos - 1);
        pos = end + 1;
        if (tag.empty() || tag[0] == '?' || tag[0] == '!')
            continue;
        if (tag.back() == '/')
            continue;
        std::string name = tag.substr(tag[0] == '/' ? 1 : 0);
        name = name.substr(0, name.find_first_of(" \t\r\n"));
        if (tag[0] != '/') {
            open.push_back(name);
        } else if (open.empty() || open.back() != name) {
            return "unexpected </" + name + ">";
        } else {
            open.pop_back();
        }
    }
    return open.empty() ? "" : "unclosed <" + open.back() + ">";
}

TEST(FakeServiceSamples, EachFileAnswersItsWebmethod)
{
    namespace fs = std::filesystem;
    std::vector<std::string> seen;
    for (const auto& entry : fs::directory_iterator(QOR_FAKE_SAMPLES_DIR)) {
        if (entry.path().extension() != ".xml")
            continue;
        std::string webmethod = entry.path().stem().string();
        SCOPED_TRACE(webmethod);
        seen.push_back(webmethod);
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        std::string env = envelope(text.str());
        EXPECT_EQ(check_nesting(env), "");
        BodyElement e = first_body_element(env);
        EXPECT_EQ(e.qname, "QORControl:" + webmethod + "Response");
        EXPECT_EQ(e.ns, "urn:QORControl");
        // State colours travel as the enumeration's names, not as bare colours.
        const std::string open_tag = "<dispstatus>";
        for (auto pos = env.find(open_tag); pos != std::string::npos;
             pos = env.find(open_tag, pos + 1)) {
            auto begin = pos + open_tag.size();
            std::string value = env.substr(begin, env.find('<', begin) - begin);
            EXPECT_TRUE(value == "QORControl-GRAY" || value == "QORControl-GREEN" ||
                        value == "QORControl-YELLOW" || value == "QORControl-RED")
                << value;
        }
    }
    // tools/demo runs the README's examples against these samples.
    std::ifstream readme(QOR_README_FILE);
    ASSERT_TRUE(readme.good());
    int examples = 0;
    for (std::string line; std::getline(readme, line);) {
        if (line.rfind("    qorcontrol -", 0) != 0)
            continue;
        ++examples;
        const std::string option = " -function ";
        const std::size_t at = line.find(option);
        ASSERT_NE(at, std::string::npos) << line;
        const std::string webmethod =
            line.substr(at + option.size())
                .substr(0, line.find(' ', at + option.size()) - at - option.size());
        EXPECT_NE(std::find(seen.begin(), seen.end(), webmethod), seen.end())
            << "no sample answers the README example " << line;
    }
    EXPECT_GE(examples, 3);
}

TEST(FakeServiceSamples, NestingCheckerCatchesBrokenXml)
{
    struct Case
    {
        const char* xml;
        bool ok;
    };
    const Case cases[] = {
        {"<a><b/><c x=\"1\">t</c></a>", true},
        {"<?xml version=\"1.0\"?><a></a>", true},
        {"<a><b></a></b>", false},
        {"<a>", false},
        {"</a>", false},
        {"<a", false},
    };
    for (const Case& tc : cases)
        EXPECT_EQ(check_nesting(tc.xml).empty(), tc.ok) << tc.xml;
}

} // namespace
} // namespace qortest
