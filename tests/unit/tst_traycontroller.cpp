// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/hotkeyreceiver.h"
#include "app/panelfocus.h"
#include "app/settingswriter.h"
#include "app/storedsettings.h"
#include "app/traycontroller.h"
#include "dialogs/settingsdialog.h"
#include "panel/characterpanel.h"
#include "panel/framedpanel.h"
#include "support/fakeplatform.h"
#include "support/testsettings.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QMenu>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QToolButton>

#include <memory>

using platform::HotkeyHook;
using platform::fake::FakeHotkeyHook;
using platform::fake::FakePlatform;

Q_DECLARE_METATYPE(platform::HotkeyHook::Outcome)

namespace {

/// Lets a test hand native messages to the controller as the windowing system would.
class ControllerProbe : public TrayController
{
public:
    using TrayController::TrayController;

    /// Returns whether the message was reported as consumed.
    bool deliverHookMessage(unsigned number, unsigned wParam)
    {
        FakeHotkeyHook::Message message{number, wParam};
        qintptr result = 0;
        return hotkeyReceiver().nativeEvent(FakeHotkeyHook::EventType, &message, &result);
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

class TestTrayController : public QObject
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
    void panelIsNonActivatingWheneverItIsShown();

    void clicksTypeTheCodePageShown();
    void typedTextAndOwnPagesTypeAsClicksDo();
    void aFramelessPanelDrawsItsOwnStripAndMenu();
    void firstShowCentresThePanelAtHalfHeight();
    void laterShowsKeepTheUsersPosition();

    void quitWritesEveryValue();
    void terminationSavesBeforeTheLoopEnds();
    void changesAreSavedOnceTheyStop();

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
    ControllerProbe &startController();

    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<ControllerProbe> m_controller;
};

ControllerProbe &TestTrayController::startController()
{
    m_controller = std::make_unique<ControllerProbe>(m_platform->services);
    return *m_controller;
}

void TestTrayController::init()
{
    testsupport::clearStoredSettings();
    m_platform = std::make_unique<FakePlatform>();
}

void TestTrayController::cleanup()
{
    m_controller.reset();
    m_platform.reset();
}

void TestTrayController::firstRunUsesTheDefaults()
{
    TrayController &controller = startController();
    CharacterPanel *panel = controller.panel();
    QVERIFY(panel->isHidden());
    QCOMPARE(panel->backgroundColor(), QColor(229, 230, 230));
    QCOMPARE(panel->labelSize(), panel->maxLabelSize());
    QCOMPARE(panel->labelSpacing(), 0);
    QCOMPARE(panel->size(), panelgeometry::gridExtent(panel->maxLabelSize(), 0));
    QVERIFY(controller.currentHotkey());
    QCOMPARE(controller.currentHotkey()->name, QStringLiteral("F8"));
    QVERIFY(controller.trayIcon()->isVisible());
    QVERIFY(!controller.hotkeyReceiver().isVisible());
    QVERIFY(!QApplication::quitOnLastWindowClosed());
}

void TestTrayController::storedValuesReachThePanel()
{
    {
        QSettings settings(storedsettings::organization, storedsettings::application);
        settings.setValue(storedsettings::backgroundRedKey, 10);
        settings.setValue(storedsettings::backgroundGreenKey, 20);
        settings.setValue(storedsettings::backgroundBlueKey, 30);
        settings.setValue(storedsettings::labelSizeKey, 25);
        settings.setValue(storedsettings::spacingKey, 3);
    }
    TrayController &controller = startController();
    QCOMPARE(controller.panel()->backgroundColor(), QColor(10, 20, 30));
    QCOMPARE(controller.panel()->labelSize(), 25);
    QCOMPARE(controller.panel()->labelSpacing(), 3);
    QCOMPARE(controller.panel()->size(), QSize(28 * 25 + 27 * 3, 7 * 25 + 6 * 3));
}

void TestTrayController::unusableStoredValuesFallBack_data()
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

void TestTrayController::unusableStoredValuesFallBack()
{
    QFETCH(QString, key);
    QFETCH(QVariant, stored);
    {
        QSettings settings(storedsettings::organization, storedsettings::application);
        settings.setValue(key, stored);
    }
    TrayController &controller = startController();
    CharacterPanel *panel = controller.panel();
    QCOMPARE(panel->backgroundColor(), QColor(229, 230, 230));
    QCOMPARE(panel->labelSize(), panel->maxLabelSize());
    QCOMPARE(panel->labelSpacing(), 0);
}

void TestTrayController::garbageSettingsFileStartsASanePanel()
{
    const QString path = testsupport::settingsFilePath();
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("\x01\xff[[[Settings\n/Sizes/Labels=\xfe\xfe\n=\n[Colors]\nR=-9999999999\n"
                   "Sizes\\Labels=-7\nSizes\\Spacing=1e9\nKeyForShowHideOndrel=\x02\n");
    }
    startController();
    CharacterPanel *panel = m_controller->panel();
    QVERIFY(panel->backgroundColor().isValid());
    QVERIFY(panel->labelSize() >= 1 && panel->labelSize() <= 1000);
    QVERIFY(panel->labelSpacing() >= 0 && panel->labelSpacing() <= 1000);
    QCOMPARE(m_controller->currentHotkey()->name, QStringLiteral("F8"));

