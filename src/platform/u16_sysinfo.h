#ifndef QOR_PLATFORM_U16_SYSINFO_H
#define QOR_PLATFORM_U16_SYSINFO_H

/* The machine's memory and processor layout as a program sees it. */

#include <cstdint>

struct U16SystemInfo
{
    uint32_t page_size;
    void* minimum_application_address;
    void* maximum_application_address;
    uint64_t active_processor_mask; /* the processors the process may run on (the first 64) */
    uint32_t number_of_processors;  /* processors online */
    uint32_t allocation_granularity;
};

/* Fills the record; a null record is left alone. */
void u16_get_system_info(U16SystemInfo* info);

#endif
