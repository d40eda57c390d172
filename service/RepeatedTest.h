#pragma once
// The repeated test ("ID tag test"): every sensor of the main window's list in turn gets a
// status update, then every one is programmed with the settings read from it, and so on until
// the window closes. One sensor is one step, so the window runs it from a timer and stops
// between two steps.
#include <functional>
#include <string>
#include <vector>

#include "service/FactoryHost.h"
#include "settings/Programming.h"

namespace k7 {

// The log keeps this many entries before each new one pushes the oldest out (one more shows).
inline constexpr int kTestLogLimit = 30000;

// Why programming did not complete, for the log; empty when it did.
std::string programFailureText(const ProgramResult& r);

class RepeatedTest {
public:
    explicit RepeatedTest(FactoryHost& host) : host_(host) {}

    // The next sensor of the pass under way; the lines for the log. Nothing when the line was
    // busy (the same sensor is tried at the next step) or when `stopped` says so once the
    // sensor is chosen (choosing it lets events run, in which the test can be closed).
    std::vector<std::string> step(const std::function<bool()>& stopped = [] { return false; });

private:
    FactoryHost& host_;
    bool programming_ = false;
    int next_ = 0;
    bool toldEmpty_ = false;
};

}  // namespace k7
