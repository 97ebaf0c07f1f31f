// One statement of a connection: prepare, execute, describe, fetch into bound buffers and
// files, and get data.
#pragma once

#include "diagnostics.h"
#include "dialect.h"
#include "query.h"
#include "types.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zal {

class Connection;

struct Description {
    std::string name;
    ColumnType type;
    bool nullable = true;
};

class Statement {
public:
    explicit Statement(Connection &c);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    // Return codes are those of the CLI: SQL_SUCCESS, SQL_SUCCESS_WITH_INFO (data truncated),
    // SQL_NO_DATA_FOUND and SQL_ERROR.
    bool prepare(std::string_view text, Diagnostic &error);
    int execute(Diagnostic &error);
    int column_count() const;
    const Description &describe(int column); // column from 1; the caller checks the range
    int fetch(Diagnostic &error);
    int get_data(int column, char *buffer, int32_t buffer_len, int32_t *len_or_ind, Diagnostic &error);
    int64_t row_count() const { return row_count_; }
    void close();

    bool has_result() const;

    void bind_column(int column, char *buffer, int32_t buffer_len, int32_t *len_or_ind);
    void bind_file_column(int column, const unsigned char *name, const int16_t *name_len,
                          const uint32_t *options, int32_t *data_len, int32_t *indicator);
    void bind_file_param(int marker, const unsigned char *name, const int16_t *name_len,
                         const uint32_t *options, const int32_t *indicator);
    void unbind();
    void reset_params();

private:
    struct Bound {
        char *buffer = nullptr;
        int32_t buffer_len = 0;
        int32_t *len_or_ind = nullptr;
    };
    struct FileColumn {
        const unsigned char *name = nullptr;
        const int16_t *name_len = nullptr;
        const uint32_t *options = nullptr;
        int32_t *data_len = nullptr;
        int32_t *indicator = nullptr;
    };
    struct FileParam {
        const unsigned char *name = nullptr;
        const int16_t *name_len = nullptr;
        const uint32_t *options = nullptr;
        const int32_t *indicator = nullptr;
        std::vector<unsigned char> data;
    };

    bool prepare_translation(std::string_view text, Diagnostic &error);
    bool may_write() const;
    int execute_ddl(Diagnostic &error);
    int step(Diagnostic &error);
    bool bind_parameters(Diagnostic &error);
    void describe_all();
    int deliver_row(Diagnostic &error);

    Connection &c_;
    Query query_;
    StatementKind kind_ = StatementKind::Other;
    bool values_ = false;
    std::shared_ptr<const Translation> translation_; // of a CREATE or DROP, whose execute needs it
    // A statement that calls a routine is prepared again from its text when the routines have
    // changed since (here, or in another connection or process).
    bool names_routine_ = false;
    std::string text_;
    uint64_t routines_generation_ = 0;
    bool rollback_ = false; // may take back a change of the routines
    bool prepared_ = false;
    bool executed_ = false;
    bool pending_row_ = false; // execute stepped onto the first row
    bool done_ = false;
    int64_t row_count_ = -1;
    std::vector<Description> columns_;
    bool described_ = false;
    std::vector<Bound> bound_;
    std::vector<FileColumn> file_columns_;
    std::vector<FileParam> file_params_;
    std::vector<size_t> get_offset_; // where SQLGetData goes on in each column of this row
    bool got_data_ = false;          // get_offset_ has moved since the row was fetched
    std::string scratch_;
};

} // namespace zal
