#include "format/system_calls.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/prctl.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <mutex>
#include <system_error>
#include <thread>

extern char** environ;

#if defined(__SANITIZE_ADDRESS__)
#define KZO_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KZO_ADDRESS_SANITIZER 1
#endif
#endif

namespace kzo::sys {

std::string errorText(int errorNumber) {
    return std::generic_category().message(errorNumber);
}

ReadOutcome readRegularFileInto(const std::string& path,
                                const std::function<std::uint8_t*(std::size_t)>& room,
                                std::size_t& got, std::string& reason) {
    // Without O_NONBLOCK, opening a FIFO would wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        const int e = errno;
        reason = errorText(e);
        return e == EISDIR ? ReadOutcome::directory : ReadOutcome::cannotOpen;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        reason = errorText(errno);
        ::close(fd);
        return ReadOutcome::readFailed;
    }
    if (S_ISDIR(status.st_mode)) {
        reason = errorText(EISDIR);
        ::close(fd);
        return ReadOutcome::directory;
    }
    if (!S_ISREG(status.st_mode)) {
        reason = "not a regular file";
        ::close(fd);
        return ReadOutcome::notRegularFile;
    }
    // The size at opening bounds the read: a file that grows meanwhile is cut
    // there.
    const auto size = static_cast<std::size_t>(status.st_size);
    std::uint8_t* bytes = nullptr;
    try {
        bytes = room(size);
    } catch (...) {
        ::close(fd);
        throw;
    }
    got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, bytes + got, size - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            reason = errorText(errno);
            ::close(fd);
            return ReadOutcome::readFailed;
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return ReadOutcome::read;
}

ReadOutcome readRegularFile(const std::string& path, std::vector<std::uint8_t>& out,
                            std::string& reason) {
    std::vector<std::uint8_t> bytes;
    std::size_t got = 0;
    const ReadOutcome outcome = readRegularFileInto(
        path,
        [&](std::size_t size) {
            bytes.resize(size);
            return bytes.data();
        },
        got, reason);
    if (outcome == ReadOutcome::read) {
        bytes.resize(got);
        out = std::move(bytes);
    }
    return outcome;
}

void adviseHugePages(void* area, std::size_t size) {
#if defined(__linux__)
    ::madvise(area, size, MADV_HUGEPAGE);
#else
    (void)area;
    (void)size;
#endif
}

std::string createNewFile(const std::string& path, std::optional<unsigned> mode, int& handle,
                          bool& nameTaken) {
    nameTaken = false;
    handle = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (handle < 0) {
        nameTaken = errno == EEXIST;
        return errorText(errno);
    }
    // Set before anything is written, so the bytes are never open to more
    // readers than the mode allows.
    if (mode && ::fchmod(handle, static_cast<mode_t>(*mode)) != 0) {
        const int e = errno;
        ::close(handle);
        ::unlink(path.c_str());
        handle = -1;
        return errorText(e);
    }
    return {};
}

std::string writeAndClose(int handle, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(handle, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            const int e = errno;
            ::close(handle);
            return errorText(e);
        }
        done += static_cast<std::size_t>(n);
    }
    // Some file systems report a full disk only when the file is closed.
    return ::close(handle) != 0 ? errorText(errno) : std::string();
}

std::string hostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') {
        return "localhost";
    }
    return name;
}

long processId() {
    return static_cast<long>(::getpid());
}

