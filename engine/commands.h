// The session, catalog and file commands.
#pragma once

#include <functional>
#include <initializer_list>
#include <span>
#include <string>

namespace kestle {

class Program;

// Message 20 for a command that needs options and has none; it marks the run, so that the
// message is not replaced by "Command completed".
void no_arguments(Program &p, const char *routine);
// A command that needs options and has none shows message 20 and does nothing else.
bool has_arguments(Program &p, const char *routine);

// Reads the options in order; set(key, value) takes a key in upper case and says whether the
// command knows it. The first unknown key shows message 21 with it and ends the command
// (false); it marks the run, so that the message is not replaced by "Command completed".
using OptionSetter = std::function<bool(const std::string &key, const std::string &value)>;
bool read_options(Program &p, const char *routine, const OptionSetter &set);

// An option a command knows: its key in upper case and what takes its value.
struct Option {
    Option(const char *k, std::string &target) : key(k), take([&target](const std::string &v) { target = v; }) {}
    Option(const char *k, std::function<void(const std::string &value)> f) : key(k), take(std::move(f)) {}
    const char *key;
    std::function<void(const std::string &value)> take;
};
// read_options for a command that knows just these keys.
bool read_options(Program &p, const char *routine, std::span<const Option> options);
inline bool read_options(Program &p, const char *routine, std::initializer_list<Option> options) {
    return read_options(p, routine, std::span<const Option>(options.begin(), options.size()));
}

void cmd_clear(Program &p);
void cmd_kill(Program &p);
void cmd_connect(Program &p);
void cmd_view(Program &p);
void cmd_tables(Program &p);
void cmd_describe(Program &p);
void cmd_sqlload(Program &p);
void cmd_ply(Program &p);
void ZAL_runstats(Program &p);
int ZAL_load(Program &p, const std::string &text);

} // namespace kestle
