// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "focushandover.h"
#include "panelgeometry.h"

#include <QColor>
#include <QList>
#include <QWidget>

class QGridLayout;
class QLabel;

namespace platform {
struct Services;
}

/// The floating character panel: an always-on-top grid of clickable glyphs that
/// never takes the keyboard focus from the application the user types in.
class OndrelWidget : public QWidget
{
    Q_OBJECT

public:
    explicit OndrelWidget(platform::Services &services, QWidget *parent = nullptr);
    ~OndrelWidget() override;

    void setLabelSize(int size);
    void setLabelSpacing(int spacing);
    void fitToGrid();
    void setBackgroundColor(QColor color);

    int labelSize() const { return m_labelSize; }
    int labelSpacing() const;
    QColor backgroundColor() const { return m_backgroundColor; }
    int minLabelSize() const { return panelgeometry::minLabelSize; }
    int maxLabelSize() const { return m_maxLabelSize; }
    int minSpacing() const { return panelgeometry::minSpacing; }
    int maxSpacing() const { return panelgeometry::maxSpacing; }

    void enableNoActivate();
    void disableNoActivate();
    bool isNoActivate() const { return m_handOver.isNoActivate(); }
    /// The window the panel hands the foreground back to after its frame was worked.
    platform::NativeWindow previousForeground() const { return m_handOver.previousForeground(); }

    const QList<QLabel *> &glyphLabels() const { return m_glyphLabels; }
    QLabel *backspaceLabel() const { return m_backspaceLabel; }
    QGridLayout *gridLayout() const { return m_gridLayout; }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool nativeEvent(const QByteArray &eventType, void *message, qintptr *result) override;

protected slots:
    void slot_OndrelLabelActivated(const QString &link);
    void slot_backspaceLabelActivated(const QString &link);

private:
    void createGlyphLabels();
    void createBackspaceLabel();
    void layOutGrid();
    void computeMaxLabelSize();

    platform::Services &m_services;
    QList<QLabel *> m_glyphLabels;
    QGridLayout *m_gridLayout = nullptr;
    QColor m_backgroundColor;
    int m_labelSize = 0;
    QWidget *m_gridHost = nullptr;
    int m_maxLabelSize = 0;
    FocusHandOver m_handOver;
    QLabel *m_backspaceLabel = nullptr;
};
