#pragma once
// Everything that would block on an operator or reach outside the process goes through this one
// interface: message boxes, file and printer dialogs, starting programs, the beep, the screen
// font list and ending the program. The Qt implementation serves the programs; the tests put a
// scripted one in its place, so no test ever waits on a modal dialog.
#include <QString>
#include <QStringList>
#include <memory>

class QDialog;
class QFileInfo;
class QFileDialog;
class QPrintDialog;
class QPrinter;
class QWidget;

namespace ui {

class Printer;

// The title of every failure message.
inline const QString kErrorTitle = QStringLiteral("Ошибка");

struct DialogAnswer {
    bool accepted = false;  // false: the operator cancelled
    QString fileName;       // full path of the chosen file
};

// How a started program's window comes up.
enum class WindowStyle { Hidden, MinimizedFocus, NormalFocus };

// The style the program that started this one asked for its first window; it is handed over once,
// so the first call takes it and later calls, or a program started without one, get NormalFocus.
// Only the platform reads it: a program itself reads no command line.
WindowStyle takeStartStyle();

class Services {
public:
    virtual ~Services() = default;
    // An OK box: `text` is one short line; `details` (file names, the system's reasons, as long as
    // they come) go apart, into a scrollable area, so no box outgrows the screen.
    virtual void messageBox(const QString& text, const QString& title, const QString& details) = 0;
    void messageBox(const QString& text, const QString& title) { messageBox(text, title, {}); }
    // `filter` as the system writes it ("XML|*.xml;"); `fileName` is the name the dialog starts with.
    virtual DialogAnswer openFileDialog(const QString& filter, const QString& fileName) = 0;
    virtual DialogAnswer saveFileDialog(const QString& filter, const QString& fileName) = 0;
    // Lets the operator choose and set up the printer; false when cancelled.
    virtual bool printerSetupDialog(Printer& printer) = 0;
    // Starts `path` detached (never waited for); false when it could not be started.
    virtual bool startProgram(const QString& path, WindowStyle style) = 0;
    virtual void beep() = 0;
    virtual QStringList screenFonts() = 0;
    // Ends the process at once: no other window's close handler runs. Callers return right after.
    virtual void endProgram(int exitCode) = 0;
};

Services& services();
// Replaces the services in use and returns the previous ones.
std::unique_ptr<Services> setServices(std::unique_ptr<Services> s);

// A failure message: "Ошибка", one short line and its details. Inside an operator action it is
// gathered with the action's other failures into the one box shown at the action's end.
void showError(const QString& summary, const QString& details = {});

// The box the Qt services show, built but not run. The summary is one short line: a text of several
// lines keeps its first and passes the others to the details; a line longer than about two lines of
// the box, or with a word wider than the box (a path in a long folder name), keeps what fits, and
// the details begin with it whole. The box is never larger than the screen's work area.
std::unique_ptr<QDialog> makeMessageBox(const QString& text, const QString& title, const QString& details,
                                        QWidget* parent);
// Shows that box for the window it belongs to (ui::boxOwner) and waits for its OK; then that window
// is in front and active, whatever the system brought forward when the box went.
void runMessageBox(const QString& text, const QString& title, const QString& details);

// The file dialog the Qt services show, built but not run: Qt's own, whose texts the program's
// translation puts into Russian (a desktop's dialog would speak the desktop's language), with the
// file types, sizes and dates of its list in Russian too. A save dialog adds the chosen filter's
// extension to a name typed without one.
std::unique_ptr<QFileDialog> makeFileDialog(bool save, const QString& filter, const QString& fileName,
                                            QWidget* parent);
// The printer set-up dialog, built but not run, on `target`: Qt's print dialog, whose accept
// button says that it chooses the printer, since nothing is printed from it.
std::unique_ptr<QPrintDialog> makePrinterSetupDialog(QPrinter& target, QWidget* parent);

// "XML|*.xml;" or "jpeg|*.jpeg; *.jpg;" as Qt name filters ("XML (*.xml)", "jpeg (*.jpeg *.jpg)").
QStringList qtNameFilters(const QString& filter);
// The extension a save dialog adds under a Qt name filter: its first pattern's ("xml" for
// "XML (*.xml)"); none for a pattern such as "*" or "*.*".
QString defaultSuffix(const QString& nameFilter);
// What the file dialog's list says of a file's type ("Папка", "Файл XML", "Рисунок JPEG", "Файл").
QString russianFileType(const QFileInfo& info);
// A file's size as the file dialog's list shows it: "1 байт", "43 байта", "4,79 кБ".
QString russianFileSize(qint64 bytes);

class QtServices : public Services {
public:
    using Services::messageBox;
    void messageBox(const QString& text, const QString& title, const QString& details) override;
    DialogAnswer openFileDialog(const QString& filter, const QString& fileName) override;
    DialogAnswer saveFileDialog(const QString& filter, const QString& fileName) override;
    bool printerSetupDialog(Printer& printer) override;
    bool startProgram(const QString& path, WindowStyle style) override;
    void beep() override;
    QStringList screenFonts() override;
    void endProgram(int exitCode) override;
};

}  // namespace ui
