// zal: the command line processor of the ZAL product.
// It runs statements from a script, from its own command line or from standard input through the
// call-level interface, and reports each result as a column table.
#include <zalapp.h>
#include <zalcli.h>

#include "ascii.h"
#include "diagnostics.h"
#include "dialect.h"
#include "manager.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using zal::Condition;
using zal::text_of;

constexpr const char *msg_usage =
    "usage: zal [-t] [-v] [-f script] [-z report] [-o-] [statement]\n"
    "  -t  statements end with \";\" (otherwise each line is a statement)\n"
    "  -v  echo each statement before its result\n"
    "  -f  run the statements of the script file\n"
    "  -z  also write the whole report to the file\n"
    "  -o- write no report to the terminal\n"
    "Without a script or a statement the statements are read from standard input.\n";

enum Exit { exit_ok = 0, exit_failed = 4, exit_unusable = 8 };

// The widest a column is padded to, whatever its declared length (a CLOB(1M) column would
// otherwise fill each line with a million blanks). A longer value is still printed whole.
constexpr size_t max_padded_width = 254;

struct Options {
    bool terminated = false; // -t
    bool echo = false;       // -v
    bool terminal = true;    // cleared by -o-
    std::optional<std::string> script;
    std::optional<std::string> report;
    std::string statement; // the remaining arguments
    std::vector<std::string> errors;
};

Options parse_options(int argc, char **argv) {
    Options o;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.size() < 2 || arg[0] != '-')
            break;
        for (size_t k = 1; k < arg.size(); ++k) {
            const char letter = arg[k];
            if (letter == 't') {
                o.terminated = true;
            } else if (letter == 'v') {
                o.echo = true;
            } else if (letter == 'o') {
                // "-o-" turns the terminal report off, "-o" on
                o.terminal = !(k + 1 < arg.size() && arg[k + 1] == '-');
                k += o.terminal ? 0 : 1;
            } else if (letter == 'f' || letter == 'z') {
                // the value is the rest of this word, or the next word
                std::string value = arg.substr(k + 1);
                if (value.empty() && i + 1 < argc)
                    value = argv[++i];
                if (value.empty())
                    o.errors.push_back(text_of(Condition::OptionNeedsFile, {"zal", "-" + std::string(1, letter)}));
                else
                    (letter == 'f' ? o.script : o.report) = value;
                break;
            } else {
                o.errors.push_back(text_of(Condition::OptionNotValid, {"zal", "-" + std::string(1, letter)}));
            }
        }
    }
    for (; i < argc; ++i)
        o.statement += (o.statement.empty() ? "" : " ") + std::string(argv[i]);
    return o;
}

// Where the report goes: the terminal, the -z file, or both. Text goes straight into the
// streams' buffers; a failed write leaves its stream failed, as the stream's own write would.
class Report {
public:
    Report(bool terminal, std::ofstream *file) : terminal_(terminal), file_(file) {}
    void write(std::string_view text) {
        if (terminal_)
            put(std::cout, text);
        if (file_)
            put(*file_, text);
    }
    void line(const std::string &text) { write(text + "\n"); }
    // Before a shell command runs, so that it sees the report as written so far.
    void flush() {
        std::cout.flush();
        if (file_)
            file_->flush();
    }

private:
    static void put(std::ostream &out, std::string_view text) {
        const auto size = static_cast<std::streamsize>(text.size());
        if (out && out.rdbuf()->sputn(text.data(), size) != size)
            out.setstate(std::ios::badbit);
    }

    bool terminal_;
    std::ofstream *file_;
};

using zal::trim;
using zal::upper;

