#include "shown_text.h"

#include <algorithm>
#include <cctype>

namespace kestle {

namespace {

const QChar ellipsis(0x2026);

bool line_end(QChar c) { return c == u'\n' || c == u'\r'; }

bool fits(const QString &text) {
    if (text.size() > shown_text_chars)
        return false;
    qsizetype line = 0;
    for (QChar c : text) {
        line = line_end(c) ? 0 : line + 1;
        if (line > shown_line_chars)
            return false;
    }
    return true;
}

// Appends count characters of text from pos, never the first half of a surrogate pair alone.
void append_whole(QString &out, const QString &text, qsizetype pos, qsizetype count) {
    if (count > 0 && text[pos + count - 1].isHighSurrogate())
        --count;
    out.append(QStringView(text).mid(pos, count));
}

constexpr std::string_view zero_width_space = "\xE2\x80\x8B";
constexpr std::string_view cut_note = "<p>\xE2\x80\xA6</p><p>The rest of this page is too long to be shown here.</p>";

bool blank(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// Whether text opens with the lower-case word, without regard to case.
bool opens_with(std::string_view text, std::string_view word) {
    return text.size() >= word.size() &&
           std::equal(word.begin(), word.end(), text.begin(), [](char w, char t) { return w == lower(t); });
}

// Where `what` ends, searched from `from` without regard to case; the end of html when it is
// not there.
std::size_t end_of(std::string_view html, std::string_view what, std::size_t from) {
    auto it = std::search(html.begin() + static_cast<std::ptrdiff_t>(from), html.end(), what.begin(), what.end(),
                          [](char a, char b) { return lower(a) == b; });
    return it == html.end() ? html.size() : static_cast<std::size_t>(it - html.begin()) + what.size();
}

// The end of the markup that opens at lt: a comment, a tag, or a script or style element
// whole, whose content is not text.
std::size_t markup_end(std::string_view html, std::size_t lt) {
    if (html.substr(lt, 4) == "<!--")
        return end_of(html, "-->", lt + 4);
    const std::size_t tag_end = end_of(html, ">", lt + 1);
    for (std::string_view raw : {"script", "style"}) {
        const std::size_t after = lt + 1 + raw.size();
        if (after < html.size() && opens_with(html.substr(lt + 1), raw) &&
            !std::isalnum(static_cast<unsigned char>(html[after])))
            return end_of(html, ">", end_of(html, "</" + std::string(raw), tag_end));
    }
    return tag_end;
}

// The end of the character or entity that starts at i.
std::size_t character_end(std::string_view html, std::size_t i) {
    const auto c = static_cast<unsigned char>(html[i]);
    std::size_t end = i + 1;
    if (c == '&') {
        while (end < html.size() && end - i <= 32 &&
               (std::isalnum(static_cast<unsigned char>(html[end])) || html[end] == '#'))
            ++end;
        return end < html.size() && html[end] == ';' && end > i + 1 ? end + 1 : i + 1;
    }
    if (c >= 0xC0)
        while (end < html.size() && end - i < 4 && (static_cast<unsigned char>(html[end]) & 0xC0) == 0x80)
            ++end;
    return end;
}

} // namespace

QString shown_text(const QString &text, bool *cut) {
    const bool whole = fits(text);
    if (cut)
        *cut = !whole;
    if (whole)
        return text;
    QString out;
    out.reserve(std::min(text.size(), shown_text_chars) + 1);
    for (qsizetype pos = 0; pos < text.size();) {
        qsizetype end = pos;
        while (end < text.size() && !line_end(text[end]))
            ++end;
        const qsizetype room = shown_text_chars - out.size();
        const qsizetype take = std::min({end - pos, shown_line_chars, room});
        append_whole(out, text, pos, take);
        if (take == room && pos + take < text.size()) {
            out += ellipsis;
            break;
        }
        if (take < end - pos)
            out += ellipsis;
        if (end < text.size())
            out += text[end];
        pos = end + 1;
    }
    return out;
}

std::string shown_page(std::string_view html) {
    std::string out;
    out.reserve(std::min(html.size(), shown_page_bytes) + cut_note.size());
    std::size_t run = 0;
    for (std::size_t i = 0; i < html.size();) {
        const bool text = html[i] != '<';
        const std::size_t end = text ? character_end(html, i) : markup_end(html, i);
        if (end > shown_page_bytes) {
            out += cut_note;
            break;
        }
        if (text && blank(static_cast<unsigned char>(html[i]))) {
            run = 0;
        } else if (text) {
            if (run == shown_run_chars) {
                out += zero_width_space;
                run = 0;
            }
            ++run;
        }
        out.append(html.substr(i, end - i));
        i = end;
    }
    return out;
}

} // namespace kestle
