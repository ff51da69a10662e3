#include "os/button_guardian.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>

namespace stylorex {
namespace {

// The program's side as a script: each step is a byte, 'q'uiet or 'c'losed; 'x' makes the
// program stop being the guardian's parent from then on, 's' stops it and 'g' continues it.
// The pointer counts releases.
class ScriptedPorts : public GuardianPorts {
  public:
    explicit ScriptedPorts(const std::string& script) : steps_(script.begin(), script.end()) {}

    Wait next(char* message, int) override {
        for (;;) {
            if (steps_.empty()) {
                return Wait::Closed;
            }
            const char step = steps_.front();
            steps_.pop_front();
            switch (step) {
                case 'q':
                    return Wait::Quiet;
                case 'c':
                    return Wait::Closed;
                case 'x':
                    parentGone_ = true;
                    continue;
                case 's':
                case 'g':
                    stopped_ = step == 's';
                    continue;
                default:
                    *message = step;
                    return Wait::Message;
            }
        }
    }
    bool programRuns() override { return !parentGone_; }
    bool programStopped() override { return stopped_; }
    void releaseButton() override { ++releases; }

    int releases = 0;

  private:
    std::deque<char> steps_;
    bool parentGone_ = false;
    bool stopped_ = false;
};

TEST(ButtonGuardianTest, ReleasesOnlyWhenTheProgramIsGoneWithTheButtonDown) {
    struct Case {
        const char* script;
        int releases;
        const char* what;
    };
    const Case cases[] = {
        {"DqDqc", 1, "button down, then the pipe closes"},
        {"DUc", 0, "button up again, then the pipe closes"},
        {"Qc", 0, "the normal exit message"},
        {"DQc", 0, "the exit message ends the guardian whatever it last heard"},
        {"DUDxq", 1, "down, and the program no longer the parent: a forked child holds the pipe"},
        {"xDq", 1, "what the program wrote before it went is still read"},
        {"Uxq", 0, "up when the program went"},
        {"Dsqqgc", 1, "stopped with the button down: released once, not again when it closes"},
        {"Usqc", 0, "stopped with the button up"},
        {"DsqgDsqc", 2, "pressed again after the continue, and stopped again"},
        {"DXUc", 1, "the program asks for the release, then says it is up"},
    };
    for (const Case& c : cases) {
        ScriptedPorts ports(c.script);
        RunButtonGuardian(ports);
        EXPECT_EQ(ports.releases, c.releases) << c.what;
    }
}

}  // namespace
}  // namespace stylorex
