#ifndef QOR_BASE_THR_INTERNAL_H
#define QOR_BASE_THR_INTERNAL_H

/* Internal hooks of the thread library, for its tests. */

/* Makes the next key-list node allocation fail (once). */
void ThrIFailNextNodeAlloc(void);
/* Whether the key is in the key list. */
bool ThrIKeyListed(unsigned int key);

#endif
