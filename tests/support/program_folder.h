#pragma once
// A throw-away program folder for one test: created empty in a temporary directory, filled by
// the test with the few files it needs, removed when the test ends.
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

class ProgramFolder {
public:
    ProgramFolder();
    QString path() const { return dir_.path(); }
    // `name` may use "\" as the system writes it ("data\\1.txt"); folders are created as needed.
    QString file(const QString& name) const;
    void write(const QString& name, const QByteArray& bytes) const;
    QByteArray read(const QString& name) const;
    bool exists(const QString& name) const;
    // Copies the folder `name` of the built program folder `built`, with everything below it.
    void copyFrom(const QString& built, const QString& name) const;

private:
    QTemporaryDir dir_;
};

// Bytes of `text` in Windows-1251, as the system's files are stored.
QByteArray cp1251(const QString& text);
