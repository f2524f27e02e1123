#include "platform/services.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontDatabase>
#include <QMessageBox>
#include <QPrintDialog>
#include <QProcess>
#include <cstdio>
#include <cstdlib>

#include "platform/printer.h"

namespace ui {

namespace {
std::unique_ptr<Services>& current() {
    static std::unique_ptr<Services> s = std::make_unique<QtServices>();
    return s;
}

QWidget* activeParent() {
    return QApplication::activeWindow();
}

// Carries a start style from a starter to the program it starts; programs read no command line.
constexpr char kStartStyleVariable[] = "VELMOX_START_STYLE";
constexpr char kMinimizedFocus[] = "minimized";
}  // namespace

WindowStyle takeStartStyle() {
    const QByteArray style = qgetenv(kStartStyleVariable);
    if (style.isNull()) return WindowStyle::NormalFocus;
    // Gone once read, so neither a later window nor a program started from this one inherits it.
    qunsetenv(kStartStyleVariable);
    return style == kMinimizedFocus ? WindowStyle::MinimizedFocus : WindowStyle::NormalFocus;
}

Services& services() {
    return *current();
}

std::unique_ptr<Services> setServices(std::unique_ptr<Services> s) {
    std::swap(current(), s);
    return s;
}

QStringList qtNameFilters(const QString& filter) {
    QStringList out;
    const QStringList parts = filter.split('|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(';')) {
            const QString t = p.trimmed();
            if (!t.isEmpty()) patterns << t;
        }
        out << QStringLiteral("%1 (%2)").arg(parts[i].trimmed(), patterns.join(' '));
    }
    return out;
}

void QtServices::messageBox(const QString& text, const QString& title) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, activeParent());
    box.exec();
}

namespace {
DialogAnswer runFileDialog(QFileDialog::AcceptMode mode, const QString& filter, const QString& fileName) {
    QFileDialog dialog(activeParent());
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilters(qtNameFilters(filter));
    if (!fileName.isEmpty()) dialog.selectFile(fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {false, fileName};
    return {true, dialog.selectedFiles().first()};
}
}  // namespace

DialogAnswer QtServices::openFileDialog(const QString& filter, const QString& fileName) {
    return runFileDialog(QFileDialog::AcceptOpen, filter, fileName);
}

DialogAnswer QtServices::saveFileDialog(const QString& filter, const QString& fileName) {
    return runFileDialog(QFileDialog::AcceptSave, filter, fileName);
}

bool QtServices::printerSetupDialog(Printer& printer) {
    return printer.runSetupDialog(activeParent());
}

bool QtServices::startProgram(const QString& path, WindowStyle style) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QString::fromLatin1(kStartStyleVariable));
    if (style == WindowStyle::MinimizedFocus)
        environment.insert(QString::fromLatin1(kStartStyleVariable), QString::fromLatin1(kMinimizedFocus));
    QProcess process;
    process.setProgram(path);
    process.setProcessEnvironment(environment);
    // Detached: never waited for, and it outlives us without leaving a zombie behind.
    return process.startDetached();
}

void QtServices::beep() {
    QApplication::beep();
}

QStringList QtServices::screenFonts() {
    return QFontDatabase::families();
}

void QtServices::endProgram(int exitCode) {
    // Every file is written whole before this point, so nothing is left to flush but the streams.
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

}  // namespace ui
