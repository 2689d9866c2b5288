// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/storedsettings.h"
#include "app/traycontroller.h"
#include "dialogs/settingsdialog.h"
#include "panel/characterpanel.h"
#include "support/fakeplatform.h"
#include "support/onscreen.h"
#include "support/testsettings.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using platform::fake::FakePlatform;

namespace {

std::string executablePath()
{
    return QDir::toNativeSeparators(QCoreApplication::applicationFilePath()).toStdString();
}

CharacterPanel *thePanel()
{
    return testsupport::onlyWidget<CharacterPanel>();
}

/// Runs a step on the modal dialog that the next call opens, as soon as it is up.
void whenModalDialogOpens(std::function<void(QDialog *)> step)
{
    auto *poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, step] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            step(dialog);
        }
    });
    poll->start();
}

} // namespace

class TestSettingsDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void showsTheCurrentState_data();
    void showsTheCurrentState();

    void sliderOnAHiddenPanelShowsItAndKeepsTheDialogActive_data();
    void sliderOnAHiddenPanelShowsItAndKeepsTheDialogActive();
    void sliderOnAVisiblePanelLeavesItWhereItIs_data();
    void sliderOnAVisiblePanelLeavesItWhereItIs();
    void storedSizeAboveTheMaximumIsClampedOnlyInTheSlider();

    void colourChooser_data();
    void colourChooser();

    void keyActivation_data();
    void keyActivation();
    void keyGroupNeedsTheHook_data();
    void keyGroupNeedsTheHook();

    void autorunFailureIsShownAndUndone_data();
    void autorunFailureIsShownAndUndone();
    void clickingAutorunSwitchesItAtOnce();

    void cannotBeResized();
    void secondRequestShowsTheSameDialog();

private:
    TrayController &startController();
    SettingsDialog *openSettings();
    template <typename T> T *child(const char *name);

    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<TrayController> m_controller;
    SettingsDialog *m_dialog = nullptr;
};

void TestSettingsDialog::init()
{
    testsupport::clearStoredSettings();
    m_platform = std::make_unique<FakePlatform>();
    m_dialog = nullptr;
}

void TestSettingsDialog::cleanup()
{
    m_controller.reset();
    m_platform.reset();
}

TrayController &TestSettingsDialog::startController()
{
    m_controller = std::make_unique<TrayController>(m_platform->services);
    return *m_controller;
}

SettingsDialog *TestSettingsDialog::openSettings()
{
    if (!m_controller)
        startController();
    QAction *entry = testsupport::trayMenuEntry(QStringLiteral("Settings"));
    if (!entry)
        return nullptr;
    entry->trigger();
    m_dialog = testsupport::onlyWidget<SettingsDialog>();
    return m_dialog;
}

template <typename T> T *TestSettingsDialog::child(const char *name)
{
    T *widget = m_dialog->findChild<T *>(QLatin1String(name));
    if (!widget)
        qWarning("no child %s", name);
    return widget;
}

void TestSettingsDialog::showsTheCurrentState_data()
{
    QTest::addColumn<bool>("autorun");
    QTest::addColumn<QString>("storedKey");
    QTest::addColumn<int>("storedSize");
    QTest::addColumn<int>("storedSpacing");

    QTest::newRow("defaults") << false << QString() << 0 << 0;
    QTest::newRow("autorun on, F5, 22/7") << true << QStringLiteral("F5") << 22 << 7;
    QTest::newRow("F12, widest spacing") << false << QStringLiteral("F12") << 20 << 50;
}

