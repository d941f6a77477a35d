#include "debugger/widgets/CDlgDebug.h"

#include "core/colors/CDialogFontsColors.h"
#include "debugger/DebugController.h"
#include "debugger/widgets/CDlgSwitchFunction.h"
#include "editor/CQLexer.h"
#include "editor/FontConv.h"

#include <Qsci/qsciscintilla.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QSplitter>
#include <QTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kBreakpointMarker = 1;
constexpr int kCurrentMarker = 2;
constexpr int kStackIndexRole = Qt::UserRole;

QTreeWidget* makeList(const QStringList& columns)
{
    auto* list = new QTreeWidget;
    list->setHeaderLabels(columns);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->header()->setStretchLastSection(true);
    return list;
}

QWidget* labelled(const QString& label, QWidget* widget, QWidget* extra = nullptr)
{
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* head = new QHBoxLayout;
    head->addWidget(new QLabel(label));
    head->addStretch();
    if (extra)
        head->addWidget(extra);
    layout->addLayout(head);
    layout->addWidget(widget, 1);
    return box;
}

} // namespace

CDlgDebug::CDlgDebug(DebugController& controller, const CDialogFontsColors& scheme, QWidget* parent)
    : QDialog(parent), m_controller(controller), m_scheme(scheme)
{
    setWindowTitle(QStringLiteral("Debugger"));
    setObjectName(QStringLiteral("debuggerDialog"));
    setModal(false);
    resize(1100, 760);
    auto* layout = new QVBoxLayout(this);

    auto* callRow = new QHBoxLayout;
    callRow->addWidget(new QLabel(QStringLiteral("Debug function:")));
    m_call = new QComboBox;
    m_call->setEditable(true);
    m_call->setInsertPolicy(QComboBox::NoInsert);
    m_call->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    callRow->addWidget(m_call, 1);
    callRow->addWidget(button(QStringLiteral("Prepare"), [this] { prepare(); }));
    layout->addLayout(callRow);

    auto* buttons = new QHBoxLayout;
    m_stepInto = button(QStringLiteral("Step Into (F11)"), [this] { step(DebugTexts::Step::Into); });
    buttons->addWidget(m_stepInto);
    buttons->addWidget(button(QStringLiteral("Step Over (F10)"), [this] { step(DebugTexts::Step::Over); }));
    buttons->addWidget(button(QStringLiteral("Step Out (Shift+F11)"), [this] { step(DebugTexts::Step::Out); }));
    buttons->addWidget(button(QStringLiteral("Run (F5)"), [this] { step(DebugTexts::Step::Run); }));
    buttons->addWidget(button(QStringLiteral("Single Step (Alt+F11)"), [this] { step(DebugTexts::Step::Single); }));
    buttons->addWidget(button(QStringLiteral("Refresh All"), [this] { m_controller.refresh(); }));
    buttons->addWidget(button(QStringLiteral("Show function..."), [this] { showFunctionDialog(); }));
    buttons->addStretch();
    buttons->addWidget(button(QStringLiteral("Close"), [this] { closeDebugger(); }));
    layout->addLayout(buttons);

    // The listing and the execution status on the left, the lists on the right.
    m_source = new QsciScintilla;
    m_source->setObjectName(QStringLiteral("debuggerSource"));
    m_lexer = new CQLexer(m_source);
    m_source->setLexer(m_lexer);
    m_source->setReadOnly(true);
    m_source->setMarginWidth(0, 0);
    m_source->setMarginWidth(1, 15);
    m_source->setMarginSensitivity(1, true);
    m_source->markerDefine(QsciScintilla::Background, kBreakpointMarker);
    m_source->markerDefine(QsciScintilla::Background, kCurrentMarker);
    m_wrap = new QCheckBox(QStringLiteral("Line Wrapping"));
    connect(m_wrap, &QCheckBox::toggled, this,
            [this](bool on) { m_source->setWrapMode(on ? QsciScintilla::WrapWord : QsciScintilla::WrapNone); });
    m_status = new QTextEdit;
    m_status->setReadOnly(true);
    m_status->setObjectName(QStringLiteral("executionStatus"));
    auto* left = new QSplitter(Qt::Vertical);
    left->addWidget(labelled(QStringLiteral("Source:"), m_source, m_wrap));
    left->addWidget(labelled(QStringLiteral("Execution status:"), m_status));
    left->setStretchFactor(0, 3);
    left->setStretchFactor(1, 1);

    m_stack = makeList({QStringLiteral("Function")});
    connect(m_stack, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) { stackActivated(item); });
    m_breakpoints = makeList({QStringLiteral("Name")});
    m_breakpoints->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_breakpoints, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QTreeWidgetItem* item = m_breakpoints->itemAt(at);
        if (!item)
            return;
        QMenu menu;
        const QString text = item->text(0);
        menu.addAction(QStringLiteral("Remove"), this, [this, text] { m_controller.removeBreakpoint(text); });
        menu.exec(m_breakpoints->viewport()->mapToGlobal(at));
    });
    auto* bpButtons = new QWidget;
    auto* bpRow = new QHBoxLayout(bpButtons);
    bpRow->setContentsMargins(0, 0, 0, 0);
    bpRow->addWidget(button(QStringLiteral("Toggle (F9)"), [this] { toggleBreakpoint(); }));
    bpRow->addWidget(button(QStringLiteral("Delete All"), [this] { m_controller.deleteAllBreakpoints(); }));
    m_variables = makeList({QStringLiteral("Variable"), QStringLiteral("Value")});
    connect(m_variables, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) { variableActivated(item); });
    m_showDebug = new QCheckBox(QStringLiteral("Show debug"));
    connect(m_showDebug, &QCheckBox::toggled, this, [this] { showVariables(); });
    auto* right = new QSplitter(Qt::Vertical);
    right->addWidget(labelled(QStringLiteral("Stack:"), m_stack));
    right->addWidget(labelled(QStringLiteral("Breakpoints:"), m_breakpoints, bpButtons));
    right->addWidget(labelled(QStringLiteral("Local Variables:"), m_variables, m_showDebug));

    auto* split = new QSplitter(Qt::Horizontal);
    split->addWidget(left);
    split->addWidget(right);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    layout->addWidget(split, 1);

    auto* bottom = new QGridLayout;
    m_instruction = new QLineEdit;
    m_instruction->setReadOnly(true);
    // Never focused, so the current byte's selection is never cleared by a
    // focus change.
    m_instruction->setFocusPolicy(Qt::NoFocus);
    bottom->addWidget(new QLabel(QStringLiteral("Current instruction:")), 0, 0);
    bottom->addWidget(m_instruction, 0, 1, 1, 6);
    m_dontInterpret = new QCheckBox(QStringLiteral("Don't interpret"));
    connect(m_dontInterpret, &QCheckBox::toggled, this, [this](bool on) {
        if (!m_updating)
            m_controller.setNative(on);
        m_stepInto->setEnabled(!on);
    });
    m_signals = new QSpinBox;
    m_signals->setRange(0, 10000);
    connect(m_signals, &QSpinBox::valueChanged, this, [this](int n) {
        if (!m_updating)
            m_controller.setHandledSignals(n);
    });
    m_timeout = new QSpinBox;
    m_timeout->setRange(0, 3600);
    connect(m_timeout, &QSpinBox::valueChanged, this, [this](int n) {
        if (!m_updating)
            m_controller.setTimeout(n);
    });
    bottom->addWidget(m_dontInterpret, 1, 0);
    bottom->addWidget(new QLabel(QStringLiteral("Handled signals to ignore:")), 1, 1);
    bottom->addWidget(m_signals, 1, 2);
    bottom->addWidget(new QLabel(QStringLiteral("Timeout:")), 1, 3);
    bottom->addWidget(m_timeout, 1, 4);
    bottom->addWidget(new QLabel(QStringLiteral("sec.")), 1, 5);
    bottom->setColumnStretch(6, 1);
    layout->addLayout(bottom);

    const struct {
        QKeySequence key;
        std::function<void()> run;
    } keys[] = {
        {QKeySequence(Qt::Key_F5), [this] { step(DebugTexts::Step::Run); }},
        {QKeySequence(Qt::Key_F9), [this] { toggleBreakpoint(); }},
        {QKeySequence(Qt::Key_F10), [this] { step(DebugTexts::Step::Over); }},
        {QKeySequence(Qt::Key_F11), [this] { if (m_stepInto->isEnabled()) step(DebugTexts::Step::Into); }},
        {QKeySequence(Qt::SHIFT | Qt::Key_F11), [this] { step(DebugTexts::Step::Out); }},
        {QKeySequence(Qt::ALT | Qt::Key_F11), [this] { step(DebugTexts::Step::Single); }},
    };
    for (const auto& k : keys) {
        auto* shortcut = new QShortcut(k.key, this);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, k.run);
    }

    connect(&m_controller, &DebugController::statusShown, this, &CDlgDebug::showStatus);
    connect(&m_controller, &DebugController::stateChanged, this, &CDlgDebug::showState);
    connect(&m_controller, &DebugController::listingChanged, this, &CDlgDebug::showListing);
    connect(&m_controller, &DebugController::variablesChanged, this, &CDlgDebug::showVariables);
    connect(&m_controller, &DebugController::serverChanged, this, &QDialog::hide);
    applyLook();
}

