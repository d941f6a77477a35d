#include "chart/CDlgGraph.h"

#include "chart/CDlgChartStyles.h"
#include "chart/CGraphControl.h"
#include "chart/ChartKinds.h"
#include "chart/ChartPainter.h"
#include "chart/GraphConfig.h"

#include "core/FileChooser.h"
#include "core/Prompter.h"
#include "core/settings/CDlgQSettings.h"
#include "core/settings/KeptSettings.h"
#include "core/settings/SettingsStore.h"
#include "core/values/ValueCatalogue.h"
#include "results/grid/CKTableRenderer.h"

#include <QEvent>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QTimer>
#include <QTreeWidget>

#include <new>

namespace {

QString colourText(QRgb c)
{
    return QStringLiteral("#%1%2%3")
        .arg(qRed(c), 2, 16, QLatin1Char('0'))
        .arg(qGreen(c), 2, 16, QLatin1Char('0'))
        .arg(qBlue(c), 2, 16, QLatin1Char('0'));
}

QLineEdit* field(QWidget* parent, const char* name)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setReadOnly(true);
    e->setMaximumWidth(220);
    return e;
}

// A range field: wide enough for the longest range text, a negative
// nanosecond timestamp.
void fitRangeText(QLineEdit* e)
{
    const int text = e->fontMetrics().horizontalAdvance(QStringLiteral("-2024.12.31D23:59:59.999999999"));
    e->setMinimumWidth(text + 16);
    e->setMaximumWidth(text + 48);
}

} // namespace

CDlgGraph::CDlgGraph(CKTableRenderer* grid, ChartContext context, QWidget* parent)
    : QWidget(parent, Qt::Window), m_grid(grid), m_ctx(std::move(context))
{
    setWindowTitle(QStringLiteral("Graph"));
    setMinimumSize(850, 300);
    if (m_ctx.settings)
        m_model.options() = RenderOptions::from(*m_ctx.settings);
    build();
    loadColours();
    if (m_grid)
        m_model.setTable(ChartTable::fromGrid(*m_grid), m_palette);
    fillProperties();
    m_allTimer = new QTimer(this);
    m_allTimer->setInterval(200);
    connect(m_allTimer, &QTimer::timeout, this, &CDlgGraph::syncAll);
    m_allTimer->start();
    syncAll();
    resize(1100, 600);
}

CDlgGraph::~CDlgGraph() = default;

