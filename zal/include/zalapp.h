/*
 * ZAL administrative interface: starting the database manager and collecting table statistics.
 */
#ifndef ZALAPP_H
#define ZALAPP_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The SQL communication area: 136 bytes, SQLCODE at offset 12. */
struct zal_sqlca {
    char sqlcaid[8];
    int32_t sqlcabc;
    int32_t sqlcode;
    int16_t sqlerrml;
    char sqlerrmc[70];
    char sqlerrp[8];
    int32_t sqlerrd[6];
    char sqlwarn[11];
    char sqlstate[5];
};

/* SQLCODEs reported by the administrative calls */
#define ZAL_SQLCODE_OK 0
#define ZAL_SQLCODE_ALREADY_ACTIVE (-1026)
#define ZAL_SQLCODE_NO_CONNECTION (-1024)
#define ZAL_SQLCODE_SYSTEM_ERROR (-1042)
#define ZAL_SQLCODE_NO_TABLE (-2306)
#define ZAL_SQLCODE_BAD_REQUEST (-2310)

/* Sets the instance up on its first call (the instance directory and the SAMPLE database);
 * later calls report ZAL_SQLCODE_ALREADY_ACTIVE. The start options may be null. Returns the
 * SQLCODE, which is also left in the communication area when one is given. */
int32_t zalStartManager(void *start_options, struct zal_sqlca *ca);

#define ZAL_RUNSTATS_VERSION 8010000u
#define ZAL_RUNSTATS_TABLE 4u /* statistics of the table and all its indexes */

/* A statistics request. Only the table name is read; it names "SCHEMA.TABLE". */
struct zal_runstats_request {
    double sample_percent;
    const char *table;
    void *columns;
    void *distributions;
    void *column_groups;
    void *indexes;
    uint32_t flags;
    int16_t counts[7];
};

/* Collects statistics (row count and index statistics) for the named table on the process's
 * current connection, so that CARD of SYSORL.SYSTABLES shows the row count. Returns the
 * SQLCODE, which is also left in the communication area. */
int32_t zalRunstats(uint32_t version, void *request, struct zal_sqlca *ca);

#ifdef __cplusplus
}
#endif

#endif
