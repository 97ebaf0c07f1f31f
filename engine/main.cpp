// kestle: the presenter's program.
#include "program.h"
#include "settings.h"
#include "startup.h"
#include "zal_master.h"

#include <QApplication>

#include <string>
#include <vector>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    // The product's tools lie beside the program; the tools it starts find them on PATH.
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QCoreApplication::applicationDirPath().toLocal8Bit() + (path.isEmpty() ? "" : ":" + path));
    kestle::QtDialogs dialogs;
    kestle::Program program(dialogs);
    kestle::Main(program, kestle::command_line_text(std::vector<std::string>(argv + 1, argv + argc)));
    dialogs.main_window = &program.master();
    return app.exec();
}
