#pragma once

// The real program's processes as /proc shows them: its state, whether it is gone, its guardian.
#include <dirent.h>
#include <sys/types.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace stylorex::testing {

// The state letter and parent of a process from /proc/<pid>/stat; nullopt once it is gone.
struct ProcessState {
    char state;
    pid_t parent;
};

inline std::optional<ProcessState> ReadProcessState(pid_t pid, std::string* name = nullptr) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) {
        return std::nullopt;
    }
    // "pid (name) state ppid ...": the name may hold blanks and parentheses.
    const auto open = line.find('(');
    const auto close = line.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close + 4 > line.size()) {
        return std::nullopt;
    }
    if (name != nullptr) {
        *name = line.substr(open + 1, close - open - 1);
    }
    ProcessState state{line[close + 2], 0};
    state.parent = static_cast<pid_t>(std::stol(line.substr(close + 4)));
    return state;
}

// Gone, or a zombie no one has reaped yet: either way it does nothing any more.
inline bool ProcessGone(pid_t pid) {
    const auto state = ReadProcessState(pid);
    return !state || state->state == 'Z' || state->state == 'X';
}

inline bool ProcessStopped(pid_t pid) {
    const auto state = ReadProcessState(pid);
    return state && state->state == 'T';
}

// The live children of `program`, with their names.
inline std::vector<std::pair<pid_t, std::string>> ChildrenOf(pid_t program) {
    std::vector<std::pair<pid_t, std::string>> children;
    DIR* proc = opendir("/proc");
    while (dirent* entry = proc != nullptr ? readdir(proc) : nullptr) {
        const pid_t pid = static_cast<pid_t>(std::atol(entry->d_name));
        std::string name;
        const auto state = pid > 0 ? ReadProcessState(pid, &name) : std::nullopt;
        if (state && state->parent == program && !ProcessGone(pid)) {
            children.emplace_back(pid, name);
        }
    }
    if (proc != nullptr) {
        closedir(proc);
    }
    return children;
}

inline std::optional<pid_t> GuardianOf(pid_t program) {
    for (const auto& [pid, name] : ChildrenOf(program)) {
        if (name == "stylorex-guard") {
            return pid;
        }
    }
    return std::nullopt;
}

}  // namespace stylorex::testing
