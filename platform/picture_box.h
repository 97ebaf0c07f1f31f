// A picture box: a fill colour or a picture, an optional single border, a Tag and a click. It
// can stretch its picture to its size or take the picture's size.
#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>

#include <string>

namespace kestle {

// The picture in a file, read afresh every time (the work files are rewritten under one name
// within a second); a null pixmap when the file holds no picture.
QPixmap read_picture(const std::string &file);

class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent = nullptr);

    std::string tag;

    // 1 draws a single border, 0 none.
    int border_style() const { return border_style_; }
    void set_border_style(int style);
    void set_back_colour(const QColor &colour);
    QColor back_colour() const { return back_; }

    const QPixmap &picture() const { return picture_; }
    void set_picture(const QPixmap &picture);
    // Loads a picture file; one that holds no picture leaves the box as it was and gives false.
    bool load_picture(const std::string &file);

    // The picture drawn at the box's size rather than at its own.
    void set_stretch(bool stretch);
    // The box takes the size of each picture it is given.
    void set_auto_size(bool auto_size);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    // A stretched picture is scaled when it or the box changes, not at every paint.
    void scale_picture();
    QPixmap picture_;
    QPixmap scaled_; // the picture at the box's size, while it is stretched
    QColor back_;
    int border_style_ = 0;
    bool stretch_ = false;
    bool auto_size_ = false;
};

} // namespace kestle
