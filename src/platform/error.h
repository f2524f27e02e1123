#pragma once
// The one error the program's routines throw when they cannot do their work: a short Russian
// reason the operator can read, and the file it concerns where there is one. It is caught where the
// operator is told, or where a failure is meant to pass silently, and only there; a fault of another
// kind (an invalid property value, a bug) is left to the event dispatch, which reports it. Qt Core
// only, so the workbook core and the file routines throw it without the widgets.
#include <QString>
#include <stdexcept>

namespace ui {

class Error : public std::runtime_error {
public:
    // A file that another program holds for the moment is busy: a passing state, which no caller
    // takes for an unreadable file, however its reason is worded.
    enum class Kind { Failure, Busy };
    explicit Error(const QString& reason, Kind kind = Kind::Failure);
    // what() names the file as messages do: "data/5.txt: нет доступа".
    Error(const QString& file, const QString& reason, Kind kind = Kind::Failure);

    // The file's path as given; empty when the failure concerns no file.
    const QString& file() const { return file_; }
    const QString& reason() const { return reason_; }
    bool busy() const { return kind_ == Kind::Busy; }

private:
    QString file_;
    QString reason_;
    Kind kind_;
};

// The system's reason for a failed operation, from its error number (errno), in a few Russian
// words: EACCES → "нет доступа".
QString systemReason(int errorNumber);

// The reason told for a file that another program holds for the moment (its save, a reader). Whether
// a failure is one is told by its kind (Error::busy, FileReader::busy, ReadResult::busy), never by
// its text.
QString busyReason();

}  // namespace ui
