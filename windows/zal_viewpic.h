// The picture viewer: one picture of the colour search beside the 90-colour palette; a click
// on a colour highlights its pixels and counts them.
#pragma once

#include "form.h"

#include <array>

class QLabel;

namespace kestle {

class PictureBox;
class Program;

class ZALViewPic : public Form {
    Q_OBJECT
public:
    explicit ZALViewPic(Program &p);

    std::array<PictureBox *, 90> col{}; // border style 1: the colour was asked for in the search
    PictureBox *PicBox;                 // sizes itself to its picture
    QLabel *Label1;                     // "Pixels"
    QLabel *PixCount;
    std::array<int, 90> pal_red{};
    std::array<int, 90> pal_green{};
    std::array<int, 90> pal_blue{};

    void Form_Load();
    void col_Click(int index);

    // Where the count ends, in twips from the top of the window.
    int count_bottom_twips() const;

protected:
    void form_unload() override;
    // The heading and the count are as high as a line of the font.
    void fit_to_font() override;

private:
    Program &p_;
};

} // namespace kestle