void TestSettingsDialog::showsTheCurrentState()
{
    QFETCH(bool, autorun);
    QFETCH(QString, storedKey);
    QFETCH(int, storedSize);
    QFETCH(int, storedSpacing);
    {
        QSettings settings(storedsettings::organization, storedsettings::application);
        if (!storedKey.isEmpty())
            settings.setValue(storedsettings::showHideKeyKey, storedKey);
        if (storedSize)
            settings.setValue(storedsettings::labelSizeKey, storedSize);
        settings.setValue(storedsettings::spacingKey, storedSpacing);
    }
    if (autorun)
        m_platform->autorun->entry = executablePath();
    m_platform->showHideKey->works = true;

    QVERIFY(openSettings());
    const CharacterPanel *panel = thePanel();
    QVERIFY(!m_dialog->isModal());
    QCOMPARE(child<QCheckBox>("autorunCheckBox")->isChecked(), autorun);
    QCOMPARE(child<QComboBox>("keyComboBox")->currentText(),
             storedKey.isEmpty() ? QStringLiteral("F8") : storedKey);
    auto *size = child<QSlider>("sizeSlider");
    QCOMPARE(size->maximum(), panel->maxLabelSize());
    QCOMPARE(size->value(), storedSize ? storedSize : panel->maxLabelSize());
    QCOMPARE(child<QSlider>("spacingSlider")->value(), storedSpacing);
    for (const QLabel *label : m_dialog->findChildren<QLabel *>())
        QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->text()));

    // Building the dialog changes nothing by itself.
    QVERIFY(panel->isHidden());
    QCOMPARE(m_platform->autorun->entry.empty(), !autorun);
}

void TestSettingsDialog::sliderOnAHiddenPanelShowsItAndKeepsTheDialogActive_data()
{
    QTest::addColumn<QString>("slider");
    QTest::addColumn<int>("key");

    QTest::newRow("size, one step") << QStringLiteral("sizeSlider") << int(Qt::Key_Left);
    QTest::newRow("size, a page") << QStringLiteral("sizeSlider") << int(Qt::Key_PageDown);
    QTest::newRow("spacing, one step") << QStringLiteral("spacingSlider") << int(Qt::Key_Right);
    QTest::newRow("spacing, to the end") << QStringLiteral("spacingSlider") << int(Qt::Key_End);
}

void TestSettingsDialog::sliderOnAHiddenPanelShowsItAndKeepsTheDialogActive()
{
    QFETCH(QString, slider);
    QFETCH(int, key);

    QVERIFY(openSettings());
    CharacterPanel *panel = thePanel();
    QTRY_COMPARE(QApplication::activeWindow(), m_dialog);
    QVERIFY(panel->isHidden());
    // Showing a window may take the activation from the dialog (offscreen it does
    // not), so another window holds it here and the dialog must win it back.
    QWidget other;
    other.show();
    other.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &other);
    auto *target = m_dialog->findChild<QSlider *>(slider);
    const int before = target->value();

    QTest::keyClick(target, Qt::Key(key));

    QVERIFY(target->value() != before);
    if (slider == QLatin1String("sizeSlider"))
        QCOMPARE(panel->labelSize(), target->value());
    else
        QCOMPARE(panel->labelSpacing(), target->value());
    QVERIFY(panel->isVisible());
    // Shown through the controller: its first show of the run puts the top at half height.
    // (The width has changed since, so the horizontal centre cannot be checked here.)
    const QSize desktop = QGuiApplication::primaryScreen()->virtualGeometry().size();
    QCOMPARE(panel->pos().y(), desktop.height() / 2);
    // The panel may not keep the keyboard: the next key press belongs to the slider.
    QTRY_COMPARE(QApplication::activeWindow(), m_dialog);
}

void TestSettingsDialog::sliderOnAVisiblePanelLeavesItWhereItIs_data()
{
    QTest::addColumn<QString>("slider");
    QTest::newRow("size") << QStringLiteral("sizeSlider");
    QTest::newRow("spacing") << QStringLiteral("spacingSlider");
}

void TestSettingsDialog::sliderOnAVisiblePanelLeavesItWhereItIs()
{
    QFETCH(QString, slider);

    QVERIFY(openSettings());
    CharacterPanel *panel = thePanel();
    // Shown behind the controller's back, so that a call of showPanel, whose first call
    // of the run centres the panel, would give itself away by moving it.
    panel->move(13, 17);
    panel->show();
    QVERIFY(QTest::qWaitForWindowExposed(panel));

    auto *target = m_dialog->findChild<QSlider *>(slider);
    QTest::keyClick(target, Qt::Key_Home);
    QTest::keyClick(target, Qt::Key_Right);
    QCOMPARE(target->value(), target->minimum() + 1);

    QCOMPARE(panel->pos(), QPoint(13, 17));
    QVERIFY(panel->isVisible());
    m_controller->togglePanel(); // hide
    m_controller->togglePanel(); // the controller's first show: now it does centre
    QVERIFY(panel->pos() != QPoint(13, 17));
}

