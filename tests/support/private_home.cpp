#include "support/private_home.h"

#include <QDir>
#include <QFile>

PrivateHome::PrivateHome() : home_(QDir::tempPath() + QStringLiteral("/velmox-test-home-XXXXXX")) {
    if (!home_.isValid()) return;
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"}) {
        const QString folder = home_.filePath(QString::fromLatin1(name).toLower());
        if (!QDir().mkdir(folder)) return;
        qputenv(name, QFile::encodeName(folder));
    }
    valid_ = true;
}
