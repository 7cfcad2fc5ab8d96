// Writes the replies of the reply-bounds tests into a folder as seeds of the
// fuzz target: each with both calls, read whole and in reads of 7 bytes.
#include <cstdio>
#include <string>

#include "shape_replies.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_reply_seeds FOLDER\n");
        return 2;
    }
    int written = 0;
    for (const ShapeReply& r : shape_replies()) {
        if (r.large)
            continue;
        const std::string reply = r.make().bytes;
        for (char call : {'\0', '\1'}) {
            for (char piece : {'\0', '\7'}) {
                const std::string path = std::string(argv[1]) + "/" + r.name + "_" +
                                         std::to_string(call) + std::to_string(piece);
                FILE* f = std::fopen(path.c_str(), "wb");
                if (f == nullptr)
                    return 1;
                const std::string bytes = std::string{call, piece} + reply;
                std::fwrite(bytes.data(), 1, bytes.size(), f);
                std::fclose(f);
                ++written;
            }
        }
    }
    std::printf("%d seeds\n", written);
    return 0;
}
