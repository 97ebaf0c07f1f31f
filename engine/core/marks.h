// Statement text marks, field strings, the SQL-window slots with their recall rings, window
// lookup by Tag, and reading a whole text file as one line.
#pragma once

#include "text.h"

#include <array>
#include <concepts>
#include <initializer_list>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestle {

// "~" back to a line break and "^" to a tab (flat: both to blanks, for execution); one leading
// "~" is dropped and leading blanks are removed.
std::string expand_marks(const std::string &s, bool flat);

// One value of a field string: a text, or a number in invariant form.
struct Field {
    Field(const std::string &s) : text(s) {}
    Field(const char *s) : text(s) {}
    template <std::integral T>
    Field(T n) : text(std::to_string(n)) {}
    Field(double d);
    std::string text;
};

// Each value trimmed and followed by "^": 1 and 7 give "1^7^".
std::string join_fields(std::initializer_list<Field> fields);

// The fields of s, the pieces that a "^" closes, at most `most` of them.
std::vector<std::string_view> field_pieces(std::string_view s, std::size_t most);

namespace detail {
inline void assign_field(const std::string_view *f, std::string &target) {
    target = f ? trim(*f) : std::string();
}
template <std::signed_integral T>
void assign_field(const std::string_view *f, T &target) {
    target = f ? static_cast<T>(lenient_integer(*f, std::numeric_limits<T>::min(), std::numeric_limits<T>::max()))
               : T(0);
}
template <std::floating_point T>
void assign_field(const std::string_view *f, T &target) {
    target = f ? static_cast<T>(lenient_number(*f)) : T(0);
}
} // namespace detail

// Reads the fields of s into the targets in order: a text target gets the trimmed field, a
// number target the number at its head (integers rounded, a half to even); a missing field
// gives 0 or the empty text.
template <class... T>
void split_fields(const std::string &s, T &...targets) {
    std::vector<std::string_view> fields = field_pieces(s, sizeof...(T));
    std::size_t k = 0;
    ((detail::assign_field(k < fields.size() ? &fields[k] : nullptr, targets), ++k), ...);
}

struct Slots {
    static constexpr int size = 30;
    static constexpr int ring = 5;
    // Index 0 unused throughout, so that indices are slot numbers and ring positions.
    std::array<bool, size + 1> sql_slot_used{};
    std::array<std::array<std::string, ring + 2>, size + 1> sql_history; // entries 1 to 5
    std::array<int, size + 1> sql_history_pos{};                          // 1 to 5
};

// The first free slot, marked used with an empty ring at position 1; -1 when all are used.
int sql_slot_alloc(Slots &slots);

// Frees a slot (its ring stays until the slot is taken again); returns slot. Numbers outside
// 1 to 30 are ignored.
int sql_slot_free(Slots &slots, int slot);

// The recall ring of a slot: a push stores text at the next position unless it equals the
// entry at the current one (after 5 comes 1); a step back moves to the previous position
// (before 1 comes 5) and returns its entry, empty or not. Slots outside 1 to 30 are ignored.
void sql_history_push(Slots &slots, int slot, const std::string &text);
std::string sql_history_back(Slots &slots, int slot);

// The kinds of window a Tag names: its first field.
inline constexpr int window_sql = 1;
inline constexpr int window_output = 2;

// The window-free part of find_form: tags are the Tags of the open windows, oldest first;
// the result is the index of the newest whose Tag reads as kind and slot (slot -1: any), or -1.
int find_form(std::span<const std::string> tags, int kind, int slot);

// The whole text file as one line, each line preceded by a blank; empty when the file cannot
// be read.
std::string read_file(const std::string &fileName);

} // namespace kestle
