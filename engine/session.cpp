// Connecting and disconnecting, the statement handle, and the display of the database's errors.

#include "session.h"

#include "program.h"
#include "text.h"
#include "text_codec.h"
#include "tree.h"
#include "zal_master.h"

#include <zalapp.h>

#include <QTreeWidget>

#include <array>
#include <cstring>

namespace kestle {

namespace {

std::string unbound_text(const Cli &cli) {
    return "SQL CLI Driver Error: " + cli.unbound_reason();
}

// Frees the handles of a connection that is no longer used; codes are not kept.
void release(Cli &cli, SQLHENV henv, SQLHDBC hdbc, bool connected) {
    if (connected)
        cli.Disconnect(hdbc);
    if (hdbc)
        cli.FreeConnect(hdbc);
    if (henv)
        cli.FreeEnv(henv);
}

SQLRETURN connect_once(Session &s, const std::string &database, const std::string &userid,
                       const std::string &password) {
    std::string db = database, user = userid, pwd = password; // the CLI takes writable text
    return s.cli.Connect(s.hdbc, reinterpret_cast<SQLCHAR *>(db.data()), SQL_NTS,
                         reinterpret_cast<SQLCHAR *>(user.data()), SQL_NTS, reinterpret_cast<SQLCHAR *>(pwd.data()),
                         SQL_NTS);
}

} // namespace

SQLRETURN alloc_statement(Program &p) {
    Session &s = p.session;
    SQLHSTMT h = 0;
    s.sql_rc = s.cli.AllocStmt(s.hdbc, &h);
    s.hstmt = h;
    return static_cast<SQLRETURN>(s.sql_rc);
}

void drop_statement(Program &p) {
    Session &s = p.session;
    s.sql_rc = s.cli.FreeStmt(s.hstmt, SQL_DROP);
    // A dropped handle is never asked for diagnostics again: the next error then reports the
    // connection's own.
    s.hstmt = 0;
}

std::string diagnostic_message(Program &p, int *native) {
    Session &s = p.session;
    std::array<SQLCHAR, 10> state{};
    std::array<SQLCHAR, 512> message{};
    SQLINTEGER code = 0;
    SQLSMALLINT length = 0;
    s.sql_rc = s.cli.Error(s.henv, s.hdbc, s.hstmt, state.data(), &code, message.data(), 512, &length);
    if (native)
        *native = code;
    if (s.cli.unavailable())
        return unbound_text(s.cli);
    if (s.sql_rc == SQL_NO_DATA_FOUND || s.sql_rc == SQL_INVALID_HANDLE) {
        // No diagnostic to show: a statement while no connection exists would otherwise fail
        // without a word.
        if (!s.db_connected)
            return p.messages.msg_text[msg_no_connection];
    }
    // The text ends at its NUL, and never past the field.
    const auto *text = reinterpret_cast<const char *>(message.data());
    return std::string(text, strnlen(text, message.size()));
}

std::string error_text(Program &p, int *native) {
    return error_text_of(diagnostic_message(p, native));
}

int ZAL_connect(Program &p, const std::string &database, const std::string &userid, const std::string &password) {
    Session &s = p.session;
    // A new attempt works on fresh handles; the session's current ones come back when it fails.
    const SQLHENV old_henv = s.henv;
    const SQLHDBC old_hdbc = s.hdbc;
    const SQLHSTMT old_hstmt = s.hstmt;
    auto give_up = [&] {
        release(s.cli, s.henv != old_henv ? s.henv : 0, s.hdbc != old_hdbc ? s.hdbc : 0, false);
        s.henv = old_henv;
        s.hdbc = old_hdbc;
        s.hstmt = old_hstmt;
        return -1;
    };

    SQLHENV henv = 0;
    s.sql_rc = s.cli.AllocEnv(&henv);
    if (s.cli.unavailable()) {
        p.message_box(unbound_text(s.cli));
        return -1;
    }
    if (s.sql_rc != SQL_SUCCESS) {
        p.message_box("SQL CLI Driver Error: Environment handle failure");
        return -1;
    }
    s.henv = henv;
    s.hdbc = 0;
    s.hstmt = 0;
    SQLHDBC hdbc = 0;
    s.sql_rc = s.cli.AllocConnect(s.henv, &hdbc);
    if (s.sql_rc != SQL_SUCCESS) {
        p.message_box("SQL CLI Driver Error: Can Allocate a connection handle");
        return give_up();
    }
    s.hdbc = hdbc;

    s.sql_rc = connect_once(s, database, userid, password);
    if (s.sql_rc != SQL_SUCCESS) {
        s.sql_rc = ZAL_start(p);
        s.sql_rc = connect_once(s, database, userid, password);
        if (s.sql_rc != SQL_SUCCESS) {
            ZAL_error(p);
            return give_up();
        }
    }

    // The connection this one replaces is closed rather than left open behind it.
    if (s.db_connected && old_hdbc != s.hdbc)
        release(s.cli, old_henv, old_hdbc, true);
    s.db_connected = true;
    p.show_msg(show_entry, popup_no, msg_connected, database, "ZAL_connect");
    return 0;
}

int ZAL_start(Program &p) {
    auto *start = p.session.zalapp.routine<decltype(zalStartManager)>("zalStartManager");
    if (!start)
        return -1;
    zal_sqlca ca{};
    return start(nullptr, &ca);
}

int ZAL_disconnect(Program &p) {
    Session &s = p.session;
    if (s.db_connected) {
        release(s.cli, s.henv, s.hdbc, true);
        s.henv = s.hdbc = s.hstmt = 0;
    }
    s.db_connected = false;
    return 0;
}

int ZAL_close(Program &p) {
    Session &s = p.session;
    drop_statement(p);
    s.sql_rc = s.cli.EndTran(SQL_HANDLE_DBC, s.hdbc, SQL_COMMIT);
    return 0;
}

int ZAL_error(Program &p) {
    int native = 0;
    const std::string text = trim(error_text(p, &native));
    p.show_failure(show_text, native, msg_none, text, "ZAL_error");
    drop_statement(p);
    return 0;
}

void ZAL_sqlerror(Program &p, QTreeWidgetItem *node) {
    const std::string text = error_text(p);
    if (node) {
        set_node_image(node, "sql-error");
        auto *warning = new QTreeWidgetItem(node);
        warning->setText(0, qt(text));
        set_node_image(warning, "warning");
        set_node_tag(warning, text);
    }
    p.show_failure(show_text, popup_yes, msg_none, text, "ZAL_sqlerror");
    ZAL_close(p);
}

} // namespace kestle
