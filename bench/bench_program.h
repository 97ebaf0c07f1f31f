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

class StartedProgram {
public:
    StartedProgram() {
        kestle::set_defaults(program.settings, program.vars, program.run, program.notes,
                             std::filesystem::temp_directory_path().string());
        kestle::set_messages(program.messages);
        program.master().show();
        if (kestle::ZAL_connect(program, "SAMPLE", "", "") != 0 || !program.master().open_sql_window(false)) {
            std::fprintf(stderr, "%s: the program did not start\n", bench::program);
            std::exit(1);
        }
    }
    NoDialogs dialogs;
    kestle::Program program{dialogs};
};

} // namespace bench
