// The clearing of what killed saves left: only the routine's own names, only beside the files the
// program writes, never what a running save holds, and through links to where a file really lies.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "common/leftovers.h"
#include "common/whole_file.h"
#include "platform/program_folder.h"
#include "support/flushes.h"
#include "support/program_folder.h"

namespace {

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                                  QDir::Name);
}

class LeftoversTest : public testing::Test {
protected:
    void SetUp() override { ui::setProgramFolder(folder.path()); }
    QStringList files(std::initializer_list<const char*> names) const {
        QStringList out;
        for (const char* name : names) out << folder.file(QString::fromLatin1(name));
        return out;
    }
    ProgramFolder folder;
};

// Names an operator may give files, however near the routine's own form, and files of earlier
// versions' forms: never touched, beside a file the program writes or not. What killed saves of the
// program's own files left goes.
TEST_F(LeftoversTest, OnlyTheRoutinesOwnNamesBesideTheFilesTheProgramWritesAreCleared) {
    for (const char* name : {"1.xml", "2.xml", "2.txt", "data/1.txt", "data/lang.txt"})
        folder.write(name, "mine");
    const QStringList kept = {
        "1.xml.2.new",
        "2.xml.v2.new",
        "2.xml.copy1.new",
        "2.xml.2024.new",
        "2.txt.a1.new",
        "QR.2.new",
        "Velmox.1.new",
        "data/lang.txt.v1.new",
        "data/1.txt.k3f9a2.new",
        "data/1.txt.~000K3F.new",
        "data/1.txt.~12345678.new",
        "data/1.txt.~0k3f.new",
        "data/.~0000k3f.new",
        "data/1.txt.~000k-3.new",
        "data/1.txt.~000k3f.bak",
        "data/1.txt.~000k3f.new.x",
        "data/1.xml.new",
        "data/2.xml.bak.old",
        "data/notes.txt.~0000abc.new",
        "data/5.txt.~0000abc.new",      // beside no file of the program's: data/5.txt is not in the list
        "data/5.txt.bak.~0000abc.new",  // nor of its backup
        "data/1.txt.bak.x.~0000abc.new",
        "data/1.txt.~0000abc.old",  // a copy of an earlier version: no head, so not this routine's
    };
    for (const QString& name : kept) folder.write(name, "x");
    QDir(folder.path()).mkdir("data/2.txt.~000k3fz.new");
    ASSERT_TRUE(QFile::link(folder.file("1.xml"), folder.file("data/1.txt.~0000k3f.new")));
    const QStringList killed = {"2.txt.~00000zz.new", "1.xml.~00000z1.new", "data/1.txt.~1z141z3.new",
                                "data/lang.txt.~000000a.new", "2.xml.bak.~000000q.new",
                                // a killed backup of a file put aside by a start, or of the base
                                "data/1.txt.bak.~000000r.new"};
    for (const QString& name : killed) folder.write(name, "x");

    clearLeftovers(files({"1.xml", "2.xml", "2.txt", "data/1.txt", "data/lang.txt", "data/2.txt"}));
    for (const QString& name : kept) EXPECT_TRUE(folder.exists(name)) << name.toStdString();
    for (const QString& name : killed) EXPECT_FALSE(folder.exists(name)) << name.toStdString();
    EXPECT_TRUE(QFileInfo(folder.file("data/2.txt.~000k3fz.new")).isDir());
    EXPECT_TRUE(QFileInfo(folder.file("data/1.txt.~0000k3f.new")).isSymLink());
    EXPECT_EQ(folder.read("1.xml"), QByteArray("mine"));
}

// A save running now holds a lock on its new content's file: a start's clearing, or QR's start
// clearing its own file's leftovers, leaves it; once the save is gone, the file is a leftover.
TEST_F(LeftoversTest, TheFileOfASaveRunningNowIsLeftAndQrClearsOnlyItsOwnFile) {
    folder.write("qr_tlwh.txt", "old");
    const QString running = folder.file("qr_tlwh.txt.~0000abc.new");
    const QString killed = folder.file("qr_tlwh.txt.~0000def.new");
    const QString velmoxs = folder.file("2.txt.~0000ghi.new");
    for (const QString& path : {running, killed, velmoxs}) QFile(path).open(QIODevice::WriteOnly);
    const int fd = ::open(QFile::encodeName(running).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);

    clearLeftovers({folder.file("qr_tlwh.txt")});
    EXPECT_TRUE(QFile::exists(running));
    EXPECT_FALSE(QFile::exists(killed));
    EXPECT_TRUE(QFile::exists(velmoxs));
    clearLeftovers(files({"qr_tlwh.txt", "2.txt"}));
    EXPECT_TRUE(QFile::exists(running));
    EXPECT_FALSE(QFile::exists(velmoxs));
    ::close(fd);
    clearLeftovers(files({"qr_tlwh.txt", "2.txt"}));
    EXPECT_EQ(entries(folder.path()), QStringList{"qr_tlwh.txt"});
}

// A list that is a link has what its saves left beside the file it leads to: the clearing follows
// it there, puts a killed save's copy back, and touches nothing else of that folder.
TEST_F(LeftoversTest, ALinkedFileIsClearedWhereItReallyLies) {
    folder.write("shared/5.txt", "list");
    ASSERT_EQ(::link(QFile::encodeName(folder.file("shared/5.txt")).constData(),
                     QFile::encodeName(folder.file("shared/5-other.txt")).constData()),
              0);
    folder.write("shared/5.txt.~000dead.new", "killed");
    folder.write("shared/6.txt.~000dead.new", "another file's");
    QDir(folder.path()).mkpath("data");
    ASSERT_TRUE(QFile::link("../shared/5.txt", folder.file("data/5.txt")));
    // The copy lies where the start does not clear by itself, so its note's flush comes before the
    // mark's: the kill falls on the mark's flush, the file marked.
    killSaveAtFlush(folder.file("data/5.txt"), "torn", MarkFlush + 1);
    ASSERT_NE(folder.read("shared/5-other.txt"), QByteArray("list"));

    clearLeftovers(files({"data/5.txt"}));
    EXPECT_EQ(entries(folder.file("shared")), (QStringList{"5-other.txt", "5.txt", "6.txt.~000dead.new"}));
    EXPECT_EQ(folder.read("shared/5-other.txt"), QByteArray("list"));
    EXPECT_TRUE(QFileInfo(folder.file("data/5.txt")).isSymLink());
}

}  // namespace
