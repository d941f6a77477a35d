// "Charting Styles": a style per series, "Default" meaning the chart's default style.
#pragma once

#include <QDialog>

#include <vector>

struct CColChart;
class QComboBox;
class QLabel;
class QTreeWidget;

class CDlgChartStyles : public QDialog {
    Q_OBJECT
public:
    // One entry per column that may be a series.
    CDlgChartStyles(const std::vector<CColChart>& series, QWidget* parent = nullptr);

    // The choice of the entry for series index i (nullptr when it has none).
    QComboBox* choice(int series) const;
    // Writes the chosen styles (0 = Default) into the series.
    void apply(std::vector<CColChart>& series) const;
    QString description(int series) const;

private:
    QTreeWidget* m_tree;
    QLabel* m_description;
    std::vector<std::pair<int, QComboBox*>> m_choices;
    std::vector<QString> m_descriptions;
};
