#include "run_support.h"

#include <QApplication>
#include <chrono>

namespace kestle {

double clock_seconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void yield_events() { QCoreApplication::processEvents(); }

Hourglass::Hourglass() { QApplication::setOverrideCursor(Qt::WaitCursor); }

Hourglass::~Hourglass() { QApplication::restoreOverrideCursor(); }

} // namespace kestle
