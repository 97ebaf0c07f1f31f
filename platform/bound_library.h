// A library bound by name at run time, each routine at its first call.
#pragma once

#include <map>
#include <string>

namespace kestle {

class BoundLibrary {
public:
    explicit BoundLibrary(std::string file) : file_(std::move(file)) {}
    ~BoundLibrary();
    BoundLibrary(const BoundLibrary &) = delete;
    BoundLibrary &operator=(const BoundLibrary &) = delete;

    // The routine, or null when the library or the routine cannot be bound; unbound_reason()
    // says why.
    void *symbol(const std::string &name);
    template <class F>
    F *routine(const std::string &name) {
        return reinterpret_cast<F *>(symbol(name));
    }
    // What the user is told when a routine of the library cannot be bound.
    std::string unbound_reason() const { return "the library " + file_ + " cannot be bound: " + error_; }
    // Binds another library file from the next call on (a test names one that does not exist);
    // routines bound before stay loaded.
    void set_file(std::string file);

private:
    std::string file_;
    void *handle_ = nullptr;
    bool tried_ = false;
    std::map<std::string, void *> symbols_;
    std::string error_;
};

} // namespace kestle
