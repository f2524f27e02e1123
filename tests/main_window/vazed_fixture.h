#pragma once
// A throw-away program folder with the shipped "1.xml", and the main window started on it with
// scripted services, as an operator's start would.
#include <gtest/gtest.h>

#include <QDir>

#include "main_window/vazed.h"
#include "platform/services.h"
#include "support/program_folder.h"
#include "support/qt_print.h"
#include "support/scripted_services.h"
#include "workbook/workbook.h"

class VazedTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The shipped layout workbook's bytes.
    static QByteArray shippedLayout();
    // Starts the program: the load, then the language, as its start does.
    velmox::Vazed& start();
    // Closes the main window as the operator's close box does and lets the window go.
    void close();
    // Lines of a file in the folder, decoded as the program decodes them.
    QStringList lines(const QString& name) const;

    ProgramFolder folder;
    ui::ScriptedServices* services = nullptr;
};

// The 47 lines of a last-values file, each distinct: "v1" … "v47", with `overrides` in place.
QStringList lastValues(std::initializer_list<std::pair<int, QString>> overrides = {});
QByteArray crlf(const QStringList& lines);
// Every cell of every sheet, as text, for comparing two workbooks.
QStringList allCells(workbook::Workbook& wb);