CDlgDebug::~CDlgDebug() = default;

QPushButton* CDlgDebug::button(const QString& text, std::function<void()> run)
{
    auto* b = new QPushButton(text);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, [run] { run(); });
    return b;
}

void CDlgDebug::applyLook()
{
    using E = CDialogFontsColors;
    const QFont font = FontConv::toQFont(m_scheme.font(E::SourceFont));
    const QColor background = FontConv::toQColor(m_scheme.color(E::Background));
    m_lexer->applyScheme(m_scheme, font, background);
    m_source->setFont(font);
    m_source->setPaper(background);
    m_source->setColor(FontConv::toQColor(m_scheme.color(E::Default)));
    m_source->setMarkerBackgroundColor(FontConv::toQColor(m_scheme.color(E::BreakpointBackground)), kBreakpointMarker);
    m_source->setMarkerBackgroundColor(FontConv::toQColor(m_scheme.color(E::CurrentLineBackground)), kCurrentMarker);
}

void CDlgDebug::initialise(const QString& selection)
{
    if (!selection.isEmpty())
        m_call->setCurrentText(selection);
    if (m_controller.needsPreparing()) {
        if (m_call->currentText().isEmpty())
            m_call->setCurrentText(DebugTexts::placeholderCall());
        prepare();
        return; // Prepare refreshes
    }
    m_controller.refresh();
}

