// zalexpln: the explain tool of the ZAL product.
// For each statement of an input file it writes the estimated cost and the access plan to an output
// file, without running the statement.
#include "ascii.h"
#include "connection.h"
#include "diagnostics.h"
#include "dialect.h"
#include "query.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr const char *usage =
    "usage: zalexpln -d database -f input -o output [-z delimiter] [-t] [-g]\n"
    "Writes the estimated cost and the access plan of each statement of the input file, split at\n"
    "the delimiter (default \";\"), to the output file. The statements are not run.\n"
    "-t and -g are accepted and change nothing.\n";

using zal::Condition;
using zal::text_of;

enum Exit { exit_ok = 0, exit_failed = 1, exit_usage = 2 };

const std::string separator(72, '=');

// A table whose rows cannot be counted (a table function) is taken to hold this many.
constexpr double unknown_rows = 1000;

struct Options {
    std::string database, input, output, delimiter = ";";
    std::vector<std::string> errors;
};

Options parse_options(int argc, char **argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-t" || arg == "-g")
            continue;
        std::string *value = arg == "-d" ? &o.database : arg == "-f" ? &o.input : arg == "-o" ? &o.output
                                                       : arg == "-z" ? &o.delimiter : nullptr;
        if (!value) {
            o.errors.push_back(text_of(Condition::OptionNotValid, {"zalexpln", arg}));
        } else if (i + 1 >= argc || std::strlen(argv[i + 1]) == 0) {
            o.errors.push_back(text_of(Condition::OptionNeedsValue, {"zalexpln", arg}));
        } else {
            *value = argv[++i];
        }
    }
    if (o.errors.empty()) {
        if (o.database.empty())
            o.errors.push_back(text_of(Condition::NoDatabaseGiven));
        if (o.input.empty())
            o.errors.push_back(text_of(Condition::NoInputGiven));
        if (o.output.empty())
            o.errors.push_back(text_of(Condition::NoOutputGiven));
    }
    return o;
}

using zal::trim;
using zal::upper;

// Splits at the delimiter where it stands outside strings, quoted names and comments.
std::vector<std::string> split_statements(const std::string &text, const std::string &delimiter) {
    std::vector<std::pair<size_t, size_t>> quoted; // [begin, end) of text the delimiter cannot cut
    size_t offset = 0;
    for (const zal::Token &t : zal::lex(text)) {
        if (t.kind == zal::TokenKind::String || t.kind == zal::TokenKind::QuotedIdent ||
            t.kind == zal::TokenKind::Blob || t.kind == zal::TokenKind::Comment)
            quoted.emplace_back(offset, offset + t.text.size());
        offset += t.text.size();
    }
    std::vector<std::string> out;
    auto keep = [&](size_t from, size_t to) {
        std::string piece = trim(text.substr(from, to - from));
        if (!zal::significant(zal::lex(piece)).empty())
            out.push_back(piece);
    };
    size_t start = 0, q = 0;
    for (size_t i = 0; i < text.size();) {
        while (q < quoted.size() && quoted[q].second <= i)
            ++q;
        if (q < quoted.size() && quoted[q].first <= i) {
            i = quoted[q].second;
            continue;
        }
        if (text.compare(i, delimiter.size(), delimiter) == 0) {
            keep(start, i);
            i += delimiter.size();
            start = i;
            continue;
        }
        ++i;
    }
    keep(start, text.size());
    return out;
}

struct PlanNode {
    std::string detail;
    std::vector<size_t> children;
};

struct Estimate {
    double cost = 0;
    double rows = 1;
};

// The cost estimate. It counts rows read, one unit a row:
// - a full scan reads every row of its table; an index search reads log2(rows) to find its place
//   and then the rows it is expected to return;
// - the loops of one level are nested: each is repeated for every row of the loops before it;
// - a sort (temporary B-tree) of n rows costs n log2 n;
// - a subquery or materialized view costs what its own plan costs, a correlated one once for
//   every row that reaches it;
// - an automatic index costs building it (rows log2 rows) once, then searches.
// A table's rows are CARD from SYSORL.SYSTABLES once RUNSTATS has run, else its row count. A search
// on all columns of a unique key returns 1 row; otherwise the index statistics of RUNSTATS tell
// the rows per key, and without them an equality returns a tenth and a range a third of the table.
class Explainer {
public:
    explicit Explainer(zal::Connection &c) : c_(c) {}

