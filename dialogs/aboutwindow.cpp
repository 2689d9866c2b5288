// SPDX-License-Identifier: GPL-3.0-or-later
#include "aboutwindow.h"

#include <QLabel>
#include <QUrl>
#include <QVBoxLayout>

namespace {

QString aboutText(const QString &siteAddress)
{
    const QString address = siteAddress.toHtmlEscaped();
    QString visibleAddress = QUrl(siteAddress).toString(QUrl::RemoveScheme);
    if (visibleAddress.startsWith(QLatin1String("//")))
        visibleAddress.remove(0, 2);
    return QStringLiteral("<br>"
                          "<center><img src=\":/ondrel_icon.png\"></center>"
                          "<center><H2>Ondrel 1.0</H2></center>"
                          "<center><a href=\"%1\">%2</a></center>"
                          "<br>"
                          "<center>%3</center>")
        .arg(address, visibleAddress.toHtmlEscaped(),
             AboutWindow::tr("Made for everyone who types what the keyboard lacks.")
                 .toHtmlEscaped());
}

} // namespace

AboutWindow::AboutWindow(const QString &siteAddress, QWidget *parent)
    : QDialog(parent, Qt::WindowTitleHint | Qt::WindowSystemMenuHint)
{
    m_label = new QLabel;
    m_label->setObjectName(QStringLiteral("aboutLabel"));
    m_label->setOpenExternalLinks(true);
    m_label->setMargin(10);

    auto *layout = new QVBoxLayout;
    layout->addWidget(m_label);
    setLayout(layout);

    setWindowTitle(tr("About Ondrel"));
    m_label->setText(aboutText(siteAddress));

    // The window is exactly as large as its content and cannot be resized.
    setFixedSize(sizeHint());
}
