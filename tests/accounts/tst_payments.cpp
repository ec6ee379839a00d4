#include <QTest>

class TestPayments : public QObject
{
    Q_OBJECT
};

QTEST_MAIN(TestPayments)
#include "tst_payments.moc"
