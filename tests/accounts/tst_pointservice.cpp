#include <QTest>

class TestPointService : public QObject
{
    Q_OBJECT
};

QTEST_MAIN(TestPointService)
#include "tst_pointservice.moc"
