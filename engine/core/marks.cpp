// Statement marks, field strings, SQL-window slots and their recall rings, window lookup by Tag.

#include "marks.h"

#include "line_reader.h"

#include <charconv>

namespace kestle {

std::string expand_marks(const std::string &s, bool flat) {
    std::string_view in = s;
    if (in.starts_with('~'))
        in.remove_prefix(1);
    const std::string_view line = flat ? " " : "\r\n";
    const char tab = flat ? ' ' : '\t';
    std::string out;
    out.reserve(in.size() + in.size() / 8);
    for (char c : in) {
        if (c == '~')
            out += line;
        else if (c == '^')
            out += tab;
        else
            out += c;
    }
    return std::string(ltrim_view(out));
}

Field::Field(double d) {
    char buf[32];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, d);
    text.assign(buf, ec == std::errc() ? end : buf);
}

std::string join_fields(std::initializer_list<Field> fields) {
    std::string out;
    for (const Field &f : fields) {
        out += trim_view(f.text);
        out += '^';
    }
    return out;
}

std::vector<std::string_view> field_pieces(std::string_view s, std::size_t most) {
    std::vector<std::string_view> fields;
    std::size_t pos = 0;
    while (fields.size() < most) {
        std::size_t end = s.find('^', pos);
        if (end == std::string_view::npos)
            break;
        fields.push_back(s.substr(pos, end - pos));
        pos = end + 1;
    }
    return fields;
}

int sql_slot_alloc(Slots &slots) {
    for (int slot = 1; slot <= Slots::size; ++slot) {
        if (slots.sql_slot_used[slot])
            continue;
        slots.sql_slot_used[slot] = true;
        for (int i = 1; i <= Slots::ring; ++i)
            slots.sql_history[slot][i].clear();
        slots.sql_history_pos[slot] = 1;
        return slot;
    }
    return -1;
}

int sql_slot_free(Slots &slots, int slot) {
    if (slot >= 1 && slot <= Slots::size)
        slots.sql_slot_used[slot] = false;
    return slot;
}

namespace {

bool valid_slot(int slot) { return slot >= 1 && slot <= Slots::size; }

// A position outside 1 to 5 (a slot never taken) reads as 1.
int &ring_position(Slots &slots, int slot) {
    int &pos = slots.sql_history_pos[static_cast<std::size_t>(slot)];
    if (pos < 1 || pos > Slots::ring)
        pos = 1;
    return pos;
}

} // namespace

void sql_history_push(Slots &slots, int slot, const std::string &text) {
    if (!valid_slot(slot))
        return;
    int &pos = ring_position(slots, slot);
    auto &ring = slots.sql_history[static_cast<std::size_t>(slot)];
    if (ring[static_cast<std::size_t>(pos)] == text)
        return;
    pos = pos % Slots::ring + 1;
    ring[static_cast<std::size_t>(pos)] = text;
}

std::string sql_history_back(Slots &slots, int slot) {
    if (!valid_slot(slot))
        return {};
    int &pos = ring_position(slots, slot);
    pos = pos == 1 ? Slots::ring : pos - 1;
    return slots.sql_history[static_cast<std::size_t>(slot)][static_cast<std::size_t>(pos)];
}

int find_form(std::span<const std::string> tags, int kind, int slot) {
    for (std::size_t i = tags.size(); i-- > 0;) {
        int k = 0, s = 0;
        split_fields(tags[i], k, s);
        if (k == kind && (slot == -1 || s == slot))
            return static_cast<int>(i);
    }
    return -1;
}

std::string read_file(const std::string &fileName) {
    LineReader in(fileName);
    std::string out, line;
    while (in.next(line)) {
        out += ' ';
        out += line;
    }
    return out;
}

} // namespace kestle
