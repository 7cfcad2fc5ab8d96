// The program as built, with this machine narrowed to the addresses that
// QOR_TEST_THIS_MACHINE names (separated by blanks), so that a whole run can
// have a service on the loopback stand for another machine's. Built for the
// tests only: the program itself reads no such variable.
#include <cstdlib>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "transport/plugin.h"

// The program's own main, renamed for this build.
int qorcontrol_main(int argc, char** argv);

int main(int argc, char** argv)
{
    if (const char* list = std::getenv("QOR_TEST_THIS_MACHINE")) {
        std::istringstream words(list);
        const std::vector<std::string> addresses{std::istream_iterator<std::string>(words), {}};
        std::vector<const char*> texts;
        for (const std::string& address : addresses)
            texts.push_back(address.c_str());
        if (!plugin_narrow_this_machine(texts.data(), static_cast<int>(texts.size())))
            return 125;
    }
    return qorcontrol_main(argc, argv);
}
