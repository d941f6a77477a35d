#include "ScriptedPrompter.h"
#include "TempHome.h"
#include "app/CDlgSettings.h"
#include "app/CMainFrame.h"
#include "app/CTovoApp.h"
#include "app/CommandIds.h"

#include <QAction>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSettings>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {
// Runs action on the settings dialog once it is shown modally.
void onDialog(std::function<void(CDlgSettings*)> action)
{
    QTimer::singleShot(0, [action] {
        auto* dialog = qobject_cast<CDlgSettings*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        action(dialog);
    });
}

template <typename T> T* control(QWidget* dialog, const QString& name)
{
    T* w = dialog->findChild<T*>(name);
    if (!w)
        qWarning("no control %s", qPrintable(name));
    return w;
}
} // namespace

class TestSettingsDialog : public QObject {
    Q_OBJECT
private slots:
    void okWritesEveryValue();
    void cancelDropsEdits();
    void limitsAreEnforced_data();
    void limitsAreEnforced();
    void textLimits();
    void changePageChecksLimits();
    void changeNotifications();
    void menuToggles();
};

void TestSettingsDialog::okWritesEveryValue()
{
    TempHome home;
    ScriptedPrompter prompter;
    CTovoApp app(CommandLine(QStringLiteral("--homedir:") + home.path()), prompter, home.store());
    QVERIFY(app.initInstance());
    CMainFrame* frame = app.mainFrame();

    onDialog([](CDlgSettings* d) {
        // Pictures of the pages for a look by eye, when asked for.
        const QString shots = qEnvironmentVariable("TOVO_SCREENSHOT_DIR");
        if (!shots.isEmpty()) {
            for (int i = 0; i < d->tabs()->count(); ++i) {
                d->tabs()->setCurrentIndex(i);
                d->grab().save(shots + QStringLiteral("/settings-page-%1.png").arg(i));
            }
            d->tabs()->setCurrentIndex(0);
        }
        control<QLineEdit>(d, QStringLiteral("Float Precision:"))->setText(QStringLiteral("9"));
        control<QCheckBox>(d, QStringLiteral("Nulls are empty cells"))->setChecked(true);
        control<QLineEdit>(d, QStringLiteral("User:"))->setText(QStringLiteral("bob"));
        control<QComboBox>(d, QStringLiteral("Show servers as"))->setCurrentIndex(2);
        control<QLineEdit>(d, QStringLiteral("Typing delay is"))->setText(QStringLiteral("0"));
        control<QComboBox>(d, QStringLiteral("Save Line breaks as"))->setCurrentIndex(1);
        d->accept();
    });
    QVERIFY(frame->showSettings());
    QCOMPARE(frame->qSettings().QFloatPrecision, 9);
    QCOMPARE(frame->qSettings().NullsAreEmpty, true);
    QCOMPARE(frame->editorSettings().TypingDelayMS, 0);

    app.store().sync();
    QSettings raw(home.settingsFile(), QSettings::IniFormat);
    raw.beginGroup(QStringLiteral("Settings"));
    QCOMPARE(raw.value(QStringLiteral("QFloatPrecision")).toInt(), 9);
    QCOMPARE(raw.value(QStringLiteral("NullsAreEmpty")).toInt(), 1);
    QCOMPARE(raw.value(QStringLiteral("DefUser")).toString(), QStringLiteral("bob"));
    QCOMPARE(raw.value(QStringLiteral("QShowServersAs")).toInt(), 2);
    QCOMPARE(raw.value(QStringLiteral("LineFormat")).toInt(), 1);
    // Every value of both pages is written, changed or not.
    QStringList names;
#define TOVO_NAME4(field, key, a, b) names << QStringLiteral(key);
#define TOVO_NAME5(field, key, a, b, c) names << QStringLiteral(key);
#define TOVO_NAME3(field, key, a) names << QStringLiteral(key);
    TOVO_Q_INT_SETTINGS(TOVO_NAME5)
    TOVO_Q_FLAG_SETTINGS(TOVO_NAME3)
    TOVO_Q_TEXT_SETTINGS(TOVO_NAME4)
    TOVO_EDITOR_INT_SETTINGS(TOVO_NAME5)
    TOVO_EDITOR_FLAG_SETTINGS(TOVO_NAME3)
    TOVO_EDITOR_TEXT_SETTINGS(TOVO_NAME4)
    QCOMPARE(names.size(), 61);
    for (const QString& name : names)
        QVERIFY2(raw.contains(name), qPrintable(name));
    QCOMPARE(prompter.pending(), 0);
}

