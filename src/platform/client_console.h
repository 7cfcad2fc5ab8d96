#ifndef QOR_PLATFORM_CLIENT_CONSOLE_H
#define QOR_PLATFORM_CLIENT_CONSOLE_H

/* The console's input code page. A Linux terminal has none of its own (it
 * reads in the locale's encoding), so these report UTF-8 (65001) and accept
 * any change without effect. */
unsigned int GetConsoleCP(void);
int SetConsoleCP(unsigned int code_page);

/* The user's default locale name from the environment (LC_ALL, LC_CTYPE,
 * LANG), without changing the process's locale; "C" when none is set. */
const char* client_default_locale(void);

#endif
