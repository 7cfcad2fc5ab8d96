#ifndef QOR_I18N_NLSUI_TRACE_H
#define QOR_I18N_NLSUI_TRACE_H

/* The start-up's own small trace: levelled lines on standard error, or, in a
 * process without standard error, in the file
 * "nlsui_init_trc_file_<pid>.trc" of the current directory, with every error
 * line also sent to the system log. */

/* Start-up trace levels (also the message levels of the trace lines). */
enum { NLSUI_TRC_NONE = 0, NLSUI_TRC_LOW = 1, NLSUI_TRC_MEDIUM = 4, NLSUI_TRC_HIGH = 16 };

/* Width to which lines are padded at level NLSUI_TRC_MEDIUM and above. */
#define NLSUI_TRC_PAD_WIDTH 79
/* Longest message kept by the file form. */
#define NLSUI_TRC_FILE_LINE_MAX 1024

/* Reads NLSUI_INIT_TRACE_LEVEL ("none", "low", "medium", "high"), once per
 * process; other values keep the level. */
void nlsui_read_init_trace_level(void);

/* Hands NLSUI_TRACE_LEVEL to the Unicode runtime's trace level; once the
 * variable has been found unset it is never read again. */
void nlsui_read_u16_trace_level(void);

/* The blank separator line: one newline on standard error at level 16. */
void nlsui_init_trc_newline(void);

/* Writes one trace line when the start-up trace level is at least level.
 * Use through nlsui_init_trc, which adds the source file and line. */
void nlsui_init_trc_at(const char* file, int line, int level, const char* format, ...)
    __attribute__((format(printf, 4, 5)));

#define nlsui_init_trc(level, ...) nlsui_init_trc_at(__FILE_NAME__, __LINE__, (level), __VA_ARGS__)

/* Where error lines of a process without standard error are reported besides
 * the trace file (the system log by default). Null restores the default. */
typedef void (*NlsuiEventReporter)(const char* source, const char* message);
void nlsui_set_event_reporter(NlsuiEventReporter reporter);

#endif
