#include "support/print_guard.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "platform/printer.h"

namespace {
bool& systemPrinterAllowed() {
    static bool allowed = false;
    return allowed;
}

const QString& runFolder() {
    static const QTemporaryDir dir;
    static const QString path = dir.path();
    return path;
}
}  // namespace

void guardSystemPrinter() {
    ui::Printer::divertSystemPrinting([] { return systemPrinterAllowed() ? QString() : testsOwnPdf(); });
}

QString testsOwnPdf() {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    QString name = test ? QStringLiteral("%1.%2").arg(QString::fromUtf8(test->test_suite_name()),
                                                      QString::fromUtf8(test->name()))
                        : QStringLiteral("between-tests");
    // Parameterised tests carry a "/" in their names.
    name.replace(u'/', u'_');
    return runFolder() + u'/' + name + QStringLiteral(".pdf");
}

SystemPrinterScope::SystemPrinterScope()
    : allowed_(qEnvironmentVariable("VELMOX_TEST_SYSTEM_PRINTER") == QLatin1String("1")) {
    systemPrinterAllowed() = allowed_;
}

SystemPrinterScope::~SystemPrinterScope() {
    systemPrinterAllowed() = false;
}