void TestSettingsDialog::cancelDropsEdits()
{
    TempHome home;
    ScriptedPrompter prompter;
    CTovoApp app(CommandLine(), prompter, home.store());
    QVERIFY(app.initInstance());
    CMainFrame* frame = app.mainFrame();
    onDialog([](CDlgSettings* d) {
        control<QLineEdit>(d, QStringLiteral("Float Precision:"))->setText(QStringLiteral("3"));
        control<QCheckBox>(d, QStringLiteral("Word highlight"))->setChecked(true);
        d->reject();
    });
    QVERIFY(!frame->showSettings());
    QCOMPARE(frame->qSettings().QFloatPrecision, 7);
    QCOMPARE(frame->editorSettings().WordHighlight, false);
    QVERIFY(!app.store().contains(QStringLiteral("QFloatPrecision")));
}

void TestSettingsDialog::limitsAreEnforced_data()
{
    QTest::addColumn<QString>("controlName");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("precision 0") << "Float Precision:" << "0" << "Enter an integer between 1 and 32.";
    QTest::newRow("precision 33") << "Float Precision:" << "33" << "Enter an integer between 1 and 32.";
    QTest::newRow("precision text") << "Float Precision:" << "seven" << "Enter an integer between 1 and 32.";
    QTest::newRow("big table 1001") << "<Big table> is >" << "1001" << "Enter an integer between 1 and 1000.";
    QTest::newRow("history 0") << "Keep last " << "0" << "Enter an integer between 1 and 100.";
    QTest::newRow("ns timeout 601") << "Service queries timeout is" << "601" << "Enter an integer between 0 and 600.";
}

void TestSettingsDialog::limitsAreEnforced()
{
    QFETCH(QString, controlName);
    QFETCH(QString, text);
    QFETCH(QString, message);
    CDlgQSettings q;
    CDlgEditorSettings e;
    ScriptedPrompter prompter;
    prompter.expect(message, QStringLiteral("Tovo"), Prompter::Buttons::Ok, Prompter::Icon::Warning,
                    Prompter::Answer::Ok);
    CDlgSettings dialog(q, e, prompter);
    control<QLineEdit>(&dialog, controlName)->setText(text);
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(prompter.pending(), 0);
    QCOMPARE(q.QFloatPrecision, 7); // nothing stored from a refused page
}

void TestSettingsDialog::textLimits()
{
    CDlgQSettings q;
    CDlgEditorSettings e;
    ScriptedPrompter prompter;
    CDlgSettings dialog(q, e, prompter);
    auto* sep = control<QLineEdit>(&dialog, QStringLiteral("CSV separator is"));
    QTest::keyClicks(sep, QStringLiteral(";|"));
    QCOMPARE(sep->text(), QStringLiteral(",")); // full at one character
    sep->clear();
    QTest::keyClicks(sep, QStringLiteral(";|"));
    QCOMPARE(sep->text(), QStringLiteral(";"));
    auto* user = control<QLineEdit>(&dialog, QStringLiteral("User:"));
    QTest::keyClicks(user, QString(70, u'u'));
    QCOMPARE(user->text().size(), 64);
    QCOMPARE(control<QLineEdit>(&dialog, QStringLiteral("Password:"))->echoMode(), QLineEdit::Password);
    QCOMPARE(control<QLineEdit>(&dialog, QStringLiteral("Path or symbol contains (separated by ;)"))->maxLength(), 255);
}

