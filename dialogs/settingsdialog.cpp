// SPDX-License-Identifier: GPL-3.0-or-later
#include "settingsdialog.h"

#include "codepages/codepageregistry.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
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

SettingsDialog::SettingsDialog(const Values &values, QWidget *parent)
    : QDialog(parent, Qt::WindowTitleHint | Qt::WindowSystemMenuHint),
      m_backgroundColor(values.backgroundColor)
{
    setWindowTitle(tr("Settings"));

    m_autorunCheckBox = new QCheckBox(tr("Autorun"));
    m_autorunCheckBox->setObjectName(QStringLiteral("autorunCheckBox"));
    m_autorunCheckBox->setChecked(values.autorun);
    m_autorunFailure = new QLabel;
    m_autorunFailure->setObjectName(QStringLiteral("autorunFailure"));
    m_autorunFailure->setWordWrap(true);
    m_autorunFailure->hide();
    auto *autorunColumn = new QVBoxLayout;
    autorunColumn->addLayout(rowWithStretch({m_autorunCheckBox}));
    autorunColumn->addWidget(m_autorunFailure);
    QGroupBox *autorunGroup = untitledGroup(autorunColumn);
    autorunGroup->setObjectName(QStringLiteral("autorunGroup"));

    auto *keyLabel = new QLabel(tr("Key for show/hide: "));
    auto *keyComboBox = new QComboBox;
    keyComboBox->setObjectName(QStringLiteral("keyComboBox"));
    keyComboBox->addItems(values.keyNames);
    keyComboBox->setCurrentIndex(keyComboBox->findText(values.currentKey));
    QGroupBox *keyGroup = untitledGroup(rowWithStretch({keyLabel, keyComboBox}));
    keyGroup->setObjectName(QStringLiteral("keyGroup"));
    // Without the keyboard hook the key does nothing, so it cannot be changed.
    keyGroup->setEnabled(values.keyWorks);

    auto *sizeLabel = new QLabel(tr("Symbol size"));
    QSlider *sizeSlider = horizontalSlider(QStringLiteral("sizeSlider"), values.minLabelSize,
                                           values.maxLabelSize, values.labelSize);
    auto *spacingLabel = new QLabel(tr("Spacing"));
    QSlider *spacingSlider = horizontalSlider(QStringLiteral("spacingSlider"), values.minSpacing,
                                              values.maxSpacing, values.spacing);

    // Equal label widths line the two sliders up one under the other.
    const QFontMetrics metrics(sizeLabel->font());
    const int labelWidth = std::max(metrics.horizontalAdvance(sizeLabel->text()),
                                    metrics.horizontalAdvance(spacingLabel->text()));
    sizeLabel->setFixedWidth(labelWidth);
    spacingLabel->setFixedWidth(labelWidth);
    sizeSlider->setFixedWidth(2 * labelWidth);
    spacingSlider->setFixedWidth(2 * labelWidth);

    auto *sizesColumn = new QVBoxLayout;
    sizesColumn->addLayout(rowWithStretch({sizeLabel, sizeSlider}));
    sizesColumn->addLayout(rowWithStretch({spacingLabel, spacingSlider}));
    QGroupBox *sizesGroup = untitledGroup(sizesColumn);

    auto *colorButton = new QPushButton(tr("Background color"));
    colorButton->setObjectName(QStringLiteral("backgroundColorButton"));
    QGroupBox *colorGroup = untitledGroup(rowWithStretch({colorButton}));

    m_pageComboBox = new QComboBox;
    m_pageComboBox->setObjectName(QStringLiteral("codePageComboBox"));
    m_pageComboBox->addItem(
        tr("Automatic (%1)")
            .arg(QString::fromLatin1(
                codepages::codePageOrFallback(static_cast<unsigned>(values.systemCodePage))
                    .displayName)),
        QStringLiteral("0"));
    for (const codepages::CodePage &page : codepages::allCodePages())
        m_pageComboBox->addItem(QString::fromLatin1(page.displayName),
                                QString::number(page.number));
    for (const codepages::CharacterPage &page : codepages::allCharacterPages())
        m_pageComboBox->addItem(QString::fromLatin1(page.displayName),
                                QString::fromLatin1(page.key));
    m_builtInPages = m_pageComboBox->count();
    setOwnPages(values.ownPages, values.page);
    auto *pagesFolderButton = new QPushButton(tr("Open pages folder"));
    pagesFolderButton->setObjectName(QStringLiteral("pagesFolderButton"));
    pagesFolderButton->setToolTip(
        tr("Pages of your own: text files whose first line is the page's name and whose "
           "other lines hold its characters."));
    auto *codePageGroup = new QGroupBox(tr("Code page"));
    codePageGroup->setLayout(rowWithStretch({m_pageComboBox, pagesFolderButton}));

    auto *firstRow = new QHBoxLayout;
    firstRow->addWidget(autorunGroup);
    firstRow->addWidget(sizesGroup);
    auto *secondRow = new QHBoxLayout;
    secondRow->addWidget(keyGroup);
    secondRow->addWidget(colorGroup);
    auto *rows = new QVBoxLayout;
    rows->addLayout(firstRow);
    rows->addLayout(secondRow);
    rows->addWidget(codePageGroup);
    setLayout(rows);
    // The list stays the last stop of the Tab key, as it was before the button.
    setTabOrder(pagesFolderButton, m_pageComboBox);

    // Connected only now, so that setting up the initial values above emits nothing.
    connect(m_autorunCheckBox, &QCheckBox::toggled, this, &SettingsDialog::onAutorunToggled);
    connect(keyComboBox, &QComboBox::textActivated, this, &SettingsDialog::showHideKeyChanged);
    connect(sizeSlider, &QSlider::valueChanged, this, &SettingsDialog::onLabelSizeChanged);
    connect(spacingSlider, &QSlider::valueChanged, this, &SettingsDialog::onSpacingChanged);
    connect(colorButton, &QPushButton::clicked, this, &SettingsDialog::chooseBackgroundColor);
    connect(m_pageComboBox, &QComboBox::activated, this,
            [this](int index) { emit pageChanged(m_pageComboBox->itemData(index).toString()); });
    connect(pagesFolderButton, &QPushButton::clicked, this,
            &SettingsDialog::openPagesFolderRequested);

    setFixedSize(sizeHint());
}

