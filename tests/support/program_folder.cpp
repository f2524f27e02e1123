#include "support/program_folder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <stdexcept>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Whether every folder on the way to `path` lets other users pass.
bool reachableByEveryone(const QString& path) {
    for (QDir dir(path);;) {
        struct stat st {};
        if (::stat(QFile::encodeName(dir.absolutePath()).constData(), &st) != 0 || !(st.st_mode & S_IXOTH))
            return false;
        if (dir.isRoot()) return true;
        dir.cdUp();
    }
}

// Tests running as root check permissions as the user nobody, who must reach the folders; /tmp
// serves when the usual temporary folder is private.
QString folderTemplate() {
    QString base = QDir::tempPath();
    if (::geteuid() == 0 && !reachableByEveryone(base) && reachableByEveryone(QStringLiteral("/tmp")))
        base = QStringLiteral("/tmp");
    return base + QStringLiteral("/velmox-test-XXXXXX");
}

}  // namespace

ProgramFolder::ProgramFolder() : dir_(folderTemplate()) {
    if (!dir_.isValid()) throw std::runtime_error("cannot create a temporary program folder");
}

QString ProgramFolder::file(const QString& name) const {
    QString rel = name;
    rel.replace('\\', '/');
    return dir_.filePath(rel);
}

void ProgramFolder::write(const QString& name, const QByteArray& bytes) const {
    const QString p = file(name);
    QDir().mkpath(QFileInfo(p).absolutePath());
    QFile f(p);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) throw std::runtime_error("cannot write fixture");
    f.write(bytes);
}

QByteArray ProgramFolder::read(const QString& name) const {
    QFile f(file(name));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

bool ProgramFolder::exists(const QString& name) const {
    return QFileInfo::exists(file(name));
}

void ProgramFolder::copyFrom(const QString& built, const QString& name) const {
    const QDir from(built);
    QDirIterator it(from.filePath(name), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) throw std::runtime_error("cannot read the built program folder");
        write(from.relativeFilePath(path), f.readAll());
    }
}

QByteArray cp1251(const QString& text) {
    QStringEncoder enc("windows-1251");
    return enc.encode(text);
}
