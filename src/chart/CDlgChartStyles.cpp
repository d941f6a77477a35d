#include "chart/CDlgChartStyles.h"

#include "chart/CColChart.h"
#include "chart/ChartModel.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

CDlgChartStyles::CDlgChartStyles(const std::vector<CColChart>& series, QWidget* parent)
    : QDialog(parent), m_tree(new QTreeWidget(this)), m_description(new QLabel(this))
{
    setWindowTitle(QStringLiteral("Charting Styles"));
    m_tree->setColumnCount(2);
    m_tree->setHeaderLabels({QStringLiteral("Property"), QStringLiteral("Value")});
    m_tree->setRootIsDecorated(false);
    m_description->setWordWrap(true);
    m_description->setMinimumHeight(2 * fontMetrics().height() + 4);
    const QStringList names = QStringList{QStringLiteral("Default")} + ChartModel::styleNames();
    for (std::size_t i = 0; i < series.size(); ++i) {
        const CColChart& s = series[i];
        auto* item = new QTreeWidgetItem(m_tree, {s.header});
        item->setData(0, Qt::UserRole, int(m_choices.size()));
        auto* box = new QComboBox(m_tree);
        box->addItems(names);
        box->setCurrentIndex(std::clamp(s.style, 0, int(names.size()) - 1));
        m_tree->setItemWidget(item, 1, box);
        m_choices.emplace_back(int(i), box);
        m_descriptions.push_back(QStringLiteral("Pick charting style for the \"") + s.header + QStringLiteral("\" column"));
    }
    m_tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        const int k = item ? item->data(0, Qt::UserRole).toInt() : -1;
        m_description->setText(k >= 0 && k < int(m_descriptions.size()) ? m_descriptions[std::size_t(k)] : QString());
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tree);
    layout->addWidget(m_description);
    layout->addWidget(buttons);
    resize(480, 320);
}

QComboBox* CDlgChartStyles::choice(int series) const
{
    for (const auto& [index, box] : m_choices)
        if (index == series)
            return box;
    return nullptr;
}

QString CDlgChartStyles::description(int series) const
{
    for (std::size_t k = 0; k < m_choices.size(); ++k)
        if (m_choices[k].first == series)
            return m_descriptions[k];
    return {};
}

void CDlgChartStyles::apply(std::vector<CColChart>& series) const
{
    for (const auto& [index, box] : m_choices)
        if (index >= 0 && index < int(series.size()))
            series[std::size_t(index)].style = box->currentIndex();
}
