// The session, catalog, IF and loading commands, and RUNSTATS.

#include "commands.h"

#include "presentation.h"
#include "program.h"
#include "runner.h"
#include "session.h"
#include "sql_exec.h"
#include "text.h"
#include "zal_connect.h"
#include "zal_sql.h"

#include <cstdint>
#include <deque>

namespace kestle {

namespace {

std::string first_key(const Program &p) { return p.cmd.opt_count > 0 ? upper(p.cmd.opt_key[1]) : std::string(); }

// A RUNSTATS that collected nothing says why, and the run does not end "Command completed".
void runstats_failed(Program &p, int kind, const std::string &text) {
    p.show_failure(kind, popup_yes, kind == show_entry ? msg_runstats_error : msg_none, text, "ZAL_runstats");
}

// Runs a catalog query as an interactive statement. A failing one leaves the database's message
// in place of "Command executed"; an empty listing is no failure.
void list_catalog(Program &p, const std::string &sql, const char *routine) {
    do_cmd(p, sql, true);
    if (p.session.sql_rc == 0 || p.exec.no_rows)
        p.show_msg(show_entry, popup_no, msg_command_executed, "", routine);
}

} // namespace

void no_arguments(Program &p, const char *routine) {
    p.show_failure(show_entry, popup_yes, msg_no_arguments, "", routine);
}

bool has_arguments(Program &p, const char *routine) {
    if (p.cmd.opt_count > 0)
        return true;
    no_arguments(p, routine);
    return false;
}

bool read_options(Program &p, const char *routine, const OptionSetter &set) {
    const ParsedCommand &c = p.cmd;
    for (std::size_t i = 1; i <= static_cast<std::size_t>(c.opt_count); ++i) {
        const std::string key = upper(c.opt_key[i]);
        if (!set(key, c.opt_value[i])) {
            p.show_failure(show_entry, popup_yes, msg_invalid_keyword, key, routine);
            return false;
        }
    }
    return true;
}

bool read_options(Program &p, const char *routine, std::span<const Option> options) {
    return read_options(p, routine, [&](const std::string &key, const std::string &value) {
        for (const Option &o : options)
            if (key == o.key) {
                o.take(value);
                return true;
            }
        return false;
    });
}

void cmd_clear(Program &p) {
    auto *sql = dynamic_cast<ZALSQL *>(form_at(p, find_form(p, window_sql, -1)));
    if (!sql)
        return;
    sql->set_command_text("");
    p.show_msg(show_entry, popup_no, msg_command_executed, "", "cmd_clear");
}

void cmd_kill(Program &p) {
    p.run.stop_run = true;
    p.show_msg(show_entry, popup_no, msg_command_executed, "", "cmd_kill");
}

void cmd_connect(Program &p) {
    Settings &st = p.settings;
    if (p.cmd.opt_count == 0) {
        p.connect_dialog().show_form();
        return;
    }
    // Each setting is also a variable of its own name.
    auto setting = [&p](const char *key, std::string &target) {
        return Option(key, [&p, key, &target](const std::string &value) {
            target = value;
            var_add(p.vars, key, target);
        });
    };
    if (!read_options(p, "cmd_connect",
                      {setting("USERID", st.db_user), setting("PASSWORD", st.db_password),
                       setting("DATABASE", st.db_name)}))
        return;
    ZAL_disconnect(p);
    if (ZAL_connect(p, st.db_name, st.db_user, st.db_password) == 0) {
        p.show_msg(show_entry, popup_no, msg_connected, st.db_name, "cmd_connect");
    } else {
        // also when the library itself could not be bound
        p.show_failure(show_entry, popup_yes, msg_connect_error, st.db_name, "cmd_connect");
    }
}

void cmd_view(Program &p) {
    if (!has_arguments(p, "cmd_view"))
        return;
    p.session.sql_rc = ZAL_view(p, p.cmd.cmd_args);
    if (!p.run.cmd_error)
        p.show_msg(show_entry, popup_no, msg_command_executed, "", "cmd_view");
}

void cmd_tables(Program &p) {
    const std::string condition = p.cmd.opt_count > 0 ? "AND NAME LIKE " + sql_literal("%" + first_key(p) + "%") : "";
    list_catalog(p, "SELECT NAME, TYPE FROM SYSORL.SYSTABLES WHERE CREATOR=USER " + condition, "cmd_tables");
}

void cmd_describe(Program &p) {
    list_catalog(p,
                 "SELECT TBNAME, NAME, COLTYPE, LENGTH, SCALE FROM SYSORL.SYSCOLUMNS WHERE TBNAME LIKE  " +
                     sql_literal("%" + first_key(p) + "%"),
                 "cmd_describe");
}

void cmd_sqlload(Program &p) {
    if (!has_arguments(p, "cmd_sqlload"))
        return;
    const std::string file = p.cmd.cmd_args; // readops may parse further commands
    var_add(p.vars, "FILE", file);
    bool complete = false;
    readops(p, file, &complete);
    // The reader's message says what is missing; the run's completion must not hide it.
    if (!complete)
        p.run.cmd_error = true;
}

void cmd_ply(Program &p) {
    if (!has_arguments(p, "cmd_ply"))
        return;
    const std::string key = first_key(p);
    bool outcome = true;
    if (key == "EXISTS" || key == "NOTEXISTS") {
        Session &s = p.session;
        const std::string sql = "SELECT NAME FROM SYSORL.SYSTABLES WHERE NAME=" + sql_literal(upper(p.cmd.opt_value[1]));
        if (cli_failed(run_statement(p, sql))) {
            ZAL_error(p);
            return;
        }
        const bool present = s.cli.Fetch(s.hstmt) != SQL_NO_DATA_FOUND;
        outcome = key == "EXISTS" ? present : !present;
        drop_statement(p);
    }
    p.run.exec_enabled = outcome;
}

void ZAL_runstats(Program &p) {
    if (!has_arguments(p, "ZAL_runstats"))
        return;
    Session &s = p.session;
    if (cli_failed(run_statement(p, "VALUES CURRENT USER"))) {
        ZAL_sqlerror(p);
        return;
    }
    SQLSMALLINT columns = 0;
    s.cli.NumResultCols(s.hstmt, &columns);
    if (columns <= 0) {
        s.sql_rc = ZAL_close(p); // nothing to say, but the statement is not left open
        return;
    }
    auto &buf = p.exec.fetch_buf;
    SQLINTEGER ind = 0;
    s.sql_rc = s.cli.BindCol(s.hstmt, 1, SQL_C_CHAR, &buf[1], 32, &ind);
    if (s.sql_rc != SQL_SUCCESS) {
        ZAL_sqlerror(p);
        return;
    }
    buf.fill(0);
    s.sql_rc = s.cli.Fetch(s.hstmt);
    if (s.sql_rc == SQL_NO_DATA_FOUND) {
        runstats_failed(p, show_entry, " Failed to find user");
        s.sql_rc = ZAL_close(p);
        return;
    }
    std::string user;
    if (row_fetched(static_cast<SQLRETURN>(s.sql_rc)))
        user = trim(ByteToStr(buf, 1, 32));
    if (user.empty()) {
        runstats_failed(p, show_entry, " User name is blank");
        s.sql_rc = ZAL_close(p);
        return;
    }
    const std::string target = user + "." + first_key(p);
    if (auto *runstats = p.routines.routine<int32_t(const char *)>("runstats")) {
        s.sql_rc = runstats(target.c_str());
        if (s.sql_rc != 0)
            runstats_failed(p, show_entry, (s.sql_rc > 0 ? " " : "") + std::to_string(s.sql_rc));
    } else {
        runstats_failed(p, show_text, "Error executing RUNSTATS: " + p.routines.unbound_reason());
    }
    s.sql_rc = ZAL_close(p);
}

int ZAL_load(Program &p, const std::string &text) {
    Session &s = p.session;
    alloc_statement(p);
    if (cli_failed(s.sql_rc)) {
        ZAL_error(p);
        return 0;
    }
    // The bindings are read when the statement executes, so their names stay put until then.
    struct FileEntry {
        std::string name;
        SQLSMALLINT length = 0;
        SQLUINTEGER options = SQL_FILE_READ;
        SQLINTEGER indicator = 0;
    };
    std::deque<FileEntry> files;
    const std::size_t first = text.find('[');
    for (std::size_t open = first; open != std::string::npos;) {
        const std::size_t close = text.find(']', open + 1);
        if (close == std::string::npos)
            break;
        FileEntry &f = files.emplace_back();
        f.name = text.substr(open + 1, close - open - 1);
        f.length = static_cast<SQLSMALLINT>(std::min<std::size_t>(f.name.size(), INT16_MAX));
        s.sql_rc = s.cli.BindFileToParam(s.hstmt, static_cast<SQLUSMALLINT>(files.size()), SQL_BLOB,
                                         reinterpret_cast<SQLCHAR *>(f.name.data()), &f.length, &f.options, 255,
                                         &f.indicator);
        if (cli_failed(s.sql_rc)) {
            ZAL_error(p);
            return 0;
        }
        open = text.find('[', close);
    }
    if (files.empty()) {
        drop_statement(p); // nothing to run, and nothing left open
        return -1;
    }
    if (cli_failed(prepare_execute(p, "insert " + text.substr(0, first)))) {
        ZAL_error(p);
        return 0;
    }
    drop_statement(p);
    p.show_msg(show_entry, popup_no, msg_sql_completed, "", "ZAL_load");
    return 0;
}

} // namespace kestle
