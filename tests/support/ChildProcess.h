#pragma once
// A forked child that runs a function and talks to the parent over two pipes,
// one byte at a time, so tests can order steps between processes.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

class ChildProcess {
public:
    // body runs in the child, which then ends without running any test code:
    // status 0 when body returns, 2 when it raises.
    explicit ChildProcess(const std::function<void(ChildProcess&)>& body) {
        if (pipe(toChild_) != 0 || pipe(toParent_) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            close(toChild_[1]);
            close(toParent_[0]);
            inChild_ = true;
            try {
                body(*this);
            } catch (...) {
                _exit(2);
            }
            _exit(0);
        }
        close(toChild_[0]);
        close(toParent_[1]);
    }
    ~ChildProcess() {
        if (pid_ > 0 && !reaped_) {
            kill(pid_, SIGKILL);
            Wait();
        }
        close(inChild_ ? toChild_[0] : toChild_[1]);
        close(inChild_ ? toParent_[1] : toParent_[0]);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    // Either side: send one signal byte to the other, or wait for one.
    // Receive is false when the other side has gone.
    void Send(char c = 'x') { (void)!write(inChild_ ? toParent_[1] : toChild_[1], &c, 1); }
    bool Receive() {
        char c;
        return read(inChild_ ? toChild_[0] : toParent_[0], &c, 1) == 1;
    }
    void KillHard() { kill(pid_, SIGKILL); }
    // The child's exit status, or -1 when it was killed.
    int Wait() {
        int status = 0;
        waitpid(pid_, &status, 0);
        reaped_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    int toChild_[2] = {-1, -1};
    int toParent_[2] = {-1, -1};
    pid_t pid_ = -1;
    bool inChild_ = false;
    bool reaped_ = false;
};
