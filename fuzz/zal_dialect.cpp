// The dialect on arbitrary text: the lexer, the statement and expression rewrites, the declared
// types and their lengths.
#include "dialect.h"
#include "fuzz_support.h"
#include "types.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, std::size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);

    // The tokens cover the text exactly, each at least one character.
    std::string joined;
    for (const zal::Token &t : zal::lex(text)) {
        fuzz_check(!t.text.empty());
        joined += t.text;
    }
    fuzz_check(joined == text);

    const zal::Translation t = zal::translate(text);
    fuzz_check(t.kind != zal::StatementKind::Empty || zal::significant(zal::lex(t.sql)).size() <= 1);
    zal::translate_expression(text, {"X", "Y"});

    const zal::ColumnType type = zal::parse_declared_type(text);
    if (type.known) {
        fuzz_check(type.size <= 2147483647u && type.length >= 0);
        fuzz_check(type.scale >= 0 && (type.scale == 0 || static_cast<uint32_t>(type.scale) <= type.size));
    }

    // The text split into digits and a suffix, as a length with K, M or G.
    const size_t digits = text.find_first_not_of("0123456789");
    const long long n = zal::parse_length(text.substr(0, digits), digits == std::string::npos ? "" : text.substr(digits));
    fuzz_check(n >= -1 && n <= zal::max_type_length + 1);
    return 0;
}
