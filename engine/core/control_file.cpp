// Reading a control file into records and the tree nodes that show them.

#include "control_file.h"

#include "line_reader.h"
#include "messages.h"
#include "report.h"
#include "settings.h"
#include "text.h"

#include <memory>

namespace kestle {

namespace {

struct Header {
    std::string tag, title, file;
};

Header parse_header(std::string_view line) {
    Header h;
    std::string_view rest = line.substr(1);
    std::size_t blank = rest.find(' ');
    h.tag = rest.substr(0, blank);
    if (blank == std::string_view::npos)
        return h;
    rest = rest.substr(blank + 1);
    std::size_t open = rest.find('[');
    std::size_t close = open == std::string_view::npos ? open : rest.find(']', open + 1);
    if (close == std::string_view::npos) {
        h.title = trim(rest);
    } else {
        h.file = trim(rest.substr(open + 1, close - open - 1));
        h.title = trim(rest.substr(close + 1));
    }
    return h;
}

int kind_of(const std::string &tag) {
    if (tag == "section")
        return kind_section;
    if (tag == "examples")
        return kind_examples;
    if (tag == "sql")
        return kind_sql;
    if (tag == "info")
        return kind_info;
    if (tag == "screen")
        return kind_screen;
    return kind_unknown;
}

void append_line(std::string &field, std::string_view line, const std::string &crlf) {
    if (!field.empty())
        field += crlf;
    field += line;
}

} // namespace

const stmt_rec &ControlFile::record(int n) const {
    static const stmt_rec none;
    if (n < 1 || n > stmt_count || n >= static_cast<int>(stmts.size()))
        return none;
    return stmts[static_cast<std::size_t>(n)];
}

ControlLoad read_control_file(ControlFile &cf, const Settings &s, Reporter &r, const std::string &fname) {
    ControlLoad load;
    const std::string name = trim(fname);
    std::vector<std::unique_ptr<LineReader>> open_files;
    open_files.push_back(std::make_unique<LineReader>(name));
    if (!open_files.back()->is_open()) {
        r.show_msg(show_entry, popup_yes, msg_file_not_found, name, "readops");
        return load;
    }
    load.opened = true;
    cf.stmts.assign(1, stmt_rec{});
    cf.stmt_count = 0;

    bool notes = false;
    int section = -1, group = -1; // node indices
    std::string line;
    while (!open_files.empty()) {
        if (!open_files.back()->next(line)) {
            open_files.pop_back();
            continue;
        }
        if (line.starts_with(':')) {
            notes = false;
            Header h = parse_header(line);
            if (h.tag == "*")
                continue;
            if (h.tag == "include") {
                if (static_cast<int>(open_files.size()) >= max_include_depth) {
                    // Also a box at start-up: the presenter must know the presentation was cut.
                    r.show_msg(show_text, popup_yes, msg_none, "Include file maximum exceeded (10)",
                               "readops");
                    return load;
                }
                open_files.push_back(std::make_unique<LineReader>(h.title));
                if (!open_files.back()->is_open()) {
                    r.show_msg(show_entry, popup_yes, msg_file_not_found, h.title, "readops");
                    return load;
                }
                continue;
            }
            const int kind = kind_of(h.tag);
            stmt_rec &rec = cf.stmts.emplace_back();
            rec.kind = kind;
            rec.title = kind == kind_unknown ? "[Unknown tag: " + h.tag + "] " + h.title : h.title;
            if (kind == kind_screen)
                rec.file = std::move(h.file);
            ++cf.stmt_count;

            // Before the first section, section and group are the top level.
            int parent = kind == kind_section ? -1 : kind == kind_examples ? section : group;
            load.nodes.push_back({rec.title, " " + std::to_string(cf.stmt_count), parent});
            int node = static_cast<int>(load.nodes.size()) - 1;
            if (kind == kind_section)
                section = group = node;
            else if (kind == kind_examples)
                group = node;
            continue;
        }

        if (cf.stmt_count == 0)
            continue; // no record yet: body lines and braces are ignored
        stmt_rec &cur = cf.stmts.back();
        if (line.find('{') != std::string::npos)
            notes = true;
        else if (line.find('}') != std::string::npos)
            notes = false;
        else if (notes)
            append_line(cur.info, trim_view(line), s.crlf);
        else
            append_line(cur.sql, line, s.crlf);
    }

    load.count = cf.stmt_count;
    load.visible = true;
    r.show_msg(show_entry, popup_no, msg_file_loaded, fname, "readops");
    return load;
}

} // namespace kestle
