// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/settingswriter.h"
#include "app/storedsettings.h"
#include "app/traycontroller.h"
#include "dialogs/settingsdialog.h"
#include "panel/characterpanel.h"
#include "panel/framedpanel.h"
#include "support/fakeplatform.h"
#include "support/onscreen.h"
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

using platform::fake::FakePlatform;

namespace {

QByteArray settingsFileText()
{
    QFile file(testsupport::settingsFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

CharacterPanel *thePanel()
{
    return testsupport::onlyWidget<CharacterPanel>();
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
    void garbageSettingsFileStartsASanePanel();

    void trayActivation_data();
    void trayActivation();

    void clicksTypeTheCodePageShown();
    void typedTextAndOwnPagesTypeAsClicksDo();
    void aFramelessPanelDrawsItsOwnStripAndMenu();
    void firstShowCentresThePanelAtHalfHeight();
    void laterShowsKeepTheUsersPosition();

    void quitWritesEveryValue();
    void everyWayToQuitSavesFirst_data();
    void everyWayToQuitSavesFirst();
    void changesAreSavedOnceTheyStop();

    void showHideKey_data();
    void showHideKey();

private:
    TrayController &startController();

    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<TrayController> m_controller;
};

TrayController &TestTrayController::startController()
{
    m_controller = std::make_unique<TrayController>(m_platform->services);
    return *m_controller;
}

void TestTrayController::init()
{
    testsupport::clearStoredSettings();
    m_platform = std::make_unique<FakePlatform>();
}

void TestTrayController::cleanup()
{
    m_platform->showHideKey->onStop = nullptr; // it may point into a finished test
    m_controller.reset();
    m_platform.reset();
}

void TestTrayController::firstRunUsesTheDefaults()
{
    startController();
    CharacterPanel *panel = thePanel();
    QVERIFY(panel->isHidden());
    QCOMPARE(m_platform->panelWindow->adopted, 1); // before its first show
    QCOMPARE(panel->backgroundColor(), QColor(229, 230, 230));
    QCOMPARE(panel->labelSize(), panel->maxLabelSize());
    QCOMPARE(panel->labelSpacing(), 0);
    QCOMPARE(panel->size(), panelgeometry::gridExtent(panel->maxLabelSize(), 0));
    QVERIFY(testsupport::trayIcon()->isVisible());
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
    startController();
    QCOMPARE(thePanel()->backgroundColor(), QColor(10, 20, 30));
    QCOMPARE(thePanel()->labelSize(), 25);
    QCOMPARE(thePanel()->labelSpacing(), 3);
    QCOMPARE(thePanel()->size(), QSize(28 * 25 + 27 * 3, 7 * 25 + 6 * 3));
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
    CharacterPanel *panel = thePanel();
    QVERIFY(panel->backgroundColor().isValid());
    QVERIFY(panel->labelSize() >= 1 && panel->labelSize() <= 1000);
    QVERIFY(panel->labelSpacing() >= 0 && panel->labelSpacing() <= 1000);

    m_controller.reset();
    QSettings reread(storedsettings::organization, storedsettings::application);
    QCOMPARE(reread.value(storedsettings::showHideKeyKey).toString(), QStringLiteral("F8"));
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

    startController();
    emit testsupport::trayIcon()->activated(reason);
    QCOMPARE(thePanel()->isVisible(), toggles);
    emit testsupport::trayIcon()->activated(reason);
    QVERIFY(thePanel()->isHidden());
}

void TestTrayController::clicksTypeTheCodePageShown()
{
    m_platform->codePage->codePage = 866;
    TrayController &controller = startController();
    CharacterPanel *panel = thePanel();
    QCOMPARE(panel->windowTitle(), QStringLiteral("Ondrel [1-255, Code Page 866 Cyrillic]"));
    controller.showPanel();

    QTest::mouseClick(panel, Qt::LeftButton, {}, panel->cellRect(63).center());
    QTest::mouseClick(panel, Qt::LeftButton, {},
                      panel->cellRect(panelgeometry::backspaceCell).center());
    // A keyboard that cannot type is told all the same, and the next click still goes.
    m_platform->keyboard->available = false;
    QTest::mouseClick(panel, Qt::LeftButton, {}, panel->cellRect(0).center());
    QVERIFY(m_platform->keyboard->typed == U"А\b☺");
}

void TestTrayController::typedTextAndOwnPagesTypeAsClicksDo()
{
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

    controller.typeText(U"\u2554a\t");
    QVERIFY(m_platform->keyboard->typed == U"╔a\t");
    m_platform->keyboard->typed.clear();

    controller.openSettings();
    auto *dialog = testsupport::onlyWidget<SettingsDialog>();
    auto *list = dialog->findChild<QComboBox *>("codePageComboBox");
    QCOMPARE(list->itemText(list->count() - 2), QStringLiteral("Box drawing"));
    QCOMPARE(list->itemText(list->count() - 1), QStringLiteral("Arrows"));
    emit dialog->pageChanged(QStringLiteral("arrows.txt"));
    CharacterPanel *panel = thePanel();
    QCOMPARE(panel->windowTitle(), QStringLiteral("Ondrel [Arrows]"));
    QTest::mouseClick(panel, Qt::LeftButton, {}, panel->cellRect(1).center());
    QVERIFY(!panel->isFilled(2));
    QVERIFY(m_platform->keyboard->typed == U"→");
    m_controller.reset();
    QVERIFY(settingsFileText().contains("CodePage=arrows.txt"));

    // A chosen page that is gone reads as the system's code page.
    QVERIFY(QDir(folder).removeRecursively());
    QCOMPARE((startController(), thePanel()->windowTitle()),
             QStringLiteral("Ondrel [1-255, Code Page 437 LatinUS]"));
}

void TestTrayController::aFramelessPanelDrawsItsOwnStripAndMenu()
{
    m_platform->panelWindow->ownDecorations = true;
    m_platform->services.trayMenuInPanel = true;
    startController();
    auto *frame = testsupport::onlyWidget<FramedPanel>();
    QVERIFY(frame);
    QCOMPARE(frame->grid(), thePanel());
    QCOMPARE(m_platform->panelWindow->adopted, 1);
    QCOMPARE(frame->windowTitle(), thePanel()->windowTitle());

    // A tray that shows no menu: its right click opens the panel's own.
    emit testsupport::trayIcon()->activated(QSystemTrayIcon::Context);
    QVERIFY(frame->isVisible());
    QVERIFY(frame->isMenuShown());
    const auto entries =
        frame->findChild<QFrame *>(QStringLiteral("inlineMenu"))->findChildren<QToolButton *>();
    QCOMPARE(entries.size(), 5);
    QTest::mouseClick(entries.at(1), Qt::LeftButton); // Settings
    QVERIFY(!frame->isMenuShown());
    auto *dialog = testsupport::onlyWidget<SettingsDialog>();
    QVERIFY(dialog && dialog->isVisible());
    QVERIFY(!dialog->parentWidget()); // no window to stay above

    // Dragging the strip moves the panel by what the pointer moved since the press.
    const QPoint before = m_platform->panelWindow->position(*frame);
    emit frame->dragStarted(QPoint(50, 5));
    emit frame->dragged(QPoint(10, -20));
    QCOMPARE(m_platform->panelWindow->position(*frame), before + QPoint(-40, -25));

    QTest::mouseClick(frame->findChild<QToolButton *>(QStringLiteral("closeButton")),
                      Qt::LeftButton);
    QVERIFY(frame->isHidden());
}

void TestTrayController::firstShowCentresThePanelAtHalfHeight()
{
    TrayController &controller = startController();
    CharacterPanel *panel = thePanel();
    const QSize desktop = QGuiApplication::primaryScreen()->virtualGeometry().size();

    controller.togglePanel();
    QCOMPARE(panel->pos(),
             QPoint((desktop.width() - panel->frameSize().width()) / 2, desktop.height() / 2));
}

void TestTrayController::laterShowsKeepTheUsersPosition()
{
    TrayController &controller = startController();
    CharacterPanel *panel = thePanel();
    controller.togglePanel();
    panel->move(13, 17); // the user drags it
    controller.togglePanel();
    controller.togglePanel();
    QCOMPARE(panel->pos(), QPoint(13, 17));

    // A change in the settings dialog shows a hidden panel; it stays put as well.
    panel->hide();
    controller.openSettings();
    emit testsupport::onlyWidget<SettingsDialog>()->spacingChanged(4);
    QVERIFY(panel->isVisible());
    QCOMPARE(panel->pos(), QPoint(13, 17));
}

void TestTrayController::quitWritesEveryValue()
{
    TrayController &controller = startController();
    thePanel()->setBackgroundColor(QColor(1, 2, 3, 100));
    thePanel()->setLabelSize(33);
    thePanel()->setLabelSpacing(9);
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

void TestTrayController::everyWayToQuitSavesFirst_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("the system ends the session") << "system";
    QTest::newRow("ondrel --quit") << "command";
    QTest::newRow("the menu's Quit, its last entry") << "menu";
}

void TestTrayController::everyWayToQuitSavesFirst()
{
    QFETCH(QString, way);
    TrayController &controller = startController();
    QVERIFY(m_platform->termination->callback);
    thePanel()->setLabelSize(27);
    QByteArray settingsWhenStopped = "not stopped";
    m_platform->showHideKey->onStop = [&settingsWhenStopped] {
        settingsWhenStopped = settingsFileText();
    };

    if (way == "system")
        m_platform->termination->callback();
    else if (way == "command")
        controller.carryOut({instancemessage::Command::Quit, {}});
    else
        testsupport::trayIcon()->contextMenu()->actions().last()->trigger();

    // On disk already, before the event loop has unwound and the controller is gone.
    const QByteArray text = settingsFileText();
    QVERIFY2(text.contains("Labels=27"), text.constData());
    QVERIFY(text.contains("KeyForShowHideOndrel=F8"));
    QVERIFY(settingsWhenStopped.isEmpty()); // the key hook went first
}

void TestTrayController::changesAreSavedOnceTheyStop()
{
    TrayController &controller = startController();
    controller.openSettings();
    SettingsDialog *dialog = testsupport::onlyWidget<SettingsDialog>();
    // A slider dragged through several sizes, then a key and a code page.
    for (int size = 30; size <= 34; ++size)
        emit dialog->labelSizeChanged(size);
    emit dialog->showHideKeyChanged(QStringLiteral("F4"));
    emit dialog->pageChanged(QStringLiteral("852"));
    QVERIFY(settingsFileText().isEmpty()); // not one write per step
    QTRY_VERIFY(settingsFileText().contains("CodePage=852"));
    const QByteArray text = settingsFileText();
    QVERIFY2(text.contains("Labels=34") && text.contains("KeyForShowHideOndrel=F4") &&
                 text.contains("CodePage=852"),
             text.constData());
    QCOMPARE(thePanel()->codePage(), 852);
}

void TestTrayController::showHideKey_data()
{
    QTest::addColumn<bool>("works");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("chosen"); // through setShowHideKey; empty: none
    QTest::addColumn<QString>("selected");

    QTest::newRow("default") << true << QVariant() << QString() << "F8";
    QTest::newRow("stored F12") << true << QVariant("F12") << QString() << "F12";
    QTest::newRow("stored F2") << true << QVariant("F2") << QString() << "F2";
    // Names that no entry has can only come from an edited file; the default keeps a
    // current key for the tooltip, the key service and the saving.
    QTest::newRow("stored F99") << true << QVariant("F99") << QString() << "F8";
    QTest::newRow("stored f12") << true << QVariant("f12") << QString() << "F8";
    QTest::newRow("stored F1") << true << QVariant("F1") << QString() << "F8";
    QTest::newRow("stored empty") << true << QVariant(QString()) << QString() << "F8";
    QTest::newRow("chosen F2") << true << QVariant() << "F2"
                               << "F2";
    QTest::newRow("chosen F12") << true << QVariant("F4") << "F12"
                                << "F12";
    QTest::newRow("chosen F1, refused") << true << QVariant("F4") << "F1"
                                        << "F4";
    QTest::newRow("chosen f8, refused") << true << QVariant() << "f8"
                                        << "F8";
    QTest::newRow("chosen F13, refused") << true << QVariant() << "F13"
                                         << "F8";
    // Where the key cannot be watched it can still be chosen and is kept, but shows
    // nowhere.
    QTest::newRow("no key service") << false << QVariant() << QString() << "F8";
    QTest::newRow("no key service, chosen F3") << false << QVariant() << "F3"
                                               << "F3";
}

void TestTrayController::showHideKey()
{
    QFETCH(bool, works);
    QFETCH(QVariant, stored);
    QFETCH(QString, chosen);
    QFETCH(QString, selected);
    if (stored.isValid()) {
        QSettings settings(storedsettings::organization, storedsettings::application);
        settings.setValue(storedsettings::showHideKeyKey, stored);
    }
    m_platform->showHideKey->works = works;
    TrayController &controller = startController();
    if (!chosen.isEmpty())
        QCOMPARE(controller.setShowHideKey(chosen), chosen == selected);

    QCOMPARE(testsupport::trayIcon()->toolTip(),
             works ? QStringLiteral("Ondrel (<%1>)").arg(selected) : QStringLiteral("Ondrel"));
    QCOMPARE(testsupport::trayMenuEntry(QStringLiteral("Show/Hide Ondrel"))->shortcut(),
             works ? QKeySequence::fromString(selected) : QKeySequence());

    // The selected key, and only it, toggles the panel.
    const int number = selected.mid(1).toInt();
    m_platform->showHideKey->press(number == 9 ? 10 : 9);
    QVERIFY(thePanel()->isHidden());
    m_platform->showHideKey->press(number);
    QVERIFY(thePanel()->isVisible());
    m_platform->showHideKey->press(number);
    QVERIFY(thePanel()->isHidden());

    // The key service is stopped before the settings are written, which keep the key.
    QByteArray settingsWhenStopped = "not stopped";
    m_platform->showHideKey->onStop = [&settingsWhenStopped] {
        settingsWhenStopped = settingsFileText();
    };
    m_controller.reset();
    QCOMPARE(m_platform->showHideKey->stopCalls, 1);
    if (!stored.isValid() && chosen.isEmpty())
        QVERIFY(settingsWhenStopped.isEmpty());
    QSettings reread(storedsettings::organization, storedsettings::application);
    QCOMPARE(reread.value(storedsettings::showHideKeyKey).toString(), selected);
}

ONDREL_TEST_MAIN(TestTrayController)
#include "tst_traycontroller.moc"