std::vector<std::string> words_of(const std::string &s) {
    std::istringstream in(s);
    std::vector<std::string> out;
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

// The CLI's message without its three bracketed prefixes, as the product shows it.
std::string message_text(std::string m) {
    for (int i = 0; i < 3 && !m.empty() && m[0] == '['; ++i) {
        const auto close = m.find(']');
        if (close == std::string::npos)
            break;
        m.erase(0, close + 1);
        m.erase(0, m.find_first_not_of(' ') == std::string::npos ? m.size() : m.find_first_not_of(' '));
    }
    return m;
}

// The word where CONNECT TO db [USER u USING p] goes wrong.
std::string connect_error_token(const std::vector<std::string> &w) {
    if (w.size() > 3 && upper(w[3]) != "USER")
        return w[3];
    if (w.size() > 5 && upper(w[5]) != "USING")
        return w[5];
    if (w.size() > 7)
        return w[7];
    return "END-OF-STATEMENT";
}

// Characters, not bytes, so that UTF-8 text lines up.
size_t display_length(std::string_view s) {
    size_t n = 0;
    for (unsigned char c : s)
        n += (c & 0xC0) != 0x80;
    return n;
}

bool numeric(SQLSMALLINT type) {
    switch (type) {
    case SQL_NUMERIC:
    case SQL_DECIMAL:
    case SQL_INTEGER:
    case SQL_SMALLINT:
    case SQL_FLOAT:
    case SQL_REAL:
    case SQL_DOUBLE:
    case SQL_BIGINT:
        return true;
    default:
        return false;
    }
}

// The characters a value of the column takes at most, from the size the interface reports: the
// digits of a number and its sign, point or exponent, two hexadecimal digits a byte of a BLOB.
size_t declared_width(SQLSMALLINT type, SQLUINTEGER size, SQLSMALLINT scale) {
    size_t width = size;
    switch (type) {
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
        width += 1;
        break;
    case SQL_NUMERIC:
    case SQL_DECIMAL:
        width += scale > 0 ? 2 : 1;
        break;
    case SQL_FLOAT:
    case SQL_REAL:
    case SQL_DOUBLE:
        width += 7; // "-", "." and "e-308"
        break;
    case SQL_BLOB:
        width *= 2;
        break;
    default:
        break;
    }
    return std::min(width, max_padded_width);
}

// True when every byte is printable ASCII, so that bytes are characters and none breaks the
// line. Most values are, so the test takes eight bytes at a time, the last eight (or the first
// and last four of a shorter value) overlapping those before.
bool plain_ascii(std::string_view s) {
    constexpr uint64_t ones = 0x0101010101010101, highs = 0x8080808080808080;
    // no byte of 0x80 or more, and none below a blank
    auto plain = [](uint64_t w) { return ((w | ((w - ones * ' ') & ~w)) & highs) == 0; };
    auto word = [](const char *p) {
        uint64_t w;
        std::memcpy(&w, p, 8);
        return w;
    };
    auto half = [](const char *p) {
        uint32_t w;
        std::memcpy(&w, p, 4);
        return uint64_t{w};
    };
    const char *p = s.data();
    const size_t n = s.size();
    if (n >= 8) {
        for (size_t i = 0; i + 8 < n; i += 8)
            if (!plain(word(p + i)))
                return false;
        return plain(word(p + n - 8));
    }
    if (n >= 4)
        return plain(half(p) | half(p + n - 4) << 32);
    for (size_t i = 0; i < n; ++i)
        if (static_cast<unsigned char>(p[i]) < ' ' || static_cast<unsigned char>(p[i]) >= 0x80)
            return false;
    return true;
}

// A line of the report, built in place: values padded to their columns, separated by a blank.
// A wider value is written whole: the rest of its line moves right, but nothing of it is lost.
// Line breaks and tabs inside a value would break the table and become blanks.
class Line {
public:
    void clear() {
        end_ = 0;
        blanks_ = 0;
        cells_ = 0;
    }
    void cell(std::string_view value, size_t width, bool right) {
        const bool plain = plain_ascii(value);
        const size_t length = plain ? value.size() : display_length(value);
        const size_t fill = width > length ? width - length : 0;
        // the blanks after the cell before are written only once a cell follows them
        blanks_ += cells_++ ? 1 : 0;
        if (right)
            blanks_ += fill;
        // blanks go eight at a time, the last of them overwritten by the value
        char *p = room(blanks_ + value.size() + 8);
        for (size_t i = 0; i < blanks_; i += 8)
            std::memcpy(p + i, "        ", 8);
        p += blanks_;
        std::memcpy(p, value.data(), value.size());
        if (!plain)
            std::replace_if(p, p + value.size(), [](char c) { return c == '\n' || c == '\r' || c == '\t'; }, ' ');
        end_ += blanks_ + value.size();
        blanks_ = right ? 0 : fill;
    }
    // The line with its line end and without blanks before it.
    std::string_view finish() {
        while (end_ > 0 && text_[end_ - 1] == ' ')
            --end_;
        *room(1) = '\n';
        ++end_;
        return std::string_view(text_.data(), end_);
    }

private:
    char *room(size_t bytes) {
        if (text_.size() < end_ + bytes)
            grow(end_ + bytes);
        return text_.data() + end_;
    }
    [[gnu::noinline]] void grow(size_t bytes) { text_.resize(std::max(bytes, text_.size() * 2)); }

    std::string text_;
    size_t end_ = 0;    // what the line holds so far
    size_t blanks_ = 0; // the blanks that end it, not written yet
    size_t cells_ = 0;
};

// A result column as the report shows it, with the buffer its values are fetched into.
struct Column {
    std::string name;
    bool right = false;
    size_t width = 0;
    std::vector<char> buffer;
    SQLINTEGER indicator = 0;
};

class Processor {
public:
    Processor(const Options &o, Report &r) : opts_(o), report_(r) {}
    ~Processor() { disconnect(); }

    // Runs one statement as read; false once TERMINATE or QUIT has ended the input.
    bool run(const std::string &statement) {
        if (opts_.echo)
            report_.write(statement + "\n\n");
        bool ok = true;
        const bool more = dispatch(statement, ok);
        if (!ok)
            failed_ = true;
        report_.write("\n");
        return more;
    }
    bool failed() const { return failed_; }

private:
    bool dispatch(const std::string &statement, bool &ok) {
        const std::string text = trim(statement);
        if (!text.empty() && text[0] == '!') {
            ok = shell(text.substr(1));
            return true;
        }
        std::vector<std::string> w = words_of(text);
        if (!w.empty() && w.back().size() > 1 && w.back().back() == ';')
            w.back().pop_back();
        else if (!w.empty() && w.back() == ";")
            w.pop_back();
        const std::string first = w.empty() ? "" : upper(w[0]);
        const std::string second = w.size() > 1 ? upper(w[1]) : "";
        if (w.size() == 1 && (first == "TERMINATE" || first == "QUIT")) {
            disconnect();
            if (first == "TERMINATE")
                report_.line(text_of(Condition::TerminateCompleted));
            return false;
        }
        if (first == "CONNECT" && second == "RESET" && w.size() == 2) {
            disconnect();
            report_.line(text_of(Condition::CommandCompleted));
            return true;
        }
        if (first == "CONNECT" && second == "TO") {
            ok = connect_command(w);
            return true;
        }
        if (w.size() == 3 && first == "START" && second == "DATABASE" && upper(w[2]) == "MANAGER") {
            ok = start_manager();
            return true;
        }
        ok = sql(text);
        return true;
    }

    bool shell(const std::string &command) {
        report_.flush();
        const int status = std::system(command.c_str());
        const int code = status == -1 ? -1 : WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        if (code == 0)
            return true;
        report_.line(text_of(Condition::ShellCommandFailed, {command, std::to_string(code)}));
        return false;
    }

    bool connect_command(const std::vector<std::string> &w) {
        std::string user, password;
        if (w.size() == 7 && upper(w[3]) == "USER" && upper(w[5]) == "USING") {
            user = w[4];
            password = w[6];
        } else if (w.size() != 3) {
            report_.line(text_of(Condition::SyntaxError, {connect_error_token(w)}));
            return false;
        }
        if (!connect(w[2], user, password))
            return false;
        report_.write("   Database Connection Information\n\n"
                      " Database server        = ZAL " ZAL_VERSION "\n"
                      " SQL authorization ID   = " + query_value("VALUES USER") + "\n"
                      " Local database alias   = " + upper(w[2]) + "\n");
        return true;
    }

    bool connect(const std::string &database, const std::string &user, const std::string &password) {
        disconnect();
        SQLAllocEnv(&henv_);
        SQLAllocConnect(henv_, &hdbc_);
        const SQLRETURN rc = SQLConnect(hdbc_, (SQLCHAR *)database.c_str(), SQL_NTS, (SQLCHAR *)user.c_str(),
                                        SQL_NTS, (SQLCHAR *)password.c_str(), SQL_NTS);
        if (rc == SQL_SUCCESS) {
            connected_ = true;
            return true;
        }
        report_.line(diagnostic(0));
        SQLFreeConnect(hdbc_);
        SQLFreeEnv(henv_);
        henv_ = hdbc_ = 0;
        return false;
    }

    void disconnect() {
        if (connected_)
            SQLDisconnect(hdbc_);
        if (hdbc_)
            SQLFreeConnect(hdbc_);
        if (henv_)
            SQLFreeEnv(henv_);
        henv_ = hdbc_ = 0;
        connected_ = false;
    }

    bool start_manager() {
        const zal::ManagerStart start = zal::start_manager();
        const int32_t code = start.result.sqlcode;
        report_.line(code == ZAL_SQLCODE_OK ? text_of(Condition::StartCompleted) : start.result.text);
        if (!start.warning.empty())
            report_.line(start.warning);
        // A manager that is already active is what the statement asks for.
        return code == ZAL_SQLCODE_OK || code == ZAL_SQLCODE_ALREADY_ACTIVE;
    }

    std::string diagnostic(SQLHSTMT hstmt) {
        SQLCHAR state[SQL_SQLSTATE_SIZE + 1] = {};
        SQLCHAR message[SQL_MAX_MESSAGE_LENGTH + 1] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        if (SQLError(henv_, hdbc_, hstmt, state, &native, message, sizeof message, &length) == SQL_NO_DATA_FOUND)
            return "";
        return message_text(reinterpret_cast<char *>(message));
    }

    // Without a CONNECT the program's current database, which it puts in $ZAL_DATABASE.
    bool ensure_connection() {
        if (connected_)
            return true;
        const char *database = std::getenv("ZAL_DATABASE");
        if (!database || !*database) {
            report_.line(text_of(Condition::NoConnection));
            return false;
        }
        return connect(database, "", "");
    }

    // One value of the column, however long.
    bool get_value(SQLHSTMT h, SQLUSMALLINT column, std::optional<std::string> &value) {
        char buffer[4096];
        std::string text;
        SQLRETURN rc;
        do {
            SQLINTEGER ind = 0;
            rc = SQLGetData(h, column, SQL_C_CHAR, buffer, sizeof buffer, &ind);
            if (rc == SQL_ERROR)
                return false;
            if (rc == SQL_NO_DATA_FOUND)
                break;
            if (ind == SQL_NULL_DATA) {
                value.reset();
                return true;
            }
            text.append(buffer, std::min<size_t>(static_cast<size_t>(std::max<SQLINTEGER>(ind, 0)), sizeof buffer - 1));
        } while (rc == SQL_SUCCESS_WITH_INFO);
        value = std::move(text);
        return true;
    }

    std::string query_value(const std::string &sql) {
        SQLHSTMT h = 0;
        std::optional<std::string> value;
        if (SQLAllocStmt(hdbc_, &h) == SQL_SUCCESS) {
            if (SQLExecDirect(h, (SQLCHAR *)sql.c_str(), SQL_NTS) == SQL_SUCCESS && SQLFetch(h) == SQL_SUCCESS)
                get_value(h, 1, value);
            SQLFreeStmt(h, SQL_DROP);
            SQLEndTran(SQL_HANDLE_DBC, hdbc_, SQL_COMMIT);
        }
        return value.value_or("");
    }

    bool sql(const std::string &text) {
        if (!ensure_connection())
            return false;
        SQLHSTMT h = 0;
        if (SQLAllocStmt(hdbc_, &h) != SQL_SUCCESS) {
            report_.line(diagnostic(0));
            return false;
        }
        bool ok = SQLPrepare(h, (SQLCHAR *)text.data(), static_cast<SQLINTEGER>(text.size())) == SQL_SUCCESS &&
                  SQLExecute(h) == SQL_SUCCESS;
        SQLSMALLINT count = 0;
        if (ok)
            SQLNumResultCols(h, &count);
        if (ok && count > 0)
            ok = print_result(h, count);
        else if (ok)
            report_.line(text_of(Condition::CommandCompleted));
        if (!ok)
            report_.line(diagnostic(h));
        SQLFreeStmt(h, SQL_DROP);
        SQLEndTran(SQL_HANDLE_DBC, hdbc_, SQL_COMMIT);
        return ok;
    }

    // Columns are as wide as their declared length or their name, so each row is written as
    // it is fetched and no result is held in memory. A value longer than its buffer is fetched
    // again whole.
    bool print_result(SQLHSTMT h, SQLSMALLINT count) {
        std::vector<Column> columns(static_cast<size_t>(count));
        Line line;
        std::string rule;
        for (SQLUSMALLINT c = 1; c <= count; ++c) {
            SQLCHAR name[129] = {};
            SQLSMALLINT name_len = 0, type = 0, scale = 0, nullable = 0;
            SQLUINTEGER size = 0;
            SQLDescribeCol(h, c, name, sizeof name, &name_len, &type, &size, &scale, &nullable);
            Column &col = columns[c - 1];
            col.name = reinterpret_cast<char *>(name);
            col.right = numeric(type);
            col.width = std::max({declared_width(type, size, scale), display_length(col.name), size_t{1}});
            // a UTF-8 character takes up to four bytes
            col.buffer.resize(col.width * 4 + 1);
            SQLBindCol(h, c, SQL_C_CHAR, col.buffer.data(), static_cast<SQLINTEGER>(col.buffer.size()),
                       &col.indicator);
            line.cell(col.name, col.width, col.right);
            rule.append(c > 1 ? " " : "").append(col.width, '-');
        }
        report_.write(line.finish());
        report_.write(rule + "\n");

        long rows = 0;
        bool ok = true;
        SQLRETURN rc;
        std::optional<std::string> whole;
        while (ok && ((rc = SQLFetch(h)) == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO)) {
            line.clear();
            for (size_t c = 0; ok && c < columns.size(); ++c) {
                const Column &col = columns[c];
                std::string_view value = "-";
                if (col.indicator >= static_cast<SQLINTEGER>(col.buffer.size())) {
                    ok = get_value(h, static_cast<SQLUSMALLINT>(c + 1), whole);
                    value = whole ? std::string_view(*whole) : "-";
                } else if (col.indicator != SQL_NULL_DATA) {
                    value = std::string_view(col.buffer.data(), static_cast<size_t>(col.indicator));
                }
                line.cell(value, col.width, col.right);
            }
            if (!ok)
                break;
            report_.write(line.finish());
            ++rows;
        }
        if (ok && rc == SQL_ERROR)
            ok = false;
        if (ok)
            report_.write("\n  " + std::to_string(rows) + " record(s) selected.\n");
        return ok;
    }

    const Options &opts_;
    Report &report_;
    SQLHENV henv_ = 0;
    SQLHDBC hdbc_ = 0;
    bool connected_ = false;
    bool failed_ = false;
};

// Cuts input lines into statements: with -t at ";" outside quotes and comments, otherwise at
// each line end. A line of its own that starts with "!" is a shell command, one with "--" a
// comment.
class Reader {
public:
    Reader(bool terminated, Processor &p) : terminated_(terminated), p_(p) {}

    bool pending() const { return !pending_.empty(); }

    // False once the processor has ended the input.
    bool line(std::string text) {
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
        const std::string t = trim(text);
        if (!pending()) {
            if (t.empty() || t.starts_with("--"))
                return true;
            if (t[0] == '!') {
                std::string command = t;
                if (terminated_)
                    command = trim(command.substr(0, command.find_last_not_of("; \t") + 1));
                return p_.run(command);
            }
        }
        if (!terminated_)
            return p_.run(t);
        pending_ += pending_.empty() ? text : "\n" + text;
        std::string piece;
        bool significant = false;
        for (const zal::Token &tok : zal::lex(pending_)) {
            if (tok.is_punct(";")) {
                if (significant && !p_.run(trim(piece))) {
                    pending_.clear();
                    return false;
                }
                piece.clear();
                significant = false;
                continue;
            }
            // blanks and comments before a statement are not part of it
            if (!significant && !tok.significant())
                continue;
            significant = true;
            piece += tok.text;
        }
        pending_ = significant ? piece : "";
        return true;
    }

    // A last statement without its ";" still runs.
    void finish() {
        if (pending())
            p_.run(trim(pending_));
        pending_.clear();
    }

private:
    bool terminated_;
    Processor &p_;
    std::string pending_;
};

bool read_stream(std::istream &in, Reader &reader, bool prompt) {
    std::string line;
    while (true) {
        if (prompt && !reader.pending()) {
            std::cout << "zal => " << std::flush;
        }
        if (!std::getline(in, line))
            break;
        if (!reader.line(line))
            return false;
    }
    reader.finish();
    return true;
}

} // namespace

