// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ondrelmanager.h"
#include "app/storedsettings.h"
#include "panel/ondrelwidget.h"
#include "platform/fake/fakeplatform.h"
#include "support/testsettings.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QScreen>
#include <QSettings>
#include <QTest>

#include <memory>

using platform::HotkeyHook;
using platform::fake::FakeHotkeyHook;
using platform::fake::FakePlatform;

Q_DECLARE_METATYPE(platform::HotkeyHook::Outcome)

namespace {

/// Lets a test hand native messages to the manager as the windowing system would.
class ManagerProbe : public OndrelManager
{
public:
    using OndrelManager::OndrelManager;

    /// Returns whether the manager reported the message as consumed.
    bool deliverHookMessage(unsigned number, unsigned wParam)
    {
        FakeHotkeyHook::Message message{number, wParam};
        qintptr result = 0;
        return nativeEvent(FakeHotkeyHook::EventType, &message, &result);
    }
};

QByteArray settingsFileText()
{
    QFile file(testsupport::settingsFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace

class TestOndrelManager : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void firstRunUsesTheDefaults();
    void storedValuesReachThePanel();
    void unusableStoredValuesFallBack_data();
    void unusableStoredValuesFallBack();
    void garbageSettingsFileStartsASanePanel();

    void menuHasItsFiveEntries();
    void trayActivation_data();
    void trayActivation();
    void toggleSetsTheNonActivatingStyleBeforeShowing();

    void firstShowCentresThePanelAtHalfHeight();
    void laterShowsKeepTheUsersPosition();

    void quitWritesAllSixValues();
    void terminationSavesBeforeTheLoopEnds();

    void withoutTheHookTheTooltipIsPlain_data();
    void withoutTheHookTheTooltipIsPlain();
    void withTheHookTheTooltipAndMenuShowTheKey();
    void hookMessageTogglesOnlyForTheSelectedKey();
    void hookMessageIsPassedOnUnlessThePlatformKeepsIt();
    void setShowHideKey_data();
    void setShowHideKey();
    void storedKeyIsSelected_data();
    void storedKeyIsSelected();
    void hookIsRemovedAtExit_data();
    void hookIsRemovedAtExit();

private:
    ManagerProbe &startManager();

    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<ManagerProbe> m_manager;
};

ManagerProbe &TestOndrelManager::startManager()
{
    m_manager = std::make_unique<ManagerProbe>(m_platform->services);
    return *m_manager;
}

void TestOndrelManager::init()
{
    testsupport::clearStoredSettings();
    m_platform = std::make_unique<FakePlatform>();
}

void TestOndrelManager::cleanup()
{
    m_manager.reset();
    m_platform.reset();
}

void TestOndrelManager::firstRunUsesTheDefaults()
{
    OndrelManager &manager = startManager();
    OndrelWidget *panel = manager.panel();
    QVERIFY(panel->isHidden());
    QCOMPARE(panel->backgroundColor(), QColor(229, 230, 230));
    QCOMPARE(panel->labelSize(), panel->maxLabelSize());
    QCOMPARE(panel->labelSpacing(), 0);
    QCOMPARE(panel->size(), panelgeometry::gridExtent(panel->maxLabelSize(), 0));
    QVERIFY(manager.currentHotkey());
    QCOMPARE(manager.currentHotkey()->name, QStringLiteral("F8"));
    QVERIFY(manager.trayIcon()->isVisible());
    QCOMPARE(manager.windowTitle(), QStringLiteral("OndrelManager"));
    QVERIFY(!manager.isVisible());
    QVERIFY(!QApplication::quitOnLastWindowClosed());
}

void TestOndrelManager::storedValuesReachThePanel()
{
    {
        QSettings settings(storedsettings::organization, storedsettings::application);
        settings.setValue(storedsettings::backgroundRedKey, 10);
        settings.setValue(storedsettings::backgroundGreenKey, 20);
        settings.setValue(storedsettings::backgroundBlueKey, 30);
        settings.setValue(storedsettings::labelSizeKey, 25);
        settings.setValue(storedsettings::spacingKey, 3);
    }
    OndrelManager &manager = startManager();
    QCOMPARE(manager.panel()->backgroundColor(), QColor(10, 20, 30));
    QCOMPARE(manager.panel()->labelSize(), 25);
    QCOMPARE(manager.panel()->labelSpacing(), 3);
    QCOMPARE(manager.panel()->size(), QSize(28 * 25 + 27 * 3, 7 * 25 + 6 * 3));
}

void TestOndrelManager::unusableStoredValuesFallBack_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("stored");

    QTest::newRow("label size 0") << storedsettings::labelSizeKey << QVariant(0);
    QTest::newRow("label size -40") << storedsettings::labelSizeKey << QVariant(-40);
    QTest::newRow("label size 5000") << storedsettings::labelSizeKey << QVariant(5000);
    QTest::newRow("spacing -3") << storedsettings::spacingKey << QVariant(-3);
    QTest::newRow("spacing 2000") << storedsettings::spacingKey << QVariant(2000);
    QTest::newRow("red 300") << storedsettings::backgroundRedKey << QVariant(300);
    QTest::newRow("blue -1") << storedsettings::backgroundBlueKey << QVariant(-1);
}

void TestOndrelManager::unusableStoredValuesFallBack()
{
    QFETCH(QString, key);
    QFETCH(QVariant, stored);
    {
        QSettings settings(storedsettings::organization, storedsettings::application);
        settings.setValue(key, stored);
    }
    OndrelManager &manager = startManager();
    OndrelWidget *panel = manager.panel();
    QCOMPARE(panel->backgroundColor(), QColor(229, 230, 230));
    QCOMPARE(panel->labelSize(), panel->maxLabelSize());
    QCOMPARE(panel->labelSpacing(), 0);
}

void TestOndrelManager::garbageSettingsFileStartsASanePanel()
{
    const QString path = testsupport::settingsFilePath();
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("\x01\xff[[[Settings\n/Sizes/Labels=\xfe\xfe\n=\n[Colors]\nR=-9999999999\n"
                   "Sizes\\Labels=-7\nSizes\\Spacing=1e9\nKeyForShowHideOndrel=\x02\n");
    }
    startManager();
    OndrelWidget *panel = m_manager->panel();
    QVERIFY(panel->backgroundColor().isValid());
    QVERIFY(panel->labelSize() >= 1 && panel->labelSize() <= 1000);
    QVERIFY(panel->labelSpacing() >= 0 && panel->labelSpacing() <= 1000);
    QCOMPARE(m_manager->currentHotkey()->name, QStringLiteral("F8"));

