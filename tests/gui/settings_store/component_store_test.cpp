// SPDX-License-Identifier: GPL-3.0-or-later
// ComponentStore on a small window of its own: what SaveForm writes, and that LoadForm brings it
// back.
#include "gui/settings_store/component_store.h"
#include "tests/gui/settings_store/test_files.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

#include <memory>

namespace quorvel {
namespace {

using Start = ComponentStore::Start;

// Stands in for TRealEdit: a line edit whose "Wert" property reads the number from the text and
// writes it back with two decimals.
class RealEdit : public QLineEdit
{
    Q_OBJECT
    Q_PROPERTY(double Wert READ wert WRITE setWert)
public:
    using QLineEdit::QLineEdit;
    double wert() const { return text().toDouble(); }
    void setWert(double value) { setText(QString::number(value, 'f', 2)); }
};

template <typename T> T* make(QWidget* parent, const char* name)
{
    auto* widget = new T(parent);
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// Nested panels, every kind of control the store knows, and some it passes over.
struct TestWindow
{
    std::unique_ptr<QWidget> form = std::make_unique<QWidget>();
    QLineEdit* edit;
    QFrame* outerPanel;
    QCheckBox* check;
    QComboBox* combo;
    RealEdit* real;
    QTextEdit* memo;
    QPlainTextEdit* plainMemo;
    QListWidget* list;
    QSpinBox* spin;
    QDateTimeEdit* dateTime;
    QLineEdit* unnamed;
    QWidget* toolWindow;

    TestWindow()
    {
        form->setObjectName(QStringLiteral("Form9"));
        edit = make<QLineEdit>(form.get(), "Edit1");
        outerPanel = make<QFrame>(form.get(), "Panel1");
        check = make<QCheckBox>(outerPanel, "CBOnTop");
        auto* innerPanel = new QFrame(outerPanel); // unnamed panels are entered too
        combo = make<QComboBox>(innerPanel, "ComboBox1");
        combo->setEditable(true);
        combo->addItems({QStringLiteral("sin()"), QStringLiteral("cos()")});
        real = make<RealEdit>(innerPanel, "Komma");
        real->setWert(1);
        make<QPushButton>(outerPanel, "Button1");
        make<QLabel>(form.get(), "Label1");
        memo = make<QTextEdit>(form.get(), "Memo1");
        plainMemo = make<QPlainTextEdit>(form.get(), "Memo2");
        list = make<QListWidget>(form.get(), "ListBox1");
        spin = make<QSpinBox>(form.get(), "SpinEdit1");
        spin->setRange(-100, 100);
        dateTime = make<QDateTimeEdit>(form.get(), "DateTime1");
        dateTime->setDateTime(QDateTime(QDate(2020, 1, 1), QTime(0, 0)));
        unnamed = new QLineEdit(form.get());
        toolWindow = make<QWidget>(form.get(), "Form2");
        toolWindow->setWindowFlags(Qt::Tool);
        make<QLineEdit>(toolWindow, "ToolEdit");
    }

    void fill()
    {
        edit->setText(QStringLiteral("  Blanks at both ends  "));
        check->setChecked(true);
        combo->addItem(QStringLiteral("tan()"));
        combo->setCurrentIndex(2);
        combo->setEditText(QStringLiteral("typed"));
        real->setText(QStringLiteral("3.14159"));
        memo->setPlainText(QStringLiteral("N = kg*m/s²\n€ = 1\n\nΩ = V/A"));
        plainMemo->setPlainText(QStringLiteral("erste Zeile\nzweite Zeile"));
        list->addItems({QStringLiteral("eins"), QStringLiteral("zwei"), QStringLiteral("α")});
        spin->setValue(-42);
        dateTime->setDateTime(QDateTime(QDate(2024, 2, 29), QTime(13, 45, 7)));
        unnamed->setText(QStringLiteral("unnamed"));
    }
};

QStringList sectionKeys(const ComponentStore& ini, const QString& section)
{
    QStringList keys;
    for (const std::u16string& key : ini.IniFile().keys(section.toStdU16String()))
        keys << QString::fromStdU16String(key);
    return keys;
}

} // namespace

class ComponentStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(test::useTrashIn(m_dir.path()));
    }