void TestSettingsDialog::storedSizeAboveTheMaximumIsClampedOnlyInTheSlider()
{
    {
        QSettings settings(storedsettings::organization, storedsettings::application);
        settings.setValue(storedsettings::labelSizeKey, 500);
    }
    QVERIFY(openSettings());
    CharacterPanel *panel = thePanel();
    QVERIFY(panel->maxLabelSize() < 500);
    auto *size = child<QSlider>("sizeSlider");
    QCOMPARE(size->value(), panel->maxLabelSize());
    // The clamping happened before the slider was connected: the panel keeps 500.
    QCOMPARE(panel->labelSize(), 500);
    QVERIFY(panel->isHidden());

    QTest::keyClick(size, Qt::Key_Left);
    QCOMPARE(panel->labelSize(), panel->maxLabelSize() - 1);
}

void TestSettingsDialog::colourChooser_data()
{
    QTest::addColumn<bool>("panelVisible");
    QTest::addColumn<bool>("accept");

    QTest::newRow("hidden panel, colour chosen") << false << true;
    QTest::newRow("hidden panel, cancelled") << false << false;
    QTest::newRow("visible panel, colour chosen") << true << true;
    QTest::newRow("visible panel, cancelled") << true << false;
}

void TestSettingsDialog::colourChooser()
{
    QFETCH(bool, panelVisible);
    QFETCH(bool, accept);

    QVERIFY(openSettings());
    CharacterPanel *panel = thePanel();
    if (panelVisible)
        m_controller->togglePanel();
    const QColor before = panel->backgroundColor();
    const QColor chosen(12, 34, 56);

    QColor offered;
    QString title;
    bool ownDialog = false;
    whenModalDialogOpens([&](QDialog *dialog) {
        auto *chooser = qobject_cast<QColorDialog *>(dialog);
        QVERIFY(chooser);
        offered = chooser->currentColor();
        title = chooser->windowTitle();
        ownDialog = chooser->testOption(QColorDialog::DontUseNativeDialog);
        if (accept) {
            chooser->setCurrentColor(chosen);
            chooser->accept();
        } else {
            chooser->reject();
        }
    });
    QTest::mouseClick(child<QPushButton>("backgroundColorButton"), Qt::LeftButton);

    QCOMPARE(offered, before);
    QCOMPARE(title, QStringLiteral("Background color"));
    QVERIFY(ownDialog);
    QCOMPARE(panel->backgroundColor(), accept ? chosen : before);
    QCOMPARE(panel->isVisible(), panelVisible || accept);
}

void TestSettingsDialog::keyActivation_data()
{
    QTest::addColumn<QString>("key");
    QTest::newRow("the current key again") << QStringLiteral("F8");
    QTest::newRow("another key") << QStringLiteral("F11");
}

void TestSettingsDialog::keyActivation()
{
    QFETCH(QString, key);

    m_platform->showHideKey->works = true;
    QVERIFY(openSettings());
    // Spoil what choosing a key writes, so that a choice shows even when it is the
    // key already current.
    QAction *showHide = testsupport::trayMenuEntry(QStringLiteral("Show/Hide Ondrel"));
    testsupport::trayIcon()->setToolTip(QStringLiteral("stale"));
    showHide->setShortcut(QKeySequence());

    auto *combo = child<QComboBox>("keyComboBox");
    combo->showPopup();
    QAbstractItemView *list = combo->view();
    QTRY_VERIFY(list->isVisible());
    list->setCurrentIndex(combo->model()->index(combo->findText(key), 0));
    QTest::keyClick(list, Qt::Key_Return);

    QCOMPARE(combo->currentText(), key);
    QCOMPARE(testsupport::trayIcon()->toolTip(), QStringLiteral("Ondrel (<%1>)").arg(key));
    QCOMPARE(showHide->shortcut(), QKeySequence::fromString(key));
    m_platform->showHideKey->press(key.mid(1).toInt());
    QVERIFY(thePanel()->isVisible());
}

void TestSettingsDialog::keyGroupNeedsTheHook_data()
{
    QTest::addColumn<bool>("enabled");

    QTest::newRow("the key can be watched") << true;
    QTest::newRow("it cannot") << false;
}