    m_manager.reset();
    QSettings reread(storedsettings::organization, storedsettings::application);
    QCOMPARE(reread.value(storedsettings::showHideKeyKey).toString(), QStringLiteral("F8"));
}

void TestOndrelManager::menuHasItsFiveEntries()
{
    OndrelManager &manager = startManager();
    QMenu *menu = manager.trayIcon()->contextMenu();
    QVERIFY(menu);
    QStringList texts;
    for (const QAction *action : menu->actions()) {
        QVERIFY(!action->isSeparator());
        texts << action->text();
    }
    QCOMPARE(texts, QStringList({QStringLiteral("Show/Hide Ondrel"), QStringLiteral("Settings"),
                                 QStringLiteral("Help"), QStringLiteral("About"),
                                 QStringLiteral("Quit")}));
    QCOMPARE(menu->actions().first(), manager.showHideAction());

    manager.showHideAction()->trigger();
    QVERIFY(manager.panel()->isVisible());
    manager.showHideAction()->trigger();
    QVERIFY(manager.panel()->isHidden());
}

void TestOndrelManager::trayActivation_data()
{
    QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
    QTest::addColumn<bool>("toggles");

    QTest::newRow("single click") << QSystemTrayIcon::Trigger << true;
    QTest::newRow("double click") << QSystemTrayIcon::DoubleClick << false;
    QTest::newRow("middle click") << QSystemTrayIcon::MiddleClick << false;
    QTest::newRow("context menu") << QSystemTrayIcon::Context << false;
    QTest::newRow("unknown") << QSystemTrayIcon::Unknown << false;
}

void TestOndrelManager::trayActivation()
{
    QFETCH(QSystemTrayIcon::ActivationReason, reason);
    QFETCH(bool, toggles);

    OndrelManager &manager = startManager();
    emit manager.trayIcon()->activated(reason);
    QCOMPARE(manager.panel()->isVisible(), toggles);
    emit manager.trayIcon()->activated(reason);
    QVERIFY(manager.panel()->isHidden());
}

