#include "kestle_routines.h"
#include "scalar_args.h"

#include <cstring>
#include <utility>

namespace {

constexpr int max_elements = 31;
constexpr int max_class_chars = 37;
constexpr int32_t zero_or_more = -1;

struct Element {
    unsigned char accept[256];
    int32_t count;  // 1 to 9, or zero_or_more
    int32_t negate; // 1: takes what accept rejects
};

struct Pattern {
    Element elements[max_elements];
    int n = 0;
};

// Modifiers gathered for the next element.
struct Modifiers {
    int32_t count = 1;
    int32_t negate = 0;
};

void mark_range(unsigned char *table, unsigned char a, unsigned char b) {
    if (a > b)
        std::swap(a, b);
    std::memset(table + a, 1, size_t(b - a) + 1);
}

// Parses the class buffer "[...]" into table. "[", "," and blank separate members; a member,
// "-" and one more byte make a range, whose far end may be the closing "]".
void parse_class(const char *buffer, unsigned char *table) {
    const unsigned char *c = reinterpret_cast<const unsigned char *>(buffer);
    while (*c && *c != ']') {
        if (*c == '[' || *c == ',' || *c == ' ') {
            ++c;
        } else if (c[1] == '-' && c[2]) {
            mark_range(table, c[0], c[2]);
            c += 3;
        } else {
            table[*c++] = 1;
        }
    }
}

// Compiles text into pattern; false when the pattern goes past the element list or the class
// buffer, or a "[" has no "]". Such a pattern is refused whole, since matching a cut-down
// version of it would report positions that the pattern as written does not match.
bool compile(const char *text, Pattern &pattern) {
    Modifiers mod;
    const unsigned char *q = reinterpret_cast<const unsigned char *>(text);
    auto append = [&](int32_t count, int32_t negate) -> Element * {
        if (pattern.n == max_elements)
            return nullptr;
        Element &e = pattern.elements[pattern.n++];
        std::memset(e.accept, 0, sizeof e.accept);
        e.count = count;
        e.negate = negate;
        mod = Modifiers{};
        return &e;
    };
    while (*q) {
        unsigned char b = *q;
        if (b == '*') {
            mod.count = zero_or_more;
            ++q;
        } else if (b >= '1' && b <= '9') {
            mod.count = b - '0';
            ++q;
        } else if (b == '~') {
            mod.negate = 1;
            ++q;
        } else if (b == ']') {
            mod = Modifiers{};
            ++q;
        } else if (b == ' ') {
            Element *e = append(zero_or_more, mod.negate);
            if (!e)
                return false;
            e->accept[unsigned(' ')] = 1;
            while (*q == ' ')
                ++q;
        } else if (b == '?') {
            Element *e = append(mod.count, 0);
            if (!e)
                return false;
            std::memset(e->accept, 1, sizeof e->accept);
            ++q;
        } else if (b == '[') {
            const unsigned char *close = q + 1;
            while (*close && *close != ']')
                ++close;
            size_t chars = size_t(close - q - 1);
            if (!*close || chars > max_class_chars)
                return false;
            char buffer[max_class_chars + 3];
            std::memcpy(buffer, q, chars + 1);
            buffer[chars + 1] = ']';
            buffer[chars + 2] = 0;
            Element *e = append(mod.count, mod.negate);
            if (!e)
                return false;
            parse_class(buffer, e->accept);
            q = close + 1;
        } else {
            Element *e = append(mod.count, mod.negate);
            if (!e)
                return false;
            e->accept[b] = 1;
            ++q;
        }
    }
    return true;
}

// Where an attempt at element 1 can begin: the first position from p whose byte the element
// takes, or len. Each byte before it would fail the attempt at once and start the next one
// after it, so skipping them gives the same scan, only faster.
class FirstElement {
public:
    explicit FirstElement(const Element &e) {
        int taken = 0;
        for (int b = 0; b < 256; ++b) {
            takes_[b] = e.accept[b] != e.negate;
            if (b != 0 && takes_[b]) {
                ++taken;
                only_ = b;
            }
        }
        if (taken != 1)
            only_ = -1;
    }

    size_t skip(const unsigned char *t, size_t p, size_t len) const {
        if (only_ >= 0) {
            const void *hit = std::memchr(t + p, only_, len - p);
            return hit ? size_t(static_cast<const unsigned char *>(hit) - t) : len;
        }
        while (p < len && !takes_[t[p]])
            ++p;
        return p;
    }

private:
    bool takes_[256];
    int only_ = -1; // the one byte 1-255 the element takes, if it takes just one
};

// One left-to-right pass that never backtracks; the end of the text takes part as byte 0.
int32_t match(const Pattern &pattern, const char *text) {
    const unsigned char *t = reinterpret_cast<const unsigned char *>(text);
    const size_t len = std::strlen(text);
    const Element *elements = pattern.elements;
    const int n = pattern.n;
    const FirstElement first(elements[0]);
    int e = 0;
    int32_t r = elements[0].count;
    size_t p = 0;
    size_t start = 1;
    while (p <= len) {
        if (e == 0 && r == elements[0].count && r != zero_or_more) {
            p = first.skip(t, p, len);
            start = p + 1;
        }
        const Element &el = elements[e];
        const bool ok = (p < len ? el.accept[t[p]] : el.accept[0]) != el.negate;
        if (ok) {
            if (r == zero_or_more) {
                // A last repeating element that takes the end of the text ends there: there is
                // nothing left for it to take.
                if (p == len && e == n - 1)
                    return int32_t(start);
            } else if (--r == 0) {
                if (++e == n)
                    return int32_t(start);
                r = elements[e].count;
            }
            ++p;
        } else if (r == zero_or_more) {
            if (++e == n)
                return int32_t(start);
            r = elements[e].count;
        } else {
            ++p;
            start = p + 1;
            e = 0;
            r = elements[0].count;
        }
    }
    return 0;
}

} // namespace

void search(const char *pattern, const char *text, int32_t *result, const zal_null_indicator *pattern_ind,
            const zal_null_indicator *text_ind, zal_null_indicator *result_ind, char *, const char *, const char *,
            char *) {
    kestle::start_result(result, result_ind);
    if (kestle::null_argument(pattern, pattern_ind, result_ind) || kestle::null_argument(text, text_ind, result_ind))
        return;
    Pattern compiled;
    if (!compile(pattern, compiled))
        return;
    // A pattern without elements asks for nothing, and nothing is found at once, at the start
    // of any text, as an empty search string is everywhere else.
    if (compiled.n == 0) {
        kestle::set_result(result, 1);
        return;
    }
    kestle::set_result(result, match(compiled, text));
}
