#pragma once

// Runs a piece of a test in a child process that permissions bind: an ordinary user as itself, root as the
// user "nobody" (uid and gid 65534), since root ignores permissions.

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

namespace qel::test {

// What `body` returned in the child.
inline std::string RunAsNobody(const std::function<std::string()>& body) {
    int fds[2];
    if (pipe(fds) != 0)
        return "pipe failed";
    const pid_t pid = fork();
    if (pid == 0) {
        const bool switched =
            geteuid() != 0 || (setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0);
        const std::string answer = switched ? body() : "cannot leave root";
        _exit(write(fds[1], answer.data(), answer.size()) < 0 ? 2 : 0);
    }
    ::close(fds[1]);
    std::string answer;
    char chunk[256];
    for (ssize_t got; (got = read(fds[0], chunk, sizeof chunk)) > 0;)
        answer.append(chunk, static_cast<size_t>(got));
    ::close(fds[0]);
    waitpid(pid, nullptr, 0);
    return answer;
}

} // namespace qel::test
