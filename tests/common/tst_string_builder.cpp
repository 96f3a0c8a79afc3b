#include "sql/AppError.h"
#include "common/cString.h"

#include <QtTest>

class tst_string_builder : public QObject {
    Q_OBJECT
private slots:
    void appends_data() {
        QTest::addColumn<QString>("initial"); // set through Text first, unless null
        QTest::addColumn<int>("increment");
        QTest::addColumn<QStringList>("parts");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("capacity");
        QTest::newRow("new builder") << QString() << 50000 << QStringList{} << "" << 0;
        QTest::newRow("two parts")
            << QString() << 50000 << QStringList{"ab", "cd"} << "abcd" << 50000;
        QTest::newRow("part longer than increment")
            << QString() << 3 << QStringList{"abcdefg"} << "abcdefg" << 7;
        QTest::newRow("grows by the increment")
            << QString() << 4 << QStringList{"ab", "cd", "e"} << "abcde" << 8;
        QTest::newRow("after Text") << "xyz" << 50000 << QStringList{"1"} << "xyz1" << 50003;
        QTest::newRow("full buffer grows for an empty part")
            << "xyz" << 10 << QStringList{""} << "xyz" << 13;
        QTest::newRow("empty Text clears") << "" << 50000 << QStringList{} << "" << 0;
    }
    void appends() {
        QFETCH(QString, initial);
        QFETCH(int, increment);
        QFETCH(QStringList, parts);
        QFETCH(QString, text);
        QFETCH(int, capacity);
        cString builder;
        builder.setIncrement(increment);
        if (!initial.isNull())
            builder.setText(initial);
        for (const QString &part : parts)
            builder.Cat(part);
        QCOMPARE(builder.Text(), text);
        QCOMPARE(builder.Length(), int(text.size()));
        QCOMPARE(builder.capacity(), capacity);
    }

    void incrementIgnoresZeroAndNegative() {
        cString builder;
        QCOMPARE(builder.Increment(), 50000);
        builder.setIncrement(0);
        builder.setIncrement(-5);
        QCOMPARE(builder.Increment(), 50000);
        builder.setIncrement(7);
        QCOMPARE(builder.Increment(), 7);
    }

    void lengthPastTheIntegerRangeOverflows() {
        QCOMPARE(cString::grownLength(2147483646, 1), 2147483647);
        try {
            cString::grownLength(2147483647, 1);
            QFAIL("no overflow");
        } catch (const bm::AppError &e) {
            QCOMPARE(e.number(), bm::kErrOverflow);
        }
    }

    void clearingAndReuse() {
        cString builder;
        builder.Cat("first text");
        builder.setText("");
        builder.Cat("second");
        QCOMPARE(builder.Text(), QString("second"));
    }
};

QTEST_MAIN(tst_string_builder)
#include "tst_string_builder.moc"
