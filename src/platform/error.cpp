#include "platform/error.h"

#include <cerrno>

#include "platform/program_folder.h"

namespace ui {

namespace {
QByteArray described(const QString& file, const QString& reason) {
    return (file.isEmpty() ? reason : shownPath(file) + QStringLiteral(": ") + reason).toUtf8();
}
}  // namespace

Error::Error(const QString& reason, Kind kind) : Error(QString(), reason, kind) {}

Error::Error(const QString& file, const QString& reason, Kind kind)
    : std::runtime_error(described(file, reason).toStdString()), file_(file), reason_(reason), kind_(kind) {}

QString systemReason(int errorNumber) {
    struct Reason {
        int number;
        const char16_t* text;
    };
    // clang-format off
    static const Reason kReasons[] = {
        {EACCES,       u"нет доступа"},
        {EPERM,        u"операция не разрешена"},
        {ENOSPC,       u"на диске нет места"},
        {EDQUOT,       u"превышена квота диска"},
        {EFBIG,        u"файл слишком велик"},
        {EROFS,        u"диск только для чтения"},
        {ENOENT,       u"файл или папка не найдены"},
        {EISDIR,       u"на месте файла находится папка"},
        {ENOTDIR,      u"в пути к файлу вместо папки файл"},
        {EMFILE,       u"открыто слишком много файлов"},
        {ENFILE,       u"открыто слишком много файлов"},
        {EIO,          u"ошибка ввода-вывода"},
        {EBUSY,        u"файл занят"},
        {ETXTBSY,      u"файл занят"},
        {ENAMETOOLONG, u"слишком длинное имя файла"},
        {ELOOP,        u"ссылки в пути к файлу ведут по кругу"},
        {EEXIST,       u"файл уже существует"},
        {ENOMEM,       u"не хватает памяти"},
        {EXDEV,        u"файл нельзя перенести на другой диск"},
        {ESTALE,       u"сетевая папка больше недоступна"},
        {ENXIO,        u"устройство недоступно"},
        {ENODEV,       u"устройство недоступно"},
        {EINTR,        u"операция прервана"},
        {EAGAIN,       u"файл временно недоступен"},
        {EINVAL,       u"диск не поддерживает эту операцию"},
        {EOPNOTSUPP,   u"диск не поддерживает эту операцию"},
        {EMLINK,       u"у файла слишком много имён"},
        {ENOTEMPTY,    u"на месте файла находится папка с файлами"},
        {EOVERFLOW,    u"файл слишком велик"},
        {ENOLCK,       u"диск не даёт заблокировать файл"},
        {EDEADLK,      u"диск не даёт заблокировать файл"},
        {EBADF,        u"файл закрыт раньше времени"},
        {ETIMEDOUT,    u"сетевая папка не отвечает"},
        {ENOTCONN,     u"сетевая папка больше недоступна"},
        {EUCLEAN,      u"файловая система на диске повреждена"},
        {EBADMSG,      u"файловая система на диске повреждена"},
    };
    // clang-format on
    for (const Reason& r : kReasons)
        if (r.number == errorNumber) return QString::fromUtf16(r.text);
    return QStringLiteral("системная ошибка № %1").arg(errorNumber);
}

QString busyReason() {
    return QStringLiteral("файл занят другой программой");
}

}  // namespace ui
