// Velmox's QR button starts the QR program of the program folder, as a process of its own that
// comes up minimised and active; each click starts one more.
#include <QDirIterator>
#include <QFileInfo>
#include <QTest>
#include <csignal>

#include "main_window/vazed_fixture.h"
#include "platform/paths.h"

namespace {

struct Started {
    qint64 pid;
    QByteArray environment;
};

// The running processes whose program file is `path`.
std::vector<Started> processesOf(const QString& path) {
    std::vector<Started> out;
    QDirIterator it(QStringLiteral("/proc"), QDir::Dirs | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QString dir = it.next();
        bool numeric = false;
        const qint64 pid = QFileInfo(dir).fileName().toLongLong(&numeric);
        if (!numeric || QFileInfo(dir + QStringLiteral("/exe")).symLinkTarget() != path) continue;
        QFile env(dir + QStringLiteral("/environ"));
        env.open(QIODevice::ReadOnly);
        out.push_back({pid, env.readAll()});
    }
    return out;
}

// Real starts: the scripted services record the call, the Qt ones start the process.
class RealStarts : public ui::ScriptedServices {
public:
    bool startProgram(const QString& path, ui::WindowStyle style) override {
        ScriptedServices::startProgram(path, style);
        return ui::QtServices().startProgram(path, style);
    }
};

class QRButtonTest : public VazedTest {
protected:
    void SetUp() override {
        VazedTest::SetUp();
        auto s = std::make_unique<RealStarts>();
        services = s.get();
        ui::setServices(std::move(s));
    }
    void TearDown() override {
        for (const Started& p : processesOf(qr)) ::kill(pid_t(p.pid), SIGKILL);
        VazedTest::TearDown();
    }
    QString qr;
};

TEST_F(QRButtonTest, EachClickStartsTheQRProgramOfTheProgramFolderMinimisedAndActive) {
    qr = QFileInfo(folder.file("QR")).absoluteFilePath();
    ASSERT_TRUE(QFile::copy(QStringLiteral(VELMOX_QR_EXECUTABLE), qr));
    velmox::Vazed& v = start();
    v.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(v.window()));
    for (int click = 1; click <= 2; ++click) {
        QTest::mouseClick(v.window()->windowHandle(), Qt::LeftButton, {},
                          v.Image7.widget()->mapTo(v.window(), v.Image7.widget()->rect().center()));
        ASSERT_TRUE(QTest::qWaitFor([&] { return processesOf(qr).size() == size_t(click); }, 10000))
            << "click " << click << " started " << processesOf(qr).size() << " QR processes";
    }
    for (const Started& p : processesOf(qr))
        EXPECT_TRUE(p.environment.split('\0').contains("VELMOX_START_STYLE=minimized")) << p.pid;
    EXPECT_TRUE(services->messages.empty());
    EXPECT_TRUE(v.isShown()) << "Velmox goes on";
}

}  // namespace