void CDlgDebug::prepare()
{
    const QString call = m_call->currentText();
    m_controller.prepare(call, m_dontInterpret->isChecked());
    const QString current = m_call->currentText();
    m_call->clear();
    m_call->addItems(m_controller.history());
    m_call->setCurrentText(current);
}

void CDlgDebug::step(DebugTexts::Step step)
{
    m_controller.step(step);
}

void CDlgDebug::toggleBreakpoint()
{
    int line = 0, index = 0;
    m_source->getCursorPosition(&line, &index);
    m_controller.toggleBreakpoint(int(m_source->positionFromLineIndex(line, index)));
}

void CDlgDebug::showFunctionDialog()
{
    QString name;
    if (m_askFunction) {
        name = m_askFunction(m_controller.functionName());
    } else {
        CDlgSwitchFunction dialog(m_controller.functionName(), this);
        if (dialog.exec() == QDialog::Accepted)
            name = dialog.name();
    }
    if (!name.isEmpty() && name != m_controller.functionName())
        switchToFunction(name);
}

void CDlgDebug::switchToFunction(const QString& name)
{
    m_controller.showFunction(name, true, true);
}

void CDlgDebug::closeDebugger()
{
    if (m_closeSession)
        m_closeSession();
    hide();
}

void CDlgDebug::showStatus(const QString& text, bool exception)
{
    m_status->clear();
    if (!exception) {
        m_status->setPlainText(text);
        return;
    }
    QTextCursor cursor(m_status->document());
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    bold.setForeground(FontConv::toQColor(m_scheme.color(CDialogFontsColors::ParseError)));
    const QString word = QStringLiteral("Exception");
    cursor.insertText(word, bold);
    cursor.insertText(text.mid(word.size()), QTextCharFormat());
}

