#pragma once
// Programs started from the program folder; the folder and its paths themselves are in
// program_folder.h.
#include <QString>

#include "platform/program_folder.h"
#include "platform/services.h"

namespace ui {

// Finds a program given by bare name ("QR.exe", "setup.exe") in the program folder only, with or
// without ".exe"; empty when it is not there.
QString findProgram(const QString& bareName);
// Starts a program found by findProgram; a start that fails shows "Ошибка" and returns false.
bool startProgramFromFolder(const QString& bareName, WindowStyle style);

}  // namespace ui
