// Drives run_client in-process against the fake control service and
// captures what it prints.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "client/run_client.h"
#include "support/fake_service.h"

namespace clienttest {

struct RunResult
{
    int exit_code = -1;
    std::string out; // standard output, time stamps replaced by "<TS>"
};

// Records the sleeps of the repeat loop and of the waits; the waits' clock
// advances by every sleep (and by one second per reading, so that a wait
// without sleeps still ends).
class FakeTime
{
  public:
    FakeTime();
    const ClientEnvironment& environment() const { return environment_; }
    std::vector<int> loop_sleeps;
    std::vector<int> wait_sleeps;
    std::int64_t now = 1000000;
    std::string account = "testhost\\tester";

  private:
    ClientEnvironment environment_;
};

// Replaces every "dd.mm.yyyy hh:mm:ss" by "<TS>".
std::string mask_time_stamps(const std::string& text);

// run_client with the words as argv[1..]; stdout captured.
RunResult run(const std::vector<std::string>& words, const ClientEnvironment& environment);
RunResult run(const std::vector<std::string>& words);

// A fake service on a free instance port, and the words that address it
// ("-host 127.0.0.1 -nr NN").
struct Instance
{
    int nr = 0;
    std::unique_ptr<qortest::FakeService> service;
    std::vector<std::string> address() const;
    // address() + "-function" + the webmethod and its words.
    std::vector<std::string> call(const std::vector<std::string>& function_words) const;
};
Instance start_instance();

// The element text of the first <name>...</name> in xml ("" when absent),
// and whether the element occurs at all.
std::string element_text(const std::string& xml, const std::string& name);
bool has_element(const std::string& xml, const std::string& name);

// The whole content of a file ("" when it cannot be read).
std::string read_file(const std::string& path);

// The usual heading of a call's output.
std::string heading(const std::string& webmethod);

// Standard base64 with padding, written here so that no test trusts the
// runtime it checks.
std::string base64(const std::string& bytes);

} // namespace clienttest
