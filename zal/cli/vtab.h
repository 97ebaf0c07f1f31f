// Eponymous virtual tables (tables that exist without CREATE VIRTUAL TABLE, as the catalog and
// the table functions do): the engine's module set up from a table type's callbacks.
#pragma once

#include "guard.h"

#include <sqlite3.h>

namespace zal {

// T has the callbacks as static members: connect, best_index, disconnect, open, close,
// filter, next, eof, column and rowid. Each is guarded: an exception fails the statement.
template <typename T>
sqlite3_module eponymous_module() {
    sqlite3_module m{};
    m.iVersion = 1;
    m.xCreate = nullptr; // eponymous only
    m.xConnect = Guarded<T::connect>::call;
    m.xBestIndex = Guarded<T::best_index>::call;
    m.xDisconnect = Guarded<T::disconnect>::call;
    m.xDestroy = Guarded<T::disconnect>::call;
    m.xOpen = Guarded<T::open>::call;
    m.xClose = Guarded<T::close>::call;
    m.xFilter = Guarded<T::filter>::call;
    m.xNext = Guarded<T::next>::call;
    m.xEof = Guarded<T::eof>::call;
    m.xColumn = Guarded<T::column>::call;
    m.xRowid = Guarded<T::rowid>::call;
    return m;
}

} // namespace zal
