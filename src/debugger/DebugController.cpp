#include "debugger/DebugController.h"

#include "connect/SessionWorker.h"
#include "core/Prompter.h"
#include "debugger/DebugAgent.h"

DebugController::DebugController(Context context, QObject* parent) : QObject(parent), m_context(std::move(context)) {}

void DebugController::send(const QStringList& texts, std::function<void(const Replies&)> done)
{
    ++m_pending;
    auto call = m_context.call;
    m_context.worker()->post(
        this,
        [call, texts] {
            Replies replies;
            for (const QString& text : texts) {
                replies << call(text);
                if (!replies.last())
                    break;
            }
            return replies;
        },
        [this, done = std::move(done)](const Replies& replies) {
            --m_pending;
            done(replies);
            if (m_pending == 0)
                emit idle();
        });
}

bool DebugController::lost(const Replies& replies, int count)
{
    if (replies.size() >= count && std::all_of(replies.begin(), replies.end(), [](const KPtr& r) { return bool(r); }))
        return false;
    reportLost();
    return true;
}

void DebugController::reportLost()
{
    if (m_context.close)
        m_context.close();
    if (m_context.prompter)
        m_context.prompter->inform(DebugTexts::lostText(), DebugTexts::lostCaption(), Prompter::Icon::Warning);
    emit connectionLost();
}

void DebugController::checkAgent(const QString& server)
{
    m_server = server;
    m_needsPreparing = false;
    auto afterInjection = [this] {
        send({DebugTexts::preparedCheck(m_prefix)}, [this](const Replies& r) {
            if (lost(r, 1)) {
                emit agentChecked(false);
                return;
            }
            if (isError(r[0].get()))
                m_needsPreparing = true;
            emit agentChecked(true);
        });
    };
    send({DebugTexts::dotCheck()}, [this, afterInjection](const Replies& r) {
        if (lost(r, 1)) {
            emit agentChecked(false);
            return;
        }
        if (!isError(r[0].get())) {
            m_prefix = DebugTexts::kDefaultPrefix;
            afterInjection();
            return;
        }
        m_prefix = DebugTexts::kAgentPrefix;
        send({DebugTexts::agentCheck()}, [this, afterInjection](const Replies& r) {
            if (lost(r, 1)) {
                emit agentChecked(false);
                return;
            }
            if (!isError(r[0].get())) {
                afterInjection();
                return;
            }
            const bool yes = m_context.prompter
                && m_context.prompter->ask(DebugTexts::injectQuestion(m_server), QStringLiteral("Tovo"),
                                           Prompter::Buttons::YesNo, Prompter::Icon::Warning, Prompter::Answer::No)
                    == Prompter::Answer::Yes;
            if (!yes) {
                emit agentChecked(false);
                return;
            }
            send({QString::fromUtf8(DebugAgent::script())}, [this, afterInjection](const Replies& r) {
                if (lost(r, 1)) {
                    emit agentChecked(false);
                    return;
                }
                afterInjection();
            });
        });
    });
}

void DebugController::prepare(const QString& call, bool dontInterpret)
{
    if (!m_history.contains(call))
        m_history.prepend(call);
    if (call.trimmed().isEmpty())
        return;
    send({DebugTexts::prepare(m_prefix, call), DebugTexts::native(m_prefix, dontInterpret)}, [this](const Replies& r) {
        if (lost(r, 2))
            return;
        m_needsPreparing = false;
        showAnswer(r[0].get());
        refresh();
    });
}

void DebugController::step(DebugTexts::Step step)
{
    send({DebugTexts::step(m_prefix, step)}, [this](const Replies& r) {
        if (lost(r, 1))
            return;
        showAnswer(r[0].get());
        refresh();
    });
}

void DebugController::showAnswer(K answer)
{
    const DebugAnswer a = DebugAnswer::from(answer, m_context.render);
    emit statusShown(a.text, a.exception);
    if (a.exception && m_context.prompter)
        m_context.prompter->inform(DebugTexts::signalText(a.text), QStringLiteral("Tovo"), Prompter::Icon::Warning);
}

void DebugController::refresh()
{
    if (m_context.isOpen && !m_context.isOpen()) {
        reportLost();
        return;
    }
    send({DebugTexts::stateQuery(m_prefix, DebugTexts::readOverride(m_context.homeFolder))}, [this](const Replies& r) {
        if (lost(r, 1))
            return;
        applyState(r[0].get());
    });
}

void DebugController::applyState(K reply)
{
    DebugState state;
    if (DebugStateParser::parse(reply, m_context.render, state)) {
        m_state = state;
    } else {
        const DebugAnswer a = DebugAnswer::from(reply, m_context.render);
        emit statusShown(a.text, false);
    }
    m_variables = m_state.variables;
    m_variablesStackIndex = -1;
    emit stateChanged();
    if (m_context.currentServer && m_context.currentServer() != m_server) {
        if (m_context.prompter)
            m_context.prompter->inform(DebugTexts::serverChangedText(), QStringLiteral("Tovo"), Prompter::Icon::Warning);
        if (m_context.close)
            m_context.close();
        emit serverChanged();
        return;
    }
    emit refreshed();
    if (m_state.currentLine >= 0)
        showFunction(nameOf(m_state.function));
}