void CDlgGraph::build()
{
    m_control = new CGraphControl(m_model, this);
    m_properties = new QTreeWidget(this);
    m_properties->setObjectName(QStringLiteral("properties"));
    m_properties->setColumnCount(2);
    m_properties->setHeaderLabels({QStringLiteral("Property"), QStringLiteral("Value")});
    m_properties->setHeaderHidden(true);
    m_properties->setRootIsDecorated(false);
    m_properties->setContextMenuPolicy(Qt::CustomContextMenu);
    m_properties->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_properties->header()->setStretchLastSection(false);
    m_description = new QLabel(this);
    m_description->setWordWrap(true);
    m_description->setFixedHeight(2 * fontMetrics().height() + 6);
    m_description->setFrameShape(QFrame::StyledPanel);

    m_xAxis = new QComboBox(this);
    m_style = new QComboBox(this);
    m_style->addItems(ChartModel::defaultStyleNames());
    m_lineWidth = new QLineEdit(QStringLiteral("0"), this);
    m_lineWidth->setValidator(new QIntValidator(0, ChartModel::maxLineWidth, m_lineWidth));
    m_bottomZero = new QCheckBox(QStringLiteral("Bottom=0"), this);
    m_all = new QCheckBox(QStringLiteral("All"), this);
    m_all->setTristate(true);
    m_follow = new QCheckBox(QStringLiteral("Follow result"), this);
    m_follow->setToolTip(QStringLiteral("Chart each new value of the same columns that the grid receives"));
    if (m_ctx.store)
        m_bottomZero->setChecked(m_ctx.store->readInt(QLatin1String(kept::ChartY0.name), kept::ChartY0.def) != 0);

    auto* chartButton = new QPushButton(QStringLiteral("Chart!"), this);
    auto* closeButton = new QPushButton(QStringLiteral("Close"), this);
    auto* saveButton = new QPushButton(QStringLiteral("Save As..."), this);
    auto* advButton = new QPushButton(QStringLiteral("Adv..."), this);
    auto* coloursButton = new QPushButton(QStringLiteral("Def. Colors..."), this);
    chartButton->setDefault(true);

    m_xFrom = field(this, "xFrom");
    m_xTo = field(this, "xTo");
    m_yFrom = field(this, "yFrom");
    m_yTo = field(this, "yTo");
    m_readX = field(this, "readX");
    m_readY = field(this, "readY");
    m_xTo->setAlignment(Qt::AlignRight);
    for (QLineEdit* e : {m_xFrom, m_xTo, m_yFrom, m_yTo})
        fitRangeText(e);

    auto* left = new QVBoxLayout;
    left->addWidget(m_properties, 1);
    left->addWidget(m_description);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("X-Axis field:"), m_xAxis);
    form->addRow(QStringLiteral("Default style:"), m_style);
    form->addRow(QStringLiteral("Line width:"), m_lineWidth);
    left->addLayout(form);
    auto* checks = new QHBoxLayout;
    checks->addWidget(m_all);
    checks->addWidget(m_bottomZero);
    checks->addWidget(m_follow);
    left->addLayout(checks);
    auto* buttons = new QGridLayout;
    buttons->addWidget(chartButton, 0, 0);
    buttons->addWidget(saveButton, 0, 1);
    buttons->addWidget(closeButton, 0, 2);
    buttons->addWidget(advButton, 1, 0);
    buttons->addWidget(coloursButton, 1, 1);
    left->addLayout(buttons);

    auto* right = new QGridLayout;
    right->addWidget(m_yTo, 0, 0, 1, 2, Qt::AlignLeft);
    right->addWidget(m_control, 1, 0, 1, 5);
    right->addWidget(m_yFrom, 2, 0, 1, 2, Qt::AlignLeft);
    right->addWidget(m_xFrom, 3, 0);
    right->addWidget(new QLabel(QStringLiteral("X:"), this), 3, 1, Qt::AlignRight);
    right->addWidget(m_readX, 3, 2);
    auto* yLabelBox = new QHBoxLayout;
    yLabelBox->addWidget(new QLabel(QStringLiteral("Y:"), this));
    yLabelBox->addWidget(m_readY);
    right->addLayout(yLabelBox, 3, 3);
    right->addWidget(m_xTo, 3, 4, Qt::AlignRight);
    right->setRowStretch(1, 1);
    right->setColumnStretch(2, 1);

    auto* leftBox = new QWidget(this);
    leftBox->setLayout(left);
    leftBox->setFixedWidth(330);
    left->setContentsMargins(0, 0, 0, 0);
    auto* main = new QHBoxLayout(this);
    main->addWidget(leftBox);
    main->addLayout(right, 1);

    connect(chartButton, &QPushButton::clicked, this, &CDlgGraph::chart);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    connect(saveButton, &QPushButton::clicked, this, &CDlgGraph::saveAs);
    connect(advButton, &QPushButton::clicked, this, &CDlgGraph::chartingStyles);
    connect(coloursButton, &QPushButton::clicked, this, &CDlgGraph::defaultColours);
    connect(m_all, &QCheckBox::clicked, this, &CDlgGraph::clickAll);
    connect(m_bottomZero, &QCheckBox::clicked, this, [this](bool on) {
        if (m_ctx.store)
            m_ctx.store->writeInt(QLatin1String(kept::ChartY0.name), on ? 1 : 0);
    });
    connect(m_style, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_model.setDefaultStyle(index);
        if (m_control->chartDrawn())
            m_control->draw();
    });
    connect(m_xAxis, &QComboBox::currentIndexChanged, this, &CDlgGraph::onXAxisChanged);
    connect(m_properties, &QTreeWidget::itemChanged, this, &CDlgGraph::onItemChanged);
    connect(m_properties, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        m_description->setText(item ? item->data(0, Qt::UserRole + 1).toString() : QString());
    });
    auto colourMenu = [this](QTreeWidgetItem* item, QPoint global) {
        const int property = item ? m_properties->indexOfTopLevelItem(item) : -1;
        if (property < 0 || (property > 0 && !(item->flags() & Qt::ItemIsUserCheckable)))
            return;
        QMenu menu(this);
        menu.addAction(QStringLiteral("Other..."), this, [this, property] { pickColour(property); });
        menu.addAction(QStringLiteral("Default"), this, [this, property] { setDefaultColour(property); });
        menu.exec(global);
    };
    connect(m_properties, &QTreeWidget::customContextMenuRequested, this, [this, colourMenu](QPoint pos) {
        colourMenu(m_properties->itemAt(pos), m_properties->viewport()->mapToGlobal(pos));
    });
    connect(m_properties, &QTreeWidget::itemDoubleClicked, this, [this, colourMenu](QTreeWidgetItem* item, int) {
        colourMenu(item, QCursor::pos());
    });
    connect(m_control, &CGraphControl::drawn, this, &CDlgGraph::updateRangeTexts);
    connect(m_control, &CGraphControl::mouseMoved, this, &CDlgGraph::showReadOut);
    connect(m_control, &CGraphControl::mouseLeft, this, [this] {
        m_readX->clear();
        m_readY->clear();
    });
    connect(m_control, &CGraphControl::copyValuesRequested, this, &CDlgGraph::copyValues);
    connect(m_control, &CGraphControl::copyQueryRequested, this, &CDlgGraph::copyQuery);
}

