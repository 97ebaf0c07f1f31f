#include "window_support.h"

#include <gtest/gtest.h>

#include <QString>
#include <QtGlobal>

#include <stdexcept>
#include <string>
#include <vector>

using namespace kestle;

namespace {

std::vector<std::string> warnings;

void keep_warning(QtMsgType type, const QMessageLogContext &, const QString &text) {
    if (type == QtWarningMsg)
        warnings.push_back(text.toStdString());
}

template <class F>
std::vector<std::string> warnings_of(F &&handler) {
    warnings.clear();
    const QtMessageHandler before = qInstallMessageHandler(keep_warning);
    guarded("TV_NodeClick", handler);
    qInstallMessageHandler(before);
    return warnings;
}

// What a handler lets escape is logged under its name, whatever was thrown, and goes no further.
TEST(GuardedTest, LogsWhatAHandlerLetsEscape) {
    EXPECT_EQ(warnings_of([] { throw std::runtime_error("no such table"); }),
              std::vector<std::string>{"TV_NodeClick: no such table"});
    EXPECT_EQ(warnings_of([] { throw 42; }), std::vector<std::string>{"TV_NodeClick: unknown exception"});
    bool ran = false;
    EXPECT_TRUE(warnings_of([&] { ran = true; }).empty());
    EXPECT_TRUE(ran);
}

} // namespace