void TestSettingsDialog::keyGroupNeedsTheHook()
{
    QFETCH(bool, enabled);

    m_platform->showHideKey->works = enabled;
    QVERIFY(openSettings());
    auto *combo = child<QComboBox>("keyComboBox");
    QLabel *label = nullptr;
    for (QLabel *candidate : m_dialog->findChildren<QLabel *>())
        if (candidate->text() == QStringLiteral("Key for show/hide: "))
            label = candidate;
    QVERIFY(label);
    QCOMPARE(combo->isEnabled(), enabled);
    QCOMPARE(label->isEnabled(), enabled);
    QCOMPARE(combo->currentText(), QStringLiteral("F8"));
    // The rest of the dialog works either way.
    QVERIFY(child<QSlider>("sizeSlider")->isEnabled());
    QVERIFY(child<QCheckBox>("autorunCheckBox")->isEnabled());
    QVERIFY(child<QPushButton>("backgroundColorButton")->isEnabled());
}

void TestSettingsDialog::autorunFailureIsShownAndUndone_data()
{
    QTest::addColumn<bool>("enabledBefore");
    QTest::newRow("switching on") << false;
    QTest::newRow("switching off") << true;
}

void TestSettingsDialog::autorunFailureIsShownAndUndone()
{
    QFETCH(bool, enabledBefore);
    if (enabledBefore)
        m_platform->autorun->entry = executablePath();
    m_platform->autorun->writable = false;
    QVERIFY(openSettings());
    auto *box = child<QCheckBox>("autorunCheckBox");
    auto *failure = child<QLabel>("autorunFailure");
    QVERIFY(failure->isHidden());

    QTest::mouseClick(box, Qt::LeftButton);
    // The box shows what is true, and the dialog says why it is not what was asked.
    QCOMPARE(box->isChecked(), enabledBefore);
    QVERIFY(failure->isVisible());
    QVERIFY2(failure->text().contains(QStringLiteral("read-only")), qPrintable(failure->text()));
    QCOMPARE(m_dialog->size(), m_dialog->sizeHint());

    // Once it works, the message goes.
    m_platform->autorun->writable = true;
    QTest::mouseClick(box, Qt::LeftButton);
    QCOMPARE(box->isChecked(), !enabledBefore);
    QVERIFY(failure->isHidden());
    QCOMPARE(m_platform->autorun->isEnabled(executablePath()), !enabledBefore);
}

void TestSettingsDialog::clickingAutorunSwitchesItAtOnce()
{
    // An entry for another copy of the program shows as off ...
    m_platform->autorun->entry = "/elsewhere/ondrel";
    QVERIFY(openSettings());
    auto *box = child<QCheckBox>("autorunCheckBox");
    QVERIFY(!box->isChecked());

    // ... and checking the box points it at this one.
    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(box->isChecked());
    QCOMPARE(m_platform->autorun->entry, executablePath());
    QTest::mouseClick(box, Qt::LeftButton);
    QCOMPARE(m_platform->autorun->entry, std::string());
}

void TestSettingsDialog::cannotBeResized()
{
    QVERIFY(openSettings());
    QCOMPARE(m_dialog->minimumSize(), m_dialog->maximumSize());
    QCOMPARE(m_dialog->size(), m_dialog->sizeHint());
    const QSize before = m_dialog->size();
    m_dialog->resize(before + QSize(100, 50));
    QCOMPARE(m_dialog->size(), before);
    QVERIFY(!(m_dialog->windowFlags() & Qt::WindowContextHelpButtonHint));
}

void TestSettingsDialog::secondRequestShowsTheSameDialog()
{
    QVERIFY(openSettings());
    SettingsDialog *first = m_dialog;
    auto *size = child<QSlider>("sizeSlider");
    QTest::keyClick(size, Qt::Key_Home);
    first->close();
    QVERIFY(first->isHidden());
    QVERIFY(thePanel()->isVisible()); // closing the dialog leaves the rest alone

    QCOMPARE(openSettings(), first);
    QCOMPARE(testsupport::onlyWidget<SettingsDialog>(), m_dialog);
    QVERIFY(first->isVisible());
    QTRY_COMPARE(QApplication::activeWindow(), first);
    // It keeps what the user left in it.
    QCOMPARE(child<QSlider>("sizeSlider")->value(), 20);
}

ONDREL_TEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
