// The -trace file without the credentials of the HTTP requests.
#include "client/trace_mask.h"

#include <sys/types.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr char kHeader[] = "authorization:";
constexpr std::size_t kHeaderLength = sizeof kHeader - 1;
constexpr char kMask[] = " ********";

struct MaskState
{
    FILE* out;
    bool line_start = true;
    bool masking = false;
    std::string held; // a line start that may still become the header name
};

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

void mask_into(MaskState& state, const char* data, std::size_t size, std::string& out)
{
    for (std::size_t i = 0; i < size; ++i) {
        const char c = data[i];
        if (state.masking) {
            if (c != '\r' && c != '\n')
                continue;
            state.masking = false;
        } else if (state.line_start || !state.held.empty()) {
            if (lower(c) == kHeader[state.held.size()]) {
                state.held += c;
                if (state.held.size() == kHeaderLength) {
                    out += state.held;
                    out += kMask;
                    state.held.clear();
                    state.masking = true;
                }
                state.line_start = false;
                continue;
            }
            out += state.held;
            state.held.clear();
        }
        out += c;
        state.line_start = c == '\n';
    }
}

ssize_t masked_write(void* cookie, const char* data, std::size_t size)
{
    auto* state = static_cast<MaskState*>(cookie);
    std::string out;
    mask_into(*state, data, size, out);
    if (!out.empty() && std::fwrite(out.data(), 1, out.size(), state->out) != out.size())
        return 0;
    std::fflush(state->out);
    return static_cast<ssize_t>(size);
}

int masked_close(void* cookie)
{
    std::unique_ptr<MaskState> state(static_cast<MaskState*>(cookie));
    if (!state->held.empty())
        std::fwrite(state->held.data(), 1, state->held.size(), state->out);
    return std::fflush(state->out) == 0 ? 0 : EOF;
}

} // namespace

FILE* open_masked_trace(FILE* file)
{
    if (file == nullptr)
        return nullptr;
    auto state = std::make_unique<MaskState>();
    state->out = file;
    cookie_io_functions_t functions{};
    functions.write = masked_write;
    functions.close = masked_close;
    FILE* stream = fopencookie(state.get(), "w", functions);
    if (stream == nullptr)
        return nullptr;
    state.release(); // owned by the stream, freed when it is closed
    std::setvbuf(stream, nullptr, _IONBF, 0);
    return stream;
}
