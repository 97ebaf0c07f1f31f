// A statement of the engine's own SQL (the product's bookkeeping, the catalog's look-ups, the
// explain tool's questions): prepared with its text parameters bound, finalized with its scope.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

struct sqlite3;
struct sqlite3_stmt;

namespace zal {

class Query {
public:
    Query() = default;
    Query(sqlite3 *db, std::string_view sql, std::initializer_list<std::string_view> params = {});
    // The same for the whole of a string, which the engine reads in place up to its NUL where
    // it copies a text of a given length first.
    static Query of_string(sqlite3 *db, const std::string &sql);
    // Inline, as every statement of the interface moves one or two.
    ~Query() {
        if (stmt_)
            finalize();
    }
    Query(Query &&other) noexcept
        : stmt_(std::exchange(other.stmt_, nullptr)), rc_(other.rc_), tail_(other.tail_) {}
    Query &operator=(Query &&other) noexcept {
        if (this != &other) {
            if (stmt_)
                finalize();
            stmt_ = std::exchange(other.stmt_, nullptr);
            rc_ = other.rc_;
            tail_ = other.tail_;
        }
        return *this;
    }

    // False when the text did not prepare (rc() says why) or held no statement.
    bool prepared() const { return stmt_ != nullptr; }
    sqlite3_stmt *get() const { return stmt_; }
    // The engine's code of the last prepare or step.
    int rc() const { return rc_; }
    // The text after the first statement, a view into the text prepared.
    std::string_view tail() const { return tail_; }

    // Steps to the next row; false after the last one or on an error (rc() tells which).
    bool next();
    // Steps through every row; true when the statement ran to its end.
    bool run();
    template <typename F>
    bool each(F &&f) {
        while (next())
            f(*this);
        return done();
    }
    bool done() const;

    // Values of the current row.
    std::string text(int column) const;
    int64_t integer(int column) const;
    double real(int column) const;

private:
    // bytes: what the engine is given of sql, one more than its size when a NUL follows it
    void prepare(sqlite3 *db, std::string_view sql, int bytes);
    void finalize();

    sqlite3_stmt *stmt_ = nullptr;
    int rc_ = 0;
    std::string_view tail_;
};

} // namespace zal
