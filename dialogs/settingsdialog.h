// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class OndrelManager;
class OndrelWidget;

/// The modeless window in which the user changes the panel's sizes and colour, the
/// show/hide key and starting with the desktop. Every change applies at once; there
/// is nothing to confirm or undo.
class SettingsDialog : public QDialog
{
    Q_OBJECT

public:
    SettingsDialog(OndrelManager *manager, OndrelWidget *panel, int labelSize, int spacing,
                   QWidget *parent = nullptr);

protected slots:
    void slot_labelsSizeChanged(int size);
    void slot_spacingChanged(int spacing);
    void slot_backgroundColorBtnClicked();
    void slot_keyComboBoxItemActivated(const QString &name);
    void slot_stateChanged(int state);

private:
    void showPanelIfHidden();

    OndrelManager *m_manager;
    OndrelWidget *m_panel;
};
