/*
 * ZAL external routines: what a routine library sees when the database calls it.
 *
 * A routine with m SQL arguments and k results is called with, in this order, one pointer each:
 *   the m arguments, the k result buffers, the m argument null indicators, the k result null
 *   indicators, the SQLSTATE buffer, the routine name, the specific name, the message buffer,
 *   and for table functions the scratchpad and the call type.
 * The routine returns nothing. It reports through its result buffers and indicators, and a
 * failure or, for a table function, the end of the table through the SQLSTATE buffer.
 *
 * Values:
 *   INTEGER   int32_t          SMALLINT  int16_t          BIGINT  int64_t
 *   DOUBLE    double           VARCHAR, CHAR   NUL-terminated 8-bit text
 *   BLOB      struct zal_blob (a 32-bit length, then the bytes)
 * Every argument and result buffer holds at least ZAL_BUFFER_MIN_LEN bytes, whatever the
 * registration declares, and a result buffer of a text type its declared length and a NUL when
 * that is more; a result is taken up to its declared length. The database owns every buffer it
 * passes.
 */
#ifndef ZALROUTINE_H
#define ZALROUTINE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef int16_t zal_null_indicator; /* 0: not null, -1: null */

#define ZAL_SQLSTATE_LEN 5           /* the buffer holds 5 characters and a NUL */
#define ZAL_ROUTINE_NAME_LEN 257     /* routine name and specific name buffers */
#define ZAL_MESSAGE_LEN 70           /* message text; the buffer holds a NUL more */
#define ZAL_SCRATCHPAD_LEN 100
#define ZAL_BUFFER_MIN_LEN 256       /* the least length of every argument and result buffer */

/* SQLSTATE classes a routine may set: "00000" success, "01Hxx" a warning, "02000" end of a
 * table function's table, "38xxx" an error the routine reports (with its message text). */
#define ZAL_SQLSTATE_END_OF_TABLE "02000"

struct zal_blob {
    uint32_t length;
    unsigned char data[1]; /* length bytes follow */
};

struct zal_scratchpad {
    uint32_t length;                     /* ZAL_SCRATCHPAD_LEN */
    unsigned char data[ZAL_SCRATCHPAD_LEN]; /* zeros before the first call of a scan; not
                                               aligned, so copy values in and out with memcpy */
};

/* call types of a table function */
#define ZAL_CALL_OPEN (-1)
#define ZAL_CALL_FETCH 0
#define ZAL_CALL_CLOSE 1

#ifdef __cplusplus
}
#endif

#endif
