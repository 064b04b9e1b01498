#include "app/ProductInfo.h"
#include "app/Settings.h"
#include "platform/Registry.h"
#include "tests/support/TempConfigHome.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
const QString Key = QString::fromLatin1(ProductInfo::SettingsKey);
}

class TestSettings : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { m_config = std::make_unique<TempConfigHome>(); }
    void cleanup() { m_config.reset(); }

    void firstStartWritesDefaults()
    {
        Settings info;
        LoadSettings(info);
        QCOMPARE(info.CheckUpdate, false);
        QCOMPARE(info.HelpURL, QString::fromLatin1(ProductInfo::DefaultHelpURL));
        QVERIFY(info.HelpURL.endsWith(QStringLiteral("/help/")));
        QCOMPARE(info.HomePage, QString::fromLatin1(ProductInfo::DefaultHomePage));
        QCOMPARE(info.len_up, 1);
        QCOMPARE(info.len_down, 6);

        RegistryKey key;
        QVERIFY(key.Open(RegistryHive::CurrentUser, Key, false));
        QCOMPARE(key.ReadDword(QStringLiteral("CheckUpdate")), std::optional<uint32_t>(0));
        QCOMPARE(key.ReadString(QStringLiteral("HelpURL")), std::optional<QString>(info.HelpURL));
        QCOMPARE(key.ReadString(QStringLiteral("HomePage")), std::optional<QString>(info.HomePage));
        QCOMPARE(key.ReadDword(QStringLiteral("len_up")), std::optional<uint32_t>(1));
        QCOMPARE(key.ReadDword(QStringLiteral("len_down")), std::optional<uint32_t>(6));
        QVERIFY(!key.ValueExists(QStringLiteral("Version")));
    }

    void storedValuesWin_data()
    {
        QTest::addColumn<uint>("checkUpdate");
        QTest::addColumn<bool>("expected");
        QTest::newRow("off") << 0u << false;
        QTest::newRow("on") << 1u << true;
        QTest::newRow("any non-zero is on") << 7u << true;
    }

    void storedValuesWin()
    {
        QFETCH(uint, checkUpdate);
        QFETCH(bool, expected);
        {
            RegistryKey key;
            QVERIFY(key.Open(RegistryHive::CurrentUser, Key, true));
            key.WriteDword(QStringLiteral("CheckUpdate"), checkUpdate);
            key.WriteString(QStringLiteral("HelpURL"), QStringLiteral("http://help.local/help/"));
            key.WriteDword(QStringLiteral("len_down"), 9);
        }
        Settings info;
        LoadSettings(info);
        QCOMPARE(info.CheckUpdate, expected);
        QCOMPARE(info.HelpURL, QStringLiteral("http://help.local/help/"));
        QCOMPARE(info.len_down, 9);
        QCOMPARE(info.len_up, 1);  // the missing one gets its default
        RegistryKey key;
        QVERIFY(key.Open(RegistryHive::CurrentUser, Key, false));
        QCOMPARE(key.ReadDword(QStringLiteral("CheckUpdate")), std::optional<uint32_t>(checkUpdate));
        QCOMPARE(key.ReadDword(QStringLiteral("len_up")), std::optional<uint32_t>(1));
    }

    void wronglyTypedValueIsKept()
    {
        {
            RegistryKey key;
            QVERIFY(key.Open(RegistryHive::CurrentUser, Key, true));
            key.WriteString(QStringLiteral("len_up"), QStringLiteral("three"));
        }
        Settings info;
        LoadSettings(info);
        QCOMPARE(info.len_up, 1);
        RegistryKey key;
        QVERIFY(key.Open(RegistryHive::CurrentUser, Key, false));
        QCOMPARE(key.ReadString(QStringLiteral("len_up")), std::optional<QString>(QStringLiteral("three")));
    }

    void unopenableKeyLeavesRecordAlone()
    {
        const QString blocker = m_config->filePath(QStringLiteral("file"));
        QFile f(blocker);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        qputenv("XDG_CONFIG_HOME", blocker.toUtf8());
        Settings info;
        LoadSettings(info);
        QCOMPARE(info.CheckUpdate, false);
        QVERIFY(info.HelpURL.isEmpty());
        QVERIFY(info.HomePage.isEmpty());
        QCOMPARE(info.len_up, 0);
        QCOMPARE(info.len_down, 0);
    }

private:
    std::unique_ptr<TempConfigHome> m_config;
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
