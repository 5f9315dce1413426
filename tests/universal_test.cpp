// Fact of libuniversal against values known independently: the doubles
// nearest to n! (exact integers), Γ(1.5) = √π/2, overflow and no value (NaN).
#include "universal/universal.h"

#include <QtTest>

#include <cmath>
#include <numbers>

class UniversalTest : public QObject {
    Q_OBJECT

private slots:
    void fact() {
        const struct {
            double x, expected;
        } cases[] = {{0, 1}, {5, 120}, {22, 1124000727777607680000.0}, {100, 9.332621544394415e157},
                     {170, 7.257415615307999e306}, {171, INFINITY}, {171.5, INFINITY},
                     {0.5, double(std::sqrt(std::numbers::pi_v<long double>) / 2)}, {-3, NAN}, {-1e300, NAN}, {-INFINITY, NAN}};
        for (const auto &c : cases) {
            const double value = double(Fact(c.x));
            QVERIFY2(value == c.expected || (std::isnan(value) && std::isnan(c.expected)),
                     qPrintable(QStringLiteral("Fact(%1) = %2").arg(c.x).arg(value, 0, 'g', 17)));
        }
    }
};

QTEST_GUILESS_MAIN(UniversalTest)
#include "universal_test.moc"
