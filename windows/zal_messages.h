// The message window of DISPLAY: one label that a running script writes to.
#pragma once

#include "form.h"

#include <string>

class QLabel;

namespace kestle {

class Program;

class ZALMessages : public Form {
    Q_OBJECT
public:
    explicit ZALMessages(Program &p);
    QLabel *ZALMSG;

    std::string message() const;
    // The label's caption; the window grows or shrinks to hold the wrapped text.
    void set_message(const std::string &text);

    QSize sizeHint() const override;

protected:
    void fit_to_font() override { set_message(message()); }
};

} // namespace kestle
