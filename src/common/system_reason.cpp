#include "common/system_reason.h"

QString systemReason(const QString& systemText) {
    struct Reason {
        const char* system;
        const char16_t* russian;
    };
    // clang-format off
    static const Reason kReasons[] = {
        {"Permission denied",          u"нет доступа"},
        {"No space left on device",    u"на диске нет места"},
        {"Disk quota exceeded",        u"превышена квота диска"},
        {"File too large",             u"файл слишком велик"},
        {"Read-only file system",      u"диск только для чтения"},
        {"No such file or directory",  u"файл или папка не найдены"},
        {"Is a directory",             u"на месте файла находится папка"},
        {"Not a directory",            u"в пути к файлу вместо папки файл"},
        {"Too many open files",        u"открыто слишком много файлов"},
        {"Input/output error",         u"ошибка ввода-вывода"},
        {"Device or resource busy",    u"файл занят"},
        {"Operation not permitted",    u"операция не разрешена"},
        {"is not writable",            u"файл защищён от записи"},
        {"Unknown error",              u"неизвестная ошибка"},
    };
    // clang-format on
    for (const Reason& r : kReasons)
        if (systemText.contains(QLatin1String(r.system), Qt::CaseInsensitive))
            return QString::fromUtf16(r.russian);
    return systemText;
}
