// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QLabel;

/// The program's icon, name and version, and a link to its web site.
class AboutWindow : public QDialog
{
    Q_OBJECT

public:
    /// siteAddress is the product's web site, which the window links to.
    explicit AboutWindow(const QString &siteAddress, QWidget *parent = nullptr);

private:
    QLabel *m_label;
};