bool processExists(long pid) {
    // kill() with 0 or a negative id would address a group of processes.
    if (pid <= 0) {
        return true;
    }
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

namespace {

// Written by the signal handler, read by the watching thread.
int gSignalPipe[2] = {-1, -1};
void (*gOnInterrupt)() = nullptr;

extern "C" void forwardSignal(int signalNumber) {
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t n = ::write(gSignalPipe[1], &byte, 1);
    errno = savedErrno;
}

void watchSignalPipe(int readEnd) {
    unsigned char signalNumber = 0;
    for (;;) {
        const ssize_t n = ::read(readEnd, &signalNumber, 1);
        if (n == 1) {
            break;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        return;
    }
    gOnInterrupt();
    // End as the signal would have ended the process, so that the caller sees
    // which signal it was.
    ::signal(signalNumber, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signalNumber);
    ::pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(signalNumber);
    ::_exit(128 + signalNumber);
}

} // namespace

void watchInterrupts(void (*onInterrupt)()) {
    static std::mutex mutex;
    static long watchingProcess = 0;
    const std::lock_guard lock(mutex);
    if (watchingProcess == processId()) {
        return;
    }
    int ends[2];
    if (::pipe(ends) != 0) {
        return;
    }
    for (int fd : ends) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    gSignalPipe[0] = ends[0];
    gSignalPipe[1] = ends[1];
    gOnInterrupt = onInterrupt;
    watchingProcess = processId();
    std::thread(watchSignalPipe, ends[0]).detach();
    for (int signalNumber : {SIGINT, SIGTERM}) {
        struct sigaction old {};
        ::sigaction(signalNumber, nullptr, &old);
        // An ignored signal stays ignored (a background job ignores SIGINT);
        // a handler someone else installed stays theirs.
        if ((old.sa_flags & SA_SIGINFO) != 0 || old.sa_handler != SIG_DFL) {
            continue;
        }
        struct sigaction forward {};
        forward.sa_handler = forwardSignal;
        sigemptyset(&forward.sa_mask);
        forward.sa_flags = SA_RESTART;
        ::sigaction(signalNumber, &forward, nullptr);
    }
}

std::string programPath() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.string();
}

void* openLibrary(const std::string& path, std::string& reason) {
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* text = dlerror();
        reason = text != nullptr ? text : "unknown reason";
    }
    return library;
}

void* librarySymbol(void* library, const std::string& name) {
    return dlsym(library, name.c_str());
}

double processorSeconds() {
    double seconds = 0;
    for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage{};
        if (::getrusage(who, &usage) == 0) {
            for (const timeval& t : {usage.ru_utime, usage.ru_stime}) {
                seconds += static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
            }
        }
    }
    return seconds;
}

std::uint64_t physicalMemoryBytes() {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) {
        return 0;
    }
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
}

std::string socketPair(SocketKind kind, int ends[2]) {
    const int type = kind == SocketKind::stream ? SOCK_STREAM : SOCK_SEQPACKET;
    return ::socketpair(AF_UNIX, type | SOCK_CLOEXEC, 0, ends) != 0 ? errorText(errno)
                                                                    : std::string();
}

void closeDescriptor(int fd) {
    if (fd >= 0) {
        ::close(fd);
    }
}

void setNonBlocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) {
        ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    }
}

