#pragma once
// What may be read or written as a file: a plain file, and nothing else. A named pipe in a file's
// place would hold its reader until some writer came; a device, a socket or a folder holds no content
// of the program's. One rule for the file routine, the single-instance lock and the pictures. Qt Core
// only.
#include <sys/types.h>

#include <QByteArray>
#include <QString>
#include <utility>

namespace ui {

// Why what has the mode `mode` is no plain file, in the operator's words ("на месте файла находится
// ссылка", "… папка", "не обычный файл"); "" for a plain file.
QString notAPlainFile(mode_t mode);

// Opens `path` with `flags` (O_CLOEXEC and O_NONBLOCK are added: a pipe in the file's place is then
// opened at once instead of waiting) and checks what was opened. The descriptor of a plain file;
// else -1, with `error` the system's error number of a failed open (errno is kept too), or 0 and
// `refusal` why what was opened is no plain file.
// `mode` is that of a file O_CREAT makes.
int openPlainFile(const QByteArray& path, int flags, int& error, QString& refusal, mode_t mode = 0);

// An open descriptor, closed once, by whoever holds it last.
class Descriptor {
public:
    Descriptor() = default;
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        if (this != &other) reset(std::exchange(other.fd_, -1));
        return *this;
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { reset(); }

    int get() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }
    // Closes what it holds and takes `fd` instead.
    void reset(int fd = -1);
    // Gives up what it holds, unclosed, to the caller.
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_ = -1;
};

// openPlainFile where only whether a plain file opened matters.
Descriptor openPlain(const QByteArray& path, int flags);

}  // namespace ui