    // The report of one statement; false when it cannot be explained.
    bool explain(const std::string &statement, std::string &report) {
        const zal::Translation t = zal::translate(statement);
        if (t.kind == zal::StatementKind::CreateFunction || t.kind == zal::StatementKind::DropFunction ||
            t.kind == zal::StatementKind::Commit || t.kind == zal::StatementKind::Rollback) {
            report += zal::diagnose(Condition::NoAccessPlan).message() + "\n";
            return false;
        }
        std::vector<PlanNode> nodes;
        zal::Diagnostic error;
        if (!plan_of(t.sql, nodes, error)) {
            report += error.message() + "\n";
            return false;
        }
        find_aliases(t.sql);
        derived_.clear();
        const Estimate e = level(nodes, nodes[0].children);
        char cost[64];
        std::snprintf(cost, sizeof cost, "%.2f", e.cost);
        report += "Estimated Cost = " + std::string(cost) + "\n\nAccess Plan:\n";
        print(nodes, nodes[0].children, 1, report);
        return true;
    }

private:
    // nodes[0] is the root; the plan rows hang below it by their parent ids.
    bool plan_of(const std::string &sql, std::vector<PlanNode> &nodes, zal::Diagnostic &error) {
        // one statement at a time, as the CLI has it
        zal::Query plan = c_.prepare("EXPLAIN QUERY PLAN " + sql, error);
        if (!plan.prepared())
            return false;
        nodes.assign(1, {});
        std::map<int64_t, size_t> by_id{{0, 0}};
        const bool read = plan.each([&](const zal::Query &row) {
            nodes.push_back({row.text(3), {}});
            by_id[row.integer(0)] = nodes.size() - 1;
            auto p = by_id.find(row.integer(1));
            nodes[p == by_id.end() ? 0 : p->second].children.push_back(nodes.size() - 1);
        });
        if (!read)
            error = c_.engine_error(plan.rc());
        return read;
    }

    void print(const std::vector<PlanNode> &nodes, const std::vector<size_t> &ids, int depth, std::string &report) {
        for (size_t id : ids) {
            report += std::string(static_cast<size_t>(depth) * 2, ' ') + product_names(nodes[id].detail) + "\n";
            print(nodes, nodes[id].children, depth + 1, report);
        }
    }

    // The engine makes an index of its own for a table's primary key; the report names it as
    // the product does, after the table: PK_DEPARTMENT.
    std::string product_names(std::string detail) {
        for (const char *marker : {"USING INDEX ", "USING COVERING INDEX "}) {
            const auto at = detail.find(marker);
            if (at == std::string::npos)
                continue;
            const size_t start = at + std::strlen(marker);
            const size_t end = std::min(detail.find(' ', start), detail.size());
            const std::string index = detail.substr(start, end - start);
            std::string table;
            ask("SELECT m.tbl_name FROM sqlite_master m, pragma_index_list(m.tbl_name) l "
                "WHERE m.type = 'index' AND m.name = ?1 AND l.name = m.name AND l.origin = 'pk'",
                {index}, [&](const zal::Query &row) { table = row.text(0); });
            if (!table.empty())
                detail.replace(start, end - start, "PK_" + upper(table));
        }
        return detail;
    }

    Estimate level(const std::vector<PlanNode> &nodes, const std::vector<size_t> &ids) {
        double cost = 0, flow = 1;
        for (size_t id : ids) {
            const std::string &d = nodes[id].detail;
            const std::vector<size_t> &children = nodes[id].children;
            if (d.starts_with("SCAN ") || d.starts_with("SEARCH ")) {
                const Loop l = loop(d);
                cost += l.setup + flow * l.probe;
                flow *= l.rows;
            } else if (d.starts_with("MULTI-INDEX OR")) {
                double probe = 0, rows = 0;
                for (size_t index : children) {
                    const Estimate e = level(nodes, nodes[index].children);
                    probe += e.cost;
                    rows += e.rows;
                }
                cost += flow * probe;
                flow *= rows;
            } else if (d.starts_with("USE TEMP B-TREE")) {
                cost += flow * std::log2(flow + 1);
            } else if (d.starts_with("MATERIALIZE ") || d.starts_with("CO-ROUTINE ")) {
                const Estimate e = level(nodes, children);
                cost += e.cost;
                derived_[upper(d.substr(d.find(' ') + 1))] = e.rows;
            } else if (d.starts_with("CORRELATED ")) {
                cost += flow * level(nodes, children).cost;
            } else if (d.starts_with("COMPOUND QUERY")) {
                double rows = 0;
                for (size_t part : children) {
                    const Estimate e = level(nodes, nodes[part].children);
                    cost += e.cost;
                    rows += e.rows;
                }
                flow *= rows;
            } else if (!children.empty()) {
                cost += level(nodes, children).cost;
            }
        }
        return {cost, flow};
    }

