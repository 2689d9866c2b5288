// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QDialog>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QLabel;

/// The modeless window in which the user changes the panel's sizes and colour, the
/// show/hide key and starting with the desktop. Every change is announced at once
/// through a signal; there is nothing to confirm or undo.
class SettingsDialog : public QDialog
{
    Q_OBJECT

public:
    /// A page of the user's own, as the list offers it.
    struct OwnPage
    {
        QString fileName;
        QString name;
    };

    /// What the dialog starts from.
    struct Values
    {
        int labelSize = 0;
        int minLabelSize = 0;
        int maxLabelSize = 0;
        int spacing = 0;
        int minSpacing = 0;
        int maxSpacing = 0;
        QColor backgroundColor;
        QStringList keyNames;
        QString currentKey;    ///< empty: no key is selected
        bool keyWorks = false; ///< the show/hide key needs the keyboard hook
        bool autorun = false;
        /// The chosen page as the settings store it: "0" for the system's code page.
        QString page = QStringLiteral("0");
        int systemCodePage = 437; ///< the page the system gives
        QList<OwnPage> ownPages;
    };

    explicit SettingsDialog(const Values &values, QWidget *parent = nullptr);

    /// Starting with the desktop could not be switched as asked: the box shows
    /// what holds now and the dialog says why.
    void showAutorunFailure(bool enabled, const QString &reason);

    /// Lists these pages of the user's own after the built-in ones, with the chosen
    /// page selected.
    void setOwnPages(const QList<OwnPage> &pages, const QString &chosen);

signals:
    void labelSizeChanged(int size);
    void spacingChanged(int spacing);
    void backgroundColorChanged(const QColor &color);
    void showHideKeyChanged(const QString &name);
    void autorunToggled(bool enabled);
    /// A page was chosen, named as the settings store it; "0" stands for the code
    /// page the system gives.
    void pageChanged(const QString &page);
    void openPagesFolderRequested();

private slots:
    void onLabelSizeChanged(int size);
    void onSpacingChanged(int spacing);
    void chooseBackgroundColor();
    void onAutorunToggled(bool enabled);

private:
    QColor m_backgroundColor;
    QCheckBox *m_autorunCheckBox = nullptr;
    QComboBox *m_pageComboBox = nullptr;
    int m_builtInPages = 0;
    QLabel *m_autorunFailure = nullptr;
};