void CDlgDebug::showState()
{
    const DebugState& s = m_controller.state();
    m_updating = true;
    m_stack->clear();
    for (int i = 0; i < s.stack.size(); ++i) {
        const DebugStackEntry& e = s.stack[i];
        QString text = e.text;
        if (e.kind == DebugStackEntry::Call)
            text = m_controller.nameOf(e.function) + QStringLiteral(", line ") + QString::number(e.line);
        else if (e.kind == DebugStackEntry::Printed)
            text = text.section(u'\n', 0, 0);
        auto* item = new QTreeWidgetItem(m_stack, {text});
        item->setData(0, kStackIndexRole, i);
        if (e.kind == DebugStackEntry::Printed)
            item->setToolTip(0, e.text);
    }
    m_breakpoints->clear();
    for (const QString& b : m_controller.breakpointItems())
        new QTreeWidgetItem(m_breakpoints, {b});
    showVariables();
    m_instruction->setText(s.byteCode);
    const auto [from, to] = s.byteSelection();
    if (from >= 0)
        m_instruction->setSelection(from, to - from);
    if (s.handledSignals >= 0)
        m_signals->setValue(s.handledSignals);
    if (s.timeoutSec >= 0)
        m_timeout->setValue(s.timeoutSec);
    if (s.native >= 0)
        m_dontInterpret->setChecked(s.native == 1);
    m_stepInto->setEnabled(!m_dontInterpret->isChecked());
    m_updating = false;
}

void CDlgDebug::showVariables()
{
    m_variables->clear();
    for (const DebugVariable& v : m_controller.variables())
        if (!v.internal || m_showDebug->isChecked())
            new QTreeWidgetItem(m_variables, {v.name, v.value});
}

void CDlgDebug::showListing()
{
    const DebugListing& l = m_controller.listing();
    m_source->setReadOnly(false);
    m_source->setText(l.text());
    m_source->setReadOnly(true);
    m_lexer->colourAll();
    m_source->markerDeleteAll();
    if (!l.running())
        return;
    for (int line : l.breakpointLines())
        m_source->markerAdd(line, kBreakpointMarker);
    if (l.currentLine() >= 0) {
        m_source->markerAdd(l.currentLine(), kCurrentMarker);
        m_source->setCursorPosition(l.currentLine(), 0);
        m_source->ensureLineVisible(l.currentLine());
    }
}

bool CDlgDebug::isCurrentLine(int line) const
{
    return m_source->markersAtLine(line) & (1 << kCurrentMarker);
}

bool CDlgDebug::hasBreakpointMark(int line) const
{
    return m_source->markersAtLine(line) & (1 << kBreakpointMarker);
}

void CDlgDebug::stackActivated(QTreeWidgetItem* item)
{
    if (!item || m_updating)
        return;
    const int index = item->data(0, kStackIndexRole).toInt();
    const DebugState& s = m_controller.state();
    if (index < 0 || index >= s.stack.size())
        return;
    const DebugStackEntry& e = s.stack[index];
    if (e.kind == DebugStackEntry::Call) {
        m_controller.selectStackEntry(index);
    } else if (e.kind == DebugStackEntry::Value && m_runMain) {
        m_runMain(DebugTexts::stackValue(m_controller.prefix(), e.stackIndex, e.top));
    }
}

void CDlgDebug::variableActivated(QTreeWidgetItem* item)
{
    if (item && m_runMain)
        m_runMain(DebugTexts::variable(m_controller.prefix(), item->text(0), m_controller.variablesStackIndex()));
}
