// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/site.h"
#include "app/traycontroller.h"
#include "dialogs/aboutwindow.h"
#include "panel/characterpanel.h"
#include "support/fakeplatform.h"
#include "support/onscreen.h"
#include "support/testsettings.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QRegularExpression>
#include <QTest>
#include <QTextDocument>
#include <QTextFragment>

#include <memory>

class TestAboutWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void showsIconNameAndLink();
    void linkShowsTheAddressWithoutScheme();
    void cannotBeResized();
    void secondRequestShowsTheSameWindow();

private:
    AboutWindow *openAbout();
    QLabel *label() const { return m_window->findChild<QLabel *>(QStringLiteral("aboutLabel")); }

    std::unique_ptr<platform::fake::FakePlatform> m_platform;
    std::unique_ptr<TrayController> m_controller;
    AboutWindow *m_window = nullptr;
};

void TestAboutWindow::init()
{
    testsupport::clearStoredSettings();
    m_platform = std::make_unique<platform::fake::FakePlatform>();
    m_controller = std::make_unique<TrayController>(m_platform->services);
}

void TestAboutWindow::cleanup()
{
    m_controller.reset();
    m_platform.reset();
}

AboutWindow *TestAboutWindow::openAbout()
{
    if (QAction *entry = testsupport::trayMenuEntry(QStringLiteral("About")))
        entry->trigger();
    m_window = testsupport::onlyWidget<AboutWindow>();
    return m_window;
}

void TestAboutWindow::showsIconNameAndLink()
{
    QVERIFY(openAbout());
    QCOMPARE(m_window->windowTitle(), QStringLiteral("About Ondrel"));
    QVERIFY(!m_window->isModal());
    QLabel *text = label();
    QVERIFY(text);
    QCOMPARE(text->margin(), 10);
    QVERIFY(text->openExternalLinks());
    QCOMPARE(text->textFormat(), Qt::AutoText);

    // Rendered as rich text: an image, a heading and a link, in this order.
    QTextDocument document;
    document.setHtml(text->text());
    const QString plain = document.toPlainText();
    QVERIFY2(plain.contains(QStringLiteral("Ondrel 1.0")), qPrintable(plain));
    QVERIFY(!plain.contains(QLatin1Char('<')));
    const QString html = text->text();
    const qsizetype image = html.indexOf(QStringLiteral("<img src=\":/ondrel_icon.png\">"));
    const qsizetype heading = html.indexOf(QStringLiteral("<H2>Ondrel 1.0</H2>"));
    const qsizetype link = html.indexOf(QStringLiteral("<a href=\"%1\">").arg(site::address));
    QVERIFY(image >= 0 && heading > image && link > heading);
    QVERIFY(html.startsWith(QStringLiteral("<br>")));

    // The icon is there to be shown, at its own 48-pixel size.
    const QImage icon(QStringLiteral(":/ondrel_icon.png"));
    QCOMPARE(icon.size(), QSize(48, 48));
    QVERIFY(text->sizeHint().height() > 48 + 2 * 10);
}

void TestAboutWindow::linkShowsTheAddressWithoutScheme()
{
    QVERIFY(openAbout());
    QTextDocument document;
    document.setHtml(label()->text());
    QStringList anchors;
    QString linkText;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().isAnchor()) {
                anchors << fragment.charFormat().anchorHref();
                linkText += fragment.text();
            }
        }
    }
    QCOMPARE(anchors, QStringList{site::address});
    QVERIFY(site::address.startsWith(QStringLiteral("https://")));
    QCOMPARE(linkText, site::address.mid(int(qstrlen("https://"))));
}

void TestAboutWindow::cannotBeResized()
{
    QVERIFY(openAbout());
    QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
    QCOMPARE(m_window->size(), m_window->sizeHint());
    const QMargins margins = m_window->layout()->contentsMargins();
    QCOMPARE(m_window->width(), label()->sizeHint().width() + margins.left() + margins.right());
    const QSize before = m_window->size();
    m_window->resize(before * 2);
    QCOMPARE(m_window->size(), before);
    QCOMPARE(m_window->windowFlags() & (Qt::WindowTitleHint | Qt::WindowSystemMenuHint),
             Qt::WindowTitleHint | Qt::WindowSystemMenuHint);
    QVERIFY(!(m_window->windowFlags() & Qt::WindowContextHelpButtonHint));
}

void TestAboutWindow::secondRequestShowsTheSameWindow()
{
    AboutWindow *first = openAbout();
    QVERIFY(first);
    QTRY_COMPARE(QApplication::activeWindow(), first);
    first->close();
    QVERIFY(first->isHidden());

    QCOMPARE(openAbout(), first);
    QCOMPARE(testsupport::onlyWidget<AboutWindow>(), first);
    QVERIFY(first->isVisible());
    QTRY_COMPARE(QApplication::activeWindow(), first);
    // About has nothing to do with the panel.
    QVERIFY(testsupport::onlyWidget<CharacterPanel>()->isHidden());
}

ONDREL_TEST_MAIN(TestAboutWindow)
#include "tst_aboutwindow.moc"
