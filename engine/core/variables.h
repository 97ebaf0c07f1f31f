// Program variables: named texts substituted into statements written as [NAME].
#pragma once

#include <array>
#include <string>

namespace kestle {

struct ParsedCommand;
struct Reporter;

struct var_entry {
    std::string name; // upper case
    std::string value;
};

struct Variables {
    static constexpr int size = 255;
    // Entries 1 to var_count in the order first added; entry 0 is unused so that indices
    // are those var_find returns.
    std::array<var_entry, size + 1> vars;
    int var_count = 0;
};

// Index of the variable named name in any case, 0 when there is none.
int var_find(const Variables &v, const std::string &name);

// Sets (or adds) the variable; returns its index, or 0 when it is new and the table is full.
int var_add(Variables &v, const std::string &name, const std::string &value);

// One pass over s replacing each [name] of a defined variable by its value; substituted
// values are not scanned again and undefined names stay as written.
std::string var_sub(const Variables &v, const std::string &s);

// The VAR command: each parsed option sets one variable. False when there was none (message
// 20 shown).
bool cmd_var(Variables &v, const ParsedCommand &cmd, Reporter &r);

} // namespace kestle
