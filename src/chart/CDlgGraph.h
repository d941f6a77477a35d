// The chart dialog "Graph": a modeless window bound to one grid, with the
// property grid of colours and series, the X-axis choice, the default style,
// line width, "Bottom=0", "All", "Follow result", the graph control with its
// range and read-out fields, and the buttons "Chart!", "Close", "Save As...",
// "Adv...", "Def. Colors...".
#pragma once

#include "chart/ChartContext.h"
#include "chart/ChartModel.h"

#include "results/grid/GridChartBinding.h"

#include <QPointer>
#include <QWidget>

#include <optional>

class CGraphControl;
class CKTableRenderer;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

class CDlgGraph : public QWidget, public GridChartBinding {
    Q_OBJECT
    Q_INTERFACES(GridChartBinding)
public:
    CDlgGraph(CKTableRenderer* grid, ChartContext context, QWidget* parent = nullptr);
    ~CDlgGraph() override;

    // The grid received a new value: close, or with "Follow result" ticked
    // and a value of the same shape, chart the new value.
    void gridDataChanged() override;
    bool closedByChange() const { return m_closedByChange; }
    // The value this dialog charts (to tell whether its grid still shows it).
    K chartedValue() const { return m_model.table().value.get(); }

    // "Chart!": prepare and draw.
    void chart();
    // The first drawing when the dialog opens: the chart of every series
    // that starts checked; nothing while none is.
    void chartOnOpen();
    void saveAs();
    // "Def. Colors...".
    void defaultColours();
    // "Adv...": the "Charting Styles" dialog, modal.
    void chartingStyles();
    // After "Charting Styles" was accepted.
    void stylesChanged();
    // "All" clicked.
    void clickAll();
    // Brings "All" in step with the series (the 200 ms timer does this too).
    void syncAll();
    // The colour menu of a property ("Other...", "Default").
    void pickColour(int property);
    void setDefaultColour(int property);
    // The picture "Save As..." writes: the whole dialog.
    QImage capture();

    ChartModel& model() { return m_model; }
    CGraphControl* control() const { return m_control; }
    QTreeWidget* properties() const { return m_properties; }
    QLabel* description() const { return m_description; }
    QComboBox* xAxis() const { return m_xAxis; }
    QComboBox* defaultStyle() const { return m_style; }
    QLineEdit* lineWidth() const { return m_lineWidth; }
    QCheckBox* bottomZero() const { return m_bottomZero; }
    QCheckBox* all() const { return m_all; }
    QCheckBox* followResult() const { return m_follow; }
    QLineEdit* xFrom() const { return m_xFrom; }
    QLineEdit* xTo() const { return m_xTo; }
    QLineEdit* yFrom() const { return m_yFrom; }
    QLineEdit* yTo() const { return m_yTo; }
    QLineEdit* readX() const { return m_readX; }
    QLineEdit* readY() const { return m_readY; }
    QColor background() const;
    QRgb colourOf(int property) const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void build();
    void loadColours();
    // The file's background, or under a dark look the look's for the built-in white.
    void followLookBackground();
    void fillProperties();
    void updateProperty(int series);
    void onXAxisChanged(int index);
    void onItemChanged(QTreeWidgetItem* item, int column);
    void updateRangeTexts();
    void showReadOut(QPoint point);
    void copyValues(QPoint point);
    void copyQuery(bool withY);
    void follow();
    void failAndClose();

    QPointer<CKTableRenderer> m_grid;
    ChartContext m_ctx;
    ChartModel m_model;
    QRgb m_defaultBackground = 0xffffffff;
    QRgb m_fileBackground = 0xffffffff;           // as graph.cfg (or the built-in default) says
    std::vector<QRgb> m_palette;
    std::optional<QRgb> m_background;             // custom background
    std::vector<std::optional<QRgb>> m_custom;    // custom series colours
    std::vector<QRgb> m_defaults;                 // default series colours
    bool m_closedByChange = false;
    bool m_filling = false;

    CGraphControl* m_control = nullptr;
    QTreeWidget* m_properties = nullptr;
    QLabel* m_description = nullptr;
    QComboBox* m_xAxis = nullptr;
    QComboBox* m_style = nullptr;
    QLineEdit* m_lineWidth = nullptr;
    QCheckBox* m_bottomZero = nullptr;
    QCheckBox* m_all = nullptr;
    QCheckBox* m_follow = nullptr;
    QLineEdit* m_xFrom = nullptr;
    QLineEdit* m_xTo = nullptr;
    QLineEdit* m_yFrom = nullptr;
    QLineEdit* m_yTo = nullptr;
    QLineEdit* m_readX = nullptr;
    QLineEdit* m_readY = nullptr;
    QTimer* m_allTimer = nullptr;
};
