// Process entry: the UTF-8 argument vector as 16-bit strings, the I18N
// start-up, then the main logic, whose result is the exit code.
#include <vector>

#include "client/cmdline_mask.h"
#include "client/run_client.h"
#include "client/standard_streams.h"
#include "client/strings.h"
#include "i18n/nlsui.h"

int main(int argc, char** argv)
{
    // Before anything opens a file or a socket that could take their place.
    if (!open_closed_standard_streams())
        return 1;
    buffer_standard_output();
    std::vector<const QOR_UC*> args;
    args.reserve(static_cast<std::size_t>(argc) + 1);
    for (int i = 0; i < argc; ++i) {
        const QOR_UC* arg = utf8_to_wide(nullptr, argv[i]);
        args.push_back(arg != nullptr ? arg : u"");
    }
    args.push_back(nullptr);
    // The copies are read; the process list need not show the password.
    hide_passwords(argc, argv, args.data());
    nlsui_set_cmdline(argc, words_for_diagnostics(argc, args.data()).data());
    nlsui_init();
    return run_client(argc, args.data());
}