void TestOndrelManager::toggleSetsTheNonActivatingStyleBeforeShowing()
{
    OndrelManager &manager = startManager();
    OndrelWidget *panel = manager.panel();
    const auto window = panel->winId();

    manager.togglePanel();
    QVERIFY(panel->isVisible());
    QVERIFY(panel->isNoActivate());
    QVERIFY(m_platform->windowActivation->isNoActivate(window));

    manager.togglePanel();
    QVERIFY(panel->isHidden());
    QVERIFY(!panel->isNoActivate());

    // Whatever state it was hidden in, the panel comes back non-activating.
    manager.togglePanel();
    QVERIFY(panel->isNoActivate());
    QVERIFY(m_platform->windowActivation->isNoActivate(window));
}

void TestOndrelManager::firstShowCentresThePanelAtHalfHeight()
{
    OndrelManager &manager = startManager();
    OndrelWidget *panel = manager.panel();
    const QSize desktop = QGuiApplication::primaryScreen()->virtualGeometry().size();

    manager.togglePanel();
    QCOMPARE(panel->pos(),
             QPoint((desktop.width() - panel->frameSize().width()) / 2, desktop.height() / 2));
}

void TestOndrelManager::laterShowsKeepTheUsersPosition()
{
    OndrelManager &manager = startManager();
    OndrelWidget *panel = manager.panel();
    manager.togglePanel();
    panel->move(13, 17); // the user drags it
    manager.togglePanel();
    manager.togglePanel();
    QCOMPARE(panel->pos(), QPoint(13, 17));

    // The settings dialog shows a hidden panel directly; it stays put as well.
    panel->hide();
    manager.showPanel();
    QCOMPARE(panel->pos(), QPoint(13, 17));
}

void TestOndrelManager::quitWritesAllSixValues()
{
    OndrelManager &manager = startManager();
    manager.panel()->setBackgroundColor(QColor(1, 2, 3, 100));
    manager.panel()->setLabelSize(33);
    manager.panel()->setLabelSpacing(9);
    QVERIFY(manager.setShowHideKey(QStringLiteral("F5")));
    QVERIFY(settingsFileText().isEmpty()); // nothing is written while running

    m_manager.reset();

    QSettings reread(storedsettings::organization, storedsettings::application);
    QCOMPARE(reread.allKeys().size(), 6);
    QCOMPARE(reread.value(storedsettings::backgroundRedKey).toInt(), 1);
    QCOMPARE(reread.value(storedsettings::backgroundGreenKey).toInt(), 2);
    QCOMPARE(reread.value(storedsettings::backgroundBlueKey).toInt(), 3);
    QCOMPARE(reread.value(storedsettings::labelSizeKey).toInt(), 33);
    QCOMPARE(reread.value(storedsettings::spacingKey).toInt(), 9);
    QCOMPARE(reread.value(storedsettings::showHideKeyKey).toString(), QStringLiteral("F5"));
}

void TestOndrelManager::terminationSavesBeforeTheLoopEnds()
{
    OndrelManager &manager = startManager();
    QVERIFY(m_platform->termination->callback);
    manager.panel()->setLabelSize(27);

    m_platform->termination->callback();

    // On disk already, before the event loop has unwound and the manager is gone.
    const QByteArray text = settingsFileText();
    QVERIFY2(text.contains("Labels=27"), text.constData());
    QVERIFY(text.contains("KeyForShowHideOndrel=F8"));
}

void TestOndrelManager::withoutTheHookTheTooltipIsPlain_data()
{
    QTest::addColumn<HotkeyHook::Outcome>("outcome");
    QTest::newRow("no library") << HotkeyHook::Outcome::NoLibrary;
    QTest::newRow("library without a hook") << HotkeyHook::Outcome::LoadedNoHook;
}

