// What the windows share: handlers that let no error escape, and the program's fonts.
#pragma once

#include "dialogs.h"

#include <QWidget>

#include <exception>
#include <functional>
#include <string>

class QFrame;
class QPlainTextEdit;

namespace kestle {

class CloseLabel;
class Form;
class PictureBox;
class Program;
struct Rgb;

// Writes what a handler let escape to the log, with the handler's name.
void log_escaped(const char *handler, const char *what) noexcept;

// Runs an event handler; an error inside it ends the handler and nothing else, and is logged.
template <class F>
void guarded(const char *name, F &&handler) noexcept {
    try {
        handler();
    } catch (const std::exception &e) {
        log_escaped(name, e.what());
    } catch (...) {
        log_escaped(name, "unknown exception");
    }
}

// Called first by the destructor of a window whose handlers take signals of its children:
// QWidget's destructor deletes the children after the window's own part is gone, and what they
// signal then (a model's reset, a watched tool's end) must not reach that part.
void disconnect_children(QObject &window);

// Shows the window above the others of the client area.
void show_in_front(Form &f);
// Brings one of a window's controls into sight: the window comes in front of the windows of the
// client area that cover the control; the windows over those keep their places.
void bring_into_sight(Form &f, const QWidget &control);

// A control at its design place, in twips.
void place_twips(QWidget *w, int left, int top, int width, int height);

// Lays a resized window out: place gets its outer width and height in twips, after a size
// below least by least has sprung back to it. Nothing is laid out while the window is minimized.
void lay_out(Form &f, int least, const std::function<void(int width, int height)> &place);

// The panel that shows a window's generated statement over its controls: a framed box, the
// statement unwrapped in a fixed-pitch font, and a close label; hidden until asked for.
struct SqlPanel {
    QFrame *frame;
    QPlainTextEdit *text;
    CloseLabel *close;
};
SqlPanel make_sql_panel(QWidget *parent, const char *font_family, int left, int top, int width, int height);
// The statement with its marks filled in, in front; an empty statement shows nothing.
void show_sql_panel(QFrame *frame, QPlainTextEdit *text, const std::string &statement);

// Gives a palette cell its tag and its colour, and returns the colour.
Rgb set_palette_cell(PictureBox &cell, int index);

// The font the variables FONT and FONTSIZE name.
FontChoice program_font(const Program &p);
// Sets the family and, when it is a usable size, the point size of w's font.
void set_widget_font(QWidget *w, const FontChoice &f);

// The sizes the windows' texts follow FONTSIZE between, in points; the statement boxes and the
// result grids scroll and take any size.
constexpr double least_text_points = 8, most_text_points = 14;
// The built-in FONTSIZE, at which the windows keep their design sizes.
constexpr double built_in_text_points = 10;
// The font of the windows' texts: FONT at FONTSIZE within those sizes (the built-in size when
// FONTSIZE is no size).
QFont window_font(const Program &p);
// Gives the main window the font of the windows' texts; every window in its client area takes
// it from there, and lays itself out again to it.
void apply_window_font(Program &p);

} // namespace kestle
