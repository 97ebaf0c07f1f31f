// Calling an external routine with the convention of zalroutine.h: its entry bound in its
// library, the buffers of one call, and the values that go in and come out.
#pragma once

#include "udf_definition.h"

#include <zalroutine.h>

#include <cstdint>
#include <string>
#include <vector>

#include <sqlite3.h>

namespace zal::udf {

struct Binding {
    void *entry = nullptr;
    std::string library;
    std::string entry_name;
    std::string reason; // why it could not be bound
};

// The names of "library!entry" (the function's own name when no entry is given), not bound;
// the reason says why when the library is not named by a bare name.
Binding named(const std::string &external, const std::string &function_name);

// Binds "library!entry". The library is found by its bare name only: in $ZAL_HOME/function,
// then in the product's own directory, never on the system's search path.
Binding bind(const std::string &external, const std::string &function_name);

// The buffers of one call: values, indicators and the fixed trailing arguments.
struct Frame {
    std::vector<std::vector<unsigned char>> values; // one buffer per argument and result
    std::vector<zal_null_indicator> indicators;
    char sqlstate[ZAL_SQLSTATE_LEN + 1] = "00000";
    char name[ZAL_ROUTINE_NAME_LEN] = {};
    char specific[ZAL_ROUTINE_NAME_LEN] = {};
    char message[ZAL_MESSAGE_LEN + 1] = {};
    std::vector<void *> pointers; // the arguments of the call, in the order of the convention
    size_t params = 0;
    bool ready = false;

    // Sizes the buffers and lays out the pointers once; a call only refreshes the pointers of
    // argument buffers that had to grow. Table functions pass their scratchpad and call type.
    void prepare(const Definition &d, const std::string &qualified_name, void *scratchpad = nullptr,
                 int32_t *call_type = nullptr);
    // Empty results: the start of each buffer holds a zero number, an empty text or a zero
    // length; nothing of a result can be mistaken for the last one.
    void clear_results();
    void call(void *entry);
    // True when the routine reported success or a warning.
    bool succeeded() const { return sqlstate[0] == '0' && (sqlstate[1] == '0' || sqlstate[1] == '1'); }
    bool end_of_table() const { return sqlstate[0] == '0' && sqlstate[1] == '2'; }

    // Argument k from the engine's value, whose storage class is type; false when the value
    // does not fit the argument's type.
    bool set_argument(size_t k, const Param &p, sqlite3_value *v, int type);
    // The value a routine left in result buffer k, as the engine's result, at most as long as
    // its declared length.
    void deliver(sqlite3_context *ctx, size_t k, const Param &p) const;

private:
    void size_result(size_t k, const Param &p);
    // Argument buffer k, at least `bytes` long.
    unsigned char *argument(size_t k, size_t bytes) {
        if (values[k].size() < bytes)
            grow_argument(k, bytes);
        return values[k].data();
    }
    void grow_argument(size_t k, size_t bytes);
};

} // namespace zal::udf
