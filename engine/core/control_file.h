// The control-file reader: records of a presentation and the tree nodes that show them.
#pragma once

#include <string>
#include <vector>

namespace kestle {

struct Reporter;
struct Settings;

enum StmtKind : int { kind_unknown = -1, kind_section = 1, kind_sql = 2, kind_info = 3,
                      kind_examples = 4, kind_screen = 5 };

struct stmt_rec {
    int kind = 0;
    std::string title;
    std::string file; // screen records only
    std::string info; // note lines, trimmed, joined by CR LF
    std::string sql;  // other body lines, unchanged, joined by CR LF
};

struct ControlFile {
    // Record n is stmts[n] for n from 1 to stmt_count; stmts[0] is unused. The table grows
    // with the file: there is no record limit.
    std::vector<stmt_rec> stmts;
    int stmt_count = 0;
    // Record n, or an empty record for a number outside 1 to stmt_count.
    const stmt_rec &record(int n) const;
};

// A node of the presentation tree, in the order the reader adds them.
struct TreeNode {
    std::string text; // the record's title
    std::string tag;  // " " & the record number
    int parent = -1;  // index of the parent node, -1 for the top level
};

struct ControlLoad {
    int count = 0;               // records read; 0 when a file could not be opened or the
                                 // include limit was passed
    std::vector<TreeNode> nodes; // also those read before such a failure
    bool opened = false;         // the main file was read: the load replaced the presentation
    bool visible = false;        // the whole presentation was read: the tree is made visible
};

// Most control files open at once, the main file included.
inline constexpr int max_include_depth = 10;

// Reads the control file fname (trimmed; relative to the current directory) and the files it
// includes into cf, replacing what it held; a main file that cannot be read leaves cf as it
// was. Shows message 22 for a missing file, the include limit message, and message 23 when the
// load completes.
ControlLoad read_control_file(ControlFile &cf, const Settings &s, Reporter &r, const std::string &fname);

} // namespace kestle
