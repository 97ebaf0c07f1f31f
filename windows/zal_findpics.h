// The picture search: a palette of 90 colours to mark, the colour query built from the marks,
// eight thumbnails of the pictures found with a scroll bar, the generated SQL and a help page.
#pragma once

#include "form.h"

#include <QPixmap>

#include <array>
#include <string>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QScrollBar;

namespace kestle {

class CloseLabel;
class KeyedToolBar;
class PictureBox;
class Program;

class ZALFindpics : public Form {
    Q_OBJECT
public:
    explicit ZALFindpics(Program &p);

    struct StoredPicture {
        QPixmap picture;
        std::string tag; // the picture number
    };

    std::array<PictureBox *, 90> col{};    // palette cells; border style 1 marks a colour
    std::array<PictureBox *, 8> HUESCAN{}; // thumbnails; the Tag is the picture number
    std::array<StoredPicture, 101> TImage; // the pictures found, slot i for picture i + 1
    QScrollBar *ScrollPics;                // the first store slot shown
    QLabel *Status;
    QFrame *SQLFrame;
    QPlainTextEdit *SQL;
    CloseLabel *CloseSQL;
    KeyedToolBar *TB; // "exit", "run", "clear", "sql", "andor", "info"

    void Form_Load();
    void col_Click(int index);
    void CloseSQL_Click();
    void TB_ButtonClick(const std::string &key);
    void HUESCAN_Click(int index);
    void ScrollPics_Change();

protected:
    void form_unload() override;
    // The status line is as high as a line of the font.
    void fit_to_font() override;

private:
    // Marked and shown: a hidden cell never counts as selected.
    bool selected(int cell) const;
    void run_query();
    // The result line; a message too long for one line wraps over the thumbnails' top edge
    // rather than being cut.
    void show_status(const std::string &text);
    void fit_status();

    Program &p_;
};

} // namespace kestle
