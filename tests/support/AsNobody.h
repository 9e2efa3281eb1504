#pragma once

// Child processes that report to the parent through a pipe. RunAsNobody's child is bound by permissions: an ordinary
// user runs it as itself, root as the user "nobody" (uid and gid 65534), since root ignores permissions.

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <utility>

namespace qel::test {

inline void Report(int fd, const std::string& text) {
    if (write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        _exit(3);
}

// Runs `child(fd)` in a child process that exits after it; gives its pid and the pipe's read end.
template <typename F> std::pair<pid_t, int> Spawn(F child) {
    int fds[2];
    if (pipe(fds) != 0)
        std::abort();
    const pid_t pid = fork();
    if (pid == 0) {
        ::close(fds[0]);
        child(fds[1]);
        _exit(0);
    }
    ::close(fds[1]);
    return {pid, fds[0]};
}

// What the child reported up to its end, the pipe then closed; with `line`, only its first line.
inline std::string ReadReport(int fd, bool line = false) {
    std::string text;
    char byte = 0;
    while ((!line || text.find('\n') == std::string::npos) && read(fd, &byte, 1) == 1)
        text += byte;
    if (!line)
        ::close(fd);
    return text;
}

template <typename F> std::string RunAsNobody(F body) {
    const auto [pid, fd] = Spawn([&](int fd) {
        const bool nobody = geteuid() != 0 || (setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0);
        Report(fd, nobody ? body() : "cannot leave root");
    });
    const std::string answer = ReadReport(fd);
    waitpid(pid, nullptr, 0);
    return answer;
}

} // namespace qel::test
