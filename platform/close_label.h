// The small close control of the viewers: a boxed cross.
#pragma once

#include <QWidget>

namespace kestle {

class CloseLabel : public QWidget {
    Q_OBJECT
public:
    explicit CloseLabel(QWidget *parent = nullptr);
    // The caption decides what shows: "x" draws the boxed cross, anything else nothing.
    void set_caption(const QString &caption);
    QString caption() const { return caption_; }
    QSize sizeHint() const override { return {17, 17}; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *) override;
    void mouseReleaseEvent(QMouseEvent *) override;

private:
    QString caption_ = "x";
};

} // namespace kestle