void CDlgGraph::loadColours()
{
    const GraphColours c = m_ctx.graphCfgPath.isEmpty() ? GraphConfig::parse({}) : GraphConfig::load(m_ctx.graphCfgPath);
    m_fileBackground = c.background;
    m_palette = c.palette;
    followLookBackground();
}

void CDlgGraph::followLookBackground()
{
    const QColor base = palette().color(QPalette::Base);
    const bool darkLook = base.lightness() < 128;
    m_defaultBackground = darkLook && (m_fileBackground | 0xff000000u) == 0xffffffffu ? base.rgb() : m_fileBackground;
}

void CDlgGraph::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::PaletteChange || !m_properties)
        return;
    // A look change: the default background follows, the chart is drawn again.
    const QRgb before = m_defaultBackground;
    followLookBackground();
    if (before == m_defaultBackground)
        return;
    if (!m_background)
        setDefaultColour(0);
    if (m_control->chartDrawn())
        chart();
}

void CDlgGraph::fillProperties()
{
    m_filling = true;
    m_properties->clear();
    m_background.reset();
    auto* bg = new QTreeWidgetItem(m_properties, {QStringLiteral("Background")});
    bg->setData(0, Qt::UserRole + 1, QStringLiteral("Background color"));
    bg->setText(1, colourText(m_defaultBackground));
    bg->setData(1, Qt::DecorationRole, QColor::fromRgb(m_defaultBackground));
    std::vector<CColChart>& series = m_model.series();
    m_custom.assign(series.size(), std::nullopt);
    m_defaults.clear();
    for (const CColChart& s : series) {
        m_defaults.push_back(s.colour);
        auto* item = new QTreeWidgetItem(m_properties, {ChartModel::seriesName(s)});
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
        item->setCheckState(0, Qt::Unchecked);
    }
    m_filling = false;
    for (std::size_t i = 0; i < series.size(); ++i)
        updateProperty(int(i));

    QSignalBlocker block(m_xAxis);
    m_xAxis->clear();
    m_xAxis->addItems(m_model.xChoices());
    block.unblock();
    if (m_xAxis->count() > 0) {
        m_xAxis->setCurrentIndex(0);
        onXAxisChanged(0);
    }
}

void CDlgGraph::updateProperty(int index)
{
    QTreeWidgetItem* item = m_properties->topLevelItem(index + 1);
    if (!item)
        return;
    const CColChart& s = m_model.series()[std::size_t(index)];
    const bool isX = index == m_model.xColumn();
    const bool chartable = ChartKinds::isYable(s.type);
    QString description;
    if (isX)
        description = QStringLiteral("Currenly selected as X-axis");
    else if (chartable)
        description = QStringLiteral("Specifies the ") + s.header + QStringLiteral(" color");
    else
        description = QStringLiteral("Value of type ") + ValueCatalogue::typeName(s.type) + QStringLiteral(" can't be charted");
    m_filling = true;
    item->setData(0, Qt::UserRole + 1, description);
    // A disabled property stays selectable so that its description shows; it
    // cannot be checked and is greyed.
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (s.yable)
        flags |= Qt::ItemIsUserCheckable;
    item->setFlags(flags);
    item->setForeground(0, s.yable ? palette().text() : palette().brush(QPalette::Disabled, QPalette::Text));
    item->setCheckState(0, s.checked ? Qt::Checked : Qt::Unchecked);
    const QRgb c = chartable ? colourOf(index + 1) : qRgb(0, 0, 0);
    item->setText(1, colourText(c));
    item->setData(1, Qt::DecorationRole, QColor::fromRgb(c));
    m_filling = false;
    if (m_properties->currentItem() == item)
        m_description->setText(description);
}

QRgb CDlgGraph::colourOf(int property) const
{
    if (property == 0)
        return m_background.value_or(m_defaultBackground);
    const std::size_t i = std::size_t(property - 1);
    if (i >= m_defaults.size())
        return qRgb(0, 0, 0);
    return m_custom[i].value_or(m_defaults[i]);
}

