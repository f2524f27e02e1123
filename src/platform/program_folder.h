#pragma once
// The program folder is the executable's folder. Every file name, whether it names the folder or
// is relative as the system writes it ("data\lang.txt", "image\Skin1\5.jpg", "1.xml"), resolves
// against it, so a start from any current directory reads and writes the same files. Qt Core only:
// the workbook core and the file routines use it without the widgets.
#include <QString>

namespace ui {

QString programFolder();
// Tests point the program at a throw-away folder.
void setProgramFolder(const QString& folder);
// "data\lang.txt" → <program folder>/data/lang.txt; an absolute name stays as it is.
QString programPath(const QString& name);
// A file as every message names it: inside the program folder the path from there, as the program
// writes it ("data/8.txt", "1.xml"); elsewhere (an imported or exported workbook) the whole path.
QString shownPath(const QString& path);

}  // namespace ui
