// The slide viewer: its controls, its paging over the screen records, the least size it keeps.
#include "zal_wmf.h"

#include "browser.h"
#include "image_box.h"
#include "keyed_toolbar.h"
#include "presentation.h"
#include "program.h"
#include "text_codec.h"
#include "window_support.h"

#include <QCloseEvent>


namespace kestle {

namespace {

constexpr const char *caption = "ZAL Meridian Store";
constexpr int least_twips = 2000;

} // namespace

ZALWMF::ZALWMF(Program &p) : Form(p.forms.windows, caption, true), p_(p) {
    TB = new KeyedToolBar(this);
    TB->add_button("exit", "Close window", "return");
    TB->add_button("left", "", "left");
    TB->add_button("right", "", "right");
    place_twips(TB, 0, 0, 7410, 360);

    Pic = new ImageBox(this);
    place_twips(Pic, 120, 480, 7200, 5400);
    Web = new Browser(this);
    place_twips(Web, 120, 6000, 7215, 3015);

    connect(TB, &KeyedToolBar::button_click, this, [this](const std::string &key) {
        guarded("TB_ButtonClick", [&] { TB_ButtonClick(key); });
    });

    resize_twips(7590, 9600);
    // The frame keeps the least size while it is not minimized; the controls keep their
    // design places whatever the size.
    set_minimum_twips(least_twips, least_twips);
    open_as_viewer();
    Form_Load();
}

void ZALWMF::Form_Load() {
    move_twips(100, top_twips());
    if (p_.cur_screen > 0)
        set_caption(qt(p_.control.record(p_.cur_screen).title));
}

void ZALWMF::TB_ButtonClick(const std::string &key) {
    if (key == "exit")
        hide_form();
    else if (key == "left")
        show_screen(p_.cur_screen - 1, 1, -1);
    else if (key == "right")
        show_screen(p_.cur_screen + 1, p_.control.stmt_count, 1);
}

void ZALWMF::show_screen(int start, int limit, int step) {
    // Only records of the presentation loaded now are looked at, however stale cur_screen is.
    const int count = p_.control.stmt_count;
    int found = -1;
    for (int i = start; step != 0 && (step > 0 ? i <= limit && i <= count : i >= limit && i >= 1); i += step)
        if (p_.control.record(i).kind == kind_screen) {
            found = i;
            break;
        }
    if (found == -1) {
        hide_form();
        return;
    }
    // A copy: the message box of a picture that does not load lets the presenter load
    // another presentation meanwhile.
    const stmt_rec r = p_.control.record(found);
    set_caption(qt(r.title));
    showhelp(p_, r.title, r.info, kind_screen);
    if (load_slide(r.file, "show_screen"))
        p_.cur_screen = found;
    else
        hide_form();
}

bool ZALWMF::load_slide(const std::string &file, const std::string &routine) {
    if (Pic->load(file))
        return true;
    p_.show_msg(show_entry, popup_yes, msg_file_not_found, file, routine);
    return false;
}

void ZALWMF::closeEvent(QCloseEvent *event) {
    hide_form();
    event->ignore();
}

} // namespace kestle
