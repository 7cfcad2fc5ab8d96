// The converter's process-wide state and its cache block.
#include "rscpc/state.h"

#include "rscp/rscp_utf.h"
#include "rscpc/cache.h"
#include "rscpc/errors.h"
#include "rscpc/hooks.h"

namespace {

constexpr RscpConverter initial_state()
{
    RscpConverter c{};
    c.state = RSCP_FRESH;
    const char16_t stamp[] = u"2000010100000000";
    for (int i = 0; i < 16; ++i)
        c.history[0].stamp[i] = stamp[i];
    const char16_t label[] = u"compile_time";
    for (int i = 0; i < RSCP_LABEL_LEN; ++i)
        c.init_label[i] = i < 12 ? label[i] : u' ';
    c.protection = 1;
    c.pua[0] = 0xF8FC; /* frame1intro */
    c.pua[1] = 0xF8FD; /* icon2intro */
    c.pua[2] = 0xF8FE; /* DBC_replacement */
    c.pua[3] = 0xF8FF; /* printcontrol5intro */
    c.db_access[RSCP_DB_TCP00] = true;
    c.db_access[RSCP_DB_TCP01] = true;
    c.db_access[RSCP_DB_TCP02] = false;
    c.db_access[RSCP_DB_TCP0C] = true;
    c.db_access[RSCP_DB_TCPSEG] = true;
    c.db_access[RSCP_DB_UMG] = true;
    c.db_access[RSCP_DB_SOME] = true;
    c.legacy_rfc = true;
    c.option26 = false;
    c.option27 = true;
    return c;
}

RscpConverter g_converter = initial_state();

} // namespace

RscpConverter& rscp_converter(void)
{
    return g_converter;
}

void rscp_converter_reset(void)
{
    if (g_converter.cache != nullptr)
        rscph.rscph_ReleaseCCCC(g_converter.cache, 0, nullptr);
    g_converter = initial_state();
    rscpe_restore_defaults();
    SetConvErrorHook(nullptr);
}

namespace ccc {

void Block::set_padded(uint64_t offset, const QOR_UC* in, size_t n)
{
    if (!holds(offset, n * sizeof(QOR_UC)))
        return;
    size_t i = 0;
    for (; in != nullptr && i < n && in[i] != 0; ++i)
        std::memcpy(base_ + offset + 2 * i, &in[i], sizeof(QOR_UC));
    for (const QOR_UC blank = u' '; i < n; ++i)
        std::memcpy(base_ + offset + 2 * i, &blank, sizeof(QOR_UC));
}

Block current(void)
{
    return Block(g_converter.cache, g_converter.block_size);
}

} // namespace ccc