namespace {

// posix_spawn's own objects, released however the start ends.
struct SpawnSetup {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    SpawnSetup() {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
};

} // namespace

long startProgram(const std::string& program, const std::vector<std::string>& args, int channel,
                  std::string& reason) {
    // A channel among the descriptors the child's are made of would be
    // replaced before it is copied (a process started without its standard
    // input gets descriptor 0 for its next socket).
    int high = channel;
    if (channel <= 3) {
        high = ::fcntl(channel, F_DUPFD_CLOEXEC, 10);
        if (high < 0) {
            reason = errorText(errno);
            return 0;
        }
    }
    SpawnSetup setup;
    // dup2 clears close-on-exec on the copy only.
    posix_spawn_file_actions_adddup2(&setup.actions, high, 3);
    for (int fd = 0; fd < 3; ++fd) {
        posix_spawn_file_actions_addopen(&setup.actions, fd, "/dev/null",
                                         fd == 0 ? O_RDONLY : O_WRONLY, 0);
    }
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    // Whatever another part of the process opened without close-on-exec.
    posix_spawn_file_actions_addclosefrom_np(&setup.actions, 4);
#endif
    // The signals this process blocks or catches are its own affair: the
    // child starts with every signal delivered and handled by default.
    sigset_t none;
    sigemptyset(&none);
    sigset_t all;
    sigfillset(&all);
    posix_spawnattr_setsigmask(&setup.attributes, &none);
    posix_spawnattr_setsigdefault(&setup.attributes, &all);
    posix_spawnattr_setflags(&setup.attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int error =
        posix_spawn(&pid, program.c_str(), &setup.actions, &setup.attributes, argv.data(), environ);
    if (high != channel) {
        ::close(high);
    }
    if (error != 0) {
        reason = errorText(error);
        return 0;
    }
    return static_cast<long>(pid);
}

long forkProcess(int& errorNumber) {
    const pid_t pid = ::fork();
    errorNumber = pid < 0 ? errno : 0;
    return pid < 0 ? -1 : static_cast<long>(pid);
}

ProcessEnd waitForProcess(long pid) {
    int status = 0;
    while (::waitpid(static_cast<pid_t>(pid), &status, 0) < 0) {
        if (errno != EINTR) {
            return {};
        }
    }
    if (WIFSIGNALED(status)) {
        return {true, WTERMSIG(status)};
    }
    return {false, WIFEXITED(status) ? WEXITSTATUS(status) : 0};
}

void killProcess(long pid) {
    // kill() with 0 or a negative id would address a group of processes.
    if (pid > 0) {
        ::kill(static_cast<pid_t>(pid), SIGKILL);
    }
}

bool waitUntil(std::span<WaitItem> items, Deadline deadline) {
    std::vector<pollfd> polled;
    for (const WaitItem& item : items) {
        const short events =
            static_cast<short>((item.wantRead ? POLLIN : 0) | (item.wantWrite ? POLLOUT : 0));
        polled.push_back({item.fd, events, 0});
    }
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        const int timeout = static_cast<int>(std::min<std::chrono::milliseconds::rep>(
            left.count(), std::numeric_limits<int>::max()));
        const int n = ::poll(polled.data(), static_cast<nfds_t>(polled.size()), timeout);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            // A failed poll cannot become a success by waiting: let the
            // deadline speak.
            if (n < 0) {
                return false;
            }
            continue;
        }
        for (std::size_t i = 0; i < items.size(); ++i) {
            const short got = polled[i].revents;
            const bool closed = (got & (POLLHUP | POLLERR | POLLNVAL)) != 0;
            items[i].readable = items[i].wantRead && ((got & POLLIN) != 0 || closed);
            items[i].writable = items[i].wantWrite && ((got & POLLOUT) != 0 || closed);
        }
        return true;
    }
}

TransferOutcome readSome(int fd, std::span<std::uint8_t> room, std::size_t& got) {
    got = 0;
    for (;;) {
        const ssize_t n = ::read(fd, room.data(), room.size());
        if (n > 0) {
            got = static_cast<std::size_t>(n);
            return TransferOutcome::done;
        }
        if (n == 0) {
            return TransferOutcome::ended;
        }
        if (errno == EINTR) {
            continue;
        }
        return errno == EAGAIN || errno == EWOULDBLOCK ? TransferOutcome::wouldWait
                                                       : TransferOutcome::failed;
    }
}

TransferOutcome sendSome(int fd, std::span<const std::uint8_t> bytes, std::size_t& sent) {
    sent = 0;
    for (;;) {
        const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n >= 0) {
            sent = static_cast<std::size_t>(n);
            return TransferOutcome::done;
        }
        if (errno == EINTR) {
            continue;
        }
        return errno == EAGAIN || errno == EWOULDBLOCK ? TransferOutcome::wouldWait
                                                       : TransferOutcome::failed;
    }
}

bool sendAll(int fd, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        std::size_t sent = 0;
        if (sendSome(fd, bytes, sent) != TransferOutcome::done) {
            return false;
        }
        bytes = bytes.subspan(sent);
    }
    return true;
}

