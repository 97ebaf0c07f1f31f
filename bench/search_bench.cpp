// search with a literal pattern over 10 MB of text, against std::search on the same text.
#include "kestle_routines.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <string>

namespace {

double best_seconds(int rounds, const std::function<void()> &work) {
    double best = 1e9;
    for (int i = 0; i < rounds; ++i) {
        auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

} // namespace

int main() {
    const std::string pattern = "quorum";
    std::string text(10 * 1024 * 1024, ' ');
    std::mt19937 random(42);
    const char letters[] = "abcdefghijklmnopqrstuvwxyz      ";
    for (char &c : text)
        c = letters[random() % (sizeof letters - 1)];
    text.replace(text.size() - 100, pattern.size(), pattern);
    // No earlier match, so both scan the whole text.
    const size_t expected = text.find(pattern) + 1;

    int32_t result = 0;
    zal_null_indicator indicator = 0;
    const double routine = best_seconds(5, [&] {
        search(pattern.c_str(), text.c_str(), &result, nullptr, nullptr, &indicator, nullptr, nullptr, nullptr,
               nullptr);
    });
    size_t found = 0;
    const double library = best_seconds(5, [&] {
        found = size_t(std::search(text.begin(), text.end(), pattern.begin(), pattern.end()) - text.begin()) + 1;
    });
    if (size_t(result) != expected || found != expected) {
        std::printf("search_bench: wrong positions %d and %zu, expected %zu\n", result, found, expected);
        return 1;
    }
    std::printf("search: %.2f ms, std::search: %.2f ms over %zu bytes; ratio %.2f (target at most 3)\n",
                routine * 1e3, library * 1e3, text.size(), routine / library);
    return 0;
}
