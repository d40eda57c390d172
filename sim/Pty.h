#pragma once
// A pseudo-terminal for the simulator: the simulator works the master, a client opens the
// slave path like any serial device. We keep a slave descriptor open ourselves so the master
// never sees a hang-up while no client has the device open.
#include <string>

namespace k7::sim {

class Pty {
public:
    Pty();  // throws std::system_error
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    int masterFd() const { return master_; }  // non-blocking
    const std::string& slavePath() const { return slavePath_; }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

}  // namespace k7::sim
