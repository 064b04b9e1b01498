#include "platform/Registry.h"
#include "tests/support/TempConfigHome.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TestRegistry : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { m_config = std::make_unique<TempConfigHome>(); }
    void cleanup() { m_config.reset(); }

    void keyIsCreatedOnlyWhenAsked()
    {
        RegistryKey key;
        QVERIFY(!key.Open(RegistryHive::CurrentUser, QStringLiteral("\\Software\\Corvane"), false));
        QVERIFY(!RegistryKey::KeyExists(RegistryHive::CurrentUser, QStringLiteral("\\Software\\Corvane")));

        QVERIFY(key.Open(RegistryHive::CurrentUser, QStringLiteral("\\Software\\Corvane"), true));
        key.Close();
        // An empty key survives, and its parent exists with it.
        QVERIFY(RegistryKey::KeyExists(RegistryHive::CurrentUser, QStringLiteral("\\Software\\Corvane")));
        QVERIFY(RegistryKey::KeyExists(RegistryHive::CurrentUser, QStringLiteral("\\Software")));
        QVERIFY(!RegistryKey::KeyExists(RegistryHive::LocalMachine, QStringLiteral("\\Software\\Corvane")));
        QCOMPARE(RegistryKey::HiveFilePath(RegistryHive::CurrentUser),
                 m_config->path() + QStringLiteral("/Corvane/HKEY_CURRENT_USER.ini"));
        QVERIFY(QFile::exists(RegistryKey::HiveFilePath(RegistryHive::CurrentUser)));
    }

    void valuesKeepTheirType_data()
    {
        QTest::addColumn<bool>("isDword");
        QTest::addColumn<QString>("text");
        QTest::addColumn<uint>("number");

        QTest::newRow("dword 0") << true << QString() << 0u;
        QTest::newRow("dword 1") << true << QString() << 1u;
        QTest::newRow("dword max") << true << QString() << 0xFFFFFFFFu;
        QTest::newRow("empty string") << false << QString() << 0u;
        QTest::newRow("url") << false << QStringLiteral("http://www.corvane.example/help/") << 0u;
        QTest::newRow("digits stay a string") << false << QStringLiteral("1") << 0u;
        QTest::newRow("looks like a dword") << false << QStringLiteral("dword:00000001") << 0u;
        QTest::newRow("commas") << false << QStringLiteral("a,b, c") << 0u;
        QTest::newRow("ini syntax") << false << QStringLiteral("[x]\nk=v; @y \"q\"") << 0u;
        QTest::newRow("non-ASCII") << false << QStringLiteral("Grüße, 東京") << 0u;
    }

    void valuesKeepTheirType()
    {
        QFETCH(bool, isDword);
        QFETCH(QString, text);
        QFETCH(uint, number);
        const QString keyPath = QStringLiteral("\\Software\\Corvane");
        {
            RegistryKey key;
            QVERIFY(key.Open(RegistryHive::CurrentUser, keyPath, true));
            QVERIFY(isDword ? key.WriteDword(QStringLiteral("V"), number)
                            : key.WriteString(QStringLiteral("V"), text));
        }
        RegistryKey key;  // a fresh reader sees what reached the file
        QVERIFY(key.Open(RegistryHive::CurrentUser, keyPath, false));
        QVERIFY(key.ValueExists(QStringLiteral("V")));
        if (isDword) {
            QCOMPARE(key.TypeOf(QStringLiteral("V")), RegistryKey::ValueType::Dword);
            QCOMPARE(key.ReadDword(QStringLiteral("V")), std::optional<uint32_t>(number));
            QVERIFY(!key.ReadString(QStringLiteral("V")));
        } else {
            QCOMPARE(key.TypeOf(QStringLiteral("V")), RegistryKey::ValueType::String);
            QCOMPARE(key.ReadString(QStringLiteral("V")), std::optional<QString>(text));
            QVERIFY(!key.ReadDword(QStringLiteral("V")));
        }
    }

    void deleteValueKeepsKey()
    {
        const QString keyPath = QStringLiteral("\\Software\\Corvane");
        RegistryKey key;
        QVERIFY(key.Open(RegistryHive::CurrentUser, keyPath, true));
        QVERIFY(key.WriteDword(QStringLiteral("len_up"), 1));
        QVERIFY(key.DeleteValue(QStringLiteral("len_up")));
        QVERIFY(!key.ValueExists(QStringLiteral("len_up")));
        QVERIFY(key.DeleteValue(QStringLiteral("never there")));
        key.Close();
        QVERIFY(RegistryKey::KeyExists(RegistryHive::CurrentUser, keyPath));
        QVERIFY(key.Open(RegistryHive::CurrentUser, keyPath, false));
        QVERIFY(!key.ValueExists(QStringLiteral("len_up")));
    }

    void refusesWhatItCannotStore()
    {
        RegistryKey key;
        QVERIFY(!key.Open(RegistryHive::CurrentUser, QStringLiteral("\\"), true));
        QVERIFY(!key.Open(RegistryHive::CurrentUser, QStringLiteral("\\Soft/ware"), true));
        QVERIFY(key.Open(RegistryHive::CurrentUser, QStringLiteral("\\Software\\Corvane"), true));
        QVERIFY(!key.WriteString(QStringLiteral("a/b"), QStringLiteral("x")));
        QVERIFY(!key.WriteString(QStringLiteral("@"), QStringLiteral("x")));
        QVERIFY(!key.WriteDword(QString(), 1));
        QVERIFY(!key.ValueExists(QStringLiteral("@")));
    }

    void followsConfigFolderAtEachOpen()
    {
        QTemporaryDir other;
        const QString keyPath = QStringLiteral("\\Software\\Corvane");
        RegistryKey key;
        QVERIFY(key.Open(RegistryHive::CurrentUser, keyPath, true));
        QVERIFY(key.WriteString(QStringLiteral("HomePage"), QStringLiteral("first")));
        key.Close();

        qputenv("XDG_CONFIG_HOME", other.path().toUtf8());
        QVERIFY(!RegistryKey::KeyExists(RegistryHive::CurrentUser, keyPath));
        QVERIFY(QFile::exists(m_config->path() + QStringLiteral("/Corvane/HKEY_CURRENT_USER.ini")));
    }

    void unusableConfigFolderCannotBeOpened()
    {
        // A plain file where the config folder should be: nothing can be created below it.
        const QString blocker = m_config->filePath(QStringLiteral("not-a-folder"));
        QFile f(blocker);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        qputenv("XDG_CONFIG_HOME", blocker.toUtf8());
        RegistryKey key;
        QVERIFY(!key.Open(RegistryHive::CurrentUser, QStringLiteral("\\Software\\Corvane"), true));
        QVERIFY(!key.IsOpen());
    }

private:
    std::unique_ptr<TempConfigHome> m_config;
};

QTEST_GUILESS_MAIN(TestRegistry)
#include "tst_registry.moc"
