#include "soap_lite_service.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace clienttest {
namespace {

// The instance numbers tried for a free port, as the fake service tries them.
constexpr int kFirstNr = 1;
constexpr int kLastNr = 98;

} // namespace

std::string soap_lite_missing()
{
    if (std::system("perl -e 1 >/dev/null 2>&1") != 0)
        return "perl is missing";
    if (std::system("perl -MSOAP::Transport::HTTP -e 1 >/dev/null 2>&1") != 0)
        return "Perl's SOAP::Lite (libsoap-lite-perl) is missing";
    return "";
}

SoapLiteService::SoapLiteService(const std::vector<std::string>& fault_texts)
{
    // Everything the child needs is prepared before fork: it only execs.
    std::vector<std::string> words = {"perl", QOR_SOAP_LITE_SERVICE, std::to_string(kFirstNr),
                                      std::to_string(kLastNr)};
    words.insert(words.end(), fault_texts.begin(), fault_texts.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    int out[2];
    if (::pipe(out) != 0)
        return;
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(out[1], 1);
        ::close(out[0]);
        ::close(out[1]);
        ::execvp("perl", argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    // Its first line names the instance it listens for; perl and SOAP::Lite
    // take a moment to load.
    std::string line;
    char c = 0;
    pollfd ready{out[0], POLLIN, 0};
    while (pid_ > 0 && line.find('\n') == std::string::npos && ::poll(&ready, 1, 30000) == 1 &&
           ::read(out[0], &c, 1) == 1)
        line += c;
    ::close(out[0]);
    const int nr = std::atoi(line.c_str());
    if (!line.empty() && line.back() == '\n' && nr >= kFirstNr && nr <= kLastNr)
        nr_ = nr;
}

SoapLiteService::~SoapLiteService()
{
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
}

} // namespace clienttest
