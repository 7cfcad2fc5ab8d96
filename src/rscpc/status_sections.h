#ifndef QOR_RSCPC_STATUS_SECTIONS_H
#define QOR_RSCPC_STATUS_SECTIONS_H

/* Sections of the cache status report (shared by its two source files). */

#include "rscpc/cache.h"
#include "rscpc/lines.h"

namespace status {

extern const QOR_UC kLongRule[];
extern const QOR_UC kShortRule[];

const QOR_UC* yes_no(bool value);

void reorganisation_data(RscpLines& out, const ccc::Block& b);
void usage_counters(RscpLines& out, const ccc::Block& b);
void counters_and_settings(RscpLines& out, const ccc::Block& b);
void language_mapping(RscpLines& out, const ccc::Block& b);
void rfc_lists(RscpLines& out, const ccc::Block& b);
void count_lists(RscpLines& out, const ccc::Block& b);

} // namespace status

#endif
