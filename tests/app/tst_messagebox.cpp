// The application's prompter through a real message box on the offscreen
// platform: Enter presses the default button the question names, and that
// button holds the keyboard focus, so Space gives the same answer.
#include "app/CMessageBoxPrompter.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using Answer = Prompter::Answer;
using Buttons = Prompter::Buttons;

class TestMessageBox : public QObject {
    Q_OBJECT
private slots:
    void keysPressTheDefault_data();
    void keysPressTheDefault();
};

void TestMessageBox::keysPressTheDefault_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("defaultButton");
    QTest::addColumn<int>("key");
    for (int key : {int(Qt::Key_Return), int(Qt::Key_Enter), int(Qt::Key_Space)}) {
        const char* k = key == Qt::Key_Space ? "Space" : key == Qt::Key_Enter ? "Enter" : "Return";
        // Without a named default Qt would make Yes the default.
        QTest::addRow("Yes/No, No, %s", k) << int(Buttons::YesNo) << int(Answer::No) << key;
        QTest::addRow("Yes/No, Yes, %s", k) << int(Buttons::YesNo) << int(Answer::Yes) << key;
        QTest::addRow("Yes/No/Cancel, No, %s", k) << int(Buttons::YesNoCancel) << int(Answer::No) << key;
        QTest::addRow("Yes/No/Cancel, Cancel, %s", k) << int(Buttons::YesNoCancel) << int(Answer::Cancel) << key;
        QTest::addRow("OK/Cancel, Cancel, %s", k) << int(Buttons::OkCancel) << int(Answer::Cancel) << key;
        QTest::addRow("OK, OK, %s", k) << int(Buttons::Ok) << int(Answer::Ok) << key;
    }
}

void TestMessageBox::keysPressTheDefault()
{
    QFETCH(int, buttons);
    QFETCH(int, defaultButton);
    QFETCH(int, key);
    CMessageBoxPrompter prompter;
    bool pressed = false;
    QString focused;
    // The box runs its own loop: the key is typed from a timer once it shows.
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible() || pressed)
            return;
        pressed = true;
        // Where the keyboard goes: the box's focus widget.
        QWidget* target = box->focusWidget() ? box->focusWidget() : box;
        if (auto* b = qobject_cast<QPushButton*>(target))
            focused = b->text();
        QTest::keyClick(target, Qt::Key(key));
        // Should the key have been ignored, the box must still close.
        QTimer::singleShot(2000, box, [box] {
            if (box->isVisible())
                box->reject();
        });
    });
    poll.start();
    const Answer answer = prompter.ask(QStringLiteral("Delete it?"), QStringLiteral("Tovo"), Buttons(buttons),
                                       Prompter::Icon::Warning, Answer(defaultButton));
    poll.stop();
    QVERIFY(pressed);
    QVERIFY2(!focused.isEmpty(), "no button has the keyboard focus");
    QCOMPARE(int(answer), defaultButton);
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    TestMessageBox t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_messagebox.moc"
