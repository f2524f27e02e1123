#pragma once
// Folders of its own for what Qt and fontconfig keep under the user's home: Qt's file dialog keeps
// its last folder, its history and its column widths in the user's Qt settings. Set before anything
// reads them and inherited by every program started, so that a run of the tests or the benchmarks
// changes nothing of the user who runs it.
#include <QTemporaryDir>

class PrivateHome {
public:
    PrivateHome();
    PrivateHome(const PrivateHome&) = delete;
    PrivateHome& operator=(const PrivateHome&) = delete;

    // False when the folders could not be made: the run must not go on.
    bool isValid() const { return valid_; }

private:
    QTemporaryDir home_;
    bool valid_ = false;
};
