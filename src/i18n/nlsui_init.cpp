// Entry points of the start-up for the process entry.
#include "i18n/nlsui.h"
#include "i18n/nlsui_cmdline.h"
#include "i18n/nlsui_load.h"
#include "u16/u16_diag.h"
#include "u16/u16_string.h"

void nlsui_join_cmdline(int argc, const QOR_UC* const* argv, char* buffer)
{
    size_t position = 0;
    for (int i = 0; i < argc && position < NLSUI_CMDLINE_MAX; ++i) {
        if (i > 0)
            buffer[position++] = ' ';
        const QOR_UC* word = argv[i] != nullptr ? argv[i] : u"";
        for (size_t k = 0; word[k] != 0 && position < NLSUI_CMDLINE_MAX; ++k)
            buffer[position++] = word[k] < 0x80 ? static_cast<char>(word[k]) : '#';
    }
    buffer[position] = '\0';
}

void nlsui_set_cmdline(int argc, const QOR_UC* const* argv)
{
    char buffer[NLSUI_CMDLINE_MAX + 1];
    nlsui_join_cmdline(argc, argv, buffer);
    U16KeepCmdline(buffer);
}

void nlsui_init(void)
{
    loadIcuDo();
    // The Unicode library's case-insensitive compare maps through the
    // character function bound here.
    U16SetLowerCaseMapping(tolowerU);
}
