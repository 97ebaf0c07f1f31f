// The statement helper over the engine: prepare, bind, step and finalize in one place.
#include "query.h"

#include <sqlite3.h>

namespace zal {

void Query::prepare(sqlite3 *db, std::string_view sql, int bytes) {
    const char *tail = nullptr;
    rc_ = sqlite3_prepare_v2(db, sql.data(), bytes, &stmt_, &tail);
    if (rc_ != SQLITE_OK) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        return;
    }
    if (tail)
        tail_ = sql.substr(static_cast<size_t>(tail - sql.data()));
}

Query Query::of_string(sqlite3 *db, const std::string &sql) {
    Query q;
    q.prepare(db, sql, static_cast<int>(sql.size()) + 1);
    return q;
}

Query::Query(sqlite3 *db, std::string_view sql, std::initializer_list<std::string_view> params) {
    prepare(db, sql, static_cast<int>(sql.size()));
    if (!stmt_)
        return;
    int i = 1;
    for (std::string_view p : params)
        sqlite3_bind_text(stmt_, i++, p.data(), static_cast<int>(p.size()), SQLITE_TRANSIENT);
}

void Query::finalize() { sqlite3_finalize(stmt_); }

bool Query::next() {
    if (!stmt_)
        return false;
    rc_ = sqlite3_step(stmt_);
    return rc_ == SQLITE_ROW;
}

bool Query::run() {
    while (next()) {
    }
    return done();
}

bool Query::done() const { return stmt_ && rc_ == SQLITE_DONE; }

std::string Query::text(int column) const {
    auto *p = reinterpret_cast<const char *>(sqlite3_column_text(stmt_, column));
    return p ? std::string(p, static_cast<size_t>(sqlite3_column_bytes(stmt_, column))) : std::string();
}

int64_t Query::integer(int column) const { return sqlite3_column_int64(stmt_, column); }

double Query::real(int column) const { return sqlite3_column_double(stmt_, column); }

} // namespace zal