    void saveFormWritesKeysInCreationOrder()
    {
        TestWindow window;
        window.fill();
        ComponentStore ini(m_dir.filePath(QStringLiteral("order.ini")), Start::Empty);
        ini.SaveMemos = true;
        ini.SaveForm(window.form.get());
        ini.WriteInteger(QStringLiteral("Form9"), QStringLiteral("top"), 177);
        const QStringList expected = {
            "Edit1",           "CBOnTop",         "ComboBox1",       "ComboBox1.text",
            "ComboBox1.count", "ComboBox1.item0", "ComboBox1.item1", "ComboBox1.item2",
            "Komma",           "Memo1.count",     "Memo1.line0",     "Memo1.line1",
            "Memo1.line2",     "Memo1.line3",     "Memo2.count",     "Memo2.line0",
            "Memo2.line1",     "ListBox1.count",  "ListBox1.item0",  "ListBox1.item1",
            "ListBox1.item2",  "SpinEdit1",       "DateTime1",       "top"};
        QCOMPARE(sectionKeys(ini, QStringLiteral("Form9")), expected);
        // The tool window is a form of its own: nothing of it lands in Form9 or anywhere else.
        QCOMPARE(ini.IniFile().sectionNames().size(), std::size_t{1});

        QCOMPARE(ini.ReadString("Form9", "Edit1", ""),
                 QStringLiteral("\"  Blanks at both ends  \""));
        QCOMPARE(ini.ReadString("Form9", "CBOnTop", ""), QStringLiteral("1"));
        QCOMPARE(ini.ReadString("Form9", "ComboBox1", ""), QStringLiteral("2"));
        QCOMPARE(ini.ReadString("Form9", "ComboBox1.text", ""), QStringLiteral("typed"));
        QCOMPARE(ini.ReadString("Form9", "Komma", ""), QStringLiteral("\"3.14159\""));
        QCOMPARE(ini.ReadString("Form9", "Memo1.line2", "-"), QString());
        QCOMPARE(ini.ReadString("Form9", "SpinEdit1", ""), QStringLiteral("\"-42\""));
        QCOMPARE(ini.ReadString("Form9", "DateTime1", ""), QStringLiteral("29.02.2024 13:45:07"));
    }

    void memosArePassedOverWithoutSaveMemos()
    {
        TestWindow window;
        window.fill();
        ComponentStore ini(m_dir.filePath(QStringLiteral("nomemo.ini")), Start::Empty);
        ini.SaveForm(window.form.get());
        const QStringList keys = sectionKeys(ini, QStringLiteral("Form9"));
        QVERIFY(!keys.contains(QStringLiteral("Memo1.count")));
        QVERIFY(!keys.contains(QStringLiteral("Memo2.line0")));
        QVERIFY(keys.contains(QStringLiteral("ListBox1.count")));

        ini.WriteInteger("Form9", "Memo1.count", 1);
        ini.WriteString("Form9", "Memo1.line0", "aus der Datei");
        ini.LoadForm(window.form.get());
        QCOMPARE(window.memo->toPlainText(), QStringLiteral("N = kg*m/s²\n€ = 1\n\nΩ = V/A"));
        ini.SaveMemos = true;
        ini.LoadForm(window.form.get());
        QCOMPARE(window.memo->toPlainText(), QStringLiteral("aus der Datei"));
    }