    m_controller.reset();
    QSettings reread(storedsettings::organization, storedsettings::application);
    QCOMPARE(reread.value(storedsettings::showHideKeyKey).toString(), QStringLiteral("F8"));
}

void TestTrayController::menuHasItsFiveEntries()
{
    TrayController &controller = startController();
    QMenu *menu = controller.trayIcon()->contextMenu();
    QVERIFY(menu);
    QStringList texts;
    for (const QAction *action : menu->actions()) {
        QVERIFY(!action->isSeparator());
        texts << action->text();
    }
    QCOMPARE(texts, QStringList({QStringLiteral("Show/Hide Ondrel"), QStringLiteral("Settings"),
                                 QStringLiteral("Help"), QStringLiteral("About"),
                                 QStringLiteral("Quit")}));
    QCOMPARE(menu->actions().first(), controller.showHideAction());

    controller.showHideAction()->trigger();
    QVERIFY(controller.panel()->isVisible());
    controller.showHideAction()->trigger();
    QVERIFY(controller.panel()->isHidden());
}

void TestTrayController::trayActivation_data()
{
    QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
    QTest::addColumn<bool>("toggles");

    QTest::newRow("single click") << QSystemTrayIcon::Trigger << true;
    QTest::newRow("double click") << QSystemTrayIcon::DoubleClick << false;
    QTest::newRow("middle click") << QSystemTrayIcon::MiddleClick << false;
    QTest::newRow("context menu") << QSystemTrayIcon::Context << false;
    QTest::newRow("unknown") << QSystemTrayIcon::Unknown << false;
}

void TestTrayController::trayActivation()
{
    QFETCH(QSystemTrayIcon::ActivationReason, reason);
    QFETCH(bool, toggles);

    TrayController &controller = startController();
    emit controller.trayIcon()->activated(reason);
    QCOMPARE(controller.panel()->isVisible(), toggles);
    emit controller.trayIcon()->activated(reason);
    QVERIFY(controller.panel()->isHidden());
}

void TestTrayController::panelIsNonActivatingWheneverItIsShown()
{
    TrayController &controller = startController();
    CharacterPanel *panel = controller.panel();
    const auto window = panel->winId();
    const auto &activation = *m_platform->windowActivation;
    QVERIFY(activation.isNoActivate(window)); // before the very first show
    // Every show is preceded by a change to non-activating, whatever shows it.
    const auto shownNonActivating = [&] {
        return panel->isVisible() && controller.panelFocus().handOver().isNoActivate() &&
               !activation.noActivateChanges.empty() &&
               activation.noActivateChanges.back() ==
                   std::make_pair(platform::NativeWindow(window), true);
    };

    controller.togglePanel();
    QVERIFY(shownNonActivating());
    controller.togglePanel();
    QVERIFY(panel->isHidden());
    QVERIFY(!activation.isNoActivate(window));

    // Hidden from the tray, then brought back by a change in the settings dialog.
    controller.openSettings();
    emit controller.settingsDialog()->labelSizeChanged(31);
    QVERIFY(shownNonActivating());
    panel->hide();
    emit controller.settingsDialog()->backgroundColorChanged(QColor(Qt::darkBlue));
    QVERIFY(shownNonActivating());
    panel->hide();
    panel->show(); // even a show nobody planned
    QVERIFY(shownNonActivating());
}

void TestTrayController::clicksTypeTheCodePageShown()
{
    m_platform->codePage->codePage = 866;
    TrayController &controller = startController();
    CharacterPanel *panel = controller.panel();
    QCOMPARE(panel->windowTitle(), QStringLiteral("Ondrel [1-255, Code Page 866 Cyrillic]"));
    controller.showPanel();

    QTest::mouseClick(panel, Qt::LeftButton, {}, panel->cellRect(63).center());
    QTest::mouseClick(panel, Qt::LeftButton, {},
                      panel->cellRect(panelgeometry::backspaceCell).center());
    // A keyboard that cannot type is told all the same, and the next click still goes.
    m_platform->keyboard->available = false;
    QTest::mouseClick(panel, Qt::LeftButton, {}, panel->cellRect(0).center());
    using platform::fake::Typed;
    QCOMPARE(m_platform->keyboard->typed,
             (std::vector<Typed>{{866, 128, U'А', false}, {0, 0, 0, true}, {866, 1, U'☺', false}}));
}

void TestTrayController::typedTextAndOwnPagesTypeAsClicksDo()
{
    using platform::fake::Typed;
    m_platform->codePage->codePage = 437;
    const QString folder = ownpages::folder();
    QVERIFY(QDir().mkpath(folder));
    auto write = [&folder](const char *name, const QByteArray &contents) {
        QFile file(folder + QLatin1Char('/') + QLatin1String(name));
        return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
    };
    QVERIFY(write("arrows.txt", "Arrows\n\xe2\x86\x90\n\xe2\x86\x92\n"));
    QVERIFY(write("broken.txt", "Broken\n\xff"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("broken\\.txt.*not valid UTF-8"));
    TrayController &controller = startController();

    // Typed text: the system page's characters by Alt code, the others as themselves.
    controller.typeText(U"\u2554a\t");
    QCOMPARE(
        m_platform->keyboard->typed,
        (std::vector<Typed>{{437, 201, U'╔', false}, {0, 0, U'a', false}, {0, 0, U'\t', false}}));
    m_platform->keyboard->typed.clear();

    controller.openSettings();
    auto *list = controller.settingsDialog()->findChild<QComboBox *>("codePageComboBox");
    QCOMPARE(list->itemText(list->count() - 2), QStringLiteral("Box drawing"));
    QCOMPARE(list->itemText(list->count() - 1), QStringLiteral("Arrows"));
    emit controller.settingsDialog()->pageChanged(QStringLiteral("arrows.txt"));
    CharacterPanel *panel = controller.panel();
    QCOMPARE(panel->windowTitle(), QStringLiteral("Ondrel [Arrows]"));
    QTest::mouseClick(panel, Qt::LeftButton, {}, panel->cellRect(1).center());
    QVERIFY(!panel->isFilled(2));
    QCOMPARE(m_platform->keyboard->typed, (std::vector<Typed>{{0, 0, U'→', false}}));
    m_controller.reset();
    QVERIFY(settingsFileText().contains("CodePage=arrows.txt"));

    // A chosen page that is gone reads as the system's code page.
    QVERIFY(QDir(folder).removeRecursively());
    QCOMPARE(startController().panel()->windowTitle(),
             QStringLiteral("Ondrel [1-255, Code Page 437 LatinUS]"));
}

void TestTrayController::aFramelessPanelDrawsItsOwnStripAndMenu()
{
    m_platform->panelWindowing->ownDecorations = true;
    m_platform->services.trayMenuInPanel = true;
    TrayController &controller = startController();
    auto *frame = qobject_cast<FramedPanel *>(controller.panelWindow());
    QVERIFY(frame);
    QCOMPARE(frame->grid(), controller.panel());
    QCOMPARE(m_platform->panelWindowing->adopted, 1);
    QCOMPARE(frame->windowTitle(), controller.panel()->windowTitle());

    // A tray that shows no menu: its right click opens the panel's own.
    emit controller.trayIcon()->activated(QSystemTrayIcon::Context);
    QVERIFY(frame->isVisible());
    QVERIFY(frame->isMenuShown());
    const auto entries =
        frame->findChild<QFrame *>(QStringLiteral("inlineMenu"))->findChildren<QToolButton *>();
    QCOMPARE(entries.size(), 5);
    QTest::mouseClick(entries.at(1), Qt::LeftButton); // Settings
    QVERIFY(!frame->isMenuShown());
    QVERIFY(controller.settingsDialog() && controller.settingsDialog()->isVisible());
    QVERIFY(!controller.settingsDialog()->parentWidget()); // no window to stay above

    // Dragging the strip moves the panel by what the pointer moved since the press.
    const QPoint before = m_platform->panelWindowing->position(*frame);
    emit frame->dragStarted(QPoint(50, 5));
    emit frame->dragged(QPoint(10, -20));
    QCOMPARE(m_platform->panelWindowing->position(*frame), before + QPoint(-40, -25));

    QTest::mouseClick(frame->findChild<QToolButton *>(QStringLiteral("closeButton")),
                      Qt::LeftButton);
    QVERIFY(frame->isHidden());
}

void TestTrayController::firstShowCentresThePanelAtHalfHeight()
{
    TrayController &controller = startController();
    CharacterPanel *panel = controller.panel();
    const QSize desktop = QGuiApplication::primaryScreen()->virtualGeometry().size();

    controller.togglePanel();
    QCOMPARE(panel->pos(),
             QPoint((desktop.width() - panel->frameSize().width()) / 2, desktop.height() / 2));
}

void TestTrayController::laterShowsKeepTheUsersPosition()
{
    TrayController &controller = startController();
    CharacterPanel *panel = controller.panel();
    controller.togglePanel();
    panel->move(13, 17); // the user drags it
    controller.togglePanel();
    controller.togglePanel();
    QCOMPARE(panel->pos(), QPoint(13, 17));

    // A change in the settings dialog shows a hidden panel; it stays put as well.
    panel->hide();
    controller.openSettings();
    emit controller.settingsDialog()->spacingChanged(4);
    QVERIFY(panel->isVisible());
    QCOMPARE(panel->pos(), QPoint(13, 17));
}

void TestTrayController::quitWritesEveryValue()
{
    TrayController &controller = startController();
    controller.panel()->setBackgroundColor(QColor(1, 2, 3, 100));
    controller.panel()->setLabelSize(33);
    controller.panel()->setLabelSpacing(9);
    QVERIFY(controller.setShowHideKey(QStringLiteral("F5")));
    QVERIFY(settingsFileText().isEmpty()); // nothing is written while running

    m_controller.reset();

    QSettings reread(storedsettings::organization, storedsettings::application);
    QCOMPARE(reread.allKeys().size(), 7);
    QCOMPARE(reread.value(storedsettings::codePageKey).toInt(), 0);
    QCOMPARE(reread.value(storedsettings::backgroundRedKey).toInt(), 1);
    QCOMPARE(reread.value(storedsettings::backgroundGreenKey).toInt(), 2);
    QCOMPARE(reread.value(storedsettings::backgroundBlueKey).toInt(), 3);
    QCOMPARE(reread.value(storedsettings::labelSizeKey).toInt(), 33);
    QCOMPARE(reread.value(storedsettings::spacingKey).toInt(), 9);
    QCOMPARE(reread.value(storedsettings::showHideKeyKey).toString(), QStringLiteral("F5"));
}

void TestTrayController::terminationSavesBeforeTheLoopEnds()
{
    TrayController &controller = startController();
    QVERIFY(m_platform->termination->callback);
    controller.panel()->setLabelSize(27);

    m_platform->termination->callback();

    // On disk already, before the event loop has unwound and the controller is gone.
    const QByteArray text = settingsFileText();
    QVERIFY2(text.contains("Labels=27"), text.constData());
    QVERIFY(text.contains("KeyForShowHideOndrel=F8"));
}

void TestTrayController::changesAreSavedOnceTheyStop()
{
    TrayController &controller = startController();
    controller.openSettings();
    SettingsDialog *dialog = controller.settingsDialog();
    // A slider dragged through several sizes, then a key and a code page.
    for (int size = 30; size <= 34; ++size)
        emit dialog->labelSizeChanged(size);
    emit dialog->showHideKeyChanged(QStringLiteral("F4"));
    emit dialog->pageChanged(QStringLiteral("852"));
    QVERIFY(controller.settingsWriter().isSavePending());
    QVERIFY(settingsFileText().isEmpty()); // not one write per step
    QTRY_VERIFY(!controller.settingsWriter().isSavePending());
    const QByteArray text = settingsFileText();
    QVERIFY2(text.contains("Labels=34") && text.contains("KeyForShowHideOndrel=F4") &&
                 text.contains("CodePage=852"),
             text.constData());
    QCOMPARE(controller.panel()->codePage(), 852);
}

void TestTrayController::withoutTheHookTheTooltipIsPlain_data()
{
    QTest::addColumn<HotkeyHook::Outcome>("outcome");
    QTest::newRow("no library") << HotkeyHook::Outcome::NoLibrary;
    QTest::newRow("library without a hook") << HotkeyHook::Outcome::LoadedNoHook;
}

void TestTrayController::withoutTheHookTheTooltipIsPlain()
{
    QFETCH(HotkeyHook::Outcome, outcome);
    m_platform->hotkeyHook->outcome = outcome;
    ControllerProbe &controller = startController();
    QVERIFY(!controller.hookInstalled());
    QCOMPARE(controller.trayIcon()->toolTip(), QStringLiteral("Ondrel"));
    QVERIFY(controller.showHideAction()->shortcut().isEmpty());

    // The key can still be chosen and is kept, but shows nowhere.
    QVERIFY(controller.setShowHideKey(QStringLiteral("F3")));
    QCOMPARE(controller.trayIcon()->toolTip(), QStringLiteral("Ondrel"));
    QVERIFY(controller.showHideAction()->shortcut().isEmpty());

    // The handler does not ask how the set-up went: a matching message still toggles.
    controller.deliverHookMessage(platform::HotkeyMessage, 119);
    QVERIFY(controller.panel()->isHidden());
    controller.deliverHookMessage(platform::HotkeyMessage, 114);
    QVERIFY(controller.panel()->isVisible());

    // The chosen key is written back at exit all the same.
    m_controller.reset();
    QSettings reread(storedsettings::organization, storedsettings::application);
    QCOMPARE(reread.value(storedsettings::showHideKeyKey).toString(), QStringLiteral("F3"));
}

void TestTrayController::withTheHookTheTooltipAndMenuShowTheKey()
{
    m_platform->hotkeyHook->outcome = HotkeyHook::Outcome::Installed;
    TrayController &controller = startController();
    QVERIFY(controller.hookInstalled());
    QCOMPARE(m_platform->hotkeyHook->notifiedWindow, controller.hotkeyReceiver().winId());
    QCOMPARE(controller.trayIcon()->toolTip(), QStringLiteral("Ondrel (<F8>)"));
    QCOMPARE(controller.showHideAction()->shortcut(), QKeySequence(Qt::Key_F8));
}

void TestTrayController::hookMessageTogglesOnlyForTheSelectedKey()
{
    m_platform->hotkeyHook->outcome = HotkeyHook::Outcome::Installed;
    ControllerProbe &controller = startController();
    CharacterPanel *panel = controller.panel();

    controller.deliverHookMessage(platform::HotkeyMessage, 120); // F9
    QVERIFY(panel->isHidden());
    controller.deliverHookMessage(platform::HotkeyMessage + 1, 119); // another message
    QVERIFY(panel->isHidden());
    controller.deliverHookMessage(platform::HotkeyMessage, 119);
    QVERIFY(panel->isVisible());
    controller.deliverHookMessage(platform::HotkeyMessage, 119);
    QVERIFY(panel->isHidden());
}

void TestTrayController::hookMessageIsPassedOnUnlessThePlatformKeepsIt()
{
    m_platform->hotkeyHook->outcome = HotkeyHook::Outcome::Installed;
    ControllerProbe &controller = startController();
    // As a window procedure does, the controller hands every message on.
    QVERIFY(!controller.deliverHookMessage(platform::HotkeyMessage, 119));
    QVERIFY(!controller.deliverHookMessage(platform::HotkeyMessage, 120));
    QVERIFY(controller.panel()->isVisible());

    // A platform whose own processing only complains about the message keeps it,
    // once read; other messages still go on.
    m_platform->hotkeyHook->keepsMessage = true;
    QVERIFY(controller.deliverHookMessage(platform::HotkeyMessage, 119));
    QVERIFY(controller.panel()->isHidden());
    QVERIFY(controller.deliverHookMessage(platform::HotkeyMessage, 120));
    QVERIFY(!controller.deliverHookMessage(platform::HotkeyMessage + 1, 119));
    QVERIFY(controller.panel()->isHidden());
}

void TestTrayController::setShowHideKey_data()
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

void TestTrayController::setShowHideKey()
{
    QFETCH(QString, name);
    QFETCH(bool, accepted);
    QFETCH(int, virtualKey);

    m_platform->hotkeyHook->outcome = HotkeyHook::Outcome::Installed;
    ControllerProbe &controller = startController();
    const QString tooltipBefore = controller.trayIcon()->toolTip();
    const QKeySequence shortcutBefore = controller.showHideAction()->shortcut();

    QCOMPARE(controller.setShowHideKey(name), accepted);
    QCOMPARE(controller.currentHotkey()->virtualKey, virtualKey);
    if (accepted) {
        QCOMPARE(controller.trayIcon()->toolTip(), QStringLiteral("Ondrel (<%1>)").arg(name));
        QCOMPARE(controller.showHideAction()->shortcut(),
                 QKeySequence(controller.currentHotkey()->qtKey));
    } else {
        QCOMPARE(controller.trayIcon()->toolTip(), tooltipBefore);
        QCOMPARE(controller.showHideAction()->shortcut(), shortcutBefore);
    }

    // Only the selected key's message toggles.
    controller.deliverHookMessage(platform::HotkeyMessage, accepted ? 119 : 123);
    QVERIFY(controller.panel()->isHidden());
    controller.deliverHookMessage(platform::HotkeyMessage, static_cast<unsigned>(virtualKey));
    QVERIFY(controller.panel()->isVisible());
}

void TestTrayController::storedKeyIsSelected_data()
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

void TestTrayController::storedKeyIsSelected()
{
    QFETCH(QVariant, stored);
    QFETCH(QString, selected);
    if (stored.isValid()) {
        QSettings settings(storedsettings::organization, storedsettings::application);
        settings.setValue(storedsettings::showHideKeyKey, stored);
    }
    m_platform->hotkeyHook->outcome = HotkeyHook::Outcome::Installed;
    ControllerProbe &controller = startController();
    QVERIFY(controller.currentHotkey());
    QCOMPARE(controller.currentHotkey()->name, selected);
    QCOMPARE(controller.trayIcon()->toolTip(), QStringLiteral("Ondrel (<%1>)").arg(selected));
    QCOMPARE(controller.showHideAction()->shortcut(),
             QKeySequence(controller.currentHotkey()->qtKey));

    // Its message, and only its, toggles the panel.
    const unsigned virtualKey = static_cast<unsigned>(controller.currentHotkey()->virtualKey);
    controller.deliverHookMessage(platform::HotkeyMessage, virtualKey == 119 ? 123 : 119);
    QVERIFY(controller.panel()->isHidden());
    controller.deliverHookMessage(platform::HotkeyMessage, virtualKey);
    QVERIFY(controller.panel()->isVisible());

    m_controller.reset();
    QSettings reread(storedsettings::organization, storedsettings::application);
    QCOMPARE(reread.value(storedsettings::showHideKeyKey).toString(), selected);
}

void TestTrayController::hookIsRemovedAtExit_data()
{
    QTest::addColumn<HotkeyHook::Outcome>("outcome");
    QTest::newRow("installed") << HotkeyHook::Outcome::Installed;
    // A library that loaded without its hook is still released.
    QTest::newRow("library without a hook") << HotkeyHook::Outcome::LoadedNoHook;
}

void TestTrayController::hookIsRemovedAtExit()
{
    QFETCH(HotkeyHook::Outcome, outcome);
    m_platform->hotkeyHook->outcome = outcome;
    startController();
    QCOMPARE(m_platform->hotkeyHook->removeCalls, 0);
    QByteArray settingsWhenRemoved = "not removed";
    m_platform->hotkeyHook->onRemove = [&settingsWhenRemoved] {
        settingsWhenRemoved = settingsFileText();
    };
    m_controller.reset();
    QCOMPARE(m_platform->hotkeyHook->removeCalls, 1);
    // Removed first, before the settings are written.
    QVERIFY(settingsWhenRemoved.isEmpty());
    QVERIFY(!settingsFileText().isEmpty());
}

ONDREL_TEST_MAIN(TestTrayController)
#include "tst_traycontroller.moc"
