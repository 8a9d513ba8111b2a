// SPDX-License-Identifier: MIT
#include "forkserver.h"

#include <sanitizer/allocator_interface.h>
#include <sanitizer/common_interface_defs.h>
#include <sanitizer/lsan_interface.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// This executable's inline 8-bit coverage counters: one section that the
// linker brackets with these symbols.
extern "C" {
extern std::uint8_t __start___sancov_cntrs[] __attribute__((weak));
extern std::uint8_t __stop___sancov_cntrs[] __attribute__((weak));
}

namespace fuzzsupport {
namespace {

// Exit statuses of the child that are findings in themselves.
const int leakStatus = 97;
const int orphanStatus = 98;
const int forbiddenExitStatus = 96;
const std::uint8_t counterMax = 255;

enum class ChildEnd : int { none, returned, exited };

// Written by the child, read by the fuzzer once the child is gone.
struct SharedPage
{
    volatile ChildEnd end;
    volatile int exitStatus;
    std::uint8_t counters[1]; // really counterBytes long
};

SharedPage *shared = nullptr;
std::size_t counterBytes = 0;
void (*runBody)() = nullptr;
int expectedStatus = 0;
int devNull = -1;
bool verbose = false;
bool inChild = false;
bool exitForbidden = false;
// A descriptor of the fuzzer's own standard error, kept for reports.
int reportFd = 2;
// The fuzzer's end of the line to the server: one byte per run goes out,
// the child's wait status comes back.
int serverLine = -1;

// Blocks allocated minus blocks freed while the child runs its body.
std::atomic<bool> counting{false};
std::atomic<long> liveBlocks{0};

// stdout gets a buffer that is not a heap block, so that the child's first
// print does not look like a leak.
char stdoutBuffer[BUFSIZ];

void onMalloc(const volatile void *, std::size_t)
{
    if (counting.load(std::memory_order_relaxed))
        liveBlocks.fetch_add(1, std::memory_order_relaxed);
}

void onFree(const volatile void *)
{
    if (counting.load(std::memory_order_relaxed))
        liveBlocks.fetch_sub(1, std::memory_order_relaxed);
}

void saveCounters()
{
    if (counterBytes)
        std::memcpy(shared->counters, __start___sancov_cntrs, counterBytes);
}

// The fuzzer's own counters for this input (its side of the harness) plus
// the child's, saturating like the counters themselves.
void addChildCounters()
{
    for (std::size_t i = 0; i < counterBytes; ++i) {
        const unsigned sum = unsigned(__start___sancov_cntrs[i]) + shared->counters[i];
        __start___sancov_cntrs[i] = std::uint8_t(sum > counterMax ? counterMax : sum);
    }
}

// Runs in the child when the code under test calls exit(). Registered after
// the sanitizer's exit-time leak check, so it runs first and keeps that
// check (which would report the model the reader leaves behind) from
// running at all.
void onChildExit(int status, void *)
{
    if (!inChild)
        return;
    if (exitForbidden) {
        dprintf(reportFd, "fuzz: the child called exit(%d) where the body forbids it\n", status);
        _exit(forbiddenExitStatus);
    }
    saveCounters();
    shared->exitStatus = status;
    shared->end = ChildEnd::exited;
    _exit(status);
}

[[noreturn]] void runChild()
{
    inChild = true;
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    // The sanitizers keep a report descriptor for the process that set it;
    // in another they open a file named after its id in the working
    // directory instead.
    __sanitizer_set_report_fd(reinterpret_cast<void *>(std::intptr_t(reportFd)));
    if (!verbose && devNull >= 0) {
        dup2(devNull, 1);
        dup2(devNull, 2);
    }
    if (counterBytes)
        std::memset(__start___sancov_cntrs, 0, counterBytes);
    liveBlocks = 0;
    counting = true;
    runBody();
    counting = false;
    // The full leak check is slow; it runs only when blocks are missing.
    if (liveBlocks != 0 && __lsan_do_recoverable_leak_check() != 0)
        _exit(leakStatus);
    saveCounters();
    shared->end = ChildEnd::returned;
    _exit(0);
}

bool readFully(int fd, void *data, std::size_t size)
{
    char *at = static_cast<char *>(data);
    while (size > 0) {
        const ssize_t n = read(fd, at, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        at += n;
        size -= std::size_t(n);
    }
    return true;
}

bool writeFully(int fd, const void *data, std::size_t size)
{
    const char *at = static_cast<const char *>(data);
    while (size > 0) {
        const ssize_t n = send(fd, at, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        at += n;
        size -= std::size_t(n);
    }
    return true;
}

[[noreturn]] void serve(pid_t fuzzer, int line)
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != fuzzer)
        _exit(orphanStatus);
    char go = 0;
    while (readFully(line, &go, 1)) {
        shared->end = ChildEnd::none;
        const pid_t child = fork();
        if (child == 0)
            runChild();
        int status = -1;
        if (child > 0)
            while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
        if (!writeFully(line, &status, sizeof status))
            break;
    }
    _exit(0); // the fuzzer has gone
}

void describe(int status)
{
    if (WIFSIGNALED(status))
        std::fprintf(stderr, "fuzz: the child was killed by signal %d\n", WTERMSIG(status));
    else if (WIFEXITED(status) && WEXITSTATUS(status) == leakStatus)
        std::fprintf(stderr, "fuzz: the child leaked memory\n");
    else if (WIFEXITED(status) && WEXITSTATUS(status) == forbiddenExitStatus)
        std::fprintf(stderr, "fuzz: the child called exit() where it must not\n");
    else if (shared->end == ChildEnd::exited)
        std::fprintf(stderr, "fuzz: the child called exit(%d), expected only exit(%d)\n",
                     shared->exitStatus, expectedStatus);
    else
        std::fprintf(stderr, "fuzz: the child ended with status %d without returning\n",
                     WIFEXITED(status) ? WEXITSTATUS(status) : -1);
}

[[noreturn]] void fail(const char *what)
{
    std::perror(what);
    std::abort();
}

} // namespace

void startForkServer(void (*body)(), int expectedExitStatus)
{
    runBody = body;
    expectedStatus = expectedExitStatus;
    if (__start___sancov_cntrs && __stop___sancov_cntrs > __start___sancov_cntrs)
        counterBytes = std::size_t(__stop___sancov_cntrs - __start___sancov_cntrs);
    void *page = mmap(nullptr, sizeof(SharedPage) + counterBytes, PROT_READ | PROT_WRITE,
                      MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (page == MAP_FAILED)
        fail("fuzz: mmap");
    shared = static_cast<SharedPage *>(page);
    devNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
    const char *env = std::getenv("RADAR_FUZZ_VERBOSE");
    verbose = env && *env && std::strcmp(env, "0") != 0;
    // Sanitizer reports keep a descriptor of the real standard error.
    const int reports = fcntl(2, F_DUPFD_CLOEXEC, 3);
    if (reports >= 0) {
        reportFd = reports;
        __sanitizer_set_report_fd(reinterpret_cast<void *>(std::intptr_t(reports)));
    }
    std::setvbuf(stdout, stdoutBuffer, _IOFBF, sizeof stdoutBuffer);
    __sanitizer_install_malloc_and_free_hooks(onMalloc, onFree);
    on_exit(onChildExit, nullptr);

    int line[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, line) != 0)
        fail("fuzz: socketpair");
    std::fflush(nullptr);
    const pid_t fuzzer = getpid();
    const pid_t server = fork();
    if (server < 0)
        fail("fuzz: fork");
    if (server == 0) {
        close(line[0]);
        serve(fuzzer, line[1]);
    }
    close(line[1]);
    serverLine = line[0];
}

void runForked()
{
    const char go = 1;
    int status = -1;
    if (!writeFully(serverLine, &go, 1) || !readFully(serverLine, &status, sizeof status)) {
        std::fprintf(stderr, "fuzz: the fork server has gone\n");
        std::abort();
    }
    if (shared->end != ChildEnd::none)
        addChildCounters();

    const bool returned =
        shared->end == ChildEnd::returned && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    const bool expectedExit = shared->end == ChildEnd::exited && WIFEXITED(status) &&
                              shared->exitStatus == expectedStatus &&
                              WEXITSTATUS(status) == expectedStatus;
    if (returned || expectedExit)
        return;
    describe(status);
    std::abort();
}

void exitIsFinding(bool on)
{
    exitForbidden = on;
}

void finding(const std::string &what)
{
    dprintf(reportFd, "fuzz: %s\n", what.c_str());
    std::abort();
}

} // namespace fuzzsupport

// A failed assertion in the child gets a sanitizer report with its stack,
// like any other crash (the child's own standard error is discarded).
extern "C" const char *__asan_default_options()
{
    return "handle_abort=1";
}