    void saveAndLoadRoundTripThroughTheFile()
    {
        const QString path = m_dir.filePath(QStringLiteral("roundtrip.ini"));
        {
            TestWindow window;
            window.fill();
            ComponentStore ini(path, Start::Empty);
            ini.SaveMemos = true;
            ini.SaveForm(window.form.get());
            QCOMPARE(ini.UpdateFile(), QString());
        }
        // "Ω" and "α" have no Windows-1252 byte, so the file is UTF-8 with a byte-order mark.
        QVERIFY(test::readAll(path).startsWith("\xEF\xBB\xBF[Form9]\r\n"));

        TestWindow window;
        ComponentStore ini(path);
        ini.SaveMemos = true;
        ini.LoadForm(window.form.get());
        QCOMPARE(window.edit->text(), QStringLiteral("  Blanks at both ends  "));
        QVERIFY(window.check->isChecked());
        QCOMPARE(window.combo->count(), 3);
        QCOMPARE(window.combo->itemText(2), QStringLiteral("tan()"));
        QCOMPARE(window.combo->currentIndex(), 2);
        QCOMPARE(window.combo->currentText(), QStringLiteral("typed"));
        QCOMPARE(window.real->text(), QStringLiteral("3.14")); // shown again in its own format
        QCOMPARE(window.memo->toPlainText(), QStringLiteral("N = kg*m/s²\n€ = 1\n\nΩ = V/A"));
        QCOMPARE(window.plainMemo->toPlainText(), QStringLiteral("erste Zeile\nzweite Zeile"));
        QCOMPARE(window.list->count(), 3);
        QCOMPARE(window.list->item(2)->text(), QStringLiteral("α"));
        QCOMPARE(window.spin->value(), -42);
        QCOMPARE(window.dateTime->dateTime(), QDateTime(QDate(2024, 2, 29), QTime(13, 45, 7)));
        QCOMPARE(window.unnamed->text(), QString());
    }

    void emptyMemoAndEmptyListRoundTrip()
    {
        TestWindow window;
        ComponentStore ini(m_dir.filePath(QStringLiteral("empty.ini")), Start::Empty);
        ini.SaveMemos = true;
        ini.SaveForm(window.form.get());
        QCOMPARE(ini.ReadInteger("Form9", "Memo1.count", -1), 0);
        QCOMPARE(ini.ReadInteger("Form9", "ListBox1.count", -1), 0);
        window.fill();
        ini.LoadForm(window.form.get());
        QCOMPARE(window.memo->toPlainText(), QString());
        QCOMPARE(window.list->count(), 0);
    }

    void missingCountsEmptyListsAndMemosButKeepComboItems()
    {
        TestWindow window;
        window.fill();
        ComponentStore ini(m_dir.filePath(QStringLiteral("missing.ini")), Start::Empty);
        ini.SaveMemos = true;
        ini.WriteString("Form9", "ComboBox1", "1");
        ini.WriteString("Form9", "ComboBox1.text", "aus der Datei");
        ini.WriteString("Form9", "ListBox1.item0", "ignored without a count");
        ini.LoadForm(window.form.get());
        QCOMPARE(window.list->count(), 0);
        QCOMPARE(window.memo->toPlainText(), QString());
        QCOMPARE(window.plainMemo->toPlainText(), QString());
        QCOMPARE(window.combo->count(), 3);
        QCOMPARE(window.combo->currentIndex(), 1);
        QCOMPARE(window.combo->currentText(), QStringLiteral("aus der Datei"));
        // A count of 0 keeps the items as well.
        ini.WriteString("Form9", "ComboBox1.count", "0");
        ini.LoadForm(window.form.get());
        QCOMPARE(window.combo->count(), 3);
    }

