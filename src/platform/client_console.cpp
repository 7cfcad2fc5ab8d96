// Console code-page stand-ins.
#include "platform/client_console.h"

#include <cstdlib>
#include <initializer_list>

unsigned int GetConsoleCP(void)
{
    return 65001;
}

int SetConsoleCP(unsigned int)
{
    return 1;
}

const char* client_default_locale(void)
{
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && value[0] != 0)
            return value;
    }
    return "C";
}
