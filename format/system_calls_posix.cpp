#include "format/system_calls.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>

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

} // namespace kzo::sys
