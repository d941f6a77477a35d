// q colouring speed on a 5 MB script (the test scripts repeated):
//  (1) full colouring in the source view, next to a memcpy of the same bytes;
//  (2) re-colouring after one character typed in the middle of an ordinary
//      line, which must not depend on the file's size (target: under 16 ms);
//      (alone, and with QScintilla's own insertion);
//  (3) re-colouring after a double quote typed in the middle (until the
//      strings pair up again) and after a lone backslash line, which makes the
//      rest of the file a comment and so re-colours to the end;
//  (4) the window-free colouriser building regions for the whole text;
//  (5) Replace All of a common name (whole words) in the source view, and its
//      undo, which must stay linear in the text size.
#include "core/colors/CDialogFontsColors.h"
#include "core/settings/CDlgQSettings.h"
#include "core/Prompter.h"
#include "editor/CQLexer.h"
#include "editor/CSyntaxHighlighting.h"
#include "editor/CFindReplace.h"
#include "editor/CTovoView.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>

#include <cstring>
#include <memory>
#include <vector>

namespace {

class SilentPrompter : public Prompter {
public:
    Answer ask(const QString&, const QString&, Buttons, Icon, Answer) override { return Answer::No; }
};

QString bigScript(qsizetype bytes)
{
    QString unit;
    for (const char* name : {"trades.q", "utils.q"}) {
        QFile f(QDir(QStringLiteral(TOVO_EDITOR_SCRIPTS)).filePath(QString::fromLatin1(name)));
        if (f.open(QIODevice::ReadOnly))
            unit += QString::fromUtf8(f.readAll());
    }
    QString text;
    while (text.size() < bytes)
        text += unit;
    return text;
}

struct Editor {
    CDialogFontsColors scheme;
    CDlgEditorSettings settings;
    SilentPrompter prompter;
    std::unique_ptr<CTovoView> view;
    QString text;

    explicit Editor(qsizetype bytes)
        : text(bigScript(bytes))
    {
        settings.TypingDelayMS = 1000000; // the benchmark processes changes itself
        settings.LineWrappingDef = false;
        view = std::make_unique<CTovoView>(scheme, settings, prompter);
        view->loadDocumentText(text);
    }
    // A byte position in the middle, inside an ordinary line of code.
    unsigned long middle() const
    {
        const QByteArray bytes = text.toUtf8();
        return static_cast<unsigned long>(bytes.indexOf("vwap:{[s;st;et]", bytes.size() / 2) + 5);
    }
};

std::unique_ptr<Editor> g_editor;

Editor& editor()
{
    if (!g_editor)
        g_editor = std::make_unique<Editor>(5 * 1024 * 1024);
    return *g_editor;
}

void BM_Memcpy5MB(benchmark::State& state)
{
    const QByteArray src = editor().text.toUtf8();
    std::vector<char> dst(static_cast<size_t>(src.size()));
    for (auto _ : state) {
        std::memcpy(dst.data(), src.constData(), dst.size());
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * src.size());
}
BENCHMARK(BM_Memcpy5MB)->Unit(benchmark::kMillisecond);

void BM_FullColouring5MB(benchmark::State& state)
{
    Editor& e = editor();
    for (auto _ : state)
        e.view->lexer().colourAll();
    state.SetBytesProcessed(state.iterations() * e.text.toUtf8().size());
}
BENCHMARK(BM_FullColouring5MB)->Unit(benchmark::kMillisecond);

// Types one character in the middle and re-colours. With `withInsert` the
// editor's own insertion is timed too; QScintilla's notification of an edit
// counts characters from the text start, so that part grows with the offset.
void typeAndRecolour(benchmark::State& state, const char* typed, bool withInsert)
{
    Editor& e = editor();
    const unsigned long at = e.middle();
    long lines = 0;
    for (auto _ : state) {
        if (!withInsert)
            state.PauseTiming();
        e.view->SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, at, typed);
        if (!withInsert)
            state.ResumeTiming();
        const CLineStates::Range range = e.view->lexer().colourChanges();
        state.PauseTiming();
        lines = range.last - range.first + 1;
        e.view->SendScintilla(QsciScintillaBase::SCI_DELETERANGE, at, 1L);
        e.view->processChange();
        state.ResumeTiming();
    }
    state.counters["lines_coloured"] = static_cast<double>(lines);
}

void BM_KeystrokeRecolour5MB(benchmark::State& state) { typeAndRecolour(state, "x", false); }
BENCHMARK(BM_KeystrokeRecolour5MB)->Unit(benchmark::kMicrosecond);

void BM_KeystrokeInsertAndRecolour5MB(benchmark::State& state) { typeAndRecolour(state, "x", true); }
BENCHMARK(BM_KeystrokeInsertAndRecolour5MB)->Unit(benchmark::kMicrosecond);

void BM_QuoteRecolour5MB(benchmark::State& state) { typeAndRecolour(state, "\"", false); }
BENCHMARK(BM_QuoteRecolour5MB)->Unit(benchmark::kMicrosecond);

// The worst case: a line holding only a backslash, which makes the whole rest
// of the text a comment and so re-colours to the end.
void BM_TailCommentRecolour5MB(benchmark::State& state)
{
    Editor& e = editor();
    const unsigned long lineStart = e.middle() - 5;
    long lines = 0;
    for (auto _ : state) {
        state.PauseTiming();
        e.view->SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, lineStart, "\\\n");
        state.ResumeTiming();
        const CLineStates::Range range = e.view->lexer().colourChanges();
        state.PauseTiming();
        lines = range.last - range.first + 1;
        e.view->SendScintilla(QsciScintillaBase::SCI_DELETERANGE, lineStart, 2L);
        e.view->processChange();
        state.ResumeTiming();
    }
    state.counters["lines_coloured"] = static_cast<double>(lines);
}
BENCHMARK(BM_TailCommentRecolour5MB)->Unit(benchmark::kMillisecond);

void BM_RegionsWholeText5MB(benchmark::State& state)
{
    const QString& text = editor().text;
    CDialogFontsColors scheme;
    for (auto _ : state) {
        CSyntaxHighlighting hl(nullptr, scheme);
        hl.colourText(text);
        benchmark::DoNotOptimize(hl.regions().size());
    }
    state.SetBytesProcessed(state.iterations() * text.size() * 2);
}
BENCHMARK(BM_RegionsWholeText5MB)->Unit(benchmark::kMillisecond);

void BM_ReplaceAll5MB(benchmark::State& state)
{
    Editor& e = editor();
    CFindReplace finder(e.prompter);
    finder.options() = {QStringLiteral("sym"), QStringLiteral("symbol"), true, true, true};
    int count = 0;
    for (auto _ : state) {
        count = finder.replaceAll(e.view.get());
        state.PauseTiming();
        e.view->undo();
        e.view->processChange();
        state.ResumeTiming();
    }
    state.counters["occurrences"] = count;
    state.SetBytesProcessed(state.iterations() * e.text.toUtf8().size());
}
BENCHMARK(BM_ReplaceAll5MB)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_editor.reset(); // before the application goes
    return 0;
}
