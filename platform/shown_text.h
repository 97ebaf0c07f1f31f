// What the widgets are given of a text. Qt lays out and draws a line in time that grows with
// its length, and in time that grows with its square where a long run of text has nowhere to
// break, so a megabyte-long title or note would hold the window for minutes. The widgets are
// given no more than a presenter can read; the record, the file or the box keeps the text whole.
#pragma once

#include <QString>

#include <cstddef>
#include <string>
#include <string_view>

namespace kestle {

// The longest line a widget is given, and the most characters of one text.
inline constexpr qsizetype shown_line_chars = 10000;
inline constexpr qsizetype shown_text_chars = 1000000;

// The text with each line longer than shown_line_chars cut there, and with what lies past
// shown_text_chars left out, a "…" in place of what is left out; the text itself when it is
// short enough. *cut, when given, tells whether anything was left out.
QString shown_text(const QString &text, bool *cut = nullptr);

// The most bytes of an HTML page that a browser pane is given, and the longest run of text
// without a place to break a line that it lays out.
inline constexpr std::size_t shown_page_bytes = 256 * 1024;
inline constexpr std::size_t shown_run_chars = 1000;

// The page as a browser pane shows it. Each run of more than shown_run_chars characters of text
// without a blank gets a place to break (an invisible zero-width space) after every
// shown_run_chars of them; markup, entities and the content of script and style elements are
// left as they are. A page longer than shown_page_bytes is cut before the first tag or
// character that would reach past them, and a last paragraph says so. A page that needs
// neither comes back as it was.
std::string shown_page(std::string_view html);

} // namespace kestle