bool sendMessage(int fd, std::span<const std::uint8_t> bytes, int passed) {
    iovec part{const_cast<std::uint8_t*>(bytes.data()), bytes.size()};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    if (passed >= 0) {
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        cmsghdr* header = CMSG_FIRSTHDR(&message);
        header->cmsg_level = SOL_SOCKET;
        header->cmsg_type = SCM_RIGHTS;
        header->cmsg_len = CMSG_LEN(sizeof(int));
        std::memcpy(CMSG_DATA(header), &passed, sizeof(int));
    }
    for (;;) {
        const ssize_t n = ::sendmsg(fd, &message, MSG_NOSIGNAL);
        if (n >= 0) {
            return static_cast<std::size_t>(n) == bytes.size();
        }
        if (errno != EINTR) {
            return false;
        }
    }
}

long receiveMessage(int fd, std::span<std::uint8_t> room, int& passed) {
    passed = -1;
    iovec part{room.data(), room.size()};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t n = 0;
    do {
        n = ::recvmsg(fd, &message, MSG_CMSG_CLOEXEC);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        return -1;
    }
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header != nullptr;
         header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level == SOL_SOCKET && header->cmsg_type == SCM_RIGHTS &&
            header->cmsg_len >= CMSG_LEN(sizeof(int))) {
            std::memcpy(&passed, CMSG_DATA(header), sizeof(int));
        }
    }
    return static_cast<long>(n);
}

void limitWritableMemory(std::uint64_t bytes) {
#if defined(KZO_ADDRESS_SANITIZER)
    (void)bytes;
#else
    const rlimit limit{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
    ::setrlimit(RLIMIT_DATA, &limit);
#endif
}

bool writableMemoryLimited() {
#if defined(KZO_ADDRESS_SANITIZER)
    return false;
#else
    return true;
#endif
}

void limitProcessorSeconds(unsigned seconds) {
    // The soft limit sends SIGXCPU; the hard one, a second later, SIGKILL.
    const rlimit limit{static_cast<rlim_t>(seconds), static_cast<rlim_t>(seconds) + 1};
    ::setrlimit(RLIMIT_CPU, &limit);
}

void endWithParent(long parentPid) {
#if defined(__linux__)
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
    if (static_cast<long>(::getppid()) != parentPid) {
        ::_exit(1);
    }
}

bool raiseStackLimit(std::size_t bytes) {
    rlimit limit{};
    if (::getrlimit(RLIMIT_STACK, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
        limit.rlim_cur >= bytes) {
        return false;
    }
    const rlim_t wanted = limit.rlim_max == RLIM_INFINITY
                              ? static_cast<rlim_t>(bytes)
                              : std::min(static_cast<rlim_t>(bytes), limit.rlim_max);
    if (wanted <= limit.rlim_cur) {
        return false;
    }
    limit.rlim_cur = wanted;
    return ::setrlimit(RLIMIT_STACK, &limit) == 0;
}

bool askHugePageHeap() {
#if defined(__GLIBC__)
    const char* tunables = std::getenv("GLIBC_TUNABLES");
    const std::string old = tunables != nullptr ? tunables : "";
    if (old.find("glibc.malloc.hugetlb") != std::string::npos) {
        return false;
    }
    const std::string asked = (old.empty() ? old : old + ":") + "glibc.malloc.hugetlb=1";
    return ::setenv("GLIBC_TUNABLES", asked.c_str(), 1) == 0;
#else
    return false;
#endif
}

void replaceProgram(const std::string& program, const std::vector<std::string>& args) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
}

std::string changeDirectory(const std::string& path) {
    return ::chdir(path.c_str()) != 0 ? errorText(errno) : std::string();
}

void exitNow(int status) {
    ::_exit(status);
}

} // namespace kzo::sys
