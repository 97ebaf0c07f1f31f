// The splash window shown while the program starts.
#pragma once

#include <QWidget>

namespace kestle {

// Shown while the program starts; it has no behaviour of its own.
class ZALIntro : public QWidget {
    Q_OBJECT
public:
    ZALIntro();

protected:
    void paintEvent(QPaintEvent *) override;
};

} // namespace kestle
