// One open database of the instance, with the ZAL catalog and routines installed on it.
#pragma once

#include "diagnostics.h"
#include "dialect.h"
#include "query.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <unordered_map>

struct sqlite3;

namespace zal {

class Routines;

// The engine's page cache of one connection, at most this many KiB: a picture search reads
// some megabytes of pictures in its query and again in their fetches.
inline constexpr int page_cache_kib = 65536;

class Connection {
public:
    // Opens an existing database of the instance. On failure returns null and sets error.
    static std::unique_ptr<Connection> open(const std::string &database, const std::string &user,
                                            Diagnostic &error);
    // Creates a new database file at path and opens it (the manager's start uses this).
    static std::unique_ptr<Connection> create(const std::string &path, const std::string &database,
                                              const std::string &user, Diagnostic &error);
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    sqlite3 *db() const { return db_; }
    const std::string &user() const { return user_; }         // upper case
    const std::string &database() const { return database_; } // upper case
    Routines &routines() { return *routines_; }

    // A routine that fails inside a statement leaves its diagnostic here; the statement takes
    // it in place of the engine's message.
    void raise(Diagnostic d) { raised_ = std::move(d); }
    std::optional<Diagnostic> take_raised();
    void clear_raised() { raised_.reset(); }
    // The diagnostic of a failed prepare or step: what a routine raised during it, else the
    // engine's error.
    Diagnostic engine_error(int rc);

    // Prepares one statement of the engine's SQL; anything but blanks, comments and ";" after
    // it is an error. On failure the query is not prepared and error says why.
    Query prepare(const std::string &sql, Diagnostic &error);

    // False (with the error) when the database's file has been removed or replaced since the
    // connection opened it: statements would go on in a file nobody can open again. Every
    // statement asks before it runs. One that may write is answered from a stat of the path
    // each time; one that only reads, from one at most every 50 ms, as a stat costs more than
    // a whole trivial statement of the engine. Once lost, the file stays lost.
    bool file_present(bool may_write, Diagnostic &error);

    // The translation of a statement text, with its calls of SQL functions written out;
    // repeated texts (timing runs, scripts in loops) are translated once, as long as they fit
    // in the cache's bytes and the routines do not change. The reference holds until the next
    // translation; a caller that needs it longer keeps a copy of the pointer.
    const std::shared_ptr<const Translation> &translation(std::string_view text);

    // Runs ZAL statements without results, one after another (the manager's set-up scripts).
    bool execute_script(std::string_view script, Diagnostic &error);

private:
    Connection(sqlite3 *db, std::string database, std::string user);
    static std::unique_ptr<Connection> open_file(const std::string &path, const std::string &database,
                                                 const std::string &user, Diagnostic &error);
    bool install(Diagnostic &error);

    sqlite3 *db_;
    std::string database_;
    std::string user_;
    std::unique_ptr<Routines> routines_;
    std::optional<Diagnostic> raised_;
    // looked up by the caller's text, without a copy of it
    struct TextHash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    std::unordered_map<std::string, std::shared_ptr<const Translation>, TextHash, std::equal_to<>> translations_;
    size_t translation_bytes_ = 0; // what the cached texts and translations hold
    uint64_t translations_generation_ = 0; // of the routines the cached translations were made from
    std::shared_ptr<const Translation> uncached_; // the last text too long for the cache
    // The file the connection opened, known by its device and inode; an in-memory database
    // has none (path_ empty).
    std::string path_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    bool lost_ = false;
    double last_file_check_ = 0;
};

} // namespace zal
