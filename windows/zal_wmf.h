// The slide viewer: the picture of one screen record above its notes page, and paging to the
// screen records before and after it.
#pragma once

#include "form.h"

#include <string>

namespace kestle {

class Browser;
class ImageBox;
class KeyedToolBar;
class Program;

class ZALWMF : public Form {
    Q_OBJECT
public:
    explicit ZALWMF(Program &p);

    KeyedToolBar *TB; // "exit", "left", "right"
    ImageBox *Pic;    // the slide, stretched into its box
    Browser *Web;     // the notes page of the slide

    void Form_Load();
    void TB_ButtonClick(const std::string &key);
    // Shows the first screen record met counting from start towards limit by step; hides the
    // viewer when there is none.
    void show_screen(int start, int limit, int step);
    // Loads a slide's picture into Pic; a file that does not load is reported as not found,
    // in the name of the calling routine.
    bool load_slide(const std::string &file, const std::string &routine);

protected:
    // The viewer is never unloaded: closing it hides it.
    void closeEvent(QCloseEvent *event) override;

private:
    Program &p_;
};

} // namespace kestle
