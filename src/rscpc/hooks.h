#ifndef QOR_RSCPC_HOOKS_H
#define QOR_RSCPC_HOOKS_H

/* The converter's host: one process-wide table of replaceable operations
 * (memory, system log, clock, sleep, locale, abort, parameters, semaphores
 * and the memory of the conversion cache) and the table of three output
 * writers through which its diagnostic lines leave the process. The entries
 * start as the defaults below, which are this program's behaviour; a host
 * (or a test) replaces entries before it starts the converter. Not thread
 * safe. */

#include <cstddef>
#include <cstdint>

#include "u16/qor_uc.h"

/* One output line: text and its length in characters, no line end. */
typedef void (*RscpWriter)(const QOR_UC* text, int32_t length);
/* A line writer with a caller's context. */
typedef void (*RscpLineOut)(const QOR_UC* text, int32_t length, void* context);

struct RscpSyslogParam
{
    int32_t length;
    const QOR_UC* text;
};

/* Length of the allocator name that the allocation hook hands back. */
#define RSCP_ALLOCATOR_NAME_LEN 12

struct RscpHookTable
{
    /* 1: size bytes filled with the fill byte (222: left as they are). */
    void* (*rscph_Malloc)(uint32_t, uint32_t, uint64_t, size_t size, unsigned char fill);
    /* 2: frees only with tag 254 (result 0); any other tag 0xFFFFFFFF. */
    uint32_t (*rscph_Free)(uint32_t, void* block, uint32_t tag, uint32_t);
    /* 3: one system-log line: letter, 3-character id, 64 characters. */
    void (*rscph_SyslogId)(QOR_UC letter, const QOR_UC* id, const QOR_UC* text);
    /* 4: "Syslog: " and the text, cut to 192 characters. */
    void (*rscph_SyslogText)(const QOR_UC* text, int32_t length);
    /* 5: one line per parameter. */
    void (*rscph_SyslogParams)(int32_t count, const RscpSyslogParam* params);
    /* 6: local time as 16 characters YYYYMMDDhhmmss00, no terminator. */
    void (*rscph_Timestamp)(QOR_UC* out);
    /* 7: a pair of bytes; a non-zero first byte switches the entry and exit
     * calls (12, 13) of the public operations on. */
    unsigned char* trace;
    /* 8: alertable sleep; 0, or 258 when a wake-up found the time used up. */
    int (*rscph_Sleep)(uint32_t seconds);
    /* 9 to 11: the error recorder's trace. */
    int (*rscph_ErrTraceWanted)(void);
    void (*rscph_ErrTraceFatal)(int32_t);
    void (*rscph_ErrTraceWrite)(unsigned char flag, const QOR_UC* ident, int32_t line,
                                const QOR_UC* text, int32_t length);
    /* 12 to 15: trace of the public operations and of sections. */
    void (*rscph_TraceEnter)(const QOR_UC* function, int32_t, int32_t, int32_t, void* context);
    void (*rscph_TraceLeave)(uint32_t result, int32_t, int32_t, void* context);
    void (*rscph_SectionBegin)(const QOR_UC* name, void* context);
    void (*rscph_SectionEnd)(void* context);
    /* 16 */
    const QOR_UC* (*rscph_SetLocale)(int category, const QOR_UC* locale);
    /* 17: called before the process is aborted for an error its caller does
     * not accept. */
    void (*rscph_Abort)(int32_t severity, const QOR_UC* message_class, int32_t message_number,
                        int32_t, int32_t, const QOR_UC* arg1, int32_t length1, const QOR_UC* arg2,
                        int32_t length2);
    /* 18: the value of a converter parameter, or null. */
    const QOR_UC* (*rscph_GetParameter)(const QOR_UC* name);
    /* 19: up to three values of a parameter; further points to 9 words.
     * Every output that is given is set. */
    void (*rscph_QueryParameter)(const QOR_UC* name, const QOR_UC** value1, const QOR_UC** value2,
                                 const QOR_UC** value3, int32_t* further);
    /* 20 to 23 */
    QOR_UC release[4];
    uint32_t (*rscph_GetRelease)(QOR_UC* out);
    uint32_t (*rscph_GetSystemType)(QOR_UC* out);
    uint32_t (*rscph_GetClient)(QOR_UC* out);
    /* 24 to 30: semaphores and write permission of the cache; 0 is success. */
    uint32_t (*rscph_SemaInitStep1)(int32_t location, unsigned char flag);
    uint32_t (*rscph_SemaInitStep2)(int32_t location, unsigned char flag);
    uint32_t (*rscph_GetSema)(int32_t location, unsigned char flag);
    uint32_t (*rscph_ReleaseSema)(int32_t location, unsigned char flag);
    uint32_t (*rscph_SemaDiagnose)(const QOR_UC* text, int32_t word, RscpLineOut callback,
                                   void* writer, int32_t level, int32_t* out);
    uint32_t (*rscph_GetWritePermission)(int32_t location, unsigned char flag);
    uint32_t (*rscph_ReleaseWritePermission)(int32_t location, unsigned char flag);
    /* 31: the memory of the cache. Outputs: the block, a flag that is 1 when
     * the block comes zero-filled, a flag that is 1 when an existing cache is
     * handed back, and the allocator's name (RSCP_ALLOCATOR_NAME_LEN + 1
     * units, terminated). Result 0 or an error code. */
    uint32_t (*rscph_AllocateCCCC)(void** block, unsigned char* zero_filled, unsigned char* reused,
                                   QOR_UC* allocator_name, uint32_t size, int32_t location);
    /* 32 */
    uint32_t (*rscph_ReleaseCCCC)(void* block, uint32_t word, unsigned char* released);
    /* 33: announces, sleeps and announces again before the cache is rebuilt. */
    int (*rscph_WaitBeforeClearing)(uint32_t seconds);
    /* 34: the cache-protection setting changed. */
    void (*rscph_CacheProtected)(unsigned char flag);
};

extern RscpHookTable rscph;

/* Output writers: 0 writes the line and a line feed to the standard error
 * stream; 1 and 2 drop it. */
enum { RSCP_WRITER_STDERR = 0, RSCP_WRITER_INFO = 1, RSCP_WRITER_SPARE = 2 };
extern RscpWriter rscp_writers[3];

void rscp_write_stderr(const QOR_UC* text, int32_t length);
void rscp_write_null(const QOR_UC* text, int32_t length);

/* Formats a line (at most 255 characters) and hands it to writer entry i. */
void rscp_write_line(int writer, const QOR_UC* format, ...);
/* A line writer whose context points to an entry of rscp_writers. */
void rscp_line_to_writer(const QOR_UC* text, int32_t length, void* writer_entry);

/* The default entries, for a host that wants one of them back. */
RscpHookTable rscph_defaults(void);

/* True when the trace switch of entry 7 is on. */
bool rscph_trace_on(void);

#endif
