#include "platform/application.h"

#include <QLibraryInfo>
#include <QLocale>

namespace ui {

Application::Application(int& argc, char** argv) : app_(argc, argv) {
    fonts_.wait();
    // Without the translation installed the dialogs stay in English; nothing else depends on it.
    if (qtTexts_.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts_);
}

}  // namespace ui
