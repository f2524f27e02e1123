#include "common/language.h"

namespace language {

std::optional<Language> named(QStringView code) {
    if (code == u"Rus") return Language::Russian;
    if (code == u"Kaz") return Language::Kazakh;
    return std::nullopt;
}

}  // namespace language
