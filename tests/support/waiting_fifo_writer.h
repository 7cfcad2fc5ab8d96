#ifndef QOR_TESTS_SUPPORT_WAITING_FIFO_WRITER_H
#define QOR_TESTS_SUPPORT_WAITING_FIFO_WRITER_H

// A child process that opens a FIFO for writing and waits in that open until
// some reader opens the FIFO: whether it still waits tells whether the code
// under test opened the FIFO.

#include <fcntl.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>

// True while the process or thread of this /proc folder ("/proc/PID",
// "/proc/self/task/TID") sleeps in an open of a FIFO, waiting for the other
// end: one that came would have woken it at once. (A sleep in the open's
// path lookup does not count.)
inline bool sleeps_in_fifo_open(const std::string& proc)
{
    std::ifstream call(proc + "/syscall"), wait(proc + "/wchan");
    long number = -1; // "running" when awake, the call's number when asleep
    std::string where;
    call >> number;
    std::getline(wait, where);
    return call && number == SYS_openat && (where == "wait_for_partner" || where == "fifo_open");
}

class WaitingFifoWriter
{
  public:
    explicit WaitingFifoWriter(const std::string& fifo)
    {
        const char* path = fifo.c_str();
        pid_ = fork();
        if (pid_ == 0)
            _exit(::open(path, O_WRONLY) >= 0 ? 0 : 1);
        // Until the child sits in its open, with a bound.
        for (int tries = 0; tries < 10000 && !waiting(); ++tries)
            usleep(1000);
    }
    ~WaitingFifoWriter()
    {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    WaitingFifoWriter(const WaitingFifoWriter&) = delete;
    WaitingFifoWriter& operator=(const WaitingFifoWriter&) = delete;

    // True while the child sleeps in its open, waiting for a reader.
    bool waiting() const
    {
        return pid_ > 0 && sleeps_in_fifo_open("/proc/" + std::to_string(pid_));
    }

  private:
    pid_t pid_ = -1;
};

#endif