void TestOndrelManager::withoutTheHookTheTooltipIsPlain()
{
    QFETCH(HotkeyHook::Outcome, outcome);
    m_platform->hotkeyHook->outcome = outcome;
    ManagerProbe &manager = startManager();
    QVERIFY(!manager.hookInstalled());
    QCOMPARE(manager.trayIcon()->toolTip(), QStringLiteral("Ondrel"));
    QVERIFY(manager.showHideAction()->shortcut().isEmpty());

    // The key can still be chosen and is kept, but shows nowhere.
    QVERIFY(manager.setShowHideKey(QStringLiteral("F3")));
    QCOMPARE(manager.trayIcon()->toolTip(), QStringLiteral("Ondrel"));
    QVERIFY(manager.showHideAction()->shortcut().isEmpty());

    // The handler does not ask how the set-up went: a matching message still toggles.
    manager.deliverHookMessage(platform::HotkeyMessage, 119);
    QVERIFY(manager.panel()->isHidden());
    manager.deliverHookMessage(platform::HotkeyMessage, 114);
    QVERIFY(manager.panel()->isVisible());

    // The chosen key is written back at exit all the same.
    m_manager.reset();
    QSettings reread(storedsettings::organization, storedsettings::application);
    QCOMPARE(reread.value(storedsettings::showHideKeyKey).toString(), QStringLiteral("F3"));
}

void TestOndrelManager::withTheHookTheTooltipAndMenuShowTheKey()
{
    m_platform->hotkeyHook->outcome = HotkeyHook::Outcome::Installed;
    OndrelManager &manager = startManager();
    QVERIFY(manager.hookInstalled());
    QCOMPARE(m_platform->hotkeyHook->notifiedWindow, manager.winId());
    QCOMPARE(manager.trayIcon()->toolTip(), QStringLiteral("Ondrel (<F8>)"));
    QCOMPARE(manager.showHideAction()->shortcut(), QKeySequence(Qt::Key_F8));
}

void TestOndrelManager::hookMessageTogglesOnlyForTheSelectedKey()
{
    m_platform->hotkeyHook->outcome = HotkeyHook::Outcome::Installed;
    ManagerProbe &manager = startManager();
    OndrelWidget *panel = manager.panel();

    manager.deliverHookMessage(platform::HotkeyMessage, 120); // F9
    QVERIFY(panel->isHidden());
    manager.deliverHookMessage(platform::HotkeyMessage + 1, 119); // another message
    QVERIFY(panel->isHidden());
    manager.deliverHookMessage(platform::HotkeyMessage, 119);
    QVERIFY(panel->isVisible());
    manager.deliverHookMessage(platform::HotkeyMessage, 119);
    QVERIFY(panel->isHidden());
}

void TestOndrelManager::hookMessageIsPassedOnUnlessThePlatformKeepsIt()
{
    m_platform->hotkeyHook->outcome = HotkeyHook::Outcome::Installed;
    ManagerProbe &manager = startManager();
    // As a window procedure does, the manager hands every message on.
    QVERIFY(!manager.deliverHookMessage(platform::HotkeyMessage, 119));
    QVERIFY(!manager.deliverHookMessage(platform::HotkeyMessage, 120));
    QVERIFY(manager.panel()->isVisible());

    // A platform whose own processing only complains about the message keeps it,
    // once read; other messages still go on.
    m_platform->hotkeyHook->keepsMessage = true;
    QVERIFY(manager.deliverHookMessage(platform::HotkeyMessage, 119));
    QVERIFY(manager.panel()->isHidden());
    QVERIFY(manager.deliverHookMessage(platform::HotkeyMessage, 120));
    QVERIFY(!manager.deliverHookMessage(platform::HotkeyMessage + 1, 119));
    QVERIFY(manager.panel()->isHidden());
}

void TestOndrelManager::setShowHideKey_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("virtualKey");

    QTest::newRow("F1 is not offered") << QStringLiteral("F1") << false << 119;
    QTest::newRow("lower case") << QStringLiteral("f8") << false << 119;
    QTest::newRow("empty") << QString() << false << 119;
    QTest::newRow("F13") << QStringLiteral("F13") << false << 119;
    QTest::newRow("F2") << QStringLiteral("F2") << true << 113;
    QTest::newRow("F12") << QStringLiteral("F12") << true << 123;
}