void TestSettingsDialog::changePageChecksLimits()
{
    CDlgQSettings q;
    CDlgEditorSettings e;
    ScriptedPrompter prompter;
    prompter.expect(QStringLiteral("Enter an integer between 1 and 32."), QStringLiteral("Tovo"),
                    Prompter::Buttons::Ok, Prompter::Icon::Warning, Prompter::Answer::Ok);
    CDlgSettings dialog(q, e, prompter);
    QCOMPARE(dialog.tabs()->tabText(0), QStringLiteral("Q Settings"));
    QCOMPARE(dialog.tabs()->tabText(1), QStringLiteral("Editor"));
    control<QLineEdit>(&dialog, QStringLiteral("Float Precision:"))->setText(QStringLiteral("99"));
    dialog.tabs()->setCurrentIndex(1);
    QCOMPARE(dialog.tabs()->currentIndex(), 0);
    QCOMPARE(prompter.pending(), 0);
    control<QLineEdit>(&dialog, QStringLiteral("Float Precision:"))->setText(QStringLiteral("5"));
    dialog.tabs()->setCurrentIndex(1);
    QCOMPARE(dialog.tabs()->currentIndex(), 1);
}

void TestSettingsDialog::changeNotifications()
{
    TempHome home;
    ScriptedPrompter prompter;
    CTovoApp app(CommandLine(), prompter, home.store());
    QVERIFY(app.initInstance());
    QSignalSpy spy(app.mainFrame(), &CMainFrame::settingsChanged);
    onDialog([](CDlgSettings* d) {
        control<QComboBox>(d, QStringLiteral("Show servers as"))->setCurrentIndex(1);
        d->accept();
    });
    QVERIFY(app.mainFrame()->showSettings());
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), true);  // servers view
    QCOMPARE(spy.at(0).at(1).toBool(), false); // output fonts/format
    QCOMPARE(spy.at(0).at(2).toBool(), false); // typing delay

    onDialog([](CDlgSettings* d) {
        control<QLineEdit>(d, QStringLiteral("Typing delay is"))->setText(QStringLiteral("100"));
        d->accept();
    });
    QVERIFY(app.mainFrame()->showSettings());
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(1).at(0).toBool(), false);
    QCOMPARE(spy.at(1).at(1).toBool(), true);
    QCOMPARE(spy.at(1).at(2).toBool(), true);
}

void TestSettingsDialog::menuToggles()
{
    TempHome home;
    ScriptedPrompter prompter;
    {
        CTovoApp app(CommandLine(), prompter, home.store());
        QVERIFY(app.initInstance());
        CMainFrame* frame = app.mainFrame();
        QVERIFY(!frame->action(cmd::Async)->isEnabled());
        frame->action(cmd::Tls)->trigger();
        QCOMPARE(app.store().readInt(QStringLiteral("EnableTLS"), -1), 1);
        QVERIFY(frame->action(cmd::Tls)->isChecked());
    }
    CTovoApp app(CommandLine(QStringLiteral("--async")), prompter, home.store());
    QVERIFY(app.initInstance());
    CMainFrame* frame = app.mainFrame();
    QVERIFY(frame->action(cmd::Async)->isEnabled());
    QCOMPARE(frame->action(cmd::Async)->text(), QStringLiteral("Sync"));
    frame->action(cmd::Async)->trigger();
    QCOMPARE(frame->action(cmd::Async)->text(), QStringLiteral("Async"));
    QVERIFY(frame->action(cmd::Async)->isChecked());
    QCOMPARE(app.store().readInt(QStringLiteral("AsyncQuerying"), -1), 1);
    // The toggle saves the whole page.
    QVERIFY(app.store().contains(QStringLiteral("QFloatPrecision")));
}

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
