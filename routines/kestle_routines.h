// The routines of libkestle.so, in the argument convention of zalroutine.h.
#pragma once

#include <zalroutine.h>

#include <stdint.h>

extern "C" {

// pause(INTEGER) returns INTEGER: sleeps for the given milliseconds; the result is always 0.
// <unistd.h> already declares a pause() of its own, so C++ code that sees both names ours
// kestle_pause; the exported symbol is still "pause".
void kestle_pause(const int32_t *milliseconds, int32_t *result, const zal_null_indicator *milliseconds_ind,
                  zal_null_indicator *result_ind, char *sqlstate, const char *routine_name,
                  const char *specific_name, char *message) __asm__("pause");

// rgb(BLOB, INTEGER, INTEGER, INTEGER) returns INTEGER: 1 when the colour map holds the colour.
void rgb(const zal_blob *map, const int32_t *red, const int32_t *green, const int32_t *blue, int32_t *result,
         const zal_null_indicator *map_ind, const zal_null_indicator *red_ind,
         const zal_null_indicator *green_ind, const zal_null_indicator *blue_ind, zal_null_indicator *result_ind,
         char *sqlstate, const char *routine_name, const char *specific_name, char *message);

// search(VARCHAR, VARCHAR) returns INTEGER: the 1-based position of the pattern's match, or 0.
void search(const char *pattern, const char *text, int32_t *result, const zal_null_indicator *pattern_ind,
            const zal_null_indicator *text_ind, zal_null_indicator *result_ind, char *sqlstate,
            const char *routine_name, const char *specific_name, char *message);

// airports() returns TABLE (city, code): one row a line of $ZAL_HOME/AIRPORTS.DAT.
void airports(char *city, char *code, zal_null_indicator *city_ind, zal_null_indicator *code_ind, char *sqlstate,
              const char *routine_name, const char *specific_name, char *message, zal_scratchpad *scratchpad,
              const int32_t *call_type);

// Collects statistics for "SCHEMA.TABLE" on the process's current connection; returns the SQLCODE.
int32_t runstats(const char *table);

} // extern "C"