    void storedEditValues_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("text");
        QTest::newRow("quoted blanks") << "\"  a b  \""
                                       << "  a b  ";
        QTest::newRow("unquoted") << "a b"
                                  << "a b";
        QTest::newRow("two quotes") << "\"\""
                                    << "";
        QTest::newRow("one quote") << "\""
                                   << "";
        QTest::newRow("no closing quote") << "\"abc"
                                          << "ab";
        QTest::newRow("quote inside") << "a\"b\""
                                      << "a\"b\"";
        QTest::newRow("empty") << ""
                               << "";
    }

    void storedEditValues()
    {
        QFETCH(QString, stored);
        QFETCH(QString, text);
        TestWindow window;
        window.fill();
        ComponentStore ini(m_dir.filePath(QStringLiteral("edit.ini")), Start::Empty);
        ini.WriteString("Form9", "Edit1", stored);
        ini.LoadForm(window.form.get());
        QCOMPARE(window.edit->text(), text);
    }

    void missingKeysKeepTheCurrentState()
    {
        TestWindow window;
        window.fill();
        ComponentStore ini(m_dir.filePath(QStringLiteral("nothing.ini")));
        ini.SaveMemos = true;
        ini.LoadForm(window.form.get());
        QCOMPARE(window.edit->text(), QStringLiteral("  Blanks at both ends  "));
        QVERIFY(window.check->isChecked());
        QCOMPARE(window.combo->currentText(), QStringLiteral("typed"));
        QCOMPARE(window.spin->value(), -42);
        QCOMPARE(window.dateTime->dateTime(), QDateTime(QDate(2024, 2, 29), QTime(13, 45, 7)));
        QCOMPARE(window.real->text(), QStringLiteral("3.14"));
    }

    void plainValuesAndTheDefaultFileName()
    {
        ComponentStore ini(m_dir.filePath(QStringLiteral("values.ini")), Start::Empty);
        ini.WriteInteger("Form1", "top", -17);
        ini.WriteBool("Form2", "visible", true);
        ini.WriteReal("X", "r", 2.5);
        ini.WriteString("Formel", "text0", QStringLiteral("a\u008D\u0160b"));
        QCOMPARE(ini.ReadInteger("FORM1", "TOP", 0), -17);
        QVERIFY(ini.ReadBool("form2", "Visible", false));
        QCOMPARE(ini.ReadReal("X", "r", 0), 2.5);
        QCOMPARE(ini.ReadReal("X", "missing", 0.1), 0.1);
        QCOMPARE(ini.ReadString("Formel", "text0", ""), QStringLiteral("a\u008D\u0160b"));
        QCOMPARE(ini.UpdateFile(), QString());
        QCOMPARE(test::readAll(ini.FileName()),
                 QByteArray("[Form1]\r\ntop=-17\r\n\r\n[Form2]\r\nvisible=1"
                            "\r\n\r\n[X]\r\nr=2.5\r\n\r\n[Formel]\r\n"
                            "text0=a\x8D\x8A"
                            "b\r\n\r\n"));
        QVERIFY(!ComponentStore().FileName().isEmpty());
    }

    // The original program's file, loaded into windows like the program's and saved again with
    // the values the settings code writes itself, comes back byte for byte.
    void legacyFileThroughTheWindows()
    {
        QWidget form1;
        form1.setObjectName(QStringLiteral("Form1"));
        make<QTextEdit>(&form1, "Memo1")->setPlainText(QStringLiteral("Seite, nie gespeichert"));
        make<QTextEdit>(&form1, "Memo2");
        QWidget form2;
        form2.setObjectName(QStringLiteral("Form2"));
        auto* panel2 = make<QFrame>(&form2, "Panel2");
        auto* combo = make<QComboBox>(panel2, "ComboBox1");
        combo->setEditable(true);
        combo->addItem(QStringLiteral("arcsin()"));
        make<QPushButton>(panel2, "HemisphereButton1");
        auto* panel1 = make<QFrame>(&form2, "Panel1");
        make<QCheckBox>(panel1, "CBOnTop");
        auto* komma = make<RealEdit>(panel1, "Komma");
        QWidget form4;
        form4.setObjectName(QStringLiteral("Form4"));
        auto* siListBox = make<QTextEdit>(&form4, "SiListBox");
        make<QPushButton>(make<QFrame>(&form4, "Panel1"), "BTHelp");

        const QByteArray legacy =
            test::readAll(QStringLiteral(QUORVEL_SETTINGS_TEST_DATA "/legacy_quorvel.ini"));
        const QString path = m_dir.filePath(QStringLiteral("Quorvel.ini"));
        QVERIFY(test::writeAll(path, legacy));
        QVariantList values;
        {
            ComponentStore ini(path);
            ini.LoadForm(&form1);
            for (const char* key : {"top", "left", "width", "height"})
                values << ini.ReadInteger("Form1", key, 0);
            ini.LoadForm(&form2);
            values << ini.ReadInteger("Form2", "top", 0) << ini.ReadInteger("Form2", "left", 0)
                   << ini.ReadBool("Form2", "visible", false);
            ini.SaveMemos = true;
            ini.LoadForm(&form4);
            const int count = ini.ReadInteger("Formel", "count", 0);
            values << count;
            for (int k = 0; k < count; ++k)
                values << ini.ReadString("Formel", QStringLiteral("titel%1").arg(k), "")
                       << ini.ReadString("Formel", QStringLiteral("text%1").arg(k), "");
        }
        QCOMPARE(combo->count(), 3);
        QCOMPARE(combo->currentText(), QStringLiteral("sin()"));
        QCOMPARE(komma->text(), QStringLiteral("2.00"));
        QCOMPARE(siListBox->toPlainText(),
                 QStringLiteral("N = kg*m/s²\n€ = 1\nStück = 1\nl = m³/1000"));
        QCOMPARE(values.at(9).toString(), QStringLiteral("A = Pi*r²\u008D\u0160U = 2*Pi*r"));

        komma->setText(QStringLiteral("2")); // the stand-in formats with two decimals
        ComponentStore ini(path, Start::Empty);
        ini.SaveForm(&form1);
        for (const char* key : {"top", "left", "width", "height"})
            ini.WriteInteger("Form1", key, values.takeFirst().toInt());
        ini.SaveForm(&form2);
        ini.WriteInteger("Form2", "top", values.takeFirst().toInt());
        ini.WriteInteger("Form2", "left", values.takeFirst().toInt());
        ini.WriteBool("Form2", "visible", values.takeFirst().toBool());
        ini.SaveMemos = true;
        ini.SaveForm(&form4);
        ini.SaveMemos = false;
        const int count = values.takeFirst().toInt();
        ini.WriteInteger("Formel", "count", count);
        for (int k = 0; k < count; ++k) {
            ini.WriteString("Formel", QStringLiteral("titel%1").arg(k),
                            values.takeFirst().toString());
            ini.WriteString("Formel", QStringLiteral("text%1").arg(k),
                            values.takeFirst().toString());
        }
        QCOMPARE(ini.UpdateFileKeepingBackup(), QString());
        QCOMPARE(test::readAll(path), legacy);
        QCOMPARE(test::readAll(m_dir.filePath(QStringLiteral("Quorvel.b01"))), legacy);
    }

    // Damaged files: the controls keep their state where a value cannot be read, nothing
    // crashes or hangs, and the next save writes a clean file.
    void damagedFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QByteArray garbage;
        for (int i = 0; i < 65536; ++i)
            garbage.append(static_cast<char>((static_cast<unsigned>(i) * 2654435761u) >> 24));
        QByteArray huge = "[Form9]\r\nMemo1.count=2000000000\r\nListBox1.count=2000000000\r\n"
                          "ComboBox1.count=2000000000\r\n";
        for (int i = 0; huge.size() < 10 * 1024 * 1024; ++i)
            huge += "Memo1.line" + QByteArray::number(i) + "=" + QByteArray(200, 'x') + "\r\n";
        QByteArray longLine = "[Form9]\r\nEdit1=\"" + QByteArray(10 * 1024 * 1024, 'y');

        QTest::newRow("empty") << QByteArray();
        QTest::newRow("garbage") << garbage;
        QTest::newRow("cut in a line") << QByteArray("[Form9]\r\nCBOnTop=0\r\nListBox1.cou");
        QTest::newRow("cut in a header") << QByteArray("[Form9]\r\nCBOnTop=0\r\n[Fo");
        QTest::newRow("10 MB of keys") << huge;
        QTest::newRow("10 MB line") << longLine;
        QTest::newRow("huge counts")
            << QByteArray("[Form9]\r\nMemo1.count=2000000000\r\nMemo1.line0=eins\r\n"
                          "ListBox1.count=2000000000\r\nListBox1.item0=a\r\nListBox1.item1=b\r\n"
                          "ComboBox1.count=2000000000\r\nComboBox1.item0=x\r\n");
        QTest::newRow("negative counts")
            << QByteArray("[Form9]\r\nMemo1.count=-5\r\nListBox1.count=-5\r\n"
                          "ComboBox1.count=-5\r\nComboBox1=-5\r\n");
        QTest::newRow("wrong types")
            << QByteArray("[Form9]\r\nCBOnTop=ja\r\nComboBox1=eins\r\nComboBox1.count=zwei\r\n"
                          "SpinEdit1=\"viele\"\r\nDateTime1=gestern\r\nMemo1.count=x\r\n"
                          "ComboBox1.text=\r\n");
        QTest::newRow("index beyond the items")
            << QByteArray("[Form9]\r\nComboBox1=2000000000\r\n");
    }

    void damagedFiles()
    {
        QFETCH(QByteArray, bytes);
        const QString path = m_dir.filePath(QStringLiteral("damaged.ini"));
        QVERIFY(test::writeAll(path, bytes));

        TestWindow window;
        QElapsedTimer timer;
        timer.start();
        {
            ComponentStore ini(path);
            ini.SaveMemos = true;
            ini.LoadForm(window.form.get());
            QCOMPARE(ini.ReadInteger("Form1", "top", 177), 177);
            QCOMPARE(ini.ReadBool("Form2", "visible", false), false);
        }
        QVERIFY2(timer.elapsed() < 60'000, "loading a damaged file must not take long");
        QVERIFY(window.memo->document()->blockCount() <= 100'000);
        QVERIFY(window.list->count() <= 2);
        QVERIFY(window.combo->currentIndex() >= -1 &&
                window.combo->currentIndex() < window.combo->count());

        // The next save rebuilds the file from the windows alone and reads back the same.
        ComponentStore save(path, Start::Empty);
        save.SaveMemos = true;
        save.SaveForm(window.form.get());
        QCOMPARE(save.UpdateFileKeepingBackup(), QString());
        QCOMPARE(test::readAll(m_dir.filePath(QStringLiteral("damaged.b01"))), bytes);
        const QByteArray clean = test::readAll(path);
        QCOMPARE(QByteArray::fromStdString(IniDocument::fromBytes(clean.toStdString()).toBytes()),
                 clean);
        QVERIFY(clean.startsWith("[Form9]\r\n") || clean.startsWith("\xEF\xBB\xBF[Form9]\r\n"));
    }

    void filesThatCannotBeSettingsGiveAnEmptyDocument()
    {
        const QString oversized = m_dir.filePath(QStringLiteral("oversized.ini"));
        {
            QFile file(oversized);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.write("[Form9]\r\nCBOnTop=1\r\n") > 0);
            QVERIFY(file.resize(ComponentStore::kMaxFileSize + 1)); // sparse: costs no disk
        }
        QVERIFY(ComponentStore(oversized).IniFile().isEmpty());
        QVERIFY(ComponentStore(m_dir.path()).IniFile().isEmpty()); // a folder
        QVERIFY(ComponentStore(m_dir.filePath(QStringLiteral("missing.ini"))).IniFile().isEmpty());
    }

    void wrongTypesGiveTheDefaults()
    {
        TestWindow window;
        window.fill();
        const QString path = m_dir.filePath(QStringLiteral("types.ini"));
        QVERIFY(test::writeAll(path, "[Form9]\r\nCBOnTop=ja\r\nComboBox1=eins\r\n"
                                     "SpinEdit1=\"viele\"\r\nDateTime1=gestern\r\n"));
        ComponentStore ini(path);
        ini.LoadForm(window.form.get());
        QVERIFY(window.check->isChecked());
        QCOMPARE(window.combo->currentIndex(), 2);
        QCOMPARE(window.spin->value(), -42); // the spin box rejects the text and keeps its value
        QVERIFY(qAbs(window.dateTime->dateTime().secsTo(QDateTime::currentDateTime())) < 120);
    }

private:
    QTemporaryDir m_dir;
};

} // namespace quorvel

QTEST_MAIN(quorvel::ComponentStoreTest)
#include "component_store_test.moc"
