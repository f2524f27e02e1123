#pragma once
// A throw-away program folder with the built skin pictures and the settings files, and the QR
// window started on it with scripted services, as the program's start would.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>

#include "platform/operator.h"
#include "platform/paths.h"
#include "qr/qr.h"
#include "support/program_folder.h"

class QRTest : public testing::Test {
protected:
    void SetUp() override {
        ui::setProgramFolder(folder.path());
        folder.copyFrom(QStringLiteral(VELMOX_PROGRAM_DIR), QStringLiteral("image"));
        ASSERT_TRUE(folder.exists("image\\Skin4\\16.jpg")) << "the build has drawn no skin pictures";
        folder.write("data\\lang.txt", "Rus\r\n");
        folder.write("data\\Skin.txt", cp1251(QStringLiteral("Основной скин\r\n")));
    }
    void TearDown() override {
        if (ui::formLoaded<qr::QR>()) ui::discardForm<qr::QR>();
        runQueuedCalls();
    }

    // The program's start: the window's first access creates it and runs its start.
    qr::QR& start() {
        qr::QR& w = ui::form<qr::QR>();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w.window()));
        return w;
    }
    // The operator's close box: the close handler runs and the window goes.
    void close() {
        ui::form<qr::QR>().unload();
        runQueuedCalls();
    }
    void writePositionFile(const QByteArray& bytes) const { folder.write("qr_tlwh.txt", bytes); }
    QByteArray positionFile() const { return folder.read("qr_tlwh.txt"); }

    // The picture's place as the operator sees it: Top, Left, Height, Width in twips.
    static std::array<float, 4> placeOf(const qr::QR& w) {
        return {w.Image1.top().value, w.Image1.left().value, w.Image1.height().value, w.Image1.width().value};
    }
    static QStringList boxesOf(const qr::QR& w) {
        return {w.Text2.text(), w.Text3.text(), w.Text4.text(), w.Text5.text()};
    }

    ScriptedScope services;
    ProgramFolder folder;
};