QColor CDlgGraph::background() const
{
    return QColor::fromRgb(colourOf(0));
}

void CDlgGraph::onXAxisChanged(int index)
{
    const std::vector<int> xs = m_model.xColumns();
    if (index < 0 || index >= int(xs.size()))
        return;
    const int old = m_model.xColumn();
    m_model.setXColumn(xs[std::size_t(index)]);
    if (old >= 0)
        updateProperty(old);
    updateProperty(m_model.xColumn());
}

void CDlgGraph::onItemChanged(QTreeWidgetItem* item, int column)
{
    if (m_filling || column != 0)
        return;
    const int index = m_properties->indexOfTopLevelItem(item) - 1;
    if (index < 0 || index >= int(m_model.series().size()))
        return;
    CColChart& s = m_model.series()[std::size_t(index)];
    if (s.yable)
        s.checked = item->checkState(0) == Qt::Checked;
}

void CDlgGraph::syncAll()
{
    int on = 0, off = 0;
    for (const CColChart& s : m_model.series()) {
        if (!s.yable)
            continue;
        (s.checked ? on : off)++;
    }
    const Qt::CheckState state = on && !off ? Qt::Checked : off && !on ? Qt::Unchecked : Qt::PartiallyChecked;
    QSignalBlocker block(m_all);
    m_all->setCheckState(state);
}

void CDlgGraph::clickAll()
{
    // The box shows the series' state; a click acts on the series, then the
    // box follows them.
    int on = 0, off = 0;
    for (const CColChart& s : m_model.series())
        if (s.yable)
            (s.checked ? on : off)++;
    const bool showsUnchecked = off && !on;
    for (std::size_t i = 0; i < m_model.series().size(); ++i) {
        CColChart& s = m_model.series()[i];
        if (s.yable) {
            s.checked = showsUnchecked;
            updateProperty(int(i));
        }
    }
    syncAll();
}

void CDlgGraph::pickColour(int property)
{
    const QColor initial = QColor::fromRgb(colourOf(property));
    const QColor c = m_ctx.pickColour ? m_ctx.pickColour(initial) : QColorDialog::getColor(initial, this);
    if (!c.isValid())
        return;
    if (property == 0) {
        m_background = c.rgb();
        QTreeWidgetItem* bg = m_properties->topLevelItem(0);
        bg->setText(1, colourText(c.rgb()));
        bg->setData(1, Qt::DecorationRole, c);
    } else if (property - 1 < int(m_custom.size())) {
        m_custom[std::size_t(property - 1)] = c.rgb();
        updateProperty(property - 1);
    }
}

void CDlgGraph::setDefaultColour(int property)
{
    if (property == 0) {
        m_background.reset();
        QTreeWidgetItem* bg = m_properties->topLevelItem(0);
        bg->setText(1, colourText(m_defaultBackground));
        bg->setData(1, Qt::DecorationRole, QColor::fromRgb(m_defaultBackground));
    } else if (property - 1 < int(m_custom.size())) {
        m_custom[std::size_t(property - 1)].reset();
        updateProperty(property - 1);
    }
}

void CDlgGraph::chart()
{
    m_model.setLineWidth(m_lineWidth->text().toInt());
    m_model.setDefaultStyle(m_style->currentIndex());
    if (m_ctx.settings)
        m_model.options() = RenderOptions::from(*m_ctx.settings);
    for (std::size_t i = 0; i < m_model.series().size(); ++i)
        m_model.series()[i].colour = colourOf(int(i) + 1);
    ChartModel::Prepared result;
    try {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        result = m_model.prepare(m_ctx.prompter, m_ctx.settings ? m_ctx.settings->MaxDrawPoints : 0,
                                 m_bottomZero->isChecked());
        QGuiApplication::restoreOverrideCursor();
    } catch (const std::bad_alloc&) {
        QGuiApplication::restoreOverrideCursor();
        failAndClose();
        return;
    }
    if (result == ChartModel::Prepared::NothingChecked) {
        if (m_ctx.prompter)
            m_ctx.prompter->inform(QStringLiteral("Select something to Chart first."));
        return;
    }
    if (result != ChartModel::Prepared::Drawn)
        return;
    m_control->setBackground(colourOf(0));
    m_control->draw();
}

void CDlgGraph::failAndClose()
{
    if (m_ctx.prompter)
        m_ctx.prompter->inform(QStringLiteral("Something went wrong, closing graph dialog, please try again."),
                               QStringLiteral("Tovo"), Prompter::Icon::Error);
    m_closedByChange = true;
    close();
}