    struct Loop {
        double setup = 0; // once, before the loop
        double probe = 0; // each time the loop runs
        double rows = 1;  // rows each run returns
    };

    Loop loop(const std::string &detail) {
        std::istringstream words(detail);
        std::string verb, name;
        words >> verb >> name;
        if (verb == "SCAN" && name == "CONSTANT")
            return {0, 1, 1};
        const std::string table = table_of(name);
        const double rows = table.empty() ? derived_rows(name) : table_rows(table);
        if (verb == "SCAN")
            return {0, rows, rows};
        // SEARCH name USING ... (constraints)
        const auto open = detail.rfind('(');
        const std::string constraints = open == std::string::npos ? "" : detail.substr(open);
        int equalities = 0, ranges = 0;
        for (size_t i = 0; i + 1 < constraints.size(); ++i) {
            if (constraints.compare(i, 2, "=?") == 0 && (i == 0 || !std::strchr("<>!", constraints[i - 1])))
                ++equalities;
            else if (constraints[i] == '<' || constraints[i] == '>')
                ++ranges;
        }
        Loop l;
        double found;
        if (detail.find("INTEGER PRIMARY KEY") != std::string::npos && equalities > 0) {
            found = 1;
        } else if (detail.find("AUTOMATIC") != std::string::npos) {
            l.setup = rows * std::log2(rows + 1);
            found = guess(rows, equalities, ranges);
        } else {
            found = index_rows(table, index_of(detail, table), equalities, rows, ranges);
        }
        found = std::max(1.0, std::min(found, std::max(rows, 1.0)));
        l.probe = std::log2(rows + 1) + found;
        l.rows = found;
        return l;
    }

    static double guess(double rows, int equalities, int ranges) {
        if (equalities > 0)
            return rows / 10;
        return ranges > 0 ? rows / 3 : rows;
    }

    // "USING [COVERING] INDEX name" or "USING PRIMARY KEY" (the index of the table's key).
    std::string index_of(const std::string &detail, const std::string &table) {
        for (const char *marker : {"USING INDEX ", "USING COVERING INDEX "}) {
            const auto at = detail.find(marker);
            if (at != std::string::npos) {
                std::istringstream rest(detail.substr(at + std::strlen(marker)));
                std::string name;
                rest >> name;
                return name;
            }
        }
        if (detail.find("USING PRIMARY KEY") != std::string::npos && !table.empty()) {
            std::string pk;
            ask("SELECT name FROM pragma_index_list(?1) WHERE origin = 'pk'", {table},
                [&](const zal::Query &row) { pk = row.text(0); });
            return pk;
        }
        return {};
    }

    double index_rows(const std::string &table, const std::string &index, int equalities, double rows, int ranges) {
        if (!index.empty() && equalities > 0) {
            bool unique = false;
            int columns = 0;
            ask("SELECT \"unique\" FROM pragma_index_list(?1) WHERE name = ?2", {table, index},
                [&](const zal::Query &row) { unique = row.integer(0) != 0; });
            ask("SELECT count(*) FROM pragma_index_info(?1)", {index},
                [&](const zal::Query &row) { columns = static_cast<int>(row.integer(0)); });
            if (unique && equalities >= columns)
                return 1;
            // sqlite_stat1: "rows rows-per-first-column rows-per-first-two-columns ..."
            std::string stat;
            ask("SELECT stat FROM sqlite_stat1 WHERE tbl = ?1 AND idx = ?2", {table, index},
                [&](const zal::Query &row) { stat = row.text(0); });
            std::istringstream numbers(stat);
            std::vector<double> per_key;
            for (double n; numbers >> n;)
                per_key.push_back(n);
            if (per_key.size() > static_cast<size_t>(equalities))
                return per_key[static_cast<size_t>(equalities)];
        }
        return guess(rows, equalities, ranges);
    }

    // Runs a question of the tool's own and hands each row to f; false when it fails.
    template <typename F>
    bool ask(const std::string &sql, std::initializer_list<std::string_view> args, F &&f) {
        return zal::Query(c_.db(), sql, args).each(f);
    }

    // Whether the name is something the engine can read rows from.
    bool readable(const std::string &name) {
        auto it = readable_.find(upper(name));
        if (it != readable_.end())
            return it->second;
        return readable_[upper(name)] = zal::Query(c_.db(), "SELECT 1 FROM " + zal::quoted_name(name) + " LIMIT 0").prepared();
    }

