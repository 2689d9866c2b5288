// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/storedsettings.h"
#include "app/traycontroller.h"
#include "dialogs/settingsdialog.h"
#include "panel/characterpanel.h"
#include "support/fakeplatform.h"
#include "support/onscreen.h"
#include "support/testsettings.h"

#include <QAction>
#include <QApplication>
#include <QScreen>
#include <QSettings>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

/// The settings dialog on a desktop too small for even the smallest labels.
class TestSettingsDialogTinyDesktop : public QObject
{
    Q_OBJECT

private slots:
    void sizeRangeCollapsesToTheMinimum_data();
    void sizeRangeCollapsesToTheMinimum();
};

void TestSettingsDialogTinyDesktop::sizeRangeCollapsesToTheMinimum_data()
{
    QTest::addColumn<int>("storedSize"); // 0: none stored
    QTest::newRow("first run") << 0;
    QTest::newRow("stored 30") << 30;
    QTest::newRow("stored 5") << 5;
}

void TestSettingsDialogTinyDesktop::sizeRangeCollapsesToTheMinimum()
{
    QFETCH(int, storedSize);
    testsupport::clearStoredSettings();
    if (storedSize) {
        QSettings settings(storedsettings::organization, storedsettings::application);
        settings.setValue(storedsettings::labelSizeKey, storedSize);
    }
    QCOMPARE(QGuiApplication::primaryScreen()->virtualGeometry().size(), QSize(320, 140));

    platform::fake::FakePlatform platform;
    TrayController controller(platform.services);
    CharacterPanel *panel = testsupport::onlyWidget<CharacterPanel>();
    QVERIFY(panel->maxLabelSize() < panel->minLabelSize());
    testsupport::trayMenuEntry(QStringLiteral("Settings"))->trigger();
    auto *dialog = testsupport::onlyWidget<SettingsDialog>();
    QVERIFY(dialog);
    auto *slider = dialog->findChild<QSlider *>(QStringLiteral("sizeSlider"));
    QCOMPARE(slider->minimum(), 20);
    QCOMPARE(slider->maximum(), 20);
    QCOMPARE(slider->value(), 20);
    // The panel keeps what it was given until the user moves the slider.
    QCOMPARE(panel->labelSize(), storedSize ? storedSize : panel->maxLabelSize());
    QVERIFY(dialog->isVisible());
}

int main(int argc, char *argv[])
{
    // The offscreen platform takes its screens from a file.
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("screens.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write(R"({"screens": [{"name": "tiny", "x": 0, "y": 0, "width": 320, "height": 140,
                  "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config));

    testsupport::useTemporaryConfigHome();
    QApplication application(argc, argv);
    TestSettingsDialogTinyDesktop test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_settingsdialog_tinydesktop.moc"
