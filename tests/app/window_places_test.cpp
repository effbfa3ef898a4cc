// SPDX-License-Identifier: GPL-3.0-or-later
// A window's place, size and maximised state into the settings file and back, on a platform that
// reports places and on one that does not (where the file's earlier place must survive).
#include "app/window_places.h"
#include "gui/settings_store/component_store.h"

#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

using namespace quorvel;

class WindowPlacesTest : public QObject
{
    Q_OBJECT

private slots:
    void saveAndLoad_data();
    void saveAndLoad();
};

namespace {

const QString kSection = QStringLiteral("Form1");

// The section's keys as "key=value", in the order written.
QStringList sectionLines(const ComponentStore& ini)
{
    QStringList lines;
    for (const auto& key : ini.IniFile().keys(kSection.toStdU16String())) {
        const QString name = QString::fromStdU16String(key);
        lines << name + QLatin1Char('=') + ini.ReadString(kSection, name, {});
    }
    return lines;
}

} // namespace

void WindowPlacesTest::saveAndLoad_data()
{
    QTest::addColumn<QByteArray>("earlierFile");
    QTest::addColumn<bool>("placesKnown");
    QTest::addColumn<bool>("maximized");
    QTest::addColumn<QStringList>("written");

    const QByteArray earlier = "[Form1]\r\ntop=-5000\r\nleft=77\r\nwidth=1\r\nheight=1\r\n";
    QTest::newRow("places known") << earlier << true << false
                                  << QStringList{"top=90", "left=120", "width=300", "height=200"};
    // Wayland: what the window reports as its place is not its place; the earlier one stays,
    // however odd it is, and the sizes are the window's.
    QTest::newRow("places unknown: the earlier place stays")
        << earlier << false << false
        << QStringList{"top=-5000", "left=77", "width=300", "height=200"};
    QTest::newRow("places unknown, none stored before")
        << QByteArray() << false << false << QStringList{"width=300", "height=200"};
    QTest::newRow("maximised: the normal place and size, and the state")
        << QByteArray() << true << true
        << QStringList{"top=90", "left=120", "width=300", "height=200", "maximized=1"};
    QTest::newRow("maximised where places are unknown")
        << earlier << false << true
        << QStringList{"top=-5000", "left=77", "width=300", "height=200", "maximized=1"};
}

void WindowPlacesTest::saveAndLoad()
{
    QFETCH(QByteArray, earlierFile);
    QFETCH(bool, placesKnown);
    QFETCH(bool, maximized);
    QFETCH(QStringList, written);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("Quorvel.ini"));
    if (!earlierFile.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(earlierFile);
    }
    const WindowPlaceKeys keys{kSection, true};

    // Places are the frame's, as the user sees and the settings file keeps them.
    QWidget window;
    window.move(120, 90);
    window.resize(300, 200);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    if (maximized) {
        window.showMaximized();
        QTRY_VERIFY(window.size() != QSize(300, 200));
    }
    ComponentStore ini(path, ComponentStore::Start::Empty);
    SaveWindowPlace(ini, ComponentStore(path), window, keys, placesKnown);
    QCOMPARE(sectionLines(ini), written);

    // The next start: a window at its designed place takes the stored one where places are set,
    // and comes back maximised over its normal size.
    QWidget next;
    next.move(10, 20);
    next.resize(50, 60);
    LoadWindowPlace(ini, next, keys, placesKnown);
    QCOMPARE(next.isMaximized(), maximized);
    next.show();
    QVERIFY(QTest::qWaitForWindowExposed(&next));
    QCOMPARE(next.normalGeometry().size(), QSize(300, 200));
    if (!maximized)
        QCOMPARE(next.pos(), placesKnown ? QPoint(120, 90) : QPoint(10, 20));
}

QTEST_MAIN(WindowPlacesTest)
#include "window_places_test.moc"
