// What CREATE FUNCTION says about a user-defined function, and the name DROP FUNCTION names.
#pragma once

#include "diagnostics.h"
#include "types.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zal::udf {

inline constexpr size_t max_params = 30;
inline constexpr size_t max_results = 30;

// How a value of a parameter or result travels between the engine and a routine.
enum class Kind { Int16, Int32, Int64, Float, Double, Text, Lob };

struct Param {
    std::string name; // empty for external routines
    std::string type_text;
    ColumnType type;
    Kind kind = Kind::Text;
};

struct Definition {
    std::string name;
    bool replace = false; // CREATE OR REPLACE
    std::vector<Param> params;
    bool table = false;
    std::vector<Param> results;
    std::string external;     // library!entry
    std::string language = "C";
    bool called_on_null = false;
    bool deterministic = false;
    std::string body;         // RETURN expression of an SQL function
};

bool parse_definition(std::string_view text, Definition &d, Diagnostic &error);

// DROP [SPECIFIC] FUNCTION [schema.]name: the name, as the catalog holds it.
bool parse_drop(std::string_view text, std::string &name, Diagnostic &error);

} // namespace zal::udf
