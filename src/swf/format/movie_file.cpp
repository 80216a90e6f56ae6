#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "swf/format/movie_loader.h"

namespace velmora::swf {

namespace {

// Closes the descriptor on every way out.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    const int fd_;
};

const char* whatItIs(mode_t mode) {
    if (S_ISDIR(mode)) return "is a folder, not a movie file";
    if (S_ISFIFO(mode)) return "is a FIFO (a pipe), not a movie file";
    if (S_ISSOCK(mode)) return "is a socket, not a movie file";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "is a device, not a movie file";
    return "is not a regular file";
}

[[noreturn]] void fail(const std::string& path, const std::string& why) { throw ParseError(path + ": " + why); }

}  // namespace

std::vector<uint8_t> readMovieFile(const std::string& path, const ParseLimits& limits) {
    // Without O_NONBLOCK, opening a FIFO waits until someone opens it for writing.
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0) fail(path, std::strerror(errno));
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) fail(path, std::strerror(errno));
    if (!S_ISREG(info.st_mode)) fail(path, whatItIs(info.st_mode));

    // Compression only ever makes a movie smaller, so a file larger than the cap on the unpacked
    // movie would break it anyway: refuse it before reading it into memory.
    const uint64_t size = static_cast<uint64_t>(info.st_size);
    if (size > limits.maxUncompressedBytes + 8) {
        fail(path, "the file is larger than " + std::to_string(limits.maxUncompressedBytes >> 20) + " MiB");
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(file.get(), bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) fail(path, std::strerror(errno));
        if (got == 0) fail(path, "the file became shorter while it was read");
        done += static_cast<size_t>(got);
    }
    return bytes;
}

}  // namespace velmora::swf
