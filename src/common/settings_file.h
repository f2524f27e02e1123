#pragma once
// The program folder's small files that may be missing on a first start: settings of one line
// ("data\lang.txt", "data\Skin.txt", "qr_tlwh.txt") and lists of lines.
#include <QString>
#include <QStringList>
#include <functional>

#include "common/text_file.h"
#include "platform/form.h"
#include "platform/text_box.h"

namespace settings {

// The lines of a file; a missing file is an ordinary first start and reads as none, a file that is
// there but cannot be read reads as none and is reported, once in a run for as long as it fails the
// same way: each window reads the settings files at its load, and the operator was told at the
// first; a file another program held for longer than the action could wait is told each time.
// `unreadable` (optional) tells which, and `busy` (optional) whether it was only held so. The message
// says `consequence` (optional: what the caller takes instead) after the file's name.
QStringList readLinesOrReport(const QString& path, bool* unreadable = nullptr,
                              textfile::LoneLf lf = textfile::LoneLf::InLine, bool* busy = nullptr,
                              const QString& consequence = {});

// The first line of a one-value settings file named relative to the program folder, read as above;
// a lone LF ends the line there.
QString readLine(const QString& name, bool* unreadable = nullptr, const QString& consequence = {});

// A window's box that takes a setting: where it is now, or null once its window has gone.
using SettingBox = std::function<ui::TextBox*()>;

// Reads a setting into a window's box as readLine does, whose change handler applies it. A file another
// program held is read again at the start of each later action, only tried, until it reads: its line
// then goes into the box, unless the box was written since or its window has gone.
void readLineInto(const QString& name, const SettingBox& box);

// The same for box `box` of window `w`.
template <class W>
void readLineInto(W& w, ui::TextBox W::*box, const QString& name) {
    // The address is only compared: a window closed since is never reached through it.
    readLineInto(name, [window = &w, box]() -> ui::TextBox* {
        return ui::formLoaded<W>() && &ui::form<W>() == window ? &(window->*box) : nullptr;
    });
}

// A start tells of every file it cannot read, whatever an earlier run in this process said.
void forgetTold();

}  // namespace settings
