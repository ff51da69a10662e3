#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <thread>
#include <vector>

namespace stylorex::testing {

// One child process per processor, each spinning for as long as the object lives: a machine
// whose every core is kept busy by other work, as when a build runs beside the drawing.
class BusyProcessors {
  public:
    BusyProcessors() {
        const unsigned cores = std::max(1U, std::thread::hardware_concurrency());
        for (unsigned i = 0; i < cores; ++i) {
            const pid_t pid = fork();
            if (pid == 0) {
                volatile unsigned long spin = 0;
                for (;;) {
                    spin = spin + 1;
                }
            }
            if (pid > 0) {
                children_.push_back(pid);
            }
        }
    }
    ~BusyProcessors() {
        for (const pid_t pid : children_) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    BusyProcessors(const BusyProcessors&) = delete;
    BusyProcessors& operator=(const BusyProcessors&) = delete;

    std::size_t count() const { return children_.size(); }

  private:
    std::vector<pid_t> children_;
};

}  // namespace stylorex::testing