QString DebugController::nameOf(const QString& functionText) const
{
    const QString name = m_context.functionName ? m_context.functionName(functionText) : QString();
    return name.isEmpty() ? functionText : name;
}

void DebugController::showFunction(const QString& name, bool forced, bool reportMissing)
{
    const int statement = name == nameOf(m_state.function) ? m_state.currentLine : -1;
    if (name == m_function && !forced && m_listing.running()) {
        m_listing.setCurrentStatement(statement);
        emit listingChanged();
        return;
    }
    send({DebugTexts::listing(m_prefix, name)}, [this, name, statement, reportMissing](const Replies& r) {
        if (lost(r, 1))
            return;
        if (isError(r[0].get())) {
            if (reportMissing && m_context.prompter)
                m_context.prompter->inform(DebugTexts::missingFunction(name), QStringLiteral("Debugger"),
                                           Prompter::Icon::Warning);
            return;
        }
        m_function = name;
        m_listing = DebugListing::fromAnswer(DebugAnswer::lines(r[0].get(), m_context.render), statement);
        emit listingChanged();
    });
}

void DebugController::selectStackEntry(int index)
{
    if (index < 0 || index >= m_state.stack.size())
        return;
    const DebugStackEntry& e = m_state.stack[index];
    if (e.kind != DebugStackEntry::Call)
        return;
    m_variables = e.top ? m_state.variables : DebugStateParser::variables(e.frame.get(), m_context.render);
    m_variablesStackIndex = e.stackIndex;
    emit variablesChanged();
    const QString name = nameOf(e.function);
    const int line = e.line;
    send({DebugTexts::listing(m_prefix, name)}, [this, name, line](const Replies& r) {
        if (lost(r, 1) || isError(r[0].get()))
            return;
        m_function = name;
        m_listing = DebugListing::fromAnswer(DebugAnswer::lines(r[0].get(), m_context.render), line);
        emit listingChanged();
    });
}

QStringList DebugController::breakpointItems() const
{
    QStringList items;
    for (const DebugBreakpoint& b : m_state.breakpoints)
        items << nameOf(b.function) + QStringLiteral(", line ") + QString::number(b.line);
    return items;
}

void DebugController::toggleBreakpoint(int caretPosition)
{
    const int line = m_listing.lineAt(caretPosition);
    if (line < 0 || m_function.isEmpty())
        return;
    const int statement = m_listing.statements().value(line, -1);
    if (statement < 0)
        return;
    QString set = QStringLiteral(";");
    for (const DebugBreakpoint& b : m_state.breakpoints)
        if (nameOf(b.function) == m_function)
            set += QString::number(b.line) + u';';
    const bool has = set.contains(u';' + QString::number(statement) + u';');
    const QString text = has ? DebugTexts::deleteBreakpoint(m_prefix, m_function, QString::number(statement))
                             : DebugTexts::addBreakpoint(m_prefix, m_function, statement);
    send({text, DebugTexts::stateQuery(m_prefix, DebugTexts::readOverride(m_context.homeFolder))},
         [this](const Replies& r) {
             if (lost(r, 2))
                 return;
             DebugState fresh;
             if (DebugStateParser::parse(r[1].get(), m_context.render, fresh)) {
                 m_state.breakpoints = fresh.breakpoints;
                 emit stateChanged();
             }
             showFunction(m_function, true);
         });
}

void DebugController::removeBreakpoint(const QString& itemText)
{
    static const QString kSep = QStringLiteral(", line ");
    const int at = int(itemText.lastIndexOf(kSep));
    if (at < 0)
        return;
    send({DebugTexts::deleteBreakpoint(m_prefix, itemText.left(at), itemText.mid(at + kSep.size()))},
         [this](const Replies& r) {
             if (!lost(r, 1))
                 refresh();
         });
}

void DebugController::deleteAllBreakpoints()
{
    send({DebugTexts::clearBreakpoints(m_prefix)}, [this](const Replies& r) {
        if (!lost(r, 1))
            refresh();
    });
}

void DebugController::setHandledSignals(int count)
{
    send({DebugTexts::handledSignals(m_prefix, count)}, [this](const Replies& r) { lost(r, 1); });
}

void DebugController::setTimeout(int seconds)
{
    send({DebugTexts::timeout(m_prefix, seconds)}, [this](const Replies& r) { lost(r, 1); });
}

void DebugController::setNative(bool on)
{
    send({DebugTexts::native(m_prefix, on)}, [this](const Replies& r) { lost(r, 1); });
}
