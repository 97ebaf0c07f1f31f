// Eponymous virtual tables (tables that exist without CREATE VIRTUAL TABLE, as the catalog and
// the table functions do): the engine's module set up from a table type's callbacks.
#pragma once

#include <sqlite3.h>

#include <string>

namespace zal {

// T has the callbacks as static members: connect, best_index, disconnect, open, close,
// filter, next, eof, column and rowid.
template <typename T>
sqlite3_module eponymous_module() {
    sqlite3_module m{};
    m.iVersion = 1;
    m.xCreate = nullptr; // eponymous only
    m.xConnect = T::connect;
    m.xBestIndex = T::best_index;
    m.xDisconnect = T::disconnect;
    m.xDestroy = T::disconnect;
    m.xOpen = T::open;
    m.xClose = T::close;
    m.xFilter = T::filter;
    m.xNext = T::next;
    m.xEof = T::eof;
    m.xColumn = T::column;
    m.xRowid = T::rowid;
    return m;
}

// The message of a callback that fails, which the engine reports for the statement.
inline void set_vtab_error(sqlite3_vtab *v, const std::string &message) {
    sqlite3_free(v->zErrMsg);
    v->zErrMsg = sqlite3_mprintf("%s", message.c_str());
}

} // namespace zal