void SettingsDialog::setOwnPages(const QList<OwnPage> &pages, const QString &chosen)
{
    const QSignalBlocker blocker(m_pageComboBox);
    while (m_pageComboBox->count() > m_builtInPages)
        m_pageComboBox->removeItem(m_pageComboBox->count() - 1);
    for (const OwnPage &page : pages)
        m_pageComboBox->addItem(page.name, page.fileName);
    m_pageComboBox->setCurrentIndex(std::max(0, m_pageComboBox->findData(chosen)));
}

void SettingsDialog::onLabelSizeChanged(int size)
{
    emit labelSizeChanged(size);
    // Keep the keyboard here, so that the arrow keys go on moving the slider even
    // when the change brought the panel up.
    activateWindow();
}

void SettingsDialog::onSpacingChanged(int spacing)
{
    emit spacingChanged(spacing);
    activateWindow();
}

void SettingsDialog::chooseBackgroundColor()
{
    const QColor color = QColorDialog::getColor(m_backgroundColor, this, tr("Background color"),
                                                QColorDialog::DontUseNativeDialog);
    if (!color.isValid())
        return; // cancelled
    m_backgroundColor = color;
    emit backgroundColorChanged(color);
}

void SettingsDialog::onAutorunToggled(bool enabled)
{
    m_autorunFailure->hide();
    emit autorunToggled(enabled);
}

void SettingsDialog::showAutorunFailure(bool enabled, const QString &reason)
{
    {
        const QSignalBlocker blocker(m_autorunCheckBox);
        m_autorunCheckBox->setChecked(enabled);
    }
    m_autorunFailure->setText(
        enabled ? tr("Ondrel could not stop starting with the desktop: %1").arg(reason)
                : tr("Ondrel could not start with the desktop: %1").arg(reason));
    m_autorunFailure->show();
    setFixedSize(sizeHint());
}
