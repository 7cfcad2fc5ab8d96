#ifndef QOR_RSCP_RSCP_CODES_H
#define QOR_RSCP_RSCP_CODES_H

/* Return codes of the code-page converter: bit values, so that a caller can
 * name the codes it handles as a mask (-1: all). */

#define RSCPEINTERN 0x1u      /* some other internal error */
#define RSCPEIO 0x8u          /* some I/O error */
#define RSCPEINVAL 0x10u      /* invalid arguments */
#define RSCPETOOLONG 0x20u    /* the data was longer than the buffer */
#define RSCPECALL 0x40u       /* illegal mixture of procedure calls */
#define RSCPENOOBJ 0x80u      /* no such object */
#define RSCPEBUSY 0x100u      /* object is busy or locked */
#define RSCPEUNIQ 0x200u      /* selects more than one object; also a character cut off */
#define RSCPENOCONV 0x800u    /* wanted conversion not available; also malformed input */
#define RSCPEBADO 0x1000u     /* a handle is invalid or corrupted */
#define RSCPEODATA 0x2000u    /* there is no more data */
#define RSCPEROLLBACK 0x4000u /* a database roll back happened */

/* Accepted-codes mask that lets every code return to the caller. */
#define RSCP_ACCEPT_ALL 0xFFFFFFFFu

#endif