int main(int argc, char **argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0)) {
        std::cout << msg_usage;
        return exit_ok;
    }
    const Options opts = parse_options(argc, argv);
    // a report of many rows goes out in few large writes; the buffer outlives the file
    std::vector<char> file_buffer(1 << 16);
    std::ofstream file;
    file.rdbuf()->pubsetbuf(file_buffer.data(), static_cast<std::streamsize>(file_buffer.size()));
    if (opts.report) {
        file.open(*opts.report, std::ios::binary | std::ios::trunc);
        if (!file) {
            std::cerr << text_of(Condition::ReportNotWritten, {*opts.report}) << "\n";
            return exit_unusable;
        }
    }
    Report report(opts.terminal, opts.report ? &file : nullptr);
    if (!opts.errors.empty()) {
        for (const std::string &e : opts.errors) {
            std::cerr << e << "\n";
            if (opts.report)
                file << e << "\n";
        }
        std::cerr << msg_usage;
        return exit_unusable;
    }
    Processor processor(opts, report);
    Reader reader(opts.terminated, processor);
    if (opts.script) {
        std::ifstream in(*opts.script, std::ios::binary);
        if (!in) {
            const std::string e = text_of(Condition::ScriptNotRead, {*opts.script});
            std::cerr << e << "\n";
            if (opts.report)
                file << e << "\n";
            return exit_unusable;
        }
        read_stream(in, reader, false);
    } else if (!opts.statement.empty()) {
        std::istringstream in(opts.statement);
        read_stream(in, reader, false);
    } else {
        read_stream(std::cin, reader, isatty(STDIN_FILENO) != 0);
    }
    report.flush();
    if (opts.report && !file) {
        std::cerr << text_of(Condition::ReportNotWritten, {*opts.report}) << "\n";
        return exit_unusable;
    }
    return processor.failed() ? exit_failed : exit_ok;
}
