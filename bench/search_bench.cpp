// search over 10 MB of text with a literal pattern, a class pattern and a "?" pattern, each
// against std::search on the same text: the literal with its bytes, the others with a predicate
// that takes the same bytes at each place. Each pattern matches only near the end of the text,
// so every scan covers all of it.
#include "bench_support.h"
#include "kestle_routines.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr double target = 3;

// The bytes that each place of a pattern takes.
using Places = std::vector<std::array<bool, 256>>;

Places places_of(const std::string &word) {
    Places places(word.size());
    for (size_t i = 0; i < word.size(); ++i)
        places[i][static_cast<unsigned char>(word[i])] = true;
    return places;
}

struct Case {
    const char *what;
    std::string pattern;
    Places places;
};

} // namespace

int main() {
    const std::string word = "quorum";
    std::string text(10 * 1024 * 1024, ' ');
    std::mt19937 random(42);
    const char letters[] = "abcdefghijklmnopqrstuvwxyz      ";
    for (char &c : text)
        c = letters[random() % (sizeof letters - 1)];
    text.replace(text.size() - 100, word.size(), word);
    const size_t expected = text.find(word) + 1;

    Case cases[] = {
        {"literal", word, places_of(word)},
        {"class", "[qQ]uorum", places_of(word)},
        {"\"?\"", "quor?m", places_of(word)},
    };
    cases[1].places[0]['Q'] = true;
    cases[2].places[cases[2].pattern.find('?')].fill(true);

    for (const Case &k : cases) {
        int32_t result = 0;
        zal_null_indicator indicator = 0;
        const double routine = bench::best_seconds(5, [&] {
            search(k.pattern.c_str(), text.c_str(), &result, nullptr, nullptr, &indicator, nullptr, nullptr,
                   nullptr, nullptr);
        });
        size_t found = 0;
        const double library = bench::best_seconds(5, [&] {
            // a literal against the plain byte comparison, the others through their tables
            const auto at = k.pattern == word
                                ? std::search(text.begin(), text.end(), word.begin(), word.end())
                                : std::search(text.begin(), text.end(), k.places.begin(), k.places.end(),
                                              [](char c, const std::array<bool, 256> &takes) {
                                                  return takes[static_cast<unsigned char>(c)];
                                              });
            found = size_t(at - text.begin()) + 1;
        });
        if (size_t(result) != expected || found != expected) {
            std::printf("search_bench: %s pattern %s: positions %d and %zu, expected %zu\n", k.what,
                        k.pattern.c_str(), result, found, expected);
            return 1;
        }
        std::printf("search %-9s %-10s %.2f ms, std::search: %.2f ms over %zu bytes\n", k.what, k.pattern.c_str(),
                    routine * 1e3, library * 1e3, text.size());
        bench::report(("search " + std::string(k.what)).c_str(), routine / library, target);
    }
    return 0;
}
