#include "TempHome.h"
#include "core/settings/CDlgQSettings.h"

#include <QTest>

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void defaultsFromEmptyStore();
};

void TestSettings::defaultsFromEmptyStore()
{
    TempHome home;
    CDlgQSettings q;
    q.QFloatPrecision = 3;
    q.load(*home.store());
    QCOMPARE(q.QFloatPrecision, 7);
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