void TestOndrelManager::setShowHideKey()
{
    QFETCH(QString, name);
    QFETCH(bool, accepted);
    QFETCH(int, virtualKey);

    m_platform->hotkeyHook->outcome = HotkeyHook::Outcome::Installed;
    ManagerProbe &manager = startManager();
    const QString tooltipBefore = manager.trayIcon()->toolTip();
    const QKeySequence shortcutBefore = manager.showHideAction()->shortcut();

    QCOMPARE(manager.setShowHideKey(name), accepted);
    QCOMPARE(manager.currentHotkey()->virtualKey, virtualKey);
    if (accepted) {
        QCOMPARE(manager.trayIcon()->toolTip(), QStringLiteral("Ondrel (<%1>)").arg(name));
        QCOMPARE(manager.showHideAction()->shortcut(),
                 QKeySequence(manager.currentHotkey()->qtKey));
    } else {
        QCOMPARE(manager.trayIcon()->toolTip(), tooltipBefore);
        QCOMPARE(manager.showHideAction()->shortcut(), shortcutBefore);
    }

    // Only the selected key's message toggles.
    manager.deliverHookMessage(platform::HotkeyMessage, accepted ? 119 : 123);
    QVERIFY(manager.panel()->isHidden());
    manager.deliverHookMessage(platform::HotkeyMessage, static_cast<unsigned>(virtualKey));
    QVERIFY(manager.panel()->isVisible());
}

void TestOndrelManager::storedKeyIsSelected_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("selected");

    QTest::newRow("F12") << QVariant(QStringLiteral("F12")) << QStringLiteral("F12");
    QTest::newRow("F2") << QVariant(QStringLiteral("F2")) << QStringLiteral("F2");
    QTest::newRow("absent") << QVariant() << QStringLiteral("F8");
    // Names that no entry has can only come from an edited file; the default
    // keeps a current key for the tooltip, the messages and the saving.
    QTest::newRow("F99") << QVariant(QStringLiteral("F99")) << QStringLiteral("F8");
    QTest::newRow("lower case f12") << QVariant(QStringLiteral("f12")) << QStringLiteral("F8");
    QTest::newRow("F1, not offered") << QVariant(QStringLiteral("F1")) << QStringLiteral("F8");
    QTest::newRow("empty") << QVariant(QString()) << QStringLiteral("F8");
}

void TestOndrelManager::storedKeyIsSelected()
{
    QFETCH(QVariant, stored);
    QFETCH(QString, selected);
    if (stored.isValid()) {
        QSettings settings(storedsettings::organization, storedsettings::application);
        settings.setValue(storedsettings::showHideKeyKey, stored);
    }
    m_platform->hotkeyHook->outcome = HotkeyHook::Outcome::Installed;
    ManagerProbe &manager = startManager();
    QVERIFY(manager.currentHotkey());
    QCOMPARE(manager.currentHotkey()->name, selected);
    QCOMPARE(manager.trayIcon()->toolTip(), QStringLiteral("Ondrel (<%1>)").arg(selected));
    QCOMPARE(manager.showHideAction()->shortcut(), QKeySequence(manager.currentHotkey()->qtKey));

    // Its message, and only its, toggles the panel.
    const unsigned virtualKey = static_cast<unsigned>(manager.currentHotkey()->virtualKey);
    manager.deliverHookMessage(platform::HotkeyMessage, virtualKey == 119 ? 123 : 119);
    QVERIFY(manager.panel()->isHidden());
    manager.deliverHookMessage(platform::HotkeyMessage, virtualKey);
    QVERIFY(manager.panel()->isVisible());

    m_manager.reset();
    QSettings reread(storedsettings::organization, storedsettings::application);
    QCOMPARE(reread.value(storedsettings::showHideKeyKey).toString(), selected);
}

void TestOndrelManager::hookIsRemovedAtExit_data()
{
    QTest::addColumn<HotkeyHook::Outcome>("outcome");
    QTest::newRow("installed") << HotkeyHook::Outcome::Installed;
    // A library that loaded without its hook is still released.
    QTest::newRow("library without a hook") << HotkeyHook::Outcome::LoadedNoHook;
}

void TestOndrelManager::hookIsRemovedAtExit()
{
    QFETCH(HotkeyHook::Outcome, outcome);
    m_platform->hotkeyHook->outcome = outcome;
    startManager();
    QCOMPARE(m_platform->hotkeyHook->removeCalls, 0);
    QByteArray settingsWhenRemoved = "not removed";
    m_platform->hotkeyHook->onRemove = [&settingsWhenRemoved] {
        settingsWhenRemoved = settingsFileText();
    };
    m_manager.reset();
    QCOMPARE(m_platform->hotkeyHook->removeCalls, 1);
    // Removed first, before the settings are written.
    QVERIFY(settingsWhenRemoved.isEmpty());
    QVERIFY(!settingsFileText().isEmpty());
}

ONDREL_TEST_MAIN(TestOndrelManager)
#include "tst_ondrelmanager.moc"
