// SPDX-License-Identifier: GPL-3.0-or-later
#include "settingsdialog.h"

#include "app/ondrelmanager.h"
#include "panel/ondrelwidget.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace {

constexpr int sliderSingleStep = 1;
constexpr int sliderPageStep = 5;

QGroupBox *untitledGroup(QLayout *layout)
{
    auto *group = new QGroupBox;
    group->setLayout(layout);
    return group;
}

/// The range goes in before the value, so that a value outside it is clamped.
QSlider *horizontalSlider(const QString &name, int minimum, int maximum, int value)
{
    auto *slider = new QSlider(Qt::Horizontal);
    slider->setObjectName(name);
    slider->setRange(minimum, maximum);
    slider->setValue(value);
    slider->setSingleStep(sliderSingleStep);
    slider->setPageStep(sliderPageStep);
    return slider;
}

QHBoxLayout *rowWithStretch(std::initializer_list<QWidget *> widgets)
{
    auto *row = new QHBoxLayout;
    for (QWidget *widget : widgets)
        row->addWidget(widget);
    row->addStretch(1);
    return row;
}

} // namespace

SettingsDialog::SettingsDialog(OndrelManager *manager, OndrelWidget *panel, int labelSize,
                               int spacing, QWidget *parent)
    : QDialog(parent, Qt::WindowTitleHint | Qt::WindowSystemMenuHint), m_manager(manager),
      m_panel(panel)
{
    setWindowTitle(QStringLiteral("Settings"));

    auto *autorunCheckBox = new QCheckBox(QStringLiteral("Autorun"));
    autorunCheckBox->setObjectName(QStringLiteral("autorunCheckBox"));
    autorunCheckBox->setChecked(manager->isAutorunEnabled());
    QGroupBox *autorunGroup = untitledGroup(rowWithStretch({autorunCheckBox}));
    autorunGroup->setObjectName(QStringLiteral("autorunGroup"));

    auto *keyLabel = new QLabel(QStringLiteral("Key for show/hide: "));
    auto *keyComboBox = new QComboBox;
    keyComboBox->setObjectName(QStringLiteral("keyComboBox"));
    for (const HotkeyEntry &entry : manager->hotkeys())
        keyComboBox->addItem(entry.name);
    // Without a current key no item is selected rather than an arbitrary one.
    const HotkeyEntry *currentHotkey = manager->currentHotkey();
    keyComboBox->setCurrentIndex(currentHotkey ? keyComboBox->findText(currentHotkey->name) : -1);
    QGroupBox *keyGroup = untitledGroup(rowWithStretch({keyLabel, keyComboBox}));
    keyGroup->setObjectName(QStringLiteral("keyGroup"));
    // The key cannot do anything without the keyboard hook, so it cannot be changed.
    keyGroup->setEnabled(manager->hookInstalled());

    auto *sizeLabel = new QLabel(QStringLiteral("Symbol size"));
    QSlider *sizeSlider = horizontalSlider(QStringLiteral("sizeSlider"), panel->minLabelSize(),
                                           panel->maxLabelSize(), labelSize);
    auto *spacingLabel = new QLabel(QStringLiteral("Spacing"));
    QSlider *spacingSlider = horizontalSlider(QStringLiteral("spacingSlider"), panel->minSpacing(),
                                              panel->maxSpacing(), spacing);

    // Equal label widths line the two sliders up one under the other.
    const int labelWidth = QFontMetrics(sizeLabel->font()).horizontalAdvance(sizeLabel->text());
    sizeLabel->setFixedWidth(labelWidth);
    spacingLabel->setFixedWidth(labelWidth);
    sizeSlider->setFixedWidth(2 * labelWidth);
    spacingSlider->setFixedWidth(2 * labelWidth);

    auto *sizesColumn = new QVBoxLayout;
    sizesColumn->addLayout(rowWithStretch({sizeLabel, sizeSlider}));
    sizesColumn->addLayout(rowWithStretch({spacingLabel, spacingSlider}));
    QGroupBox *sizesGroup = untitledGroup(sizesColumn);

    auto *colorButton = new QPushButton(QStringLiteral("Background color"));
    colorButton->setObjectName(QStringLiteral("backgroundColorButton"));
    QGroupBox *colorGroup = untitledGroup(rowWithStretch({colorButton}));

    auto *firstRow = new QHBoxLayout;
    firstRow->addWidget(autorunGroup);
    firstRow->addWidget(sizesGroup);
    auto *secondRow = new QHBoxLayout;
    secondRow->addWidget(keyGroup);
    secondRow->addWidget(colorGroup);
    auto *rows = new QVBoxLayout;
    rows->addLayout(firstRow);
    rows->addLayout(secondRow);
    setLayout(rows);

    // Connected only now, so that setting up the initial values above runs no slot.
    connect(autorunCheckBox, &QCheckBox::stateChanged, this, &SettingsDialog::slot_stateChanged);
    connect(keyComboBox, &QComboBox::textActivated, this,
            &SettingsDialog::slot_keyComboBoxItemActivated);
    connect(sizeSlider, &QSlider::valueChanged, this, &SettingsDialog::slot_labelsSizeChanged);
    connect(spacingSlider, &QSlider::valueChanged, this, &SettingsDialog::slot_spacingChanged);
    connect(colorButton, &QPushButton::clicked, this,
            &SettingsDialog::slot_backgroundColorBtnClicked);

    setFixedSize(sizeHint());
}

void SettingsDialog::showPanelIfHidden()
{
    // A change to a hidden panel would go unseen; show it where it was last.
    if (m_panel->isHidden())
        m_manager->showPanel();
}

void SettingsDialog::slot_labelsSizeChanged(int size)
{
    m_panel->setLabelSize(size);
    showPanelIfHidden();
    // Keep the keyboard here, so that the arrow keys go on moving the slider.
    activateWindow();
}

void SettingsDialog::slot_spacingChanged(int spacing)
{
    m_panel->setLabelSpacing(spacing);
    showPanelIfHidden();
    activateWindow();
}

void SettingsDialog::slot_backgroundColorBtnClicked()
{
    const QColor color =
        QColorDialog::getColor(m_panel->backgroundColor(), this, QStringLiteral("Background color"),
                               QColorDialog::DontUseNativeDialog);
    if (!color.isValid())
        return; // cancelled
    m_panel->setBackgroundColor(color);
    showPanelIfHidden();
}

void SettingsDialog::slot_keyComboBoxItemActivated(const QString &name)
{
    m_manager->setShowHideKey(name);
}

void SettingsDialog::slot_stateChanged(int state)
{
    switch (state) {
    case Qt::Checked:
        m_manager->setAutorunEnabled(true);
        break;
    case Qt::Unchecked:
        m_manager->setAutorunEnabled(false);
        break;
    default:
        break; // a two-state box never sends "partially checked"
    }
}
