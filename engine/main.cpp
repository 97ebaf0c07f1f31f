// kestle: the presenter's program.
#include "program.h"
#include "startup.h"

#include <QApplication>

#include <string>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    // The product's tools lie beside the program; the tools it starts find them on PATH.
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QCoreApplication::applicationDirPath().toLocal8Bit() + (path.isEmpty() ? "" : ":" + path));
    // The command line as one text, as the start-up reads it; quoting survives because
    // arguments holding blanks are quoted again.
    std::string command_line;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (!command_line.empty())
            command_line += ' ';
        const auto eq = arg.find('=');
        if (arg.find(' ') != std::string::npos && eq != std::string::npos && arg.find('"') == std::string::npos)
            arg = arg.substr(0, eq + 1) + '"' + arg.substr(eq + 1) + '"';
        command_line += arg;
    }
    kestle::QtDialogs dialogs;
    kestle::Program program(dialogs);
    kestle::Main(program, command_line);
    return app.exec();
}
