#include "bound_library.h"

#include <dlfcn.h>

namespace kestle {

BoundLibrary::~BoundLibrary() {
    // Libraries stay loaded: code of theirs may still be referenced (the database keeps the
    // routine libraries it bound).
}

void *BoundLibrary::symbol(const std::string &name) {
    if (auto it = symbols_.find(name); it != symbols_.end())
        return it->second;
    if (!tried_) {
        tried_ = true;
        // Found through the program's own run path first (the bin directory), then the system's.
        handle_ = dlopen(file_.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle_) {
            const char *e = dlerror();
            error_ = e ? e : "cannot load " + file_;
        }
    }
    if (!handle_)
        return nullptr;
    dlerror();
    void *s = dlsym(handle_, name.c_str());
    if (!s) {
        const char *e = dlerror();
        error_ = e ? e : name + " not found in " + file_;
        return nullptr;
    }
    symbols_.emplace(name, s);
    return s;
}

void BoundLibrary::set_file(std::string file) {
    file_ = std::move(file);
    handle_ = nullptr;
    tried_ = false;
    symbols_.clear();
    error_.clear();
}

} // namespace kestle
