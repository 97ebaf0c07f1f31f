// The numbered message table and the composition of a shown message.
#pragma once

#include <array>
#include <string>

namespace kestle {

// Caption of every message box that has no title of its own.
inline constexpr const char *app_title = "ZAL Demonstration Program";

// Numbers of the entries the program shows.
enum MsgNo : int {
    msg_none = 0, // no entry: the text is shown alone
    msg_connected = 8,
    msg_sql_completed = 11,
    msg_no_records = 12,
    msg_no_connection = 13,
    msg_no_sql = 14,
    msg_no_arguments = 20,
    msg_invalid_keyword = 21,
    msg_file_not_found = 22,
    msg_file_loaded = 23,
    msg_running = 24,
    msg_file_erased = 25,
    msg_command_executed = 26,
    msg_record_too_long = 28,
    msg_too_many_windows = 29,
    msg_plot_pie = 31,
    msg_plot_bar = 32,
    msg_plot_line = 33,
    msg_cmd_failed = 34,
    msg_connect_error = 40,
    msg_no_ending_quote = 41,
    msg_runstats_error = 42,
};

// How show_msg composes a message from its arguments.
enum MsgKind : int {
    show_entry = 0, // the table's entry msgno followed by text
    show_text = 1,  // text alone
};

struct Messages {
    static constexpr int size = 200;
    // Entries 1 to 200; entry 0 is unused so that indices are the message numbers.
    std::array<std::string, size + 1> msg_text;
};

void set_messages(Messages &m);

// The text show_msg displays: for show_entry entry msgno (empty when unset or out of range)
// followed by text; for any other kind text alone.
std::string compose_msg(const Messages &m, int kind, int msgno, const std::string &text);

} // namespace kestle
