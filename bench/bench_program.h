// The program as the benchmarks start it: defaults, messages, the main window, a connection to
// SAMPLE and the first SQL window, with dialogs that answer at once.
#pragma once

#include "bench_support.h"
#include "dialogs.h"
#include "messages.h"
#include "program.h"
#include "session.h"
#include "settings.h"
#include "zal_master.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace bench {

// No box is ever wanted here: a message is printed and answered OK, every question cancelled.
class NoDialogs : public kestle::Dialogs {
public:
    kestle::Answer message(const std::string &text, const std::string &, kestle::MessageIcon,
                           kestle::MessageButtons) override {
        std::fprintf(stderr, "%s: %s\n", program, text.c_str());
        return kestle::Answer::Ok;
    }
    std::optional<std::string> input(const std::string &, const std::string &, const std::string &) override {
        return std::nullopt;
    }
    std::optional<std::string> open_file(const std::string &, const std::string &, const std::string &) override {
        return std::nullopt;
    }
    std::optional<kestle::FontChoice> font(const kestle::FontChoice &, const std::string &) override {
        return std::nullopt;
    }
};

// A benchmark of the program's own paths: the offscreen application, a temporary instance with
// the BENCH table of `rows` rows (none when 0), and the program started on it with its first
// SQL window.
class ProgramBench {
public:
    ProgramBench(int &argc, char **argv, const char *name, int rows)
        : app_(offscreen(argc), argv), instance_(name) {
        if (rows > 0)
            create_bench_table(rows);
        kestle::set_defaults(program_.settings, program_.vars, program_.run, program_.notes,
                             std::filesystem::temp_directory_path().string());
        kestle::set_messages(program_.messages);
        program_.master().show();
        if (kestle::ZAL_connect(program_, "SAMPLE", "", "") != 0 || !program_.master().open_sql_window(false)) {
            std::fprintf(stderr, "%s: the program did not start\n", name);
            std::exit(1);
        }
    }
    kestle::Program &program() { return program_; }

private:
    static int &offscreen(int &argc) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        return argc;
    }

    QApplication app_;
    Instance instance_;
    NoDialogs dialogs_;
    kestle::Program program_{dialogs_};
};

} // namespace bench
