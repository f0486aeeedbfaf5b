#include "os/ProcessStart.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <thread>

extern char** environ;

namespace os {

bool StartProgram(const std::string& program, const std::vector<std::string>& arguments) {
    std::vector<std::string> words;
    words.reserve(arguments.size() + 1);
    words.push_back(program);
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    // posix_spawnp reports a program that cannot be executed as its result.
    pid_t pid = 0;
    if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    // Nobody waits for the program; this thread collects it when it ends.
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

}  // namespace os
