#pragma once
// No test feeds a sheet into a real printer: every job that would reach a system printer lands in
// a PDF file of the running test's own instead. A test that means to print through the system's
// print system says so with a SystemPrinterScope, which lets its jobs through only when the run
// was started with VELMOX_TEST_SYSTEM_PRINTER=1.
#include <QString>

// Puts the guard in place for the whole test program; its main() does so before the first test.
void guardSystemPrinter();
// The PDF file the running test's diverted jobs go to: named after the test, in a folder of this
// run of the test program.
QString testsOwnPdf();

// While it lives, the running test's jobs may reach the system's printers, if the run allows it.
class SystemPrinterScope {
public:
    SystemPrinterScope();
    ~SystemPrinterScope();
    SystemPrinterScope(const SystemPrinterScope&) = delete;
    SystemPrinterScope& operator=(const SystemPrinterScope&) = delete;
    // False without VELMOX_TEST_SYSTEM_PRINTER=1: the jobs still go to the test's own PDF file.
    bool allowed() const { return allowed_; }

private:
    bool allowed_;
};
