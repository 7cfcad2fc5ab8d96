// The data of a chunked body, and where it ends, read as curl reads it.

#include "transport/winhttp_chunks.h"

#include <algorithm>
#include <cctype>

namespace qortransport {

size_t WinHttpChunks::feed(const char* bytes, size_t n, std::string* data)
{
    size_t i = 0;
    while (i < n && state_ != State::Ended && state_ != State::Broken) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        switch (state_) {
        case State::Size:
            if (std::isxdigit(c)) {
                // The 17th digit, or a size above the largest signed 64-bit
                // number, is one that curl refuses.
                const unsigned digit = std::isdigit(c) ? c - '0' : std::tolower(c) - 'a' + 10;
                if (digits_ == 16 || size_ > (UINT64_C(0x7fffffffffffffff) - digit) / 16) {
                    state_ = State::Broken;
                    break;
                }
                size_ = size_ * 16 + digit;
                ++digits_;
                ++i;
            } else {
                state_ = digits_ > 0 ? State::SizeLine : State::Broken;
            }
            break;
        case State::SizeLine: // chunk extensions and the carriage return
            if (c == '\n')
                state_ = size_ > 0 ? State::Data : State::Ended;
            ++i;
            break;
        case State::Data: {
            const size_t k = static_cast<size_t>(std::min<uint64_t>(size_, n - i));
            if (data != nullptr)
                data->append(bytes + i, k);
            i += k;
            size_ -= k;
            if (size_ == 0)
                state_ = State::DataEnd;
            break;
        }
        case State::DataEnd:
            if (c == '\n') {
                state_ = State::Size;
                digits_ = 0;
            } else if (c != '\r') {
                state_ = State::Broken;
                break;
            }
            ++i;
            break;
        default:
            break;
        }
    }
    return i;
}

} // namespace qortransport
