#include "main_window/vazed_fixture.h"

#include <QCoreApplication>
#include <QFile>

#include "common/text_file.h"
#include "platform/paths.h"
#include "settings/help.h"
#include "settings/nastroiki.h"
#include "student_base/baza_vazed.h"
#include "student_base/print1.h"
#include "value_lists/edit.h"
#include "workbook/ziruduzizozod.h"

void VazedTest::SetUp() {
    auto s = std::make_unique<ui::ScriptedServices>();
    services = s.get();
    ui::setServices(std::move(s));
    ui::setProgramFolder(folder.path());
    folder.write("1.xml", shippedLayout());
    folder.write("data\\lang.txt", "Rus\r\n");
    folder.write("data\\Skin.txt", cp1251(QStringLiteral("Основной скин\r\n")));
    folder.write("data\\Line.txt", "0\r\n");
}

void VazedTest::TearDown() {
    // The settings window's load loads every other window; none may outlive the test.
    ui::discardForm<velmox::Nastroiki>();
    ui::discardForm<velmox::Help>();
    ui::discardForm<velmox::BazaVazed>();
    ui::discardForm<velmox::Print1>();
    ui::discardForm<velmox::Edit>();
    if (ui::formLoaded<velmox::Vazed>()) ui::discardForm<velmox::Vazed>();
    ui::discardForm<velmox::Ziruduzizozod>();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    ui::setServices(std::make_unique<ui::QtServices>());
}

QByteArray VazedTest::shippedLayout() {
    QFile f(QStringLiteral(VELMOX_SOURCE_DIR "/dist/1.xml"));
    if (!f.open(QIODevice::ReadOnly)) throw std::runtime_error("the shipped 1.xml is missing");
    return f.readAll();
}

velmox::Vazed& VazedTest::start() {
    velmox::Vazed::Form_Initialize();
    return ui::form<velmox::Vazed>();
}

void VazedTest::close() {
    ui::form<velmox::Vazed>().unload();
    QCoreApplication::processEvents();
}

QStringList VazedTest::lines(const QString& name) const {
    return textfile::readLines(folder.file(name)).lines;
}

QStringList lastValues(std::initializer_list<std::pair<int, QString>> overrides) {
    QStringList l;
    for (int i = 1; i <= 47; ++i) l << QStringLiteral("v%1").arg(i);
    // The font row must hold usable values for the start-up to apply them.
    l[41] = QStringLiteral("Times New Roman");
    l[42] = QStringLiteral("обычный");
    l[43] = QStringLiteral("10");
    for (const auto& [line, text] : overrides) l[line - 1] = text;
    return l;
}

QByteArray crlf(const QStringList& lines) {
    QByteArray out;
    for (const QString& l : lines) out += cp1251(l) + "\r\n";
    return out;
}

QStringList allCells(workbook::Workbook& wb) {
    QStringList out;
    for (const QString& name : wb.sheetNames()) {
        workbook::Worksheet* s = wb.sheet(name);
        for (int r = 1; r <= s->rowCount(); ++r)
            for (int c = 1; c <= s->columnCount(); ++c) {
                const QString t = workbook::toText(s->cell(r, c));
                if (!t.isEmpty()) out << QStringLiteral("%1!R%2C%3=%4").arg(name).arg(r).arg(c).arg(t);
            }
    }
    return out;
}