void CDlgGraph::updateRangeTexts()
{
    m_xFrom->setText(m_model.xFromText());
    m_xTo->setText(m_model.xToText());
    m_yFrom->setText(m_model.yFromText());
    m_yTo->setText(m_model.yToText());
}

void CDlgGraph::showReadOut(QPoint point)
{
    QString x, y;
    m_model.readOut(point, m_control->plotRect(), x, y);
    m_readX->setText(x);
    m_readY->setText(y);
}

void CDlgGraph::copyValues(QPoint point)
{
    QGuiApplication::clipboard()->setText(m_model.copyValuesText(point, m_control->plotRect()));
}

void CDlgGraph::copyQuery(bool withY)
{
    const QString q = m_model.constrainedQuery(withY);
    if (!q.isEmpty())
        QGuiApplication::clipboard()->setText(q);
}

void CDlgGraph::chartingStyles()
{
    CDlgChartStyles dlg(m_model.series(), this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    dlg.apply(m_model.series());
    stylesChanged();
}

void CDlgGraph::stylesChanged()
{
    if (m_control->chartDrawn())
        m_control->draw();
}

void CDlgGraph::defaultColours()
{
    if (!m_ctx.prompter)
        return;
    const Prompter::Answer a = m_ctx.prompter->ask(
        QStringLiteral("Yes - To save colors to graph.cfg and use as cycling default.\nNo - To restore default colors & delete graph.cfg."),
        // Yes overwrites graph.cfg and No deletes it: Cancel is the default.
        QStringLiteral("Default colors"), Prompter::Buttons::YesNoCancel, Prompter::Icon::Question,
        Prompter::Answer::Cancel);
    if (a == Prompter::Answer::Yes) {
        // The background, then the colour of every column that can be a
        // series, so that reading the file gives each its colour back.
        std::vector<QRgb> colours{m_background.value_or(m_fileBackground)};
        for (std::size_t i = 0; i < m_model.series().size(); ++i)
            if (ChartKinds::isYable(m_model.series()[i].type))
                colours.push_back(colourOf(int(i) + 1));
        QString error;
        if (!GraphConfig::save(m_ctx.graphCfgPath, colours, &error))
            m_ctx.prompter->inform(QStringLiteral("Save failed."), QStringLiteral("Tovo"), Prompter::Icon::Warning);
    } else if (a == Prompter::Answer::No) {
        QFile::remove(m_ctx.graphCfgPath);
        loadColours();
        m_model.setTable(m_model.table(), m_palette);
        fillProperties();
        if (m_control->chartDrawn())
            chart();
    }
}

QImage CDlgGraph::capture()
{
    return grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void CDlgGraph::saveAs()
{
    if (!m_ctx.files)
        return;
    const QString filter = QStringLiteral("PNG Files (*.png);;JPG Files (*.jpg);;BMP Files (*.bmp);;TIFF Files (*.tif);;"
                                          "SVG Files (*.svg);;All Files (*.*)");
    QString path = m_ctx.files->saveFileName(QStringLiteral("Save As"), filter, QStringLiteral("test.png"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".png");
    const QString suffix = QFileInfo(path).suffix().toLower();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    bool ok = true;
    if (suffix == QLatin1String("svg")) {
        // Vector output: the chart itself, drawn as shapes.
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        const QSize size = m_control->size();
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(windowTitle());
        const ChartDrawOptions o = ChartPainter::withBackground(colourOf(0));
        ChartPainter::draw(svg, size, m_model, o);
    } else {
        const char* format = suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg") ? "JPEG"
            : suffix == QLatin1String("bmp")                                                 ? "BMP"
            : suffix == QLatin1String("tif") || suffix == QLatin1String("tiff")             ? "TIFF"
            : suffix == QLatin1String("gif")                                                 ? "GIF"
                                                                                             : "PNG";
        ok = capture().save(&buffer, format);
    }
    QSaveFile file(path);
    ok = ok && file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
    if (!ok && m_ctx.prompter)
        m_ctx.prompter->inform(QStringLiteral("Save failed."), QStringLiteral("Tovo"), Prompter::Icon::Warning);
}

void CDlgGraph::gridDataChanged()
{
    if (m_follow->isChecked()) {
        // The grid calls before it loads the new value: look at it once it has.
        QTimer::singleShot(0, this, &CDlgGraph::follow);
        return;
    }
    m_closedByChange = true;
    close();
}

void CDlgGraph::follow()
{
    if (!m_grid || !m_model.replaceTable(ChartTable::fromGrid(*m_grid)) || !m_model.table().canPlot()) {
        m_closedByChange = true;
        close();
        return;
    }
    if (m_control->chartDrawn())
        chart();
}
