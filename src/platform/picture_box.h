#pragma once
// The picture control used as a button: a picture from a JPEG file, from another control's
// picture, or none; Click, MouseDown, MouseMove; tooltip; enabled.
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "platform/control.h"

namespace ui {

// Reads a picture file: nullopt when it is missing, empty, no picture, a JPEG cut short, or larger
// than the reader's allocation limit, so a damaged or hostile file never costs more than a failed
// load.
std::optional<QPixmap> readPicture(const QString& path);
// Reads several picture files at once, each as readPicture would, in the order given.
std::vector<std::optional<QPixmap>> readPictures(const QStringList& paths);
// Starts reading picture files on side threads while the caller goes on. The next readPictures call
// for exactly these files takes them from there; any other call reads its files afresh.
void prefetchPictures(const QStringList& paths);
// Waits for and drops what was fetched ahead and not taken.
void discardPrefetchedPictures();

class PictureBox : public Control {
public:
    PictureBox();

    const QPixmap& picture() const { return picture_; }
    void setPicture(const QPixmap& p);
    void clearPicture() { setPicture(QPixmap()); }
    // Loads a picture file; a missing or unreadable file leaves the control without a picture
    // and returns false.
    bool loadPicture(const QString& path);
    // Stretched pictures fill the control; others show at their own size from the top-left.
    bool stretch() const { return stretch_; }
    void setStretch(bool s);
    int borderStyle() const { return border_ ? 1 : 0; }
    void setBorderStyle(int style);

    void print(QPainter& p) const override;

protected:
    bool clicksByMouse() const override { return true; }

private:
    QPixmap picture_;
    bool stretch_ = false;
    bool border_ = false;
};

}  // namespace ui
