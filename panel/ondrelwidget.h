// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "codepages/altcodetable.h"
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

    // The glyph tables. The constructor builds the common table and the OEM code
    // page's table, fills the labels from them and releases their entries; a build
    // operation does nothing on a table that has been built before.
    void buildCommonTable();
    void buildTable437();
    void buildTable850();
    void buildTable852();
    void buildTable855();
    void buildTable857();
    void buildTable860();
    void buildTable862();
    void buildTable863();
    void buildTable865();
    void buildTable866();
    const codepages::AltCodeTable &commonTable() const { return m_commonTable; }
    /// The table that serves an OEM code page; 437's for a code page without its own.
    const codepages::AltCodeTable &codePageTable(unsigned codePage) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool nativeEvent(const QByteArray &eventType, void *message, qintptr *result) override;

protected slots:
    void slot_OndrelLabelActivated(const QString &link);
    void slot_backspaceLabelActivated(const QString &link);

private:
    struct CodePageChoice;
    static CodePageChoice chooseCodePage(unsigned codePage);

    void createGlyphLabels();
    void fillCommonLabels();
    void applyOemCodePage();
    void fillCodePageLabels(const codepages::AltCodeTable &table);
    void releaseTable(codepages::AltCodeTable &table);
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
    codepages::AltCodeTable m_commonTable;
    codepages::AltCodeTable m_table437;
    codepages::AltCodeTable m_table850;
    codepages::AltCodeTable m_table852;
    codepages::AltCodeTable m_table866;
    codepages::AltCodeTable m_table862;
    codepages::AltCodeTable m_table855;
    codepages::AltCodeTable m_table857;
    codepages::AltCodeTable m_table863;
    codepages::AltCodeTable m_table860;
    codepages::AltCodeTable m_table865;
    QLabel *m_backspaceLabel = nullptr;
};
