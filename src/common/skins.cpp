#include "common/skins.h"

#include "platform/paths.h"

namespace skin {

const Skin* find(QStringView name) {
    for (const Skin& s : kSkins)
        if (name == QStringView(s.name)) return &s;
    return nullptr;
}

QString picturePath(const Skin& s, int number) {
    return ui::programPath(QStringLiteral("image\\Skin%1\\%2.jpg").arg(s.folder).arg(number));
}

}  // namespace skin
