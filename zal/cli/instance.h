// Where the instance and its databases live, and who the user is.
#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>
#include <system_error>

namespace zal {

// The directories and files of the instance are its owner's alone, whatever the umask.
constexpr mode_t private_dir_mode = 0700;
constexpr mode_t private_file_mode = 0600;

// Opens (creating it if flags say so) a file only its owner may read and write, whatever the
// umask, closed on exec; the descriptor, or -1 with errno set.
int open_private_file(const std::filesystem::path &file, int flags);

// The system's text for the error in errno.
std::string errno_text();

// $ZAL_HOME, or $XDG_DATA_HOME/zal, or ~/.local/share/zal.
std::filesystem::path home_dir();

// The file that marks an instance as set up (the manager as started).
std::filesystem::path instance_marker();
// False when the instance is not set up, or when its directory cannot be looked into (then
// ec says why: a permission, most likely).
bool instance_started(std::error_code &ec);

// Database names are letters, digits and _ @ # $, 1 to 64 characters; anything else (a path,
// "..") names no database.
bool valid_database_name(const std::string &name);
// The database's file: one SQLite file in the instance, named by the name in upper case.
std::filesystem::path database_path(const std::string &name);

// The login name of the process (for an empty user id).
std::string login_name();

// The directory that holds libzalcli, which is the bin directory of an installation.
std::filesystem::path library_dir();

} // namespace zal
