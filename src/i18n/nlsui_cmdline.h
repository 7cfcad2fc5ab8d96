#ifndef QOR_I18N_NLSUI_CMDLINE_H
#define QOR_I18N_NLSUI_CMDLINE_H

#include "u16/qor_uc.h"

/* Longest kept command line, terminator not counted. */
#define NLSUI_CMDLINE_MAX 256

/* Joins the words by single blanks into buffer (NLSUI_CMDLINE_MAX + 1
 * bytes): units below 0x80 as themselves, others as '#', cut at
 * NLSUI_CMDLINE_MAX characters (later words are dropped). */
void nlsui_join_cmdline(int argc, const QOR_UC* const* argv, char* buffer);

#endif
