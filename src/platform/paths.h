#pragma once
// The program folder is the executable's folder. Every file name, whether it names the folder or
// is relative as the system writes it ("data\lang.txt", "image\Skin1\5.jpg", "1.xml"), resolves
// against it, so a start from any current directory reads and writes the same files.
#include <QString>

#include "platform/services.h"

namespace ui {

QString programFolder();
// Tests point the program at a throw-away folder.
void setProgramFolder(const QString& folder);
// "data\lang.txt" → <program folder>/data/lang.txt; an absolute name stays as it is.
QString programPath(const QString& name);
// Finds a program given by bare name ("QR.exe", "setup.exe") in the program folder only, with or
// without ".exe"; empty when it is not there.
QString findProgram(const QString& bareName);
// Starts a program found by findProgram; a start that fails shows "Ошибка" and returns false.
bool startProgramFromFolder(const QString& bareName, WindowStyle style);

}  // namespace ui
