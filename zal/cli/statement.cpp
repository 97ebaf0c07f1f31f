// One statement of the CLI: prepare, execute, describe, fetch into buffers and files, get data.
#include "statement.h"

#include "catalog.h"
#include "connection.h"
#include "file_value.h"
#include "udf.h"

#include <zalcli.h>

#include <cstring>
#include <sqlite3.h>

namespace zal {

namespace {

// A file name of a file binding: NUL-terminated when no length or SQL_NTS is given.
std::string file_name(const unsigned char *name, const int16_t *name_len) {
    if (!name)
        return {};
    if (name_len && *name_len >= 0)
        return std::string(reinterpret_cast<const char *>(name), strnlen(reinterpret_cast<const char *>(name), static_cast<size_t>(*name_len)));
    return std::string(reinterpret_cast<const char *>(name), strnlen(reinterpret_cast<const char *>(name), 32767));
}

} // namespace

Statement::Statement(Connection &c) : c_(c) {}

Statement::~Statement() = default;

bool Statement::prepare(std::string_view text, Diagnostic &error) {
    // a routine created elsewhere since the routines were last read is looked for once
    if (prepare_translation(text, error) || error.sqlcode != diagnose(Condition::RoutineNotFound).sqlcode ||
        !c_.routines().refresh())
        return prepared_;
    return prepare_translation(text, error);
}

bool Statement::prepare_translation(std::string_view text, Diagnostic &error) {
    query_ = Query();
    prepared_ = executed_ = pending_row_ = done_ = described_ = false;
    row_count_ = -1;
    columns_.clear();
    const std::shared_ptr<const Translation> &t = c_.translation(text);
    kind_ = t->kind;
    values_ = t->values;
    rollback_ = t->rollback;
    names_routine_ = t->names_routine;
    routines_generation_ = c_.routines().generation();
    if (names_routine_)
        text_ = text;
    // only a CREATE or DROP goes back to its text or its object as it runs
    translation_.reset();
    if (kind_ != StatementKind::Other)
        translation_ = t;
    if (!t->invalid_length.empty()) {
        error = diagnose(Condition::InvalidTypeLength, {t->invalid_length});
        return false;
    }
    switch (kind_) {
    case StatementKind::Empty:
        error = diagnose(Condition::BlankStatement);
        return false;
    case StatementKind::CreateFunction:
    case StatementKind::DropFunction:
    case StatementKind::Commit:
    case StatementKind::Rollback:
        prepared_ = true; // carried out at execute
        return true;
    default:
        break;
    }
    query_ = c_.prepare(t->sql, error);
    if (!query_.prepared() && !t->called_sql.empty())
        query_ = c_.prepare(t->called_sql, error);
    prepared_ = query_.prepared();
    return prepared_;
}

bool Statement::has_result() const { return query_.prepared() && sqlite3_column_count(query_.get()) > 0; }

int Statement::column_count() const { return query_.prepared() ? sqlite3_column_count(query_.get()) : 0; }

int Statement::step(Diagnostic &error) {
    c_.clear_raised();
    int rc = sqlite3_step(query_.get());
    if (rc == SQLITE_ROW || rc == SQLITE_DONE)
        return rc;
    error = c_.engine_error(rc);
    sqlite3_reset(query_.get());
    return SQL_ERROR;
}

bool Statement::bind_parameters(Diagnostic &error) {
    const int n = sqlite3_bind_parameter_count(query_.get());
    if (n == 0)
        return true;
    const auto limit = static_cast<size_t>(sqlite3_limit(c_.db(), SQLITE_LIMIT_LENGTH, -1));
    for (int marker = 1; marker <= n; ++marker) {
        FileParam *p = static_cast<size_t>(marker) < file_params_.size() ? &file_params_[static_cast<size_t>(marker)] : nullptr;
        if (!p || !p->name) {
            error = diagnose(Condition::ParameterCount);
            return false;
        }
        if (p->indicator && *p->indicator == SQL_NULL_DATA) {
            sqlite3_bind_null(query_.get(), marker);
            continue;
        }
        const std::string name = file_name(p->name, p->name_len);
        if (p->options && !(*p->options & SQL_FILE_READ)) {
            error = diagnose(Condition::FileOptionNotRead, {name});
            return false;
        }
        if (!read_file_value(name, limit, p->data, error))
            return false;
        // what was read is within the limit, so the engine does not find it too long
        const int rc = sqlite3_bind_blob64(query_.get(), marker, p->data.data(), p->data.size(), SQLITE_STATIC);
        if (!engine_ok(c_.db(), rc, error))
            return false;
    }
    return true;
}

bool Statement::may_write() const {
    switch (kind_) {
    case StatementKind::CreateFunction:
    case StatementKind::DropFunction:
        return true;
    case StatementKind::Commit:
        return !sqlite3_get_autocommit(c_.db());
    case StatementKind::Rollback:
        return false;
    default:
        return !sqlite3_stmt_readonly(query_.get());
    }
}

int Statement::execute_ddl(Diagnostic &error) {
    sqlite3 *db = c_.db();
    const bool create = kind_ == StatementKind::CreateTable || kind_ == StatementKind::CreateView;
    const bool existed = create && table_exists(db, translation_->object);
    done_ = true;
    // The object and its bookkeeping change together or not at all.
    if (!engine_ok(db, sqlite3_exec(db, "SAVEPOINT ZAL_DDL", nullptr, nullptr, nullptr), error)) {
        sqlite3_reset(query_.get());
        return SQL_ERROR;
    }
    bool ok = step(error) != SQL_ERROR;
    sqlite3_reset(query_.get());
    if (ok && !(create ? record_creator(db, translation_->object, c_.user(), !existed)
                       : forget_object(db, translation_->object))) {
        error = from_engine(db, sqlite3_errcode(db));
        ok = false;
    }
    // RELEASE commits when no transaction was open: a full disk fails the statement here
    if (ok && engine_ok(db, sqlite3_exec(db, "RELEASE ZAL_DDL", nullptr, nullptr, nullptr), error))
        return SQL_SUCCESS;
    // Where the engine has not rolled back itself, undo the change; when even that fails, the
    // whole transaction goes rather than half of the change being kept.
    if (!sqlite3_get_autocommit(db) &&
        sqlite3_exec(db, "ROLLBACK TO ZAL_DDL; RELEASE ZAL_DDL", nullptr, nullptr, nullptr) != SQLITE_OK)
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    return SQL_ERROR;
}

int Statement::execute(Diagnostic &error) {
    if (!prepared_) {
        error = diagnose(Condition::SequenceError);
        return SQL_ERROR;
    }
    if (names_routine_ && (c_.routines().refresh_if_changed() || routines_generation_ != c_.routines().generation()) &&
        !prepare(std::string(text_), error))
        return SQL_ERROR;
    c_.routines().statement_starts(names_routine_);
    if (rollback_)
        c_.routines().doubt();
    sqlite3 *db = c_.db();
    executed_ = pending_row_ = done_ = described_ = false;
    row_count_ = 0;
    if (!c_.file_present(may_write(), error))
        return SQL_ERROR;
    switch (kind_) {
    case StatementKind::CreateFunction:
    case StatementKind::DropFunction: {
        bool ok = kind_ == StatementKind::CreateFunction ? c_.routines().create(translation_->sql, error)
                                                                      : c_.routines().drop(translation_->sql, error);
        executed_ = done_ = true;
        return ok ? SQL_SUCCESS : SQL_ERROR;
    }
    case StatementKind::Commit:
    case StatementKind::Rollback: {
        // Statements commit as they end; COMMIT matters only inside an explicit transaction.
        executed_ = done_ = true;
        if (sqlite3_get_autocommit(db))
            return SQL_SUCCESS;
        const char *end = kind_ == StatementKind::Commit ? "COMMIT" : "ROLLBACK";
        return engine_ok(db, sqlite3_exec(db, end, nullptr, nullptr, nullptr), error) ? SQL_SUCCESS : SQL_ERROR;
    }
    default:
        break;
    }
    // a statement is reset after its last row and after a failure: only one in the middle of
    // its rows needs it here
    if (sqlite3_stmt_busy(query_.get()))
        sqlite3_reset(query_.get());
    if (!bind_parameters(error))
        return SQL_ERROR;
    executed_ = true;
    if (kind_ == StatementKind::CreateTable || kind_ == StatementKind::CreateView ||
        kind_ == StatementKind::DropTable || kind_ == StatementKind::DropView)
        return execute_ddl(error);
    int rc = step(error);
    if (rc == SQL_ERROR) {
        executed_ = false;
        return SQL_ERROR;
    }
    pending_row_ = rc == SQLITE_ROW;
    if (rc == SQLITE_DONE) {
        done_ = true;
        if (!has_result())
            row_count_ = sqlite3_changes64(db);
        sqlite3_reset(query_.get()); // ends the statement's read or write
    }
    return SQL_SUCCESS;
}

void Statement::describe_all() {
    const int n = column_count();
    columns_.assign(static_cast<size_t>(n), {});
    get_offset_.assign(static_cast<size_t>(n) + 1, 0);
    got_data_ = false;
    sqlite3 *db = c_.db();
    for (int i = 0; i < n; ++i) {
        Description &d = columns_[static_cast<size_t>(i)];
        const char *name = sqlite3_column_name(query_.get(), i);
        d.name = name ? name : "";
        if (values_ && d.name == "column" + std::to_string(i + 1))
            d.name = std::to_string(i + 1);
        const char *declared = sqlite3_column_decltype(query_.get(), i);
        if (declared)
            d.type = parse_declared_type(declared);
        if (!d.type.known) {
            // an expression: the storage class of the first row tells its type
            int storage = pending_row_ ? sqlite3_column_type(query_.get(), i) : 0;
            std::string_view sample;
            int64_t integer = 0;
            if (storage == SQLITE_TEXT || storage == SQLITE_BLOB)
                sample = std::string_view(static_cast<const char *>(sqlite3_column_blob(query_.get(), i)),
                                          static_cast<size_t>(sqlite3_column_bytes(query_.get(), i)));
            else if (storage == SQLITE_INTEGER)
                integer = sqlite3_column_int64(query_.get(), i);
            d.type = type_of_value(storage, sample, integer);
        }
        const char *table = sqlite3_column_table_name(query_.get(), i);
        const char *origin = sqlite3_column_origin_name(query_.get(), i);
        const char *database = sqlite3_column_database_name(query_.get(), i);
        int not_null = 0;
        if (table && origin &&
            sqlite3_table_column_metadata(db, database, table, origin, nullptr, nullptr, &not_null, nullptr,
                                          nullptr) == SQLITE_OK)
            d.nullable = !not_null;
    }
    described_ = true;
}

const Description &Statement::describe(int column) {
    if (!described_)
        describe_all();
    return columns_[static_cast<size_t>(column - 1)];
}

void Statement::bind_column(int column, char *buffer, int32_t buffer_len, int32_t *len_or_ind) {
    if (bound_.size() <= static_cast<size_t>(column))
        bound_.resize(static_cast<size_t>(column) + 1);
    bound_[static_cast<size_t>(column)] = {buffer, buffer_len, len_or_ind};
}

void Statement::bind_file_column(int column, const unsigned char *name, const int16_t *name_len,
                                 const uint32_t *options, int32_t *data_len, int32_t *indicator) {
    if (file_columns_.size() <= static_cast<size_t>(column))
        file_columns_.resize(static_cast<size_t>(column) + 1);
    file_columns_[static_cast<size_t>(column)] = {name, name_len, options, data_len, indicator};
}

void Statement::bind_file_param(int marker, const unsigned char *name, const int16_t *name_len,
                                const uint32_t *options, const int32_t *indicator) {
    if (file_params_.size() <= static_cast<size_t>(marker))
        file_params_.resize(static_cast<size_t>(marker) + 1);
    FileParam &p = file_params_[static_cast<size_t>(marker)];
    p.name = name;
    p.name_len = name_len;
    p.options = options;
    p.indicator = indicator;
}

void Statement::unbind() {
    bound_.clear();
    file_columns_.clear();
}

void Statement::reset_params() { file_params_.clear(); }

int Statement::deliver_row(Diagnostic &error) {
    int result = SQL_SUCCESS;
    const size_t n = columns_.size();
    const size_t bound = std::min(bound_.size(), n + 1);
    for (size_t col = 1; col < bound; ++col) {
        const Bound &b = bound_[col];
        if (!b.buffer && !b.len_or_ind)
            continue;
        const int i = static_cast<int>(col) - 1;
        std::string_view value;
        const int storage = sqlite3_column_type(query_.get(), i);
        if (storage == SQLITE_TEXT) {
            // text goes straight from the engine's row into the buffer
            value = std::string_view(reinterpret_cast<const char *>(sqlite3_column_text(query_.get(), i)),
                                     static_cast<size_t>(sqlite3_column_bytes(query_.get(), i)));
        } else {
            scratch_.clear();
            if (!append_value_text(query_.get(), i, storage, columns_[col - 1].type, scratch_)) {
                if (b.len_or_ind)
                    *b.len_or_ind = SQL_NULL_DATA;
                continue;
            }
            value = scratch_;
        }
        if (b.len_or_ind)
            *b.len_or_ind = static_cast<int32_t>(std::min<size_t>(value.size(), INT32_MAX));
        if (copy_text(value, b.buffer, static_cast<size_t>(std::max(b.buffer_len, 0))) < value.size())
            result = SQL_SUCCESS_WITH_INFO;
    }
    const size_t files = std::min(file_columns_.size(), n + 1);
    for (size_t col = 1; col < files; ++col) {
        const FileColumn &f = file_columns_[col];
        if (!f.name)
            continue;
        const int i = static_cast<int>(col) - 1;
        if (sqlite3_column_type(query_.get(), i) == SQLITE_NULL) {
            if (f.indicator)
                *f.indicator = SQL_NULL_DATA;
            continue;
        }
        const std::string name = file_name(f.name, f.name_len);
        const void *data = sqlite3_column_blob(query_.get(), i);
        const int bytes = sqlite3_column_bytes(query_.get(), i);
        if (!write_file_value(name, f.options ? *f.options : SQL_FILE_OVERWRITE, data, static_cast<size_t>(bytes),
                              error))
            return SQL_ERROR;
        if (f.data_len)
            *f.data_len = bytes;
        if (f.indicator)
            *f.indicator = bytes;
    }
    if (result == SQL_SUCCESS_WITH_INFO)
        error = diagnose(Condition::DataTruncated);
    return result;
}

int Statement::fetch(Diagnostic &error) {
    if (executed_ && query_.prepared() && !described_)
        describe_all();
    if (!executed_ || columns_.empty()) {
        error = diagnose(Condition::CursorState);
        return SQL_ERROR;
    }
    // SQLGetData starts each column of a new row again
    if (got_data_) {
        std::fill(get_offset_.begin(), get_offset_.end(), 0);
        got_data_ = false;
    }
    if (done_)
        return SQL_NO_DATA_FOUND;
    if (pending_row_) {
        pending_row_ = false;
    } else {
        int rc = step(error);
        if (rc == SQL_ERROR) {
            done_ = true;
            return SQL_ERROR;
        }
        if (rc == SQLITE_DONE) {
            done_ = true;
            sqlite3_reset(query_.get());
            return SQL_NO_DATA_FOUND;
        }
    }
    return deliver_row(error);
}

int Statement::get_data(int column, char *buffer, int32_t buffer_len, int32_t *len_or_ind, Diagnostic &error) {
    if (!executed_ || done_ || pending_row_ || get_offset_.size() <= static_cast<size_t>(column)) {
        error = diagnose(Condition::CursorState);
        return SQL_ERROR;
    }
    size_t &offset = get_offset_[static_cast<size_t>(column)];
    got_data_ = true;
    scratch_.clear();
    if (!append_value_text(query_.get(), column - 1, columns_[static_cast<size_t>(column - 1)].type, scratch_)) {
        if (offset > 0)
            return SQL_NO_DATA_FOUND;
        offset = 1;
        if (len_or_ind)
            *len_or_ind = SQL_NULL_DATA;
        return SQL_SUCCESS;
    }
    if (offset > 0 && offset >= scratch_.size())
        return SQL_NO_DATA_FOUND;
    const size_t available = scratch_.size() - offset;
    if (len_or_ind)
        *len_or_ind = static_cast<int32_t>(std::min<size_t>(available, INT32_MAX));
    const size_t copied = copy_text(std::string_view(scratch_).substr(offset), buffer,
                                    static_cast<size_t>(std::max(buffer_len, 0)));
    offset += copied;
    if (copied < available) {
        error = diagnose(Condition::DataTruncated);
        return SQL_SUCCESS_WITH_INFO;
    }
    if (available == 0)
        offset = 1; // an empty value is delivered once
    return SQL_SUCCESS;
}

void Statement::close() {
    if (query_.prepared())
        sqlite3_reset(query_.get());
    executed_ = pending_row_ = done_ = false;
}

} // namespace zal