    // The table a plan line names: an alias of the statement, or the table itself. Empty for a
    // subquery, a view's result or a common table expression.
    std::string table_of(const std::string &name) {
        auto a = aliases_.find(upper(name));
        if (a != aliases_.end())
            return a->second;
        if (derived_.count(upper(name)))
            return {};
        return readable(name) ? name : std::string();
    }

    double derived_rows(const std::string &name) {
        auto it = derived_.find(upper(name));
        return it == derived_.end() ? unknown_rows : it->second;
    }

    double table_rows(const std::string &table) {
        auto it = rows_.find(upper(table));
        if (it != rows_.end())
            return it->second;
        double rows = -1;
        const zal::Translation card = zal::translate("SELECT CARD FROM SYSORL.SYSTABLES WHERE NAME = ?");
        auto take = [&](const zal::Query &row) { rows = row.real(0); };
        ask(card.sql, {upper(table)}, take);
        if (rows < 0 && !ask("SELECT count(*) FROM " + zal::quoted_name(table), {}, take))
            rows = unknown_rows;
        return rows_[upper(table)] = std::max(rows, 0.0);
    }

    // "FROM STAFF S" and "JOIN STAFF AS S": the plan names the table by its alias.
    void find_aliases(const std::string &sql) {
        aliases_.clear();
        const std::vector<zal::Token> t = zal::significant(zal::lex(sql));
        auto is_name = [](const zal::Token &tok) {
            return tok.kind == zal::TokenKind::Ident || tok.kind == zal::TokenKind::QuotedIdent;
        };
        for (size_t i = 0; i + 1 < t.size(); ++i) {
            if (!is_name(t[i]) || (i > 0 && t[i - 1].is_punct(".")) || t[i + 1].is_punct(".") ||
                !readable(zal::identifier_name(t[i])))
                continue;
            size_t a = i + 1;
            if (t[a].is("AS") && a + 1 < t.size())
                ++a;
            if (!is_name(t[a]))
                continue;
            const std::string alias = zal::identifier_name(t[a]);
            if (t[a].kind == zal::TokenKind::Ident &&
                sqlite3_keyword_check(alias.c_str(), static_cast<int>(alias.size())))
                continue;
            aliases_[upper(alias)] = zal::identifier_name(t[i]);
        }
    }

    zal::Connection &c_;
    std::map<std::string, std::string> aliases_;
    std::map<std::string, double> derived_;
    std::map<std::string, double> rows_;
    std::map<std::string, bool> readable_;
};

// Writes the report whole or not at all: beside the file first, then renamed into place, so a
// reader that waits for the file never takes half of it for the report, even on a full disk.
bool write_output(const std::string &file, const std::string &report) {
    const std::string temp = file + ".zalexpln-" + std::to_string(getpid());
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << report;
    out.close();
    std::error_code ec;
    if (out)
        std::filesystem::rename(temp, file, ec);
    if (!out || ec) {
        std::filesystem::remove(temp, ec);
        std::cerr << text_of(Condition::OutputNotWritten, {file}) << "\n";
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::cout << usage;
        return exit_ok;
    }
    const Options o = parse_options(argc, argv);
    if (!o.errors.empty()) {
        std::string report;
        for (const std::string &e : o.errors)
            report += e + "\n";
        std::cerr << report << usage;
        if (!o.output.empty())
            write_output(o.output, report);
        return exit_usage;
    }
    std::ifstream in(o.input, std::ios::binary);
    std::stringstream input;
    input << in.rdbuf();
    if (!in) {
        write_output(o.output, text_of(Condition::InputNotRead, {o.input}) + "\n");
        return exit_failed;
    }
    zal::Diagnostic error;
    std::unique_ptr<zal::Connection> c = zal::Connection::open(o.database, "", error);
    if (!c) {
        write_output(o.output, error.message() + "\n");
        return exit_failed;
    }
    const std::vector<std::string> statements = split_statements(input.str(), o.delimiter);
    if (statements.empty()) {
        write_output(o.output, text_of(Condition::InputEmpty, {o.input}) + "\n");
        return exit_failed;
    }
    Explainer explainer(*c);
    std::string report;
    bool ok = true;
    for (size_t n = 0; n < statements.size(); ++n) {
        report += "Statement " + std::to_string(n + 1) + " (database " + c->database() + "):\n";
        std::istringstream lines(statements[n]);
        for (std::string line; std::getline(lines, line);)
            report += "  " + line + "\n";
        report += "\n";
        if (!explainer.explain(statements[n], report))
            ok = false;
        report += separator + "\n\n";
    }
    if (!write_output(o.output, report))
        return exit_failed;
    return ok ? exit_ok : exit_failed;
}
